// Saving and deleting test cases: the checks in their order, which row is
// written or removed, and what the window shows afterwards.
#include "testcasewindow.h"

#include <QPushButton>

namespace {

const QString logged = QStringLiteral(
    "select qv_zr_pass || '/' || qv_zr_rslt_act || '/' || qv_zr_def_severity || '/' || qv_zr_def_cat || '/' "
    "|| qv_zr_dt_tst from qv_zr_tst_cases where qv_zr_component = ? and qv_zr_tst_case_id = ?");

void fillStandard(const TestCaseWindow &f)
{
    f.projects({"Alpha = 12 | First project", "Gamma = 1 | No cases yet"});
    f.cases({
        "Alpha | Functional | Login  | UI      | T1 | Login works   | Home page shown",
        "Alpha | Functional | Login  | UI      | T2 | Bad password  | Error shown",
        "Alpha | Functional | Report | Backend | T1 | Report prints | PDF made",
    });
}

void setKey(frm_tst_case &w, const QString &type, const QString &cmp, const QString &cmpType, const QString &id)
{
    w.cmb_tst_type->setText(type);
    w.cmb_cmp->setText(cmp);
    w.cmb_cmp_type->setText(cmpType);
    w.cmb_tst_id->setText(id);
}

void setTexts(frm_tst_case &w, const QString &desc, const QString &expected)
{
    w.txt_tst_case_desc->setText(desc);
    w.txt_rslt_exp->setText(expected);
}

// Pressing a button as the user does: the button takes the focus first.
void press(QPushButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}

} // namespace

class TestTestCaseSave : public QObject
{
    Q_OBJECT

private slots:
    void checksRunInOrder_data();
    void checksRunInOrder();
    void cutTextIsSavedBySecondPress();
    void existingKeyChangesOnlyTheTexts();
    void newKeyAddsRowMarkedFail();
    void firstCaseOfProjectIsListedAfterSave();
    void sameIdUnderTwoComponentsIsTwoRows();
    void deleteRemovesRowNamedBySelectors_data();
    void deleteRemovesRowNamedBySelectors();
    void sortColumnKeptAcrossSaveAndDelete();
    void quotedTextsSaveAndDeleteExactRows();
};

void TestTestCaseSave::checksRunInOrder_data()
{
    QTest::addColumn<bool>("withProject");
    QTest::addColumn<QStringList>("key"); // test type, component, component type, id
    QTest::addColumn<QString>("desc");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("message"); // empty: saved
    QTest::addColumn<QString>("focus");
    QTest::addColumn<QString>("textLeft"); // what the focused control holds afterwards

    const QString t50(50, 't');
    const QString c50(50, 'c');
    const QString k50(50, 'k');
    const QStringList ok{"Functional", "Login", "UI", "T9"};
    auto with = [&](int i, const QString &text) {
        QStringList key = ok;
        key[i] = text;
        return key;
    };

    QTest::newRow("everything blank") << false << QStringList{"", "", "", ""} << "" << ""
                                      << "Project Id is blank" << "cmb_prjid" << "";
    QTest::newRow("test type blanks only") << true << with(0, "   ") << "d" << "e"
                                           << "Test Type is blank" << "cmb_tst_type" << "   ";
    QTest::newRow("test type 51") << true << with(0, t50 + "X") << "d" << "e"
                                  << "Test Type can not have more than 50 characters" << "cmb_tst_type" << t50;
    QTest::newRow("test type checked before component") << true << QStringList{t50 + "X", "", "", ""} << "" << ""
                                                        << "Test Type can not have more than 50 characters"
                                                        << "cmb_tst_type" << t50;
    QTest::newRow("component blank") << true << with(1, "") << "d" << "e"
                                     << "Component Name is blank" << "cmb_cmp" << "";
    QTest::newRow("component 51") << true << with(1, c50 + "X") << "d" << "e"
                                  << "Component Name can not have more than 50 characters" << "cmb_cmp" << c50;
    QTest::newRow("component type blank") << true << with(2, " ") << "d" << "e"
                                          << "Component Type is blank" << "cmb_cmp_type" << " ";
    QTest::newRow("component type 51") << true << with(2, k50 + "X") << "d" << "e"
                                       << "Component Type can not have more than 50 characters" << "cmb_cmp_type"
                                       << k50;
    QTest::newRow("id blank") << true << with(3, "") << "d" << "e"
                              << "Test Case Id is blank" << "cmb_tst_id" << "";
    QTest::newRow("id 7") << true << with(3, "ABCDEFG") << "d" << "e"
                          << "Test case Id can not have more than 6 characters" << "cmb_tst_id" << "ABCDEF";
    QTest::newRow("id of 7 blanks counts its blanks") << true << with(3, " ABCDE ") << "d" << "e"
                                                      << "Test case Id can not have more than 6 characters"
                                                      << "cmb_tst_id" << " ABCDE";
    QTest::newRow("description blank") << true << ok << " \n " << "e"
                                       << "Test Case Description is blank" << "txt_tst_case_desc" << " \n ";
    QTest::newRow("expected result blank") << true << ok << "d" << ""
                                           << "Expected Result is blank" << "txt_rslt_exp" << "";
    QTest::newRow("limits exactly") << true << QStringList{t50, c50, k50, "ABCDEF"} << "d" << "e"
                                    << "" << "cmb_tst_id" << "ABCDEF";
    QTest::newRow("blanks kept as typed") << true << QStringList{" Load", "Core ", " Lib", " 9 "} << " d" << "e "
                                          << "" << "cmb_tst_id" << " 9 ";
}

