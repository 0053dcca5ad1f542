#include "connection.h"

#include "databaselocation.h"
#include "dberror.h"
#include "readonlyguard.h"
#include "schema.h"
#include "serverfailure.h"
#include "serverschema.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QUuid>
#include <optional>
#include <pwd.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct FileId
{
    quint64 device;
    quint64 inode;
};

std::optional<FileId> fileId(const QString &path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    return FileId{quint64(st.st_dev), quint64(st.st_ino)};
}

QList<Connection *> &registry()
{
    static QList<Connection *> list;
    return list;
}

QString &serverPassword()
{
    static QString password;
    return password;
}

sqlite3 *engineOf(const QSqlDatabase &db)
{
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(handle.data());
}

[[noreturn]] void cannotOpen(const QString &path, const QString &why)
{
    throw DbError(DbError::Kind::CannotOpen, QStringLiteral("Cannot open the database %1").arg(path), why);
}

} // namespace

Connection::Connection()
    : m_name(QStringLiteral("verolan-") + QUuid::createUuid().toString(QUuid::WithoutBraces))
{
    registry().append(this);
}

Connection::~Connection()
{
    close();
    registry().removeOne(this);
}

QList<Connection *> Connection::all()
{
    return registry();
}

ObjectState Connection::state() const
{
    if (!QSqlDatabase::contains(m_name))
        return StateClosed;
    return QSqlDatabase::database(m_name, false).isOpen() ? StateOpen : StateClosed;
}

bool Connection::isLost() const
{
    // The driver counts a connection the server dropped as no longer open.
    return m_server && QSqlDatabase::contains(m_name) && !database().isOpen();
}

sqlite3 *Connection::engine() const
{
    return state() == StateOpen ? engineOf(database()) : nullptr;
}

QSqlDatabase Connection::database() const
{
    return QSqlDatabase::database(m_name, false);
}

void Connection::open(const QString &path, Access access)
{
    if (DatabaseLocation::parse(path).isServer())
        openServer(path, access);
    else if (access == Access::ReadOnly)
        openReadOnly(path);
    else
        open(path);
}

void Connection::reopen()
{
    const QString path = m_path;
    open(path, m_access);
}

void Connection::openReadOnly(const QString &path)
{
    close();
    const QFileInfo info(path);
    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(info.absoluteFilePath());
        // It must never lock out or change the program's data.
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=5000"));
        if (!db.open()) {
            failure = db.lastError().text();
        } else if (sqlite3 *h = engineOf(db)) {
            // Sorts and recursions work in memory, where a read's bound holds,
            // not in temporary files that could fill the disk.
            sqlite3_exec(h, "PRAGMA temp_store=MEMORY", nullptr, nullptr, nullptr);
            installReadOnlyGuard(h, nullptr);
        } else {
            failure = QStringLiteral("the database driver gives no engine handle");
            db.close();
        }
    }
    if (!failure.isEmpty()) {
        QSqlDatabase::removeDatabase(m_name);
        cannotOpen(path, failure);
    }
    opened(info.absoluteFilePath(), Access::ReadOnly);
}

QString Connection::userName() const
{
    // Asked once an open: every result save names it.
    if (m_server && m_userName.isEmpty()) {
        QSqlQuery q(database());
        m_userName = q.exec(QStringLiteral("select current_user")) && q.next() ? q.value(0).toString() : QString();
    }
    if (m_server)
        return m_userName;
    const passwd *login = ::getpwuid(::getuid());
    return login ? QString::fromLocal8Bit(login->pw_name) : qEnvironmentVariable("USER");
}

QString Connection::serverVersion() const
{
    if (!m_server)
        return QString();
    QSqlQuery q(database());
    // "15.14 (Debian 15.14-0+deb12u1)": the version is the first word.
    return q.exec(QStringLiteral("show server_version")) && q.next()
               ? q.value(0).toString().section(QLatin1Char(' '), 0, 0)
               : QString();
}

void Connection::setServerPassword(const QString &password)
{
    serverPassword() = password;
}

QString Connection::typedServerPassword()
{
    return serverPassword();
}

Connection::PasswordTrouble Connection::passwordTrouble(const QString &engineMessage)
{
    if (engineMessage.contains(QLatin1String("no password supplied")))
        return PasswordTrouble::Missing;
    if (engineMessage.contains(QLatin1String("password authentication failed")))
        return PasswordTrouble::Wrong;
    return PasswordTrouble::None;
}

void Connection::openServer(const QString &text, Access access)
{
    close();
    const DatabaseLocation location = DatabaseLocation::parse(text);
    if (!location.isValid())
        cannotOpen(text, location.problem());
    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_name);
        if (!db.isValid())
            failure = QStringLiteral("The PostgreSQL driver of QtSql is not installed (libqt6sql6-psql).");
        db.setHostName(location.host());
        db.setPort(location.port());
        db.setUserName(location.user());
        db.setDatabaseName(location.database());
        // libpq finds the password itself (~/.pgpass, the service file, PGPASSWORD)
        // unless the user typed one.
        if (!serverPassword().isEmpty())
            db.setPassword(serverPassword());
        QStringList options{QStringLiteral("connect_timeout=10")};
        if (!location.service().isEmpty())
            options << QStringLiteral("service=") + location.service();
        if (access == Access::ReadOnly)
            options << QStringLiteral("options='-c default_transaction_read_only=on'");
        db.setConnectOptions(options.join(QLatin1Char(';')));
        if (failure.isEmpty() && !db.open())
            failure = explainServerFailure(db.lastError().text(), location);
        else if (failure.isEmpty() && access == Access::ReadWrite)
            failure = Schema::readyServer(db);
        if (!failure.isEmpty())
            db.close();
    }
    if (!failure.isEmpty()) {
        QSqlDatabase::removeDatabase(m_name);
        cannotOpen(location.isValid() ? location.displayName() : text, failure);
    }
    m_server = true;
    opened(text, access);
    if (access == Access::ReadWrite)
        listenForChanges();
}

