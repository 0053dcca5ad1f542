#pragma once

#include <QString>
#include <stdexcept>

// A copy that was refused or failed; the message says what and why, for the user.
class DatabaseFileError : public std::runtime_error
{
public:
    explicit DatabaseFileError(const QString &message)
        : std::runtime_error(message.toStdString())
        , m_message(message)
    {
    }
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

// Copies of the program's database file: out to a file the user names, and back.
// Both directions go through the engine, so a copy is always of a consistent
// database and never disturbs the locks of the connections that are open on it.
// This is work on the file itself: it reaches the engine through EngineHandle,
// not through the connections the windows use.
class DatabaseFile
{
public:
    explicit DatabaseFile(const QString &databasePath);

    // Writes a copy of the database to destination (relative paths resolve
    // against the working folder). The copy is written beside the destination
    // and renamed over it only once complete. Throws DatabaseFileError.
    void backupTo(const QString &destination) const;

    // Empty when source is a sound database of this program; otherwise why it
    // cannot be restored. Reads the file only.
    QString restoreProblem(const QString &source) const;

    // Checks source, then puts its contents in place of the database in one
    // transaction (the old contents stay whole until the new are complete).
    // Every connection open on the database is closed around the swap and
    // reopened after, so none keeps stale data. Throws DatabaseFileError.
    void restoreFrom(const QString &source) const;

private:
    QString m_path;
};
