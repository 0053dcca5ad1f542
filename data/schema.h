#pragma once

#include <QString>
#include <QStringList>

struct sqlite3;

namespace Schema {

// The tables of testing.mdb with their columns in stored order.
struct Table
{
    QString name;
    QStringList columns;
    bool addedLater = false; // a file made before it may lack it
    // Columns a file made before them may lack, the last ones of the table;
    // a connection adds them, empty, when it opens the file.
    QStringList laterColumns = {};
};
const QList<Table> &tables();

// What orders a table's rows as they were stored: the engine's own row number.
inline const QString kStoredOrder = QStringLiteral("rowid");

// Makes a new database file holding the empty tables. Throws DbError when the
// file exists already or cannot be written.
void createDatabase(const QString &path);
// The same in an empty file made beforehand (a side file being written);
// the file is left to its maker when this throws.
void createDatabaseIn(const QString &emptyFile);

enum class Check {
    Presence, // every table with every column: what the windows need to run
    Exact,    // the tables, columns and indexes exactly as the program makes them
};
// Empty when the open database passes the check (other tables and views may
// stand beside the program's), otherwise what differs, in words.
QString differences(sqlite3 *db, Check check = Check::Exact);

// The builds' index as the version before this one made it, without the date
// of testing: opening the file makes it again with the date.
inline constexpr const char *kEarlierBuildIndex =
    "CREATE INDEX ix_history_build ON qv_zr_tst_history (qv_zr_prjid, qv_zr_build, qv_zr_tst_type, "
    "qv_zr_component, qv_zr_component_type, qv_zr_tst_case_id, qv_zr_pass)";

// Makes the tables and columns a file made by an earlier version lacks (the
// result history, its build), with their indexes, in one transaction. Empty
// on success, else the engine's message.
QString addMissingTables(sqlite3 *db);

// True when the file starts with the engine's header.
bool hasDatabaseHeader(const QString &path);

} // namespace Schema
