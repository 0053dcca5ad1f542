#include "serverbench.h"

#include "apppaths.h"
#include "apppathsoverride.h"
#include "builds.h"
#include "connection.h"
#include "dropdown.h"
#include "frm_projects.h"
#include "frm_reports.h"
#include "frm_tst_case.h"
#include "frm_tst_log.h"
#include "generator.h"
#include "measure.h"
#include "pgserver.h"
#include "pgsession.h"
#include "recordlist.h"
#include "results.h"
#include "rows.h"
#include "testers.h"
#include "textbox.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>

using namespace Bench;

namespace {

constexpr int kCases = 100000;
constexpr int kHistoryRows = 1000000;
constexpr int kSharedCases = 5;
constexpr int kOwnCases = 10;
const QString kType = QStringLiteral("Functional");
const QString kOther = QStringLiteral("PRJ-0001");

double elapsedMs(const QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

// A window's load opens its own connection: its floor connects too.
double connectAndRead(const QString &location, const QList<Floor::Query> &queries)
{
    return medianMs(g_runs, [&] {
        PgSession pg(location);
        pg.readRows(queries);
    });
}

void listFills(const QString &location)
{
    PgSession pg(location);
    record(QStringLiteral("projects window load (server)"), loadWindow<frm_projects>(g_runs),
           connectAndRead(location, {{"select distinct(qv_zr_prj_type) from qv_zr_projects", {}},
                                     {"select distinct(qv_zr_size_units) from qv_zr_projects", {}},
                                     {"select * from qv_zr_projects", {}}}),
           QStringLiteral("libpq, connect + read"));
    record(QStringLiteral("report window load (server)"), loadWindow<Frm_Reports>(g_runs),
           connectAndRead(location, {{"select fqv_jx_companyname from tqvjx_companydetails", {}},
                                     {"select qv_zr_prjid from qv_zr_projects", {}}}),
           QStringLiteral("libpq, connect + read"));

    // The windows' connections are open: the floor reads on an open one.
    const QList<Floor::Query> pick = {
        {"select * from qv_zr_projects where qv_zr_prjid=?", {kLargest}},
        {"select distinct(qv_zr_component) from qv_zr_tst_cases where (qv_zr_prjid=?)", {kLargest}},
        {"select * from qv_zr_tst_cases where (qv_zr_prjid=?)and  (qv_zr_tst_type=?)", {kLargest, kType}},
    };
    const double pickFloor = medianMs(g_runs, [&] { pg.readRows(pick); });
    {
        // Where the window's time goes: the connection, the rows read, the builds offered.
        Connection cn;
        record(QStringLiteral("connection open, tables checked (server)"), medianMs(g_runs, [&] { cn.open(location); }),
               medianMs(g_runs, [&] { PgSession connected(location); }), QStringLiteral("libpq connect"));
        record(QStringLiteral("pick's rows read through the data layer (server)"), medianMs(g_runs, [&] {
                   for (const Floor::Query &q : pick)
                       readRows(cn, q.sql, QVariantList(q.params.begin(), q.params.end()));
               }),
               pickFloor, QStringLiteral("libpq"));
        QStringList builds;
        record(QStringLiteral("build list of the largest project (server)"),
               medianMs(g_runs, [&] { builds = projectBuilds(cn, kLargest); }), 0, QStringLiteral("none"));
        std::printf("    (%lld builds, newest %s)\n", qlonglong(builds.size()), qPrintable(builds.value(0)));
    }
    {
        TestingClass con;
        frm_tst_case w(con);
        showLoaded(w);
        record(QStringLiteral("test case window: pick largest project (server)"), pickLargest(w.cmb_prjid, kOther, g_runs),
               pickFloor, QStringLiteral("libpq"));
    }
    TestingClass con;
    frm_tst_log w(con);
    showLoaded(w);
    record(QStringLiteral("test log window: pick largest project (server)"), pickLargest(w.cmb_prjid, kOther, g_runs),
           pickFloor, QStringLiteral("libpq"));
    std::printf("    (%d rows listed)\n", w.LV_cases->rowCount());
    w.LV_cases->selectRow(0);
    w.LV_cases_DblClick();
    const QString key = w.cmb_tst_id->text();
    const Rows keyRows = readRows(con.cn,
                                  "select qv_zr_tst_type, qv_zr_component, qv_zr_component_type from qv_zr_tst_cases "
                                  "where qv_zr_prjid=? and qv_zr_tst_case_id=?",
                                  {kLargest, key});
    const QStringList caseKey = {kLargest, keyRows.value(0).value(0).toString(), keyRows.value(0).value(1).toString(),
                                 keyRows.value(0).value(2).toString(), key};
    record(QStringLiteral("history of one case shown (server)"), medianMs(g_runs, [&] { w.cmb_tst_id_Click(); settle(); }),
           medianMs(g_runs, [&] {
               pg.readRows({{"select * from qv_zr_tst_history where qv_zr_prjid=? and qv_zr_tst_type=? and "
                             "qv_zr_component=? and qv_zr_component_type=? and qv_zr_tst_case_id=? order by rowid desc",
                             caseKey}});
           }),
           QStringLiteral("libpq"));

    // The save writes the case's result and its history row in one transaction.
    w.cmb_pass->setListIndex(1); // Pass
    int n = 0;
    record(QStringLiteral("result save with its history row, test log window (server)"),
           medianMs(g_runs, [&] { w.cmd_save_Click(); settle(); },
                    [&] { w.txt_rslt_act->setText(QStringLiteral("ran %1").arg(++n)); }),
           medianMs(g_runs, [&] {
               pg.exec(QStringLiteral("begin"));
               pg.readRows({{"update qv_zr_tst_cases set qv_zr_rslt_act='x' where qv_zr_prjid=? and qv_zr_tst_case_id=? "
                             "returning rowid", {kLargest, key}},
                            {"insert into qv_zr_tst_history (qv_zr_prjid, qv_zr_tst_case_id, qv_zr_rslt_act) "
                             "values (?, ?, 'x') returning rowid", {kLargest, key}}});
               pg.exec(QStringLiteral("commit"));
           }),
           QStringLiteral("libpq update + insert"));
}

// The cases the testers log: the shared ones first, then each tester's own.
QList<ResultEntry> testerCases(const QString &location, int count)
{
    Connection cn;
    cn.open(location);
    const Rows rows = readRows(cn,
                               "select qv_zr_tst_type, qv_zr_component, qv_zr_component_type, qv_zr_tst_case_id, "
                               "qv_zr_tst_case_desc, qv_zr_rslt_exp from qv_zr_tst_cases where qv_zr_prjid=? "
                               "order by rowid limit ?",
                               {kLargest, count});
    QList<ResultEntry> cases;
    for (const QVariantList &k : rows) {
        ResultEntry entry;
        entry.key = {kLargest, k[0].toString(), k[1].toString(), k[2].toString(), k[3].toString()};
        entry.description = k[4].toString();
        entry.expected = k[5].toString();
        entry.result = {QStringLiteral("Fail"), QString(), QDate(2026, 12, 7), QStringLiteral("Major"),
                        QStringLiteral("GUI"), generatedBuild(kBuilds - 1)};
        cases << entry;
    }
    return cases;
}

void testers(const QString &location, int seconds)
{
    const QList<ResultEntry> cases = testerCases(location, kSharedCases + 20 * kOwnCases);
    PgSession pg(location);
    std::printf("\n  %d s a run, one result a second each:\n", seconds);
    std::printf("  | testers | saves | errors | history rows added | of them this run's | median | p95 | max |\n");
    int run = 0;
    for (const int testers : {1, 5, 10, 20}) {
        ++run;
        const qint64 before = pg.count(QStringLiteral("select count(*) from qv_zr_tst_history"));
        const TestersRun r = runTesters(location, cases, kSharedCases, kOwnCases, testers, seconds, run);
        const qint64 added = pg.count(QStringLiteral("select count(*) from qv_zr_tst_history")) - before;
        const qint64 mine = pg.count(QStringLiteral("select count(*) from qv_zr_tst_history where qv_zr_rslt_act like '%1%'")
                                         .arg(testersRunPrefix(run)));
        std::printf("  | %d | %d | %d | %lld | %lld | %.1f ms | %.1f ms | %.1f ms |\n", testers, r.saves, r.errors,
                    qlonglong(added), qlonglong(mine), r.medianMs, r.p95Ms, r.maxMs);
        for (const QString &failure : r.failures)
            std::printf("    error: %s\n", qPrintable(failure));
        // Every save that reported success left its history row, and no other row came.
        if (mine != r.saves - r.errors || added != mine)
            std::printf("    LOST OR EXTRA ROWS: %d saved, %lld of this run's rows, %lld rows added\n", r.saves - r.errors,
                        qlonglong(mine), qlonglong(added));
        record(QStringLiteral("%1 testers: median result save (server)").arg(testers), r.medianMs, 0, QStringLiteral("none"));
        record(QStringLiteral("%1 testers: p95 result save (server)").arg(testers), r.p95Ms, 0, QStringLiteral("none"));
        std::fflush(stdout);
    }
}

} // namespace

void benchServer(const QString &root, int testerSeconds)
{
    PgServer server;
    if (!server.problem().isEmpty()) {
        std::fprintf(stderr, "No server part: %s\n", qPrintable(server.problem()));
        return;
    }
    const QString location = server.createDatabase();
    const QString folder = QDir(root).filePath(QStringLiteral("server"));
    QDir().mkpath(folder);
    const QString file = QDir(folder).filePath(QStringLiteral("generated.mdb"));
    std::printf("\nServer: %d test cases, %d history rows\n", kCases, kHistoryRows);
    QElapsedTimer t;
    t.start();
    generateDatabase(file, kCases, kHistoryRows);
    std::printf("  (file generated in %.0f ms)\n", elapsedMs(t));
    {
        // The first connection makes the tables; libpq copies the rows in.
        Connection cn;
        cn.open(location);
        t.restart();
        PgSession(location).copyFrom(file);
        std::printf("  (copied into the server with COPY and analyzed in %.0f ms)\n", elapsedMs(t));
    }
    QFile::remove(file);
    for (const QString &rpt : QDir(QStringLiteral(VEROLAN_APP_DIR)).entryList({QStringLiteral("rpt_*.rpt")}))
        QFile::copy(QDir(QStringLiteral(VEROLAN_APP_DIR)).filePath(rpt), QDir(folder).filePath(rpt));
    AppPaths::setFolder(folder);
    AppPaths::chooseDatabase(location);
    listFills(location);
    testers(location, testerSeconds);
    AppPaths::chooseDatabase(QString());
}
