#include "fieldrules.h"

#include "textcount.h"

#include <algorithm>

namespace {

const QList<FieldRule> kRules{
    {Field::ProjectId, 50, "Project Id is blank", "Project Id can not have more than 50 characters"},
    {Field::ProjectDescription, 255, "Project Description is blank",
     "Project Description can not have more than 255 characters"},
    {Field::ProjectType, 50, "Project type is blank", "Project type can not have more than 50 characters"},
    {Field::SizeUnits, 50, "Project size Units is blank",
     "Project size Units can not have more than 50 characters is blank"},
    {Field::ProjectSize, 8, "Project size is blank", "Project size can not have more than 8 characters"},
    {Field::TestType, 50, "Test Type is blank", "Test Type can not have more than 50 characters"},
    {Field::Component, 50, "Component Name is blank", "Component Name can not have more than 50 characters"},
    {Field::ComponentType, 50, "Component Type is blank", "Component Type can not have more than 50 characters"},
    {Field::CaseId, 6, "Test Case Id is blank", "Test case Id can not have more than 6 characters"},
    {Field::CaseDescription, 255, "Test Case Description is blank",
     "Test Case Description can not have more than 255 characters"},
    {Field::ExpectedResult, 255, "Expected Result is blank", "Expected Result can not have more than 255 characters"},
    {Field::ActualResult, 0, "Actual Result is blank", ""},
    {Field::PassFail, 0, "Pass/Fail is blank", ""},
    {Field::Severity, 0, "Defect Severity is blank", ""},
    {Field::Category, 50, "Defect Category is blank", "Defect Category can not have more than 50 characters"},
    {Field::CompanyName, 50, "Company Name Can not be blank", "Company Name can not have more than 50 characters"},
    {Field::Build, 50, "", "Build can not have more than 50 characters"}, // may stay empty
};

std::optional<Problem> failure(const Check &check, const QString &text)
{
    const FieldRule &rule = fieldRule(check.field);
    switch (check.kind) {
    case Check::Blank:
        if (isBlank(text))
            return Problem{check.field, rule.blank, std::nullopt};
        break;
    case Check::Empty:
        if (text.isEmpty())
            return Problem{check.field, rule.blank, std::nullopt};
        break;
    case Check::TooLong:
    case Check::TooLongKept:
        // A text of no more UTF-16 units than the limit holds no more characters: no count.
        if (rule.limit > 0 && text.size() > rule.limit && charCount(text) > rule.limit)
            return Problem{check.field, rule.tooLong,
                           check.kind == Check::TooLong ? std::optional(leftChars(text, rule.limit)) : std::nullopt};
        break;
    }
    return std::nullopt;
}

} // namespace

const FieldRule &fieldRule(Field field)
{
    // The table lists the fields in their order: an import looks rules up for every cell.
    const FieldRule &rule = kRules.at(int(field));
    Q_ASSERT(rule.field == field);
    return rule;
}

int fieldLimit(Field field)
{
    return fieldRule(field).limit;
}

std::optional<Problem> firstProblem(const QList<Check> &checks, const std::function<QString(Field)> &text)
{
    for (const Check &check : checks) {
        if (auto problem = failure(check, text(check.field)))
            return problem;
    }
    return std::nullopt;
}

QList<Problem> allProblems(const QList<Check> &checks, const std::function<QString(Field)> &text)
{
    QList<Problem> problems;
    for (const Check &check : checks) {
        // A text of blanks over the limit is one fault, not two.
        const bool seen = std::any_of(problems.cbegin(), problems.cend(),
                                      [&](const Problem &p) { return p.field == check.field; });
        if (seen)
            continue;
        if (auto problem = failure(check, text(check.field)))
            problems << *problem;
    }
    return problems;
}
