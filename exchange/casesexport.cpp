#include "casesexport.h"

#include "casecolumns.h"
#include "connection.h"
#include "csvwriter.h"
#include "dberror.h"
#include "exchangeerror.h"
#include "writetarget.h"

#include <QSaveFile>
#include <memory>
#include <sqlite3.h>

QStringList caseExportHeader()
{
    QStringList header;
    for (int f = 0; f < kCaseFieldCount; ++f)
        header << caseFieldName(CaseField(f));
    return header << QStringLiteral("Pass/Fail") << QStringLiteral("Actual Result") << QStringLiteral("Defect Severity")
                  << QStringLiteral("Defect Category") << QStringLiteral("Date of Testing");
}

QByteArray exportCasesCsv(Connection &cn, const QString &project)
{
    // The engine's own calls: the texts go from the file to the output as
    // UTF-8, never through a QVariant each.
    cn.followFile();
    sqlite3 *db = cn.engine();
    const QString context = QStringLiteral("Cannot read the test cases of project %1").arg(project);
    if (!db)
        throw DbError(DbError::Kind::General, context, QStringLiteral("The database is not open."));
    const char *sql = "select qv_zr_tst_type, qv_zr_component, qv_zr_component_type, qv_zr_tst_case_id, "
                      "qv_zr_tst_case_desc, qv_zr_rslt_exp, qv_zr_pass, qv_zr_rslt_act, qv_zr_def_severity, "
                      "qv_zr_def_cat, qv_zr_dt_tst from qv_zr_tst_cases where qv_zr_prjid=? order by "
                      "qv_zr_tst_type, qv_zr_component, qv_zr_component_type, qv_zr_tst_case_id, rowid";
    sqlite3_stmt *raw = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &raw, nullptr) != SQLITE_OK)
        throw DbError(DbError::Kind::General, context, QString::fromUtf8(sqlite3_errmsg(db)));
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt *)> statement(raw, sqlite3_finalize);
    const QByteArray projectUtf8 = project.toUtf8();
    sqlite3_bind_text(raw, 1, projectUtf8.constData(), int(projectUtf8.size()), SQLITE_STATIC);

    QByteArray out("\xEF\xBB\xBF");
    CsvWriter::appendRecord(out, caseExportHeader());
    const int columns = sqlite3_column_count(raw);
    int step;
    while ((step = sqlite3_step(raw)) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c) {
            if (c > 0)
                out.append(',');
            const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(raw, c));
            CsvWriter::appendField(out, QByteArrayView(text, text ? sqlite3_column_bytes(raw, c) : 0));
        }
        out.append("\r\n");
    }
    if (step != SQLITE_DONE)
        throw DbError(DbError::Kind::General, context, QString::fromUtf8(sqlite3_errmsg(db)));
    return out;
}

void exportCasesFile(Connection &cn, const QString &project, const QString &path)
{
    // Before anything is read, or made beside the file.
    const QString refused = WriteTarget::problem(path, cn.path());
    if (!refused.isEmpty())
        throw ExchangeError(refused);
    const QByteArray csv = exportCasesCsv(cn, project);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(csv) != csv.size() || !file.commit())
        throw ExchangeError::at(path, 0, QStringLiteral("cannot be written (%1).").arg(file.errorString()));
}
