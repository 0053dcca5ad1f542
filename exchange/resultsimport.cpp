#include "resultsimport.h"

#include "connection.h"
#include "datevalue.h"
#include "exchangeerror.h"
#include "results.h"
#include "sqlstatement.h"
#include "textcount.h"
#include "transaction.h"

#include <QDateTime>
#include <QHash>

namespace {

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber();
}

bool isOneWord(const QString &text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), isWordChar);
}

// The stored test cases of one project and test type, found by the ids in a test's names.
class CaseIndex
{
public:
    CaseIndex(Connection &cn, const QString &project, const QString &testType)
    {
        cn.followFile();
        SqlStatement select(cn,
                            QStringLiteral("select distinct qv_zr_component, qv_zr_component_type, "
                                           "qv_zr_tst_case_id from qv_zr_tst_cases where qv_zr_prjid=? and "
                                           "qv_zr_tst_type=?"),
                            QStringLiteral("Cannot read the test cases of project %1").arg(project));
        select.run({project, testType});
        QSqlQuery &q = select.query();
        while (q.next()) {
            const TestCaseKey key{project, testType, q.value(0).toString(), q.value(1).toString(), q.value(2).toString()};
            if (isBlank(key.id))
                continue;
            m_cases << key;
            const QString folded = key.id.toCaseFolded();
            if (isOneWord(folded))
                m_byWord[folded] << int(m_cases.size() - 1);
            else
                m_byText[folded] << int(m_cases.size() - 1);
        }
    }

    QList<TestCaseKey> find(const JUnitCase &test) const
    {
        QList<int> found;
        for (const QString &text : {test.name.toCaseFolded(), test.classname.toCaseFolded()}) {
            qsizetype start = 0;
            while (start < text.size()) {
                qsizetype end = start;
                while (end < text.size() && isWordChar(text.at(end)))
                    ++end;
                if (end > start)
                    found << m_byWord.value(text.mid(start, end - start));
                start = end + 1;
            }
            // Ids that hold other characters too, such as "TC-01", are looked for whole.
            for (auto it = m_byText.cbegin(); it != m_byText.cend(); ++it)
                if (containsWord(text, it.key()))
                    found << it.value();
        }
        std::sort(found.begin(), found.end());
        found.erase(std::unique(found.begin(), found.end()), found.end());
        QList<TestCaseKey> keys;
        for (const int i : found)
            keys << m_cases.at(i);
        return keys;
    }

private:
    static bool containsWord(const QString &text, const QString &id)
    {
        for (qsizetype at = text.indexOf(id); at >= 0; at = text.indexOf(id, at + 1)) {
            const qsizetype after = at + id.size();
            if ((at == 0 || !isWordChar(text.at(at - 1))) && (after == text.size() || !isWordChar(text.at(after))))
                return true;
        }
        return false;
    }

    QList<TestCaseKey> m_cases;
    QHash<QString, QList<int>> m_byWord;
    QHash<QString, QList<int>> m_byText;
};

// What the test log stores of a test: its outcome, actual result, date and
// build, for a failure the options' severity and category.
TestResult loggedResult(const JUnitCase &test, const QDate &today, const ResultsOptions &options)
{
    const bool failed = test.outcome == TestOutcome::Failed;
    return {failed ? QStringLiteral("Fail") : QStringLiteral("Pass"),
            failed ? (test.message.isEmpty() ? QStringLiteral("Failed") : test.message) : QStringLiteral("Passed"),
            test.date.isValid() ? test.date : today, options.severity, options.category,
            resultBuild(options.build, test)};
}

