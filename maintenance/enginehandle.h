#pragma once

#include <QString>
#include <QStringList>

struct sqlite3;

// A database engine connection of our own, for work on whole database files;
// closed on every way out.
class EngineHandle
{
public:
    EngineHandle() = default;
    EngineHandle(const EngineHandle &) = delete;
    EngineHandle &operator=(const EngineHandle &) = delete;
    ~EngineHandle() { close(); }

    // Empty on success, else the engine's message. flags as for sqlite3_open_v2.
    QString open(const QString &path, int flags);
    void close();
    sqlite3 *db() const { return m_db; }

    // The engine's result code and message of the last call that failed.
    int errorCode() const;
    QString error() const;

    // Empty on success, else the engine's message.
    QString exec(const char *sql);

    // The first column of every row, with param (unless null) bound to the one "?".
    // False, with the engine's message in failure, when the query fails.
    bool column(const char *sql, const QString &param, QStringList &out, QString &failure);

    // Copies the open database into the empty file at path, open as fd. Byte
    // for byte when the file alone holds the database (rollback journal), which
    // is as fast as the file system copies; otherwise page by page through the
    // engine. Either way the copy is a standalone file in rollback-journal mode.
    // The caller holds a read transaction, so nobody commits meanwhile. Empty
    // on success, else why not.
    QString copyTo(int fd, const QString &path);

private:
    QString copyPages(int fd, const QString &path);

    sqlite3 *m_db = nullptr;
};
