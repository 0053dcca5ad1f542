// The test case window: what it opens on, and what each pick changes and leaves alone.
#include "mdi_main.h"
#include "testcasewindow.h"
#include "windows.h"

#include <QMdiArea>
#include <QMdiSubWindow>

namespace {

// Test case ids repeat across components whose cases carry different component types.
void fillStandard(const TestCaseWindow &f)
{
    f.projects({"Beta = 3.5 | Second project", "Alpha = 12 | First project", "Gamma = 1 | No cases yet"});
    f.cases({
        "Alpha | Functional | Report  | Backend | T1 | Report prints | PDF made",
        "Alpha | Functional | Login   | UI      | T2 | Bad password  | Error shown",
        "Alpha | Functional | Login   | UI      | T1 | Login works   | Home page shown",
        "Alpha | Security   | Login   | UI      | S1 | Lockout       | Locked after 3",
        "Beta  | Functional | Billing | Service | B1 | Invoice       | Total right",
    });
}

const QString atLoad = "Alpha | 12 | First project | Functional | Login[Login,Report] | UI | T1[T1,T2] | Login works"
                       " | Home page shown | Login/UI/T1 Login/UI/T2 Report/Backend/T1 | Delete off";

} // namespace

class TestTestCaseWindow : public QObject
{
    Q_OBJECT

private slots:
    void menuOpensWindowOnFirstOfEverything();
    void pickChangesOnlyWhatFollowsIt_data();
    void pickChangesOnlyWhatFollowsIt();
    void typedTestTypeRefillsListWhenLeft_data();
    void typedTestTypeRefillsListWhenLeft();
    void doubleClickCopiesRowOrAsksForTestType();
    void nullValuesShowBlankInListAndEmptyInLookups();
    void rowNumbersGoPast32766();
    void closingWithFocusInTestTypeBox();
};

void TestTestCaseWindow::menuOpensWindowOnFirstOfEverything()
{
    TestCaseWindow f;
    fillStandard(f);
    mdi_main main;
    registerWindows(main);
    main.mnu_tcase_Click();
    auto *w = qobject_cast<frm_tst_case *>(main.openWindow("mnu_tcase"));
    QVERIFY(w);
    QCOMPARE(w->windowTitle(), QStringLiteral("Define Test Cases"));
    QVERIFY(main.mdiArea()->currentSubWindow()->isMaximized());

    QCOMPARE(state(*w), atLoad.split(" | "));
    QCOMPARE(entries(w->cmb_prjid), (QStringList{"Alpha", "Beta", "Gamma"}));
    QCOMPARE(entries(w->cmb_tst_type), (QStringList{"Functional", "Security"}));
    QCOMPARE(entries(w->cmb_cmp_type), (QStringList{"Backend", "Service", "UI"}));
    for (int r = 0; r < 3; ++r)
        QCOMPARE(w->LV_cases->cell(r, 0), QString::number(r + 1));
    const int row = rowOf(*w, "Login", "T2");
    QCOMPARE(w->LV_cases->cell(row, 4) + '/' + w->LV_cases->cell(row, 5), QStringLiteral("Bad password/Error shown"));
    QVERIFY(f.services.messages->boxes.isEmpty());
}

void TestTestCaseWindow::pickChangesOnlyWhatFollowsIt_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("after");

    QTest::newRow("project") << "cmb_prjid" << "Beta"
                             << "Beta | 3.5 | Second project | Functional | Billing[Billing] | Service | B1[B1]"
                                " | Invoice | Total right | Billing/Service/B1 | Delete off";
    QTest::newRow("project without cases") << "cmb_prjid" << "Gamma"
                                           << "Gamma | 1 | No cases yet | Functional | [] | UI | [] |  |  |  | Delete off";
    // The ids, the texts and the list stay with the earlier selection.
    QTest::newRow("component") << "cmb_cmp" << "Report"
                               << "Alpha | 12 | First project | Functional | Report[Login,Report] | Backend | T1[T1,T2]"
                                  " | Login works | Home page shown | Login/UI/T1 Login/UI/T2 Report/Backend/T1 | Delete off";
    QTest::newRow("test type") << "cmb_tst_type" << "Security"
                               << "Alpha | 12 | First project | Security | Login[Login,Report] | UI | T1[T1,T2]"
                                  " | Login works | Home page shown | Login/UI/S1 | Delete off";
    QTest::newRow("id") << "cmb_tst_id" << "T2"
                        << "Alpha | 12 | First project | Functional | Login[Login,Report] | UI | T2[T1,T2]"
                           " | Bad password | Error shown | Login/UI/T1 Login/UI/T2 Report/Backend/T1 | Delete off";
}

void TestTestCaseWindow::pickChangesOnlyWhatFollowsIt()
{
    QFETCH(QString, box);
    QFETCH(QString, entry);
    QFETCH(QString, after);
    TestCaseWindow f;
    fillStandard(f);
    frm_tst_case &w = f.load();
    QVERIFY(pick(w.findChild<DropDown *>(box), entry));
    QCOMPARE(state(w), after.split(" | "));
}

