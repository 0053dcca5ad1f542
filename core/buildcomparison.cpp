#include "buildcomparison.h"

#include "schema.h"
#include "statement.h"

#include <QHash>
#include <algorithm>
#include <numeric>
#include <string>
#include <unordered_map>
#include <vector>

// One pass over the project's results through the index that holds build,
// key and outcome, the rest in memory: a statement grouping and ordering the
// same rows sorts them three times and takes seconds on a million results.

namespace {

enum class Outcome : char { Pass, Fail, Other };

// The latest result of a case under one build.
struct Latest
{
    int build;     // while reading, the build as first met; then its place in test order, oldest 0
    qint64 stored; // the engine's stored order: later is newer
    Outcome outcome;
};

// A case's key as its UTF-8 texts joined by a unit separator, into a buffer
// the caller reuses: a million results make no allocation each.
void keyOf(std::string &key, Statement &st, int first)
{
    key.clear();
    for (int c = first; c < first + 4; ++c) {
        const QByteArrayView text = st.utf8(c);
        key.append(text.data(), size_t(text.size()));
        key.push_back('\x1f');
    }
}

struct KeyHash
{
    using is_transparent = void;
    size_t operator()(std::string_view key) const { return std::hash<std::string_view>()(key); }
};
using CaseNumbers = std::unordered_map<std::string, int, KeyHash, std::equal_to<>>;

Outcome outcomeOf(QByteArrayView pass)
{
    if (pass == "Pass")
        return Outcome::Pass;
    if (pass == "Fail")
        return Outcome::Fail;
    return Outcome::Other; // never counted as run
}

const Latest *under(const std::vector<Latest> &runs, int build)
{
    const auto it = std::find_if(runs.cbegin(), runs.cend(), [build](const Latest &l) { return l.build == build; });
    return it == runs.cend() || it->outcome == Outcome::Other ? nullptr : &*it;
}

int flipsOf(std::vector<Latest> runs)
{
    std::sort(runs.begin(), runs.end(), [](const Latest &a, const Latest &b) { return a.build < b.build; });
    int flips = 0;
    const Latest *previous = nullptr;
    for (const Latest &run : runs) {
        if (run.outcome == Outcome::Other)
            continue;
        if (previous && previous->outcome != run.outcome)
            ++flips;
        previous = &run;
    }
    return flips;
}

QString changeOf(const Latest *older, const Latest *newer)
{
    if (older && newer) {
        if (older->outcome == Outcome::Pass)
            return newer->outcome == Outcome::Fail ? QStringLiteral("New failures") : QString();
        return newer->outcome == Outcome::Pass ? QStringLiteral("Fixed") : QStringLiteral("Still failing");
    }
    if (newer)
        return QStringLiteral("Newly run");
    if (older)
        return QStringLiteral("Not run under the newer");
    return QString();
}

QString resultText(const Latest *run)
{
    if (!run)
        return QStringLiteral("Not run");
    return run->outcome == Outcome::Pass ? QStringLiteral("Pass") : QStringLiteral("Fail");
}

} // namespace

