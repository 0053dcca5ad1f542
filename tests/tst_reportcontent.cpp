// The four shipped reports on one fixture database: which rows each holds,
// how they are grouped and what the summary says.
#include "report.h"
#include "reporterror.h"
#include "reportfixture.h"
#include "reportlayout.h"

#include <QSqlQuery>
#include <QtTest>

namespace {

struct Shown
{
    std::unique_ptr<Report> report;
    ReportLayout layout;

    // One column of the rows, in report order.
    QStringList column(const QString &field) const
    {
        const ReportContent &c = report->content();
        const int at = fieldPosition(c.fields, field);
        QStringList out;
        for (const QStringList &row : c.rows)
            out << row.at(at);
        return out;
    }
};

Shown show(const TempDatabase &db, const QString &file, const QString &project)
{
    ReportEngine engine;
    Shown s;
    s.report = engine.openReport(QDir(db.folder()).filePath(file));
    s.report->setDataSource(db.path());
    s.report->setPromptForParameters(false);
    s.report->setParameterValue(1, QStringLiteral("Acme Testing Ltd"));
    s.report->setParameterValue(2, project);
    s.layout = layoutReport(s.report->definition(), s.report->content(), s.report->parameterValues(), QDate(2024, 4, 1));
    return s;
}

} // namespace

class TestReportContent : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void testLogShowsEveryCaseAndNeverLoggedAsNotRun();
    void testLogSummaryCountsAndPassRate();
    void failedReportHoldsLoggedFailuresOnly();
    void passedReportHoldsPassesWithTheirDates();
    void testPlanGroupsByTypeAndComponentWithCounts();
    void headerCarriesCompanyTitleProjectAndDate();
    void unknownProjectGivesAnEmptyReport_data();
    void unknownProjectGivesAnEmptyReport();
    void parametersAreTakenByPosition();
    void reportReadsThroughItsOwnReadOnlyConnection();
    void discardingShowsTheDatabaseAsItIsNow();
    void brokenQueryOrDatabaseIsReported();
    void queryThatWritesOrRunsAwayIsStopped_data();
    void queryThatWritesOrRunsAwayIsStopped();

private:
    std::unique_ptr<TempDatabase> db;
};

void TestReportContent::init()
{
    db = std::make_unique<TempDatabase>();
    copyReportDefinitions(db->folder());
    fillReportFixture(*db);
}

void TestReportContent::testLogShowsEveryCaseAndNeverLoggedAsNotRun()
{
    const Shown s = show(*db, "rpt_tst_log.rpt", fixtureProject);
    // Grouped by test type, then component, component type and id in numeric order.
    QCOMPARE(s.column("qv_zr_tst_type"), (QStringList{"Functional", "Functional", "Functional", "Functional", "Performance"}));
    QCOMPARE(s.column("qv_zr_component"), (QStringList{"Login", "Login", "Login", "Report", "Login"}));
    QCOMPARE(s.column("qv_zr_tst_case_id"), (QStringList{"1", "2", "10", "1", "3"}));
    QCOMPARE(s.column("result"), (QStringList{"Pass", "Fail", "Not run", "Fail", "Pass"}));
    QCOMPARE(s.column("qv_zr_rslt_act"), (QStringList{"Accepted", "Let in", "", "Off by one", "0.4 s"}));
    // Dates show as dates, and a never logged case shows none.
    QCOMPARE(s.layout.rowCells.at(0).last(), QStringList{"05 Mar 2024"});
    QCOMPARE(s.layout.rowCells.at(2).last(), QStringList{""});
    QCOMPARE(itemLines(s.layout, PageItem::Kind::GroupHeader), (QStringList{"Test Type: Functional", "Test Type: Performance"}));
    QCOMPARE(itemLines(s.layout, PageItem::Kind::GroupFooter),
             (QStringList{"Test cases of type Functional: 4", "Test cases of type Performance: 1"}));
}

