#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QSortFilterProxyModel>
#include <QStringList>
#include <QVariant>
#include <functional>

// One row of a record list given as texts, with a value of the window's own.
struct ListRow
{
    QStringList cells;
    QVariant data;
};

// A field's text as a list shows it: one blank for Null.
QString cellText(const QVariant &value);

// How a list shows rows kept as read; a cell's text is made when it is shown.
struct RecordFormat
{
    // A first column "S No" numbers the rows 1, 2, 3 in the order given.
    bool numbered = true;
    // Per field (0 the first), the text its value shows when not cellText's.
    QList<std::function<QString(const QVariant &value)>> fieldText;
    // The window's own value of a row, worked out from its fields; none: the
    // value given with the row.
    std::function<QVariant(const QVariantList &values)> data;

    // Rows given as their texts, shown as they are.
    static RecordFormat texts();
};

// The rows of a record list as read, in the list's order.
class RecordListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    void setHeaders(const QStringList &headers, const QList<Qt::Alignment> &alignments);
    // Every row at once, each with the window's own value when given (else
    // none); ascending by the sort column's text when one is given (-1: none).
    void setRows(QList<QVariantList> rows, QList<QVariant> data, RecordFormat format, int sortColumn);
    // One row more, at position; it counts as given after the others.
    void insertRowAt(int position, QVariantList values, QVariant data);
    // New values for a row; a list sorted by sortColumn puts its rows where a
    // fill would.
    void changeValues(int position, QVariantList values, int sortColumn);
    const QVariantList &values(int row) const { return m_values.at(row); }
    // The row's place in the order given, from 0.
    int order(int row) const { return m_order.at(row); }

    QString text(int row, int column) const;
    // Whether the cell's text holds part, case ignored.
    bool textContains(int row, int column, const QString &part) const;
    QVariant rowData(int row) const;
    // Ascending by the column's text; rows of equal text keep their order.
    void sortBy(int column);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    enum class Ties { AsTheyStand, AsGiven };
    void arrange(int column, Ties ties);
    // The field a column shows (-1 for "S No"), and whether its value shows as read.
    int fieldOf(int column) const { return m_format.numbered ? column - 1 : column; }
    bool showsAsRead(int field) const { return field >= m_format.fieldText.size() || !m_format.fieldText.at(field); }

    QStringList m_headers;
    QList<Qt::Alignment> m_alignments;
    RecordFormat m_format = RecordFormat::texts();
    // Per row, in the list's order: its values, its place in the order given
    // and the window's own value.
    QList<QVariantList> m_values;
    QList<int> m_order;
    QList<QVariant> m_data;
};

// Shows the rows that contain a text in any cell (case ignored) and that a
// row filter of the window's own lets through.
class RecordListFilter : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    // Whether to show a row, by its number in the list.
    using RowFilter = std::function<bool(int row)>;
    using QSortFilterProxyModel::QSortFilterProxyModel;

    void setText(const QString &text);
    void setRowFilter(RowFilter filter);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    QString m_text;
    RowFilter m_rowFilter;
};
