// Odd texts in every field of the test case window: each is refused with the
// window's message, cut to its limit, or stored exactly as typed; the stored
// test case is found again by its odd key texts here, in the test log window
// and in the test plan, and Delete removes that row and no other.
#include "badinput.h"
#include "frm_tst_log.h"
#include "recordlist.h"
#include "testcasewindow.h"

namespace {

// A project id that breaks any query built by splicing texts.
const QString project = QStringLiteral("Prj ' \" \\ % _ 🐞");

struct Field
{
    FieldRule rule;
    const char *column;
    int listColumn; // 0: not in the list
};

const QList<Field> fields{
    {{"cmb_tst_type", 50, false, "Test Type is blank", "Test Type can not have more than 50 characters"},
     "qv_zr_tst_type", 0},
    {{"cmb_cmp", 50, false, "Component Name is blank", "Component Name can not have more than 50 characters"},
     "qv_zr_component", 1},
    {{"cmb_cmp_type", 50, false, "Component Type is blank", "Component Type can not have more than 50 characters"},
     "qv_zr_component_type", 2},
    {{"cmb_tst_id", 6, false, "Test Case Id is blank", "Test case Id can not have more than 6 characters"},
     "qv_zr_tst_case_id", 3},
    {{"txt_tst_case_desc", 255, true, "Test Case Description is blank", {}}, "qv_zr_tst_case_desc", 4},
    {{"txt_rslt_exp", 255, true, "Expected Result is blank", {}}, "qv_zr_rslt_exp", 5},
};

// The texts of a test case, in the order the tests compare them.
const QStringList caseColumns{"qv_zr_tst_type",   "qv_zr_component",     "qv_zr_component_type",
                              "qv_zr_tst_case_id", "qv_zr_tst_case_desc", "qv_zr_rslt_exp"};
const QString keySql = "select " + caseColumns.join(", ") + " from qv_zr_tst_cases";

} // namespace

class TestBadInputTestCases : public QObject
{
    Q_OBJECT

private slots:
    void everyFieldTakesOrRefusesOddTexts_data();
    void everyFieldTakesOrRefusesOddTexts();
};

void TestBadInputTestCases::everyFieldTakesOrRefusesOddTexts_data()
{
    addFieldRows(fields);
}

void TestBadInputTestCases::everyFieldTakesOrRefusesOddTexts()
{
    QFETCH(int, field);
    QFETCH(QString, text);
    const Field &f = fields[field];

    TestCaseWindow t;
    copyReportDefinitions(t.db.folder());
    t.db.addProject(project, "Odd project");
    frm_tst_case &w = t.load(true);
    QCOMPARE(w.cmb_prjid->text(), project);

    w.cmb_tst_type->setText("Functional");
    w.cmb_cmp->setText("Login");
    w.cmb_cmp_type->setText("UI");
    w.cmb_tst_id->setText("T1");
    w.txt_tst_case_desc->setText("desc");
    w.txt_rslt_exp->setText("expected");
    auto *control = w.findChild<QWidget *>(f.rule.control);
    QVERIFY(control);
    setTextOf(control, text);
    const QString entered = f.rule.boxCuts ? firstChars(text, f.rule.limit) : text;
    QCOMPARE(textOf(control), entered);

    std::optional<QString> saved;
    saveByRule(
        f.rule, control, entered, *t.services.messages, [&] { press(w.cmd_save); },
        [&] { return t.db.count("qv_zr_tst_cases"); }, saved);
    if (QTest::currentTestFailed() || !saved)
        return;

    QCOMPARE(t.db.rows(QStringLiteral("select %1 from qv_zr_tst_cases").arg(f.column)), QStringList{*saved});
    QCOMPARE(t.db.rows("select qv_zr_prjid, qv_zr_pass from qv_zr_tst_cases"), QStringList{project + "|Fail"});
    QCOMPARE(w.LV_cases->rowCount(), 1);
    if (f.listColumn)
        QCOMPARE(w.LV_cases->cell(0, f.listColumn), *saved);
    const QStringList key = t.db.rows(keySql).first().split('|');

    // A second save finds the row by its texts and changes it in place.
    w.txt_rslt_exp->setText("changed");
    press(w.cmd_save);
    QCOMPARE(t.services.messages->texts(), QStringList{});
    QCOMPARE(t.db.rows("select qv_zr_rslt_exp from qv_zr_tst_cases"), QStringList{"changed"});
    w.txt_rslt_exp->setText(key[5]);
    press(w.cmd_save);

    // Opened again, the window's cascade finds the test case by its texts.
    frm_tst_case &again = t.load(true);
    const QStringList shown{again.cmb_tst_type->text(), again.cmb_cmp->text(), again.cmb_cmp_type->text(),
                            again.cmb_tst_id->text(), again.txt_tst_case_desc->text(), again.txt_rslt_exp->text()};
    QCOMPARE(shown, key);

    // So does the test log window.
    frm_tst_log log(t.con);
    log.Form_Load();
    const QStringList logged{log.cmb_tst_type->text(), log.cmb_cmp->text(), log.cmb_cmp_type->text(),
                             log.cmb_tst_id->text(), log.txt_tst_case_desc->text(), log.txt_rslt_exp->text()};
    QCOMPARE(logged, key);
    QCOMPARE(log.LV_cases->rowCount(), 1);
    QCOMPARE(log.LV_cases->rowCells(0).mid(1, 5), key.mid(1));

    // The test plan shows every text of the test case.
    {
        const auto reports = generateReport(t.con, project, "Test Plan");
        QVERIFY2(reports, "the report window does not list the project");
        const ReportContent &content = reports->currentReport()->content();
        QCOMPARE(content.rows.size(), 1);
        const ReportLayout &layout = *reports->RptView->reportLayout();
        QVERIFY(reportShows(layout, "Test Type: " + key[0]));
        QVERIFY(reportShows(layout, "Component: " + key[1]));
        QVERIFY(reportShows(layout, "Test cases of type " + key[0] + ": 1"));
        for (int i = 0; i < key.size(); ++i)
            QCOMPARE(content.rows[0].at(fieldPosition(content.fields, caseColumns[i])),
                     key[i]);
        for (int i = 2; i < key.size(); ++i)
            QVERIFY2(reportShows(layout, key[i]), qPrintable(key[i]));
    }

    // Delete takes this row and leaves one that differs only in the id.
    t.db.addCase(project, key[0], key[1], key[2], "other", "kept", "kept");
    pick(again.cmb_tst_type, key[0]);
    const int row = rowOf(again, key[1], key[3]);
    QVERIFY(row >= 0);
    doubleClickRow(again, row);
    QVERIFY(again.cmd_del->isEnabled());
    press(again.cmd_del);
    QCOMPARE(t.services.messages->texts().last(), "Do you wish to delete test case - " + key[3]);
    QCOMPARE(t.db.rows("select qv_zr_tst_case_id from qv_zr_tst_cases"), QStringList{"other"});
}

QTEST_MAIN(TestBadInputTestCases)
#include "tst_badinput_testcases.moc"
