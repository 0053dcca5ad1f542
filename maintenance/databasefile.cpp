#include "databasefile.h"

#include "connection.h"
#include "dberror.h"
#include "enginehandle.h"
#include "schema.h"
#include "sidefile.h"
#include "writetarget.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cstring>
#include <filesystem>
#include <future>

namespace {

const QString kAppName = QStringLiteral("Verolan");

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

// The file a path names, through a link if it is one: copies replace that file.
QString realFile(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
}

// What is wrong with the path a restore is to read, before the file is opened.
QString sourcePathProblem(const QString &source, const QString &database)
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
    return QString();
}

// A database in write-ahead log mode (format bytes 18 and 19 of the header)
// with no log file beside it.
bool walWithoutLog(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray header = file.read(20);
    return header.size() == 20 && (header.at(18) == 2 || header.at(19) == 2) && !QFileInfo::exists(path + QStringLiteral("-wal"));
}

// Opens a file whose contents come from outside read-only and with the engine's
// guards up, and starts a read transaction: nobody commits to it until h closes.
// name is the file the user chose, for messages. A file that only this
// process writes may be mapped into memory, which reads it faster; a file of
// the user's never is, since shortening it meanwhile would crash the process.
// Empty when it opened.
enum class Reading { Plain, Mapped };

QString openGuarded(EngineHandle &h, const QString &path, const QString &name, Reading reading = Reading::Plain)
{
    // Nothing waits in a log: opened as unchanging, the engine makes no log or
    // shared-memory file beside a file that may sit on a stick or a share.
    QString failure = h.open(path, walWithoutLog(path) ? EngineHandle::Mode::Unchanging : EngineHandle::Mode::ReadOnly);
    if (failure.isEmpty())
        failure = h.guard();
    if (failure.isEmpty() && reading == Reading::Mapped)
        failure = h.mapIntoMemory();
    if (!failure.isEmpty())
        return QStringLiteral("%1 cannot be opened as a database (%2).").arg(name, failure);
    if (!h.beginRead().isEmpty()) {
        // A change that was never finished waits beside the file, and only a
        // writer could undo it: the file alone is not a whole database.
        if (h.failedOnUnfinishedChange())
            return QStringLiteral("%1 was left in the middle of a change and is not a whole database.").arg(name);
        return QStringLiteral("%1 is not a sound database (%2).").arg(name, h.error());
    }
    return QString();
}

// Empty when the database open in h is sound and behaves exactly as one this
// program made; otherwise what is wrong, naming the file as name.
QString contentProblem(EngineHandle &h, const QString &name)
{
    // The full check: an index that disagrees with its table passes the quick
    // one, and a save through it would add a row where it should change one.
    QString verdict;
    const QString failure = h.checkIntegrity(verdict);
    if (!failure.isEmpty())
        return QStringLiteral("%1 is not a sound database (%2).").arg(name, failure);
    if (!verdict.isEmpty())
        return QStringLiteral("%1 is damaged (%2).").arg(name, verdict);
    const QString differs = Schema::differences(h.db());
    if (!differs.isEmpty())
        return QStringLiteral("%1 is not a database as %2 makes it: %3.").arg(name, kAppName, differs);
    return QString();
}

// Empty when the file at path is a sound database of this program.
QString fileProblem(const QString &path, const QString &name, Reading reading = Reading::Plain)
{
    const QFileInfo info(path);
    if (info.size() == 0)
        return QStringLiteral("%1 is empty; it holds no database.").arg(name);
    if (!Schema::hasDatabaseHeader(path))
        return QStringLiteral("%1 is not a database.").arg(name);
    EngineHandle h;
    const QString problem = openGuarded(h, path, name, reading);
    return problem.isEmpty() ? contentProblem(h, name) : problem;
}

// Checks the finished copy at copy.path() while the disk takes it in: the one
// waits on the processor, the other on the disk. Empty, or why the copy
// must not be used (first what is wrong with it, then a failed flush).
QString checkWhileSyncing(SideFile &copy, const QString &name)
{
    std::future<QString> flushed = std::async(std::launch::async, [&copy] { return copy.sync(); });
    const QString problem = fileProblem(copy.path(), name, Reading::Mapped);
    const QString failure = flushed.get();
    if (!problem.isEmpty())
        return problem;
    return failure.isEmpty() ? QString() : QStringLiteral("writing the copy failed (%1).").arg(failure);
}

