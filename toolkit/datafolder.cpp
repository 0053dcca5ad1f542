#include "datafolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <filesystem>

namespace AppPaths {
namespace {

// Left beside the database by every start that makes it or finds it.
const QString kStartedMarker = QStringLiteral(".started");

QString &lastProblem()
{
    static QString problem;
    return problem;
}

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

std::filesystem::path fsPath(const QString &path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

void markStarted(const QString &folder)
{
    QFile marker(QDir(folder).filePath(kStartedMarker));
    if (!marker.exists() && marker.open(QIODevice::WriteOnly))
        marker.write("Verolan has made or found its database in this folder.\n");
}

// The folder as an install leaves it: the share folder with the report
// definitions and the empty database, and nothing else.
bool holdsOnlyTheInstall(const QString &folder, const Paths &paths)
{
    const QString share = QFileInfo(paths.reportFolder).canonicalFilePath();
    if (share.isEmpty() || QFileInfo(folder).canonicalFilePath() != share)
        return false;
    const QString shipped = QFileInfo(paths.shippedDatabase).fileName();
    const QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries) {
        const QString name = entry.fileName();
        const bool installed = entry.isFile() && !entry.isSymLink()
                               && (name == shipped || QDir::match(QStringLiteral("rpt_*.rpt"), name));
        if (!installed)
            return false;
    }
    return true;
}

QString copyShipped(const Paths &paths, const QString &folder)
{
    QFile shipped(paths.shippedDatabase);
    if (!shipped.copy(paths.database))
        return QStringLiteral("The empty database %1 cannot be copied into the data folder %2: %3")
            .arg(native(paths.shippedDatabase), native(folder), shipped.errorString());
    // The shipped file is read-only for the user; the copy is the user's to write.
    QFile::setPermissions(paths.database, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser
                                              | QFileDevice::WriteUser);
    markStarted(folder);
    return QString();
}

QString prepare(const Paths &paths)
{
    if (paths.layout != Layout::Installed)
        return QString();
    const QString folder = QFileInfo(paths.database).absolutePath();
    const QFileInfo info(folder);
    if (info.exists() && !info.isDir())
        return QStringLiteral("The data folder %1 is a file, not a folder").arg(native(folder));
    std::error_code error;
    if (!info.exists()) {
        std::filesystem::create_directories(fsPath(folder), error);
        if (error)
            return QStringLiteral("The data folder %1 cannot be made: %2")
                .arg(native(folder), QString::fromLocal8Bit(error.message()));
        const QString why = copyShipped(paths, folder);
        if (!why.isEmpty())
            QDir().rmdir(folder); // the next start tries again
        return why;
    }
    if (QFileInfo::exists(paths.database)) {
        markStarted(folder); // covers databases made before the marker was
        return QString();
    }
    const std::filesystem::directory_iterator listing(fsPath(folder), error);
    if (error)
        return QStringLiteral("The data folder %1 cannot be read: %2")
            .arg(native(folder), QString::fromLocal8Bit(error.message()));
    return holdsOnlyTheInstall(folder, paths) ? copyShipped(paths, folder) : QString();
}

} // namespace

QString prepareDataFolder(const Paths &paths)
{
    lastProblem() = prepare(paths);
    return lastProblem();
}

QString dataFolderProblem()
{
    return lastProblem();
}

} // namespace AppPaths
