// The test case window: what it opens on, what each pick changes and leaves
// alone, which row a save or a delete writes or removes, and what the list shows.
#include "frm_tst_case.h"
#include "windowtest.h"

#include <QRegularExpression>

namespace {

struct Fixture : WindowOn<frm_tst_case>
{
    // "id = size | description" per project; "project | test type | component |
    // component type | id | description | expected" per case, the texts optional.
    Fixture(const QStringList &projects, const QStringList &cases)
    {
        for (const QString &line : projects) {
            const QStringList f = line.split(QRegularExpression("\\s*[=|]\\s*"));
            db.addProject(f[0], f[2], "Web", f[1]);
        }
        add(cases);
    }
    void add(const QStringList &cases) const
    {
        for (const QString &line : cases) {
            QStringList f = line.split(QRegularExpression("\\s*\\|\\s*"));
            while (f.size() < 7)
                f << "text of " + f[4];
            db.addCase(f[0], f[1], f[2], f[3], f[4], f[5], f[6]);
        }
    }
    // Every case as "project/component/component type/test type/id/description/expected/outcome".
    QStringList stored() const
    {
        return db.rows("select qv_zr_prjid || '/' || qv_zr_component || '/' || qv_zr_component_type || '/' || "
                       "qv_zr_tst_type || '/' || qv_zr_tst_case_id || '/' || qv_zr_tst_case_desc || '/' || "
                       "qv_zr_rslt_exp || '/' || qv_zr_pass from qv_zr_tst_cases order by 1");
    }
};

// Test case ids repeat across components whose cases carry different component types.
Fixture standard()
{
    return Fixture({"Beta = 3.5 | Second project", "Alpha = 12 | First project", "Gamma = 1 | No cases yet"},
                   {"Alpha | Functional | Report  | Backend | T1 | Report prints | PDF made",
                    "Alpha | Functional | Login   | UI      | T2 | Bad password  | Error shown",
                    "Alpha | Functional | Login   | UI      | T1 | Login works   | Home page shown",
                    "Alpha | Security   | Login   | UI      | S1 | Lockout       | Locked after 3",
                    "Beta  | Functional | Billing | Service | B1 | Invoice       | Total right"});
}

// One project, an id under two components.
const QStringList threeCases{"Alpha | Functional | Login  | UI      | T1 | Login works   | Home page shown",
                             "Alpha | Functional | Login  | UI      | T2 | Bad password  | Error shown",
                             "Alpha | Functional | Report | Backend | T1 | Report prints | PDF made"};

// The list as "component/component type/id" per row, in the order shown.
QStringList listed(const frm_tst_case &w)
{
    QStringList rows;
    for (int r = 0; r < w.LV_cases->rowCount(); ++r)
        rows << w.LV_cases->cell(r, 1) + '/' + w.LV_cases->cell(r, 2) + '/' + w.LV_cases->cell(r, 3);
    return rows;
}

// The window at a glance: project, size, description, test type, component [its entries],
// component type, id [its entries], the two texts, the listed rows (in text order), Delete.
QStringList state(const frm_tst_case &w)
{
    QStringList rows = listed(w);
    rows.sort();
    return {w.cmb_prjid->text(), w.txt_size->text(), w.txt_desc->text(), w.cmb_tst_type->text(),
            w.cmb_cmp->text() + '[' + entries(w.cmb_cmp).join(',') + ']', w.cmb_cmp_type->text(),
            w.cmb_tst_id->text() + '[' + entries(w.cmb_tst_id).join(',') + ']', w.txt_tst_case_desc->text(),
            w.txt_rslt_exp->text(), rows.join(' '), w.cmd_del->isEnabled() ? "Delete on" : "Delete off"};
}

int rowOf(const frm_tst_case &w, const QString &component, const QString &id)
{
    return rowOf(w.LV_cases, {{1, component}, {3, id}});
}

// Test type, component, component type, id, description, expected result.
void type(frm_tst_case &w, const QStringList &t)
{
    w.cmb_tst_type->setText(t[0]);
    w.cmb_cmp->setText(t[1]);
    w.cmb_cmp_type->setText(t[2]);
    w.cmb_tst_id->setText(t[3]);
    w.txt_tst_case_desc->setText(t[4]);
    w.txt_rslt_exp->setText(t[5]);
}

const QString atLoad = "Alpha | 12 | First project | Functional | Login[Login,Report] | UI | T1[T1,T2] | Login works"
                       " | Home page shown | Login/UI/T1 Login/UI/T2 Report/Backend/T1 | Delete off";

} // namespace

