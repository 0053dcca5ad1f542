#pragma once

#include <QString>
#include <QTemporaryDir>

// A throwaway PostgreSQL server for one test program: its cluster in a
// temporary folder, reached only through a Unix socket in that folder, stopped
// and deleted with the object. As root the server tools run as the postgres
// user, which refuses to run a server as root.
class PgServer
{
public:
    PgServer();
    ~PgServer();
    PgServer(const PgServer &) = delete;
    PgServer &operator=(const PgServer &) = delete;

    // Empty when the server runs, else why not (the tools missing, a failed start).
    const QString &problem() const { return m_problem; }

    // Makes a new empty database; its location as the program takes it.
    // Throws std::runtime_error when it cannot.
    QString createDatabase();
    // Makes a new empty database owned by a new user whom the server asks for
    // this password; its location, naming that user.
    QString createPasswordDatabase(const QString &user, const QString &password);
    // Makes a new empty database in which a new user may connect but not create tables.
    QString createDatabaseWithoutCreateRights(const QString &user);
    QString socketFolder() const { return m_dir.path(); }
    const QString &user() const { return m_user; }

    // The one server of this test program, started on first use.
    static PgServer &shared();

private:
    // Runs the statements as the server's superuser; the newest database's name.
    QString superuserSql(const QStringList &statements, const QString &database = QStringLiteral("postgres"));
    bool runTool(const QString &tool, const QStringList &args, QString *output = nullptr) const;

    QTemporaryDir m_dir;
    QString m_bin;
    QString m_user;
    QString m_problem;
    bool m_started = false;
    int m_databases = 0;
};
