#include "serverschema.h"

#include "schema.h"
#include "schema_sql.h"

#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace {

const QString kRowId = QStringLiteral("rowid");

struct Column
{
    QString name;
    QString type;
    QString collation;
    bool nullable;
    bool hasDefault;
    bool identity;
};

struct Found
{
    QStringList tables; // lower case, with their kind: "BASE TABLE", "VIEW"...
    QHash<QString, QString> kinds;
    QHash<QString, QList<Column>> columns;
    QString failure;
};

Found readCatalog(QSqlDatabase &db)
{
    Found found;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("select table_name, table_type from information_schema.tables "
                               "where table_schema = current_schema() order by table_name"))) {
        found.failure = q.lastError().text();
        return found;
    }
    while (q.next()) {
        found.tables << q.value(0).toString();
        found.kinds.insert(q.value(0).toString(), q.value(1).toString());
    }
    if (!q.exec(QStringLiteral("select table_name, column_name, data_type, coalesce(collation_name, ''), is_nullable, "
                               "column_default is not null, is_identity from information_schema.columns "
                               "where table_schema = current_schema() order by table_name, ordinal_position"))) {
        found.failure = q.lastError().text();
        return found;
    }
    while (q.next()) {
        found.columns[q.value(0).toString()].append({q.value(1).toString(), q.value(2).toString(), q.value(3).toString(),
                                                    q.value(4).toString() == QLatin1String("YES"), q.value(5).toBool(),
                                                    q.value(6).toString() == QLatin1String("YES")});
    }
    return found;
}

QStringList tableDifferences(const Schema::Table &table, const QList<Column> &theirs)
{
    QStringList found;
    const QString tableName = table.name.toLower();
    QStringList wanted;
    for (const QString &c : table.columns)
        wanted << c.toLower();
    wanted << kRowId;
    QStringList present;
    for (const Column &c : theirs) {
        const QString where = QStringLiteral("column %1.%2").arg(tableName, c.name);
        present << c.name;
        if (!wanted.contains(c.name)) {
            found << QStringLiteral("a %1 the program does not have").arg(where);
            continue;
        }
        if (c.name == kRowId) {
            if (c.type != QLatin1String("bigint") || !c.identity)
                found << QStringLiteral("%1 not numbering the rows (bigint generated always as identity)").arg(where);
            continue;
        }
        if (c.type != QLatin1String("text"))
            found << QStringLiteral("%1 declared %2, not text").arg(where, c.type);
        else if (c.collation != QLatin1String("C"))
            found << QStringLiteral("%1 compared by %2, not C")
                         .arg(where, c.collation.isEmpty() ? QStringLiteral("the database's default") : c.collation);
        if (!c.nullable)
            found << QStringLiteral("%1 refusing Null").arg(where);
        if (c.hasDefault || c.identity)
            found << QStringLiteral("%1 with a default").arg(where);
    }
    for (const QString &c : std::as_const(wanted)) {
        if (!present.contains(c))
            found << QStringLiteral("no column %1.%2").arg(tableName, c);
    }
    // Inserts that give every value in order rely on the columns' order.
    if (found.isEmpty() && present != wanted)
        found << QStringLiteral("the columns of %1 in another order").arg(tableName);
    return found;
}

// Runs each statement of a script, one a line end after its semicolon; the
// error of the one that failed, or none.
QSqlError runScript(QSqlQuery &q, const char *script)
{
    static const QRegularExpression end(QStringLiteral(";\\s*(\\n|$)"));
    for (const QString &statement : QString::fromUtf8(script).split(end, Qt::SkipEmptyParts)) {
        if (!statement.trimmed().isEmpty() && !q.exec(statement))
            return q.lastError();
    }
    return QSqlError();
}

