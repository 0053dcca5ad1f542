// The report window: the selection screen, Generate and Exit, and what a
// failed Generate leaves on screen.
#include "dropdown.h"
#include "frm_reports.h"
#include "mdi_main.h"
#include "recorders.h"
#include "report.h"
#include "reportfixture.h"
#include "reportviewer.h"
#include "windows.h"
#include "windowtest.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSqlDatabase>
#include <QtTest>

class TestFrmReports : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void loadShowsTheSelectionScreen();
    void generateShowsTheChosenReportAndExitComesBack_data();
    void generateShowsTheChosenReportAndExitComesBack();
    void secondGenerateShowsTheSecondProjectWithTheSameEngine();
    void reportShowsTheDatabaseAsItIsAtGenerate();
    void companyNameIsReadOnlyAtLoad();
    void emptyCompanyAndNoProjectsStillGiveAReport();
    void failedGenerateReturnsToTheSelection_data();
    void failedGenerateReturnsToTheSelection();
    void exportGoesThroughTheFileService();
    void keysGenerateAndLeave();
    void menuEntryOpensTheWindowMaximized();

private:
    bool onSelection(const Frm_Reports &w) const
    {
        return w.Picture5->isVisible() && w.Frame5->isVisible() && !w.RptView->isVisible() && !w.Cmdrepexit->isVisible();
    }
    bool onReport(const Frm_Reports &w) const
    {
        return !w.Picture5->isVisible() && w.RptView->isVisible() && w.Cmdrepexit->isVisible();
    }

    std::unique_ptr<TempDatabase> db;
    std::unique_ptr<ServiceRecorders> services;
    std::unique_ptr<TestingClass> con;
    std::unique_ptr<Frm_Reports> w;

    void openWindow()
    {
        w = std::make_unique<Frm_Reports>(*con);
        w->resize(1000, 700);
        w->Form_Load();
        QVERIFY(showActive(w.get()));
    }
};

void TestFrmReports::init()
{
    db = std::make_unique<TempDatabase>();
    copyReportDefinitions(db->folder());
    fillReportFixture(*db);
    db->addProject("Alpha");
    services = std::make_unique<ServiceRecorders>();
    con = std::make_unique<TestingClass>();
}

void TestFrmReports::cleanup()
{
    w.reset();
    con.reset();
    services.reset();
    db.reset();
}

void TestFrmReports::loadShowsTheSelectionScreen()
{
    openWindow();
    QCOMPARE(w->windowTitle(), QStringLiteral("Reports Form"));
    QCOMPARE(w->placement(), ChildWindow::Placement::Maximized);
    QVERIFY(onSelection(*w));
    QCOMPARE(w->Label52->text(), QStringLiteral("Reports Generation"));
    QCOMPARE(w->Frame5->title(), QStringLiteral("Report Screen"));
    QCOMPARE(w->Label1->text(), QStringLiteral("Select Project"));
    QCOMPARE(w->Label6->text(), QStringLiteral("Select Type of Report"));
    QCOMPARE(w->Command4->text(), QStringLiteral("Generate"));
    QCOMPARE(w->Cmdrepexit->text(), QStringLiteral("Exit"));
    QCOMPARE(con->cn.state(), 1);
    QCOMPARE(w->companyName(), QStringLiteral("Acme Testing Ltd"));
    // Projects sorted, the first selected; the four kinds in their order, "Test Log" first.
    QStringList projects;
    for (int i = 0; i < w->cmb_prjid->entryCount(); ++i)
        projects << w->cmb_prjid->entry(i);
    QCOMPARE(projects, (QStringList{"Alpha", fixtureProject, "Other"}));
    QCOMPARE(w->cmb_prjid->text(), QStringLiteral("Alpha"));
    QStringList kinds;
    for (int i = 0; i < w->TypeofReport->entryCount(); ++i)
        kinds << w->TypeofReport->entry(i);
    QCOMPARE(kinds, (QStringList{"Test Log", "Test Log - Failed Cases", "Test Log - Passed Cases", "Test Plan"}));
    QCOMPARE(w->TypeofReport->text(), QStringLiteral("Test Log"));
    QCOMPARE(w->currentReport(), nullptr);
    QCOMPARE(w->engine(), nullptr);
    QVERIFY(services->messages->boxes.isEmpty());
}

void TestFrmReports::generateShowsTheChosenReportAndExitComesBack_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("rows");
    QTest::newRow("log") << 0 << "Test Log" << 5;
    QTest::newRow("failed") << 1 << "Test Log - Failed Cases" << 2;
    QTest::newRow("passed") << 2 << "Test Log - Passed Cases" << 2;
    QTest::newRow("plan") << 3 << "Test Plan" << 5;
}

