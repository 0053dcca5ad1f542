// Drives the real windows offscreen on databases of 1,000, 10,000 and 100,000
// test cases and prints each figure (median of repeated runs) beside its floor:
// the same rows read with the engine's C API alone, or the same file copied with cp.
// Then one report of 200,000 cases in one project, and the preview of a CSV
// file with one 60 MB field, each with its peak memory.
//
//   verolan_bench [--quick] [--sizes 1000,10000,100000] [--only <word in a figure's name>]
//   verolan_bench --server [--testers-seconds 60]: the same figures against a
//   throwaway local PostgreSQL server, and testers logging results at once
#include "apppaths.h"
#include "apppathsoverride.h"
#include "builds.h"
#include "casecolumns.h"
#include "casesexport.h"
#include "casesimport.h"
#include "connection.h"
#include "csvreader.h"
#include "junitresults.h"
#include "resultsimport.h"
#include "schema.h"
#include "databasefile.h"
#include "floors.h"
#include "frm_import_cases.h"
#include "frm_projects.h"
#include "frm_reports.h"
#include "frm_tst_case.h"
#include "frm_tst_log.h"
#include "generator.h"
#include "measure.h"
#include "recordlist.h"
#include "results.h"
#include "reportviewer.h"
#include "serverbench.h"
#include "services.h"
#include "startup.h"
#include "testingclass.h"
#include "testprogress.h"
#include "dropdown.h"
#include "textbox.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <sqlite3.h>
#include <sys/resource.h>
#include <vector>

using namespace Bench;

