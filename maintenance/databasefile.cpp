#include "databasefile.h"

#include "connection.h"
#include "dberror.h"
#include "schema.h"
#include "services.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryFile>
#include <QUrl>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sqlite3.h>
#include <unistd.h>

namespace {

// An engine connection of our own, closed on every way out.
struct Handle
{
    sqlite3 *db = nullptr;

    Handle() = default;
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;
    ~Handle()
    {
        if (db)
            sqlite3_close_v2(db);
    }

    QString error() const { return QString::fromUtf8(sqlite3_errmsg(db)); }

    // Empty on success, else the engine's message.
    QString open(const QString &path, int flags)
    {
        const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, flags, nullptr);
        if (rc != SQLITE_OK)
            return db ? error() : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_busy_timeout(db, 5000);
        return QString();
    }

    QString exec(const char *sql)
    {
        return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK ? QString() : error();
    }

    // The first column of every row; false (with the engine's message in error) when the query fails.
    bool column(const char *sql, const QString &param, QStringList &out, QString &failure)
    {
        sqlite3_stmt *st = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK) {
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
};

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

std::filesystem::path fsPath(const QString &path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

// True when both paths name one file, however spelt (links, "..", case of the path).
bool sameFile(const QString &a, const QString &b)
{
    std::error_code ec;
    return std::filesystem::equivalent(fsPath(a), fsPath(b), ec);
}

// Copies every page of src into dst in one write transaction of dst.
QString copyPages(sqlite3 *src, sqlite3 *dst)
{
    sqlite3_backup *backup = sqlite3_backup_init(dst, "main", src, "main");
    if (!backup)
        return QString::fromUtf8(sqlite3_errmsg(dst));
    const int step = sqlite3_backup_step(backup, -1);
    const int finish = sqlite3_backup_finish(backup);
    if (step != SQLITE_DONE)
        return QString::fromUtf8(sqlite3_errstr(step));
    if (finish != SQLITE_OK)
        return QString::fromUtf8(sqlite3_errmsg(dst));
    return QString();
}

// Flushes a file (or a folder's entries) to the disk.
bool syncPath(const QString &path, int flags)
{
    const int fd = ::open(QFile::encodeName(path).constData(), flags);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

// Opens a file that comes from outside read-only and with the engine's guards
// up, then checks that it is a sound database of this program. Empty when it is.
QString openChecked(const QString &source, const QString &database, Handle &h)
{
    const QFileInfo info(source);
    const QString name = native(info.absoluteFilePath());
    if (!info.exists())
        return QStringLiteral("the file %1 cannot be found.").arg(name);
    if (info.isDir())
        return QStringLiteral("%1 is a folder, not a file.").arg(name);
    if (!info.isReadable())
        return QStringLiteral("the file %1 cannot be read.").arg(name);
    if (sameFile(source, database))
        return QStringLiteral("%1 is the database itself.").arg(name);
    if (info.size() == 0)
        return QStringLiteral("%1 is empty; it holds no database.").arg(name);
    if (!Schema::hasDatabaseHeader(source))
        return QStringLiteral("%1 is not a database.").arg(name);

    // Immutable: the engine makes no journal, WAL or shared-memory file beside
    // the user's file, and a file in a read-only folder still opens.
    QString failure = h.open(QUrl::fromLocalFile(info.absoluteFilePath()).toString(QUrl::FullyEncoded)
                                 + QStringLiteral("?immutable=1"),
                             SQLITE_OPEN_READONLY | SQLITE_OPEN_URI);
    if (!failure.isEmpty())
        return QStringLiteral("%1 cannot be opened as a database (%2).").arg(name, failure);
    sqlite3_db_config(h.db, SQLITE_DBCONFIG_DEFENSIVE, 1, static_cast<int *>(nullptr));
    sqlite3_db_config(h.db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, static_cast<int *>(nullptr));
    failure = h.exec("PRAGMA trusted_schema=OFF; PRAGMA cell_size_check=ON;");
    if (!failure.isEmpty())
        return QStringLiteral("%1 cannot be opened as a database (%2).").arg(name, failure);

    QStringList result;
    if (!h.column("PRAGMA integrity_check", QString(), result, failure))
        return QStringLiteral("%1 is not a sound database (%2).").arg(name, failure);
    if (result.value(0) != QLatin1String("ok"))
        return QStringLiteral("%1 is damaged (%2).").arg(name, result.value(0));

    QStringList missing;
    for (const Schema::Table &table : Schema::tables()) {
        QStringList present;
        if (!h.column("select lower(name) from pragma_table_info(?)", table.name, present, failure))
            return QStringLiteral("%1 cannot be read (%2).").arg(name, failure);
        if (present.isEmpty()) {
            missing << QStringLiteral("table %1").arg(table.name);
            continue;
        }
        for (const QString &column : table.columns) {
            if (!present.contains(column.toLower()))
                missing << QStringLiteral("column %1.%2").arg(table.name, column);
        }
    }
    if (!missing.isEmpty())
        return QStringLiteral("%1 is not a %2 database: it lacks %3.")
            .arg(name, Ui::appTitle(), missing.join(QStringLiteral(", ")));

    // A trigger would run inside every window's own saves.
    QStringList triggers;
    if (!h.column("select name from sqlite_master where type='trigger'", QString(), triggers, failure))
        return QStringLiteral("%1 cannot be read (%2).").arg(name, failure);
    if (!triggers.isEmpty())
        return QStringLiteral("%1 is not a %2 database: it holds triggers.").arg(name, Ui::appTitle());
    return QString();
}

[[noreturn]] void backupFailed(const QString &why)
{
    throw DatabaseFileError(QStringLiteral("The backup was not made: ") + why);
}

[[noreturn]] void restoreFailed(const QString &why)
{
    throw DatabaseFileError(QStringLiteral("Nothing was restored: ") + why
                            + QStringLiteral("\nThe database has not been changed."));
}

} // namespace

DatabaseFile::DatabaseFile(const QString &databasePath)
    : m_path(QFileInfo(databasePath).absoluteFilePath())
{
}

void DatabaseFile::backupTo(const QString &destination) const
{
    if (!QFileInfo(m_path).isFile())
        backupFailed(QStringLiteral("the database file %1 cannot be found.").arg(native(m_path)));

    const QFileInfo given(destination);
    QString target = given.absoluteFilePath();
    if (given.isDir())
        backupFailed(QStringLiteral("%1 is a folder, not a file.").arg(native(target)));
    if (given.exists()) {
        // Write through a link to the file it names, as a plain copy would.
        target = given.canonicalFilePath();
        if (sameFile(target, m_path))
            backupFailed(QStringLiteral("%1 is the database itself; choose another file for the backup.")
                             .arg(native(target)));
        if (!given.isWritable())
            backupFailed(QStringLiteral("the file %1 is read-only.").arg(native(target)));
    }
    const QString folder = QFileInfo(target).absolutePath();
    if (!QFileInfo::exists(folder))
        backupFailed(QStringLiteral("the folder %1 does not exist.").arg(native(folder)));
    if (!QFileInfo(folder).isDir())
        backupFailed(QStringLiteral("%1 is not a folder.").arg(native(folder)));

    QTemporaryFile temp(QDir(folder).filePath(QStringLiteral(".%1.XXXXXX").arg(QFileInfo(target).fileName())));
    temp.setAutoRemove(false);
    if (!temp.open())
        backupFailed(QStringLiteral("nothing can be written in the folder %1 (%2).").arg(native(folder), temp.errorString()));
    const QString tempPath = temp.fileName();
    temp.close();
    // Whatever goes wrong below, no half-written file stays behind.
    struct Leftovers
    {
        QString path;
        bool renamed = false;
        ~Leftovers()
        {
            if (!renamed)
                QFile::remove(path);
            QFile::remove(path + QStringLiteral("-journal"));
        }
    } leftovers{tempPath};

    QString failure;
    {
        Handle src;
        Handle dst;
        failure = src.open(m_path, SQLITE_OPEN_READONLY);
        if (failure.isEmpty())
            failure = dst.open(tempPath, SQLITE_OPEN_READWRITE);
        if (failure.isEmpty())
            failure = copyPages(src.db, dst.db);
    }
    if (!failure.isEmpty())
        backupFailed(QStringLiteral("writing %1 failed (%2).").arg(native(target), failure));

    QFile::setPermissions(tempPath, QFile::permissions(given.exists() ? target : m_path));
    if (!syncPath(tempPath, O_RDONLY))
        backupFailed(QStringLiteral("writing %1 failed (%2).").arg(native(target), QString::fromLocal8Bit(std::strerror(errno))));
    if (std::rename(QFile::encodeName(tempPath).constData(), QFile::encodeName(target).constData()) != 0)
        backupFailed(QStringLiteral("%1 cannot be replaced (%2).").arg(native(target), QString::fromLocal8Bit(std::strerror(errno))));
    leftovers.renamed = true;
    syncPath(folder, O_RDONLY | O_DIRECTORY);
}

QString DatabaseFile::restoreProblem(const QString &source) const
{
    Handle h;
    return openChecked(source, m_path, h);
}

void DatabaseFile::restoreFrom(const QString &source) const
{
    Handle src;
    const QString problem = openChecked(source, m_path, src);
    if (!problem.isEmpty())
        restoreFailed(problem);

    // No window may read the file while it changes, nor keep what it read before.
    QList<Connection *> closed;
    for (Connection *cn : Connection::all()) {
        if (cn->state() == 1 && sameFile(cn->path(), m_path)) {
            cn->close();
            closed << cn;
        }
    }

    QString failure;
    {
        Handle dst;
        failure = dst.open(m_path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        if (failure.isEmpty())
            failure = dst.exec("PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL;");
        if (failure.isEmpty())
            failure = copyPages(src.db, dst.db);
    }

    QStringList notReopened;
    for (Connection *cn : std::as_const(closed)) {
        try {
            cn->open(cn->path());
        } catch (const DbError &e) {
            notReopened << e.describe();
        }
    }

    if (!failure.isEmpty())
        restoreFailed(QStringLiteral("copying %1 into the database failed (%2).")
                          .arg(native(QFileInfo(source).absoluteFilePath()), failure));
    if (!notReopened.isEmpty())
        throw DatabaseFileError(QStringLiteral("The database was restored, but it cannot be opened again:\n")
                                + notReopened.join(QLatin1Char('\n')));
}
