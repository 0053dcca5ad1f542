#pragma once

#include <QAbstractTableModel>
#include <QLineEdit>
#include <QList>
#include <QSortFilterProxyModel>
#include <QStringList>
#include <QTreeView>
#include <QVariant>
#include <functional>

// One row of a record list: its cell texts and a value of the window's own
// (the test log keeps the row's date there).
struct ListRow
{
    QStringList cells;
    QVariant data;
};

// A field's text as a list shows it: one blank for Null.
QString cellText(const QVariant &value);

class RecordListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    void setHeaders(const QStringList &headers, const QList<Qt::Alignment> &alignments);
    void setRows(QList<ListRow> rows);
    void insertRowAt(int position, ListRow row);
    void replaceRowAt(int position, ListRow row);
    const QList<ListRow> &rows() const { return m_rows; }
    void sortBy(int column);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QStringList m_headers;
    QList<Qt::Alignment> m_alignments;
    QList<ListRow> m_rows;
};

// Shows the rows that contain a text in any cell (case ignored) and that a
// row filter of the window's own lets through.
class RecordListFilter : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    using RowFilter = std::function<bool(const ListRow &)>;
    using QSortFilterProxyModel::QSortFilterProxyModel;

    void setText(const QString &text);
    void setRowFilter(RowFilter filter);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    QString m_text;
    RowFilter m_rowFilter;
};

// The box above a record list that filters it; Esc in it empties it.
class FilterBox : public QLineEdit
{
    Q_OBJECT

public:
    explicit FilterBox(QWidget *parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent *event) override;
};

// A list in report view: column headers with widths in points, rows of text.
// The widths are the columns' least: a column is never narrower than its
// header's text, and spare width is shared among the columns in proportion to
// their widths until the user sizes a column by hand. Once sorting is on, the rows stand in ascending order of the sort column's
// text ("10" before "9"), rows added later included.
class RecordList : public QTreeView
{
    Q_OBJECT

public:
    struct Column
    {
        QString header;
        double widthPt;
        Qt::Alignment alignment = Qt::AlignLeft;
    };

    explicit RecordList(QWidget *parent = nullptr);

    void setColumns(const QList<Column> &columns);
    int columnCountShown() const;

    void clearRows();
    // Replaces every row at once; one sort when sorting is on.
    void setRows(QList<ListRow> rows);
    // Adds one row in its sorted place, or at the end when sorting is off.
    void addRow(const QStringList &cells, const QVariant &data = {});
    // Changes one row where it stands; only for a list that is not sorted.
    void replaceRow(int row, ListRow replacement);

    int rowCount() const;
    QString cell(int row, int column) const;
    QVariant rowData(int row) const;
    QStringList rowCells(int row) const;

    // -1 when no row is selected.
    int selectedRow() const;
    void selectRow(int row);

    // The filter box for this list, made on the first call; Ctrl+F anywhere in
    // window puts the focus in it. Rows keep their number ("S No") when filtered.
    FilterBox *filterBox(QWidget *window);
    void setRowFilter(RecordListFilter::RowFilter filter);
    // Rows as shown (after the filter, in the list's order): how many, and the
    // row shown after row (-1: the first shown), or -1 at the end.
    int shownRowCount() const;
    int shownRowAfter(int row) const;
    bool isShown(int row) const;

    void setSortKey(int column);
    int sortKey() const { return m_sortKey; }
    void setSorted(bool sorted);
    bool isSorted() const { return m_sorted; }

signals:
    void columnClicked(int column);
    void rowDoubleClicked();

protected:
    // The viewport narrows when a scroll bar shows: the columns follow it.
    bool viewportEvent(QEvent *event) override;

private:
    void applySort();
    void fitColumns();

    RecordListModel m_model;
    RecordListFilter m_filter;
    FilterBox *m_filterBox = nullptr;
    int m_sortKey = 0;
    bool m_sorted = false;
    QList<int> m_leastWidths; // the given widths, in pixels
    bool m_fitting = false;
    bool m_sizedByUser = false;
};
