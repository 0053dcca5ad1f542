#include "writetarget.h"

#include "schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>

namespace {

// The files beside the database that are not the user's to replace: the
// engine's journal, log and shared memory, and the copy a restore keeps.
const char *const kBesideSuffixes[] = {"-journal", "-wal", "-shm", ".before-restore"};

// The file a write to path lands on: through any links, its folder as the file
// system spells it. A file not there yet keeps its name.
QString landing(const QString &path)
{
    QFileInfo info(QFileInfo(path).absoluteFilePath());
    if (info.exists())
        return info.canonicalFilePath();
    // A link to nothing: writing through it makes the file it points at.
    for (int hops = 0; info.isSymLink() && hops < 40; ++hops)
        info.setFile(info.symLinkTarget());
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? info.absoluteFilePath() : QDir(folder).filePath(info.fileName());
}

// Both paths name one existing file, hard links too.
bool sameInode(const QString &a, const QString &b)
{
    struct stat sa {};
    struct stat sb {};
    return ::stat(QFile::encodeName(a).constData(), &sa) == 0 && ::stat(QFile::encodeName(b).constData(), &sb) == 0
           && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool isSame(const QString &target, const QString &landed, const QString &other)
{
    return landed == landing(other) || sameInode(target, other);
}

} // namespace

QString WriteTarget::problem(const QString &target, const QString &database, Use use)
{
    const QString name = QDir::toNativeSeparators(QFileInfo(target).absoluteFilePath());
    const QString landed = landing(target);
    if (!database.isEmpty()) {
        if (isSame(target, landed, database))
            return QStringLiteral("%1 is the database itself; choose another file.").arg(name);
        // The engine names its files after the path it was given, a restore after the real one.
        const QString given = QFileInfo(database).absoluteFilePath();
        for (const QString &base : {given, landing(given)}) {
            for (const char *suffix : kBesideSuffixes) {
                if (isSame(target, landed, base + QLatin1String(suffix)))
                    return QStringLiteral("%1 is a name the program keeps for its own files beside the database; "
                                          "choose another name.")
                        .arg(name);
            }
        }
    }
    if (use == Use::Export && QFileInfo(landed).isFile() && Schema::hasDatabaseHeader(landed))
        return QStringLiteral("%1 holds a database, which an export never replaces; choose another file.").arg(name);
    return QString();
}
