#pragma once

#include <QString>

class QSqlDatabase;

namespace Schema {

// Readies a PostgreSQL database for the program: an empty one gets the tables
// (each as the file's, numbered by a rowid column), one holding exactly them is
// taken as it is. Empty on success, else what differs or why the tables could
// not be made, in words.
QString readyServer(QSqlDatabase &db);

// Empty when the database holds exactly the program's tables and nothing else,
// else what differs, in words.
QString serverDifferences(QSqlDatabase &db);

} // namespace Schema
