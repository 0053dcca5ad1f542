#include "testcases.h"

#include "asread.h"
#include "connection.h"
#include "recordset.h"
#include "sqlstatement.h"
#include "statement.h"
#include "transaction.h"

namespace {

const QList<Check> &caseChecks()
{
    static const QList<Check> checks =
        caseKeyChecks(Check::TooLong)
        + QList<Check>{{Field::CaseDescription, Check::Blank}, {Field::CaseDescription, Check::TooLong},
                       {Field::ExpectedResult, Check::Blank}, {Field::ExpectedResult, Check::TooLong}};
    return checks;
}

QString textOf(const CaseFields &c, Field field)
{
    if (field == Field::CaseDescription)
        return c.description;
    if (field == Field::ExpectedResult)
        return c.expected;
    return caseKeyText(c.key, field);
}

void deleteHistory(Connection &cn, const TestCaseKey &key)
{
    SqlStatement history(cn, QStringLiteral("delete from qv_zr_tst_history ") + caseKeyWhere(),
                         QStringLiteral("Cannot delete the results of test case %1").arg(key.id));
    history.run(key.params());
}

// The first row of the key, while it holds the description and expected result read.
QString firstRowAsRead()
{
    return QStringLiteral(" where rowid=(") + caseKeySelect(QStringLiteral("rowid")) + QStringLiteral(" limit 1) and ")
           + stillAsRead({QStringLiteral("qv_zr_tst_case_desc"), QStringLiteral("qv_zr_rslt_exp")});
}

} // namespace

std::optional<Problem> caseProblem(const CaseFields &fields)
{
    return firstProblem(caseChecks(), [&](Field f) { return textOf(fields, f); });
}

QList<Problem> caseProblems(const CaseFields &fields)
{
    return allProblems(caseChecks(), [&](Field f) { return textOf(fields, f); });
}

SaveResult saveCase(Connection &cn, const CaseFields &fields)
{
    cn.followFile(); // a file put in place of the open one is the one written
    return CaseWriter(cn).save(fields);
}

CaseWriter::CaseWriter(Connection &cn)
    : m_cn(cn)
    , m_find(cn, caseKeySelect(QStringLiteral("rowid")) + QStringLiteral(" limit 1"),
             QStringLiteral("Cannot find the test case"))
    , m_change(cn, QStringLiteral("update qv_zr_tst_cases set qv_zr_rslt_exp=?, qv_zr_tst_case_desc=? where rowid=?"),
               QStringLiteral("Cannot save the test case"))
{
}

SaveResult CaseWriter::save(const CaseFields &fields, Key key)
{
    if (auto problem = caseProblem(fields))
        return {SaveResult::Refused, problem};
    if (fields.asRead) {
        Statement change(m_cn, QStringLiteral("update qv_zr_tst_cases set qv_zr_rslt_exp=?, qv_zr_tst_case_desc=?") + firstRowAsRead(),
                         QStringLiteral("Cannot save the test case"));
        change.run(QVariantList{fields.expected, fields.description} + fields.key.params() + *fields.asRead);
        return {change.changes() > 0 ? SaveResult::Changed : SaveResult::Stale, std::nullopt};
    }
    if (key == Key::Unknown) {
        m_find.run(fields.key.params());
        if (m_find.query().next()) {
            const QVariant row = m_find.query().value(0);
            m_find.query().finish();
            m_change.run({fields.expected, fields.description, row});
            return {SaveResult::Changed, std::nullopt};
        }
    }
    if (!m_add)
        m_add.emplace(m_cn,
                      QStringLiteral("insert into qv_zr_tst_cases (qv_zr_prjid, qv_zr_component, "
                                     "qv_zr_component_type, qv_zr_tst_type, qv_zr_tst_case_id, "
                                     "qv_zr_tst_case_desc, qv_zr_rslt_exp, qv_zr_pass) "
                                     "values (?, ?, ?, ?, ?, ?, ?, 'Fail')"),
                      QStringLiteral("Cannot save the test case"));
    m_add->run(fields.key.params() + QVariantList{fields.description, fields.expected});
    return {SaveResult::Added, std::nullopt};
}

