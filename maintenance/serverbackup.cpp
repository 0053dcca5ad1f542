#include "serverbackup.h"

#include "connection.h"
#include "databasefile.h"
#include "databaselocation.h"
#include "dberror.h"
#include "schema.h"
#include "sidefile.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>

namespace {

QString native(const QString &path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
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

// A connection of the file engine's for the length of one copy, removed with it.
class FileSession
{
public:
    FileSession(const QString &path, bool readOnly)
        : m_name(QStringLiteral("verolan-copy-") + QUuid::createUuid().toString(QUuid::WithoutBraces))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        if (readOnly)
            db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=5000"));
        if (!db.open())
            m_failure = db.lastError().text();
    }
    ~FileSession()
    {
        database().close();
        QSqlDatabase::removeDatabase(m_name);
    }
    FileSession(const FileSession &) = delete;
    FileSession &operator=(const FileSession &) = delete;

    QSqlDatabase database() const { return QSqlDatabase::database(m_name, false); }
    const QString &failure() const { return m_failure; }

private:
    QString m_name;
    QString m_failure;
};

QString failureOf(const QSqlQuery &q)
{
    return q.lastError().text();
}

// Copies every row of the program's tables from one database to the other in
// stored order, each value bound as it was read. A column the source lacks
// (a file of an earlier version) arrives empty. Empty, or why not.
QString copyRows(const QSqlDatabase &from, const QSqlDatabase &to)
{
    const QStringList stored = from.tables();
    for (const Schema::Table &table : Schema::tables()) {
        // The server keeps the names in lower case.
        const qsizetype at = stored.indexOf(QRegularExpression(QRegularExpression::escape(table.name),
                                                               QRegularExpression::CaseInsensitiveOption));
        if (at < 0)
            continue; // a table the source's version did not have yet
        const QSqlRecord present = from.record(stored.at(at));
        QStringList selected;
        QStringList marks;
        for (const QString &column : table.columns) {
            selected << (present.contains(column) ? column : QStringLiteral("null"));
            marks << QStringLiteral("?");
        }
        QSqlQuery read(from);
        read.setForwardOnly(true);
        if (!read.exec(QStringLiteral("select %1 from %2 order by %3")
                           .arg(selected.join(QLatin1Char(',')), table.name, Schema::kStoredOrder)))
            return failureOf(read);
        QSqlQuery write(to);
        if (!write.prepare(QStringLiteral("insert into %1 (%2) values (%3)")
                               .arg(table.name, table.columns.join(QLatin1Char(',')), marks.join(QLatin1Char(',')))))
            return failureOf(write);
        while (read.next()) {
            // As text, which every column holds on the server; a Null stays Null.
            for (int i = 0; i < table.columns.size(); ++i)
                write.bindValue(i, read.value(i).toString());
            if (!write.exec())
                return failureOf(write);
        }
        if (read.lastError().isValid())
            return failureOf(read);
    }
    return QString();
}

// Runs one statement the program writes; empty, or why it failed.
QString run(const QSqlDatabase &db, const QString &sql)
{
    QSqlQuery q(db);
    return q.exec(sql) ? QString() : failureOf(q);
}

void openServer(Connection &cn, const QString &location, void (*failed)(const QString &))
{
    try {
        cn.open(location);
    } catch (const DbError &e) {
        failed(e.describe());
    }
}

} // namespace

ServerBackup::ServerBackup(const QString &location)
    : m_location(location)
{
}

