// Drives the real windows offscreen on databases of 1,000, 10,000 and 100,000
// test cases and prints each figure (median of repeated runs) beside its floor:
// the same rows read with the engine's C API alone, or the same file copied with cp.
//
//   verolan_bench [--quick] [--sizes 1000,10000,100000] [--only <word in a figure's name>]
#include "apppaths.h"
#include "databasefile.h"
#include "floors.h"
#include "frm_projects.h"
#include "frm_reports.h"
#include "frm_tst_case.h"
#include "frm_tst_log.h"
#include "generator.h"
#include "recordlist.h"
#include "reportviewer.h"
#include "services.h"
#include "startup.h"
#include "testingclass.h"
#include "dropdown.h"
#include "textbox.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <sys/resource.h>
#include <vector>

namespace {

int g_runs = 5;
QString g_only; // a word: only the figures whose name holds it are measured

bool wanted(const QString &name)
{
    return g_only.isEmpty() || name.contains(g_only);
}

double medianMs(int runs, const std::function<void()> &body, const std::function<void()> &before = {})
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        if (before)
            before();
        QElapsedTimer t;
        t.start();
        body();
        times.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

struct Figure
{
    QString name;
    double ms;
    double floorMs;
    QString floorKind;
};

QList<Figure> g_figures;

void record(const QString &name, double ms, double floorMs, const QString &floorKind = QStringLiteral("C API"))
{
    if (!wanted(name))
        return;
    g_figures.append({name, ms, floorMs, floorKind});
    std::printf("  %-58s %10.2f ms   floor %9.2f ms (%s)\n", qPrintable(name), ms, floorMs, qPrintable(floorKind));
    std::fflush(stdout);
}

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

void settle()
{
    QCoreApplication::processEvents();
}

void showLoaded(ChildWindow &w)
{
    w.Form_Load();
    w.resize(1280, 800);
    w.show();
    settle();
}

template <class W>
double loadWindow(int runs)
{
    return medianMs(runs, [] {
        TestingClass con;
        W w(con);
        showLoaded(w);
    });
}

int indexOf(const DropDown *box, const QString &text)
{
    for (int i = 0; i < box->entryCount(); ++i) {
        if (box->entry(i) == text)
            return i;
    }
    return -1;
}

const QString kLargest = QStringLiteral("PRJ-LARGEST");

// Picks the largest project (from another one each run) and leaves it picked.
double pickLargest(DropDown *projects, const QString &other, int runs)
{
    const int largest = indexOf(projects, kLargest);
    const int away = indexOf(projects, other);
    const double ms = medianMs(runs, [&] { projects->setListIndex(largest); settle(); },
                               [&] { projects->setListIndex(away); });
    projects->setListIndex(largest);
    return ms;
}

QString firstTestType(const QString &db)
{
    // The drop-downs sort case-insensitively; the generated names differ in their first letter.
    Q_UNUSED(db);
    return QStringLiteral("Functional");
}

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
    }

    // The Test Log report of the largest project.
    if (wanted(QStringLiteral("Test Log report of largest project: first page shown"))
        || wanted(QStringLiteral("Test Log report of largest project: PDF export"))) {
        TestingClass con;
        Frm_Reports w(con);
        showLoaded(w);
        w.cmb_prjid->setListIndex(indexOf(w.cmb_prjid, kLargest));
        const double reportFloor = medianMs(runs, [&] {
            Floor::readRows(db, {{"select * from qv_zr_tst_cases where qv_zr_prjid=?", {kLargest}}});
        });
        const int reportRuns = cases >= 100000 ? 3 : runs;
        record(QStringLiteral("Test Log report of largest project: first page shown @%1").arg(size),
               medianMs(reportRuns, [&] { w.Command4_Click(); settle(); }, [&] {
                   if (w.RptView->isVisible())
                       w.Cmdrepexit_Click();
               }),
               reportFloor);
        std::printf("    (%d pages laid out before the first is shown)\n", w.RptView->pageCount());
        const QString pdf = QDir(folder).filePath(QStringLiteral("report.pdf"));
        record(QStringLiteral("Test Log report of largest project: PDF export @%1").arg(size),
               medianMs(reportRuns, [&] { w.RptView->exportPdf(pdf); }), reportFloor);
        w.Cmdrepexit_Click();
    }

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

void benchStartup(const QString &folder)
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
    record(QStringLiteral("start-up to main window shown @100000"),
           medianMs(g_runs, [&] { spawn(QStringLiteral("--startup")); }),
           medianMs(g_runs, [&] { spawn(QStringLiteral("--startup-floor")); }),
           QStringLiteral("process + C API check"));
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
        Floor::openAndCheck(QDir(QString::fromLocal8Bit(argv[2])).filePath(QStringLiteral("testing.mdb")));
        return 0;
    }
    QApplication app(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--startup") {
        AppPaths::setFolder(QString::fromLocal8Bit(argv[2]));
        ShownProbe probe;
        app.installEventFilter(&probe);
        return runProgram(app);
    }
    const bool quick = app.arguments().contains(QStringLiteral("--quick"));
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
        for (const QString &n : app.arguments().at(sizesAt + 1).split(QLatin1Char(',')))
            sizes << n.toInt();
    }
    QTemporaryDir root;
    for (int cases : sizes) {
        const QString folder = QDir(root.path()).filePath(QString::number(cases));
        QDir().mkpath(folder);
        generateDatabase(QDir(folder).filePath(QStringLiteral("testing.mdb")), cases);
        for (const QString &rpt : QDir(QStringLiteral(VEROLAN_APP_DIR)).entryList({QStringLiteral("rpt_*.rpt")}))
            QFile::copy(QDir(QStringLiteral(VEROLAN_APP_DIR)).filePath(rpt), QDir(folder).filePath(rpt));
        AppPaths::setFolder(folder);
        benchSize(cases, folder);
        if (cases == 100000 && wanted(QStringLiteral("start-up")))
            benchStartup(folder);
    }

    std::printf("\n| figure | median | floor | ratio |\n|---|---:|---:|---:|\n");
    for (const Figure &f : g_figures)
        std::printf("| %s | %.1f ms | %.1f ms (%s) | %.1fx |\n", qPrintable(f.name), f.ms, f.floorMs,
                    qPrintable(f.floorKind), f.floorMs > 0 ? f.ms / f.floorMs : 0.0);
    std::printf("\nPeak memory of the benchmark process (all sizes, every window): %ld MB\n", maxRssMb());
    return 0;
}
