#pragma once

#include "casecolumns.h"
#include "csvreader.h"
#include "testcases.h"

class Connection;

// What an import would do with one row of a file of test cases.
enum class RowAction {
    New,    // adds a test case
    Update, // changes the description and expected result of a stored one
    Error,  // left out, for reason
};

struct CaseRow
{
    qint64 line = 0; // in the file
    RowAction action = RowAction::Error;
    QString reason;
    CaseFields texts; // kept as read: the key is compared untrimmed and with case
};

// Every row of a file, classified for one project by the rules of the test case
// save, in its words. A key seen on an earlier row of the file, not itself left out, makes
// the later row an error: a file never changes a case twice.
struct CasesPreview
{
    QString project;
    QList<CaseRow> rows;

    int count(RowAction action) const;
};

struct CasesImportCounts
{
    int added = 0;
    int updated = 0;
    int leftOut = 0;
};

// ExchangeError when the project is blank or not stored; DbError when the
// stored keys cannot be read.
CasesPreview previewCases(Connection &cn, const QString &project, const CsvTable &table, const CaseColumns &columns);

// Saves the new and update rows with the test case window's save, in one
// transaction: all of them, or on a DbError none. A key stored since the
// preview is updated, not added twice.
// ExchangeError, with nothing written, when the project or a case to update
// was deleted since the preview.
CasesImportCounts importCases(Connection &cn, const CasesPreview &preview);
