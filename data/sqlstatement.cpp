#include "sqlstatement.h"

#include "connection.h"
#include "dberror.h"

#include <QSqlError>

SqlStatement::SqlStatement(Connection &cn, const QString &sql, const QString &context)
    : m_query(cn.database())
    , m_context(context)
{
    m_query.setForwardOnly(true);
    if (!m_query.prepare(sql))
        throw DbError(DbError::Kind::General, m_context, m_query.lastError().text());
}

void SqlStatement::run(const QVariantList &params)
{
    for (int i = 0; i < params.size(); ++i)
        m_query.bindValue(i, params.at(i));
    if (!m_query.exec())
        throw DbError(DbError::Kind::General, m_context, m_query.lastError().text());
}
