#include "reportcsv.h"

#include "csvwriter.h"
#include "sidefile.h"
#include "reporterror.h"
#include "reportlayout.h"

namespace {

struct CsvColumn
{
    QString heading;
    QString field;
    ReportColumn::Format format = ReportColumn::Format::Text;
};

QList<CsvColumn> csvColumns(const ReportDefinition &definition)
{
    QList<CsvColumn> out;
    for (const ReportGroup &group : definition.groups) {
        const bool shown = std::any_of(definition.columns.cbegin(), definition.columns.cend(), [&](const ReportColumn &c) {
            return c.field.compare(group.field, Qt::CaseInsensitive) == 0;
        });
        if (shown)
            continue;
        const qsizetype colon = group.header.indexOf(QLatin1Char(':'));
        QString heading = colon > 0 ? group.header.left(colon).trimmed() : QString();
        if (heading.isEmpty() || heading.contains(QLatin1Char('{')))
            heading = group.field;
        out.append({heading, group.field});
    }
    for (const ReportColumn &column : definition.columns)
        out.append({column.header.isEmpty() ? column.field : column.header, column.field, column.format});
    return out;
}

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
    const QList<CsvColumn> columns = csvColumns(definition);
    QStringList header;
    QList<int> positions;
    for (const CsvColumn &c : columns) {
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