void TestFrmReports::generateShowsTheChosenReportAndExitComesBack()
{
    QFETCH(int, kind);
    QFETCH(QString, title);
    QFETCH(int, rows);
    openWindow();
    QVERIFY(w->cmb_prjid->selectEqualEntry(fixtureProject));
    w->TypeofReport->setListIndex(kind);
    w->Command4->click();

    QVERIFY(services->messages->boxes.isEmpty());
    QVERIFY(onReport(*w));
    const ReportLayout *layout = w->RptView->reportLayout();
    QVERIFY(layout);
    QCOMPARE(layout->title, title);
    QCOMPARE(layout->heading, QStringLiteral("Acme Testing Ltd"));
    QCOMPARE(layout->captionLines, QStringList{"Project Id: " + fixtureProject});
    QCOMPARE(layout->rowCells.size(), rows);
    QCOMPARE(w->RptView->currentPage(), 1);
    QVERIFY(w->currentReport()->isConnected());
    // The Exit button stands at the top right, over the viewer.
    QVERIFY(w->Cmdrepexit->geometry().right() >= w->width() - 12);
    QVERIFY(w->Cmdrepexit->geometry().top() < 12);

    w->Cmdrepexit->click();
    QVERIFY(onSelection(*w));
    QCOMPARE(w->TypeofReport->text(), QStringLiteral("Test Log"));
    QCOMPARE(w->cmb_prjid->text(), fixtureProject);
    QCOMPARE(w->currentReport(), nullptr); // released, with its connection
    QCOMPARE(w->RptView->pageCount(), 0);
    QVERIFY(w->engine());
}

void TestFrmReports::secondGenerateShowsTheSecondProjectWithTheSameEngine()
{
    openWindow();
    QVERIFY(w->cmb_prjid->selectEqualEntry(fixtureProject));
    w->Command4->click();
    QCOMPARE(w->RptView->reportLayout()->rowCells.size(), 5);
    ReportEngine *engine = w->engine();
    w->Cmdrepexit->click();

    QVERIFY(w->cmb_prjid->selectEqualEntry("Other"));
    w->Command4->click();
    QVERIFY(onReport(*w));
    QCOMPARE(w->RptView->reportLayout()->captionLines, QStringList{"Project Id: Other"});
    QCOMPARE(w->RptView->reportLayout()->rowCells.size(), 1);
    QCOMPARE(w->RptView->reportLayout()->rowCells.at(0).at(3), QStringList{"Other project's case"});
    QCOMPARE(w->engine(), engine);
    QCOMPARE(engine->reportsOpened(), 2);
}

void TestFrmReports::reportShowsTheDatabaseAsItIsAtGenerate()
{
    openWindow();
    QVERIFY(w->cmb_prjid->selectEqualEntry(fixtureProject));
    w->TypeofReport->setListIndex(2); // passed cases
    w->Command4->click();
    QCOMPARE(w->RptView->reportLayout()->rowCells.size(), 2);
    w->Cmdrepexit->click();

    logResult(*db, {fixtureProject, "Functional", "Login", "Screen", "10"}, "Pass", "Works now", "", "", "2024-03-09");
    w->TypeofReport->setListIndex(2);
    w->Command4->click();
    QCOMPARE(w->RptView->reportLayout()->rowCells.size(), 3);
}

void TestFrmReports::companyNameIsReadOnlyAtLoad()
{
    openWindow();
    db->setCompany("New Name", "");
    w->Command4->click();
    QCOMPARE(w->RptView->reportLayout()->heading, QStringLiteral("Acme Testing Ltd"));
    w->Cmdrepexit->click();
    // Opened again, the window reads the new name.
    openWindow();
    w->Command4->click();
    QCOMPARE(w->RptView->reportLayout()->heading, QStringLiteral("New Name"));
}

void TestFrmReports::emptyCompanyAndNoProjectsStillGiveAReport()
{
    db->exec("delete from Tqvjx_companydetails");
    db->exec("delete from qv_zr_projects");
    openWindow();
    QCOMPARE(w->cmb_prjid->entryCount(), 0);
    QCOMPARE(w->companyName(), QString());
    w->Command4->click();
    QVERIFY(services->messages->boxes.isEmpty());
    QVERIFY(onReport(*w));
    QCOMPARE(w->RptView->reportLayout()->heading, QString());
    QCOMPARE(w->RptView->reportLayout()->captionLines, QStringList{"Project Id: "});
    QCOMPARE(w->RptView->reportLayout()->rowCells.size(), 0);
}

