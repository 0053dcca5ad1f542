// The report window: the selection screen, Generate and Exit, and what a
// failed Generate leaves on screen.
#include "frm_reports.h"
#include "report.h"
#include "reportfixture.h"
#include "reportviewer.h"
#include "windowtest.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>

namespace {

struct Fixture : WindowOn<Frm_Reports>
{
    Fixture()
    {
        copyReportDefinitions(db.folder());
        fillReportFixture(db);
        db.addProject("Alpha");
    }
    bool onSelection() const
    {
        return w->Picture5->isVisible() && w->Frame5->isVisible() && !w->RptView->isVisible()
               && !w->Cmdrepexit->isVisible();
    }
    bool onReport() const { return !w->Picture5->isVisible() && w->RptView->isVisible() && w->Cmdrepexit->isVisible(); }
    const ReportLayout &layout() const { return *w->RptView->reportLayout(); }
    // Picks the project and the kind of report and presses Generate.
    void generate(const QString &project, int kind = 0)
    {
        QVERIFY(w->cmb_prjid->selectEqualEntry(project));
        w->TypeofReport->setListIndex(kind);
        w->Command4->click();
    }
};

} // namespace

class TestFrmReports : public QObject
{
    Q_OBJECT

private slots:
    void loadShowsTheSelectionScreen();
    void generateShowsTheChosenReportAndExitComesBack_data();
    void generateShowsTheChosenReportAndExitComesBack();
    void eachGenerateReadsTheDatabaseWithTheSameEngine();
    void companyNameIsReadOnlyAtLoad();
    void emptyCompanyAndNoProjectsStillGiveAReport();
    void failedGenerateReturnsToTheSelection_data();
    void failedGenerateReturnsToTheSelection();
    void cancelStopsALongRead();
    void keysGenerateAndLeave();
    void buildPickersDefaultsAndMessages();
    void narrowingPickersCaptionsAndAsOfMessage();
};

void TestFrmReports::loadShowsTheSelectionScreen()
{
    Fixture f;
    f.load();
    QVERIFY(f.onSelection());
    QCOMPARE(f.w->companyName(), QStringLiteral("Acme Testing Ltd"));
    // Projects sorted, the first selected; the four kinds in their order, "Test Log" first.
    QCOMPARE(entries(f.w->cmb_prjid), (QStringList{"Alpha", fixtureProject, "Other"}));
    QCOMPARE(f.w->cmb_prjid->text(), QStringLiteral("Alpha"));
    QCOMPARE(entries(f.w->TypeofReport), (QStringList{"Test Log", "Test Log - Failed Cases", "Test Log - Passed Cases",
                                                      "Test Plan", "Build comparison"}));
    QCOMPARE(f.w->TypeofReport->text(), QStringLiteral("Test Log"));
    QCOMPARE(f.w->currentReport(), nullptr);
    QCOMPARE(f.w->engine(), nullptr);
    QVERIFY(f.services.messages->boxes.isEmpty());
}

void TestFrmReports::generateShowsTheChosenReportAndExitComesBack_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("title");
    QTest::newRow("log") << 0 << "Test Log";
    QTest::newRow("failed") << 1 << "Test Log - Failed Cases";
    QTest::newRow("passed") << 2 << "Test Log - Passed Cases";
    QTest::newRow("plan") << 3 << "Test Plan";
}

