#pragma once

#include <QString>

// Where the program's files are. One place decides it, for the connection, the
// reports and the backup alike.
//
// Portable (the build folder, a portable archive): the report definitions lie
// beside the executable, and so does testing.mdb.
// Installed (bin/verolan): the report definitions and the empty database in
// share/verolan/ beside bin/; the user's database in
// $XDG_DATA_HOME/verolan/ (~/.local/share/verolan/ by default). The empty one
// is named so that it is never the user's, even where the two folders are one.
// The settings (verolan.conf) lie beside the executable when portable, in
// $XDG_CONFIG_HOME/verolan/ (~/.config/verolan/) when installed.
namespace AppPaths {

enum class Layout { Portable, Installed };

struct Paths
{
    Layout layout = Layout::Portable;
    QString database;        // the user's testing.mdb
    QString reportFolder;    // the report definitions
    QString shippedDatabase; // the empty database an installed program starts from
    QString settings;        // verolan.conf
};

// The layout of a program whose executable lies in programFolder.
Paths pathsFor(const QString &programFolder);

// This run's paths.
Paths current();
// The database every connection opens: the one chosen at start-up, else the user's testing.mdb.
QString databaseFile();
// Chosen at start-up by the settings or the command line: a file or a server; empty for testing.mdb.
void chooseDatabase(const QString &location);
QString reportFolder();

} // namespace AppPaths
