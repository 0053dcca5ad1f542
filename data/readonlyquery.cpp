#include "readonlyquery.h"

#include "connection.h"
#include "dberror.h"
#include "readonlyguard.h"

#include <QElapsedTimer>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <sqlite3.h>

namespace {

QString refusedAction(int action, const char *name)
{
    const QString object = QString::fromUtf8(name ? name : "");
    switch (action) {
    case SQLITE_INSERT:
    case SQLITE_UPDATE:
    case SQLITE_DELETE:
        if (!object.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive))
            return QStringLiteral("change the table %1").arg(object);
        return QStringLiteral("change the database's structure");
    case SQLITE_ATTACH:
    case SQLITE_DETACH:
        return QStringLiteral("attach or detach a database");
    case SQLITE_PRAGMA:
        return QStringLiteral("run PRAGMA %1").arg(object);
    case SQLITE_TRANSACTION:
    case SQLITE_SAVEPOINT:
        return QStringLiteral("begin or end a transaction");
    default:
        return QStringLiteral("change the database's structure");
    }
}

int readOnlyAuthorizer(void *refusal, int action, const char *first, const char *, const char *, const char *)
{
    switch (action) {
    case SQLITE_SELECT:
    case SQLITE_READ:
    case SQLITE_FUNCTION:
    case SQLITE_RECURSIVE:
        return SQLITE_OK;
    default:
        if (refusal && static_cast<QString *>(refusal)->isEmpty())
            *static_cast<QString *>(refusal) = refusedAction(action, first);
        return SQLITE_DENY;
    }
}

// Looks in on a running query now and then: stops it when cancelled or past
// its time, and lets the caller keep the window answering meanwhile.
class ReadWatch
{
public:
    ReadWatch(qint64 limitMs, const std::function<void()> &progress, const std::atomic_bool &cancel)
        : m_limitMs(limitMs)
        , m_progress(progress)
        , m_cancel(cancel)
    {
        m_clock.start();
    }

    // True when the read is to stop.
    bool stop()
    {
        if (m_stop != ReadOnlyQuery::Stop::None)
            return true;
        const qint64 now = m_clock.elapsed();
        if (m_progress && now - m_lastProgress >= 40) {
            m_lastProgress = now;
            m_progress();
        }
        if (m_cancel)
            m_stop = ReadOnlyQuery::Stop::Cancelled;
        else if (now > m_limitMs)
            m_stop = ReadOnlyQuery::Stop::TooLong;
        return m_stop != ReadOnlyQuery::Stop::None;
    }
    ReadOnlyQuery::Stop reason() const { return m_stop; }

    static int onProgress(void *watch) { return static_cast<ReadWatch *>(watch)->stop() ? 1 : 0; }

private:
    QElapsedTimer m_clock;
    qint64 m_limitMs;
    qint64 m_lastProgress = 0;
    const std::function<void()> &m_progress;
    const std::atomic_bool &m_cancel;
    ReadOnlyQuery::Stop m_stop = ReadOnlyQuery::Stop::None;
};

// While a query runs, the engine's heap may grow by at most the given bytes:
// a sort or a recursion without end then fails for want of memory instead of
// taking the machine's. The engine keeps one limit for the whole program, so
// it is set for the read only and put back after, with the soft limit that
// setting it may lower.
class EngineHeapBound
{
public:
    explicit EngineHeapBound(qint64 bytes)
        : m_hardBefore(sqlite3_hard_heap_limit64(-1))
        , m_softBefore(sqlite3_soft_heap_limit64(-1))
    {
        sqlite3_int64 limit = sqlite3_memory_used() + bytes;
        if (m_hardBefore > 0)
            limit = std::min(limit, m_hardBefore);
        sqlite3_hard_heap_limit64(limit);
    }
    ~EngineHeapBound()
    {
        sqlite3_hard_heap_limit64(m_hardBefore);
        sqlite3_soft_heap_limit64(m_softBefore);
    }

private:
    sqlite3_int64 m_hardBefore;
    sqlite3_int64 m_softBefore;
};

} // namespace

void installReadOnlyGuard(sqlite3 *db, QString *refusal)
{
    sqlite3_set_authorizer(db, readOnlyAuthorizer, refusal);
}

