#pragma once

#include "report.h"

#include <QString>
#include <QStringList>

// A report's rows as a workbook (.xlsx): the same columns and rows as the CSV,
// under the report's title, its captioned parameters and the date it was read.
// Dates are date cells, a column whose every value is a plain number holds
// numbers, everything else is text.
namespace ReportWorkbook {

// Writes the file, put in place only when whole; throws ReportError with the
// reason when it cannot be written, leaving an older file as it was.
// parameterValues are the report's, one per parameter of the definition.
void write(const ReportDefinition &definition, const ReportContent &content, const QStringList &parameterValues,
           const QString &path);

} // namespace ReportWorkbook
