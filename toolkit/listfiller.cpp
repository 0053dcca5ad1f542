#include "listfiller.h"

#include "dropdown.h"
#include "objectstate.h"
#include "recordset.h"

void fillDropDown(DropDown *box, RecordSet &rs, Connection &cn, const QString &sql, const QVariantList &params,
                  const QStringList &fixed)
{
    box->clearEntries();
    if (rs.state() == StateOpen)
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

void fillRecordList(RecordList *list, RecordSet &rs, Connection &cn, const QString &sql, const QVariantList &params,
                    const QStringList &fields, int &row_no, const RecordFormat &format)
{
    row_no = 1;
    list->clearRows();
    if (rs.state() == StateOpen)
        rs.close();
    rs.open(sql, params, cn);
    QList<int> positions;
    for (const QString &field : fields)
        positions << rs.fieldIndex(field);
    QList<QVariantList> rows;
    rows.reserve(rs.recordCount());
    for (; !rs.eof(); rs.moveNext()) {
        QVariantList values;
        values.reserve(positions.size());
        for (int position : std::as_const(positions))
            values << rs.fields(position);
        rows.append(std::move(values));
        ++row_no;
    }
    rs.close();
    list->setRecords(std::move(rows), format);
}

void fillDropDown(DropDown *box, const QStringList &entries, const QStringList &fixed)
{
    box->clearEntries();
    box->addEntries(fixed.isEmpty() ? entries : fixed + entries);
    if (box->entryCount() > 0)
        box->setListIndex(0);
}

void fillRecordList(RecordList *list, QList<QVariantList> rows, int &row_no, const RecordFormat &format)
{
    list->clearRows();
    row_no = int(rows.size()) + 1;
    list->setRecords(std::move(rows), format);
}
