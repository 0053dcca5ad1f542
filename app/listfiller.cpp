#include "listfiller.h"

#include "dropdown.h"
#include "recordset.h"

void fillDropDown(DropDown *box, RecordSet &rs, Connection &cn, const QString &sql, const QVariantList &params,
                  const QStringList &fixed)
{
    box->clearEntries();
    if (rs.state() == 1)
        rs.close();
    rs.open(sql, params, cn);
    QStringList entries = fixed;
    entries.reserve(fixed.size() + rs.recordCount());
    for (; !rs.eof(); rs.moveNext()) {
        const QVariant value = rs.fields(0);
        if (!value.isNull())
            entries << value.toString();
    }
    rs.close();
    box->addEntries(entries);
    if (box->entryCount() > 0)
        box->setListIndex(0);
}

ListRow plainRow(int rowNo, const QVariantList &values)
{
    ListRow row;
    row.cells.reserve(values.size() + 1);
    row.cells << QString::number(rowNo);
    for (const QVariant &value : values)
        row.cells << cellText(value);
    return row;
}

void fillRecordList(RecordList *list, RecordSet &rs, Connection &cn, const QString &sql, const QVariantList &params,
                    const QStringList &fields, int &row_no, const RowMaker &make)
{
    row_no = 1;
    list->clearRows();
    if (rs.state() == 1)
        rs.close();
    rs.open(sql, params, cn);
    QList<int> positions;
    for (const QString &field : fields)
        positions << rs.fieldIndex(field);
    QList<ListRow> rows;
    rows.reserve(rs.recordCount());
    QVariantList values;
    for (; !rs.eof(); rs.moveNext()) {
        values.clear();
        for (int position : std::as_const(positions))
            values << rs.fields(position);
        rows.append(make(row_no, values));
        ++row_no;
    }
    rs.close();
    list->setRows(std::move(rows));
}

void fillDropDown(DropDown *box, const QStringList &entries, const QStringList &fixed)
{
    box->clearEntries();
    box->addEntries(fixed.isEmpty() ? entries : fixed + entries);
    if (box->entryCount() > 0)
        box->setListIndex(0);
}

void fillRecordList(RecordList *list, const QList<QVariantList> &rows, int &row_no, const RowMaker &make)
{
    row_no = 1;
    list->clearRows();
    QList<ListRow> listRows;
    listRows.reserve(rows.size());
    for (const QVariantList &values : rows)
        listRows.append(make(row_no++, values));
    list->setRows(std::move(listRows));
}