void TestReportContent::testLogSummaryCountsAndPassRate()
{
    const Shown s = show(*db, "rpt_tst_log.rpt", fixtureProject);
    QCOMPARE(itemLines(s.layout, PageItem::Kind::SummaryLine),
             (QStringList{"Test cases: 5", "Run: 4", "Passed: 2", "Failed: 2", "Failed by severity:", "Critical: 1",
                          "Major: 0", "Minor: 1", "Not run: 1", "Pass rate (passed of run): 50.0 % (2 of 4)"}));
    QCOMPARE(s.layout.charts.last().size(), 3);
    QList<int> bars;
    for (const ChartBar &bar : s.layout.charts.last())
        bars << bar.count;
    QCOMPARE(bars, (QList<int>{2, 2, 1}));
    QCOMPARE(itemLines(s.layout, PageItem::Kind::Chart), QStringList{"Results"});
}

void TestReportContent::failedReportHoldsLoggedFailuresOnly()
{
    const Shown s = show(*db, "rpt_tst_log_failed.rpt", fixtureProject);
    // Case 10 is stored as "Fail" but was never logged: it has not failed.
    QCOMPARE(s.column("qv_zr_tst_case_id"), (QStringList{"2", "1"}));
    QCOMPARE(s.column("qv_zr_component"), (QStringList{"Login", "Report"}));
    QCOMPARE(s.column("qv_zr_def_severity"), (QStringList{"Critical", "Minor"}));
    QCOMPARE(itemLines(s.layout, PageItem::Kind::SummaryLine),
             (QStringList{"Failed cases: 2", "By severity:", "Critical: 1", "Major: 0", "Minor: 1", "By defect category:",
                          "Calculation: 1", "Security: 1"}));
}

void TestReportContent::passedReportHoldsPassesWithTheirDates()
{
    const Shown s = show(*db, "rpt_tst_log_pass.rpt", fixtureProject);
    QCOMPARE(s.column("qv_zr_tst_case_id"), (QStringList{"1", "3"}));
    QCOMPARE(s.column("qv_zr_tst_type"), (QStringList{"Functional", "Performance"}));
    QCOMPARE(s.layout.rowCells.at(1).last(), QStringList{"08 Mar 2024"});
    QCOMPARE(itemLines(s.layout, PageItem::Kind::SummaryLine), QStringList{"Passed cases: 2"});
}

void TestReportContent::testPlanGroupsByTypeAndComponentWithCounts()
{
    const Shown s = show(*db, "rpt_tst_plan.rpt", fixtureProject);
    QCOMPARE(s.report->content().introValues,
             (QStringList{fixtureProject, "Billing front end", "Web", "12.5 KLOC"}));
    QCOMPARE(s.column("qv_zr_tst_case_id"), (QStringList{"1", "2", "10", "1", "3"}));
    QCOMPARE(s.column("qv_zr_rslt_exp"), (QStringList{"Accepted", "Refused", "Works", "Adds up", "Under 1 s"}));
    QCOMPARE(itemLines(s.layout, PageItem::Kind::GroupHeader),
             (QStringList{"Test Type: Functional", "Component: Login", "Component: Report", "Test Type: Performance",
                          "Component: Login"}));
    QCOMPARE(itemLines(s.layout, PageItem::Kind::GroupFooter),
             (QStringList{"Test cases of component Login: 3", "Test cases of component Report: 1",
                          "Test cases of type Functional: 4", "Test cases of component Login: 1",
                          "Test cases of type Performance: 1"}));
    QCOMPARE(itemLines(s.layout, PageItem::Kind::SummaryLine),
             (QStringList{"Test cases: 5", "Test cases by test type:", "Functional: 4", "Performance: 1"}));
    // The page model keeps the order: a group header comes before its rows, its footer after.
    QStringList order;
    for (const PageItem &item : s.layout.pages.first().items) {
        if (item.kind == PageItem::Kind::Row)
            order << QString::number(item.index);
        else if (item.kind == PageItem::Kind::GroupHeader || item.kind == PageItem::Kind::GroupFooter)
            order << (item.kind == PageItem::Kind::GroupHeader ? "H" : "F") + QString::number(item.index);
    }
    QCOMPARE(order.join(','), QStringLiteral("H0,H1,0,1,2,F1,H1,3,F1,F0,H0,H1,4,F1,F0"));
}