ReadOnlyQuery::ReadOnlyQuery(Connection &cn, const QString &sql, const ReadLimits &limits)
    : m_cn(cn)
    , m_limits(limits)
{
    if (cn.isServer() && cn.state() == StateOpen) {
        // The server refuses several statements in one prepared text, and
        // whatever is no query. It runs in a read-only transaction of its
        // own, rolled back after: a change is refused, nothing the query asks
        // for outlives it, and the server stops it past its time.
        QSqlQuery control(cn.database());
        m_serverTransaction = control.exec(QStringLiteral("begin transaction read only"));
        if (!m_serverTransaction
            || !control.exec(QStringLiteral("set local statement_timeout = %1").arg(limits.milliseconds))) {
            m_fault = Fault::Invalid;
            m_detail = control.lastError().text();
            return;
        }
        try {
            m_statement = std::make_unique<Statement>(cn, sql, QString());
        } catch (const DbError &e) {
            m_fault = Fault::Invalid;
            m_detail = e.engineMessage();
        }
        return;
    }
    sqlite3 *h = cn.engine();
    if (!h) {
        m_fault = Fault::Invalid;
        m_detail = QStringLiteral("the database connection is not open");
        return;
    }
    // No one value may take more than a part of the memory bound.
    sqlite3_limit(h, SQLITE_LIMIT_LENGTH, int(std::clamp<qint64>(limits.memoryBytes / 8, 1 << 16, 1 << 30)));

    // Every statement of the text is compiled under the guard, and the one
    // that runs is checked to be read-only before its first step.
    sqlite3_stmt *first = nullptr;
    QString refused;
    installReadOnlyGuard(h, &refused);
    const void *tail = nullptr;
    int rc = sqlite3_prepare16_v2(h, sql.utf16(), int(sql.size() * sizeof(QChar)), &first, &tail);
    bool more = false;
    while (rc == SQLITE_OK && tail && *static_cast<const char16_t *>(tail)) {
        sqlite3_stmt *next = nullptr;
        const auto *rest = static_cast<const char16_t *>(tail);
        const auto restBytes = int((reinterpret_cast<const char16_t *>(sql.utf16()) + sql.size() - rest) * sizeof(QChar));
        rc = sqlite3_prepare16_v2(h, rest, restBytes, &next, &tail);
        more = more || next;
        sqlite3_finalize(next);
    }
    const QString error = QString::fromUtf8(sqlite3_errmsg(h));
    installReadOnlyGuard(h, nullptr);
    m_statement.reset(new Statement(h, first, QString()));
    if (!refused.isEmpty()) {
        m_fault = Fault::Refused;
        m_detail = refused;
    } else if (rc != SQLITE_OK) {
        m_fault = Fault::Invalid;
        m_detail = error;
    } else if (more) {
        m_fault = Fault::SeveralStatements;
    } else if (!first) {
        m_fault = Fault::NoStatement;
    } else if (!sqlite3_stmt_readonly(first)) {
        m_fault = Fault::Writes;
    }
}

ReadOnlyQuery::~ReadOnlyQuery()
{
    endServerTransaction();
}

void ReadOnlyQuery::endServerTransaction()
{
    if (m_statement && m_statement->m_query)
        m_statement->m_query->finish();
    if (m_serverTransaction && m_cn.state() == StateOpen)
        QSqlQuery(m_cn.database()).exec(QStringLiteral("rollback"));
    m_serverTransaction = false;
}

ReadOnlyQuery::Stop ReadOnlyQuery::readServer(const std::function<bool()> &row, const std::function<void()> &progress,
                                              const std::atomic_bool &cancel)
{
    ReadWatch watch(m_limits.milliseconds, progress, cancel);
    Stop stop = Stop::None;
    try {
        while (m_statement->next()) {
            ++m_rows;
            if (!row()) {
                stop = Stop::TooBig;
                break;
            }
            if (m_rows % 256 == 0 && watch.stop()) {
                stop = watch.reason();
                break;
            }
        }
    } catch (const DbError &e) {
        m_detail = e.engineMessage();
        stop = e.engineMessage().contains(QLatin1String("statement timeout")) ? Stop::TooLong : Stop::Failed;
    }
    endServerTransaction();
    return stop;
}

ReadOnlyQuery::Stop ReadOnlyQuery::readAll(const std::function<bool()> &row, const std::function<void()> &progress,
                                           const std::atomic_bool &cancel)
{
    if (m_cn.isServer())
        return readServer(row, progress, cancel);
    sqlite3 *h = m_cn.engine();
    sqlite3_stmt *st = m_statement->m_st;
    int rc;
    bool tooBig = false;
    ReadWatch watch(m_limits.milliseconds, progress, cancel);
    {
        // Half the bound: the blocks a growing sort frees are not all given back to the system.
        const EngineHeapBound heapBound(m_limits.memoryBytes / 2);
        sqlite3_progress_handler(h, 1000, ReadWatch::onProgress, &watch);
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            ++m_rows;
            if (!row()) {
                tooBig = true;
                break;
            }
            if (m_rows % 256 == 0 && watch.stop())
                break;
        }
        sqlite3_progress_handler(h, 0, nullptr, nullptr);
    }
    if (tooBig || rc == SQLITE_NOMEM || rc == SQLITE_TOOBIG)
        return Stop::TooBig;
    if (watch.reason() != Stop::None)
        return watch.reason();
    if (rc != SQLITE_DONE) {
        m_detail = QString::fromUtf8(sqlite3_errmsg(h));
        return Stop::Failed;
    }
    return Stop::None;
}
