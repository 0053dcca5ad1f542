#pragma once

#include <QFile>
#include <QFileDevice>
#include <QString>

// A file written beside the file it is to become, then put in its place whole
// by one rename once it is on the disk: until then an older file of that name
// stays as it was, and after a kill at any moment the folder holds the old
// file or the new one. Backups, restores and every export write this way.
// The file being written has a fixed name and is locked while it is written,
// so a leftover of a copy that was killed is known as such: the next write to
// the same name replaces it, and the next copy of the database to the folder,
// or the next start for the database's folder, removes a leftover copy.
class SideFile
{
public:
    explicit SideFile(const QString &finalPath);
    // The name the file being written has, beside fileName.
    static QString sideName(const QString &fileName);
    // Removes from folder every side file of a database copy that no copy is
    // writing any more.
    static void removeStale(const QString &folder);
    SideFile(const SideFile &) = delete;
    SideFile &operator=(const SideFile &) = delete;
    // Removes the file unless it was put in place.
    ~SideFile();

    const QString &path() const { return m_path; }
    int fd() const { return m_fd; }
    // Writes to the file; what it buffers is written out by sync().
    QIODevice &device();

    // Removes a leftover and makes the file anew, empty, with the given
    // permissions. Empty on success, else why not.
    QString create(QFileDevice::Permissions permissions);
    // The same for an export, which replaces a file the user named: refused
    // when that file may not be written; the new file takes its permissions,
    // or those a new file gets when there is none.
    QString create();
    // Writes out what device() buffers and flushes the contents to the disk.
    // Empty on success, else why not.
    QString sync();
    // Renames the file over the final path, once synced, and flushes the folder
    // so that the rename lasts. Empty on success, else why not.
    QString putInPlace();

private:
    // A copy of a database also clears the folder of stale copies; an export,
    // which may go to a folder of many files, leaves the folder unread.
    enum class Sweep { None, StaleCopies };
    QString createWithMode(unsigned mode, Sweep sweep);

    QString m_final;
    QString m_path;
    QFile m_device;
    int m_fd = -1;
    bool m_placed = false;
    bool m_synced = false;
};

// Flushes a file's contents, or a folder's entries, to the disk. 0 or the errno.
int syncPath(const QString &path, bool folder);

// The name the report's PDF export knows the class by.
using FileBeside = SideFile;
