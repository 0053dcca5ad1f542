#include "pgserver.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <pwd.h>
#include <stdexcept>
#include <unistd.h>

namespace {

const QString kServiceUser = QStringLiteral("postgres");

// The newest installed server's tools.
QString serverTools()
{
    const QDir root(QStringLiteral("/usr/lib/postgresql"));
    QStringList versions = root.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(versions.begin(), versions.end(), [](const QString &a, const QString &b) { return a.toInt() > b.toInt(); });
    for (const QString &v : versions) {
        const QString bin = root.filePath(v + QStringLiteral("/bin"));
        if (QFile::exists(bin + QStringLiteral("/initdb")) && QFile::exists(bin + QStringLiteral("/pg_ctl")))
            return bin;
    }
    return QString();
}

bool asRoot()
{
    return ::geteuid() == 0;
}

QString currentUserName()
{
    const passwd *pw = ::getpwuid(::geteuid());
    return pw ? QString::fromLocal8Bit(pw->pw_name) : QString();
}

} // namespace

PgServer::PgServer()
{
    m_bin = serverTools();
    if (m_bin.isEmpty()) {
        m_problem = QStringLiteral("No PostgreSQL server is installed (no initdb under /usr/lib/postgresql/*/bin): "
                                   "install the postgresql package to run the server tests.");
        return;
    }
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL"))) {
        m_problem = QStringLiteral("The QtSql PostgreSQL driver is missing: install libqt6sql6-psql.");
        return;
    }
    if (!m_dir.isValid()) {
        m_problem = QStringLiteral("Cannot make a temporary folder for the server.");
        return;
    }
    m_user = asRoot() ? kServiceUser : currentUserName();
    if (asRoot()) {
        const passwd *pw = ::getpwnam(kServiceUser.toLocal8Bit().constData());
        if (!pw || ::chown(QFile::encodeName(m_dir.path()).constData(), pw->pw_uid, pw->pw_gid) != 0) {
            m_problem = QStringLiteral("Running as root, the server needs the postgres user to own its folder.");
            return;
        }
    }
    QString output;
    const QString data = m_dir.filePath(QStringLiteral("data"));
    if (!runTool(QStringLiteral("initdb"), {QStringLiteral("-D"), data, QStringLiteral("-A"), QStringLiteral("trust"),
                                            QStringLiteral("-U"), m_user, QStringLiteral("-E"), QStringLiteral("UTF8"),
                                            QStringLiteral("--no-sync")},
                 &output)) {
        m_problem = QStringLiteral("initdb failed: ") + output;
        return;
    }
    // No TCP port: only this folder's socket reaches it.
    const QString options = QStringLiteral("-c listen_addresses='' -c unix_socket_directories='%1' -c fsync=off")
                                .arg(m_dir.path());
    if (!runTool(QStringLiteral("pg_ctl"), {QStringLiteral("-D"), data, QStringLiteral("-o"), options, QStringLiteral("-l"),
                                            m_dir.filePath(QStringLiteral("server.log")), QStringLiteral("-w"),
                                            QStringLiteral("start")},
                 &output)) {
        m_problem = QStringLiteral("The server did not start: ") + output;
        return;
    }
    m_started = true;
    // A test that crashes skips the destructor: a watcher stops the server and
    // removes its folder once this process is gone.
    const QString watch = QStringLiteral("while [ -d /proc/%1 ]; do sleep 1; done; '%2/pg_ctl' -D '%3' -m immediate stop "
                                         ">/dev/null 2>&1; rm -rf '%4'")
                              .arg(QCoreApplication::applicationPid())
                              .arg(m_bin, data, m_dir.path());
    if (asRoot())
        QProcess::startDetached(QStringLiteral("runuser"), {QStringLiteral("-u"), kServiceUser, QStringLiteral("--"),
                                                            QStringLiteral("sh"), QStringLiteral("-c"), watch});
    else
        QProcess::startDetached(QStringLiteral("sh"), {QStringLiteral("-c"), watch});
}

PgServer::~PgServer()
{
    if (m_started)
        runTool(QStringLiteral("pg_ctl"), {QStringLiteral("-D"), m_dir.filePath(QStringLiteral("data")),
                                           QStringLiteral("-m"), QStringLiteral("fast"), QStringLiteral("-w"),
                                           QStringLiteral("stop")});
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
    const QString program = m_bin + QLatin1Char('/') + tool;
    if (asRoot())
        p.start(QStringLiteral("runuser"), QStringList{QStringLiteral("-u"), kServiceUser, QStringLiteral("--"), program} + args);
    else
        p.start(program, args);
    const bool ok = p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (output)
        *output = QString::fromLocal8Bit(p.readAll()) + p.errorString();
    return ok;
}

QString PgServer::createDatabase()
{
    if (!m_problem.isEmpty())
        throw std::runtime_error(m_problem.toStdString());
    const QString name = QStringLiteral("test%1").arg(++m_databases);
    const QString connection = QStringLiteral("pgserver-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection);
        db.setHostName(m_dir.path());
        db.setUserName(m_user);
        db.setDatabaseName(QStringLiteral("postgres"));
        QSqlQuery q(db);
        if (!db.open())
            failure = db.lastError().text();
        else if (!q.exec(QStringLiteral("create database ") + name))
            failure = q.lastError().text();
    }
    QSqlDatabase::removeDatabase(connection);
    if (!failure.isEmpty())
        throw std::runtime_error(("Cannot make a test database: " + failure).toStdString());
    return QStringLiteral("postgresql:///%1?host=%2&user=%3").arg(name, m_dir.path(), m_user);
}
