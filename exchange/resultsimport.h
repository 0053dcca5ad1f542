#pragma once

#include "casekey.h"
#include "junitresults.h"

#include <QStringList>

class Connection;

enum class MatchStatus {
    Matched,   // to exactly one stored test case
    Ambiguous, // names two or more: left out
    Unmatched, // names none: left out
    Skipped,   // the test did not run: not logged
};

struct ResultMatch
{
    MatchStatus status = MatchStatus::Unmatched;
    QList<TestCaseKey> cases; // the one matched, or every one an ambiguous test names
    // Matched, and the history holds the case with this outcome, actual result,
    // date and build.
    bool alreadyLogged = false;
};

// Which stored test case of the project and test type each test names: an id
// found as a whole word of the test's name or classname, without regard to
// case. Words are split at every character that is not a letter or digit,
// underscores too, so "test_TC001_login" and "LoginTests.TC001" both name
// TC001. An id stored under two components names both. A result logged under
// another build is not yet logged.
QList<ResultMatch> matchResults(Connection &cn, const QString &project, const QString &testType,
                                const QList<JUnitCase> &tests, const QString &typedBuild = QString());

// The build a test's result is stored with: the one typed, or when none is
// typed (blank), the one its file names; empty for none.
QString resultBuild(const QString &typedBuild, const JUnitCase &test);

struct ResultsOptions
{
    QString project;
    QString testType;
    // Of every failure; the severity one of the test log's: Critical, Major, Minor.
    QString severity = QStringLiteral("Major");
    QString category = QStringLiteral("Automated test");
    // Logs a result already logged once more; left out otherwise, so that a
    // file taken in twice does not double the history.
    bool logAgain = false;
    // Typed for every result; blank: each test's file says (resultBuild).
    QString build{};
};

struct ResultsImportCounts
{
    int passed = 0, failed = 0, skipped = 0, unmatched = 0, ambiguous = 0, alreadyLogged = 0;
};

// Logs every matched test (one already logged only when the options say so)
// with the test log's own write: the case's result columns and one history
// row, all in one transaction (none on a DbError). A pass is "Pass" with the actual
// result "Passed"; a failure or error is "Fail" with its message (or
// "Failed"). The date is the suite's, else today's; tests naming one case are
// logged in file order, so the last is the case's result.
// ExchangeError for blank or over-long options, or a build over its limit
// (typed or from a file), in the test log's words, before anything is written.
ResultsImportCounts importResults(Connection &cn, const ResultsOptions &options, const QList<JUnitCase> &tests);