void TestReportContent::headerCarriesCompanyTitleProjectAndDate()
{
    const Shown s = show(*db, "rpt_tst_log_failed.rpt", fixtureProject);
    QCOMPARE(s.layout.heading, QStringLiteral("Acme Testing Ltd"));
    QCOMPARE(s.layout.title, QStringLiteral("Test Log - Failed Cases"));
    QCOMPARE(s.layout.captionLines, QStringList{"Project Id: O'Brien's app"});
    QCOMPARE(s.layout.printedOn, QStringLiteral("Printed 01 Apr 2024"));
    QCOMPARE(s.layout.pageLayout.orientation(), QPageLayout::Landscape);
}

void TestReportContent::unknownProjectGivesAnEmptyReport_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("plan") << "rpt_tst_plan.rpt";
    QTest::newRow("log") << "rpt_tst_log.rpt";
    QTest::newRow("failed") << "rpt_tst_log_failed.rpt";
    QTest::newRow("passed") << "rpt_tst_log_pass.rpt";
}

void TestReportContent::unknownProjectGivesAnEmptyReport()
{
    QFETCH(QString, file);
    // No project chosen: the empty id matches nothing, and the report still shows.
    const Shown s = show(*db, file, QString());
    QCOMPARE(s.report->content().rows.size(), 0);
    QCOMPARE(s.layout.pageCount(), 1);
    QCOMPARE(itemLines(s.layout, PageItem::Kind::Empty), QStringList{"There are no rows to show."});
    QCOMPARE(s.layout.captionLines, QStringList{"Project Id: "});
}

void TestReportContent::parametersAreTakenByPosition()
{
    ReportEngine engine;
    auto report = engine.openReport(QDir(db->folder()).filePath("rpt_tst_log.rpt"));
    report->setDataSource(db->path());
    report->setParameterValue(2, fixtureProject);
    // Prompting on: a parameter without a value stops the report.
    try {
        report->content();
        QFAIL("a report ran without its first parameter");
    } catch (const ReportError &e) {
        QVERIFY2(e.problem().contains("parameter 1 (\"company\") has no value"), qPrintable(e.problem()));
    }
    report->setPromptForParameters(false);
    QCOMPARE(report->parameterValues(), (QStringList{"", fixtureProject}));
    QCOMPARE(report->content().rows.size(), 5);
    // A cleared value is gone; positions past the declared ones are refused.
    report->clearParameter(2);
    QCOMPARE(report->parameterValue(2), std::nullopt);
    QCOMPARE(report->content().rows.size(), 0);
    QVERIFY_THROWS_EXCEPTION(ReportError, report->setParameterValue(3, "x"));
    QVERIFY_THROWS_EXCEPTION(ReportError, report->clearParameter(0));
    QCOMPARE(engine.reportsOpened(), 1);
}

void TestReportContent::reportReadsThroughItsOwnReadOnlyConnection()
{
    const QStringList before = QSqlDatabase::connectionNames();
    {
        Shown s = show(*db, "rpt_tst_log.rpt", fixtureProject);
        QVERIFY(s.report->isConnected());
        const QStringList during = QSqlDatabase::connectionNames();
        QCOMPARE(during.size(), before.size() + 1);
        QString name;
        for (const QString &n : during) {
            if (!before.contains(n))
                name = n;
        }
        QSqlQuery write(QSqlDatabase::database(name, false));
        QVERIFY(!write.exec("delete from qv_zr_tst_cases"));
    }
    // Released: its connection is gone and nothing was changed.
    QCOMPARE(QSqlDatabase::connectionNames(), before);
    QCOMPARE(db->count("qv_zr_tst_cases"), 6);
}

void TestReportContent::discardingShowsTheDatabaseAsItIsNow()
{
    Shown s = show(*db, "rpt_tst_log.rpt", fixtureProject);
    QCOMPARE(s.column("result").count("Not run"), 1);
    logResult(*db, fixtureProject, "Functional", "Login", "Screen", "10", "Pass", "Works now", "", "", "2024-03-09");
    QCOMPARE(s.column("result").count("Not run"), 1); // rows read before stay until discarded
    s.report->discardReadRows();
    QCOMPARE(s.column("result").count("Not run"), 0);
    QCOMPARE(s.column("result").count("Pass"), 3);
}

