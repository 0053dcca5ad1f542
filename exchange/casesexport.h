#pragma once

#include <QByteArray>
#include <QStringList>

class Connection;

// The columns of an export: the six a file of test cases needs, then the
// latest result. The import reads the first six and skips the others.
QStringList caseExportHeader();

// The project's test cases, ordered by their key, as RFC 4180 CSV in UTF-8
// with a BOM (so that spreadsheets read it as UTF-8). DbError when they
// cannot be read.
QByteArray exportCasesCsv(Connection &cn, const QString &project);
enum class CaseExportFormat { Csv, Workbook };
// The same, as CSV or as a workbook (.xlsx) of typed cells under a heading,
// written to path whole or not at all; ExchangeError when it cannot be, or
// when path is a database or a file the engine keeps beside cn's.
void exportCasesFile(Connection &cn, const QString &project, const QString &path,
                     CaseExportFormat format = CaseExportFormat::Csv);
