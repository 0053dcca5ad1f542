#include "casekey.h"

QString caseKeyWhere()
{
    return QStringLiteral("where (qv_zr_prjid=?)and (qv_zr_component=?) and  (qv_zr_component_type=?) and  "
                          "(qv_zr_tst_type=?) and  (qv_zr_tst_case_id=?)");
}

QString caseKeySelect(const QString &columns, const QString &table)
{
    return QStringLiteral("select %1 from %2 ").arg(columns, table) + caseKeyWhere();
}

QList<Check> caseKeyChecks(Check::Kind idTooLong)
{
    return {{Field::ProjectId, Check::Blank},     {Field::TestType, Check::Blank},
            {Field::TestType, Check::TooLong},    {Field::Component, Check::Blank},
            {Field::Component, Check::TooLong},   {Field::ComponentType, Check::Blank},
            {Field::ComponentType, Check::TooLong}, {Field::CaseId, Check::Blank},
            {Field::CaseId, idTooLong}};
}

QString caseKeyText(const TestCaseKey &key, Field field)
{
    switch (field) {
    case Field::ProjectId:
        return key.project;
    case Field::TestType:
        return key.testType;
    case Field::Component:
        return key.component;
    case Field::ComponentType:
        return key.componentType;
    case Field::CaseId:
        return key.id;
    default:
        return QString();
    }
}
