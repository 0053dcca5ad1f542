#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

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

// True when the file starts with the engine's header.
bool hasDatabaseHeader(const QString &path);

} // namespace Schema
