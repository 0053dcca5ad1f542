#pragma once

#include <QString>

// Where the program's files are. One place decides it, for the connection, the
// reports and the backup alike.
//
// Portable (the build folder, a portable archive): the report definitions lie
// beside the executable, and so does testing.mdb.
// Installed (bin/verolan): the report definitions and the empty database in
// share/verolan/ beside bin/; the user's database in
// $XDG_DATA_HOME/verolan/ (~/.local/share/verolan/ by default).
namespace AppPaths {

enum class Layout { Portable, Installed };

struct Paths
{
    Layout layout = Layout::Portable;
    QString database;        // the user's testing.mdb
    QString reportFolder;    // the report definitions
    QString shippedDatabase; // the empty database an installed program starts from
};

// The layout of a program whose executable lies in programFolder.
Paths pathsFor(const QString &programFolder);

// This run's paths.
Paths current();
QString databaseFile();
QString reportFolder();

// On the first start of an installed program, when the data folder does not
// exist yet: makes it and puts the empty database in it. A data folder that
// exists is left as it is: a lost database is never replaced by an empty one.
// Empty on success, else why not.
QString prepareDataFolder(const Paths &paths);

} // namespace AppPaths