class TestTestCases : public QObject
{
    Q_OBJECT

private slots:
    void opensOnTheFirstOfEverything();
    void pickChangesOnlyWhatFollowsIt_data();
    void pickChangesOnlyWhatFollowsIt();
    void typedTestTypeRefillsListWhenLeft_data();
    void typedTestTypeRefillsListWhenLeft();
    void doubleClickCopiesRowOrAsksForTestType();
    void nullValuesShowBlankInListAndEmptyInLookups();
    void rowNumbersGoPast32766();
    void closingWithFocusInTestTypeBox();
    void existingKeyChangesTextsNewKeyAddsFail();
    void eachKeyTextNamesItsOwnRow();
    void deleteRemovesRowNamedBySelectors_data();
    void deleteRemovesRowNamedBySelectors();
    void sortColumnKeptAcrossRefills();
};

void TestTestCases::opensOnTheFirstOfEverything()
{
    Fixture f = standard();
    frm_tst_case &w = f.load(false);
    QCOMPARE(w.windowTitle(), QStringLiteral("Define Test Cases"));
    QCOMPARE(state(w), atLoad.split(" | "));
    QCOMPARE(entries(w.cmb_prjid), (QStringList{"Alpha", "Beta", "Gamma"}));
    QCOMPARE(entries(w.cmb_tst_type), (QStringList{"Functional", "Security"}));
    QCOMPARE(entries(w.cmb_cmp_type), (QStringList{"Backend", "Service", "UI"}));
    QStringList numbers = column(w.LV_cases, 0);
    numbers.sort();
    QCOMPARE(numbers, (QStringList{"1", "2", "3"}));
    const int row = rowOf(w, "Login", "T2");
    QCOMPARE(w.LV_cases->rowCells(row).mid(4), (QStringList{"Bad password", "Error shown"}));
    QVERIFY(f.services.messages->boxes.isEmpty());
}

void TestTestCases::pickChangesOnlyWhatFollowsIt_data()
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

void TestTestCases::pickChangesOnlyWhatFollowsIt()
{
    QFETCH(QString, box);
    QFETCH(QString, entry);
    QFETCH(QString, after);
    Fixture f = standard();
    frm_tst_case &w = f.load(false);
    QVERIFY(pick(w.findChild<DropDown *>(box), entry));
    QCOMPARE(state(w), after.split(" | "));
}

void TestTestCases::typedTestTypeRefillsListWhenLeft_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("listedAfter");
    QTest::newRow("type in use") << "Security" << QStringList{"Login/UI/S1"};
    QTest::newRow("type no case uses") << "Usability" << QStringList{};
    QTest::newRow("emptied") << "" << QStringList{};
}

void TestTestCases::typedTestTypeRefillsListWhenLeft()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, listedAfter);
    Fixture f = standard();
    frm_tst_case &w = f.load();
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

void TestTestCases::doubleClickCopiesRowOrAsksForTestType()
{
    Fixture f = standard();
    frm_tst_case &w = f.load();
    w.cmb_tst_type->setText("   ");
    doubleClickRow(w.LV_cases, rowOf(w, "Report", "T1"));
    QCOMPARE(f.messages(), QStringList{"Test Type is blank"});
    QCOMPARE(f.services.messages->boxes.first().caption, Ui::appTitle());
    QVERIFY(hasFocusIn(w.cmb_tst_type));
    QCOMPARE(w.cmb_cmp->text(), QStringLiteral("Login"));
    QVERIFY(!w.cmd_del->isEnabled());
    w.cmb_tst_type->setText("Functional");
    doubleClickRow(w.LV_cases, rowOf(w, "Report", "T1"));
    // Copied into the selectors, not picked: no list is refilled.
    QCOMPARE(state(w), QString("Alpha | 12 | First project | Functional | Report[Login,Report] | Backend | T1[T1,T2]"
                               " | Report prints | PDF made | Login/UI/T1 Login/UI/T2 Report/Backend/T1 | Delete on")
                           .split(" | "));
    QCOMPARE(f.services.messages->boxes.size(), 1);
}

void TestTestCases::nullValuesShowBlankInListAndEmptyInLookups()
{
    Fixture f({}, {});
    f.db.exec("insert into qv_zr_projects (qv_zr_prjid) values ('Old')");
    f.db.exec("insert into qv_zr_tst_cases (qv_zr_prjid, qv_zr_tst_type, qv_zr_component, qv_zr_component_type, "
              "qv_zr_tst_case_id) values ('Old', 'Functional', 'Core', 'Lib', 'N1')");
    f.db.exec("insert into qv_zr_tst_cases (qv_zr_prjid, qv_zr_tst_type) values ('Old', 'Functional')");
    frm_tst_case &w = f.load();
    QCOMPARE(w.txt_size->text() + w.txt_desc->text(), QString());
    QCOMPARE(entries(w.cmb_cmp), QStringList{"Core"}); // Null is no entry
    QCOMPARE(w.txt_tst_case_desc->text() + w.txt_rslt_exp->text(), QString());
    QCOMPARE(w.LV_cases->rowCount(), 2);
    const int row = rowOf(w, "Core", "N1");
    QCOMPARE(w.LV_cases->cell(row, 4) + w.LV_cases->cell(row, 5), QStringLiteral("  "));
    doubleClickRow(w.LV_cases, 1 - row);
    // A double click copies the cells as shown: one blank for each Null.
    QCOMPARE(w.cmb_cmp->text() + w.cmb_tst_id->text() + w.txt_tst_case_desc->text(), QStringLiteral("   "));
    QVERIFY(f.services.messages->boxes.isEmpty());
}

