// Two programs on one server database: what one saves shows in the other's open windows, the
// user's selection and typed text kept; a change to a table a window does not show reads nothing.
#include "apppaths.h"
#include "frm_export_cases.h"
#include "frm_import_cases.h"
#include "frm_projects.h"
#include "frm_reports.h"
#include "frm_tst_case.h"
#include "frm_tst_log.h"
#include "projects.h"
#include "results.h"
#include "windowtest.h"

#include <QDialog>

namespace {

template <class Window>
Window &loadOn(WindowOn<Window> &t, const TempDatabase &team)
{
    AppPaths::chooseDatabase(team.path());
    return t.load();
}

// A window's project selector lists a project another program stored, the user's pick kept.
template <class Window>
void projectPickKept()
{
    TempDatabase team(TempDatabase::Engine::Server);
    team.addProject("P2");
    team.addProject("P4");
    team.addCase("P4", "Unit", "Login", "UI", "U1");
    WindowOn<Window> t;
    Window &w = loadOn(t, team);
    QVERIFY(pick(w.cmb_prjid, "P4"));
    Connection other; // the other program's
    other.open(team.path());
    QVERIFY(!saveProject(other, {"P3", "new", "Web", "5", "LOC"}).problem);
    QTRY_VERIFY_WITH_TIMEOUT(entries(w.cmb_prjid).contains("P3"), 1000);
    QCOMPARE(w.cmb_prjid->text(), "P4");
}

} // namespace

class TestLiveRefresh : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        if (!TempDatabase::serverProblem().isEmpty())
            QSKIP(qPrintable(TempDatabase::serverProblem()));
    }
    void projectsShowOtherSavesOnlyOfTheirTable();
    void testLogShowsOtherResults();
    void projectSelectorsShowOtherSaves_data()
    {
        QTest::addColumn<QString>("window");
        for (const char *window : {"test cases", "reports", "export", "import"})
            QTest::newRow(window) << window;
    }
    void projectSelectorsShowOtherSaves()
    {
        QFETCH(QString, window);
        const QMap<QString, void (*)()> run{{"test cases", projectPickKept<frm_tst_case>},
                                            {"reports", projectPickKept<Frm_Reports>},
                                            {"export", projectPickKept<frm_export_cases>},
                                            {"import", projectPickKept<frm_import_cases>}};
        run.value(window)();
    }
};

void TestLiveRefresh::projectsShowOtherSavesOnlyOfTheirTable()
{
    TempDatabase team(TempDatabase::Engine::Server);
    team.addProject("P1");
    team.addProject("P2");
    WindowOn<frm_projects> t;
    frm_projects &w = loadOn(t, team);
    w.LV_prjs->selectRow(rowOf(w.LV_prjs, {{1, "P2"}}));
    setTextOf(w.cmb_prj_type, "Mob");
    w.cmb_prj_type->lineEdit()->setCursorPosition(1);
    w.txt_prjid->setText("P9");

    Connection other;
    other.open(team.path());
    QVERIFY(!saveProject(other, {"P0", "new", "Desktop", "5", "KLOC"}).problem);
    team.exec("delete from qv_zr_projects where qv_zr_prjid = 'P1'"); // by another tool: P2 moves up
    QTRY_VERIFY_WITH_TIMEOUT(column(w.LV_prjs, 1) == QStringList({"P2", "P0"}), 1000);
    QCOMPARE(w.LV_prjs->cell(w.LV_prjs->selectedRow(), 1), "P2");
    QVERIFY(entries(w.cmb_prj_type).contains("Desktop"));
    QVERIFY(entries(w.cmb_units).contains("KLOC"));
    QCOMPARE(w.cmb_prj_type->text(), "Mob");
    QCOMPARE(w.cmb_prj_type->lineEdit()->cursorPosition(), 1);
    QCOMPARE(w.txt_prjid->text(), "P9");

    // While a message box is open the lists stay as they are; they are read once it is closed.
    QDialog box(&w);
    box.setModal(true);
    box.show();
    QVERIFY(!saveProject(other, {"P5", "new", "Web", "5", "LOC"}).problem);
    QTest::qWait(500);
    QVERIFY(!column(w.LV_prjs, 1).contains("P5"));
    box.close();
    QTRY_VERIFY_WITH_TIMEOUT(column(w.LV_prjs, 1).contains("P5"), 1000);

    // A project stored unannounced, then a change to the company details:
    // the list is not read again until the projects are announced.
    team.exec("alter table qv_zr_projects disable trigger verolan_announce");
    team.addProject("P3");
    team.setCompany("Acme", "1 Road");
    QTest::qWait(500); // three times the gathering of announcements
    QVERIFY(!column(w.LV_prjs, 1).contains("P3"));
    team.exec("select pg_notify('verolan', 'qv_zr_projects')");
    QTRY_VERIFY_WITH_TIMEOUT(column(w.LV_prjs, 1).contains("P3"), 1000);

    // Connected again, as a retry after a dropped connection does: what was
    // saved while away (here unannounced) is read, and later saves are heard.
    team.addProject("P6");
    team.exec("alter table qv_zr_projects enable trigger verolan_announce");
    for (Connection *cn : Connection::all()) {
        if (cn != &other && cn->state() == StateOpen)
            cn->reopen();
    }
    QTRY_VERIFY_WITH_TIMEOUT(column(w.LV_prjs, 1).contains("P6"), 1000);
    QVERIFY(!saveProject(other, {"P7", "new", "Web", "5", "LOC"}).problem);
    QTRY_VERIFY_WITH_TIMEOUT(column(w.LV_prjs, 1).contains("P7"), 1000);
    QVERIFY(t.messages().isEmpty());
}

void TestLiveRefresh::testLogShowsOtherResults()
{
    TempDatabase team(TempDatabase::Engine::Server);
    team.addProject("Alpha");
    team.addCase("Alpha", "Unit", "Login", "UI", "U1");
    team.addCase("Alpha", "Unit", "Login", "UI", "U2");
    WindowOn<frm_tst_log> t;
    frm_tst_log &w = loadOn(t, team);
    QVERIFY(pick(w.cmb_tst_id, "U1"));
    w.LV_cases->selectRow(rowOf(w.LV_cases, {{3, "U2"}}));
    w.txt_rslt_act->setText("half typed");
    w.cmb_build->setText("b-typed");

    Connection other;
    other.open(team.path());
    QVERIFY(!logResult(other, {{"Alpha", "Unit", "Login", "UI", "U1"}, "d", "e",
                               {"Fail", "broke", QDate(2026, 1, 2), "Major", "Crash", "b7"}})
                 .problem);
    team.addCase("Alpha", "Unit", "Cart", "Logic", "U3");
    QTRY_COMPARE_WITH_TIMEOUT(w.LV_history->rowCount(), 1, 1000);
    QTRY_VERIFY_WITH_TIMEOUT(column(w.LV_cases, 3).contains("U3"), 1000);
    QCOMPARE(w.LV_cases->cell(rowOf(w.LV_cases, {{3, "U1"}}), 7), "Fail");
    QCOMPARE(w.LV_cases->cell(w.LV_cases->selectedRow(), 3), "U2");
    QVERIFY(entries(w.cmb_cmp).contains("Cart"));
    QVERIFY(entries(w.cmb_build).contains("b7"));
    QCOMPARE(w.cmb_tst_id->text(), "U1");
    QCOMPARE(w.cmb_build->text(), "b-typed");
    QCOMPARE(w.txt_rslt_act->text(), "half typed");
}

QTEST_MAIN(TestLiveRefresh)
#include "tst_liverefresh.moc"
