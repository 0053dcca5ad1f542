#include "reportworkbook.h"

#include "reporterror.h"
#include "reportexportcolumns.h"
#include "workbookwriter.h"

namespace {

// A count the query makes comes as text like any other value: a column is
// numeric when every value it holds reads as a number without loss.
bool holdsNumbers(const ReportRows &rows, int position)
{
    bool any = false;
    for (qsizetype r = 0; r < rows.size(); ++r) {
        const QString &text = rows.at(r, position);
        if (text.isEmpty())
            continue;
        if (!WorkbookWriter::isPlainNumber(text))
            return false;
        any = true;
    }
    return any;
}

} // namespace

namespace ReportWorkbook {

void write(const ReportDefinition &definition, const ReportContent &content, const QStringList &parameterValues,
           const QString &path)
{
    WorkbookWriter::Heading heading{definition.title, {}, content.readAt.date()};
    for (int i = 0; i < definition.parameters.size(); ++i) {
        const QString value = parameterValues.value(i).trimmed();
        if (!definition.parameters.at(i).caption.isEmpty() && !value.isEmpty())
            heading.details.append({definition.parameters.at(i).caption, value});
    }
    const ReportRows &rows = content.rows;
    QList<WorkbookWriter::Column> columns;
    QList<int> positions;
    for (const ReportExportColumn &c : reportExportColumns(definition)) {
        const int position = fieldPosition(content.fields, c.field);
        auto type = WorkbookWriter::CellType::Text;
        if (c.format == ReportColumn::Format::Date)
            type = WorkbookWriter::CellType::Date;
        else if (position >= 0 && holdsNumbers(rows, position))
            type = WorkbookWriter::CellType::Number;
        columns.append({c.heading, type});
        positions << position;
    }

    WorkbookWriter book(path);
    QString problem = book.begin(definition.title, heading, columns);
    if (problem.isEmpty()) {
        QStringList record;
        for (qsizetype r = 0; r < rows.size(); ++r) {
            record.clear();
            for (const int position : positions)
                record << (position < 0 ? QString() : rows.at(r, position));
            book.addRow(record);
        }
        problem = book.finish();
    }
    if (!problem.isEmpty())
        throw ReportError(path, QStringLiteral("the workbook cannot be written: ") + problem);
}

} // namespace ReportWorkbook
