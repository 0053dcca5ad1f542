#pragma once

#include "casekey.h"
#include "rows.h"
#include "saveresult.h"
#include "sqlstatement.h"

#include <QDate>

class Connection;

// The outcome of one run of a test case.
struct TestResult
{
    QString pass; // "Pass" or "Fail"
    QString actual;
    QDate date;
    // Stored for "Fail" only; a pass stores empty text for both.
    QString severity;
    QString category;
    // The build tested, empty when none: stored in the history row only.
    QString build{};
};

// What the test log's save checks: the case it names, that case's texts as
// shown, and the result.
struct ResultEntry
{
    TestCaseKey key;
    QString description;
    QString expected;
    TestResult result;
};

// The test log's save checks, in its order. A too-long id is not cut: the id
// was picked from the stored ones.
std::optional<Problem> resultProblem(const ResultEntry &entry);

// Writes results into the caller's transaction: the result columns of the
// first stored case with the key, and a history row of the key, the result,
// the moment of saving and who saved it. Nothing when no case has the key.
class ResultLog
{
public:
    explicit ResultLog(Connection &cn, const QString &savedAt = savedAtNow());
    // True when a stored case took the result.
    bool write(const TestCaseKey &key, const TestResult &result);

    // Now as ISO 8601, local time with its offset.
    static QString savedAtNow();

private:
    QString m_savedAt;
    // Prepared once: an import writes thousands of results.
    SqlStatement m_result;
    SqlStatement m_history;
    QString m_savedBy;
};

// The test log's save: checks, then writes the result and its history row in
// one transaction: both, or on a failure neither.
SaveResult logResult(Connection &cn, const ResultEntry &entry);

// The results saved for a test case, newest first, with these columns; the
// build is Null for a result logged without one.
namespace HistoryColumn {
enum { Date, Build, Pass, Severity, Category, Actual, SavedAt, SavedBy };
}
Rows historyRows(Connection &cn, const TestCaseKey &key);

// The defect categories in use; the empty text a pass stores is one of them.
QStringList defectCategories(Connection &cn);
