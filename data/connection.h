#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QString>

// One connection to a database file. Every window owns its own; the list of all
// of them lets a restore close and reopen every connection around the file swap.
class Connection
{
public:
    enum class Check { Schema, SchemaAndIntegrity };

    Connection();
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    // 1 when open, 0 when closed.
    int state() const;

    // Opens an existing file read-write; never creates one. Throws DbError
    // (Kind::CannotOpen) when the file is missing, unreadable, not a database
    // or lacks the program's tables.
    void open(const QString &path, Check check = Check::Schema);
    void close();

    const QString &path() const { return m_path; }

    // Counts the opens of this object: what was read before a reopen may be stale.
    quint64 generation() const { return m_generation; }
    // Changes whenever another connection commits to the file; this
    // connection's own commits leave it as it is. -1 when closed.
    qint64 dataVersion() const;
    QSqlDatabase database() const;

    // Every live connection object, open or not.
    static QList<Connection *> all();

private:
    QString m_name;
    QString m_path;
    quint64 m_generation = 0;
};
