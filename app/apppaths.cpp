#include "apppaths.h"

#include <QCoreApplication>
#include <QDir>

namespace AppPaths {
namespace {
QString &overrideFolder()
{
    static QString folder;
    return folder;
}
} // namespace

QString folder()
{
    if (!overrideFolder().isEmpty())
        return overrideFolder();
    return QCoreApplication::applicationDirPath();
}

QString databaseFile()
{
    return QDir(folder()).filePath(QStringLiteral("testing.mdb"));
}

void setFolder(const QString &folder)
{
    overrideFolder() = folder;
}

} // namespace AppPaths
