#include "rows.h"

#include "recordset.h"

Rows readRows(Connection &cn, const QString &sql, const QVariantList &params)
{
    RecordSet rs;
    rs.open(sql, params, cn);
    Rows rows;
    rows.reserve(rs.recordCount());
    for (; !rs.eof(); rs.moveNext()) {
        QVariantList row;
        row.reserve(rs.fieldCount());
        for (int i = 0; i < rs.fieldCount(); ++i)
            row << rs.fields(i);
        rows << row;
    }
    return rows;
}

QStringList readEntries(Connection &cn, const QString &sql, const QVariantList &params)
{
    RecordSet rs;
    rs.open(sql, params, cn);
    QStringList entries;
    entries.reserve(rs.recordCount());
    for (; !rs.eof(); rs.moveNext()) {
        const QVariant value = rs.fields(0);
        if (!value.isNull())
            entries << value.toString();
    }
    return entries;
}
