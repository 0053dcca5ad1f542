#include "recordlist.h"

#include "dropdown.h"

#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QShortcut>
#include <algorithm>

QString cellText(const QVariant &value)
{
    return value.isNull() ? QStringLiteral(" ") : value.toString();
}

void RecordListModel::setHeaders(const QStringList &headers, const QList<Qt::Alignment> &alignments)
{
    beginResetModel();
    m_headers = headers;
    m_alignments = alignments;
    m_rows.clear();
    endResetModel();
}

void RecordListModel::setRows(QList<ListRow> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

void RecordListModel::insertRowAt(int position, ListRow row)
{
    beginInsertRows({}, position, position);
    m_rows.insert(position, std::move(row));
    endInsertRows();
}

void RecordListModel::replaceRowAt(int position, ListRow row)
{
    m_rows[position] = std::move(row);
    emit dataChanged(index(position, 0), index(position, columnCount() - 1));
}

void RecordListModel::sortBy(int column)
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::stable_sort(m_rows.begin(), m_rows.end(), [column](const ListRow &a, const ListRow &b) {
        return textLess(a.cells.value(column), b.cells.value(column));
    });
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int RecordListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int RecordListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_headers.size());
}

QVariant RecordListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return m_rows.at(index.row()).cells.value(index.column());
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(m_alignments.value(index.column(), Qt::AlignLeft) | Qt::AlignVCenter);
    return {};
}

QVariant RecordListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::DisplayRole)
        return m_headers.value(section);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(m_alignments.value(section, Qt::AlignLeft) | Qt::AlignVCenter);
    return {};
}

void RecordListFilter::setText(const QString &text)
{
    m_text = text;
    invalidateFilter();
}

void RecordListFilter::setRowFilter(RowFilter filter)
{
    m_rowFilter = std::move(filter);
    invalidateFilter();
}

bool RecordListFilter::filterAcceptsRow(int sourceRow, const QModelIndex &) const
{
    const auto *model = static_cast<const RecordListModel *>(sourceModel());
    const ListRow &row = model->rows().at(sourceRow);
    if (m_rowFilter && !m_rowFilter(row))
        return false;
    if (m_text.isEmpty())
        return true;
    return std::any_of(row.cells.begin(), row.cells.end(),
                       [this](const QString &cell) { return cell.contains(m_text, Qt::CaseInsensitive); });
}

FilterBox::FilterBox(QWidget *parent)
    : QLineEdit(parent)
{
    setPlaceholderText(QStringLiteral("Filter (Ctrl+F)"));
    setClearButtonEnabled(true);
}

void FilterBox::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && !text().isEmpty()) {
        clear();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

RecordList::RecordList(QWidget *parent)
    : QTreeView(parent)
{
    m_filter.setSourceModel(&m_model);
    setModel(&m_filter);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setAlternatingRowColors(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTextElideMode(Qt::ElideRight);
    header()->setStretchLastSection(false);
    header()->setSectionsClickable(true);
    header()->setSectionsMovable(false);
    connect(header(), &QHeaderView::sectionClicked, this, &RecordList::columnClicked);
    connect(header(), &QHeaderView::sectionResized, this, [this] {
        if (!m_fitting)
            m_sizedByUser = true;
    });
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex &) { emit rowDoubleClicked(); });
}

void RecordList::setColumns(const QList<Column> &columns)
{
    QStringList headers;
    QList<Qt::Alignment> alignments;
    for (const Column &c : columns) {
        headers << c.header;
        alignments << c.alignment;
    }
    m_model.setHeaders(headers, alignments);
    m_leastWidths.clear();
    for (const Column &c : columns)
        m_leastWidths << qRound(c.widthPt * logicalDpiX() / 72.0);
    m_sizedByUser = false;
    fitColumns();
}

bool RecordList::viewportEvent(QEvent *event)
{
    const bool handled = QTreeView::viewportEvent(event);
    if (event->type() == QEvent::Resize)
        fitColumns();
    return handled;
}

