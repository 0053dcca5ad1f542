#include "reportcsv.h"

#include "csvwriter.h"
#include "sidefile.h"
#include "reporterror.h"
#include "reportexportcolumns.h"
#include "reportlayout.h"

namespace {

// As the test case export has them: a date as yyyy-MM-dd, which every
// spreadsheet reads as a date whatever its language; other values as shown.
QString csvValue(const QString &value, ReportColumn::Format format)
{
    if (format == ReportColumn::Format::Date) {
        const QDate date = QDate::fromString(value.left(10), Qt::ISODate);
        if (date.isValid())
            return date.toString(Qt::ISODate);
    }
    return formatValue(value, format);
}

} // namespace

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
        // The byte order mark tells a spreadsheet the file is UTF-8, so accents read right anywhere.
        QByteArray out("\xEF\xBB\xBF");
        CsvWriter::appendRecord(out, header);
        QStringList record;
        const ReportRows &rows = content.rows;
        for (qsizetype r = 0; r < rows.size() && problem.isEmpty(); ++r) {
            record.clear();
            for (int c = 0; c < columns.size(); ++c)
                record << (positions.at(c) < 0 ? QString() : csvValue(rows.at(r, positions.at(c)), columns.at(c).format));
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
