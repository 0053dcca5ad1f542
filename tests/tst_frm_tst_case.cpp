// The test case window: what it shows at load and how each pick changes the
// other selectors and the list (and what it leaves alone).
#include "mdi_main.h"
#include "testcasewindow.h"
#include "windows.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>

namespace {

// Two projects with cases, one without. Test case ids repeat across components
// whose cases carry different component types; rows are not stored alphabetically.
void fillStandard(const TestCaseWindow &f)
{
    f.projects({"Beta = 3.5 | Second project", "Alpha = 12 | First project", "Gamma = 1 | No cases yet"});
    f.cases({
        "Alpha | Functional | Report  | Backend | T1 | Report prints | PDF made",
        "Alpha | Functional | Login   | UI      | T2 | Bad password  | Error shown",
        "Alpha | Functional | Login   | UI      | T1 | Login works   | Home page shown",
        "Alpha | Security   | Login   | UI      | S1 | Lockout       | Locked after 3",
        "Beta  | Functional | Billing | Service | B1 | Invoice       | Total right",
        "Beta  | Load        | Billing | Service | L1",
    });
}

} // namespace

class TestTestCaseWindow : public QObject
{
    Q_OBJECT

private slots:
    void menuEntryOpensTheWindowMaximized();
    void loadShowsFirstProjectAndItsFirstTestCase();
    void emptyDatabaseShowsNothing();
    void projectPickRefillsComponentsListAndIds();
    void projectWithoutCasesEmptiesItsSelectors();
    void componentPickOnlySelectsItsType_data();
    void componentPickOnlySelectsItsType();
    void testTypePickRefillsOnlyTheList();
    void idPickLoadsItsTexts();
    void typedTestTypeRefillsListWhenLeft_data();
    void typedTestTypeRefillsListWhenLeft();
    void doubleClickCopiesRowAndEnablesDelete();
    void doubleClickWithBlankTestTypeWarns();
    void nullValuesShowBlankInListAndEmptyInBoxes();
    void quotesInTextsSelectExactRows();
    void headerSortSurvivesRefills();
    void rowNumbersGoPast32766();
    void closingWithFocusInTestTypeBox();
};

void TestTestCaseWindow::menuEntryOpensTheWindowMaximized()
{
    TestCaseWindow f;
    fillStandard(f);
    mdi_main main;
    registerWindows(main);
    main.mnu_tcase_Click();
    auto *w = qobject_cast<frm_tst_case *>(main.openWindow("mnu_tcase"));
    QVERIFY(w);
    QCOMPARE(w->objectName(), QStringLiteral("frm_tst_case"));
    QCOMPARE(w->windowTitle(), QStringLiteral("Define Test Cases"));
    QVERIFY(main.mdiArea()->currentSubWindow()->isMaximized());
    QCOMPARE(w->cmb_prjid->text(), QStringLiteral("Alpha")); // loaded before it was shown
}

void TestTestCaseWindow::loadShowsFirstProjectAndItsFirstTestCase()
{
    TestCaseWindow f;
    fillStandard(f);
    frm_tst_case &w = f.load();

    QCOMPARE(f.entries(w.cmb_prjid), (QStringList{"Alpha", "Beta", "Gamma"}));
    QCOMPARE(w.cmb_prjid->text(), QStringLiteral("Alpha"));
    QCOMPARE(w.txt_size->text(), QStringLiteral("12"));
    QCOMPARE(w.txt_desc->text(), QStringLiteral("First project"));
    QCOMPARE(f.entries(w.cmb_tst_type), (QStringList{"Functional", "Load", "Security"}));
    QCOMPARE(w.cmb_tst_type->text(), QStringLiteral("Functional"));
    QCOMPARE(f.entries(w.cmb_cmp), (QStringList{"Login", "Report"}));
    QCOMPARE(w.cmb_cmp->text(), QStringLiteral("Login"));
    QCOMPARE(f.entries(w.cmb_cmp_type), (QStringList{"Backend", "Service", "UI"}));
    QCOMPARE(w.cmb_cmp_type->text(), QStringLiteral("UI"));
    QCOMPARE(f.entries(w.cmb_tst_id), (QStringList{"T1", "T2"}));
    QCOMPARE(w.cmb_tst_id->text(), QStringLiteral("T1"));
    QCOMPARE(w.txt_tst_case_desc->text(), QStringLiteral("Login works"));
    QCOMPARE(w.txt_rslt_exp->text(), QStringLiteral("Home page shown"));

    // Every test case of the project and test type, across components, numbered in query order.
    const QStringList listed = f.listed();
    QCOMPARE(listed.size(), 3);
    QCOMPARE(QSet<QString>(listed.begin(), listed.end()),
             (QSet<QString>{"Report/Backend/T1", "Login/UI/T2", "Login/UI/T1"}));
    for (int r = 0; r < 3; ++r)
        QCOMPARE(w.LV_cases->cell(r, 0), QString::number(r + 1));
    const int row = f.rowOf("Login", "T2");
    QCOMPARE(w.LV_cases->cell(row, 4), QStringLiteral("Bad password"));
    QCOMPARE(w.LV_cases->cell(row, 5), QStringLiteral("Error shown"));

    QVERIFY(!w.cmd_del->isEnabled());
    QVERIFY(w.cmd_save->isEnabled());
    QVERIFY(f.services.messages->boxes.isEmpty());
}

