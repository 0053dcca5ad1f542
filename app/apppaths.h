#pragma once

#include <QString>

// The program's folder: it holds testing.mdb and the report definitions.
namespace AppPaths {

QString folder();
QString databaseFile();
// Tests point the program at a folder of their own.
void setFolder(const QString &folder);

} // namespace AppPaths
