#pragma once

#include <QString>

// Copies between a PostgreSQL server database and a file of the program's own:
// out as a snapshot the program opens as its database, and in only to a
// server database that holds no rows yet. Errors throw DatabaseFileError, as
// the file's copies do, with the same openings.
class ServerBackup
{
public:
    // location names the server database as DatabaseLocation reads it.
    explicit ServerBackup(const QString &location);

    // Writes the server's data, as one transaction sees it, to a new database
    // file at destination, each table's rows in their stored order. The file
    // is written beside the destination and renamed over it only once whole.
    void backupTo(const QString &destination) const;

    // Checks source as a restore of a file does, then copies its rows into
    // the server's tables in one transaction. Refused when any of those
    // tables holds a row: the server's own tools copy a server database.
    void restoreFrom(const QString &source) const;

private:
    QString m_location;
};