void TestTestCaseWindow::emptyDatabaseShowsNothing()
{
    TestCaseWindow f;
    frm_tst_case &w = f.load();
    for (DropDown *box : {w.cmb_prjid, w.cmb_tst_type, w.cmb_cmp, w.cmb_cmp_type, w.cmb_tst_id}) {
        QCOMPARE(box->entryCount(), 0);
        QCOMPARE(box->listIndex(), -1);
        QCOMPARE(box->text(), QString());
    }
    QCOMPARE(w.LV_cases->rowCount(), 0);
    QCOMPARE(w.txt_tst_case_desc->text(), QString());
    QCOMPARE(w.txt_rslt_exp->text(), QString());
    QVERIFY(!w.cmd_del->isEnabled());
}

void TestTestCaseWindow::projectPickRefillsComponentsListAndIds()
{
    TestCaseWindow f;
    fillStandard(f);
    frm_tst_case &w = f.load();
    QVERIFY(f.pick(w.cmb_prjid, "Beta"));

    QCOMPARE(w.txt_size->text(), QStringLiteral("3.5"));
    QCOMPARE(w.txt_desc->text(), QStringLiteral("Second project"));
    QCOMPARE(f.entries(w.cmb_cmp), QStringList{"Billing"});
    QCOMPARE(w.cmb_cmp_type->text(), QStringLiteral("Service"));
    QCOMPARE(f.listed(), QStringList{"Billing/Service/B1"});
    QCOMPARE(f.entries(w.cmb_tst_id), QStringList{"B1"});
    QCOMPARE(w.txt_tst_case_desc->text(), QStringLiteral("Invoice"));
    QCOMPARE(w.txt_rslt_exp->text(), QStringLiteral("Total right"));
    // The test types offered are those of every project; the pick keeps the chosen one.
    QCOMPARE(w.cmb_tst_type->entryCount(), 3);
    QCOMPARE(w.cmb_tst_type->text(), QStringLiteral("Functional"));
}

void TestTestCaseWindow::projectWithoutCasesEmptiesItsSelectors()
{
    TestCaseWindow f;
    fillStandard(f);
    frm_tst_case &w = f.load();
    QVERIFY(f.pick(w.cmb_prjid, "Gamma"));

    QCOMPARE(w.txt_size->text(), QStringLiteral("1"));
    QCOMPARE(w.cmb_cmp->entryCount(), 0);
    QCOMPARE(w.cmb_cmp->text(), QString());
    QCOMPARE(w.cmb_tst_id->entryCount(), 0);
    QCOMPARE(w.cmb_tst_id->text(), QString());
    QCOMPARE(w.LV_cases->rowCount(), 0);
    QCOMPARE(w.txt_tst_case_desc->text(), QString());
    QCOMPARE(w.txt_rslt_exp->text(), QString());
    QCOMPARE(w.cmb_cmp_type->text(), QStringLiteral("UI")); // nothing to select it from
}

void TestTestCaseWindow::componentPickOnlySelectsItsType_data()
{
    QTest::addColumn<QString>("component");
    QTest::addColumn<QString>("expectedType");
    QTest::newRow("other type") << "Report" << "Backend";
    QTest::newRow("same component again") << "Login" << "UI";
    // Stored after the window loaded: its type is not offered, so the box keeps its text.
    QTest::newRow("type not offered") << "Widget" << "UI";
}