void TestTestCases::rowNumbersGoPast32766()
{
    Fixture f({"Big = 1 | many cases"}, {});
    f.db.exec("with recursive n(i) as (select 1 union all select i + 1 from n where i < 33000) "
              "insert into qv_zr_tst_cases (qv_zr_prjid, qv_zr_tst_type, qv_zr_component, qv_zr_component_type, "
              "qv_zr_tst_case_id) select 'Big', 'Functional', 'C', 'K', printf('%06d', i) from n");
    frm_tst_case &w = f.load(false);
    QCOMPARE(w.LV_cases->rowCount(), 33000);
    QCOMPARE(w.LV_cases->cell(32766, 0), QStringLiteral("32767"));
    QCOMPARE(w.LV_cases->cell(32999, 0), QStringLiteral("33000"));
}

void TestTestCases::closingWithFocusInTestTypeBox()
{
    Fixture f = standard();
    frm_tst_case &w = f.load();
    w.cmb_tst_type->setFocus();
    QVERIFY(hasFocusIn(w.cmb_tst_type));
    f.w.reset(); // the focus leaves the box while the window goes
    QVERIFY(f.services.messages->boxes.isEmpty());
}

void TestTestCases::existingKeyChangesTextsNewKeyAddsFail()
{
    Fixture f({"Alpha = 12 | First project"}, threeCases);
    f.db.exec("update qv_zr_tst_cases set qv_zr_pass = 'Pass', qv_zr_rslt_act = 'as expected', "
              "qv_zr_def_severity = '', qv_zr_def_cat = '', qv_zr_dt_tst = '2024-05-01'");
    const QString logged = "select qv_zr_pass, qv_zr_rslt_act, qv_zr_def_severity, qv_zr_def_cat, qv_zr_dt_tst "
                           "from qv_zr_tst_cases where qv_zr_tst_case_id = ?";
    frm_tst_case &w = f.load();
    doubleClickRow(w.LV_cases, rowOf(w, "Login", "T1"));
    w.txt_tst_case_desc->setText("Login with a valid user");
    w.txt_rslt_exp->setText("Start page shown");
    press(w.cmd_save);
    w.cmb_tst_id->setText("T3");
    press(w.cmd_save);
    QVERIFY(f.services.messages->boxes.isEmpty());
    QCOMPARE(f.stored(), (QStringList{
                             "Alpha/Login/UI/Functional/T1/Login with a valid user/Start page shown/Pass",
                             "Alpha/Login/UI/Functional/T2/Bad password/Error shown/Pass",
                             "Alpha/Login/UI/Functional/T3/Login with a valid user/Start page shown/Fail",
                             "Alpha/Report/Backend/Functional/T1/Report prints/PDF made/Pass",
                         }));
    QCOMPARE(f.db.rows(logged, {"T2"}), QStringList{"Pass|as expected|||2024-05-01"});
    QCOMPARE(f.db.rows(logged, {"T3"}), QStringList{"Fail|<null>|<null>|<null>|<null>"});
    QCOMPARE(w.LV_cases->cell(rowOf(w, "Login", "T1"), 4), QStringLiteral("Login with a valid user"));
    QVERIFY(rowOf(w, "Login", "T3") >= 0);
    QVERIFY(!w.cmd_del->isEnabled());
    QCOMPARE(entries(w.cmb_tst_id), (QStringList{"T1", "T2"})); // a new id is offered after a project pick
}