void TestTestCaseSave::checksRunInOrder()
{
    QFETCH(bool, withProject);
    QFETCH(QStringList, key);
    QFETCH(QString, desc);
    QFETCH(QString, expected);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    QFETCH(QString, textLeft);

    TestCaseWindow f;
    if (withProject)
        fillStandard(f);
    frm_tst_case &w = f.load(true);
    setKey(w, key[0], key[1], key[2], key[3]);
    setTexts(w, desc, expected);
    const QStringList before = f.stored();

    press(w.cmd_save);

    auto *control = w.findChild<QWidget *>(focus);
    QVERIFY(control);
    const QString left = qobject_cast<DropDown *>(control) ? qobject_cast<DropDown *>(control)->text()
                                                           : qobject_cast<MultiLineTextBox *>(control)->text();
    QCOMPARE(left, textLeft);
    if (message.isEmpty()) {
        QVERIFY(f.services.messages->boxes.isEmpty());
        const QString row = QStringList{"Alpha", key[1], key[2], key[0], key[3], desc, expected, "Fail"}.join('/');
        QStringList after = QStringList(before) << row;
        after.sort();
        QCOMPARE(f.stored(), after);
        return;
    }
    QCOMPARE(f.services.messages->texts(), QStringList{message});
    QCOMPARE(f.services.messages->boxes.first().caption, Ui::appTitle());
    QVERIFY(!f.services.messages->boxes.first().question);
    QVERIFY2(hasFocusIn(control), qPrintable(QApplication::focusWidget()->objectName()));
    QCOMPARE(f.stored(), before);
}

void TestTestCaseSave::cutTextIsSavedBySecondPress()
{
    TestCaseWindow f;
    fillStandard(f);
    frm_tst_case &w = f.load(true);
    setKey(w, "Functional", "Login", "UI", "LONG-ID");
    setTexts(w, "New case", "Works");

    press(w.cmd_save);
    QCOMPARE(w.cmb_tst_id->text(), QStringLiteral("LONG-I"));
    QCOMPARE(f.db.count("qv_zr_tst_cases"), 3);

    press(w.cmd_save);
    QCOMPARE(f.services.messages->boxes.size(), 1);
    QVERIFY(f.stored().contains("Alpha/Login/UI/Functional/LONG-I/New case/Works/Fail"));
    QVERIFY(f.rowOf("Login", "LONG-I") >= 0);
}

void TestTestCaseSave::existingKeyChangesOnlyTheTexts()
{
    TestCaseWindow f;
    fillStandard(f);
    f.db.exec("update qv_zr_tst_cases set qv_zr_pass = 'Pass', qv_zr_rslt_act = 'as expected', "
              "qv_zr_def_severity = '', qv_zr_def_cat = '', qv_zr_dt_tst = '2024-05-01'");
    frm_tst_case &w = f.load(true);
    f.doubleClickRow(f.rowOf("Login", "T1"));
    QVERIFY(w.cmd_del->isEnabled());
    setTexts(w, "Login with a valid user", "Start page shown");

    press(w.cmd_save);

    QVERIFY(f.services.messages->boxes.isEmpty());
    QCOMPARE(f.stored(), (QStringList{
                             "Alpha/Login/UI/Functional/T1/Login with a valid user/Start page shown/Pass",
                             "Alpha/Login/UI/Functional/T2/Bad password/Error shown/Pass",
                             "Alpha/Report/Backend/Functional/T1/Report prints/PDF made/Pass",
                         }));
    QCOMPARE(f.db.value(logged, {"Login", "T1"}).toString(), QStringLiteral("Pass/as expected///2024-05-01"));
    QVERIFY(!w.cmd_del->isEnabled());
    const int row = f.rowOf("Login", "T1");
    QCOMPARE(w.LV_cases->cell(row, 4), QStringLiteral("Login with a valid user"));
    QCOMPARE(w.LV_cases->cell(row, 5), QStringLiteral("Start page shown"));
    QCOMPARE(w.txt_tst_case_desc->text(), QStringLiteral("Login with a valid user")); // texts stay
}

