#pragma once

#include <QFileDevice>
#include <QString>

// A file written beside the file it is to become, then put in its place whole
// by one rename: until then the old file stays as it was, and after a kill at
// any moment the folder holds the old file or the new one. The file being
// written has a fixed name and is locked while it is written, so a leftover of
// a copy that was killed is known as such: the next copy to the same folder,
// or the next start for the database's folder, removes it.
class SideFile
{
public:
    explicit SideFile(const QString &finalPath);
    // The name the file being written has, beside fileName.
    static QString sideName(const QString &fileName);
    // Removes from folder every side file that no copy is writing any more.
    static void removeStale(const QString &folder);
    SideFile(const SideFile &) = delete;
    SideFile &operator=(const SideFile &) = delete;
    // Removes the file unless it was put in place.
    ~SideFile();

    const QString &path() const { return m_path; }
    int fd() const { return m_fd; }

    // Removes a leftover and makes the file anew, empty. Empty on success, else why not.
    QString create(QFileDevice::Permissions permissions);
    // Flushes the contents to the disk. Empty on success, else why not.
    QString sync();
    // Renames the file over the final path and flushes the folder so that the
    // rename lasts. Empty on success, else why the rename failed.
    QString putInPlace();

private:
    QString m_final;
    QString m_path;
    int m_fd = -1;
    bool m_placed = false;
};

// Flushes a file's contents, or a folder's entries, to the disk. 0 or the errno.
int syncPath(const QString &path, bool folder);
