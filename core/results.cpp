#include "results.h"

#include "connection.h"
#include "datevalue.h"
#include "transaction.h"

#include <QDateTime>

namespace {

QString textOf(const ResultEntry &e, Field field)
{
    switch (field) {
    case Field::CaseDescription:
        return e.description;
    case Field::ExpectedResult:
        return e.expected;
    case Field::ActualResult:
        return e.result.actual;
    case Field::PassFail:
        return e.result.pass;
    case Field::Severity:
        return e.result.severity;
    case Field::Category:
        return e.result.category;
    case Field::Build:
        return e.result.build;
    default:
        return caseKeyText(e.key, field);
    }
}

bool isFail(const TestResult &result)
{
    return result.pass == QLatin1String("Fail");
}

} // namespace

std::optional<Problem> resultProblem(const ResultEntry &entry)
{
    QList<Check> checks = caseKeyChecks(Check::TooLongKept);
    checks << Check{Field::CaseDescription, Check::Blank} << Check{Field::ExpectedResult, Check::Blank}
           << Check{Field::ActualResult, Check::Blank} << Check{Field::PassFail, Check::Blank};
    // Severity and category are looked at for a failure only.
    if (isFail(entry.result))
        checks << Check{Field::Severity, Check::Blank} << Check{Field::Category, Check::Blank}
               << Check{Field::Category, Check::TooLong};
    checks << Check{Field::Build, Check::TooLong};
    return firstProblem(checks, [&](Field f) { return textOf(entry, f); });
}

ResultLog::ResultLog(Connection &cn, const QString &savedAt)
    : m_savedAt(savedAt)
    , m_result(cn,
               QStringLiteral("update qv_zr_tst_cases set qv_zr_pass=?, qv_zr_rslt_act=?, qv_zr_dt_tst=?, "
                              "qv_zr_def_severity=?, qv_zr_def_cat=? where rowid=(")
                   + caseKeySelect(QStringLiteral("rowid")) + QStringLiteral(" limit 1)"),
               QStringLiteral("Cannot save the test result"))
    , m_history(cn,
                QStringLiteral("insert into qv_zr_tst_history (qv_zr_pass, qv_zr_rslt_act, qv_zr_dt_tst, "
                               "qv_zr_def_severity, qv_zr_def_cat, qv_zr_prjid, qv_zr_component, "
                               "qv_zr_component_type, qv_zr_tst_type, qv_zr_tst_case_id, qv_zr_saved_at, qv_zr_build, "
                               "qv_zr_saved_by) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                QStringLiteral("Cannot save the test result"))
    , m_savedBy(cn.userName())
{
}

QString ResultLog::savedAtNow()
{
    const QDateTime now = QDateTime::currentDateTime();
    return now.toOffsetFromUtc(now.offsetFromUtc()).toString(Qt::ISODate);
}

bool ResultLog::write(const TestCaseKey &key, const TestResult &result)
{
    // A pass has no defect: empty text, not Null, so the lists show empty cells.
    const bool failed = isFail(result);
    const QVariantList stored{result.pass, result.actual, DateValue::toStored(result.date),
                              failed ? result.severity : QStringLiteral(""),
                              failed ? result.category : QStringLiteral("")};
    // The first stored row of the key takes the result; with none, nothing is written.
    m_result.run(stored + key.params());
    if (m_result.query().numRowsAffected() == 0)
        return false;
    const QVariant build = result.build.isEmpty() ? QVariant() : QVariant(result.build);
    m_history.run(stored + key.params() + QVariantList{m_savedAt, build, m_savedBy});
    return true;
}

SaveResult logResult(Connection &cn, const ResultEntry &entry)
{
    if (auto problem = resultProblem(entry))
        return {SaveResult::Refused, problem};
    Transaction transaction(cn);
    ResultLog log(cn);
    const bool written = log.write(entry.key, entry.result);
    transaction.commit();
    return {written ? SaveResult::Changed : SaveResult::NoMatch, std::nullopt};
}

Rows historyRows(Connection &cn, const TestCaseKey &key)
{
    return readRows(cn,
                    caseKeySelect(QStringLiteral("qv_zr_dt_tst, qv_zr_build, qv_zr_pass, qv_zr_def_severity, qv_zr_def_cat, "
                                                 "qv_zr_rslt_act, qv_zr_saved_at, qv_zr_saved_by"),
                                  QStringLiteral("qv_zr_tst_history"))
                        + QStringLiteral(" order by rowid desc"),
                    key.params());
}

QStringList defectCategories(Connection &cn)
{
    return readEntries(cn, QStringLiteral("select distinct(qv_zr_def_cat) from qv_zr_tst_cases"));
}
