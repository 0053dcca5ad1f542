#include "connection.h"

#include "dberror.h"
#include "schema.h"

#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QUuid>
#include <sqlite3.h>

namespace {

QList<Connection *> &registry()
{
    static QList<Connection *> list;
    return list;
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

int Connection::state() const
{
    if (!QSqlDatabase::contains(m_name))
        return 0;
    return QSqlDatabase::database(m_name, false).isOpen() ? 1 : 0;
}

QSqlDatabase Connection::database() const
{
    return QSqlDatabase::database(m_name, false);
}

void Connection::open(const QString &path, Check check)
{
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
            const QVariant handle = db.driver()->handle();
            sqlite3 *engine = handle.isValid() ? *static_cast<sqlite3 *const *>(handle.data()) : nullptr;
            if (engine && sqlite3_db_readonly(engine, "main") == 1)
                failure = QStringLiteral("The file is read-only.");
            QSqlQuery q(db);
            // A rollback journal keeps the file alone a whole database; FULL sync keeps
            // every committed save through a crash.
            if (failure.isEmpty()
                && (!q.exec(QStringLiteral("PRAGMA journal_mode=DELETE")) || !q.exec(QStringLiteral("PRAGMA synchronous=FULL"))))
                failure = q.lastError().text();
            // Reads map the file instead of copying it page by page; all windows share the mapping.
            q.exec(QStringLiteral("PRAGMA mmap_size=1073741824"));
            if (failure.isEmpty())
                failure = Schema::missingParts(db);
            if (failure.isEmpty() && check == Check::SchemaAndIntegrity) {
                if (!q.exec(QStringLiteral("PRAGMA quick_check")) || !q.next())
                    failure = q.lastError().text();
                else if (q.value(0).toString() != QLatin1String("ok"))
                    failure = QStringLiteral("The database is damaged: ") + q.value(0).toString();
            }
            q.finish();
        }
        if (!failure.isEmpty())
            db.close();
    }
    if (!failure.isEmpty()) {
        QSqlDatabase::removeDatabase(m_name);
        cannotOpen(path, failure);
    }
    m_path = info.absoluteFilePath();
    ++m_generation;
}

qint64 Connection::dataVersion() const
{
    if (state() != 1)
        return -1;
    QSqlQuery q(database());
    if (!q.exec(QStringLiteral("PRAGMA data_version")) || !q.next())
        return -1;
    return q.value(0).toLongLong();
}

void Connection::close()
{
    if (!QSqlDatabase::contains(m_name))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_name);
}