namespace {

struct MemoryFigure
{
    QString name;
    long peakMb;
    long beforeMb;
};

QList<MemoryFigure> g_memory;

// Message boxes would block an unattended run; any that shows is a fault of the run.
class FailingMessages : public MessageService
{
public:
    void information(QWidget *, const QString &text, const QString &) override
    {
        std::fprintf(stderr, "unexpected message: %s\n", qPrintable(text));
    }
    bool askYesNo(QWidget *, const QString &, const QString &) override { return true; }
};

QString firstTestType(const QString &db)
{
    // The drop-downs sort case-insensitively; the generated names differ in their first letter.
    Q_UNUSED(db);
    return QStringLiteral("Functional");
}

void benchBuilds(const QString &folder, const QString &size);

void benchSize(int cases, const QString &folder)
{
    const QString db = QDir(folder).filePath(QStringLiteral("testing.mdb"));
    const int runs = cases >= 100000 ? g_runs : g_runs + 2;
    const QString size = QString::number(cases);
    const QString type = firstTestType(db);
    std::printf("\n%d test cases\n", cases);

    // Projects window: both drop-downs and the list of every project.
    record(QStringLiteral("projects window load @%1").arg(size), loadWindow<frm_projects>(runs),
           medianMs(runs, [&] {
               Floor::readRows(db, {{"select distinct(qv_zr_prj_type) from qv_zr_projects", {}},
                                    {"select distinct(qv_zr_size_units) from qv_zr_projects", {}},
                                    {"select * from qv_zr_projects", {}}});
           }));

    // The first project in the drop-downs' order (the generator names the largest "PRJ-LARGEST").
    const QString first = QStringLiteral("PRJ-0001");
    const QList<Floor::Query> caseWindowLoad = {
        {"select distinct(qv_zr_component_type) from qv_zr_tst_cases", {}},
        {"select distinct(qv_zr_tst_type) from qv_zr_tst_cases", {}},
        {"select qv_zr_prjid from qv_zr_projects", {}},
        {"select * from qv_zr_projects where qv_zr_prjid=?", {first}},
        {"select distinct(qv_zr_component) from qv_zr_tst_cases where (qv_zr_prjid=?)", {first}},
        {"select * from qv_zr_tst_cases where (qv_zr_prjid=?)and  (qv_zr_tst_type=?)", {first, type}},
    };
    record(QStringLiteral("test case window load @%1").arg(size), loadWindow<frm_tst_case>(runs),
           medianMs(runs, [&] { Floor::readRows(db, caseWindowLoad); }));

    QList<Floor::Query> logWindowLoad = caseWindowLoad;
    logWindowLoad[2] = {"select distinct(qv_zr_prjid) from qv_zr_tst_cases", {}};
    logWindowLoad << Floor::Query{"select distinct(qv_zr_def_cat) from qv_zr_tst_cases", {}};
    record(QStringLiteral("test log window load @%1").arg(size), loadWindow<frm_tst_log>(runs),
           medianMs(runs, [&] { Floor::readRows(db, logWindowLoad); }));

    record(QStringLiteral("report window load @%1").arg(size), loadWindow<Frm_Reports>(runs),
           medianMs(runs, [&] {
               Floor::readRows(db, {{"select fqv_jx_companyname from tqvjx_companydetails", {}},
                                    {"select qv_zr_prjid from qv_zr_projects", {}}});
           }));

    // The largest project's cascade, list fill and sort.
    const QList<Floor::Query> pick = {
        {"select * from qv_zr_projects where qv_zr_prjid=?", {kLargest}},
        {"select distinct(qv_zr_component) from qv_zr_tst_cases where (qv_zr_prjid=?)", {kLargest}},
        {"select * from qv_zr_tst_cases where (qv_zr_prjid=?)and  (qv_zr_tst_type=?)", {kLargest, type}},
    };
    const double pickFloor = medianMs(runs, [&] { Floor::readRows(db, pick); });
    {
        TestingClass con;
        frm_tst_case w(con);
        showLoaded(w);
        record(QStringLiteral("test case window: pick largest project @%1").arg(size),
               pickLargest(w.cmb_prjid, first, runs), pickFloor);
        const QString sortFloorSql =
            "select * from qv_zr_tst_cases where (qv_zr_prjid=?)and  (qv_zr_tst_type=?) order by qv_zr_tst_case_desc";
        int column = 4;
        record(QStringLiteral("test case window: header sort, %1 rows @%2").arg(w.LV_cases->rowCount()).arg(size),
               medianMs(runs, [&] { w.LV_cases_ColumnClick(column); settle(); },
                        [&] { column = column == 4 ? 5 : 4; }),
               medianMs(runs, [&] { Floor::readRows(db, {{sortFloorSql, {kLargest, type}}}); }));

        // Save an existing case: the description changes, the list refills.
        w.LV_cases->selectRow(0);
        w.LV_cases_DblClick();
        int n = 0;
        const QString key = w.cmb_tst_id->text();
        record(QStringLiteral("test case save (with list refill) @%1").arg(size),
               medianMs(runs, [&] { w.cmd_save_Click(); settle(); },
                        [&] { w.txt_tst_case_desc->setText(QStringLiteral("changed %1").arg(++n)); }),
               medianMs(runs, [&] {
                   Floor::write(db, {"update qv_zr_tst_cases set qv_zr_tst_case_desc='x' where qv_zr_prjid=? and "
                                     "qv_zr_tst_case_id=?",
                                     {kLargest, key}});
               }),
               QStringLiteral("C API update"));
    }
    {
        TestingClass con;
        frm_tst_log w(con);
        showLoaded(w);
        record(QStringLiteral("test log window: pick largest project @%1").arg(size),
               pickLargest(w.cmb_prjid, first, runs), pickFloor);
        w.LV_cases->selectRow(0);
        w.LV_cases_DblClick();
        w.cmb_pass->setListIndex(1); // Pass
        int n = 0;
        const QString key = w.cmb_tst_id->text();
        record(QStringLiteral("result save (with list refill) @%1").arg(size),
               medianMs(runs, [&] { w.cmd_save_Click(); settle(); },
                        [&] { w.txt_rslt_act->setText(QStringLiteral("ran %1").arg(++n)); }),
               medianMs(runs, [&] {
                   Floor::write(db, {"update qv_zr_tst_cases set qv_zr_rslt_act='x' where qv_zr_prjid=? and "
                                     "qv_zr_tst_case_id=?",
                                     {kLargest, key}});
               }),
               QStringLiteral("C API update"));

        // With the history and the list's filter on the largest project.
        const double historyFloor = medianMs(runs, [&] {
            Floor::readRows(db, {{"select * from qv_zr_tst_history where qv_zr_prjid=? and qv_zr_tst_case_id=?",
                                  {kLargest, key}}});
        });
        record(QStringLiteral("history of one case shown @%1").arg(size),
               medianMs(runs, [&] { w.cmb_tst_id_Click(); settle(); }), historyFloor);
        FilterBox *filter = w.LV_cases->filterBox(&w);
        int k = 0;
        record(QStringLiteral("filter keystroke on the largest list @%1").arg(size),
               medianMs(runs, [&] { filter->setText(k++ % 2 ? QStringLiteral("Component 1") : QStringLiteral("Component")); settle(); }),
               0, QStringLiteral("none"));
        filter->clear();
        w.LV_cases->selectRow(0);
        w.LV_cases_DblClick();
        record(QStringLiteral("save and next @%1").arg(size),
               medianMs(runs, [&] { w.saveAndNext(); settle(); },
                        [&] {
                            // The next case comes in as stored: a pass needs no defect fields.
                            w.cmb_pass->setListIndex(1);
                            w.txt_rslt_act->setText(QStringLiteral("ran %1").arg(++n));
                        }),
               0, QStringLiteral("none"));
    }

    // The Test Log report of the largest project.
    if (wanted(QStringLiteral("Test Log report of largest project: first page shown"))
        || wanted(QStringLiteral("Test Log report of largest project: PDF export"))
        || wanted(QStringLiteral("Test Log report of largest project: Find"))) {
        TestingClass con;
        Frm_Reports w(con);
        showLoaded(w);
        w.cmb_prjid->setListIndex(indexOf(w.cmb_prjid, kLargest));
        const double reportFloor = medianMs(runs, [&] {
            Floor::readRows(db, {{"select * from qv_zr_tst_cases where qv_zr_prjid=?", {kLargest}}});
        });
        const int reportRuns = cases >= 100000 ? 3 : runs;
        record(QStringLiteral("Test Log report of largest project: first page shown @%1").arg(size),
               medianMs(reportRuns, [&] { w.Command4_Click(); w.RptView->repaint(); }, [&] {
                   if (w.RptView->isVisible())
                       w.Cmdrepexit_Click();
               }),
               reportFloor);
        std::printf("    (%d pages laid out before the first is shown)\n", w.RptView->pageCount());
        // The rest of the pages are laid out while the window waits for input.
        record(QStringLiteral("Test Log report of largest project: every page laid out @%1").arg(size),
               medianMs(reportRuns, [&] { w.Command4_Click(); w.RptView->repaint(); w.RptView->reportLayout(); }, [&] {
                   if (w.RptView->isVisible())
                       w.Cmdrepexit_Click();
               }),
               reportFloor);
        std::printf("    (%d pages)\n", w.RptView->pageCount());
        const QString pdf = QDir(folder).filePath(QStringLiteral("report.pdf"));
        record(QStringLiteral("Test Log report of largest project: PDF export @%1").arg(size),
               medianMs(reportRuns, [&] { w.RptView->exportPdf(pdf); }), reportFloor);
        const QString csv = QDir(folder).filePath(QStringLiteral("report.csv"));
        record(QStringLiteral("Test Log report of largest project: CSV export @%1").arg(size),
               medianMs(reportRuns, [&] { w.RptView->exportCsv(csv); }), reportFloor);
        // Find right after Generate, only the first pages laid out: the last
        // page's footer is the latest first hit; a text found nowhere reads every page.
        const QString lastFooter = QStringLiteral("Page %1 of").arg(w.RptView->pageCount());
        for (const auto &[figure, text] : {std::pair{"first hit on the last page", lastFooter},
                                           std::pair{"a text found nowhere", QStringLiteral("no such text")}}) {
            record(QStringLiteral("Test Log report of largest project: Find, %1 @%2").arg(QLatin1String(figure)).arg(size),
                   medianMs(reportRuns, [&] { w.RptView->find(text); }, [&] {
                       w.Cmdrepexit_Click();
                       w.Command4_Click();
                       w.RptView->repaint();
                   }),
                   reportFloor);
        }
        // The same search over pages laid out already: the search alone.
        w.RptView->reportLayout();
        record(QStringLiteral("Test Log report of largest project: Find, a text found nowhere, pages laid out @%1").arg(size),
               medianMs(reportRuns, [&] { w.RptView->find(QStringLiteral("no such text")); }), reportFloor);
        w.Cmdrepexit_Click();
    }

    if (cases >= 100000)
        benchBuilds(folder, size);

    if (cases >= 100000 && (wanted(QStringLiteral("backup")) || wanted(QStringLiteral("restore")))) {
        const QString copy = QDir(folder).filePath(QStringLiteral("copy.mdb"));
        const QString backup = QDir(folder).filePath(QStringLiteral("backup.mdb"));
        const auto cp = [&](const QString &from, const QString &to) {
            QProcess::execute(QStringLiteral("cp"), {from, to});
            QProcess::execute(QStringLiteral("sync"), {to});
        };
        const double cpMs = medianMs(g_runs, [&] { cp(db, copy); });
        DatabaseFile file(db);
        record(QStringLiteral("backup @%1").arg(size), medianMs(g_runs, [&] { file.backupTo(backup); }), cpMs,
               QStringLiteral("cp + sync"));
        record(QStringLiteral("restore @%1").arg(size), medianMs(g_runs, [&] { file.restoreFrom(backup); }), cpMs,
               QStringLiteral("cp + sync"));
    }
}

// The builds: the largest project's build list, a result saved with its
// build, and the comparison of its two latest builds.
void benchBuilds(const QString &folder, const QString &size)
{
    const QString db = QDir(folder).filePath(QStringLiteral("testing.mdb"));
    {
        Connection cn;
        cn.open(db);
        QStringList builds;
        record(QStringLiteral("build list of the largest project @%1").arg(size),
               medianMs(g_runs, [&] { builds = projectBuilds(cn, kLargest); }), 0, QStringLiteral("none"));
        std::printf("    (%lld builds, newest %s)\n", qlonglong(builds.size()), qPrintable(builds.value(0)));
        // What the Test Log's progress over time adds to its first page.
        TestProgressFilter filter;
        filter.project = kLargest;
        TestProgress progress;
        record(QStringLiteral("progress over time of the largest project @%1").arg(size),
               medianMs(g_runs, [&] { progress = testProgress(cn, filter); }), 0, QStringLiteral("none"));
        std::printf("    (%lld days of testing)\n", qlonglong(progress.rows.size()));
        const Rows first = readRows(cn,
                                    "select qv_zr_tst_type, qv_zr_component, qv_zr_component_type, qv_zr_tst_case_id, "
                                    "qv_zr_tst_case_desc, qv_zr_rslt_exp from qv_zr_tst_cases where qv_zr_prjid=? limit 1",
                                    {kLargest});
        ResultEntry entry;
        const QVariantList &k = first.at(0);
        entry.key = {kLargest, k[0].toString(), k[1].toString(), k[2].toString(), k[3].toString()};
        entry.description = k[4].toString();
        entry.expected = k[5].toString();
        entry.result = {QStringLiteral("Fail"), QString(), QDate(2026, 12, 6), QStringLiteral("Major"),
                        QStringLiteral("GUI"), generatedBuild(kBuilds - 1)};
        int n = 0;
        record(QStringLiteral("result save with its build @%1").arg(size),
               medianMs(g_runs, [&] {
                   if (!logResult(cn, entry).written())
                       std::fprintf(stderr, "the result was not saved\n");
               },
                        [&] { entry.result.actual = QStringLiteral("ran %1").arg(++n); }),
               medianMs(g_runs, [&] {
                   Floor::write(db, {"update qv_zr_tst_cases set qv_zr_rslt_act='x' where qv_zr_prjid=? and "
                                     "qv_zr_tst_case_id=?",
                                     {kLargest, entry.key.id}});
               }),
               QStringLiteral("C API update"));
    }
    if (!wanted(QStringLiteral("Build comparison of largest project: first page shown"))
        && !wanted(QStringLiteral("Test Log report of largest project with its history")))
        return;
    TestingClass con;
    Frm_Reports w(con);
    showLoaded(w);
    w.cmb_prjid->setListIndex(indexOf(w.cmb_prjid, kLargest));
    w.TypeofReport->setListIndex(indexOf(w.TypeofReport, Frm_Reports::kBuildComparison));
    record(QStringLiteral("Build comparison of largest project: first page shown @%1").arg(size),
           medianMs(3, [&] { w.Command4_Click(); w.RptView->repaint(); }, [&] {
               if (w.RptView->isVisible())
                   w.Cmdrepexit_Click();
               w.TypeofReport->setListIndex(indexOf(w.TypeofReport, Frm_Reports::kBuildComparison));
           }),
           0, QStringLiteral("none"));
    std::printf("    (%s against %s: %d pages)\n", qPrintable(w.cmb_older->text()), qPrintable(w.cmb_newer->text()),
                w.RptView->pageCount());
    w.Cmdrepexit_Click();
    // The Test Log over the same history: its progress over time is in the summary before the rows.
    w.TypeofReport->setListIndex(0);
    record(QStringLiteral("Test Log report of largest project with its history: first page shown @%1").arg(size),
           medianMs(3, [&] { w.Command4_Click(); w.RptView->repaint(); }, [&] {
               if (w.RptView->isVisible())
                   w.Cmdrepexit_Click();
               w.TypeofReport->setListIndex(0);
           }),
           0, QStringLiteral("none"));
    w.Cmdrepexit_Click();
}

// Data in and out: 100,000 test cases from a CSV file into an empty project,
// the same out again, and a JUnit file of 10,000 tests matched and logged.
void benchExchange(const QString &folder)
{
    constexpr int kRows = 100000;
    constexpr int kTests = 10000;
    const QString db = QDir(folder).filePath(QStringLiteral("exchange.mdb"));
    Schema::createDatabase(db);
    Floor::write(db, {"insert into qv_zr_projects (qv_zr_prjid) values ('IMPORT')", {}});
    QByteArray csv = "Test Type,Component,Component Type,Test Case Id,Description,Expected Result\r\n";
    for (int i = 0; i < kRows; ++i)
        csv += QStringLiteral("Functional,Component %1,Screen,T%2,\"Check, with care, step %2\",It works\r\n")
                   .arg(i % 48)
                   .arg(i, 5, 10, QLatin1Char('0'))
                   .toUtf8();
    const QString csvPath = QDir(folder).filePath(QStringLiteral("cases.csv"));
    QFile file(csvPath);
    file.open(QIODevice::WriteOnly);
    file.write(csv);
    file.close();

    Connection cn;
    cn.open(db);
    CasesPreview preview;
    QElapsedTimer t;
    t.start();
    const CsvTable table = CsvReader().readFile(csvPath);
    preview = previewCases(cn, QStringLiteral("IMPORT"), table, matchCaseColumns(table.header));
    record(QStringLiteral("CSV preview of %1 rows").arg(kRows), double(t.nsecsElapsed()) / 1e6, 0,
           QStringLiteral("none"));
    t.restart();
    importCases(cn, preview);
    const double imported = double(t.nsecsElapsed()) / 1e6;
    // Floor: the same rows made by one statement inside the engine, no binding per row.
    const QString floorDb = QDir(folder).filePath(QStringLiteral("exchange-floor.mdb"));
    Schema::createDatabase(floorDb);
    t.restart();
    Floor::write(floorDb, {QStringLiteral("with recursive n(i) as (select 0 union all select i + 1 from n where i < %1) "
                                          "insert into qv_zr_tst_cases (qv_zr_prjid, qv_zr_tst_type, qv_zr_component, "
                                          "qv_zr_component_type, qv_zr_tst_case_id, qv_zr_tst_case_desc, "
                                          "qv_zr_rslt_exp, qv_zr_pass) select 'IMPORT', 'Functional', "
                                          "'Component ' || (i % 48), 'Screen', printf('T%05d', i), "
                                          "printf('Check, with care, step %05d', i), 'It works', 'Fail' from n")
                               .arg(kRows - 1),
                           {}});
    record(QStringLiteral("CSV import of %1 rows into an empty project").arg(kRows), imported,
           double(t.nsecsElapsed()) / 1e6, QStringLiteral("one insert statement"));
    record(QStringLiteral("CSV export of %1 test cases").arg(kRows),
           medianMs(3, [&] { exportCasesCsv(cn, QStringLiteral("IMPORT")); }), 0, QStringLiteral("none"));

    QByteArray xml = "<testsuite name=\"run\" timestamp=\"2026-12-01T10:00:00\">";
    for (int i = 0; i < kTests; ++i)
        xml += (i % 3 ? QStringLiteral("<testcase classname=\"Suite\" name=\"test_T%1\"/>")
                      : QStringLiteral("<testcase classname=\"Suite\" name=\"test_T%1\"><failure message=\"no\"/></testcase>"))
                   .arg(i * 7, 5, 10, QLatin1Char('0'))
                   .toUtf8();
    xml += "</testsuite>";
    const QString xmlPath = QDir(folder).filePath(QStringLiteral("run.xml"));
    QFile junit(xmlPath);
    junit.open(QIODevice::WriteOnly);
    junit.write(xml);
    junit.close();
    t.restart();
    const QList<JUnitCase> tests = readJUnitFile(xmlPath);
    matchResults(cn, QStringLiteral("IMPORT"), QStringLiteral("Functional"), tests);
    importResults(cn, {QStringLiteral("IMPORT"), QStringLiteral("Functional")}, tests);
    record(QStringLiteral("JUnit file of %1 tests matched and logged").arg(kTests), double(t.nsecsElapsed()) / 1e6, 0,
           QStringLiteral("none"));
}

// One CSV file whose one field is 60 MB, previewed in the Import Test Cases
// window in a process of its own, so that the peak resident memory is the
// preview's (with the program's start-up); the child prints time and peak.
constexpr qsizetype kHugeFieldBytes = 60LL * 1000 * 1000;

class ChosenFile : public FileDialogService
{
public:
    explicit ChosenFile(const QString &path)
        : m_path(path)
    {
    }
    std::optional<QString> chooseFile(QWidget *, const QString &, Mode, const QString &) override { return m_path; }

private:
    QString m_path;
};

int hugeFieldChild(const QString &folder)
{
    AppPaths::setFolder(folder);
    Services::setMessages(std::make_unique<FailingMessages>());
    Services::setFileDialogs(std::make_unique<ChosenFile>(QDir(folder).filePath(QStringLiteral("huge.csv"))));
    TestingClass con;
    frm_import_cases w(con);
    showLoaded(w);
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    QElapsedTimer t;
    t.start();
    w.cmd_browse_Click();
    w.LV_preview->repaint();
    settle();
    const double ms = double(t.nsecsElapsed()) / 1e6;
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    std::printf("FIELD %.1f %ld %ld %d\n", ms, before.ru_maxrss / 1024, after.ru_maxrss / 1024, w.LV_preview->rowCount());
    std::fflush(stdout);
    std::_Exit(w.LV_preview->rowCount() == 1 ? 0 : 1);
}

void benchHugeField(const QString &root)
{
    const QString name = QStringLiteral("CSV preview of one 60 MB field");
    if (!wanted(name))
        return;
    const QString folder = QDir(root).filePath(QStringLiteral("hugefield"));
    QDir().mkpath(folder);
    Schema::createDatabase(QDir(folder).filePath(QStringLiteral("testing.mdb")));
    Floor::write(QDir(folder).filePath(QStringLiteral("testing.mdb")),
                 {"insert into qv_zr_projects (qv_zr_prjid) values ('IMPORT')", {}});
    QFile file(QDir(folder).filePath(QStringLiteral("huge.csv")));
    file.open(QIODevice::WriteOnly);
    file.write("Test Type,Component,Component Type,Test Case Id,Description,Expected Result\r\n"
               "Functional,Login,Screen,T1,\"");
    const QByteArray words = QByteArrayLiteral("Caf\xC3\xA9 step, then \"\"the next\"\" one; ");
    file.write(words.repeated(kHugeFieldBytes / words.size()));
    file.write("\",It works\r\n");
    file.close();

    std::vector<double> times;
    long peak = 0;
    long base = 0;
    for (int i = 0; i < 3; ++i) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p.setProcessEnvironment(env);
        p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--huge-field-child"), folder});
        p.waitForFinished(600000);
        const QList<QByteArray> parts = p.readAllStandardOutput().trimmed().split(' ');
        if (p.exitCode() != 0 || parts.size() != 5 || parts.at(0) != "FIELD") {
            std::fprintf(stderr, "huge field run failed: %s\n", p.readAllStandardError().constData());
            return;
        }
        times.push_back(parts.at(1).toDouble());
        base = std::max(base, parts.at(2).toLong());
        peak = std::max(peak, parts.at(3).toLong());
    }
    std::sort(times.begin(), times.end());
    record(name, times[times.size() / 2], 0, QStringLiteral("none"));
    std::printf("    (peak resident memory %ld MB, %ld MB of it before)\n", peak, base);
    g_memory.append({name, peak, base});
    QDir(folder).removeRecursively();
}

