#include "transaction.h"

#include "connection.h"
#include "dberror.h"

#include <QSqlError>

Transaction::Transaction(Connection &cn)
    : m_cn(cn)
{
    m_cn.followFile();
    QSqlDatabase db = m_cn.database();
    if (!db.transaction())
        throw DbError(DbError::Kind::General, QStringLiteral("Cannot start a transaction"), db.lastError().text());
}

Transaction::~Transaction()
{
    if (!m_done)
        m_cn.database().rollback();
}

void Transaction::commit()
{
    QSqlDatabase db = m_cn.database();
    if (!db.commit()) {
        const QString why = db.lastError().text();
        db.rollback();
        m_done = true;
        throw DbError(DbError::Kind::General, QStringLiteral("Cannot save the changes"), why);
    }
    m_done = true;
}
