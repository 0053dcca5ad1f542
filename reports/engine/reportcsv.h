#pragma once

#include "report.h"

#include <QString>
#include <QStringList>

// A report's rows as a CSV file (RFC 4180, UTF-8 without a byte order mark,
// CRLF line ends): a header row, then every row the report shows, in its
// order. The group fields that are not also columns come first, headed by
// their header text before the ":" ("Test Type: {value}" gives "Test Type"),
// else by the field; then the columns, each value as the report shows it.
namespace ReportCsv {

// Writes the file, put in place only when whole; throws ReportError with the
// system's reason when it cannot be written, leaving an older file as it was.
void write(const ReportDefinition &definition, const ReportContent &content, const QString &path);

} // namespace ReportCsv
