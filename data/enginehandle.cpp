#include "enginehandle.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <cerrno>
#include <cstring>
#include <sqlite3.h>
#include <unistd.h>
#include <vector>

namespace {

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

bool writeAll(int fd, const char *data, qint64 size, qint64 offset)
{
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, data, size_t(size), offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= n;
        offset += n;
    }
    return true;
}

// Header bytes 18 and 19 are the file format versions: 1 for a rollback journal,
// 2 when committed pages may still sit in a write-ahead log beside the file.
constexpr qint64 kVersionOffset = 18;
const char kRollbackVersions[2] = {1, 1};

} // namespace

QString EngineHandle::open(const QString &path, Mode mode)
{
    close();
    QByteArray name = QFile::encodeName(path);
    int flags = mode == Mode::ReadWrite ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY;
    if (mode == Mode::Unchanging) {
        name = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded).toUtf8()
               + "?immutable=1";
        flags |= SQLITE_OPEN_URI;
    }
    const int rc = sqlite3_open_v2(name.constData(), &m_db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString why = m_db ? error() : QString::fromUtf8(sqlite3_errstr(rc));
        close();
        return why;
    }
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, 5000);
    return QString();
}

void EngineHandle::close()
{
    if (m_db)
        sqlite3_close_v2(m_db);
    m_db = nullptr;
}

bool EngineHandle::failedOnDamage() const
{
    const int code = m_db ? (sqlite3_extended_errcode(m_db) & 0xff) : SQLITE_OK;
    return code == SQLITE_NOTADB || code == SQLITE_CORRUPT;
}

bool EngineHandle::failedOnUnfinishedChange() const
{
    return m_db && sqlite3_extended_errcode(m_db) == SQLITE_READONLY_ROLLBACK;
}

QString EngineHandle::guard()
{
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_DEFENSIVE, 1, static_cast<int *>(nullptr));
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, static_cast<int *>(nullptr));
    return exec("PRAGMA trusted_schema=OFF; PRAGMA cell_size_check=ON;");
}

QString EngineHandle::mapIntoMemory()
{
    return exec("PRAGMA mmap_size=2147418112;");
}

QString EngineHandle::beginRead()
{
    // The read of the schema takes the read lock at once.
    return exec("BEGIN; SELECT count(*) FROM sqlite_master;");
}

QString EngineHandle::beginWrite()
{
    return exec("PRAGMA journal_mode=DELETE; BEGIN IMMEDIATE;");
}

QString EngineHandle::checkIntegrity(QString &verdict)
{
    QStringList result;
    QString failure;
    if (!column("PRAGMA integrity_check(1)", QString(), result, failure))
        return failure;
    verdict = result.value(0) == QLatin1String("ok") ? QString() : result.value(0);
    return QString();
}

QString EngineHandle::error() const
{
    return QString::fromUtf8(sqlite3_errmsg(m_db));
}

QString EngineHandle::exec(const char *sql)
{
    return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK ? QString() : error();
}

bool EngineHandle::column(const char *sql, const QString &param, QStringList &out, QString &failure)
{
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(m_db, sql, -1, &st, nullptr) != SQLITE_OK) {
        failure = error();
        return false;
    }
    const QByteArray bound = param.toUtf8();
    if (!param.isNull())
        sqlite3_bind_text(st, 1, bound.constData(), int(bound.size()), SQLITE_TRANSIENT);
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW)
        out << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
    if (rc != SQLITE_DONE)
        failure = error();
    sqlite3_finalize(st);
    return rc == SQLITE_DONE;
}

QString EngineHandle::copyTo(int fd, const QString &path)
{
    // Read through the engine's own open file: a second descriptor of ours on
    // it, once closed, would drop the locks the engine holds there.
    sqlite3_file *file = nullptr;
    if (sqlite3_file_control(m_db, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || !file || !file->pMethods)
        return copyPages(fd, path);
    sqlite3_int64 size = 0;
    if (file->pMethods->xFileSize(file, &size) != SQLITE_OK)
        return error();
    // The database is its pages: whatever lies past them (a file made longer,
    // sparse or not) is not copied.
    QStringList pageSize;
    QStringList pageCount;
    QString failure;
    if (!column("PRAGMA page_size", QString(), pageSize, failure) || !column("PRAGMA page_count", QString(), pageCount, failure))
        return failure;
    size = std::min(size, pageSize.value(0).toLongLong() * pageCount.value(0).toLongLong());

    std::vector<char> buffer(1 << 20);
    for (sqlite3_int64 offset = 0; offset < size;) {
        const int chunk = int(std::min<sqlite3_int64>(sqlite3_int64(buffer.size()), size - offset));
        const int rc = file->pMethods->xRead(file, buffer.data(), chunk, offset);
        if (rc != SQLITE_OK)
            return QString::fromUtf8(sqlite3_errstr(rc));
        if (offset == 0 && (chunk < 100 || std::memcmp(buffer.data() + kVersionOffset, kRollbackVersions, 2) != 0))
            return copyPages(fd, path);
        if (!writeAll(fd, buffer.data(), chunk, offset))
            return systemError();
        offset += chunk;
    }
    return QString();
}

QString EngineHandle::copyPages(int fd, const QString &path)
{
    {
        // The copy is not live until renamed into place: no journal, no syncs.
        EngineHandle dst;
        QString failure = dst.open(path, Mode::ReadWrite);
        if (failure.isEmpty())
            failure = dst.exec("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF;");
        if (!failure.isEmpty())
            return failure;
        sqlite3_backup *backup = sqlite3_backup_init(dst.m_db, "main", m_db, "main");
        if (!backup)
            return dst.error();
        const int step = sqlite3_backup_step(backup, -1);
        const int finish = sqlite3_backup_finish(backup);
        if (step != SQLITE_DONE)
            return QString::fromUtf8(sqlite3_errstr(step));
        if (finish != SQLITE_OK)
            return dst.error();
    }
    // Pages copied from a write-ahead-log database keep its versions; the copy has no log.
    if (!writeAll(fd, kRollbackVersions, 2, kVersionOffset))
        return systemError();
    return QString();
}