void TestTestCaseWindow::componentPickOnlySelectsItsType()
{
    QFETCH(QString, component);
    QFETCH(QString, expectedType);
    TestCaseWindow f;
    fillStandard(f);
    frm_tst_case &w = f.load();
    f.cases({"Alpha | Functional | Widget | Mobile | W1"});
    w.cmb_cmp->addEntry("Widget"); // as if the project was picked again
    const QStringList listBefore = f.listed();

    QVERIFY(f.pick(w.cmb_cmp, component));

    QCOMPARE(w.cmb_cmp_type->text(), expectedType);
    // The ids, the texts and the list still belong to the earlier selection.
    QCOMPARE(f.entries(w.cmb_tst_id), (QStringList{"T1", "T2"}));
    QCOMPARE(w.cmb_tst_id->text(), QStringLiteral("T1"));
    QCOMPARE(w.txt_tst_case_desc->text(), QStringLiteral("Login works"));
    QCOMPARE(f.listed(), listBefore);
}

void TestTestCaseWindow::testTypePickRefillsOnlyTheList()
{
    TestCaseWindow f;
    fillStandard(f);
    frm_tst_case &w = f.load();
    QVERIFY(f.pick(w.cmb_tst_type, "Security"));

    QCOMPARE(f.listed(), QStringList{"Login/UI/S1"});
    QCOMPARE(f.entries(w.cmb_tst_id), (QStringList{"T1", "T2"}));
    QCOMPARE(w.txt_tst_case_desc->text(), QStringLiteral("Login works"));
    QCOMPARE(w.cmb_cmp->text(), QStringLiteral("Login"));

    // A project pick then takes the ids of the new test type.
    QVERIFY(f.pick(w.cmb_prjid, "Alpha"));
    QCOMPARE(f.entries(w.cmb_tst_id), QStringList{"S1"});
    QCOMPARE(w.txt_tst_case_desc->text(), QStringLiteral("Lockout"));
}

void TestTestCaseWindow::idPickLoadsItsTexts()
{
    TestCaseWindow f;
    fillStandard(f);
    frm_tst_case &w = f.load();
    QVERIFY(f.pick(w.cmb_tst_id, "T2"));
    QCOMPARE(w.txt_tst_case_desc->text(), QStringLiteral("Bad password"));
    QCOMPARE(w.txt_rslt_exp->text(), QStringLiteral("Error shown"));

    // An id that names no row under the current component empties both texts.
    w.cmb_cmp->setText("Report");
    w.cmb_cmp_type->setText("Backend");
    QVERIFY(f.pick(w.cmb_tst_id, "T2"));
    QCOMPARE(w.txt_tst_case_desc->text(), QString());
    QCOMPARE(w.txt_rslt_exp->text(), QString());
    QVERIFY(f.pick(w.cmb_tst_id, "T1"));
    QCOMPARE(w.txt_tst_case_desc->text(), QStringLiteral("Report prints"));
}

void TestTestCaseWindow::typedTestTypeRefillsListWhenLeft_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("listedAfter");
    QTest::newRow("type in use") << "Security" << QStringList{"Login/UI/S1"};
    QTest::newRow("type no case uses") << "Usability" << QStringList{};
    QTest::newRow("emptied") << "" << QStringList{};
    QTest::newRow("blanks are part of the text") << " Security" << QStringList{};
}

void TestTestCaseWindow::typedTestTypeRefillsListWhenLeft()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, listedAfter);
    TestCaseWindow f;
    fillStandard(f);
    frm_tst_case &w = f.load(true);
    const QStringList before = f.listed();

    w.cmb_tst_type->setFocus();
    QVERIFY(hasFocusIn(w.cmb_tst_type));
    w.cmb_tst_type->lineEdit()->selectAll();
    QTest::keyClick(w.cmb_tst_type->lineEdit(), Qt::Key_Delete);
    QTest::keyClicks(w.cmb_tst_type->lineEdit(), typed);
    QCOMPARE(w.cmb_tst_type->text(), typed);
    QCOMPARE(f.listed(), before); // typing alone runs nothing

    w.cmb_cmp->setFocus();
    QCOMPARE(f.listed(), listedAfter);
    QCOMPARE(w.cmb_tst_type->text(), typed); // leaving does not pick a matching entry
}

