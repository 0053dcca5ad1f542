#include "databaseswitch.h"

#include "databaselocation.h"
#include "dberror.h"
#include "objectstate.h"
#include "recordset.h"

#include <QFileInfo>
#include <QList>
#include <QSqlError>

namespace {

// A file named two ways (relative, through a link) is one database.
bool sameDatabase(const QString &a, const QString &b)
{
    if (DatabaseLocation::parse(a).isServer() || DatabaseLocation::parse(b).isServer())
        return a == b;
    const QFileInfo x(a), y(b);
    if (x.exists() && y.exists())
        return x.canonicalFilePath() == y.canonicalFilePath();
    return x.absoluteFilePath() == y.absoluteFilePath();
}

QString counted(qlonglong n, const QString &what)
{
    return QStringLiteral("%1 %2%3").arg(n).arg(what, n == 1 ? QString() : QStringLiteral("s"));
}

// What is there, or empty with error set.
QString report(Connection &cn, const QString &location, QString &error)
{
    if (cn.isServer()) {
        const QString version = cn.serverVersion();
        if (version.isEmpty()) {
            error = cn.database().lastError().text();
            return QString();
        }
        return QStringLiteral("Connected to %1 as %2, PostgreSQL %3")
            .arg(DatabaseLocation::parse(location).displayName(), cn.userName(), version);
    }
    RecordSet counts;
    try {
        counts.open(QStringLiteral("select (select count(*) from qv_zr_projects), (select count(*) from qv_zr_tst_cases)"),
                    {}, cn);
    } catch (const DbError &e) {
        error = e.describe();
        return QString();
    }
    return QStringLiteral("%1 is a Verolan database with %2 and %3.")
        .arg(cn.path(), counted(counts.fields(0).toLongLong(), QStringLiteral("project")),
             counted(counts.fields(1).toLongLong(), QStringLiteral("test case")));
}

} // namespace

DatabaseTrial tryDatabase(const QString &location, const QString &password)
{
    DatabaseTrial trial;
    const DatabaseLocation parsed = DatabaseLocation::parse(location);
    if (!parsed.isValid()) {
        trial.report = parsed.problem();
        return trial;
    }
    const QString kept = Connection::typedServerPassword();
    Connection::setServerPassword(password);
    {
        Connection cn;
        try {
            cn.open(location);
            QString error;
            trial.report = report(cn, location, error);
            trial.ok = error.isEmpty();
            if (!trial.ok)
                trial.report = QStringLiteral("The database opened, but reading it failed: %1").arg(error);
        } catch (const DbError &e) {
            trial.password = Connection::passwordTrouble(e.engineMessage());
            trial.report = e.describe();
        }
    }
    Connection::setServerPassword(kept);
    return trial;
}

QString moveConnections(const QString &from, const QString &to, const QString &password)
{
    const QString kept = Connection::typedServerPassword();
    Connection::setServerPassword(password);
    QList<Connection *> moved;
    QString failure;
    for (Connection *cn : Connection::all()) {
        if (cn->state() != StateOpen || !sameDatabase(cn->path(), from))
            continue;
        moved << cn;
        try {
            cn->open(to, cn->access());
        } catch (const DbError &e) {
            failure = e.describe();
            break;
        }
    }
    if (failure.isEmpty())
        return failure;
    // Back where they were: the program never stays on half of a switch.
    Connection::setServerPassword(kept);
    for (Connection *cn : std::as_const(moved)) {
        try {
            cn->open(from, cn->access());
        } catch (const DbError &e) {
            failure += QStringLiteral("\n\nThe database it had cannot be opened again either: ") + e.describe();
        }
    }
    return failure;
}