// The files a restore writes beside the database before it renames them: a
// backup there would be replaced, or removed as a leftover.
bool restoresSideFile(const QString &target, const QString &database)
{
    const QFileInfo t(target);
    const QFileInfo d(database);
    if (!sameFile(t.absolutePath(), d.absolutePath()))
        return false;
    const QString name = d.fileName();
    return t.fileName() == SideFile::sideName(name)
           || t.fileName() == SideFile::sideName(name + QStringLiteral(".before-restore"));
}

// Writes the database as it is now to <database>.before-restore. live holds
// it locked, or is closed when the file is too damaged to open. Empty on
// success, else why not.
QString keepBeforeRestore(const QString &database, EngineHandle &live)
{
    if (!QFileInfo::exists(database))
        return QString();
    const QString keep = database + QStringLiteral(".before-restore");
    SideFile copy(keep);
    QString failure = copy.create(QFile::permissions(database));
    if (failure.isEmpty()) {
        if (live.isOpen()) {
            failure = live.copyTo(copy.fd(), copy.path());
        } else {
            // Too damaged for the engine: keep its bytes as they are.
            QFile from(database);
            QIODevice &to = copy.device();
            if (!from.open(QIODevice::ReadOnly))
                failure = from.errorString();
            while (failure.isEmpty() && !from.atEnd()) {
                const QByteArray chunk = from.read(1 << 20);
                if (chunk.isEmpty() && from.error() != QFileDevice::NoError)
                    failure = from.errorString();
                else if (to.write(chunk) != chunk.size())
                    failure = to.errorString();
            }
        }
    }
    if (failure.isEmpty())
        failure = copy.sync();
    if (failure.isEmpty())
        failure = copy.putInPlace();
    if (!failure.isEmpty())
        return QStringLiteral("the database as it is now cannot be kept as %1 (%2)").arg(native(keep), failure);
    return QString();
}

// Puts the checked copy in place of the database. live keeps the old file
// locked for writing meanwhile, so no change of another program's can slip in
// and be lost. Empty on success, else why nothing changed.
QString replaceDatabase(const QString &database, SideFile &copy)
{
    EngineHandle live;
    if (QFileInfo::exists(database)) {
        // Taking the write lock first rolls back a change a crash left unfinished;
        // a rollback journal mode leaves no log of committed pages beside the file.
        QString failure = live.open(database, EngineHandle::Mode::ReadWrite);
        if (failure.isEmpty())
            failure = live.beginWrite();
        // A damaged database is what a restore is for: its bytes are kept as they are.
        if (!failure.isEmpty() && !live.failedOnDamage())
            return failure;
        if (!failure.isEmpty())
            live.close();
    }
    // The database as it was, whole, so that the restore can be undone.
    const QString keptAs = keepBeforeRestore(database, live);
    if (!keptAs.isEmpty())
        return keptAs;
    // Whatever still lies beside the old file belongs to nobody now, and the
    // engine would play it into the new one.
    for (const char *suffix : {"-journal", "-wal", "-shm"})
        QFile::remove(database + QLatin1String(suffix));
    return copy.putInPlace();
}