void TestTestCaseWindow::doubleClickCopiesRowAndEnablesDelete()
{
    TestCaseWindow f;
    fillStandard(f);
    frm_tst_case &w = f.load(true);
    const QStringList idsBefore = f.entries(w.cmb_tst_id);
    const int row = f.rowOf("Report", "T1");
    QVERIFY(row >= 0);

    f.doubleClickRow(row);

    QCOMPARE(w.cmb_cmp->text(), QStringLiteral("Report"));
    QCOMPARE(w.cmb_cmp_type->text(), QStringLiteral("Backend"));
    QCOMPARE(w.cmb_tst_id->text(), QStringLiteral("T1"));
    QCOMPARE(w.txt_tst_case_desc->text(), QStringLiteral("Report prints"));
    QCOMPARE(w.txt_rslt_exp->text(), QStringLiteral("PDF made"));
    QVERIFY(w.cmd_del->isEnabled());
    // Copying into the selectors is no pick: no list is refilled.
    QCOMPARE(f.entries(w.cmb_tst_id), idsBefore);
    QCOMPARE(f.entries(w.cmb_cmp), (QStringList{"Login", "Report"}));
    QCOMPARE(w.cmb_prjid->text(), QStringLiteral("Alpha"));
    QCOMPARE(w.cmb_tst_type->text(), QStringLiteral("Functional"));
    QVERIFY(f.services.messages->boxes.isEmpty());

    // Picks elsewhere leave Delete as it was.
    QVERIFY(f.pick(w.cmb_tst_type, "Security"));
    QVERIFY(w.cmd_del->isEnabled());
}

void TestTestCaseWindow::doubleClickWithBlankTestTypeWarns()
{
    TestCaseWindow f;
    fillStandard(f);
    frm_tst_case &w = f.load(true);
    w.cmb_tst_type->setText("   "); // typed, the box not yet left

    f.doubleClickRow(f.rowOf("Report", "T1"));

    QCOMPARE(f.services.messages->texts(), QStringList{"Test Type is blank"});
    QCOMPARE(f.services.messages->boxes.first().caption, Ui::appTitle());
    QVERIFY(!f.services.messages->boxes.first().question);
    QVERIFY(hasFocusIn(w.cmb_tst_type));
    QCOMPARE(w.cmb_cmp->text(), QStringLiteral("Login"));
    QCOMPARE(w.txt_tst_case_desc->text(), QStringLiteral("Login works"));
    QVERIFY(!w.cmd_del->isEnabled());
}

void TestTestCaseWindow::nullValuesShowBlankInListAndEmptyInBoxes()
{
    TestCaseWindow f;
    f.db.exec("insert into qv_zr_projects (qv_zr_prjid) values ('Old')");
    f.db.exec("insert into qv_zr_tst_cases (qv_zr_prjid, qv_zr_tst_type, qv_zr_component, qv_zr_component_type, "
              "qv_zr_tst_case_id) values ('Old', 'Functional', 'Core', 'Lib', 'N1')");
    f.db.exec("insert into qv_zr_tst_cases (qv_zr_prjid, qv_zr_tst_type) values ('Old', 'Functional')");
    frm_tst_case &w = f.load(true);

    QVERIFY(f.services.messages->boxes.isEmpty());
    QCOMPARE(w.txt_size->text(), QString());
    QCOMPARE(w.txt_desc->text(), QString());
    QCOMPARE(f.entries(w.cmb_cmp), QStringList{"Core"}); // Null is no entry
    QCOMPARE(w.txt_tst_case_desc->text(), QString());
    QCOMPARE(w.txt_rslt_exp->text(), QString());
    QCOMPARE(w.LV_cases->rowCount(), 2);
    const int row = f.rowOf("Core", "N1");
    QCOMPARE(w.LV_cases->cell(row, 4), QStringLiteral(" "));
    QCOMPARE(w.LV_cases->cell(row, 5), QStringLiteral(" "));
    QCOMPARE(w.LV_cases->cell(1 - row, 1), QStringLiteral(" "));

    f.doubleClickRow(1 - row);
    QCOMPARE(w.cmb_cmp->text(), QString());
    QCOMPARE(w.cmb_tst_id->text(), QString());
    QCOMPARE(w.txt_tst_case_desc->text(), QString());
}