QString createTables(QSqlDatabase &db)
{
    if (!db.transaction())
        return db.lastError().text();
    QSqlQuery q(db);
    // Two copies of the program starting on one empty database: the second
    // waits here for the first's tables, then checks them.
    if (!q.exec(QStringLiteral("select pg_advisory_xact_lock(20260026)"))) {
        const QString why = q.lastError().text();
        db.rollback();
        return why;
    }
    if (!readCatalog(db).tables.isEmpty()) {
        db.rollback();
        return Schema::serverDifferences(db);
    }
    QSqlError error = runScript(q, kServerSchemaSql);
    if (!error.isValid())
        error = runScript(q, kServerAnnounceSql);
    if (error.isValid()) {
        db.rollback();
        // insufficient_privilege: the user may use the database but not add to it.
        if (error.nativeErrorCode() == QLatin1String("42501") && q.exec(QStringLiteral("select current_user, current_database()"))
            && q.next())
            return QStringLiteral("The user %1 lacks the rights to create Verolan's tables in the database %2: the "
                                  "database is empty, and the tables must be made once by a user who may (or "
                                  "grant CREATE on the schema).\n%3")
                .arg(q.value(0).toString(), q.value(1).toString(), error.text());
        return QStringLiteral("Cannot make the tables: %1").arg(error.text());
    }
    return db.commit() ? QString() : db.lastError().text();
}

// Whether every table announces its changes.
bool announcesChanges(QSqlDatabase &db)
{
    QSqlQuery q(db);
    const bool read = q.exec(QStringLiteral("select count(*) from pg_trigger t join pg_class c on c.oid = t.tgrelid "
                                            "where t.tgname = 'verolan_announce' and c.relnamespace = "
                                            "(select oid from pg_namespace where nspname = current_schema())"));
    return read && q.next() && q.value(0).toInt() == Schema::tables().size();
}

// A database made before the tables announced their changes gets the
// announcements. Two copies starting at once: the second waits for the
// first's, finds them and leaves them.
QString addAnnouncements(QSqlDatabase &db)
{
    if (announcesChanges(db))
        return QString();
    if (!db.transaction())
        return db.lastError().text();
    QSqlQuery q(db);
    QString why;
    if (!q.exec(QStringLiteral("select pg_advisory_xact_lock(20260026)")))
        why = q.lastError().text();
    else if (!announcesChanges(db))
        why = runScript(q, kServerAnnounceSql).text();
    if (!why.isEmpty()) {
        db.rollback();
        return why;
    }
    return db.commit() ? QString() : db.lastError().text();
}

QString differencesIn(const Found &found)
{
    if (!found.failure.isEmpty())
        return found.failure;
    QStringList differences;
    QStringList ours;
    for (const Schema::Table &table : Schema::tables()) {
        const QString name = table.name.toLower();
        ours << name;
        if (!found.tables.contains(name))
            differences << QStringLiteral("no table %1").arg(name);
        else if (found.kinds.value(name) != QLatin1String("BASE TABLE"))
            differences << QStringLiteral("a %1 %2 in place of the table").arg(found.kinds.value(name).toLower(), name);
        else
            differences << tableDifferences(table, found.columns.value(name));
    }
    for (const QString &name : found.tables) {
        if (!ours.contains(name))
            differences << QStringLiteral("a %1 %2 the program does not have")
                               .arg(found.kinds.value(name) == QLatin1String("BASE TABLE") ? QStringLiteral("table")
                                                                                           : found.kinds.value(name).toLower(),
                                    name);
    }
    return differences.join(QStringLiteral("; "));
}

} // namespace

namespace Schema {

QString serverDifferences(QSqlDatabase &db)
{
    return differencesIn(readCatalog(db));
}

QString readyServer(QSqlDatabase &db)
{
    // The catalogue is read once: on a new session its first reads are slow.
    const Found found = readCatalog(db);
    if (!found.failure.isEmpty())
        return found.failure;
    if (found.tables.isEmpty())
        return createTables(db);
    const QString differences = differencesIn(found);
    if (!differences.isEmpty())
        return differences;
    // Without them the program works as before, its lists read again only when
    // the user acts: a tester who may not add them still gets in.
    const QString why = addAnnouncements(db);
    if (!why.isEmpty())
        qWarning("The database does not announce changes to other copies of the program: %s", qPrintable(why));
    return QString();
}

} // namespace Schema
