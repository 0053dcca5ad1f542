#pragma once

#include "objectstate.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>

// One connection to the database: a file, or a PostgreSQL database named as
// DatabaseLocation reads it. Every window owns its own; the list of all of
// them lets a restore close and reopen every connection around the file swap.
struct sqlite3;

class Connection
{
public:
    enum class Access {
        ReadWrite, // the program's own windows: the file must be its database, and writable
        ReadOnly,  // a reader of outside queries (reports): reads only, whatever it is asked
    };

    Connection();
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    ObjectState state() const;
    // The engine's handle of the open connection, or nullptr: for the
    // statements of this library; other code reads and writes through them.
    sqlite3 *engine() const;

    // Opens a server database when path names one: an empty one gets the
    // tables, one with other tables or ours in another shape is refused
    // (DbError, Kind::CannotOpen, naming what differs). Read-only, every
    // transaction on it is a read-only one.
    //
    // Opens an existing file read-write; never creates one. Throws DbError
    // (Kind::CannotOpen) when the file is missing, unreadable, not a database
    // or lacks the program's tables. The pages are not all read here, which
    // would make opening a large file slow: damage shows when a page is read,
    // and backup and restore check every page.
    void open(const QString &path);
    // Opens the file for reading only; every statement on it may only read
    // (ReadOnlyQuery). The file is taken as it is: what it lacks shows when a
    // query reads it. Throws DbError (Kind::CannotOpen) when it cannot be opened.
    void open(const QString &path, Access access);
    // Opens again the file it had open, as it had it open.
    void reopen();
    void close();
    Access access() const { return m_access; }
    // Open on a PostgreSQL server: statements go through the driver, not the file's engine.
    bool isServer() const { return m_server; }
    // Opened on a server whose connection has gone since (a restart, a network
    // cut): reopen() connects again. Never on a file.
    bool isLost() const;

    // Called before each database action: when the file at the path is no
    // longer the one this connection has open (replaced by a restore in another
    // copy of the program, moved over, deleted and put back), reopens on the
    // file there now. Throws DbError (Kind::CannotOpen) when no file is there,
    // or when the file changed in the middle of a transaction.
    void followFile();

    const QString &path() const { return m_path; }

    // Counts the opens of this object: what was read before a reopen may be stale.
    quint64 generation() const { return m_generation; }
    // Changes whenever another connection commits to the file; this
    // connection's own commits leave it as it is. On a server, when the
    // server announced another connection's change and the event loop passed
    // it on. -1 when closed.
    qint64 dataVersion() const;
    // The server's channel on which every change to the tables is announced,
    // the payload naming the table; an open server connection listens on it.
    static QString changeChannel() { return QStringLiteral("verolan"); }
    QSqlDatabase database() const;

    // Who is saving: the server's user name, on a file the login name.
    QString userName() const;
    // The server's version as it names it ("15.14"); empty on a file.
    QString serverVersion() const;

    // Every live connection object, open or not.
    static QList<Connection *> all();

    // The server password the user typed, for every connection of this run;
    // kept in memory only, never written anywhere.
    static void setServerPassword(const QString &password);
    // The one set above, so that a trial on another server can put it back.
    static QString typedServerPassword();
    // Why a server refused an open for its password: none was found (libpq's
    // places hold none, none was typed), or the one given is wrong.
    enum class PasswordTrouble { None, Missing, Wrong };
    static PasswordTrouble passwordTrouble(const QString &engineMessage);

private:
    QString m_name;
    void openReadOnly(const QString &path);
    void opened(const QString &path, Access access);
    void openServer(const QString &text, Access access);
    void listenForChanges();

    QString m_path;
    Access m_access = Access::ReadWrite;
    bool m_server = false;
    mutable quint64 m_serverVersion = 0; // the announcements of other connections heard
    bool m_listening = false;
    quint64 m_generation = 0;
    mutable QString m_userName; // the server's, once read
    // The file this connection has open, as the file system names it.
    quint64 m_device = 0;
    quint64 m_inode = 0;
};
