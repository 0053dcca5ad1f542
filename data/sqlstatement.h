#pragma once

#include <QSqlQuery>
#include <QVariantList>

class Connection;

// One statement prepared once and run many times with its parameters bound
// in order, its rows read through QSqlQuery; a failure is a DbError
// saying what was being done. Long reads go through Statement, which reads
// rows straight from the engine.
class SqlStatement
{
public:
    SqlStatement(Connection &cn, const QString &sql, const QString &context);

    void run(const QVariantList &params);
    // Reads the rows of the last run.
    QSqlQuery &query() { return m_query; }

private:
    QSqlQuery m_query;
    QString m_context;
};
