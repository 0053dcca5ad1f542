#include "schema.h"

#include "dberror.h"
#include "schema_sql.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

namespace Schema {

const QList<Table> &tables()
{
    static const QList<Table> all = {
        {QStringLiteral("qv_zr_projects"),
         {QStringLiteral("qv_zr_prjid"), QStringLiteral("qv_zr_prj_desc"), QStringLiteral("qv_zr_prj_type"),
          QStringLiteral("qv_zr_prj_size"), QStringLiteral("qv_zr_size_units"), QStringLiteral("qv_zr_closed")}},
        {QStringLiteral("qv_zr_tst_cases"),
         {QStringLiteral("qv_zr_prjid"), QStringLiteral("qv_zr_tst_type"), QStringLiteral("qv_zr_component"),
          QStringLiteral("qv_zr_component_type"), QStringLiteral("qv_zr_tst_case_id"),
          QStringLiteral("qv_zr_tst_case_desc"), QStringLiteral("qv_zr_rslt_exp"), QStringLiteral("qv_zr_pass"),
          QStringLiteral("qv_zr_rslt_act"), QStringLiteral("qv_zr_def_severity"), QStringLiteral("qv_zr_def_cat"),
          QStringLiteral("qv_zr_dt_tst")}},
        {QStringLiteral("Tqvjx_companydetails"),
         {QStringLiteral("fqv_jx_companyname"), QStringLiteral("fqv_jx_address")}},
    };
    return all;
}

bool hasDatabaseHeader(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    static const QByteArray header("SQLite format 3\0", 16);
    return file.read(16) == header;
}

void createDatabase(const QString &path)
{
    if (QFileInfo::exists(path))
        throw DbError(DbError::Kind::General, QStringLiteral("Cannot make the database %1").arg(path),
                      QStringLiteral("the file exists already"));
    const QString name = QStringLiteral("verolan-create-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (!db.open()) {
            error = db.lastError().text();
        } else {
            QSqlQuery q(db);
            const QStringList statements = QString::fromUtf8(kSchemaSql).split(QLatin1Char(';'));
            for (QString statement : statements) {
                // Drop comment lines; what is left is one statement or nothing.
                QStringList lines = statement.split(QLatin1Char('\n'));
                lines.removeIf([](const QString &line) { return line.trimmed().startsWith(QLatin1String("--")); });
                statement = lines.join(QLatin1Char('\n')).trimmed();
                if (statement.isEmpty())
                    continue;
                if (!q.exec(statement)) {
                    error = q.lastError().text();
                    break;
                }
            }
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    if (!error.isEmpty()) {
        QFile::remove(path);
        throw DbError(DbError::Kind::General, QStringLiteral("Cannot make the database %1").arg(path), error);
    }
}

} // namespace Schema