void TestFrmReports::generateShowsTheChosenReportAndExitComesBack()
{
    QFETCH(int, kind);
    QFETCH(QString, title);
    Fixture f;
    f.load();
    f.generate(fixtureProject, kind);
    QVERIFY(f.services.messages->boxes.isEmpty());
    QVERIFY(f.onReport());
    QCOMPARE(f.layout().title, title);
    QCOMPARE(f.layout().heading, QStringLiteral("Acme Testing Ltd"));
    QCOMPARE(f.layout().captionLines, QStringList{"Project Id: " + fixtureProject + " \u2014 Billing front end"});
    QCOMPARE(f.w->RptView->currentPage(), 1);
    QVERIFY(f.w->currentReport()->isConnected());
    // The Exit button stands at the top right, over the viewer.
    QVERIFY(f.w->Cmdrepexit->geometry().right() >= f.w->width() - 12);
    QVERIFY(f.w->Cmdrepexit->geometry().top() < 12);
    f.w->Cmdrepexit->click();
    QVERIFY(f.onSelection());
    QCOMPARE(f.w->TypeofReport->text(), QStringLiteral("Test Log"));
    QCOMPARE(f.w->cmb_prjid->text(), fixtureProject);
    QCOMPARE(f.w->currentReport(), nullptr); // released, with its connection
    QCOMPARE(f.w->RptView->pageCount(), 0);
}

void TestFrmReports::eachGenerateReadsTheDatabaseWithTheSameEngine()
{
    Fixture f;
    f.load();
    f.generate(fixtureProject, 2); // passed cases
    QCOMPARE(f.layout().rowCells.size(), 2);
    ReportEngine *engine = f.w->engine();
    f.w->Cmdrepexit->click();
    logResult(f.db, {fixtureProject, "Functional", "Login", "Screen", "10"}, "Pass", "Works now", "", "", "2024-03-09");
    f.generate(fixtureProject, 2);
    QCOMPARE(f.layout().rowCells.size(), 3);
    f.w->Cmdrepexit->click();
    f.generate("Other");
    QCOMPARE(f.layout().captionLines, QStringList{"Project Id: Other \u2014 desc"});
    QCOMPARE(f.layout().rowCells.size(), 1);
    QCOMPARE(f.w->engine(), engine);
    QCOMPARE(engine->reportsOpened(), 3);
}

void TestFrmReports::companyNameIsReadOnlyAtLoad()
{
    Fixture f;
    f.load();
    f.db.setCompany("New Name", "");
    f.w->Command4->click();
    QCOMPARE(f.layout().heading, QStringLiteral("Acme Testing Ltd"));
    f.load(); // opened again, the window reads the new name
    f.w->Command4->click();
    QCOMPARE(f.layout().heading, QStringLiteral("New Name"));
}

void TestFrmReports::emptyCompanyAndNoProjectsStillGiveAReport()
{
    Fixture f;
    f.db.exec("delete from Tqvjx_companydetails");
    f.db.exec("delete from qv_zr_projects");
    f.load();
    QCOMPARE(f.w->cmb_prjid->entryCount(), 0);
    f.w->Command4->click();
    QVERIFY(f.services.messages->boxes.isEmpty());
    QVERIFY(f.onReport());
    QCOMPARE(f.layout().heading, QString());
    QCOMPARE(f.layout().captionLines, QStringList{"Project Id: "});
    QCOMPARE(f.layout().rowCells.size(), 0);
}

void TestFrmReports::failedGenerateReturnsToTheSelection_data()
{
    QTest::addColumn<QString>("breakage");
    QTest::addColumn<QString>("named");
    QTest::newRow("definition broken") << "<report title=\"x\"><query>select 1</query>" << "rpt_tst_log.rpt";
    QTest::newRow("database gone") << "no database" << "testing.mdb";
}

