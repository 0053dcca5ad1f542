#include "schema.h"

#include "schema_sql.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <sqlite3.h>

// A file passes only when every table the program reads has exactly the
// definition the program gives it, and exactly its indexes: a collation, a
// column type, a default, a constraint or a stale index of another tool's
// would make the windows' saves store or match the wrong rows.

namespace {

// The statement's words and signs, lower case, quotes of names dropped and
// comments left out, joined by single blanks: two spellings of one definition
// compare equal.
QString normalized(const QString &sql)
{
    static const QRegularExpression token(QStringLiteral(
        R"(--[^\n]*|/\*.*?\*/|'(?:[^']|'')*'|"(?:[^"]|"")*"|\[[^\]]*\]|`(?:[^`]|``)*`|[A-Za-z_][A-Za-z0-9_$]*|[0-9.]+|\S)"),
        QRegularExpression::DotMatchesEverythingOption);
    QStringList words;
    auto it = token.globalMatch(sql);
    while (it.hasNext()) {
        QString t = it.next().captured();
        if (t.startsWith(QLatin1String("--")) || t.startsWith(QLatin1String("/*")))
            continue;
        const QChar first = t.at(0);
        if (first == QLatin1Char('"') || first == QLatin1Char('`'))
            t = t.mid(1, t.size() - 2).replace(QString(2, first), QString(first)).toLower();
        else if (first == QLatin1Char('['))
            t = t.mid(1, t.size() - 2).toLower();
        else if (first != QLatin1Char('\''))
            t = t.toLower();
        words << t;
    }
    return words.join(QLatin1Char(' '));
}

// An index definition without its name: what it does is what counts.
QString indexShape(const QString &sql)
{
    static const QRegularExpression name(QStringLiteral(R"(^create (unique )?index (if not exists )?\S+ on )"));
    return normalized(sql).replace(name, QStringLiteral("create \\1index on "));
}

struct Entry
{
    QString type;
    QString name;
    QString table;
    QString sql;
};

QList<Entry> entries(sqlite3 *db, QString &failure)
{
    QList<Entry> out;
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(db, "select type, name, tbl_name, sql from sqlite_master", -1, &st, nullptr) != SQLITE_OK) {
        failure = QString::fromUtf8(sqlite3_errmsg(db));
        return out;
    }
    const auto text = [st](int i) { return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, i))); };
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW)
        out.append({text(0), text(1), text(2), text(3)});
    if (rc != SQLITE_DONE)
        failure = QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_finalize(st);
    return out;
}

// The definitions a new file of this program holds.
const QList<Entry> &ours()
{
    static const QList<Entry> made = [] {
        sqlite3 *db = nullptr;
        sqlite3_open(":memory:", &db);
        sqlite3_exec(db, kSchemaSql, nullptr, nullptr, nullptr);
        sqlite3_exec(db, kHistorySql, nullptr, nullptr, nullptr);
        QString failure;
        QList<Entry> list = entries(db, failure);
        sqlite3_close(db);
        return list;
    }();
    return made;
}

// Column by column, what a table's definition changes; empty when nothing
// the pragmas show differs (a constraint of the whole table, say). The later
// columns the table lacks go to absentLater: opening the file adds them.
QStringList columnDifferences(sqlite3 *db, const Schema::Table &table, QStringList &absentLater)
{
    QStringList found;
    sqlite3_stmt *st = nullptr;
    const QByteArray name = table.name.toUtf8();
    if (sqlite3_prepare_v2(db, "select name, type, \"notnull\", dflt_value, pk, hidden from pragma_table_xinfo(?)", -1,
                           &st, nullptr)
        != SQLITE_OK)
        return found;
    sqlite3_bind_text(st, 1, name.constData(), -1, SQLITE_TRANSIENT);
    QStringList present;
    while (sqlite3_step(st) == SQLITE_ROW) {
        const QString column = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
        const QString type = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 1)));
        const QString where = QStringLiteral("column %1.%2").arg(table.name, column);
        present << column.toLower();
        const bool known = table.columns.contains(column, Qt::CaseInsensitive);
        const QString wanted = column.compare(QLatin1String("qv_zr_dt_tst"), Qt::CaseInsensitive) == 0
                                   ? QStringLiteral("DATE")
                                   : QStringLiteral("TEXT");
        if (!known)
            found << QStringLiteral("a %1 the program does not have").arg(where);
        else if (type.compare(wanted, Qt::CaseInsensitive) != 0)
            found << QStringLiteral("%1 declared %2, not %3").arg(where, type.isEmpty() ? QStringLiteral("without a type") : type, wanted);
        if (sqlite3_column_int(st, 2))
            found << QStringLiteral("%1 refusing Null").arg(where);
        if (sqlite3_column_type(st, 3) != SQLITE_NULL)
            found << QStringLiteral("%1 with a default").arg(where);
        if (sqlite3_column_int(st, 4))
            found << QStringLiteral("%1 as a key").arg(where);
        if (sqlite3_column_int(st, 5))
            found << QStringLiteral("%1 computed or hidden").arg(where);
        const char *collation = nullptr;
        const QByteArray columnName = column.toUtf8();
        if (known
            && sqlite3_table_column_metadata(db, "main", name.constData(), columnName.constData(), nullptr, &collation,
                                             nullptr, nullptr, nullptr)
                   == SQLITE_OK
            && collation && qstricmp(collation, "BINARY") != 0)
            found << QStringLiteral("%1 compared by %2").arg(where, QString::fromUtf8(collation));
    }
    sqlite3_finalize(st);
    for (const QString &column : table.columns) {
        if (present.contains(column.toLower()))
            continue;
        if (table.laterColumns.contains(column))
            absentLater << column.toLower();
        else
            found << QStringLiteral("no column %1.%2").arg(table.name, column);
    }
    return found;
}

} // namespace