void TestTestCaseSave::newKeyAddsRowMarkedFail()
{
    TestCaseWindow f;
    fillStandard(f);
    frm_tst_case &w = f.load(true);
    f.doubleClickRow(f.rowOf("Login", "T2"));
    w.cmb_tst_id->setText("T3");
    setTexts(w, "Logout", "Login page shown");

    press(w.cmd_save);

    QCOMPARE(f.db.count("qv_zr_tst_cases"), 4);
    QVERIFY(f.stored().contains("Alpha/Login/UI/Functional/T3/Logout/Login page shown/Fail"));
    QVERIFY(f.stored().contains("Alpha/Login/UI/Functional/T2/Bad password/Error shown/Fail"));
    QCOMPARE(f.db.rows("select qv_zr_rslt_act, qv_zr_def_severity, qv_zr_def_cat, qv_zr_dt_tst from qv_zr_tst_cases "
                       "where qv_zr_tst_case_id = 'T3'"),
             QStringList{"<null>|<null>|<null>|<null>"});
    QCOMPARE(w.LV_cases->rowCount(), 4);
    QVERIFY(f.rowOf("Login", "T3") >= 0);
    QVERIFY(!w.cmd_del->isEnabled());
    // The id list is refilled by a project pick only.
    QCOMPARE(f.entries(w.cmb_tst_id), (QStringList{"T1", "T2"}));
    QVERIFY(f.pick(w.cmb_prjid, "Alpha"));
    QCOMPARE(f.entries(w.cmb_tst_id), (QStringList{"T1", "T2", "T3"}));
}

void TestTestCaseSave::firstCaseOfProjectIsListedAfterSave()
{
    TestCaseWindow f;
    fillStandard(f);
    frm_tst_case &w = f.load(true);
    QVERIFY(f.pick(w.cmb_prjid, "Gamma"));
    QCOMPARE(w.LV_cases->rowCount(), 0);
    setKey(w, "Smoke", "Core", "Lib", "G1");
    setTexts(w, "Starts", "Main window shown");

    press(w.cmd_save);

    QVERIFY(f.services.messages->boxes.isEmpty());
    QCOMPARE(f.listed(), QStringList{"Core/Lib/G1"});
    QVERIFY(f.stored().contains("Gamma/Core/Lib/Smoke/G1/Starts/Main window shown/Fail"));
    QVERIFY(!f.entries(w.cmb_tst_type).contains("Smoke")); // offered after the next load
}

void TestTestCaseSave::sameIdUnderTwoComponentsIsTwoRows()
{
    TestCaseWindow f;
    fillStandard(f);
    frm_tst_case &w = f.load(true);
    QVERIFY(f.rowOf("Login", "T1") >= 0);
    QVERIFY(f.rowOf("Report", "T1") >= 0);

    f.doubleClickRow(f.rowOf("Report", "T1"));
    setTexts(w, "Report prints twice", "Two pages");
    press(w.cmd_save);
    QCOMPARE(f.stored(), (QStringList{
                             "Alpha/Login/UI/Functional/T1/Login works/Home page shown/Fail",
                             "Alpha/Login/UI/Functional/T2/Bad password/Error shown/Fail",
                             "Alpha/Report/Backend/Functional/T1/Report prints twice/Two pages/Fail",
                         }));

    f.doubleClickRow(f.rowOf("Login", "T1"));
    press(w.cmd_del);
    QCOMPARE(f.stored(), (QStringList{
                             "Alpha/Login/UI/Functional/T2/Bad password/Error shown/Fail",
                             "Alpha/Report/Backend/Functional/T1/Report prints twice/Two pages/Fail",
                         }));
    QCOMPARE(f.rowOf("Login", "T1"), -1);
    QVERIFY(f.rowOf("Report", "T1") >= 0);
}

void TestTestCaseSave::deleteRemovesRowNamedBySelectors_data()
{
    QTest::addColumn<bool>("answerYes");
    QTest::addColumn<QStringList>("edited"); // component, component type, id after the double click
    QTest::addColumn<QString>("gone");       // "component/id" of the removed row, or empty

    QTest::newRow("yes") << true << QStringList{"Login", "UI", "T2"} << "Login/T2";
    QTest::newRow("no") << false << QStringList{"Login", "UI", "T2"} << "";
    QTest::newRow("id edited to none") << true << QStringList{"Login", "UI", "T9"} << "";
    QTest::newRow("component edited") << true << QStringList{"Report", "Backend", "T1"} << "Report/T1";
    QTest::newRow("type edited to none") << true << QStringList{"Login", "Backend", "T2"} << "";
}

