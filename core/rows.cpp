#include "rows.h"

#include "connection.h"
#include "dberror.h"
#include "objectstate.h"
#include "statement.h"

namespace {

// Runs sql on the open connection, following the file as the record set
// does, and hands each row to take.
template<typename Take>
void eachRow(Connection &cn, const QString &sql, const QVariantList &params, Take take)
{
    const QString context = QStringLiteral("Cannot run the query \"%1\"").arg(sql);
    if (cn.state() != StateOpen)
        throw DbError(DbError::Kind::General, context, QStringLiteral("the database connection is not open"));
    cn.followFile();
    Statement st(cn, sql, context);
    st.bind(params);
    while (st.next())
        take(st);
}

} // namespace

// Both read straight from the statement: a record set would hold a second copy
// of every value while the rows are made.
Rows readRows(Connection &cn, const QString &sql, const QVariantList &params)
{
    Rows rows;
    eachRow(cn, sql, params, [&rows](Statement &st) {
        const int width = st.columnCount();
        QVariantList row;
        row.reserve(width);
        for (int i = 0; i < width; ++i)
            row.append(st.value(i));
        rows.append(std::move(row));
    });
    return rows;
}

QStringList readEntries(Connection &cn, const QString &sql, const QVariantList &params)
{
    QStringList entries;
    eachRow(cn, sql, params, [&entries](Statement &st) {
        const QVariant value = st.value(0);
        if (!value.isNull())
            entries << value.toString();
    });
    return entries;
}
