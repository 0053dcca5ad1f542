#include "pgsession.h"

#include "schema.h"

#include <libpq-fe.h>
#include <sqlite3.h>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// The server numbers its parameters: $1, $2, ... (the queries hold no "?" in their texts).
QByteArray numbered(const QString &sql)
{
    QString out;
    int n = 0;
    for (const QChar c : sql) {
        if (c == QLatin1Char('?'))
            out += QStringLiteral("$%1").arg(++n);
        else
            out += c;
    }
    return out.toUtf8();
}

// COPY's text format: tab between values, \N for Null, backslash escapes.
void appendCopyValue(QByteArray &out, const unsigned char *text, int bytes)
{
    if (!text) {
        out += "\\N";
        return;
    }
    for (int i = 0; i < bytes; ++i) {
        const char c = char(text[i]);
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out += c;
        }
    }
}

} // namespace

PgSession::PgSession(const QString &location)
    : m_pg(PQconnectdb(location.toUtf8().constData()))
{
    if (PQstatus(m_pg) != CONNECTION_OK) {
        const std::string why = PQerrorMessage(m_pg);
        PQfinish(m_pg);
        throw std::runtime_error("libpq cannot connect: " + why);
    }
}

PgSession::~PgSession()
{
    PQfinish(m_pg);
}

qint64 PgSession::readRows(const QList<Floor::Query> &queries)
{
    qint64 rows = 0;
    volatile qint64 bytes = 0;
    for (const Floor::Query &q : queries) {
        QList<QByteArray> values;
        std::vector<const char *> params;
        for (const QString &p : q.params)
            values << p.toUtf8();
        for (const QByteArray &v : values)
            params.push_back(v.constData());
        PGresult *r = PQexecParams(m_pg, numbered(q.sql).constData(), int(params.size()), nullptr, params.data(),
                                   nullptr, nullptr, 0);
        if (PQresultStatus(r) != PGRES_TUPLES_OK) {
            const std::string why = PQresultErrorMessage(r);
            PQclear(r);
            throw std::runtime_error("libpq read: " + why);
        }
        const int n = PQntuples(r);
        const int columns = PQnfields(r);
        for (int row = 0; row < n; ++row) {
            for (int c = 0; c < columns; ++c) {
                PQgetvalue(r, row, c);
                bytes = bytes + PQgetlength(r, row, c);
            }
        }
        rows += n;
        PQclear(r);
    }
    return rows;
}

void PgSession::exec(const QString &sql)
{
    PGresult *r = PQexec(m_pg, sql.toUtf8().constData());
    const ExecStatusType status = PQresultStatus(r);
    const std::string why = PQresultErrorMessage(r);
    PQclear(r);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        throw std::runtime_error("libpq: " + why);
}

qint64 PgSession::count(const QString &sql)
{
    PGresult *r = PQexec(m_pg, sql.toUtf8().constData());
    const bool ok = PQresultStatus(r) == PGRES_TUPLES_OK && PQntuples(r) == 1;
    const qint64 n = ok ? QByteArray(PQgetvalue(r, 0, 0)).toLongLong() : -1;
    PQclear(r);
    if (!ok)
        throw std::runtime_error("libpq count: " + sql.toStdString());
    return n;
}

void PgSession::copyFrom(const QString &path)
{
    sqlite3 *file = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &file, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(file);
        throw std::runtime_error("cannot open " + path.toStdString());
    }
    const auto fail = [&](const std::string &why) {
        sqlite3_close(file);
        PQexec(m_pg, "rollback");
        throw std::runtime_error(why);
    };
    exec(QStringLiteral("begin"));
    for (const Schema::Table &table : Schema::tables()) {
        const QString columns = table.columns.join(QLatin1Char(','));
        sqlite3_stmt *read = nullptr;
        const QByteArray select = QStringLiteral("select %1 from %2 order by %3").arg(columns, table.name, Schema::kStoredOrder).toUtf8();
        if (sqlite3_prepare_v2(file, select.constData(), -1, &read, nullptr) != SQLITE_OK)
            fail(std::string("read ") + sqlite3_errmsg(file));
        PGresult *r = PQexec(m_pg, QStringLiteral("copy %1 (%2) from stdin").arg(table.name, columns).toUtf8().constData());
        const bool copying = PQresultStatus(r) == PGRES_COPY_IN;
        PQclear(r);
        if (!copying) {
            sqlite3_finalize(read);
            fail("copy refused: " + std::string(PQerrorMessage(m_pg)));
        }
        QByteArray chunk;
        const int n = sqlite3_column_count(read);
        int rc;
        while ((rc = sqlite3_step(read)) == SQLITE_ROW) {
            for (int c = 0; c < n; ++c) {
                if (c > 0)
                    chunk += '\t';
                appendCopyValue(chunk, sqlite3_column_text(read, c), sqlite3_column_bytes(read, c));
            }
            chunk += '\n';
            if (chunk.size() > (1 << 20)) {
                PQputCopyData(m_pg, chunk.constData(), int(chunk.size()));
                chunk.clear();
            }
        }
        sqlite3_finalize(read);
        if (rc != SQLITE_DONE)
            fail(std::string("read ") + sqlite3_errmsg(file));
        PQputCopyData(m_pg, chunk.constData(), int(chunk.size()));
        PQputCopyEnd(m_pg, nullptr);
        r = PQgetResult(m_pg);
        const bool copied = PQresultStatus(r) == PGRES_COMMAND_OK;
        PQclear(r);
        while ((r = PQgetResult(m_pg)))
            PQclear(r);
        if (!copied)
            fail("copy failed: " + std::string(PQerrorMessage(m_pg)));
    }
    sqlite3_close(file);
    exec(QStringLiteral("commit"));
    exec(QStringLiteral("analyze"));
}
