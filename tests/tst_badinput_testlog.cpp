// Odd texts in the test log window: typed results and categories are refused
// with the window's message, cut to their limit, or stored exactly as typed;
// test cases with odd key texts are picked and logged, and only their row
// changes; the logged texts show in the list and in the test log reports.
#include "badinput.h"
#include "frm_tst_log.h"
#include "recordlist.h"
#include "tempdatabase.h"
#include "testingclass.h"

#include <QDateEdit>

namespace {

const QString project = QStringLiteral("Prj ' \" \\ % _ 🐞");

enum class Kind { Typed, Key };

struct Field
{
    FieldRule rule;
    Kind kind;
    const char *column;
    int listColumn; // 0: not in the list
};

// The results list: S No, component, component type, id, description, expected,
// actual, pass, severity, category, date.
const QList<Field> fields{
    {{"txt_rslt_act", 255, false, "Actual Result is blank", {}}, Kind::Typed, "qv_zr_rslt_act", 6},
    {{"cmb_cat", 50, false, "Defect Category is blank", "Defect Category can not have more than 50 characters"},
     Kind::Typed, "qv_zr_def_cat", 9},
    {{"cmb_prjid", 50, false, "Project Id is blank", {}}, Kind::Key, "qv_zr_prjid", 0},
    {{"cmb_tst_type", 50, false, "Test Type is blank", "Test Type can not have more than 50 characters"}, Kind::Key,
     "qv_zr_tst_type", 0},
    {{"cmb_cmp", 50, false, "Component Name is blank", "Component Name can not have more than 50 characters"},
     Kind::Key, "qv_zr_component", 1},
    {{"cmb_cmp_type", 50, false, "Component Type is blank", "Component Type can not have more than 50 characters"},
     Kind::Key, "qv_zr_component_type", 2},
    {{"cmb_tst_id", 6, false, "Test Case Id is blank", "Test case Id can not have more than 6 characters"}, Kind::Key,
     "qv_zr_tst_case_id", 3},
};

bool storable(const FieldRule &rule, const QString &text)
{
    return !isBlank(text) && charCount(text) <= rule.limit;
}

// The list row of the test case named by the key texts, or -1.
int rowOf(const frm_tst_log &w, const QStringList &key)
{
    for (int r = 0; r < w.LV_cases->rowCount(); ++r)
        if (w.LV_cases->cell(r, 1) == key[2] && w.LV_cases->cell(r, 2) == key[3] && w.LV_cases->cell(r, 3) == key[4])
            return r;
    return -1;
}

} // namespace

class TestBadInputTestLog : public QObject
{
    Q_OBJECT

private slots:
    void everyFieldTakesOrRefusesOddTexts_data();
    void everyFieldTakesOrRefusesOddTexts();
};

void TestBadInputTestLog::everyFieldTakesOrRefusesOddTexts_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    for (int f = 0; f < fields.size(); ++f) {
        const Field &field = fields[f];
        const bool pickOnly = field.rule.control == QByteArray("cmb_prjid") || field.rule.control == QByteArray("cmb_tst_id");
        for (const OddText &odd : oddTexts(field.rule.limit)) {
            // A pick-only list offers stored texts only, and those the other windows refuse never get there.
            if (pickOnly && !storable(field.rule, odd.text))
                continue;
            QTest::addRow("%s: %s", field.rule.control, odd.name) << f << odd.text;
        }
    }
}

