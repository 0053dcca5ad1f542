#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

struct sqlite3;

namespace Schema {

// The tables of testing.mdb with their columns in stored order.
struct Table
{
    QString name;
    QStringList columns;
};
const QList<Table> &tables();

// Makes a new database file holding the empty tables. Throws DbError when the
// file exists already or cannot be written.
void createDatabase(const QString &path);

// Empty when the open database holds every table with its columns, otherwise
// what is missing, in words.
QString missingParts(const QSqlDatabase &db);

// Empty when the open database holds the program's tables and indexes exactly
// as the program makes them (other tables and views may stand beside them),
// otherwise what differs, in words.
QString differences(sqlite3 *db);

// True when the file starts with the engine's header.
bool hasDatabaseHeader(const QString &path);

} // namespace Schema