void TestFrmReports::failedGenerateReturnsToTheSelection()
{
    QFETCH(QString, breakage);
    QFETCH(QString, named);
    Fixture f;
    f.load();
    const QString broken = breakage == "no database" ? f.db.path() : QDir(f.db.folder()).filePath("rpt_tst_log.rpt");
    QFile good(broken);
    QVERIFY(good.open(QIODevice::ReadOnly));
    const QByteArray bytes = good.readAll();
    good.close();
    QFile::remove(broken);
    if (breakage != "no database") {
        QFile file(broken);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(breakage.toUtf8()) > 0);
    }
    f.generate(fixtureProject);
    // Gone, the database is missed at the project pick (its builds) and again at Generate.
    QCOMPARE(f.services.messages->boxes.size(), breakage == "no database" ? 2 : 1);
    QVERIFY2(f.messages().last().contains(named), qPrintable(f.messages().last()));
    QVERIFY(f.onSelection());
    QCOMPARE(f.w->currentReport(), nullptr);
    QCOMPARE(f.w->TypeofReport->text(), QStringLiteral("Test Log"));
    QCOMPARE(f.w->cmb_prjid->text(), fixtureProject);
    // A failed open never makes an empty database in place of a missing one.
    QCOMPARE(QFile::exists(f.db.path()), breakage != "no database");
    // Put right, the same window shows the report, from the database as it was.
    QFile::remove(broken);
    QVERIFY(good.open(QIODevice::WriteOnly) && good.write(bytes) == bytes.size());
    good.close();
    f.generate(fixtureProject);
    QVERIFY(f.onReport());
    QCOMPARE(f.layout().rowCells.size(), 5);
}

// A read that never ends shows a Cancel; pressing it gives a message and the selection again.
void TestFrmReports::cancelStopsALongRead()
{
    Fixture f;
    QFile rpt(QDir(f.db.folder()).filePath("rpt_tst_log.rpt"));
    QVERIFY(rpt.open(QIODevice::WriteOnly | QIODevice::Truncate));
    rpt.write("<report title=\"Endless\"><parameters><parameter name=\"company\"/><parameter name=\"project\"/></parameters>"
              "<query>with recursive r(n) as (select 1 union all select n + 1 from r) "
              "select count(*) as a from r</query><columns><column field=\"a\" width=\"9\"/></columns></report>");
    rpt.close();
    f.load();
    bool pressed = false;
    QTimer user;
    connect(&user, &QTimer::timeout, this, [&] {
        auto *progress = f.w->RptView->findChild<QProgressDialog *>("readProgress");
        if (progress && progress->isVisible() && !pressed) {
            pressed = true;
            progress->findChild<QPushButton *>()->click();
        }
    });
    user.start(20);
    f.w->Command4->click();
    QVERIFY(pressed);
    QCOMPARE(f.messages().size(), 1);
    QVERIFY2(f.messages().first().contains("rpt_tst_log.rpt: the query at line 1 was stopped: it was cancelled"),
             qPrintable(f.messages().first()));
    QVERIFY(f.onSelection());
    QCOMPARE(f.w->currentReport(), nullptr);
}

void TestFrmReports::keysGenerateAndLeave()
{
    Fixture f;
    f.load();
    f.w->TypeofReport->setListIndex(3);
    f.w->TypeofReport->setFocus();
    QTest::keyClick(f.w->TypeofReport, Qt::Key_Return);
    QVERIFY(f.onReport());
    QCOMPARE(f.layout().title, QStringLiteral("Test Plan"));
    QTest::keyClick(f.w->RptView, Qt::Key_Escape);
    QVERIFY(f.onSelection());
    // On the selection screen Esc does nothing.
    QTest::keyClick(f.w->TypeofReport, Qt::Key_Escape);
    QVERIFY(f.onSelection());
    QVERIFY(f.services.messages->boxes.isEmpty());
}