void TestBadInputTestLog::everyFieldTakesOrRefusesOddTexts()
{
    QFETCH(int, field);
    QFETCH(QString, text);
    const Field &f = fields[field];

    TempDatabase db;
    copyReportDefinitions(db.folder());
    ServiceRecorders services;
    TestingClass con;

    // The test case under test carries the odd text as its key text when it can.
    const bool oddKey = f.kind == Kind::Key && storable(f.rule, text);
    QStringList key{project, "Functional", "Login", "UI", "T1"};
    if (oddKey)
        key[field - 2] = text;
    db.addProject(key[0]);
    db.addCase(key[0], key[1], key[2], key[3], key[4], "desc", "expected");

    auto w = std::make_unique<frm_tst_log>(con);
    w->Form_Load();
    w->resize(1200, 800);
    QVERIFY(showActive(w.get()));
    const QStringList selected{w->cmb_prjid->text(), w->cmb_tst_type->text(), w->cmb_cmp->text(),
                               w->cmb_cmp_type->text(), w->cmb_tst_id->text()};
    QCOMPARE(selected, key);
    QCOMPARE(w->txt_tst_case_desc->text(), "desc");

    // Rows that differ from it in one text only must never be written.
    for (int i = 0; i < key.size(); ++i) {
        QStringList near = key;
        near[i] = i == 4 ? "T2" : key[i] + "x";
        db.addCase(near[0], near[1], near[2], near[3], near[4]);
    }

    w->txt_rslt_act->setText("worked");
    w->cmb_cat->setText("Crash");
    auto *control = w->findChild<QWidget *>(f.rule.control);
    QVERIFY(control);
    if (!oddKey)
        setTextOf(control, text);
    const QString entered = textOf(control);
    QCOMPARE(entered, text);

    // A typed key text that names no stored test case writes nothing, and says so.
    const bool namesNoCase = f.kind == Kind::Key && !oddKey;
    const QStringList noMatch{"No stored test case matches the project, test type, component, component type and "
                              "test case id shown; nothing was saved."};
    std::optional<QString> saved;
    saveByRule(
        f.rule, control, entered, *services.messages, [&] { w->cmd_save_Click(); },
        [&] { return db.value("select count(qv_zr_rslt_act) from qv_zr_tst_cases").toInt(); }, saved,
        namesNoCase ? noMatch : QStringList{});
    if (QTest::currentTestFailed() || !saved)
        return;

    if (namesNoCase) {
        QCOMPARE(db.value("select count(qv_zr_rslt_act) from qv_zr_tst_cases").toInt(), 0);
        return;
    }
    QCOMPARE(db.value("select count(qv_zr_rslt_act) from qv_zr_tst_cases").toInt(), 1);
    const QString actual = f.rule.control == QByteArray("txt_rslt_act") ? *saved : "worked";
    const QString category = f.rule.control == QByteArray("cmb_cat") ? *saved : "Crash";
    QCOMPARE(db.rows("select qv_zr_rslt_act, qv_zr_def_cat, qv_zr_pass from qv_zr_tst_cases "
                     "where qv_zr_rslt_act is not null"),
             QStringList{actual + "|" + category + "|Fail"});
    const QStringList written =
        db.rows("select qv_zr_prjid, qv_zr_tst_type, qv_zr_component, qv_zr_component_type, qv_zr_tst_case_id "
                "from qv_zr_tst_cases where qv_zr_rslt_act is not null");
    QCOMPARE(written, QStringList{key.join('|')});

    // The list shows the result; opened again, a double click brings it back.
    int row = rowOf(*w, key);
    QVERIFY(row >= 0);
    QCOMPARE(w->LV_cases->cell(row, 6), actual);
    QCOMPARE(w->LV_cases->cell(row, 9), category);

    w = std::make_unique<frm_tst_log>(con);
    w->Form_Load();
    w->resize(1200, 800);
    QVERIFY(showActive(w.get()));
    w->txt_rslt_act->setText("other");
    w->cmb_cat->setText("other");
    row = rowOf(*w, key);
    QVERIFY(row >= 0);
    w->LV_cases->selectRow(row);
    w->LV_cases_DblClick();
    QCOMPARE(w->txt_rslt_act->text(), actual);
    QCOMPARE(w->cmb_cat->text(), category);

    // The full and the failed test log show the result and the category.
    for (const char *kind : {"Test Log", "Test Log - Failed Cases"}) {
        const auto reports = generateReport(con, key[0], kind);
        QVERIFY2(reports, "the report window does not list the project");
        const ReportContent &content = reports->currentReport()->content();
        const int act = fieldPosition(content.fields, "qv_zr_rslt_act");
        const int cat = fieldPosition(content.fields, "qv_zr_def_cat");
        bool found = false;
        for (const QStringList &r : content.rows)
            found = found || (r.at(act) == actual && r.at(cat) == category);
        QVERIFY2(found, kind);
        const ReportLayout &layout = *reports->RptView->reportLayout();
        QVERIFY(reportShows(layout, actual));
        QVERIFY(reportShows(layout, category));
        QVERIFY(reportShows(layout, key[2]));
    }
}

QTEST_MAIN(TestBadInputTestLog)
#include "tst_badinput_testlog.moc"
