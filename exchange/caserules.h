#pragma once

#include <QStringList>

// The texts of one test case as the test case window saves them, the project
// apart. Kept as given: the key is compared untrimmed and case-sensitively.
struct CaseTexts
{
    QString testType;
    QString component;
    QString componentType;
    QString id;
    QString description;
    QString expected;

    // Test type, component, component type and id: with the project, the key.
    QStringList key() const { return {testType, component, componentType, id}; }
};

// The longest texts a test case may have, in characters as the user counts them.
namespace CaseLimits {
constexpr int kKeyText = 50; // test type, component, component type
constexpr int kId = 6;
constexpr int kText = 255; // description, expected result
} // namespace CaseLimits

// Why the test case save would refuse these texts, in the order it checks
// them, in its words; empty when it would save them.
QStringList caseTextProblems(const CaseTexts &texts);
