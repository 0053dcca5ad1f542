#pragma once

#include <QList>
#include <QString>
#include <functional>
#include <optional>

// Every field the program stores or checks before a save.
enum class Field {
    ProjectId,
    ProjectDescription,
    ProjectType,
    SizeUnits,
    ProjectSize,
    TestType,
    Component,
    ComponentType,
    CaseId,
    CaseDescription,
    ExpectedResult,
    ActualResult,
    PassFail,
    Severity,
    Category,
    CompanyName,
    Build,
};

// A field's limit and the words a refusal shows. The words are the windows'
// own, odd ones kept; a too-long message of a field whose box holds the limit
// is never shown by its window, only by an import.
struct FieldRule
{
    Field field;
    int limit; // in characters as the user counts them; 0: none
    QString blank;
    QString tooLong;
};
const FieldRule &fieldRule(Field field);
int fieldLimit(Field field);

// Why a save refuses its fields: the first field at fault, its message and,
// for a text over its limit, the text cut to the limit, which the window puts
// back so that the next press of Save stores it.
struct Problem
{
    Field field;
    QString message;
    std::optional<QString> cutText;
};

// One check of a save, in the order the save makes them.
struct Check
{
    enum Kind {
        Blank,      // nothing left once leading and trailing blanks go
        Empty,      // the empty text only: blanks pass
        TooLong,    // over the limit; the text is cut
        TooLongKept // over the limit; the text stays (a picked entry)
    };
    Field field;
    Kind kind;
};

// The first check that fails, or none.
std::optional<Problem> firstProblem(const QList<Check> &checks, const std::function<QString(Field)> &text);
// Every field at fault, each once, in check order: what an import lists for a row.
QList<Problem> allProblems(const QList<Check> &checks, const std::function<QString(Field)> &text);