// A database the program makes anew: its user reads and writes it, others may read.
constexpr QFileDevice::Permissions kNewFilePermissions =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser | QFileDevice::WriteUser
    | QFileDevice::ReadGroup | QFileDevice::ReadOther;

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
    const QString target = realFile(destination);
    if (given.isDir())
        backupFailed(QStringLiteral("%1 is a folder, not a file.").arg(native(target)));
    // An older backup may be replaced; the database and the files beside it never.
    const QString refused = WriteTarget::problem(destination, m_path, WriteTarget::Use::Backup);
    if (!refused.isEmpty())
        backupFailed(refused);
    if (given.exists() && !given.isWritable())
        backupFailed(QStringLiteral("the file %1 is read-only.").arg(native(target)));
    if (restoresSideFile(target, realFile(m_path)))
        backupFailed(QStringLiteral("%1 is a name the program keeps for its own files beside the database; "
                                    "choose another name.")
                         .arg(native(target)));
    const QString database = native(m_path);
    const QString kept = given.exists() ? QStringLiteral(" The existing file %1 was left as it was.").arg(native(target))
                                        : QString();
    if (QFileInfo(m_path).size() == 0)
        backupFailed(QStringLiteral("the database %1 is damaged: it is empty.%2").arg(database, kept));
    if (!Schema::hasDatabaseHeader(m_path))
        backupFailed(QStringLiteral("the database %1 is damaged: it is not a database any more.%2").arg(database, kept));
    const QString folder = QFileInfo(target).absolutePath();
    if (!QFileInfo::exists(folder))
        backupFailed(QStringLiteral("the folder %1 does not exist.").arg(native(folder)));
    if (!QFileInfo(folder).isDir())
        backupFailed(QStringLiteral("%1 is not a folder.").arg(native(folder)));

    SideFile copy(target);
    QString failure = copy.create(QFile::permissions(given.exists() ? target : m_path));
    if (!failure.isEmpty())
        backupFailed(QStringLiteral("nothing can be written in the folder %1 (%2).").arg(native(folder), failure));
    {
        // Read-write, so that a change a crash left unfinished is rolled back
        // rather than copied; the read transaction keeps saves out meanwhile.
        EngineHandle src;
        failure = src.open(m_path, EngineHandle::Mode::ReadWrite);
        if (failure.isEmpty())
            failure = src.beginRead();
        // A database the engine cannot read is damaged, whatever the destination.
        if (!failure.isEmpty() && src.failedOnDamage())
            backupFailed(QStringLiteral("the database %1 is damaged (%2).%3").arg(database, failure, kept));
        if (failure.isEmpty())
            failure = src.copyTo(copy.fd(), copy.path());
    }
    if (!failure.isEmpty())
        backupFailed(QStringLiteral("writing %1 failed (%2).").arg(native(target), failure));
    // A damaged database must never take the place of a good backup.
    const QString problem = checkWhileSyncing(copy, QStringLiteral("the database ") + database);
    if (!problem.isEmpty())
        backupFailed(problem + kept);
    failure = copy.putInPlace();
    if (!failure.isEmpty())
        backupFailed(QStringLiteral("%1 cannot be replaced (%2).").arg(native(target), failure));
}

QString DatabaseFile::restoreProblem(const QString &source) const
{
    QString problem = sourcePathProblem(source, m_path);
    if (!problem.isEmpty())
        return problem;
    EngineHandle h;
    const QString name = native(QFileInfo(source).absoluteFilePath());
    problem = openGuarded(h, source, name);
    return problem.isEmpty() ? contentProblem(h, name) : problem;
}

void DatabaseFile::restoreFrom(const QString &source) const
{
    QString problem = sourcePathProblem(source, m_path);
    if (!problem.isEmpty())
        restoreFailed(problem);
    const QString name = native(QFileInfo(source).absoluteFilePath());
    const QString database = realFile(m_path);
    // The new file takes the old one's permissions: a read-only database would
    // come back read-only, and no window could save to it.
    const QFileInfo live(database);
    if (live.exists() && (!live.isWritable() || !live.permission(QFileDevice::WriteOwner)))
        restoreFailed(QStringLiteral("the database %1 is read-only.").arg(native(database)));

    EngineHandle src;
    problem = openGuarded(src, source, name);
    if (!problem.isEmpty())
        restoreFailed(problem);

    // The copy lands beside the database first, so that the swap is one rename.
    SideFile copy(database);
    QString failure = copy.create(QFileInfo::exists(database) ? QFile::permissions(database) : kNewFilePermissions);
    if (!failure.isEmpty())
        restoreFailed(QStringLiteral("nothing can be written in the folder %1 (%2).")
                          .arg(native(QFileInfo(database).absolutePath()), failure));
    failure = src.copyTo(copy.fd(), copy.path());
    src.close();
    if (!failure.isEmpty())
        restoreFailed(QStringLiteral("copying %1 failed (%2).").arg(name, failure));

    // The copy is what goes live, so the copy is what gets checked.
    problem = checkWhileSyncing(copy, name);
    if (!problem.isEmpty())
        restoreFailed(problem);

    // No window may read the file while it changes, nor keep what it read before.
    QList<Connection *> closed;
    for (Connection *cn : Connection::all()) {
        if (cn->state() == 1 && sameFile(cn->path(), database)) {
            cn->close();
            closed << cn;
        }
    }

    failure = replaceDatabase(database, copy);

    QStringList notReopened;
    for (Connection *cn : std::as_const(closed)) {
        try {
            cn->reopen();
        } catch (const DbError &e) {
            notReopened << e.describe();
        }
    }

    if (!failure.isEmpty())
        restoreFailed(QStringLiteral("the database %1 cannot be replaced (%2).").arg(native(database), failure));
    if (!notReopened.isEmpty())
        throw DatabaseFileError(QStringLiteral("The database was restored, but it cannot be opened again:\n")
                                + notReopened.join(QLatin1Char('\n')));
}
