#include "reportcsv.h"

#include "csvwriter.h"
#include "sidefile.h"
#include "reporterror.h"
#include "reportexportcolumns.h"
#include "reportlayout.h"

namespace ReportCsv {

void write(const ReportDefinition &definition, const ReportContent &content, const QString &path)
{
    const QList<ReportExportColumn> columns = reportExportColumns(definition);
    QStringList header;
    QList<int> positions;
    for (const ReportExportColumn &c : columns) {
        header << c.heading;
        positions << fieldPosition(content.fields, c.field);
    }

    SideFile file(path);
    QString problem = file.create();
    if (problem.isEmpty()) {
        QByteArray out;
        CsvWriter::appendRecord(out, header);
        QStringList record;
        const ReportRows &rows = content.rows;
        for (qsizetype r = 0; r < rows.size() && problem.isEmpty(); ++r) {
            record.clear();
            for (int c = 0; c < columns.size(); ++c)
                record << (positions.at(c) < 0 ? QString() : formatValue(rows.at(r, positions.at(c)), columns.at(c).format));
            CsvWriter::appendRecord(out, record);
            if (out.size() >= (1 << 16)) {
                if (file.device().write(out) != out.size())
                    problem = file.device().errorString();
                out.clear();
            }
        }
        if (problem.isEmpty() && file.device().write(out) != out.size())
            problem = file.device().errorString();
        if (problem.isEmpty())
            problem = file.putInPlace();
    }
    if (!problem.isEmpty())
        throw ReportError(path, QStringLiteral("the CSV file cannot be written: ") + problem);
}

} // namespace ReportCsv
