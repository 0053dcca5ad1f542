#include "recordlistmodel.h"

#include "dropdown.h"

#include <algorithm>
#include <numeric>
#include <vector>

QString cellText(const QVariant &value)
{
    return value.isNull() ? QStringLiteral(" ") : value.toString();
}

RecordFormat RecordFormat::texts()
{
    return {false, {}, {}};
}

void RecordListModel::setHeaders(const QStringList &headers, const QList<Qt::Alignment> &alignments)
{
    beginResetModel();
    m_headers = headers;
    m_alignments = alignments;
    m_values.clear();
    m_order.clear();
    m_data.clear();
    endResetModel();
}

void RecordListModel::setRows(QList<QVariantList> rows, QList<QVariant> data, RecordFormat format, int sortColumn)
{
    beginResetModel();
    m_values = std::move(rows);
    m_order.resize(m_values.size());
    std::iota(m_order.begin(), m_order.end(), 0);
    m_data = std::move(data);
    m_data.resize(m_values.size());
    m_format = std::move(format);
    if (sortColumn >= 0)
        arrange(sortColumn, Ties::AsGiven);
    endResetModel();
}

void RecordListModel::insertRowAt(int position, QVariantList values, QVariant data)
{
    beginInsertRows({}, position, position);
    m_values.insert(position, std::move(values));
    m_order.insert(position, int(m_order.size()));
    m_data.insert(position, std::move(data));
    endInsertRows();
}

void RecordListModel::changeValues(int position, QVariantList values, int sortColumn)
{
    m_values[position] = std::move(values);
    if (sortColumn < 0) {
        emit dataChanged(index(position, 0), index(position, columnCount() - 1));
        return;
    }
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    arrange(sortColumn, Ties::AsGiven);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void RecordListModel::sortBy(int column)
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    arrange(column, Ties::AsTheyStand);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

namespace {

template <class T>
QList<T> arranged(QList<T> &items, const std::vector<int> &places)
{
    QList<T> out;
    out.reserve(items.size());
    for (int place : places)
        out.append(std::move(items[place]));
    return out;
}

} // namespace

void RecordListModel::arrange(int column, Ties ties)
{
    // Each row's text is made once, not at every comparison.
    std::vector<QString> keys;
    keys.reserve(m_values.size());
    for (int r = 0; r < m_values.size(); ++r)
        keys.push_back(text(r, column));
    std::vector<int> places(m_values.size());
    std::iota(places.begin(), places.end(), 0);
    std::stable_sort(places.begin(), places.end(), [&](int a, int b) {
        if (ties == Ties::AsGiven && keys[a] == keys[b])
            return m_order.at(a) < m_order.at(b);
        return textLess(keys[a], keys[b]);
    });
    m_values = arranged(m_values, places);
    m_order = arranged(m_order, places);
    m_data = arranged(m_data, places);
}

QString RecordListModel::text(int row, int column) const
{
    if (row < 0 || row >= m_values.size())
        return {};
    const int field = fieldOf(column);
    if (m_format.numbered && field == -1)
        return QString::number(m_order.at(row) + 1);
    const QVariantList &values = m_values.at(row);
    if (field < 0 || field >= values.size())
        return {};
    return showsAsRead(field) ? cellText(values.at(field)) : m_format.fieldText.at(field)(values.at(field));
}

bool RecordListModel::textContains(int row, int column, const QString &part) const
{
    // A filter looks at every cell of every row: "S No" and texts as read are
    // searched without making a text.
    const int field = fieldOf(column);
    if (m_format.numbered && field == -1) {
        char16_t digits[12];
        qsizetype start = std::size(digits);
        for (int number = m_order.at(row) + 1; number > 0; number /= 10)
            digits[--start] = char16_t(u'0' + number % 10);
        return QStringView(digits + start, digits + std::size(digits)).contains(part, Qt::CaseInsensitive);
    }
    if (field >= 0 && field < m_values.at(row).size() && showsAsRead(field)) {
        const QVariant &value = m_values.at(row).at(field);
        if (value.typeId() == QMetaType::QString)
            return static_cast<const QString *>(value.constData())->contains(part, Qt::CaseInsensitive);
    }
    return text(row, column).contains(part, Qt::CaseInsensitive);
}

QVariant RecordListModel::rowData(int row) const
{
    if (row < 0 || row >= m_values.size())
        return {};
    return m_format.data ? m_format.data(m_values.at(row)) : m_data.at(row);
}

int RecordListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_values.size());
}

int RecordListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_headers.size());
}

QVariant RecordListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return text(index.row(), index.column());
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
    if (m_rowFilter && !m_rowFilter(sourceRow))
        return false;
    if (m_text.isEmpty())
        return true;
    const auto *model = static_cast<const RecordListModel *>(sourceModel());
    for (int c = 0; c < model->columnCount(); ++c) {
        if (model->textContains(sourceRow, c, m_text))
            return true;
    }
    return false;
}