void TestTestCaseWindow::typedTestTypeRefillsListWhenLeft_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("listedAfter");
    QTest::newRow("type in use") << "Security" << QStringList{"Login/UI/S1"};
    QTest::newRow("type no case uses") << "Usability" << QStringList{};
    QTest::newRow("emptied") << "" << QStringList{};
}

void TestTestCaseWindow::typedTestTypeRefillsListWhenLeft()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, listedAfter);
    TestCaseWindow f;
    fillStandard(f);
    frm_tst_case &w = f.load(true);
    const QStringList before = listed(w);

    w.cmb_tst_type->setFocus();
    w.cmb_tst_type->lineEdit()->selectAll();
    QTest::keyClick(w.cmb_tst_type->lineEdit(), Qt::Key_Delete);
    QTest::keyClicks(w.cmb_tst_type->lineEdit(), typed);
    QCOMPARE(listed(w), before); // typing alone runs nothing

    w.cmb_cmp->setFocus();
    QCOMPARE(listed(w), listedAfter);
    QCOMPARE(w.cmb_tst_type->text(), typed);
}

void TestTestCaseWindow::doubleClickCopiesRowOrAsksForTestType()
{
    TestCaseWindow f;
    fillStandard(f);
    frm_tst_case &w = f.load(true);
    w.cmb_tst_type->setText("   ");
    doubleClickRow(w, rowOf(w, "Report", "T1"));
    QCOMPARE(f.services.messages->texts(), QStringList{"Test Type is blank"});
    QCOMPARE(f.services.messages->boxes.first().caption, Ui::appTitle());
    QVERIFY(hasFocusIn(w.cmb_tst_type));
    QCOMPARE(w.cmb_cmp->text(), QStringLiteral("Login"));
    QVERIFY(!w.cmd_del->isEnabled());

    w.cmb_tst_type->setText("Functional");
    doubleClickRow(w, rowOf(w, "Report", "T1"));
    // Copied into the selectors, not picked: no list is refilled.
    QCOMPARE(state(w), QString("Alpha | 12 | First project | Functional | Report[Login,Report] | Backend | T1[T1,T2]"
                               " | Report prints | PDF made | Login/UI/T1 Login/UI/T2 Report/Backend/T1 | Delete on")
                           .split(" | "));
    QCOMPARE(f.services.messages->boxes.size(), 1);
}

void TestTestCaseWindow::nullValuesShowBlankInListAndEmptyInLookups()
{
    TestCaseWindow f;
    f.db.exec("insert into qv_zr_projects (qv_zr_prjid) values ('Old')");
    f.db.exec("insert into qv_zr_tst_cases (qv_zr_prjid, qv_zr_tst_type, qv_zr_component, qv_zr_component_type, "
              "qv_zr_tst_case_id) values ('Old', 'Functional', 'Core', 'Lib', 'N1')");
    f.db.exec("insert into qv_zr_tst_cases (qv_zr_prjid, qv_zr_tst_type) values ('Old', 'Functional')");
    frm_tst_case &w = f.load(true);

    QCOMPARE(w.txt_size->text() + w.txt_desc->text(), QString());
    QCOMPARE(entries(w.cmb_cmp), QStringList{"Core"}); // Null is no entry
    QCOMPARE(w.txt_tst_case_desc->text() + w.txt_rslt_exp->text(), QString());
    QCOMPARE(w.LV_cases->rowCount(), 2);
    const int row = rowOf(w, "Core", "N1");
    QCOMPARE(w.LV_cases->cell(row, 4) + w.LV_cases->cell(row, 5), QStringLiteral("  "));
    doubleClickRow(w, 1 - row);
    // A double click copies the cells as shown: one blank for each Null.
    QCOMPARE(w.cmb_cmp->text() + w.cmb_tst_id->text() + w.txt_tst_case_desc->text(), QStringLiteral("   "));
    QVERIFY(f.services.messages->boxes.isEmpty());
}

void TestTestCaseWindow::rowNumbersGoPast32766()
{
    TestCaseWindow f;
    f.projects({"Big = 1 | many cases"});
    f.db.exec("with recursive n(i) as (select 1 union all select i + 1 from n where i < 33000) "
              "insert into qv_zr_tst_cases (qv_zr_prjid, qv_zr_tst_type, qv_zr_component, qv_zr_component_type, "
              "qv_zr_tst_case_id) select 'Big', 'Functional', 'C', 'K', printf('%06d', i) from n");
    frm_tst_case &w = f.load();
    QCOMPARE(w.LV_cases->rowCount(), 33000);
    QCOMPARE(w.LV_cases->cell(32766, 0), QStringLiteral("32767"));
    QCOMPARE(w.LV_cases->cell(32999, 0), QStringLiteral("33000"));
}

void TestTestCaseWindow::closingWithFocusInTestTypeBox()
{
    TestCaseWindow f;
    fillStandard(f);
    frm_tst_case &w = f.load(true);
    w.cmb_tst_type->setFocus();
    QVERIFY(hasFocusIn(w.cmb_tst_type));
    f.w.reset(); // the focus leaves the box while the window goes
    QVERIFY(f.services.messages->boxes.isEmpty());
}

QTEST_MAIN(TestTestCaseWindow)
#include "tst_frm_tst_case.moc"
