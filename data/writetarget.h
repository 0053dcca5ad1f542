#pragma once

#include <QString>

// Where a file the user named may be written. A CSV or PDF put in place of the
// database, or of a file the engine or a restore keeps beside it, loses every
// row with no copy left, whatever path or link the user reached it by.
namespace WriteTarget {

enum class Use {
    Export, // a report or an export: never replaces a database of any kind
    Backup, // a copy of the database: may replace an older backup
};

// Empty when target may be written; otherwise why not, naming the file, for the
// user. database is the file the program has open. Checks only: nothing is
// written, and of the target at most its first bytes are read.
QString problem(const QString &target, const QString &database, Use use = Use::Export);

} // namespace WriteTarget
