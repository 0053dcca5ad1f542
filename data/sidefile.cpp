#include "sidefile.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

mode_t modeOf(QFileDevice::Permissions p)
{
    mode_t mode = 0;
    mode |= (p & QFileDevice::ReadOwner) ? S_IRUSR : 0;
    mode |= (p & QFileDevice::WriteOwner) ? S_IWUSR : 0;
    mode |= (p & QFileDevice::ReadGroup) ? S_IRGRP : 0;
    mode |= (p & QFileDevice::WriteGroup) ? S_IWGRP : 0;
    mode |= (p & QFileDevice::ReadOther) ? S_IROTH : 0;
    mode |= (p & QFileDevice::WriteOther) ? S_IWOTH : 0;
    return mode;
}

} // namespace

int syncPath(const QString &path, bool folder)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | (folder ? O_DIRECTORY : 0));
    if (fd < 0)
        return errno;
    const int result = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return result;
}

SideFile::SideFile(const QString &finalPath)
    : m_final(finalPath)
    , m_path(QFileInfo(finalPath).dir().filePath(sideName(QFileInfo(finalPath).fileName())))
{
}

QString SideFile::sideName(const QString &fileName)
{
    return QStringLiteral(".%1.part").arg(fileName);
}

void SideFile::removeStale(const QString &folder)
{
    const QDir dir(folder);
    const QStringList names = dir.entryList({QStringLiteral(".*.part")}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        const QByteArray path = QFile::encodeName(dir.filePath(name));
        // Never through a link, and never a file a running copy still writes.
        const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            continue;
        struct stat st {};
        char head[16] = {};
        const bool ours = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0
                          && (st.st_size == 0 || (::pread(fd, head, sizeof head, 0) == sizeof head
                                                  && std::memcmp(head, "SQLite format 3", 16) == 0));
        if (ours)
            ::unlink(path.constData());
        ::close(fd);
    }
}

SideFile::~SideFile()
{
    m_device.close();
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_placed && m_fd >= 0)
        ::unlink(QFile::encodeName(m_path).constData());
}

QIODevice &SideFile::device()
{
    if (!m_device.isOpen() && m_fd >= 0)
        m_device.open(m_fd, QIODevice::WriteOnly, QFileDevice::DontCloseHandle);
    m_synced = false;
    return m_device;
}

QString SideFile::create(QFileDevice::Permissions permissions)
{
    return createWithMode(modeOf(permissions), Sweep::StaleCopies);
}

QString SideFile::create()
{
    // A link the user named stays a link: the file it leads to is replaced.
    const QFileInfo named(m_final);
    if (named.isSymLink() && named.exists()) {
        m_final = named.canonicalFilePath();
        m_path = QFileInfo(m_final).dir().filePath(sideName(QFileInfo(m_final).fileName()));
    }
    const QByteArray target = QFile::encodeName(m_final);
    struct stat old {};
    if (::stat(target.constData(), &old) != 0) {
        // What a new file gets: everyone may read and write, less the umask.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        return createWithMode(0666 & ~mask, Sweep::None);
    }
    // A file that may not be written is not replaced either.
    if (::access(target.constData(), W_OK) != 0)
        return systemError(errno);
    return createWithMode(old.st_mode & 07777, Sweep::None);
}

QString SideFile::createWithMode(unsigned mode, Sweep sweep)
{
    const QByteArray name = QFile::encodeName(m_path);
    // Unlink rather than truncate: a leftover may be a link planted to point elsewhere.
    if (::unlink(name.constData()) != 0 && errno != ENOENT)
        return systemError(errno);
    m_fd = ::open(name.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode_t(mode));
    if (m_fd < 0)
        return systemError(errno);
    // Held until the file is closed: a copy that is killed lets go of it.
    ::flock(m_fd, LOCK_EX | LOCK_NB);
    if (sweep == Sweep::StaleCopies)
        removeStale(QFileInfo(m_final).absolutePath());
    // The umask may have narrowed the mode the copy is to have.
    ::fchmod(m_fd, mode_t(mode));
    return QString();
}

QString SideFile::sync()
{
    // A write that failed on the way (a full disk) leaves its error on the device.
    if (m_device.isOpen() && (!m_device.flush() || m_device.error() != QFileDevice::NoError))
        return m_device.errorString();
    if (::fsync(m_fd) != 0)
        return systemError(errno);
    m_synced = true;
    return QString();
}

QString SideFile::putInPlace()
{
    if (!m_synced) {
        const QString failure = sync();
        if (!failure.isEmpty())
            return failure;
    }
    if (std::rename(QFile::encodeName(m_path).constData(), QFile::encodeName(m_final).constData()) != 0)
        return systemError(errno);
    m_placed = true;
    // Its name is gone, and with it the need for the lock.
    m_device.close();
    ::close(m_fd);
    m_fd = -1;
    // The new file is in place now whatever the folder's flush says; a failed
    // flush only risks the rename itself on a power cut, not a mixed file.
    syncPath(QFileInfo(m_final).absolutePath(), true);
    return QString();
}
