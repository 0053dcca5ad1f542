#include "casesexport.h"

#include "casecolumns.h"
#include "connection.h"
#include "csvwriter.h"
#include "dberror.h"
#include "exchangeerror.h"
#include "schema.h"
#include "sidefile.h"
#include "statement.h"
#include "workbookwriter.h"
#include "writetarget.h"

#include <QDate>
#include <functional>

QStringList caseExportHeader()
{
    QStringList header;
    for (int f = 0; f < kCaseFieldCount; ++f)
        header << caseFieldName(CaseField(f));
    return header << QStringLiteral("Pass/Fail") << QStringLiteral("Actual Result") << QStringLiteral("Defect Severity")
                  << QStringLiteral("Defect Category") << QStringLiteral("Date of Testing");
}

namespace {

// Runs row for each of the project's test cases, in the export's order and columns.
void forEachCase(Connection &cn, const QString &project, const std::function<void(const Statement &)> &row)
{
    const QString context = QStringLiteral("Cannot read the test cases of project %1").arg(project);
    if (cn.state() != StateOpen)
        throw DbError(DbError::Kind::General, context, QStringLiteral("The database is not open."));
    cn.followFile();
    Statement select(cn,
                     QStringLiteral("select qv_zr_tst_type, qv_zr_component, qv_zr_component_type, qv_zr_tst_case_id, "
                                    "qv_zr_tst_case_desc, qv_zr_rslt_exp, qv_zr_pass, qv_zr_rslt_act, qv_zr_def_severity, "
                                    "qv_zr_def_cat, qv_zr_dt_tst from qv_zr_tst_cases where qv_zr_prjid=? order by "
                                    "qv_zr_tst_type, qv_zr_component, qv_zr_component_type, qv_zr_tst_case_id, ")
                         + Schema::kStoredOrder,
                     context);
    select.bind({project});
    while (select.next())
        row(select);
}

QString writeCasesWorkbook(Connection &cn, const QString &project, const QString &path)
{
    const QStringList header = caseExportHeader();
    QList<WorkbookWriter::Column> columns;
    for (const QString &name : header)
        columns.append({name, WorkbookWriter::CellType::Text});
    columns.last().type = WorkbookWriter::CellType::Date; // the date of testing
    const WorkbookWriter::Heading heading{QStringLiteral("Test Cases"), {{QStringLiteral("Project"), project}},
                                          QDate::currentDate()};
    WorkbookWriter book(path);
    const QString problem = book.begin(QStringLiteral("Test Cases"), heading, columns);
    if (!problem.isEmpty())
        return problem;
    QStringList record;
    forEachCase(cn, project, [&](const Statement &select) {
        record.clear();
        for (int c = 0; c < header.size(); ++c)
            record << QString::fromUtf8(select.utf8(c));
        book.addRow(record);
    });
    return book.finish();
}

} // namespace

QByteArray exportCasesCsv(Connection &cn, const QString &project)
{
    // The texts go from the file to the output as UTF-8, never through a QVariant each.
    QByteArray out("\xEF\xBB\xBF");
    CsvWriter::appendRecord(out, caseExportHeader());
    forEachCase(cn, project, [&](const Statement &select) {
        const int columns = select.columnCount();
        for (int c = 0; c < columns; ++c) {
            if (c > 0)
                out.append(',');
            CsvWriter::appendField(out, select.utf8(c));
        }
        out.append("\r\n");
    });
    return out;
}

void exportCasesFile(Connection &cn, const QString &project, const QString &path, CaseExportFormat format)
{
    // Before anything is read, or made beside the file.
    const QString refused = WriteTarget::problem(path, cn.path());
    if (!refused.isEmpty())
        throw ExchangeError(refused);
    QString failure;
    if (format == CaseExportFormat::Workbook) {
        failure = writeCasesWorkbook(cn, project, path);
    } else {
        const QByteArray csv = exportCasesCsv(cn, project);
        SideFile file(path);
        failure = file.create();
        if (failure.isEmpty() && file.device().write(csv) != csv.size())
            failure = file.device().errorString();
        if (failure.isEmpty())
            failure = file.putInPlace();
    }
    if (!failure.isEmpty())
        throw ExchangeError::at(path, 0, QStringLiteral("cannot be written (%1).").arg(failure));
}
