#include "tempdatabase.h"

#include "apppaths.h"
#include "apppathsoverride.h"
#include "connection.h"
#include "databaselocation.h"
#include "pgserver.h"
#include "schema.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>
#include <pwd.h>
#include <stdexcept>
#include <unistd.h>

namespace {

template <class F>
auto withDb(const QString &path, F &&f)
{
    const QString name = QStringLiteral("test-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    struct Remover
    {
        QString name;
        ~Remover() { QSqlDatabase::removeDatabase(name); }
    } remover{name};
    const DatabaseLocation location = DatabaseLocation::parse(path);
    QSqlDatabase db = QSqlDatabase::addDatabase(location.isServer() ? QStringLiteral("QPSQL") : QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(location.isServer() ? location.database() : path);
    db.setHostName(location.host());
    db.setUserName(location.user());
    if (!db.open())
        throw std::runtime_error(db.lastError().text().toStdString());
    return f(db);
}

QSqlQuery run(QSqlDatabase &db, const QString &sql, const QVariantList &params)
{
    QSqlQuery q(db);
    // Without values, as it is: a server prepares no statement that makes a table or a trigger.
    if (params.isEmpty()) {
        if (!q.exec(sql))
            throw std::runtime_error((sql + QStringLiteral(": ") + q.lastError().text()).toStdString());
        return q;
    }
    if (!q.prepare(sql))
        throw std::runtime_error((sql + QStringLiteral(": ") + q.lastError().text()).toStdString());
    for (const QVariant &p : params)
        q.addBindValue(p);
    if (!q.exec())
        throw std::runtime_error((sql + QStringLiteral(": ") + q.lastError().text()).toStdString());
    return q;
}

const QString kAddCase = QStringLiteral(
    "insert into qv_zr_tst_cases (qv_zr_prjid, qv_zr_tst_type, qv_zr_component, qv_zr_component_type, "
    "qv_zr_tst_case_id, qv_zr_tst_case_desc, qv_zr_rslt_exp, qv_zr_pass) values (?, ?, ?, ?, ?, ?, ?, 'Fail')");

} // namespace

TempDatabase::TempDatabase(Engine engine)
{
    if (engine == Engine::Server) {
        m_server = PgServer::shared().createDatabase();
        Connection first; // the program's first connection makes the tables
        first.open(m_server);
    } else {
        Schema::createDatabase(path());
    }
    AppPaths::setFolder(m_dir.path());
}

QString TempDatabase::serverProblem()
{
    return PgServer::shared().problem();
}

TempDatabase::~TempDatabase()
{
    AppPaths::setFolder(QString());
}

QString TempDatabase::path() const
{
    if (!m_server.isEmpty())
        return m_server;
    return QDir(m_dir.path()).filePath(QStringLiteral("testing.mdb"));
}

void TempDatabase::exec(const QString &sql, const QVariantList &params) const
{
    withDb(path(), [&](QSqlDatabase &db) { return run(db, sql, params).isActive(); });
}

QStringList TempDatabase::rows(const QString &sql, const QVariantList &params) const
{
    return withDb(path(), [&](QSqlDatabase &db) {
        QStringList out;
        QSqlQuery q = run(db, sql, params);
        while (q.next()) {
            QStringList cells;
            for (int i = 0; i < q.record().count(); ++i)
                cells << (q.value(i).isNull() ? QStringLiteral("<null>") : q.value(i).toString());
            out << cells.join(QLatin1Char('|'));
        }
        return out;
    });
}

QVariant TempDatabase::value(const QString &sql, const QVariantList &params) const
{
    return withDb(path(), [&](QSqlDatabase &db) {
        QSqlQuery q = run(db, sql, params);
        return q.next() ? q.value(0) : QVariant();
    });
}

int TempDatabase::count(const QString &table) const
{
    return value(QStringLiteral("select count(*) from ") + table).toInt();
}

void TempDatabase::addProject(const QString &id, const QString &desc, const QString &type, const QString &size,
                              const QString &units) const
{
    exec(QStringLiteral("insert into qv_zr_projects values (?, ?, ?, ?, ?, 'NO')"), {id, desc, type, size, units});
}

void TempDatabase::addCase(const QString &prj, const QString &type, const QString &cmp, const QString &cmpType,
                           const QString &id, const QString &desc, const QString &expected) const
{
    exec(kAddCase, {prj, type, cmp, cmpType, id, desc, expected});
}

void TempDatabase::addCases(const QList<QStringList> &cases) const
{
    withDb(path(), [&](QSqlDatabase &db) {
        db.transaction();
        for (const QStringList &c : cases) {
            QVariantList params;
            for (const QString &v : c)
                params << v;
            run(db, kAddCase, params);
        }
        return db.commit();
    });
}

void TempDatabase::setCompany(const QString &name, const QString &address) const
{
    exec(QStringLiteral("delete from Tqvjx_companydetails"));
    exec(QStringLiteral("insert into Tqvjx_companydetails values (?, ?)"), {name, address});
}

void execOn(const QString &path, const QStringList &statements)
{
    withDb(path, [&](QSqlDatabase &db) {
        for (const QString &sql : statements)
            run(db, sql, {});
        return 0;
    });
}

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    QFile file(dir.filePath(name));
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    return file.fileName();
}

QString TempDatabase::loginName()
{
    return QString::fromLocal8Bit(::getpwuid(::getuid())->pw_name);
}