BuildComparison compareBuilds(Connection &cn, const QString &project, const QString &older, const QString &newer)
{
    // Builds numbered as first met; their test order comes from their latest result.
    QStringList builds;
    std::vector<qint64> buildLatest;
    CaseNumbers caseAt;
    std::vector<std::vector<Latest>> runs;
    std::string key;
    {
        Statement st(cn,
                     QStringLiteral("select qv_zr_build, qv_zr_tst_type, qv_zr_component, qv_zr_component_type, "
                                    "qv_zr_tst_case_id, qv_zr_pass, %1 from qv_zr_tst_history "
                                    "where qv_zr_prjid=? and qv_zr_build > ''")
                         .arg(Schema::kStoredOrder),
                     QStringLiteral("Cannot read the results of project %1").arg(project));
        st.bind({project});
        QByteArray build;
        int buildAt = -1;
        while (st.next()) {
            // The index gives the rows build by build: look a build up once.
            if (st.utf8(0) != build) {
                build = st.utf8(0).toByteArray();
                const QString name = QString::fromUtf8(build);
                buildAt = int(builds.indexOf(name));
                if (buildAt < 0) {
                    buildAt = int(builds.size());
                    builds << name;
                    buildLatest.push_back(-1);
                }
            }
            keyOf(key, st, 1);
            auto found = caseAt.find(std::string_view(key));
            if (found == caseAt.end()) {
                found = caseAt.emplace(key, int(runs.size())).first;
                runs.emplace_back();
            }
            const Outcome outcome = outcomeOf(st.utf8(5));
            const qint64 stored = st.value(6).toLongLong();
            buildLatest[size_t(buildAt)] = std::max(buildLatest[size_t(buildAt)], stored);
            std::vector<Latest> &mine = runs[size_t(found->second)];
            auto it = std::find_if(mine.begin(), mine.end(), [buildAt](const Latest &l) { return l.build == buildAt; });
            if (it == mine.end())
                mine.push_back({buildAt, stored, outcome});
            else if (stored > it->stored)
                *it = {buildAt, stored, outcome};
        }
    }

    // Each build's place in test order, oldest 0, as projectBuilds orders them.
    std::vector<int> byTest(builds.size());
    std::iota(byTest.begin(), byTest.end(), 0);
    std::sort(byTest.begin(), byTest.end(),
              [&](int a, int b) { return buildLatest[size_t(a)] < buildLatest[size_t(b)]; });
    std::vector<int> testOrder(builds.size());
    for (size_t place = 0; place < byTest.size(); ++place)
        testOrder[size_t(byTest[place])] = int(place);
    for (std::vector<Latest> &mine : runs) {
        for (Latest &run : mine)
            run.build = testOrder[size_t(run.build)];
    }
    const auto placeOf = [&](const QString &build) {
        const qsizetype at = builds.indexOf(build);
        return at < 0 ? -1 : testOrder[size_t(at)];
    };
    const int olderAt = placeOf(older);
    const int newerAt = placeOf(newer);

    BuildComparison out;
    out.fields = {QStringLiteral("qv_zr_tst_type"), QStringLiteral("qv_zr_component"),
                  QStringLiteral("qv_zr_component_type"), QStringLiteral("qv_zr_tst_case_id"),
                  QStringLiteral("qv_zr_tst_case_desc"), QStringLiteral("older_result"),
                  QStringLiteral("newer_result"), QStringLiteral("newer_actual"), QStringLiteral("severity"),
                  QStringLiteral("change"), QStringLiteral("flips"), QStringLiteral("unstable"),
                  QStringLiteral("unstable_case")};
    // Each case's two latest results, compared.
    struct Compared
    {
        QStringList texts;
        const Latest *before;
        const Latest *after;
        int flips;
    };
    QList<Compared> compared;
    std::vector<qint64> wanted; // results whose severity and actual result are shown
    {
        Statement cases(cn,
                        QStringLiteral("select qv_zr_tst_type, qv_zr_component, qv_zr_component_type, "
                                       "qv_zr_tst_case_id, qv_zr_tst_case_desc from qv_zr_tst_cases where qv_zr_prjid=?"),
                        QStringLiteral("Cannot read the test cases of project %1").arg(project));
        cases.bind({project});
        const std::vector<Latest> none;
        while (cases.next()) {
            keyOf(key, cases, 0);
            const auto found = caseAt.find(std::string_view(key));
            const std::vector<Latest> &mine = found == caseAt.end() ? none : runs[size_t(found->second)];
            Compared c{{}, under(mine, olderAt), under(mine, newerAt), flipsOf(mine)};
            for (int i = 0; i < 5; ++i)
                c.texts << cases.text(i).toString();
            if (!changeOf(c.before, c.after).isEmpty()) {
                if (c.before)
                    wanted.push_back(c.before->stored);
                if (c.after)
                    wanted.push_back(c.after->stored);
            }
            compared << c;
        }
    }
    // Read in stored order: the pages come one after another, not at random.
    std::sort(wanted.begin(), wanted.end());
    QHash<qint64, QStringList> details; // severity, actual result
    {
        Statement detail(cn,
                         QStringLiteral("select qv_zr_def_severity, qv_zr_rslt_act from qv_zr_tst_history where %1=?")
                             .arg(Schema::kStoredOrder),
                         QStringLiteral("Cannot read a result of project %1").arg(project));
        for (qint64 stored : wanted) {
            detail.bind({stored});
            if (detail.next())
                details.insert(stored, {detail.text(0).toString(), detail.text(1).toString()});
        }
    }
    const auto detailOf = [&details](const Latest *run, int which) {
        return run ? details.value(run->stored).value(which) : QString();
    };
    for (const Compared &c : std::as_const(compared)) {
        const QString change = changeOf(c.before, c.after);
        // The severity of the failure the row is about: the newer one's, else the older one's.
        QString severity = c.after && c.after->outcome == Outcome::Fail    ? detailOf(c.after, 0)
                           : c.before && c.before->outcome == Outcome::Fail ? detailOf(c.before, 0)
                                                                            : QString();
        if (severity.isEmpty())
            severity = QStringLiteral("None");
        const QStringList &t = c.texts;
        out.rows << (QStringList(t) << resultText(c.before) << resultText(c.after) << detailOf(c.after, 1) << severity
                                    << change << QString::number(c.flips)
                                    << (c.flips >= 3 ? QStringLiteral("Yes") : QStringLiteral("No"))
                                    << QStringLiteral("%1 / %2 / %3 / %4 (%5 flips)")
                                           .arg(t[0], t[1], t[2], t[3])
                                           .arg(c.flips));
    }
    return out;
}
