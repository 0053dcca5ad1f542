#include "filebeside.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

FileBeside::FileBeside(const QString &target)
    : m_target(target)
{
}

FileBeside::~FileBeside()
{
    m_file.close();
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_path.isEmpty() && !m_placed)
        ::unlink(QFile::encodeName(m_path).constData());
}

QString FileBeside::create()
{
    const QFileInfo info(m_target);
    const QByteArray target = QFile::encodeName(m_target);
    struct stat old {};
    const bool exists = ::stat(target.constData(), &old) == 0;
    // A file that may not be written is not replaced either.
    if (exists && ::access(target.constData(), W_OK) != 0)
        return systemError(errno);
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QString path = info.dir().filePath(
            QStringLiteral(".%1.%2.part").arg(info.fileName()).arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
        m_fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd < 0 && errno == EEXIST)
            continue;
        if (m_fd < 0)
            return systemError(errno);
        m_path = path;
        if (exists)
            ::fchmod(m_fd, old.st_mode & 07777);
        if (!m_file.open(m_fd, QIODevice::WriteOnly, QFileDevice::DontCloseHandle))
            return m_file.errorString();
        return QString();
    }
    return systemError(EEXIST);
}

QString FileBeside::putInPlace()
{
    if (!m_file.flush() || m_file.error() != QFileDevice::NoError)
        return m_file.errorString();
    m_file.close();
    if (::fsync(m_fd) != 0)
        return systemError(errno);
    const int closed = ::close(m_fd);
    m_fd = -1;
    if (closed != 0)
        return systemError(errno);
    if (std::rename(QFile::encodeName(m_path).constData(), QFile::encodeName(m_target).constData()) != 0)
        return systemError(errno);
    m_placed = true;
    // The new file is in place whatever the folder's flush says.
    const int folder = ::open(QFile::encodeName(QFileInfo(m_target).absolutePath()).constData(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return QString();
}
