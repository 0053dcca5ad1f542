#pragma once

#include "rows.h"
#include "saveresult.h"

class Connection;

// One project as the project window edits it; every text as typed, untrimmed.
struct ProjectFields
{
    QString id;
    QString description;
    QString type;
    QString size;
    QString units;
    // The stored description, type, size and units as the window read them
    // (Null kept): the save changes the row only while it still holds them.
    // None for a project the window did not read.
    std::optional<QVariantList> asRead{};
};

// The project window's save checks, in its order.
std::optional<Problem> projectProblem(const ProjectFields &project);

// Checks, then adds the project, or changes the first stored row with its id
// (the id itself stays); the closed flag is set back to "NO" either way. With
// asRead, only that change, and only while the row holds the values read:
// else Stale.
SaveResult saveProject(Connection &cn, const ProjectFields &project);

// The units offered before the stored ones, in this order.
const QStringList &fixedSizeUnits();

// Selector entries: the project types and size units in use, every project id.
QStringList projectTypes(Connection &cn);
QStringList sizeUnits(Connection &cn);
QStringList projectIds(Connection &cn);

// Every project, in query order, with these columns.
namespace ProjectColumn {
enum { Id, Description, Type, Size, Units };
}
Rows projectRows(Connection &cn);

// The first stored project with the id, Null texts as empty ones; asRead as stored.
std::optional<ProjectFields> findProject(Connection &cn, const QString &id);