void benchStartup(const QString &folder, int cases)
{
    const auto spawn = [&](const QString &mode) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p.setProcessEnvironment(env);
        p.start(QCoreApplication::applicationFilePath(), {mode, folder});
        p.waitForFinished(60000);
        if (p.exitCode() != 0)
            std::fprintf(stderr, "start-up run %s failed: %s\n", qPrintable(mode), p.readAllStandardError().constData());
    };
    const double mb = double(QFileInfo(QDir(folder).filePath(QStringLiteral("testing.mdb"))).size()) / (1 << 20);
    record(QStringLiteral("start-up to main window shown @%1 (%2 MB)").arg(cases).arg(mb, 0, 'f', 0),
           medianMs(g_runs, [&] { spawn(QStringLiteral("--startup")); }),
           medianMs(g_runs, [&] { spawn(QStringLiteral("--startup-floor")); }),
           QStringLiteral("process + C API open"));
}

// One report of 200,000 cases, all in one project, shown in a process of its own
// so that its peak resident memory is the report's alone (with the program's
// start-up); the child prints the time to the first page and the peak.
const QString kReportProject = QStringLiteral("PRJ-ONE");
constexpr int kLargeReportCases = 200000;

int reportChild(const QString &folder, bool exportPdf)
{
    AppPaths::setFolder(folder);
    Services::setMessages(std::make_unique<FailingMessages>());
    TestingClass con;
    Frm_Reports w(con);
    showLoaded(w);
    w.cmb_prjid->setListIndex(indexOf(w.cmb_prjid, kReportProject));
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    QElapsedTimer t;
    t.start();
    w.Command4_Click();
    w.RptView->repaint();
    double ms = double(t.nsecsElapsed()) / 1e6;
    if (exportPdf) {
        getrusage(RUSAGE_SELF, &before);
        t.restart();
        w.RptView->exportPdf(QDir(folder).filePath(QStringLiteral("report.pdf")));
        ms = double(t.nsecsElapsed()) / 1e6;
    }
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    std::printf("REPORT %.1f %ld %ld %d\n", ms, before.ru_maxrss / 1024, after.ru_maxrss / 1024, w.RptView->pageCount());
    std::fflush(stdout);
    std::_Exit(w.RptView->pageCount() > 0 ? 0 : 1);
}

