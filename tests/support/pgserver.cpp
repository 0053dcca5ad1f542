#include "pgserver.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <pwd.h>
#include <stdexcept>
#include <unistd.h>

namespace {

const QString kServiceUser = QStringLiteral("postgres");

bool asRoot()
{
    return ::geteuid() == 0;
}

// The newest installed server's tools.
QString serverTools()
{
    QStringList versions = QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(versions.begin(), versions.end(), [](const QString &a, const QString &b) { return a.toInt() > b.toInt(); });
    for (const QString &v : versions) {
        if (QFile::exists(QStringLiteral("/usr/lib/postgresql/%1/bin/pg_ctl").arg(v)))
            return QStringLiteral("/usr/lib/postgresql/%1/bin/").arg(v);
    }
    return QString();
}

// As root, the tools run as the postgres user: the server refuses to run as root.
QStringList command(const QStringList &words)
{
    return asRoot() ? QStringList{QStringLiteral("runuser"), QStringLiteral("-u"), kServiceUser, QStringLiteral("--")} + words
                    : words;
}

} // namespace

PgServer::PgServer()
{
    m_bin = serverTools();
    const passwd *owner = asRoot() ? ::getpwnam("postgres") : ::getpwuid(::geteuid());
    if (m_bin.isEmpty())
        m_problem = QStringLiteral("No PostgreSQL server is installed (no pg_ctl under /usr/lib/postgresql/*/bin): "
                                   "install the postgresql package to run the server tests.");
    else if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL")))
        m_problem = QStringLiteral("The QtSql PostgreSQL driver is missing: install libqt6sql6-psql.");
    else if (!m_dir.isValid() || !owner || (asRoot() && ::chown(QFile::encodeName(m_dir.path()).constData(), owner->pw_uid, owner->pw_gid) != 0))
        m_problem = QStringLiteral("No folder for the server that its user owns.");
    if (!m_problem.isEmpty())
        return;
    m_user = QString::fromLocal8Bit(owner->pw_name);
    const QString data = m_dir.filePath(QStringLiteral("data"));
    QString output;
    if (!runTool(QStringLiteral("initdb"), {"-D", data, "-A", "trust", "-U", m_user, "-E", "UTF8", "--no-sync"}, &output)) {
        m_problem = QStringLiteral("initdb failed: ") + output;
        return;
    }
    // No TCP port: only this folder's socket reaches it.
    const QString options = QStringLiteral("-c listen_addresses='' -c unix_socket_directories='%1' -c fsync=off").arg(m_dir.path());
    if (!runTool(QStringLiteral("pg_ctl"), {"-D", data, "-o", options, "-l", m_dir.filePath("server.log"), "-w", "start"}, &output)) {
        m_problem = QStringLiteral("The server did not start: ") + output;
        return;
    }
    m_started = true;
    // A test that crashes skips the destructor: a watcher stops the server and
    // removes its folder once this process is gone.
    const QString watch = QStringLiteral("while [ -d /proc/%1 ]; do sleep 1; done; '%2pg_ctl' -D '%3' -m immediate stop "
                                         ">/dev/null 2>&1; rm -rf '%4'")
                              .arg(QCoreApplication::applicationPid())
                              .arg(m_bin, data, m_dir.path());
    const QStringList watcher = command({QStringLiteral("sh"), QStringLiteral("-c"), watch});
    QProcess::startDetached(watcher.first(), watcher.mid(1));
}

PgServer::~PgServer()
{
    if (m_started)
        runTool(QStringLiteral("pg_ctl"), {"-D", m_dir.filePath("data"), "-m", "fast", "-w", "stop"});
}

PgServer &PgServer::shared()
{
    static PgServer server;
    return server;
}

bool PgServer::runTool(const QString &tool, const QStringList &args, QString *output) const
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.setWorkingDirectory(m_dir.path());
    const QStringList words = command(QStringList{m_bin + tool} + args);
    p.start(words.first(), words.mid(1));
    const bool ok = p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (output)
        *output = QString::fromLocal8Bit(p.readAll()) + p.errorString();
    return ok;
}

QString PgServer::superuserSql(const QStringList &statements, const QString &database)
{
    if (!m_problem.isEmpty())
        throw std::runtime_error(m_problem.toStdString());
    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("pgserver"));
        db.setHostName(m_dir.path());
        db.setUserName(m_user);
        db.setDatabaseName(database);
        QSqlQuery q(db);
        if (!db.open())
            failure = db.lastError().text();
        for (const QString &statement : statements) {
            if (failure.isEmpty() && !q.exec(statement))
                failure = q.lastError().text();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("pgserver"));
    if (!failure.isEmpty())
        throw std::runtime_error(("The test server refused: " + failure).toStdString());
    return QStringLiteral("test%1").arg(m_databases);
}

QString PgServer::createDatabase()
{
    ++m_databases;
    const QString name = superuserSql({QStringLiteral("create database test%1").arg(m_databases)});
    return QStringLiteral("postgresql:///%1?host=%2&user=%3").arg(name, m_dir.path(), m_user);
}

QString PgServer::createPasswordDatabase(const QString &user, const QString &password)
{
    QFile hba(m_dir.filePath(QStringLiteral("data/pg_hba.conf")));
    if (!hba.open(QIODevice::ReadWrite))
        throw std::runtime_error("Cannot change pg_hba.conf");
    const QByteArray rules = hba.readAll();
    hba.seek(0);
    hba.write("local all " + user.toUtf8() + " scram-sha-256\n" + rules);
    hba.close();
    ++m_databases;
    const QString name = superuserSql({QStringLiteral("create role %1 login password '%2'").arg(user, password),
                                       QStringLiteral("create database test%1 owner %2").arg(m_databases).arg(user),
                                       QStringLiteral("select pg_reload_conf()")});
    return QStringLiteral("postgresql://%1@/%2?host=%3").arg(user, name, m_dir.path());
}

QString PgServer::createDatabaseWithoutCreateRights(const QString &user)
{
    ++m_databases;
    const QString name = superuserSql({QStringLiteral("create role %1 login").arg(user),
                                       QStringLiteral("create database test%1").arg(m_databases)});
    superuserSql({QStringLiteral("revoke create on schema public from public")}, name);
    return QStringLiteral("postgresql://%1@/%2?host=%3").arg(user, name, m_dir.path());
}
