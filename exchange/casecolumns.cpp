#include "casecolumns.h"

#include "exchangeerror.h"

namespace {

// "Test Case-Id " -> "testcaseid".
QString normalized(const QString &name)
{
    QString out;
    for (const QChar c : name)
        if (c.isLetterOrNumber())
            out += c.toLower();
    return out;
}

QString quotedList(const QStringList &names)
{
    QStringList quoted;
    for (const QString &name : names)
        quoted << u'"' + name + u'"';
    return quoted.join(QStringLiteral(", "));
}

} // namespace

QString caseFieldName(CaseField field)
{
    static const QStringList names{"Test Type",   "Component",       "Component Type",
                                   "Test Case Id", "Description",     "Expected Result"};
    return names.at(int(field));
}

QStringList caseFieldSynonyms(CaseField field)
{
    switch (field) {
    case CaseField::TestType:
        return {"Test Type", "Type"};
    case CaseField::Component:
        return {"Component", "Component Name", "Module"};
    case CaseField::ComponentType:
        return {"Component Type"};
    case CaseField::Id:
        return {"Test Case Id", "ID", "Case Id", "Test Id", "TC Id"};
    case CaseField::Description:
        return {"Description", "Test Case Description", "Summary", "Title"};
    case CaseField::Expected:
        return {"Expected Result", "Expected", "Expected Results", "Expected Outcome"};
    }
    return {};
}

CaseColumns matchCaseColumns(const QStringList &header, const QHash<CaseField, QString> &chosen, const QString &file)
{
    QStringList normalizedHeader;
    for (const QString &name : header)
        normalizedHeader << normalized(name);
    const auto fail = [&](const QString &what) { return ExchangeError::at(file, 1, what); };

    CaseColumns columns;
    QStringList missing;
    for (int f = 0; f < kCaseFieldCount; ++f) {
        const auto field = CaseField(f);
        const QString name = caseFieldName(field);
        const QStringList names = chosen.contains(field) ? QStringList{chosen.value(field)} : caseFieldSynonyms(field);
        QStringList wanted;
        for (const QString &synonym : names)
            wanted << normalized(synonym);
        QList<int> found;
        for (int c = 0; c < normalizedHeader.size(); ++c)
            if (!normalizedHeader.at(c).isEmpty() && wanted.contains(normalizedHeader.at(c)))
                found << c;
        if (found.size() > 1)
            throw fail(QStringLiteral("the columns \"%1\" and \"%2\" could both be the %3 column; choose one.")
                           .arg(header.at(found.at(0)), header.at(found.at(1)), name));
        if (found.isEmpty())
            missing << (chosen.contains(field)
                            ? QStringLiteral("%1 (no column \"%2\")").arg(name, names.first())
                            : QStringLiteral("%1 (a header such as %2)").arg(name, quotedList(names)));
        else
            columns.position[f] = found.first();
    }
    if (!missing.isEmpty())
        throw fail(QStringLiteral("the header has no column for %1.").arg(missing.join(QStringLiteral("; "))));
    for (int f = 0; f < kCaseFieldCount; ++f)
        for (int g = f + 1; g < kCaseFieldCount; ++g)
            if (columns.position[f] == columns.position[g])
                throw fail(QStringLiteral("the column \"%1\" cannot be both the %2 and the %3 column.")
                               .arg(header.at(columns.position[f]), caseFieldName(CaseField(f)),
                                    caseFieldName(CaseField(g))));
    return columns;
}