void benchLargeReport(const QString &root)
{
    const QString name = QStringLiteral("Test Log report of %1 cases in one project: first page shown").arg(kLargeReportCases);
    if (!wanted(name))
        return;
    const QString folder = QDir(root).filePath(QStringLiteral("report"));
    QDir().mkpath(folder);
    const QString db = QDir(folder).filePath(QStringLiteral("testing.mdb"));
    generateDatabase(db, kLargeReportCases);
    {
        // Every case into one project, each with an id of its own.
        sqlite3 *h = nullptr;
        sqlite3_open(QFile::encodeName(db).constData(), &h);
        const QByteArray sql = "update qv_zr_tst_cases set qv_zr_prjid = '" + kReportProject.toLatin1()
                               + "', qv_zr_tst_case_id = printf('T%06d', rowid);"
                                 "update qv_zr_projects set qv_zr_prjid = '" + kReportProject.toLatin1()
                               + "' where qv_zr_prjid = 'PRJ-LARGEST'";
        if (sqlite3_exec(h, sql.constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
            std::fprintf(stderr, "cannot make the report database: %s\n", sqlite3_errmsg(h));
        sqlite3_close(h);
    }
    for (const QString &rpt : QDir(QStringLiteral(VEROLAN_APP_DIR)).entryList({QStringLiteral("rpt_*.rpt")}))
        QFile::copy(QDir(QStringLiteral(VEROLAN_APP_DIR)).filePath(rpt), QDir(folder).filePath(rpt));
    std::printf("\n%d test cases in one project (each run in a process of its own)\n", kLargeReportCases);

    const double floor = medianMs(3, [&] {
        Floor::readRows(db, {{"select * from qv_zr_tst_cases where qv_zr_prjid=?", {kReportProject}}});
    });
    // Median time and highest peak of the runs; "before" is the peak before the measured step.
    const auto measure = [&](const QString &figure, const QStringList &mode, int runs) {
        std::vector<double> times;
        long peak = 0;
        long base = 0;
        int pages = 0;
        for (int i = 0; i < runs; ++i) {
            QProcess p;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
            p.setProcessEnvironment(env);
            p.start(QCoreApplication::applicationFilePath(), QStringList{QStringLiteral("--report-child"), folder} + mode);
            p.waitForFinished(600000);
            const QList<QByteArray> parts = p.readAllStandardOutput().trimmed().split(' ');
            if (p.exitCode() != 0 || parts.size() != 5 || parts.at(0) != "REPORT") {
                std::fprintf(stderr, "report run failed: %s\n", p.readAllStandardError().constData());
                return;
            }
            times.push_back(parts.at(1).toDouble());
            base = std::max(base, parts.at(2).toLong());
            peak = std::max(peak, parts.at(3).toLong());
            pages = parts.at(4).toInt();
        }
        std::sort(times.begin(), times.end());
        record(figure + QStringLiteral(" @%1").arg(kLargeReportCases), times[times.size() / 2], floor);
        std::printf("    (%d pages; peak resident memory %ld MB, %ld MB of it before)\n", pages, peak, base);
        g_memory.append({figure, peak, base});
    };
    measure(name, {}, 3);
    // Once: the export of some 25,000 pages takes most of a minute.
    measure(QStringLiteral("Test Log report of %1 cases in one project: PDF export").arg(kLargeReportCases),
            {QStringLiteral("pdf")}, 1);
}

// The main window reaching the screen ends a start-up run.
class ShownProbe : public QObject
{
public:
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (e->type() == QEvent::Expose && o->isWindowType())
            std::_Exit(0);
        return false;
    }
};

long maxRssMb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && QByteArray(argv[1]) == "--startup-floor") {
        Floor::openAndReadSchema(QDir(QString::fromLocal8Bit(argv[2])).filePath(QStringLiteral("testing.mdb")));
        return 0;
    }
    QApplication app(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--huge-field-child")
        return hugeFieldChild(QString::fromLocal8Bit(argv[2]));
    if (argc >= 3 && QByteArray(argv[1]) == "--report-child")
        return reportChild(QString::fromLocal8Bit(argv[2]), argc == 4 && QByteArray(argv[3]) == "pdf");
    if (argc == 3 && QByteArray(argv[1]) == "--startup") {
        AppPaths::setFolder(QString::fromLocal8Bit(argv[2]));
        ShownProbe probe;
        app.installEventFilter(&probe);
        return runProgram(app);
    }
    const bool quick = app.arguments().contains(QStringLiteral("--quick"));
    const bool server = app.arguments().contains(QStringLiteral("--server"));
    const int onlyAt = app.arguments().indexOf(QStringLiteral("--only"));
    if (onlyAt > 0 && onlyAt + 1 < app.arguments().size())
        g_only = app.arguments().at(onlyAt + 1);
    if (quick)
        g_runs = 3;
    Services::setMessages(std::make_unique<FailingMessages>());

    QList<int> sizes = {1000, 10000, 100000};
    if (quick)
        sizes = {1000, 10000};
    const int sizesAt = app.arguments().indexOf(QStringLiteral("--sizes"));
    if (sizesAt > 0 && sizesAt + 1 < app.arguments().size()) {
        sizes.clear();
        for (const QString &n : app.arguments().at(sizesAt + 1).split(QLatin1Char(','))) {
            if (n.toInt() > 0) // "--sizes none" leaves only the one-project report
                sizes << n.toInt();
        }
    }
    QTemporaryDir root;
    // The server figures alone: they take minutes of their own.
    if (server) {
        const int secondsAt = app.arguments().indexOf(QStringLiteral("--testers-seconds"));
        const int seconds = secondsAt > 0 ? app.arguments().value(secondsAt + 1).toInt() : 60;
        benchServer(root.path(), qMax(1, seconds));
        sizes.clear();
    }
    for (int cases : sizes) {
        const QString folder = QDir(root.path()).filePath(QString::number(cases));
        QDir().mkpath(folder);
        // About ten saved results a case at the largest size.
        generateDatabase(QDir(folder).filePath(QStringLiteral("testing.mdb")), cases, cases >= 100000 ? 10 * cases : 0);
        for (const QString &rpt : QDir(QStringLiteral(VEROLAN_APP_DIR)).entryList({QStringLiteral("rpt_*.rpt")}))
            QFile::copy(QDir(QStringLiteral(VEROLAN_APP_DIR)).filePath(rpt), QDir(folder).filePath(rpt));
        AppPaths::setFolder(folder);
        benchSize(cases, folder);
        if (cases == 100000 && wanted(QStringLiteral("start-up")))
            benchStartup(folder, cases);
    }
    // Start-up must not grow with the file: a database of about 1 GB.
    if (!quick && !server && wanted(QStringLiteral("start-up"))) {
        constexpr int kHugeCases = 2400000;
        const QString folder = QDir(root.path()).filePath(QString::number(kHugeCases));
        QDir().mkpath(folder);
        generateDatabase(QDir(folder).filePath(QStringLiteral("testing.mdb")), kHugeCases);
        benchStartup(folder, kHugeCases);
        QDir(folder).removeRecursively();
    }
    if (!quick && !server && (wanted(QStringLiteral("CSV")) || wanted(QStringLiteral("JUnit"))))
        benchExchange(root.path());
    if (!quick && !server && wanted(QStringLiteral("CSV preview of one 60 MB field")))
        benchHugeField(root.path());
    if (!quick && !server)
        benchLargeReport(root.path());

    std::printf("\n| figure | median | floor | ratio |\n|---|---:|---:|---:|\n");
    for (const Figure &f : g_figures)
        std::printf("| %s | %.1f ms | %.1f ms (%s) | %.1fx |\n", qPrintable(f.name), f.ms, f.floorMs,
                    qPrintable(f.floorKind), f.floorMs > 0 ? f.ms / f.floorMs : 0.0);
    for (const MemoryFigure &m : g_memory)
        std::printf("| %s: peak resident memory | %ld MB (%ld MB before it) | | |\n", qPrintable(m.name),
                    m.peakMb, m.beforeMb);
    std::printf("\nPeak memory of the benchmark process (all sizes, every window): %ld MB\n", maxRssMb());
    return 0;
}
