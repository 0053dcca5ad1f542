#include "schema.h"

#include "dberror.h"
#include "schema_sql.h"

#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>

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
        {QStringLiteral("qv_zr_tst_history"),
         {QStringLiteral("qv_zr_prjid"), QStringLiteral("qv_zr_tst_type"), QStringLiteral("qv_zr_component"),
          QStringLiteral("qv_zr_component_type"), QStringLiteral("qv_zr_tst_case_id"), QStringLiteral("qv_zr_pass"),
          QStringLiteral("qv_zr_rslt_act"), QStringLiteral("qv_zr_def_severity"), QStringLiteral("qv_zr_def_cat"),
          QStringLiteral("qv_zr_dt_tst"), QStringLiteral("qv_zr_saved_at"), QStringLiteral("qv_zr_build"),
          QStringLiteral("qv_zr_saved_by")},
         true,
         {QStringLiteral("qv_zr_build"), QStringLiteral("qv_zr_saved_by")}},
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

namespace {

// Makes the tables in the file at path; the engine's message when it cannot.
QString makeTables(const QString &path, int flags)
{
    sqlite3 *db = nullptr;
    QString error;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, flags, nullptr) != SQLITE_OK)
        error = QString::fromUtf8(sqlite3_errmsg(db));
    else if (sqlite3_exec(db, kSchemaSql, nullptr, nullptr, nullptr) != SQLITE_OK
             || sqlite3_exec(db, kHistorySql, nullptr, nullptr, nullptr) != SQLITE_OK)
        error = QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_close(db);
    return error;
}

[[noreturn]] void cannotMake(const QString &path, const QString &why)
{
    throw DbError(DbError::Kind::General, QStringLiteral("Cannot make the database %1").arg(path), why);
}

} // namespace

void createDatabase(const QString &path)
{
    if (QFileInfo::exists(path))
        cannotMake(path, QStringLiteral("the file exists already"));
    const QString error = makeTables(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    if (!error.isEmpty()) {
        QFile::remove(path);
        cannotMake(path, error);
    }
}

void createDatabaseIn(const QString &emptyFile)
{
    if (QFileInfo(emptyFile).size() != 0)
        cannotMake(emptyFile, QStringLiteral("the file is not empty"));
    const QString error = makeTables(emptyFile, SQLITE_OPEN_READWRITE);
    if (!error.isEmpty())
        cannotMake(emptyFile, error);
}

namespace {

bool hasColumn(sqlite3 *db, const QString &table, const QString &column)
{
    sqlite3_stmt *st = nullptr;
    bool present = false;
    if (sqlite3_prepare_v2(db, "select 1 from pragma_table_info(?) where lower(name)=lower(?)", -1, &st, nullptr)
        == SQLITE_OK) {
        const QByteArray t = table.toUtf8(), c = column.toUtf8();
        sqlite3_bind_text(st, 1, t.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 2, c.constData(), -1, SQLITE_TRANSIENT);
        present = sqlite3_step(st) == SQLITE_ROW;
    }
    sqlite3_finalize(st);
    return present;
}

// The index's definition; empty when there is none.
QString indexSql(sqlite3 *db, const char *name)
{
    sqlite3_stmt *st = nullptr;
    QString sql;
    if (sqlite3_prepare_v2(db, "select sql from sqlite_master where type='index' and name=?", -1, &st, nullptr)
        == SQLITE_OK) {
        sqlite3_bind_text(st, 1, name, -1, SQLITE_STATIC);
        if (sqlite3_step(st) == SQLITE_ROW)
            sql = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
    }
    sqlite3_finalize(st);
    return sql;
}

} // namespace

QString addMissingTables(sqlite3 *db)
{
    QStringList missing;
    bool tableMissing = false;
    for (const Table &table : tables()) {
        if (!table.addedLater)
            continue;
        if (!hasColumn(db, table.name, table.columns.first())) {
            tableMissing = true;
            continue;
        }
        for (const QString &column : table.laterColumns) {
            if (!hasColumn(db, table.name, column))
                missing << QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 TEXT").arg(table.name, column);
        }
    }
    const QString buildIndex = indexSql(db, "ix_history_build");
    if (!buildIndex.isEmpty() && !buildIndex.contains(QLatin1String("qv_zr_dt_tst")))
        missing << QStringLiteral("DROP INDEX ix_history_build"); // the earlier one, made again below
    if (!tableMissing && missing.isEmpty() && !buildIndex.isEmpty())
        return QString();
    bool ok = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
    for (const QString &statement : std::as_const(missing))
        ok = ok && sqlite3_exec(db, statement.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    // The table, then every index it lacks: each statement makes only what is missing.
    ok = ok && sqlite3_exec(db, kHistorySql, nullptr, nullptr, nullptr) == SQLITE_OK;
    if (!ok) {
        const QString error = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        return error;
    }
    return sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK ? QString()
                                                                            : QString::fromUtf8(sqlite3_errmsg(db));
}

} // namespace Schema