void TestFrmReports::failedGenerateReturnsToTheSelection_data()
{
    QTest::addColumn<QString>("breakage");
    QTest::addColumn<QString>("named");
    QTest::newRow("definition missing") << "remove" << "rpt_tst_log.rpt";
    QTest::newRow("definition broken") << "garble" << "rpt_tst_log.rpt";
    QTest::newRow("too few parameters") << "one parameter" << "rpt_tst_log.rpt";
    QTest::newRow("database gone") << "no database" << "testing.mdb";
}

void TestFrmReports::failedGenerateReturnsToTheSelection()
{
    QFETCH(QString, breakage);
    QFETCH(QString, named);
    openWindow();
    QVERIFY(w->cmb_prjid->selectEqualEntry(fixtureProject));
    const QString definition = QDir(db->folder()).filePath("rpt_tst_log.rpt");
    if (breakage == "remove") {
        QVERIFY(QFile::remove(definition));
    } else if (breakage == "garble" || breakage == "one parameter") {
        QFile f(definition);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(breakage == "garble" ? "<report title=\"x\"><query>select 1</query>"
                                     : "<report title=\"x\"><parameters><parameter name=\"a\"/></parameters>"
                                       "<query>select 1 as one</query><columns><column field=\"one\" width=\"9\"/></columns></report>");
    } else {
        QVERIFY(QFile::remove(db->path()));
    }
    w->Command4->click();

    QCOMPARE(services->messages->boxes.size(), 1);
    QVERIFY2(services->messages->boxes.first().text.contains(named), qPrintable(services->messages->boxes.first().text));
    QVERIFY(onSelection(*w));
    QCOMPARE(w->currentReport(), nullptr);
    QCOMPARE(w->TypeofReport->text(), QStringLiteral("Test Log"));
    QCOMPARE(w->cmb_prjid->text(), fixtureProject);
    // A failed open never makes an empty database in place of a missing one.
    if (breakage == "no database")
        QVERIFY(!QFile::exists(db->path()));
}

void TestFrmReports::exportGoesThroughTheFileService()
{
    openWindow();
    QVERIFY(w->cmb_prjid->selectEqualEntry(fixtureProject));
    w->Command4->click();
    const QString target = QDir(db->folder()).filePath("log.pdf");
    services->files->answers << target;
    w->RptView->exportAction->trigger();
    QCOMPARE(services->files->proposedNames, QStringList{"Test Log.pdf"});
    QFile pdf(target);
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    QVERIFY(pdf.readAll().startsWith("%PDF-"));
    QVERIFY(services->messages->boxes.isEmpty());

    // A path that cannot be written is told in the program's own message box.
    services->files->answers << QDir(db->folder()).filePath("nowhere/log.pdf");
    w->RptView->exportAction->trigger();
    QCOMPARE(services->messages->boxes.size(), 1);
    QVERIFY(services->messages->boxes.first().text.contains("nowhere/log.pdf"));
    QCOMPARE(services->messages->boxes.first().caption, Ui::appTitle());
}

void TestFrmReports::keysGenerateAndLeave()
{
    openWindow();
    w->TypeofReport->setListIndex(3);
    w->TypeofReport->setFocus();
    QTest::keyClick(w->TypeofReport, Qt::Key_Return);
    QVERIFY(onReport(*w));
    QCOMPARE(w->RptView->reportLayout()->title, QStringLiteral("Test Plan"));
    QTest::keyClick(w->RptView, Qt::Key_Escape);
    QVERIFY(onSelection(*w));
    // On the selection screen Esc does nothing.
    QTest::keyClick(w->TypeofReport, Qt::Key_Escape);
    QVERIFY(onSelection(*w));
    QVERIFY(services->messages->boxes.isEmpty());
}

void TestFrmReports::menuEntryOpensTheWindowMaximized()
{
    mdi_main main;
    registerWindows(main);
    QVERIFY(main.MDIForm_Load());
    main.show();
    main.mnuReports_Click();
    auto *window = qobject_cast<Frm_Reports *>(main.openWindow("mnuReports"));
    QVERIFY(window);
    QVERIFY(main.mdiArea()->currentSubWindow()->isMaximized());
    QCOMPARE(window->cmb_prjid->entryCount(), 3);
    window->Command4->click();
    QVERIFY(window->RptView->isVisible());
}

QTEST_MAIN(TestFrmReports)
#include "tst_frm_reports.moc"
