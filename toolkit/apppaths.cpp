#include "apppaths.h"
#include "apppathsoverride.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <optional>

namespace AppPaths {
namespace {

const QString kDatabaseName = QStringLiteral("testing.mdb");
const QString kShippedName = QStringLiteral("empty-testing.mdb");
const QString kSettingsName = QStringLiteral("verolan.conf");
// One definition tells whether the definitions lie beside the executable.
const QString kMarker = QStringLiteral("rpt_tst_plan.rpt");

QString &programFolderOverride()
{
    static QString folder;
    return folder;
}

std::optional<Paths> &pathsOverride()
{
    static std::optional<Paths> paths;
    return paths;
}

// $XDG_DATA_HOME, or ~/.local/share when it is unset or not absolute.
QString userDataHome()
{
    const QString xdg = qEnvironmentVariable("XDG_DATA_HOME");
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg))
        return xdg;
    return QDir(QDir::homePath()).filePath(QStringLiteral(".local/share"));
}

// $XDG_CONFIG_HOME, or ~/.config when it is unset or not absolute.
QString userConfigHome()
{
    const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg))
        return xdg;
    return QDir(QDir::homePath()).filePath(QStringLiteral(".config"));
}

QString &chosenDatabase()
{
    static QString location;
    return location;
}

} // namespace

Paths pathsFor(const QString &programFolder)
{
    const QDir program(programFolder);
    if (QFileInfo::exists(program.filePath(kMarker)))
        return {Layout::Portable, program.filePath(kDatabaseName), program.absolutePath(), QString(),
                program.filePath(kSettingsName)};
    const QString share = QDir::cleanPath(program.filePath(QStringLiteral("../share/verolan")));
    return {Layout::Installed, QDir(userDataHome()).filePath(QStringLiteral("verolan/") + kDatabaseName), share,
            QDir(share).filePath(kShippedName), QDir(userConfigHome()).filePath(QStringLiteral("verolan/") + kSettingsName)};
}

Paths current()
{
    if (pathsOverride())
        return *pathsOverride();
    return pathsFor(programFolderOverride().isEmpty() ? QCoreApplication::applicationDirPath()
                                                      : programFolderOverride());
}

QString databaseFile()
{
    return chosenDatabase().isEmpty() ? current().database : chosenDatabase();
}

void chooseDatabase(const QString &location)
{
    chosenDatabase() = location;
}

QString reportFolder()
{
    return current().reportFolder;
}

void setProgramFolder(const QString &programFolder)
{
    programFolderOverride() = programFolder;
    pathsOverride().reset();
}

void setFolder(const QString &folder)
{
    programFolderOverride().clear();
    if (folder.isEmpty())
        pathsOverride().reset();
    else
        pathsOverride() = Paths{Layout::Portable, QDir(folder).filePath(kDatabaseName), folder, QString(),
                                QDir(folder).filePath(kSettingsName)};
}

} // namespace AppPaths
