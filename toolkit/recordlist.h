#pragma once

#include "recordlistmodel.h"

#include <QLineEdit>
#include <QList>
#include <QStringList>
#include <QTreeView>
#include <QVariant>

// The box above a record list that filters it; Esc in it empties it.
class FilterBox : public QLineEdit
{
    Q_OBJECT

public:
    explicit FilterBox(QWidget *parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent *event) override;
};

// A list in report view: column headers with widths in points, rows kept as
// given (values as read, or texts) and shown as text.
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
    // Replaces every row at once by rows as read, shown by format; one sort
    // when sorting is on.
    void setRecords(QList<QVariantList> rows, RecordFormat format = {});
    // Adds one row of texts in its sorted place, or at the end when sorting is off.
    void addRow(const QStringList &cells, const QVariant &data = {});
    // A row's values as read, and new ones for it: the row keeps its number
    // and stands where a fill would put it.
    QVariantList recordValues(int row) const;
    void changeRecord(int row, QVariantList values);
    // The row's place in the order the rows were given, from 0.
    int givenOrder(int row) const;

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
