#include "casesimport.h"

#include "connection.h"
#include "exchangeerror.h"
#include "sqlstatement.h"
#include "textcount.h"
#include "transaction.h"

#include <QSet>
#include <algorithm>

namespace {

// The key texts after the project: test type, component, component type, id.
QStringList keyTexts(const TestCaseKey &key)
{
    return {key.testType, key.component, key.componentType, key.id};
}

// The key texts after the project of every test case the project has.
QSet<QStringList> storedKeys(Connection &cn, const QString &project)
{
    SqlStatement select(cn,
                        QStringLiteral("select qv_zr_tst_type, qv_zr_component, qv_zr_component_type, "
                                       "qv_zr_tst_case_id from qv_zr_tst_cases where qv_zr_prjid=?"),
                        QStringLiteral("Cannot read the test cases of project %1").arg(project));
    select.run({project});
    QSet<QStringList> keys;
    QSqlQuery &q = select.query();
    while (q.next())
        keys.insert({q.value(0).toString(), q.value(1).toString(), q.value(2).toString(), q.value(3).toString()});
    return keys;
}

bool projectIsStored(Connection &cn, const QString &project)
{
    SqlStatement select(cn, QStringLiteral("select 1 from qv_zr_projects where qv_zr_prjid=? limit 1"),
                        QStringLiteral("Cannot read the projects"));
    select.run({project});
    return select.query().next();
}

} // namespace

int CasesPreview::count(RowAction action) const
{
    return int(std::count_if(rows.begin(), rows.end(), [action](const CaseRow &row) { return row.action == action; }));
}

CasesPreview previewCases(Connection &cn, const QString &project, const CsvTable &table, const CaseColumns &columns)
{
    if (isBlank(project))
        throw ExchangeError(QStringLiteral("Project Id is blank"));
    cn.followFile();
    if (!projectIsStored(cn, project))
        throw ExchangeError(QStringLiteral("Project %1 is not stored; test cases are taken in for a stored "
                                           "project only.")
                                .arg(project));
    const QSet<QStringList> stored = storedKeys(cn, project);

    CasesPreview preview;
    preview.project = project;
    preview.rows.reserve(table.rows.size());
    QHash<QStringList, qint64> seen; // key -> line of the file row that takes it
    for (qsizetype r = 0; r < table.rows.size(); ++r) {
        const QStringList &fields = table.rows.at(r);
        CaseRow row;
        row.line = table.rowLines.at(r);
        const auto field = [&](CaseField f) { return CsvReader::unescapedText(fields.at(columns[f])); };
        row.texts = {{project, field(CaseField::TestType), field(CaseField::Component), field(CaseField::ComponentType),
                      field(CaseField::Id)},
                     field(CaseField::Description),
                     field(CaseField::Expected)};
        // Text read from bytes that are not UTF-8 is not what the file meant: never stored.
        QStringList problems;
        if (const qint64 invalid = table.invalidUtf8Lines.value(r); invalid > 0)
            problems << QStringLiteral("line %1 is not valid UTF-8").arg(invalid);
        else
            for (const Problem &problem : caseProblems(row.texts))
                problems << problem.message;
        const QStringList key = keyTexts(row.texts.key);
        if (problems.isEmpty()) {
            if (const auto earlier = seen.constFind(key); earlier != seen.cend())
                problems << QStringLiteral("the same test case as line %1").arg(*earlier);
            else
                seen.insert(key, row.line);
        }
        if (!problems.isEmpty()) {
            row.reason = problems.join(QStringLiteral("; "));
            row.action = RowAction::Error;
        } else {
            row.action = stored.contains(key) ? RowAction::Update : RowAction::New;
        }
        preview.rows << row;
    }
    return preview;
}

CasesImportCounts importCases(Connection &cn, const CasesPreview &preview)
{
    CasesImportCounts counts;
    counts.leftOut = preview.count(RowAction::Error);
    if (counts.leftOut == preview.rows.size())
        return counts;

    Transaction transaction(cn);
    // What the preview promised must still hold: rows under a deleted project
    // would be orphans, and a case to update that was deleted is not to be
    // brought back unless the user sees it as new.
    if (!projectIsStored(cn, preview.project))
        throw ExchangeError(
            QStringLiteral("Project %1 was deleted after the preview; nothing was imported.").arg(preview.project));
    const QSet<QStringList> stored = storedKeys(cn, preview.project);
    QList<const CaseRow *> gone;
    for (const CaseRow &row : preview.rows) {
        if (row.action == RowAction::Update && !stored.contains(keyTexts(row.texts.key)))
            gone << &row;
    }
    if (!gone.isEmpty()) {
        const QString first = QStringLiteral("line %1 (%2)")
                                  .arg(gone.first()->line)
                                  .arg(keyTexts(gone.first()->texts.key).join(QStringLiteral(", ")));
        throw ExchangeError(gone.size() == 1 ? QStringLiteral("The test case to update on %1 was deleted after the "
                                                              "preview; nothing was imported.")
                                                   .arg(first)
                                             : QStringLiteral("%1 test cases to update were deleted after the "
                                                              "preview, the first on %2; nothing was imported.")
                                                   .arg(gone.size())
                                                   .arg(first));
    }
    CaseWriter writer(cn);
    QSet<QStringList> added;
    for (const CaseRow &row : preview.rows) {
        if (row.action == RowAction::Error)
            continue;
        // A key stored since the preview changes the stored case, as the window's save does.
        QStringList key = keyTexts(row.texts.key);
        const bool isNew = !stored.contains(key) && !added.contains(key);
        if (isNew)
            added.insert(std::move(key));
        switch (writer.save(row.texts, isNew ? CaseWriter::Key::New : CaseWriter::Key::Unknown).outcome) {
        case SaveResult::Added:
            ++counts.added;
            break;
        case SaveResult::Changed:
            ++counts.updated;
            break;
        default:
            ++counts.leftOut;
            break;
        }
    }
    transaction.commit();
    return counts;
}
