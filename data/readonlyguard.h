#pragma once

#include <QString>

struct sqlite3;

// Inside the data library: the engine's check that lets a read-only
// connection's statements only read. Every compile on db is checked; the first
// action refused is put in words into refusal while it is not null.
void installReadOnlyGuard(sqlite3 *db, QString *refusal);