void TestTestCaseSave::deleteRemovesRowNamedBySelectors()
{
    QFETCH(bool, answerYes);
    QFETCH(QStringList, edited);
    QFETCH(QString, gone);

    TestCaseWindow f;
    fillStandard(f);
    frm_tst_case &w = f.load(true);
    f.doubleClickRow(f.rowOf("Login", "T2"));
    w.cmb_cmp->setText(edited[0]);
    w.cmb_cmp_type->setText(edited[1]);
    w.cmb_tst_id->setText(edited[2]);
    f.cases({"Alpha | Functional | Other | UI | X1"}); // written elsewhere: the refreshed list shows it
    f.services.messages->answers = {answerYes};
    bool deleteOffWhileAsking = false;
    f.services.messages->onBox = [&](const RecordingMessages::Box &) { deleteOffWhileAsking = !w.cmd_del->isEnabled(); };

    press(w.cmd_del);

    QCOMPARE(f.services.messages->boxes.size(), 1);
    const RecordingMessages::Box box = f.services.messages->boxes.first();
    QCOMPARE(box.text, QStringLiteral("Do you wish to delete test case - ") + edited[2]);
    QVERIFY(box.question);
    QCOMPARE(box.caption, Ui::appTitle());
    QVERIFY(deleteOffWhileAsking);
    QVERIFY(!w.cmd_del->isEnabled());

    QStringList expected{"Login/T1", "Login/T2", "Other/X1", "Report/T1"};
    expected.removeAll(gone);
    QCOMPARE(f.db.rows("select qv_zr_component || '/' || qv_zr_tst_case_id from qv_zr_tst_cases order by 1"),
             expected);
    QCOMPARE(w.LV_cases->rowCount(), expected.size());
    QVERIFY(f.rowOf("Other", "X1") >= 0);
    // The selectors keep their texts; the id list still offers a deleted id.
    QCOMPARE(w.cmb_tst_id->text(), edited[2]);
    QCOMPARE(f.entries(w.cmb_tst_id), (QStringList{"T1", "T2"}));
}

void TestTestCaseSave::sortColumnKeptAcrossSaveAndDelete()
{
    TestCaseWindow f;
    fillStandard(f);
    frm_tst_case &w = f.load(true);
    f.clickHeader(4); // "Test Case Description"
    QCOMPARE(f.listed(), (QStringList{"Login/UI/T2", "Login/UI/T1", "Report/Backend/T1"}));

    setKey(w, "Functional", "Zeta", "UI", "A0");
    setTexts(w, "Cancel order", "Order gone");
    press(w.cmd_save);
    QCOMPARE(f.listed(), (QStringList{"Login/UI/T2", "Zeta/UI/A0", "Login/UI/T1", "Report/Backend/T1"}));

    f.doubleClickRow(f.rowOf("Login", "T1"));
    press(w.cmd_del);
    QCOMPARE(f.listed(), (QStringList{"Login/UI/T2", "Zeta/UI/A0", "Report/Backend/T1"}));
}

void TestTestCaseSave::quotedTextsSaveAndDeleteExactRows()
{
    TestCaseWindow f;
    f.projects({"O'Brien = 5 | Pat's project", "O = 1 | decoy"});
    f.cases({"O | it's | Bob's | UI'x | a'1 | decoy | decoy", "O'Brien | it's | Bob | UI'x | a'1 | other | other"});
    frm_tst_case &w = f.load(true);
    QVERIFY(f.pick(w.cmb_prjid, "O'Brien"));
    setKey(w, "it's", "Bob's", "UI'x", "a'1");
    setTexts(w, "Quote's case", "It's fine");

    press(w.cmd_save);
    setTexts(w, "Quote's case, changed", "Still fine");
    press(w.cmd_save);

    QVERIFY(f.services.messages->boxes.isEmpty());
    QCOMPARE(f.stored(), (QStringList{
                             "O'Brien/Bob's/UI'x/it's/a'1/Quote's case, changed/Still fine/Fail",
                             "O'Brien/Bob/UI'x/it's/a'1/other/other/Fail",
                             "O/Bob's/UI'x/it's/a'1/decoy/decoy/Fail",
                         }));
    QStringList listed = f.listed();
    listed.sort();
    QCOMPARE(listed, (QStringList{"Bob's/UI'x/a'1", "Bob/UI'x/a'1"}));

    f.doubleClickRow(f.rowOf("Bob's", "a'1"));
    press(w.cmd_del);
    QCOMPARE(f.services.messages->texts(), QStringList{"Do you wish to delete test case - a'1"});
    QCOMPARE(f.stored(), (QStringList{
                             "O'Brien/Bob/UI'x/it's/a'1/other/other/Fail",
                             "O/Bob's/UI'x/it's/a'1/decoy/decoy/Fail",
                         }));
}

QTEST_MAIN(TestTestCaseSave)
#include "tst_frm_tst_case_save.moc"
