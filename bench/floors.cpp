#include "floors.h"

#include <sqlite3.h>
#include <stdexcept>
#include <string>

namespace Floor {
namespace {

struct Db
{
    sqlite3 *db = nullptr;
    explicit Db(const QString &path)
    {
        if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            throw std::runtime_error("cannot open " + path.toStdString());
    }
    ~Db() { sqlite3_close_v2(db); }
};

qint64 run(sqlite3 *db, const Query &q)
{
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(db, q.sql.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK)
        throw std::runtime_error(std::string("prepare: ") + sqlite3_errmsg(db));
    for (int i = 0; i < q.params.size(); ++i) {
        const QByteArray v = q.params.at(i).toUtf8();
        sqlite3_bind_text(st, i + 1, v.constData(), int(v.size()), SQLITE_TRANSIENT);
    }
    qint64 rows = 0;
    volatile qint64 bytes = 0;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        ++rows;
        const int n = sqlite3_column_count(st);
        for (int c = 0; c < n; ++c) {
            sqlite3_column_text(st, c);
            bytes = bytes + sqlite3_column_bytes(st, c);
        }
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE)
        throw std::runtime_error(std::string("step: ") + sqlite3_errmsg(db));
    return rows;
}

} // namespace

qint64 readRows(const QString &path, const QList<Query> &queries)
{
    Db db(path);
    qint64 rows = 0;
    for (const Query &q : queries)
        rows += run(db.db, q);
    return rows;
}

void write(const QString &path, const Query &statement)
{
    Db db(path);
    sqlite3_exec(db.db, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
    run(db.db, statement);
}

void openAndReadSchema(const QString &path)
{
    Db db(path);
    run(db.db, {QStringLiteral("select count(*) from sqlite_master"), {}});
}

} // namespace Floor
