#pragma once

#include "apppaths.h"

#include <QString>

// The installed program's data folder, which may be the install's own
// share/verolan/ (a prefix of ~/.local, or XDG_DATA_HOME in the prefix's share).
namespace AppPaths {

// Makes the user's database from the empty one on the first start of an
// installed program: when the database is missing and either the data folder
// does not exist or it is the install's share folder holding nothing but the
// installed files. Anything else there (the marker a start leaves beside the
// database, a backup, a stray file) means a start has been here, so a lost
// database is never replaced by an empty one. Empty on success, else why not,
// naming the folder.
QString prepareDataFolder(const Paths &paths);

// Why the last prepareDataFolder could not make or use the data folder, or empty.
QString dataFolderProblem();

} // namespace AppPaths
