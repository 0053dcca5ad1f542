#include "caserules.h"

#include "textcount.h"

QStringList caseTextProblems(const CaseTexts &texts)
{
    QStringList problems;
    const auto check = [&](const QString &text, const char *label, int limit) {
        if (isBlank(text))
            problems << QStringLiteral("%1 is blank").arg(QLatin1String(label));
        else if (charCount(text) > limit)
            problems << QStringLiteral("%1 can not have more than %2 characters").arg(QLatin1String(label)).arg(limit);
    };
    check(texts.testType, "Test Type", CaseLimits::kKeyText);
    check(texts.component, "Component Name", CaseLimits::kKeyText);
    check(texts.componentType, "Component Type", CaseLimits::kKeyText);
    check(texts.id, "Test Case Id", CaseLimits::kId);
    check(texts.description, "Test Case Description", CaseLimits::kText);
    check(texts.expected, "Expected Result", CaseLimits::kText);
    return problems;
}