void RecordList::fitColumns()
{
    if (m_sizedByUser || m_leastWidths.isEmpty())
        return;
    // Room for a sort arrow in every header, so sorting later cuts no header text.
    const int arrow = header()->isSortIndicatorShown() ? 0 : header()->fontMetrics().height();
    QList<int> widths;
    int total = 0;
    int given = 0;
    for (int i = 0; i < m_leastWidths.size(); ++i) {
        widths << qMax(m_leastWidths.at(i), header()->sectionSizeHint(i) + arrow);
        total += widths.last();
        given += m_leastWidths.at(i);
    }
    const int spare = viewport()->width() - total;
    if (spare > 0 && given > 0) {
        int handedOut = 0;
        for (int i = 0; i < widths.size(); ++i) {
            const int share = i + 1 == widths.size() ? spare - handedOut : spare * m_leastWidths.at(i) / given;
            widths[i] += share;
            handedOut += share;
        }
    }
    m_fitting = true;
    for (int i = 0; i < widths.size(); ++i)
        setColumnWidth(i, widths.at(i));
    m_fitting = false;
}

int RecordList::columnCountShown() const
{
    return m_model.columnCount();
}

void RecordList::clearRows()
{
    m_model.setRows({});
}

void RecordList::setRows(QList<ListRow> rows)
{
    if (m_sorted) {
        const int key = m_sortKey;
        std::stable_sort(rows.begin(), rows.end(), [key](const ListRow &a, const ListRow &b) {
            return textLess(a.cells.value(key), b.cells.value(key));
        });
    }
    m_model.setRows(std::move(rows));
}

void RecordList::addRow(const QStringList &cells, const QVariant &data)
{
    int at = m_model.rowCount();
    if (m_sorted) {
        const auto &rows = m_model.rows();
        const QString key = cells.value(m_sortKey);
        const int column = m_sortKey;
        at = int(std::upper_bound(rows.begin(), rows.end(), key,
                                  [column](const QString &k, const ListRow &r) { return textLess(k, r.cells.value(column)); })
                 - rows.begin());
    }
    m_model.insertRowAt(at, ListRow{cells, data});
}

void RecordList::replaceRow(int row, ListRow replacement)
{
    if (m_sorted || row < 0 || row >= rowCount())
        return;
    m_model.replaceRowAt(row, std::move(replacement));
}

int RecordList::rowCount() const
{
    return m_model.rowCount();
}

QString RecordList::cell(int row, int column) const
{
    return m_model.rows().value(row).cells.value(column);
}

QVariant RecordList::rowData(int row) const
{
    return m_model.rows().value(row).data;
}

QStringList RecordList::rowCells(int row) const
{
    return m_model.rows().value(row).cells;
}

int RecordList::selectedRow() const
{
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : m_filter.mapToSource(rows.first()).row();
}

void RecordList::selectRow(int row)
{
    const QModelIndex index = row < 0 || row >= rowCount() ? QModelIndex() : m_filter.mapFromSource(m_model.index(row, 0));
    if (!index.isValid()) {
        clearSelection();
        return;
    }
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
}

FilterBox *RecordList::filterBox(QWidget *window)
{
    if (m_filterBox)
        return m_filterBox;
    m_filterBox = new FilterBox;
    m_filterBox->setObjectName(objectName() + QStringLiteral("_filter"));
    connect(m_filterBox, &QLineEdit::textChanged, this, [this](const QString &text) { m_filter.setText(text); });
    auto *find = new QShortcut(QKeySequence::Find, window);
    find->setContext(Qt::WidgetWithChildrenShortcut);
    connect(find, &QShortcut::activated, m_filterBox, [this] {
        m_filterBox->setFocus(Qt::ShortcutFocusReason);
        m_filterBox->selectAll();
    });
    return m_filterBox;
}

void RecordList::setRowFilter(RecordListFilter::RowFilter filter)
{
    m_filter.setRowFilter(std::move(filter));
}

int RecordList::shownRowCount() const
{
    return m_filter.rowCount();
}

int RecordList::shownRowAfter(int row) const
{
    // The filter keeps the list's order: the next shown row is the next row that passes.
    for (int r = row + 1; r < rowCount(); ++r) {
        if (isShown(r))
            return r;
    }
    return -1;
}

bool RecordList::isShown(int row) const
{
    return m_filter.mapFromSource(m_model.index(row, 0)).isValid();
}

void RecordList::setSortKey(int column)
{
    m_sortKey = column;
    if (m_sorted)
        applySort();
}

void RecordList::setSorted(bool sorted)
{
    m_sorted = sorted;
    if (m_sorted)
        applySort();
    else
        header()->setSortIndicatorShown(false);
}

void RecordList::applySort()
{
    m_model.sortBy(m_sortKey);
    header()->setSortIndicatorShown(true);
    header()->setSortIndicator(m_sortKey, Qt::AscendingOrder);
    fitColumns();
}