void ServerBackup::backupTo(const QString &destination) const
{
    const QFileInfo given(destination);
    const QString target = given.exists() ? given.canonicalFilePath() : given.absoluteFilePath();
    if (given.isDir())
        backupFailed(QStringLiteral("%1 is a folder, not a file.").arg(native(target)));
    if (given.exists() && !given.isWritable())
        backupFailed(QStringLiteral("the file %1 is read-only.").arg(native(target)));
    const QString folder = QFileInfo(target).absolutePath();
    if (!QFileInfo(folder).isDir())
        backupFailed(QStringLiteral("the folder %1 does not exist.").arg(native(folder)));
    const QString kept = given.exists() ? QStringLiteral(" The existing file %1 was left as it was.").arg(native(target))
                                        : QString();

    Connection server;
    openServer(server, m_location, backupFailed);
    SideFile copy(target);
    QString failure = copy.create(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser
                                  | QFileDevice::WriteUser | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    if (!failure.isEmpty())
        backupFailed(QStringLiteral("nothing can be written in the folder %1 (%2).").arg(native(folder), failure));
    try {
        Schema::createDatabaseIn(copy.path());
    } catch (const DbError &e) {
        backupFailed(QStringLiteral("writing %1 failed (%2).%3").arg(native(target), e.describe(), kept));
    }
    {
        FileSession file(copy.path(), false);
        const QSqlDatabase from = server.database();
        // One snapshot of every table: saves made meanwhile are all in it or all out.
        failure = file.failure();
        if (failure.isEmpty())
            failure = run(from, QStringLiteral("start transaction isolation level repeatable read, read only"));
        if (failure.isEmpty()) {
            QSqlDatabase to = file.database();
            failure = to.transaction() ? copyRows(from, to) : to.lastError().text();
            if (failure.isEmpty() && !to.commit())
                failure = to.lastError().text();
            run(from, QStringLiteral("rollback"));
        }
    }
    if (failure.isEmpty())
        failure = copy.sync();
    if (failure.isEmpty())
        failure = copy.putInPlace();
    if (!failure.isEmpty())
        backupFailed(QStringLiteral("writing %1 failed (%2).%3").arg(native(target), failure, kept));
}

void ServerBackup::restoreFrom(const QString &source) const
{
    // The file is checked as for a restore onto a file: sound, and made by the program.
    const QString problem = DatabaseFile(m_location).restoreProblem(source);
    if (!problem.isEmpty())
        restoreFailed(problem);
    Connection server;
    openServer(server, m_location, restoreFailed);
    const QSqlDatabase to = server.database();
    QStringList tables;
    for (const Schema::Table &table : Schema::tables())
        tables << table.name;
    // Nobody adds a row between the check for rows and the copy.
    QString failure = run(to, QStringLiteral("begin"));
    if (failure.isEmpty())
        failure = run(to, QStringLiteral("lock table %1 in exclusive mode").arg(tables.join(QLatin1Char(','))));
    QSqlQuery rows(to);
    if (failure.isEmpty()
        && !rows.exec(QStringLiteral("select exists (select 1 from %1)").arg(tables.join(QStringLiteral(") or exists (select 1 from ")))))
        failure = failureOf(rows);
    if (failure.isEmpty() && rows.next() && rows.value(0).toBool()) {
        run(to, QStringLiteral("rollback"));
        restoreFailed(QStringLiteral("the server database %1 holds data already. A restore goes only into an empty "
                                     "server database; to copy one server database over another, use the server's own "
                                     "backup tools (pg_dump and pg_restore).")
                          .arg(DatabaseLocation::parse(m_location).displayName()));
    }
    rows.finish();
    if (failure.isEmpty()) {
        FileSession file(native(source), true);
        failure = file.failure();
        QSqlDatabase from = file.database();
        // A read transaction: the file stays as it was checked while it is read.
        if (failure.isEmpty() && !from.transaction())
            failure = from.lastError().text();
        if (failure.isEmpty())
            failure = copyRows(from, to);
        from.rollback();
    }
    if (failure.isEmpty())
        failure = run(to, QStringLiteral("commit"));
    if (!failure.isEmpty()) {
        run(to, QStringLiteral("rollback"));
        restoreFailed(QStringLiteral("copying %1 failed (%2).").arg(native(source), failure));
    }
}
