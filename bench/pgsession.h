#pragma once

#include "floors.h"

#include <QString>

typedef struct pg_conn PGconn;

// The server's floor: the same rows read with libpq alone, every value of
// every row taken as text. Also fills a server database from a generated file.
class PgSession
{
public:
    // Connects to location, a libpq connection string or URI. Throws std::runtime_error.
    explicit PgSession(const QString &location);
    ~PgSession();
    PgSession(const PgSession &) = delete;
    PgSession &operator=(const PgSession &) = delete;

    // Runs each query ("?" marks its values, in order); the rows read.
    qint64 readRows(const QList<Floor::Query> &queries);
    // One statement without rows.
    void exec(const QString &sql);
    qint64 count(const QString &sql);

    // Copies every row of the program's tables from the file at path, in
    // stored order, through COPY in one transaction; then analyzes them.
    void copyFrom(const QString &path);

private:
    PGconn *m_pg = nullptr;
};
