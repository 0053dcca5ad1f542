#pragma once

#include <QString>

// For the tests and the benchmark only: the program itself never moves its files.
namespace AppPaths {

// Runs the program as if its executable lay in programFolder.
void setProgramFolder(const QString &programFolder);
// Runs the program portable in folder, whatever lies there.
void setFolder(const QString &folder);

} // namespace AppPaths