namespace Schema {

QString differences(sqlite3 *db, Check check)
{
    QString failure;
    const QList<Entry> theirs = entries(db, failure);
    if (!failure.isEmpty())
        return failure;

    QStringList found;
    QSet<QString> absent;           // tables added later that the file lacks
    QStringList absentColumns;      // columns added later that the file lacks
    QHash<QString, QString> tables; // lower-case name: definition
    for (const Entry &e : ours()) {
        if (e.type == QLatin1String("table"))
            tables.insert(e.name.toLower(), normalized(e.sql));
    }
    for (const Table &table : Schema::tables()) {
        const auto it = std::find_if(theirs.begin(), theirs.end(), [&](const Entry &e) {
            return e.name.compare(table.name, Qt::CaseInsensitive) == 0 && e.type != QLatin1String("index");
        });
        if (it == theirs.end()) {
            if (table.addedLater)
                absent << table.name.toLower(); // made when the file is opened
            else
                found << QStringLiteral("no table %1").arg(table.name);
            continue;
        }
        if (it->type != QLatin1String("table") && check == Check::Exact) {
            found << QStringLiteral("a %1 %2 in place of the table").arg(it->type, table.name);
            continue;
        }
        if (normalized(it->sql) == tables.value(table.name.toLower()))
            continue;
        const qsizetype laterBefore = absentColumns.size();
        QStringList columns = columnDifferences(db, table, absentColumns);
        if (check == Check::Presence) {
            columns.removeIf([](const QString &c) { return !c.startsWith(QLatin1String("no column")); });
            found << columns;
            continue;
        }
        // A file of an earlier version: the table as that version made it.
        if (columns.isEmpty() && absentColumns.size() == laterBefore)
            columns << QStringLiteral("table %1 defined otherwise: %2").arg(table.name, it->sql.simplified());
        found << columns;
    }

    if (check == Check::Presence)
        return found.join(QStringLiteral("; "));

    // Every index on the program's tables, exactly as the program makes them.
    QSet<QString> wanted;
    QHash<QString, QString> names;
    for (const Entry &e : ours()) {
        const bool onAbsentColumn = std::any_of(absentColumns.begin(), absentColumns.end(), [&](const QString &c) {
            return normalized(e.sql).contains(c);
        });
        if (e.type == QLatin1String("index") && !absent.contains(e.table.toLower()) && !onAbsentColumn) {
            wanted.insert(indexShape(e.sql));
            names.insert(indexShape(e.sql), e.name);
        }
    }
    QSet<QString> present;
    for (const Entry &e : theirs) {
        if (e.type == QLatin1String("trigger"))
            found << QStringLiteral("a trigger %1").arg(e.name);
        if (e.type != QLatin1String("index") || e.sql.isEmpty())
            continue; // an index a table constraint makes shows in the table's definition
        const bool onOurs = std::any_of(Schema::tables().begin(), Schema::tables().end(), [&](const Table &t) {
            return t.name.compare(e.table, Qt::CaseInsensitive) == 0;
        });
        if (!onOurs)
            continue;
        QString shape = indexShape(e.sql);
        // The earlier version's builds index stands for this one's: opening the file makes it again.
        if (shape == indexShape(QString::fromLatin1(Schema::kEarlierBuildIndex))
            && !names.key(QStringLiteral("ix_history_build")).isEmpty())
            shape = names.key(QStringLiteral("ix_history_build"));
        if (!wanted.contains(shape))
            found << QStringLiteral("an index %1 the program does not make").arg(e.name);
        present.insert(shape);
    }
    for (const QString &shape : std::as_const(wanted)) {
        if (!present.contains(shape))
            found << QStringLiteral("no index %1").arg(names.value(shape));
    }
    return found.join(QStringLiteral("; "));
}

} // namespace Schema
