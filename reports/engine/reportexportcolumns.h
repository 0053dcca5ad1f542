#pragma once

#include "reportdefinition.h"

#include <QList>
#include <QString>

// The columns a report's rows take in a file (CSV, workbook): the group fields
// that are not also columns come first, headed by their header text before the
// ":" ("Test Type: {value}" gives "Test Type"), else by the field; then the
// columns, each with its header and format.
struct ReportExportColumn
{
    QString heading;
    QString field;
    ReportColumn::Format format = ReportColumn::Format::Text;
};

QList<ReportExportColumn> reportExportColumns(const ReportDefinition &definition);
