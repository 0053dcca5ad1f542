#pragma once

#include <QString>
#include <QStringList>

struct sqlite3;

// A connection to a database file as the engine's file, for the work that is
// by nature about the file and so about the engine: backup's page copy, the
// checks of a file offered for restore, the lock a restore holds while it
// swaps the file. Everything else reaches the database through Connection.
// Closed on every way out.
class EngineHandle
{
public:
    enum class Mode {
        ReadWrite,  // takes part in the file's locking: a change a crash left is rolled back
        ReadOnly,   // reads only
        Unchanging, // reads a file nobody changes meanwhile: no log or lock files are made beside it
    };

    EngineHandle() = default;
    EngineHandle(const EngineHandle &) = delete;
    EngineHandle &operator=(const EngineHandle &) = delete;
    ~EngineHandle() { close(); }

    // Empty on success, else the engine's message.
    QString open(const QString &path, Mode mode);
    void close();
    bool isOpen() const { return m_db != nullptr; }
    sqlite3 *db() const { return m_db; }

    // The engine's message of the last call that failed.
    QString error() const;
    // The last call failed because the file is not a database, or a damaged one.
    bool failedOnDamage() const;
    // The last call failed because a change a crash left unfinished waits
    // beside the file and only a writer could undo it.
    bool failedOnUnfinishedChange() const;

    // For a file whose contents come from outside: the engine's guards up,
    // the schema not trusted, every cell checked as it is read.
    QString guard();
    // Maps the file into memory, which reads it faster. Only for a file that
    // no other program shortens meanwhile: that would kill the process.
    QString mapIntoMemory();
    // A read transaction, taken now: nobody commits until the handle closes.
    QString beginRead();
    // The write lock, taken now, in rollback-journal mode: whatever another
    // program would change waits until the handle closes.
    QString beginWrite();
    // The engine's full check of every page and index: empty in verdict when
    // sound, else the first problem. Empty, or the failure of the check itself.
    QString checkIntegrity(QString &verdict);

    // Copies the open database into the empty file at path, open as fd. Byte
    // for byte when the file alone holds the database (rollback journal), which
    // is as fast as the file system copies; otherwise page by page through the
    // engine. Either way the copy is a standalone file in rollback-journal mode.
    // The caller holds a read transaction, so nobody commits meanwhile. Empty
    // on success, else why not.
    QString copyTo(int fd, const QString &path);

private:
    QString copyPages(int fd, const QString &path);

    // Empty on success, else the engine's message.
    QString exec(const char *sql);

    // The first column of every row, with param (unless null) bound to the one "?".
    // False, with the engine's message in failure, when the query fails.
    bool column(const char *sql, const QString &param, QStringList &out, QString &failure);

    sqlite3 *m_db = nullptr;
};