QList<ResultMatch> matchOn(Connection &cn, const QString &project, const QString &testType,
                           const QList<JUnitCase> &tests, const QDate &today, const QString &typedBuild)
{
    const CaseIndex index(cn, project, testType);
    SqlStatement logged(cn,
                        QStringLiteral("select 1 from qv_zr_tst_history where qv_zr_prjid=? and qv_zr_tst_type=? and "
                                       "qv_zr_component=? and qv_zr_component_type=? and qv_zr_tst_case_id=? and "
                                       "qv_zr_pass=? and qv_zr_rslt_act=? and qv_zr_dt_tst=? and "
                                       "coalesce(qv_zr_build, '')=? limit 1"),
                        QStringLiteral("Cannot read the test history of project %1").arg(project));
    QList<ResultMatch> matches;
    matches.reserve(tests.size());
    for (const JUnitCase &test : tests) {
        ResultMatch match;
        if (test.outcome == TestOutcome::Skipped) {
            match.status = MatchStatus::Skipped;
        } else {
            match.cases = index.find(test);
            match.status = match.cases.isEmpty()    ? MatchStatus::Unmatched
                           : match.cases.size() > 1 ? MatchStatus::Ambiguous
                                                    : MatchStatus::Matched;
        }
        if (match.status == MatchStatus::Matched) {
            const TestCaseKey &key = match.cases.first();
            ResultsOptions options;
            options.build = typedBuild;
            const TestResult result = loggedResult(test, today, options);
            // No build is Null in the history, or empty in files of other tools;
            // a null text would be bound as Null, so it is made empty.
            logged.run({key.project, key.testType, key.component, key.componentType, key.id, result.pass,
                        result.actual, DateValue::toStored(result.date),
                        result.build.isEmpty() ? QStringLiteral("") : result.build});
            match.alreadyLogged = logged.query().next();
        }
        matches << match;
    }
    return matches;
}

void checkOptions(const ResultsOptions &options)
{
    const auto text = [&](Field field) {
        return field == Field::ProjectId ? options.project : field == Field::TestType ? options.testType : options.category;
    };
    const auto refuse = [&](const QList<Check> &checks) {
        if (const auto problem = firstProblem(checks, text))
            throw ExchangeError(problem->message);
    };
    refuse({{Field::ProjectId, Check::Blank}, {Field::TestType, Check::Blank}});
    if (!QStringList{"Critical", "Major", "Minor"}.contains(options.severity))
        throw ExchangeError(QStringLiteral("Defect Severity must be Critical, Major or Minor"));
    refuse({{Field::Category, Check::Blank}, {Field::Category, Check::TooLong}});
}

void checkBuilds(const ResultsOptions &options, const QList<JUnitCase> &tests)
{
    for (const JUnitCase &test : tests) {
        const QString build = resultBuild(options.build, test);
        if (const auto problem = firstProblem({{Field::Build, Check::TooLong}}, [&](Field) { return build; }))
            throw ExchangeError(problem->message);
    }
}

} // namespace

QList<ResultMatch> matchResults(Connection &cn, const QString &project, const QString &testType,
                                const QList<JUnitCase> &tests, const QString &typedBuild)
{
    return matchOn(cn, project, testType, tests, QDate::currentDate(), typedBuild);
}

QString resultBuild(const QString &typedBuild, const JUnitCase &test)
{
    return isBlank(typedBuild) ? test.build : typedBuild;
}

ResultsImportCounts importResults(Connection &cn, const ResultsOptions &options, const QList<JUnitCase> &tests)
{
    checkOptions(options);
    checkBuilds(options, tests);
    ResultsImportCounts counts;
    const QString savedAt = ResultLog::savedAtNow();
    const QDate today = QDateTime::fromString(savedAt, Qt::ISODate).date(); // the day of the history rows
    Transaction transaction(cn);
    // Read as the history stands before this import: a result twice in the files is logged twice.
    const QList<ResultMatch> matches = matchOn(cn, options.project, options.testType, tests, today, options.build);
    ResultLog log(cn, savedAt);
    for (qsizetype i = 0; i < tests.size(); ++i) {
        const ResultMatch &match = matches.at(i);
        if (match.status != MatchStatus::Matched) {
            ++(match.status == MatchStatus::Skipped     ? counts.skipped
               : match.status == MatchStatus::Ambiguous ? counts.ambiguous
                                                        : counts.unmatched);
            continue;
        }
        if (match.alreadyLogged && !options.logAgain) {
            ++counts.alreadyLogged;
            continue;
        }
        const JUnitCase &test = tests.at(i);
        ++(test.outcome == TestOutcome::Failed ? counts.failed : counts.passed);
        log.write(match.cases.first(), loggedResult(test, today, options));
    }
    transaction.commit();
    return counts;
}
