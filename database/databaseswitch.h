#pragma once

#include "connection.h"

#include <QString>

// What a trial connection to a database found.
struct DatabaseTrial
{
    bool ok = false;
    // "Connected to ..." with what is there, or why it cannot be used.
    QString report;
    Connection::PasswordTrouble password = Connection::PasswordTrouble::None;
};

// Opens a connection of its own to location, the way every window opens its
// own, so what it finds is what a switch will find: an empty server database
// gets the tables here. password is for this trial only; empty leaves it to
// libpq's own places. The program's connections are not touched.
DatabaseTrial tryDatabase(const QString &location, const QString &password);

// Moves every connection open on the database from onto the database to, each
// with its own access, the server password being password from then on. When
// one cannot be opened there, all go back to from (with the password they had)
// and the reason is returned; empty on success.
QString moveConnections(const QString &from, const QString &to, const QString &password);