void TestTestCaseWindow::quotesInTextsSelectExactRows()
{
    TestCaseWindow f;
    f.projects({"O'Brien = 5 | Pat's project", "O = 1 | decoy"});
    f.cases({
        "O'Brien | it's | Bob's | UI'x | a'1 | Quote's case | It's fine",
        "O'Brien | it's | Bob's | UI'x | a'2 | Second | ok",
        "O'Brien | it's | Bob   | UI   | a'1 | Without quote | ok",
        "O       | it's | Bob's | UI'x | a'1 | decoy | decoy",
    });
    frm_tst_case &w = f.load();

    QVERIFY(f.services.messages->boxes.isEmpty());
    QVERIFY(f.pick(w.cmb_prjid, "O'Brien"));
    QCOMPARE(w.txt_desc->text(), QStringLiteral("Pat's project"));
    QCOMPARE(f.entries(w.cmb_cmp), (QStringList{"Bob", "Bob's"}));
    QCOMPARE(f.listed().size(), 3);
    QCOMPARE(f.entries(w.cmb_tst_id), QStringList{"a'1"}); // of component Bob
    QCOMPARE(w.txt_tst_case_desc->text(), QStringLiteral("Without quote"));

    QVERIFY(f.pick(w.cmb_cmp, "Bob's"));
    QCOMPARE(w.cmb_cmp_type->text(), QStringLiteral("UI'x"));
    QVERIFY(f.pick(w.cmb_tst_id, "a'1"));
    QCOMPARE(w.txt_tst_case_desc->text(), QStringLiteral("Quote's case"));
    QCOMPARE(w.txt_rslt_exp->text(), QStringLiteral("It's fine"));
    QVERIFY(f.services.messages->boxes.isEmpty());
}

void TestTestCaseWindow::headerSortSurvivesRefills()
{
    TestCaseWindow f;
    f.projects({"Alpha = 1 | a"});
    f.cases({
        "Alpha | Functional | Zeta  | UI | A3",
        "Alpha | Functional | Alpha | UI | A1",
        "Alpha | Functional | Mid   | UI | A2",
        "Alpha | Security   | Mid   | UI | B9",
        "Alpha | Security   | Zeta  | UI | B1",
    });
    frm_tst_case &w = f.load(true);
    QStringList numbers;
    for (int r = 0; r < 3; ++r)
        numbers << w.LV_cases->cell(r, 0);
    QCOMPARE(numbers, (QStringList{"1", "2", "3"}));

    f.clickHeader(1); // "Component Name"
    QCOMPARE(f.listed(), (QStringList{"Alpha/UI/A1", "Mid/UI/A2", "Zeta/UI/A3"}));
    f.clickHeader(3); // "Test Case Id"
    f.clickHeader(3); // no toggle: still ascending
    QCOMPARE(f.listed(), (QStringList{"Alpha/UI/A1", "Mid/UI/A2", "Zeta/UI/A3"}));

    QVERIFY(f.pick(w.cmb_tst_type, "Security"));
    QCOMPARE(f.listed(), (QStringList{"Zeta/UI/B1", "Mid/UI/B9"}));
    QVERIFY(f.pick(w.cmb_prjid, "Alpha"));
    QCOMPARE(f.listed(), (QStringList{"Zeta/UI/B1", "Mid/UI/B9"}));
}

void TestTestCaseWindow::rowNumbersGoPast32766()
{
    TestCaseWindow f;
    f.projects({"Big = 1 | many cases"});
    f.db.exec("with recursive n(i) as (select 1 union all select i + 1 from n where i < 33000) "
              "insert into qv_zr_tst_cases (qv_zr_prjid, qv_zr_tst_type, qv_zr_component, qv_zr_component_type, "
              "qv_zr_tst_case_id, qv_zr_tst_case_desc, qv_zr_rslt_exp) "
              "select 'Big', 'Functional', 'C', 'K', printf('%06d', i), 'd', 'e' from n");
    frm_tst_case &w = f.load();
    QCOMPARE(w.LV_cases->rowCount(), 33000);
    QCOMPARE(w.LV_cases->cell(32766, 0), QStringLiteral("32767"));
    QCOMPARE(w.LV_cases->cell(32999, 0), QStringLiteral("33000"));
    QCOMPARE(w.cmb_tst_id->entryCount(), 33000);
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
