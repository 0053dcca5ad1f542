#pragma once

#include "casekey.h"
#include "rows.h"
#include "saveresult.h"
#include "sqlstatement.h"

class Connection;

// One test case as the test case window edits it; every text as typed.
struct CaseFields
{
    TestCaseKey key;
    QString description;
    QString expected;
    // The stored description and expected result as the window read them
    // (Null kept): the save changes the row only while it still holds them.
    // None for a case the window did not read.
    std::optional<QVariantList> asRead{};
};

// The test case window's save checks, in its order; then the limits its boxes
// hold for the description and expected result.
std::optional<Problem> caseProblem(const CaseFields &fields);
// The same checks, every field at fault once: an import's reasons for a row.
QList<Problem> caseProblems(const CaseFields &fields);

// Checks, then adds the case with "Fail" as its outcome, or changes the
// description and expected result of the first stored row with its key (the
// logged result stays). With asRead, only that change, and only while the row
// holds the values read: else Stale. Runs in the caller's transaction, if any.
SaveResult saveCase(Connection &cn, const CaseFields &fields);

// The same save for many cases, its statements prepared once: an import
// saves thousands in its own transaction.
class CaseWriter
{
public:
    explicit CaseWriter(Connection &cn);
    // New: the caller knows no stored case has the key (an import that read
    // the keys in this transaction), so the row is added without a look-up.
    enum class Key { Unknown, New };
    SaveResult save(const CaseFields &fields, Key key = Key::Unknown);

private:
    Connection &m_cn;
    SqlStatement m_find;
    SqlStatement m_change;
    std::optional<SqlStatement> m_add; // prepared by the first add: a window's save mostly changes
};

// Deletes the first stored row with the key; when no row with the key is left,
// the key's result history goes too. One transaction. With asRead (the
// description and expected result as read), only while the row still holds
// them: else nothing goes.
enum class Deletion { Deleted, NoMatch, Stale };
Deletion deleteCase(Connection &cn, const TestCaseKey &key, const std::optional<QVariantList> &asRead = std::nullopt);

// Selector entries.
QStringList testTypes(Connection &cn);
QStringList testTypesOf(Connection &cn, const QString &project);
QStringList componentTypes(Connection &cn);
QStringList components(Connection &cn, const QString &project);
QStringList projectsWithCases(Connection &cn);
// The ids under the selection's project, test type, component and component type; its id is not read.
QStringList caseIds(Connection &cn, const TestCaseKey &selection);

// The component type of the first stored case of the component; none when
// there is none or it is Null.
std::optional<QString> componentTypeOf(Connection &cn, const QString &project, const QString &component);
// The first stored case with the key, Null texts as empty ones; asRead as stored.
std::optional<CaseFields> findCase(Connection &cn, const TestCaseKey &key);

// The test cases of a project and test type with their latest result, in
// query order; the date as stored (see DateValue).
namespace CaseColumn {
enum { Component, ComponentType, Id, Description, Expected, Actual, Pass, Severity, Category, Date };
}
Rows caseRows(Connection &cn, const QString &project, const QString &testType);
