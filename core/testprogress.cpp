#include "testprogress.h"

#include "schema.h"
#include "statement.h"

#include <QLocale>
#include <algorithm>
#include <string>
#include <unordered_map>
#include <vector>

// One pass over the project's results, keyed in memory: a statement that
// works out each case's latest result per day reads the history once a day.

namespace {

enum class Outcome : char { None, Pass, Fail, Other };

struct Result
{
    qint64 stored; // the engine's stored order: later is newer
    int testCase;
    Outcome outcome;
};

struct KeyHash
{
    using is_transparent = void;
    size_t operator()(std::string_view key) const { return std::hash<std::string_view>()(key); }
};
using Numbers = std::unordered_map<std::string, int, KeyHash, std::equal_to<>>;

// A case's key as its UTF-8 texts joined by a unit separator, into a reused buffer.
void keyOf(std::string &key, Statement &st)
{
    key.clear();
    for (int c = 0; c < 4; ++c) {
        const QByteArrayView text = st.utf8(c);
        key.append(text.data(), size_t(text.size()));
        key.push_back('\x1f');
    }
}

Outcome outcomeOf(QByteArrayView pass)
{
    if (pass == "Pass")
        return Outcome::Pass;
    if (pass == "Fail")
        return Outcome::Fail;
    return Outcome::Other;
}

QString share(int part, int whole)
{
    if (whole == 0)
        return QStringLiteral("-");
    return QLocale::c().toString(100.0 * part / whole, 'f', 1) + QStringLiteral(" %");
}

} // namespace

TestProgress testProgress(Connection &cn, const TestProgressFilter &filter)
{
    const QString narrowed = QStringLiteral(" and (?='' or qv_zr_tst_type=?) and (?='' or qv_zr_component=?)");
    const QVariantList narrowing{filter.testType, filter.testType, filter.component, filter.component};
    Numbers caseAt;
    std::string key;
    {
        Statement cases(cn,
                        QStringLiteral("select qv_zr_tst_type, qv_zr_component, qv_zr_component_type, "
                                       "qv_zr_tst_case_id from qv_zr_tst_cases where qv_zr_prjid=?")
                            + narrowed,
                        QStringLiteral("Cannot read the test cases of project %1").arg(filter.project));
        cases.bind(QVariantList{filter.project} + narrowing);
        while (cases.next()) {
            keyOf(key, cases);
            caseAt.emplace(key, int(caseAt.size()));
        }
    }

    // The results of each day, by the day's text (yyyy-MM-dd sorts as dates do).
    Numbers dayAt;
    std::vector<std::string> days;
    std::vector<std::vector<Result>> results;
    {
        Statement st(cn,
                     QStringLiteral("select qv_zr_tst_type, qv_zr_component, qv_zr_component_type, qv_zr_tst_case_id, "
                                    "qv_zr_pass, qv_zr_dt_tst, %1 from qv_zr_tst_history where qv_zr_prjid=? "
                                    "and (?='' or qv_zr_build=?)")
                             .arg(Schema::kStoredOrder)
                         + narrowed,
                     QStringLiteral("Cannot read the results of project %1").arg(filter.project));
        st.bind(QVariantList{filter.project, filter.build, filter.build} + narrowing);
        const QByteArray asOf = filter.asOf.toUtf8();
        std::string day;
        while (st.next()) {
            const QByteArrayView date = st.utf8(5).first(std::min<qsizetype>(10, st.utf8(5).size()));
            if (date.size() != 10 || (!asOf.isEmpty() && date > QByteArrayView(asOf)))
                continue;
            keyOf(key, st);
            const auto found = caseAt.find(std::string_view(key));
            if (found == caseAt.end())
                continue;
            day.assign(date.data(), size_t(date.size()));
            auto at = dayAt.find(std::string_view(day));
            if (at == dayAt.end()) {
                at = dayAt.emplace(day, int(days.size())).first;
                days.push_back(day);
                results.emplace_back();
            }
            results[size_t(at->second)].push_back({st.value(6).toLongLong(), found->second, outcomeOf(st.utf8(4))});
        }
    }

    std::vector<int> order(days.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = int(i);
    std::sort(order.begin(), order.end(), [&days](int a, int b) { return days[size_t(a)] < days[size_t(b)]; });

    TestProgress out;
    out.fields = {QStringLiteral("day"), QStringLiteral("logged"), QStringLiteral("passed"), QStringLiteral("failed"),
                  QStringLiteral("run_share"), QStringLiteral("passed_share"), QStringLiteral("cases_passed"),
                  QStringLiteral("cases_failed"), QStringLiteral("cases_not_run")};
    const int all = int(caseAt.size());
    struct Latest
    {
        qint64 stored = -1;
        Outcome outcome = Outcome::None;
    };
    std::vector<Latest> latest(static_cast<size_t>(all));
    int passing = 0;
    int failing = 0;
    const auto tally = [&](Outcome outcome, int by) {
        passing += outcome == Outcome::Pass ? by : 0;
        failing += outcome == Outcome::Fail ? by : 0;
    };
    for (int d : order) {
        int passed = 0;
        int failed = 0;
        const std::vector<Result> &today = results[size_t(d)];
        for (const Result &r : today) {
            passed += r.outcome == Outcome::Pass ? 1 : 0;
            failed += r.outcome == Outcome::Fail ? 1 : 0;
            // A result saved before the case's latest, but dated later, does not replace it.
            Latest &mine = latest[size_t(r.testCase)];
            if (r.stored < mine.stored)
                continue;
            tally(mine.outcome, -1);
            mine = {r.stored, r.outcome};
            tally(mine.outcome, 1);
        }
        const int run = passing + failing;
        out.rows << QStringList{QString::fromStdString(days[size_t(d)]), QString::number(today.size()),
                                QString::number(passed), QString::number(failed), share(run, all),
                                share(passing, all), QString::number(passing), QString::number(failing),
                                QString::number(all - run)};
    }
    return out;
}