// Cases that share all key texts but one are separate rows for save and delete.
void TestTestCases::eachKeyTextNamesItsOwnRow()
{
    Fixture f({"Alpha = 12 | First project"},
              QStringList{"Alpha | Functional | Login | API | T1 | Other type | kept"} + threeCases);
    frm_tst_case &w = f.load();
    doubleClickRow(w.LV_cases, rowOf(w.LV_cases, {{1, "Report"}, {3, "T1"}}));
    w.txt_tst_case_desc->setText("Report prints twice");
    press(w.cmd_save);
    doubleClickRow(w.LV_cases, rowOf(w.LV_cases, {{1, "Login"}, {2, "UI"}, {3, "T1"}}));
    w.txt_rslt_exp->setText("changed");
    press(w.cmd_save);
    doubleClickRow(w.LV_cases, rowOf(w.LV_cases, {{1, "Login"}, {2, "UI"}, {3, "T1"}}));
    press(w.cmd_del);
    QCOMPARE(f.stored(), (QStringList{
                             "Alpha/Login/API/Functional/T1/Other type/kept/Fail",
                             "Alpha/Login/UI/Functional/T2/Bad password/Error shown/Fail",
                             "Alpha/Report/Backend/Functional/T1/Report prints twice/PDF made/Fail",
                         }));
    QCOMPARE(listed(w).size(), 3);
}

void TestTestCases::deleteRemovesRowNamedBySelectors_data()
{
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QStringList>("edited"); // component, component type, id after the double click
    QTest::addColumn<QString>("gone");
    QTest::newRow("yes") << true << QStringList{"Login", "UI", "T2"} << "Login/T2";
    QTest::newRow("no") << false << QStringList{"Login", "UI", "T2"} << "";
    QTest::newRow("id edited to none") << true << QStringList{"Login", "UI", "T9"} << "";
    QTest::newRow("component edited") << true << QStringList{"Report", "Backend", "T1"} << "Report/T1";
}

void TestTestCases::deleteRemovesRowNamedBySelectors()
{
    QFETCH(bool, yes);
    QFETCH(QStringList, edited);
    QFETCH(QString, gone);
    Fixture f({"Alpha = 12 | First project"}, threeCases);
    frm_tst_case &w = f.load();
    doubleClickRow(w.LV_cases, rowOf(w, "Login", "T2"));
    type(w, QStringList{"Functional"} + edited + QStringList{"d", "e"});
    f.add({"Alpha | Functional | Other | UI | X1"}); // written elsewhere: the refreshed list shows it
    // Saved results of two cases: only the deleted case's go with it.
    for (const QString &key : {QString("Login|UI|T2"), QString("Report|Backend|T1")}) {
        const QStringList k = key.split('|');
        f.db.exec("insert into qv_zr_tst_history (qv_zr_prjid, qv_zr_tst_type, qv_zr_component, "
                  "qv_zr_component_type, qv_zr_tst_case_id, qv_zr_pass) values ('Alpha', 'Functional', ?, ?, ?, 'Pass')",
                  {k[0], k[1], k[2]});
    }
    f.services.messages->answers = {yes};
    bool offWhileAsking = false;
    f.services.messages->onBox = [&](const RecordingMessages::Box &) { offWhileAsking = !w.cmd_del->isEnabled(); };
    press(w.cmd_del);
    QCOMPARE(f.messages(), QStringList{"Do you wish to delete test case - " + edited[2]});
    QVERIFY(f.services.messages->boxes.first().question);
    QVERIFY(offWhileAsking);
    QVERIFY(!w.cmd_del->isEnabled());
    QStringList remaining{"Login/T1", "Login/T2", "Other/X1", "Report/T1"};
    remaining.removeAll(gone);
    QCOMPARE(f.db.rows("select qv_zr_component || '/' || qv_zr_tst_case_id from qv_zr_tst_cases order by 1"),
             remaining);
    QCOMPARE(listed(w).size(), remaining.size());
    QStringList history{"Login/T2", "Report/T1"};
    history.removeAll(gone);
    QCOMPARE(f.db.rows("select qv_zr_component || '/' || qv_zr_tst_case_id from qv_zr_tst_history order by 1"), history);
}

void TestTestCases::sortColumnKeptAcrossRefills()
{
    Fixture f({"Alpha = 12 | First project"}, threeCases);
    f.add({"Alpha | Security | Login | UI | S1 | Zero attempts", "Alpha | Security | Login | UI | S2 | Three attempts"});
    frm_tst_case &w = f.load();
    clickHeader(w.LV_cases, 4); // "Test Case Description"
    clickHeader(w.LV_cases, 4); // again: no toggle
    QCOMPARE(listed(w), (QStringList{"Login/UI/T2", "Login/UI/T1", "Report/Backend/T1"}));
    type(w, {"Functional", "Zeta", "UI", "A0", "Cancel order", "Order gone"});
    press(w.cmd_save);
    QCOMPARE(listed(w), (QStringList{"Login/UI/T2", "Zeta/UI/A0", "Login/UI/T1", "Report/Backend/T1"}));
    QVERIFY(pick(w.cmb_tst_type, "Security"));
    QCOMPARE(listed(w), (QStringList{"Login/UI/S2", "Login/UI/S1"}));
}

QTEST_MAIN(TestTestCases)
#include "tst_testcases.moc"