void Connection::listenForChanges()
{
    QSqlDriver *driver = database().driver();
    m_listening = driver->subscribeToNotification(changeChannel());
    if (!m_listening)
        return;
    // The driver goes with the connection's close, and this handler with it.
    QObject::connect(driver, &QSqlDriver::notification, driver,
                     [this](const QString &, QSqlDriver::NotificationSource source, const QVariant &) {
                         if (source != QSqlDriver::SelfSource)
                             ++m_serverVersion;
                     });
}

void Connection::open(const QString &path)
{
    if (DatabaseLocation::parse(path).isServer())
        return openServer(path, Access::ReadWrite);
    close();
    const QFileInfo info(path);
    if (!info.exists())
        cannotOpen(path, QStringLiteral("The file does not exist."));
    if (!info.isFile())
        cannotOpen(path, QStringLiteral("The path is not a file."));
    if (!info.isReadable())
        cannotOpen(path, QStringLiteral("The file cannot be read."));
    if (!info.isWritable())
        cannotOpen(path, QStringLiteral("The file is read-only."));
    if (!Schema::hasDatabaseHeader(path))
        cannotOpen(path, QStringLiteral("The file is not a database."));

    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        // mode=rw: an open must never make a new file in place of a missing one.
        db.setDatabaseName(QUrl::fromLocalFile(info.absoluteFilePath()).toString(QUrl::FullyEncoded)
                           + QStringLiteral("?mode=rw"));
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=5000"));
        if (!db.open()) {
            failure = db.lastError().text();
        } else {
            // The engine falls back to reading a file it may not write, without a
            // word; the permission check above asks for the real user only.
            sqlite3 *engine = engineOf(db);
            if (engine && sqlite3_db_readonly(engine, "main") == 1)
                failure = QStringLiteral("The file is read-only.");
            QSqlQuery q(db);
            // A rollback journal keeps the file alone a whole database; FULL sync keeps
            // every committed save through a crash.
            if (failure.isEmpty()
                && (!q.exec(QStringLiteral("PRAGMA journal_mode=DELETE")) || !q.exec(QStringLiteral("PRAGMA synchronous=FULL"))))
                failure = q.lastError().text();
            // No memory map: a file cut short under a mapping kills the process
            // (another program may empty or replace it at any time).
            q.exec(QStringLiteral("PRAGMA mmap_size=0"));
            if (failure.isEmpty())
                failure = engine ? Schema::differences(engine, Schema::Check::Presence)
                                 : QStringLiteral("The connection has no engine handle.");
            // A file of an earlier version gets the tables added since, empty.
            if (failure.isEmpty())
                failure = Schema::addMissingTables(engine);
            q.finish();
        }
        if (!failure.isEmpty())
            db.close();
    }
    if (!failure.isEmpty()) {
        QSqlDatabase::removeDatabase(m_name);
        cannotOpen(path, failure);
    }
    opened(info.absoluteFilePath(), Access::ReadWrite);
}

void Connection::opened(const QString &path, Access access)
{
    m_path = path;
    m_access = access;
    const std::optional<FileId> id = m_server ? std::nullopt : fileId(m_path);
    m_device = id ? id->device : 0;
    m_inode = id ? id->inode : 0;
    m_userName.clear();
    ++m_generation;
}

void Connection::followFile()
{
    if (state() != 1 || m_server)
        return;
    const std::optional<FileId> id = fileId(m_path);
    if (!id)
        throw DbError(DbError::Kind::CannotOpen, QStringLiteral("Cannot reach the database %1").arg(m_path),
                      QStringLiteral("The file is no longer there: it was moved or deleted. Put it back, or "
                                     "restore a backup, and try again."));
    if (id->device == m_device && id->inode == m_inode)
        return;
    if (engine() && !sqlite3_get_autocommit(engine()))
        throw DbError(DbError::Kind::CannotOpen, QStringLiteral("Cannot finish the change in %1").arg(m_path),
                      QStringLiteral("The file was replaced while the change was under way; nothing was saved."));
    reopen();
}

qint64 Connection::dataVersion() const
{
    if (state() != 1)
        return -1;
    // Not hearing the server's announcements, every ask counts as a change.
    if (m_server)
        return qint64(m_listening ? m_serverVersion : ++m_serverVersion);
    QSqlQuery q(database());
    if (!q.exec(QStringLiteral("PRAGMA data_version")) || !q.next())
        return -1;
    return q.value(0).toLongLong();
}

void Connection::close()
{
    m_server = false;
    m_listening = false;
    if (!QSqlDatabase::contains(m_name))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_name);
}
