#pragma once

#include <QFile>
#include <QString>

// A file written beside its target and put in the target's place by one
// rename only when it is whole and on the disk: until then an older file of
// that name stays as it was. Removed unless it was put in place.
class FileBeside
{
public:
    explicit FileBeside(const QString &target);
    FileBeside(const FileBeside &) = delete;
    FileBeside &operator=(const FileBeside &) = delete;
    ~FileBeside();

    QIODevice &device() { return m_file; }

    // Makes the file, empty, under a name of its own. Empty on success, else why not.
    QString create();
    // Writes out what is buffered, flushes it to the disk and renames the file
    // over the target. Empty on success, else why not.
    QString putInPlace();

private:
    QString m_target;
    QString m_path;
    QFile m_file;
    int m_fd = -1;
    bool m_placed = false;
};