// The newer build defaults to the latest, the older to the one before; a
// comparison that cannot be made says why and stays on the selection.
void TestFrmReports::buildPickersDefaultsAndMessages()
{
    Fixture f;
    fillBuildHistory(f.db);
    f.load();
    QVERIFY(f.w->cmb_prjid->selectEqualEntry("Builds"));
    QCOMPARE(entries(f.w->cmb_newer), (QStringList{"b4", "b3", "b10", "b9"}));
    QCOMPARE(f.w->cmb_newer->text() + f.w->cmb_older->text(), QStringLiteral("b4b3"));
    QCOMPARE(entries(f.w->cmb_build), (QStringList{"All builds", "b4", "b3", "b10", "b9"}));
    QCOMPARE(f.w->cmb_build->text(), QStringLiteral("All builds"));
    QVERIFY(!f.w->cmb_build->isHidden() && f.w->cmb_older->isHidden());
    f.w->cmb_build->setListIndex(2);
    f.w->Command4->click();
    QCOMPARE(f.layout().captionLines.last(), QStringLiteral("Build: b3"));
    f.w->Cmdrepexit->click();
    f.w->TypeofReport->setListIndex(4);
    QVERIFY(f.w->cmb_build->isHidden() && !f.w->cmb_older->isHidden() && !f.w->cmb_newer->isHidden());
    f.w->Command4->click();
    QVERIFY(f.onReport());
    QCOMPARE(f.layout().title, QStringLiteral("Build comparison"));
    QCOMPARE(f.layout().captionLines.mid(1), (QStringList{"Older build: b3", "Newer build: b4"}));
    f.w->Cmdrepexit->click();

    f.w->TypeofReport->setListIndex(4);
    f.w->cmb_older->setListIndex(0);
    f.w->Command4->click();
    QCOMPARE(f.messages(), QStringList{"Pick two different builds to compare."});
    QVERIFY(f.onSelection());
    for (const QString &project : {QStringLiteral("Once"), fixtureProject}) {
        QVERIFY(f.w->cmb_prjid->selectEqualEntry(project));
        f.w->Command4->click();
        QCOMPARE(f.messages().last(), QStringLiteral("This project has results for fewer than two builds."));
        QVERIFY(f.onSelection());
    }
    QCOMPARE(entries(f.w->cmb_older), QStringList{});
    QCOMPARE(f.messages().size(), 3);
}

void TestFrmReports::narrowingPickersCaptionsAndAsOfMessage()
{
    Fixture f;
    addHistory(f.db, {fixtureProject, "Functional", "Login", "Screen", "2"}, "Fail", "2024-03-06");
    addHistory(f.db, {fixtureProject, "Functional", "Report", "Module", "1"}, "Fail", "2024-03-07");
    f.load();
    QVERIFY(f.w->cmb_prjid->selectEqualEntry(fixtureProject));
    QCOMPARE(entries(f.w->cmb_type), (QStringList{"All", "Functional", "Performance"}));
    QCOMPARE(entries(f.w->cmb_component), (QStringList{"All", "Login", "Report"}));
    f.w->TypeofReport->setListIndex(3);
    QVERIFY(f.w->cmb_type->isHidden() && f.w->txt_asof->isHidden());
    f.w->TypeofReport->setListIndex(1);
    QVERIFY(!f.w->cmb_type->isHidden() && !f.w->txt_asof->isHidden());

    f.w->txt_asof->setText("2024-02-30");
    f.w->Command4->click();
    QCOMPARE(f.messages(), QStringList{"Enter the \"As of\" date as yyyy-mm-dd, or leave it empty for today."});
    QVERIFY(f.onSelection());
    QCOMPARE(QApplication::focusWidget(), f.w->txt_asof);

    f.w->cmb_type->setListIndex(1);
    f.w->txt_asof->setText("06 Mar 2024");
    f.w->Command4->click();
    QVERIFY(f.onReport());
    QCOMPARE(f.layout().captionLines.mid(1), (QStringList{"Test type: Functional", "As of: 06 Mar 2024"}));
    // The failure of 07 Mar is not in it yet.
    QCOMPARE(f.w->currentReport()->content().rows.size(), 1);
    f.w->Cmdrepexit->click();
    f.w->TypeofReport->setListIndex(0);
    f.w->txt_asof->clear();
    f.w->cmb_type->setListIndex(0);
    f.w->cmb_component->setListIndex(1);
    f.w->Command4->click();
    QCOMPARE(f.layout().captionLines.mid(1), QStringList{"Component: Login"});
    QCOMPARE(f.w->currentReport()->content().rows.size(), 4);
}

QTEST_MAIN(TestFrmReports)
#include "tst_frm_reports.moc"