void TestReportContent::brokenQueryOrDatabaseIsReported()
{
    const QString broken = QDir(db->folder()).filePath("rpt_broken.rpt");
    QFile f(broken);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("<report title=\"B\"><query>select nope from qv_zr_projects</query>\n"
            "<columns><column field=\"nope\" width=\"5\"/></columns></report>");
    f.close();
    ReportEngine engine;
    auto report = engine.openReport(broken);
    report->setDataSource(db->path());
    try {
        report->content();
        QFAIL("a broken query ran");
    } catch (const ReportError &e) {
        QCOMPARE(e.file(), broken);
        QVERIFY2(e.problem().contains("line 1") && e.problem().contains("nope"), qPrintable(e.problem()));
    }

    auto good = engine.openReport(QDir(db->folder()).filePath("rpt_tst_log.rpt"));
    good->setPromptForParameters(false);
    good->setDataSource(QDir(db->folder()).filePath("missing.mdb"));
    try {
        good->content();
        QFAIL("a missing database was read");
    } catch (const ReportError &e) {
        QVERIFY2(e.problem().contains("missing.mdb"), qPrintable(e.problem()));
    }
    QVERIFY(!QFile::exists(QDir(db->folder()).filePath("missing.mdb")));
}

void TestReportContent::queryThatWritesOrRunsAwayIsStopped_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<int>("memoryMb");
    QTest::addColumn<int>("milliseconds");
    QTest::addColumn<QString>("problem");
    const QString endless = "with recursive r(n) as (select 1 union all select n + 1 from r) ";
    const QString refused = "line 1 was refused: a report may only read, and it would ";
    QTest::newRow("copy of the database") << "vacuum into 'copy.mdb'" << 512 << 60000 << refused + "change the database or write a file";
    QTest::newRow("other database") << "attach 'other.mdb' as o" << 512 << 60000 << refused + "attach or detach a database";
    QTest::newRow("pragma") << "pragma journal_mode = wal" << 512 << 60000 << refused + "run PRAGMA journal_mode";
    QTest::newRow("delete after a select") << "select 1 as a; delete from qv_zr_tst_cases" << 512 << 60000
                                           << refused + "change the table qv_zr_tst_cases";
    QTest::newRow("rows without end") << endless + "select n as a from r" << 1 << 60000
                                      << "line 1 was stopped: it took more memory than the 1 MB a report may use";
    QTest::newRow("sort without end") << endless + "select n as a from r order by n" << 1 << 60000
                                      << "line 1 was stopped: it took more memory than the 1 MB a report may use";
    QTest::newRow("count without end") << endless + "select count(*) as a from r" << 512 << 300
                                       << "line 1 was stopped: it ran longer than the 0.3 s a report may take";
}

// Nothing written, no file made; the message says why the report did not come.
void TestReportContent::queryThatWritesOrRunsAwayIsStopped()
{
    QFETCH(QString, sql);
    QFETCH(int, memoryMb);
    QFETCH(int, milliseconds);
    QFETCH(QString, problem);
    const QDir folder(db->folder());
    sql.replace("'copy.mdb'", "'" + folder.filePath("copy.mdb") + "'").replace("'other.mdb'", "'" + folder.filePath("other.mdb") + "'");
    QFile f(folder.filePath("rpt_runaway.rpt"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(("<report title=\"R\"><query><![CDATA[" + sql + "]]></query><columns><column field=\"a\" width=\"5\"/></columns></report>").toUtf8());
    f.close();
    const QStringList files = folder.entryList(QDir::Files | QDir::Hidden);
    const QStringList cases = db->rows("select * from qv_zr_tst_cases order by rowid");

    ReportEngine engine;
    auto report = engine.openReport(f.fileName());
    report->setDataSource(db->path());
    report->setReadLimits({qint64(memoryMb) << 20, milliseconds});
    try {
        report->content();
        QFAIL("the query ran to its end");
    } catch (const ReportError &e) {
        QVERIFY2(e.problem().contains(problem), qPrintable(e.problem()));
    }
    QCOMPARE(folder.entryList(QDir::Files | QDir::Hidden), files);
    QCOMPARE(db->rows("select * from qv_zr_tst_cases order by rowid"), cases);
    QCOMPARE(db->value("pragma journal_mode").toString(), QStringLiteral("delete"));
}

QTEST_MAIN(TestReportContent)
#include "tst_reportcontent.moc"
