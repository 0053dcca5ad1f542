// Saving and deleting test cases: the checks in their order, which row is
// written or removed, and what the list shows afterwards.
#include "testcasewindow.h"

namespace {

void fillStandard(const TestCaseWindow &f)
{
    f.projects({"Alpha = 12 | First project"});
    f.cases({
        "Alpha | Functional | Login  | UI      | T1 | Login works   | Home page shown",
        "Alpha | Functional | Login  | UI      | T2 | Bad password  | Error shown",
        "Alpha | Functional | Report | Backend | T1 | Report prints | PDF made",
    });
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

} // namespace

class TestTestCaseSave : public QObject
{
    Q_OBJECT

private slots:
    void checksRunInOrder_data();
    void checksRunInOrder();
    void existingKeyChangesTextsNewKeyAddsFail();
    void sameIdUnderTwoComponentsIsTwoRows();
    void deleteRemovesRowNamedBySelectors_data();
    void deleteRemovesRowNamedBySelectors();
    void sortColumnKeptAcrossRefills();
    void quotedTextsSelectSaveAndDeleteExactRows();
};

void TestTestCaseSave::checksRunInOrder_data()
{
    QTest::addColumn<QStringList>("typed"); // no project in the database when the first is empty
    QTest::addColumn<QString>("message");   // empty: saved
    QTest::addColumn<QString>("focus");
    QTest::addColumn<QString>("textLeft");

    const QString x50(50, 'x');
    const QStringList ok{"Functional", "Login", "UI", "T9", "d", "e"};
    auto with = [&](int i, const QString &text) {
        QStringList t = ok;
        t[i] = text;
        return t;
    };
    QTest::newRow("all blank") << QStringList{"", "", "", "", "", ""} << "Project Id is blank" << "cmb_prjid" << "";
    QTest::newRow("type blanks") << with(0, "  ") << "Test Type is blank" << "cmb_tst_type" << "  ";
    QTest::newRow("type 51") << with(0, x50 + "!") << "Test Type can not have more than 50 characters"
                             << "cmb_tst_type" << x50;
    QTest::newRow("type before component") << QStringList{x50 + "!", "", "", "", "", ""}
                                           << "Test Type can not have more than 50 characters" << "cmb_tst_type" << x50;
    QTest::newRow("component blank") << with(1, "") << "Component Name is blank" << "cmb_cmp" << "";
    QTest::newRow("component 51") << with(1, x50 + "!") << "Component Name can not have more than 50 characters"
                                  << "cmb_cmp" << x50;
    QTest::newRow("component type blank") << with(2, " ") << "Component Type is blank" << "cmb_cmp_type" << " ";
    QTest::newRow("component type 51") << with(2, x50 + "!") << "Component Type can not have more than 50 characters"
                                       << "cmb_cmp_type" << x50;
    QTest::newRow("id blank") << with(3, "") << "Test Case Id is blank" << "cmb_tst_id" << "";
    QTest::newRow("id 7, blanks count") << with(3, " ABCDE ") << "Test case Id can not have more than 6 characters"
                                        << "cmb_tst_id" << " ABCDE";
    QTest::newRow("description blank") << with(4, " \n ") << "Test Case Description is blank"
                                       << "txt_tst_case_desc" << " \n ";
    QTest::newRow("expected blank") << with(5, "") << "Expected Result is blank" << "txt_rslt_exp" << "";
    QTest::newRow("limits exactly") << QStringList{x50, x50, x50, "ABCDEF", "d", "e"} << "" << "cmb_tst_id" << "ABCDEF";
    QTest::newRow("blanks kept") << QStringList{" Load", "Core ", " Lib", " 9 ", " d", "e "} << "" << "cmb_tst_id"
                                 << " 9 ";
}

void TestTestCaseSave::checksRunInOrder()
{
    QFETCH(QStringList, typed);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    QFETCH(QString, textLeft);
    TestCaseWindow f;
    if (!typed[0].isEmpty())
        fillStandard(f);
    frm_tst_case &w = f.load(true);
    type(w, typed);
    QStringList expected = f.stored();

    press(w.cmd_save);

    auto *control = w.findChild<QWidget *>(focus);
    auto *box = qobject_cast<DropDown *>(control);
    QCOMPARE(box ? box->text() : qobject_cast<MultiLineTextBox *>(control)->text(), textLeft);
    if (message.isEmpty()) {
        expected << QStringList{"Alpha", typed[1], typed[2], typed[0], typed[3], typed[4], typed[5], "Fail"}.join('/');
        expected.sort();
    } else {
        QVERIFY(hasFocusIn(control));
    }
    QCOMPARE(f.services.messages->texts(), message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(f.stored(), expected);
}

void TestTestCaseSave::existingKeyChangesTextsNewKeyAddsFail()
{
    TestCaseWindow f;
    fillStandard(f);
    f.db.exec("update qv_zr_tst_cases set qv_zr_pass = 'Pass', qv_zr_rslt_act = 'as expected', "
              "qv_zr_def_severity = '', qv_zr_def_cat = '', qv_zr_dt_tst = '2024-05-01'");
    const QString logged = "select qv_zr_pass, qv_zr_rslt_act, qv_zr_def_severity, qv_zr_def_cat, qv_zr_dt_tst "
                           "from qv_zr_tst_cases where qv_zr_tst_case_id = ?";
    frm_tst_case &w = f.load(true);

    doubleClickRow(w, rowOf(w, "Login", "T1"));
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

void TestTestCaseSave::sameIdUnderTwoComponentsIsTwoRows()
{
    TestCaseWindow f;
    fillStandard(f);
    frm_tst_case &w = f.load(true);

    doubleClickRow(w, rowOf(w, "Report", "T1"));
    w.txt_tst_case_desc->setText("Report prints twice");
    press(w.cmd_save);
    doubleClickRow(w, rowOf(w, "Login", "T1"));
    press(w.cmd_del);

    QCOMPARE(f.stored(), (QStringList{
                             "Alpha/Login/UI/Functional/T2/Bad password/Error shown/Fail",
                             "Alpha/Report/Backend/Functional/T1/Report prints twice/PDF made/Fail",
                         }));
    QCOMPARE(listed(w).size(), 2);
    QVERIFY(rowOf(w, "Report", "T1") >= 0);
}

void TestTestCaseSave::deleteRemovesRowNamedBySelectors_data()
{
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QStringList>("edited"); // component, component type, id after the double click
    QTest::addColumn<QString>("gone");

    QTest::newRow("yes") << true << QStringList{"Login", "UI", "T2"} << "Login/T2";
    QTest::newRow("no") << false << QStringList{"Login", "UI", "T2"} << "";
    QTest::newRow("id edited to none") << true << QStringList{"Login", "UI", "T9"} << "";
    QTest::newRow("component edited") << true << QStringList{"Report", "Backend", "T1"} << "Report/T1";
}

void TestTestCaseSave::deleteRemovesRowNamedBySelectors()
{
    QFETCH(bool, yes);
    QFETCH(QStringList, edited);
    QFETCH(QString, gone);
    TestCaseWindow f;
    fillStandard(f);
    frm_tst_case &w = f.load(true);
    doubleClickRow(w, rowOf(w, "Login", "T2"));
    type(w, QStringList{"Functional"} + edited + QStringList{"d", "e"});
    f.cases({"Alpha | Functional | Other | UI | X1"}); // written elsewhere: the refreshed list shows it
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

    QCOMPARE(f.services.messages->texts(), QStringList{"Do you wish to delete test case - " + edited[2]});
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

void TestTestCaseSave::sortColumnKeptAcrossRefills()
{
    TestCaseWindow f;
    fillStandard(f);
    f.cases({"Alpha | Security | Login | UI | S1 | Zero attempts", "Alpha | Security | Login | UI | S2 | Three attempts"});
    frm_tst_case &w = f.load(true);
    clickHeader(w, 4); // "Test Case Description"
    clickHeader(w, 4); // again: no toggle
    QCOMPARE(listed(w), (QStringList{"Login/UI/T2", "Login/UI/T1", "Report/Backend/T1"}));

    type(w, {"Functional", "Zeta", "UI", "A0", "Cancel order", "Order gone"});
    press(w.cmd_save);
    QCOMPARE(listed(w), (QStringList{"Login/UI/T2", "Zeta/UI/A0", "Login/UI/T1", "Report/Backend/T1"}));
    QVERIFY(pick(w.cmb_tst_type, "Security"));
    QCOMPARE(listed(w), (QStringList{"Login/UI/S2", "Login/UI/S1"}));
}

void TestTestCaseSave::quotedTextsSelectSaveAndDeleteExactRows()
{
    TestCaseWindow f;
    f.projects({"O'Brien = 5 | Pat's project", "O = 1 | decoy"});
    f.cases({"O | it's | Bob's | UI'x | a'1 | decoy", "O'Brien | it's | Bob | UI'x | a'1 | other"});
    frm_tst_case &w = f.load(true);
    QVERIFY(pick(w.cmb_prjid, "O'Brien"));
    QCOMPARE(w.txt_desc->text(), QStringLiteral("Pat's project"));
    QCOMPARE(w.txt_tst_case_desc->text(), QStringLiteral("other"));

    type(w, {"it's", "Bob's", "UI'x", "a'1", "Quote's case", "It's fine"});
    press(w.cmd_save);
    press(w.cmd_save); // the same key again changes the row it just added
    QCOMPARE(listed(w).size(), 2);
    QVERIFY(pick(w.cmb_prjid, "O'Brien"));
    QVERIFY(pick(w.cmb_cmp, "Bob's"));
    QVERIFY(pick(w.cmb_tst_id, "a'1"));
    QCOMPARE(w.txt_tst_case_desc->text(), QStringLiteral("Quote's case"));

    doubleClickRow(w, rowOf(w, "Bob's", "a'1"));
    press(w.cmd_del);
    QCOMPARE(f.services.messages->texts(), QStringList{"Do you wish to delete test case - a'1"});
    QCOMPARE(f.stored(), (QStringList{"O'Brien/Bob/UI'x/it's/a'1/other/text of a'1/Fail",
                                      "O/Bob's/UI'x/it's/a'1/decoy/text of a'1/Fail"}));
}

QTEST_MAIN(TestTestCaseSave)
#include "tst_frm_tst_case_save.moc"
