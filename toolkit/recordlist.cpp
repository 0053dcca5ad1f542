#include "recordlist.h"

#include "dropdown.h"

#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QShortcut>

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
    m_model.setRows({}, {}, RecordFormat::texts(), -1);
}

void RecordList::setRows(QList<ListRow> rows)
{
    QList<QVariantList> values;
    QList<QVariant> data;
    values.reserve(rows.size());
    data.reserve(rows.size());
    for (ListRow &row : rows) {
        QVariantList cells;
        cells.reserve(row.cells.size());
        for (QString &cell : row.cells)
            cells.append(std::move(cell));
        values.append(std::move(cells));
        data.append(std::move(row.data));
    }
    m_model.setRows(std::move(values), std::move(data), RecordFormat::texts(), m_sorted ? m_sortKey : -1);
}

void RecordList::setRecords(QList<QVariantList> rows, RecordFormat format)
{
    m_model.setRows(std::move(rows), {}, std::move(format), m_sorted ? m_sortKey : -1);
}

void RecordList::addRow(const QStringList &cells, const QVariant &data)
{
    int at = rowCount();
    if (m_sorted) {
        int low = 0;
        while (low < at) {
            const int middle = (low + at) / 2;
            if (textLess(cells.value(m_sortKey), cell(middle, m_sortKey)))
                at = middle;
            else
                low = middle + 1;
        }
    }
    QVariantList values;
    for (const QString &text : cells)
        values.append(text);
    m_model.insertRowAt(at, std::move(values), data);
}

QVariantList RecordList::recordValues(int row) const
{
    return row < 0 || row >= rowCount() ? QVariantList() : m_model.values(row);
}

void RecordList::changeRecord(int row, QVariantList values)
{
    if (row >= 0 && row < rowCount())
        m_model.changeValues(row, std::move(values), m_sorted ? m_sortKey : -1);
}

int RecordList::givenOrder(int row) const
{
    return row < 0 || row >= rowCount() ? -1 : m_model.order(row);
}

int RecordList::rowCount() const
{
    return m_model.rowCount();
}

QString RecordList::cell(int row, int column) const
{
    return m_model.text(row, column);
}

QVariant RecordList::rowData(int row) const
{
    return m_model.rowData(row);
}

QStringList RecordList::rowCells(int row) const
{
    QStringList cells;
    if (row < 0 || row >= rowCount())
        return cells;
    cells.reserve(m_model.columnCount());
    for (int c = 0; c < m_model.columnCount(); ++c)
        cells << m_model.text(row, c);
    return cells;
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