Deletion deleteCase(Connection &cn, const TestCaseKey &key, const std::optional<QVariantList> &asRead)
{
    // The case and its saved results go together, or neither.
    Transaction transaction(cn);
    if (asRead) {
        Statement remove(cn, QStringLiteral("delete from qv_zr_tst_cases") + firstRowAsRead(),
                         QStringLiteral("Cannot delete test case %1").arg(key.id));
        remove.run(key.params() + *asRead);
        if (remove.changes() == 0)
            return findCase(cn, key) ? Deletion::Stale : Deletion::NoMatch;
        if (!findCase(cn, key))
            deleteHistory(cn, key);
        transaction.commit();
        return Deletion::Deleted;
    }
    RecordSet rs;
    rs.open(caseKeySelect(QStringLiteral("*")), key.params(), cn, LockType::Optimistic,
            QStringLiteral("qv_zr_tst_cases"));
    const bool deleted = !rs.eof();
    if (deleted)
        rs.deleteCurrent();
    // A second row under the same key (written by another tool) keeps the history.
    if (rs.eof())
        deleteHistory(cn, key);
    transaction.commit();
    return deleted ? Deletion::Deleted : Deletion::NoMatch;
}

QStringList testTypes(Connection &cn)
{
    return readEntries(cn, QStringLiteral("select distinct(qv_zr_tst_type) from qv_zr_tst_cases"));
}

QStringList testTypesOf(Connection &cn, const QString &project)
{
    return readEntries(cn, QStringLiteral("select distinct(qv_zr_tst_type) from qv_zr_tst_cases where qv_zr_prjid=?"),
                       {project});
}

QStringList componentTypes(Connection &cn)
{
    return readEntries(cn, QStringLiteral("select distinct(qv_zr_component_type) from qv_zr_tst_cases"));
}

QStringList components(Connection &cn, const QString &project)
{
    return readEntries(cn, QStringLiteral("select distinct(qv_zr_component) from qv_zr_tst_cases where (qv_zr_prjid=?)"),
                       {project});
}

QStringList projectsWithCases(Connection &cn)
{
    return readEntries(cn, QStringLiteral("select distinct(qv_zr_prjid) from qv_zr_tst_cases"));
}

QStringList caseIds(Connection &cn, const TestCaseKey &selection)
{
    return readEntries(cn,
                       QStringLiteral("select qv_zr_tst_case_id from qv_zr_tst_cases where (qv_zr_prjid=?)and "
                                      "(qv_zr_component=?) and  (qv_zr_component_type=?) and  (qv_zr_tst_type=?) "),
                       {selection.project, selection.component, selection.componentType, selection.testType});
}

std::optional<QString> componentTypeOf(Connection &cn, const QString &project, const QString &component)
{
    RecordSet rs;
    rs.open(QStringLiteral("select qv_zr_component_type from qv_zr_tst_cases where (qv_zr_prjid=?) and  "
                           "(qv_zr_component=?)"),
            {project, component}, cn);
    // Only the first row counts, even when the component has cases of several types.
    if (rs.eof() || rs.fields(0).isNull())
        return std::nullopt;
    return rs.fields(0).toString();
}

std::optional<CaseFields> findCase(Connection &cn, const TestCaseKey &key)
{
    RecordSet rs;
    rs.open(caseKeySelect(QStringLiteral("qv_zr_tst_case_desc, qv_zr_rslt_exp")), key.params(), cn);
    if (rs.eof())
        return std::nullopt;
    return CaseFields{key, rs.fields(0).toString(), rs.fields(1).toString(), QVariantList{rs.fields(0), rs.fields(1)}};
}

Rows caseRows(Connection &cn, const QString &project, const QString &testType)
{
    return readRows(cn,
                    QStringLiteral("select qv_zr_component, qv_zr_component_type, qv_zr_tst_case_id, "
                                   "qv_zr_tst_case_desc, qv_zr_rslt_exp, qv_zr_rslt_act, qv_zr_pass, "
                                   "qv_zr_def_severity, qv_zr_def_cat, qv_zr_dt_tst from qv_zr_tst_cases "
                                   "where (qv_zr_prjid=?)and  (qv_zr_tst_type=?)"),
                    {project, testType});
}
