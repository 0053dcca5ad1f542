#pragma once

#include "fieldrules.h"

#include <QString>
#include <QVariantList>

// The five texts that name one test case, compared untrimmed and with case.
struct TestCaseKey
{
    QString project;
    QString testType;
    QString component;
    QString componentType;
    QString id;

    friend bool operator==(const TestCaseKey &, const TestCaseKey &) = default;

    // The values of caseKeyWhere()'s parameters, in their order.
    QVariantList params() const { return {project, component, componentType, testType, id}; }
};

// "where" the five key columns equal the key's params().
QString caseKeyWhere();
// "select <columns> from <table> " + caseKeyWhere().
QString caseKeySelect(const QString &columns, const QString &table = QStringLiteral("qv_zr_tst_cases"));

// The checks of the five key texts, in the order both windows make them; a
// too-long id is cut, or kept where the id was picked from the stored ones.
QList<Check> caseKeyChecks(Check::Kind idTooLong);
// The key's text of a key field; empty for any other field.
QString caseKeyText(const TestCaseKey &key, Field field);
