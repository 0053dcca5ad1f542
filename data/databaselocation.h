#pragma once

#include <QString>

// What the user names as the database: a file (the default, as always) or a
// PostgreSQL database, given as a URI (postgresql://[user@]host[:port]/dbname,
// or postgres://; a Unix socket folder as ?host=) or as libpq's key=value
// words (service=name). A password is refused: libpq finds it in its own
// places (~/.pgpass, the service file, PGPASSWORD) and Verolan never keeps it.
class DatabaseLocation
{
public:
    enum class Kind { File, Server };

    static DatabaseLocation parse(const QString &text);

    // Empty when the text names a database, else why not, in words.
    const QString &problem() const { return m_problem; }
    bool isValid() const { return m_problem.isEmpty(); }
    Kind kind() const { return m_kind; }
    bool isServer() const { return m_kind == Kind::Server; }

    // As given.
    const QString &text() const { return m_text; }
    const QString &filePath() const { return m_text; }

    // The server's parts, decoded; empty (or -1) when left to libpq's defaults.
    const QString &host() const { return m_host; } // a name, an address or a socket folder
    int port() const { return m_port; }
    const QString &user() const { return m_user; }
    const QString &database() const { return m_database; }
    const QString &service() const { return m_service; }

    // For titles and messages: user@host:port/dbname, each part as given.
    QString displayName() const;

private:
    void parseUri(const QString &rest);
    void parseWords();
    bool take(const QString &key, const QString &value);
    void refuse(const QString &why);

    Kind m_kind = Kind::File;
    QString m_text;
    QString m_problem;
    QString m_host;
    int m_port = -1;
    QString m_user;
    QString m_database;
    QString m_service;
};
