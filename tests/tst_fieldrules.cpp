// Every field's rule on save, in every data window: the order of the checks,
// the message, the limit, whether the save cuts an over-long text, where the
// focus goes. Then one round trip of odd texts per window, and the report
// engine's handling of texts that look like its own placeholders or markup.
#include "frm_about.h"
#include "frm_backup.h"
#include "frm_companydetails.h"
#include "frm_projects.h"
#include "frm_reports.h"
#include "frm_tst_case.h"
#include "frm_tst_log.h"
#include "report.h"
#include "reportfixture.h"
#include "reportviewer.h"
#include "windowtest.h"

#include <QLabel>
#include <QTimer>

namespace {

struct Rule
{
    const char *window;
    const char *control;
    const char *column;  // where the save stores the text; empty: not stored
    int limit;           // in characters; 0: none
    bool boxCuts;        // the box itself keeps no more than the limit
    const char *blank;   // the message for a blank text; empty: a blank is stored
    const char *tooLong; // the message for a text over the limit; empty: none
    bool cuts;           // the refused text is cut to the limit
    const char *focus;   // where the focus goes on a refusal
};

// Each window's fields in the order its save checks them.
const QList<Rule> rules{
    {"projects", "txt_prjid", "qv_zr_prjid", 50, true, "Project Id is blank", "", false, "txt_prjid"},
    {"projects", "txt_desc", "qv_zr_prj_desc", 255, true, "Project Description is blank", "", false, "txt_desc"},
    {"projects", "cmb_prj_type", "qv_zr_prj_type", 50, false, "Project type is blank",
     "Project type can not have more than 50 characters", true, "cmb_prj_type"},
    {"projects", "cmb_units", "qv_zr_size_units", 50, false, "Project size Units is blank",
     "Project size Units can not have more than 50 characters is blank", true, "cmb_units"},
    {"projects", "txt_size", "qv_zr_prj_size", 8, true, "Project size is blank", "", false, "txt_size"},
    {"cases", "cmb_prjid", "qv_zr_prjid", 0, false, "Project Id is blank", "", false, "cmb_prjid"},
    {"cases", "cmb_tst_type", "qv_zr_tst_type", 50, false, "Test Type is blank",
     "Test Type can not have more than 50 characters", true, "cmb_tst_type"},
    {"cases", "cmb_cmp", "qv_zr_component", 50, false, "Component Name is blank",
     "Component Name can not have more than 50 characters", true, "cmb_cmp"},
    {"cases", "cmb_cmp_type", "qv_zr_component_type", 50, false, "Component Type is blank",
     "Component Type can not have more than 50 characters", true, "cmb_cmp_type"},
    {"cases", "cmb_tst_id", "qv_zr_tst_case_id", 6, false, "Test Case Id is blank",
     "Test case Id can not have more than 6 characters", true, "cmb_tst_id"},
    {"cases", "txt_tst_case_desc", "qv_zr_tst_case_desc", 255, true, "Test Case Description is blank", "", false,
     "txt_tst_case_desc"},
    {"cases", "txt_rslt_exp", "qv_zr_rslt_exp", 255, true, "Expected Result is blank", "", false, "txt_rslt_exp"},
    {"log", "cmb_prjid", "qv_zr_prjid", 0, false, "Project Id is blank", "", false, "cmb_prjid"},
    {"log", "cmb_tst_type", "qv_zr_tst_type", 50, false, "Test Type is blank",
     "Test Type can not have more than 50 characters", true, "cmb_tst_type"},
    {"log", "cmb_cmp", "qv_zr_component", 50, false, "Component Name is blank",
     "Component Name can not have more than 50 characters", true, "cmb_cmp"},
    {"log", "cmb_cmp_type", "qv_zr_component_type", 50, false, "Component Type is blank",
     "Component Type can not have more than 50 characters", true, "cmb_cmp_type"},
    // Cutting a picked id would name another stored case: it stays.
    {"log", "cmb_tst_id", "qv_zr_tst_case_id", 6, false, "Test Case Id is blank",
     "Test case Id can not have more than 6 characters", false, "cmb_tst_id"},
    // The texts belong to the picked id: the user picks another.
    {"log", "txt_tst_case_desc", "", 255, true, "Test Case Description is blank", "", false,
     "cmb_tst_id"},
    {"log", "txt_rslt_exp", "", 255, true, "Expected Result is blank", "", false, "cmb_tst_id"},
    {"log", "txt_rslt_act", "qv_zr_rslt_act", 0, false, "Actual Result is blank", "", false, "txt_rslt_act"},
    {"log", "cmb_pass", "qv_zr_pass", 0, false, "Pass/Fail is blank", "", false, "cmb_pass"},
    {"log", "cmb_severity", "qv_zr_def_severity", 0, false, "Defect Severity is blank", "", false, "cmb_severity"},
    {"log", "cmb_cat", "qv_zr_def_cat", 50, false, "Defect Category is blank",
     "Defect Category can not have more than 50 characters", true, "cmb_cat"},
    // Only the empty name is refused: blanks are the user's to keep.
    {"company", "txt_companyname", "fqv_jx_companyname", 50, true, "Company Name Can not be blank", "", false,
     "txt_companyname"},
    {"company", "RTB_Address", "fqv_jx_address", 0, false, "", "", false, ""},
    {"backup", "txt_destname", "", 0, false, "Select destination file", "", false, ""},
    {"backup", "txt_restore", "", 0, false, "Select restore file", "", false, ""},
};

const QStringList logKey{"Prj", "Functional", "Login", "UI", "T1"};

// One of the data windows on a database of its own, every field valid.
struct Form
{
    TempDatabase db;
    ServiceRecorders services;
    TestingClass con;
    std::unique_ptr<ChildWindow> w;
    QMap<QString, QString> valid;
    QString table;
    // key: the stored test case the test log window opens on.
    Form(const QString &window, const QStringList &key = logKey)
    {
        if (window == "projects") {
            w = std::make_unique<frm_projects>(con);
            valid = {{"txt_prjid", "P1"}, {"txt_desc", "Desc"}, {"cmb_prj_type", "Web"}, {"cmb_units", "LOC"},
                     {"txt_size", "10"}};
            table = "qv_zr_projects";
        } else if (window == "cases") {
            db.addProject("Alpha");
            w = std::make_unique<frm_tst_case>(con);
            valid = {{"cmb_prjid", "Alpha"}, {"cmb_tst_type", "Functional"}, {"cmb_cmp", "Login"},
                     {"cmb_cmp_type", "UI"}, {"cmb_tst_id", "T1"}, {"txt_tst_case_desc", "desc"},
                     {"txt_rslt_exp", "expected"}};
            table = "qv_zr_tst_cases";
        } else if (window == "log") {
            db.addProject(key[0]);
            db.addCase(key[0], key[1], key[2], key[3], key[4], "desc", "expected");
            w = std::make_unique<frm_tst_log>(con);
            valid = {{"cmb_prjid", key[0]}, {"cmb_tst_type", key[1]}, {"cmb_cmp", key[2]}, {"cmb_cmp_type", key[3]},
                     {"cmb_tst_id", key[4]}, {"txt_tst_case_desc", "desc"}, {"txt_rslt_exp", "expected"},
                     {"txt_rslt_act", "worked"}, {"cmb_pass", "Fail"}, {"cmb_severity", "Critical"},
                     {"cmb_cat", "Crash"}};
            table = "qv_zr_tst_cases";
        } else if (window == "company") {
            db.setCompany("Old name", "Old address");
            w = std::make_unique<Frm_CompanyDetails>(con);
            valid = {{"txt_companyname", "Acme"}, {"RTB_Address", "1 Road"}};
            table = "Tqvjx_companydetails";
        } else {
            w = std::make_unique<frm_backup>(con);
            valid = {{"txt_destname", db.folder() + "/saved.mdb"}, {"txt_restore", db.folder() + "/saved.mdb"}};
            table = "qv_zr_projects";
        }
        w->Form_Load();
        w->resize(1200, 800);
        if (!showActive(w.get()))
            qWarning("the window did not become active");
        for (auto it = valid.cbegin(); it != valid.cend(); ++it)
            setTextOf(control(it.key()), it.value());
    }
    QWidget *control(const QString &name) const { return w->findChild<QWidget *>(name); }
    QStringList messages() const { return services.messages->texts(); }
    // Every field valid but the given texts; pressed with the focus already on
    // the button, so that no box is left on the way.
    void save(const Rule &rule, const QMap<QString, QString> &texts)
    {
        const char *name = rule.control == QByteArray("txt_restore")      ? "cmd_restore"
                           : rule.control == QByteArray("txt_destname")   ? "cmd_backup"
                           : qobject_cast<Frm_CompanyDetails *>(w.get()) ? "cmd_csave"
                                                                         : "cmd_save";
        auto *button = w->findChild<QPushButton *>(name);
        for (auto it = valid.cbegin(); it != valid.cend(); ++it)
            setTextOf(control(it.key()), it.value());
        button->setFocus();
        for (auto it = texts.cbegin(); it != texts.cend(); ++it)
            setTextOf(control(it.key()), it.value());
        services.messages->boxes.clear();
        press(button);
    }
    // A blank text as the user can enter it: a list is left without a pick.
    QString blank(const Rule &rule) const
    {
        auto *box = qobject_cast<DropDown *>(control(rule.control));
        const bool empty = rule.control == QByteArray("txt_companyname") || (box && box->kind() == DropDown::Kind::PickOnly);
        return empty ? "" : "  ";
    }
    QStringList stored() const { return db.rows("select * from " + table); }
    // How many rows hold text in the rule's column (the test log: with a result logged).
    int rowsWith(const Rule &rule, const QString &text) const
    {
        const QString logged = table == "qv_zr_tst_cases" && valid.contains("txt_rslt_act")
                                   ? " and qv_zr_rslt_act is not null" : "";
        return db.value(QStringLiteral("select count(*) from %1 where %2 = ?%3").arg(table, rule.column, logged),
                        {text}).toInt();
    }
};

// n characters ending in last, an emoji counted as one.
QString ofLength(int n, const QString &last)
{
    return QString(n - int(last.toUcs4().size()), QLatin1Char('1')) + last;
}

std::unique_ptr<Frm_Reports> generate(TestingClass &con, const QString &project, const QString &kind)
{
    auto w = std::make_unique<Frm_Reports>(con);
    w->resize(1000, 700);
    w->Form_Load();
    if (!w->cmb_prjid->selectEqualEntry(project) || !w->TypeofReport->selectEqualEntry(kind))
        return nullptr;
    w->Command4->click();
    return w;
}

} // namespace

class TestFieldRules : public QObject
{
    Q_OBJECT

private slots:
    void eachFieldsRuleOnSave_data();
    void eachFieldsRuleOnSave();
    void projectTextsAreStoredAndShownAsTyped();
    void testCaseTextsFindTheirRowEverywhere();
    void loggedTextsAreStoredOnTheirRowOnly();
    void companyTextsShowAsTyped();
    void reportShowsPlaceholdersAndMarkupAsTyped_data();
    void reportShowsPlaceholdersAndMarkupAsTyped();
};

void TestFieldRules::eachFieldsRuleOnSave_data()
{
    QTest::addColumn<int>("at");
    for (int i = 0; i < rules.size(); ++i)
        QTest::addRow("%s %s", rules[i].window, rules[i].control) << i;
}

void TestFieldRules::eachFieldsRuleOnSave()
{
    QFETCH(int, at);
    const Rule &rule = rules[at];
    QList<Rule> later;
    for (int i = at + 1; i < rules.size() && rules[i].window == QByteArray(rule.window); ++i)
        later << rules[i];
    // A text over the limit ends in an emoji that must stay whole; the size box takes digits.
    const QString last = rule.control == QByteArray("txt_size") ? "9" : "🐞";
    const QString cut = ofLength(rule.limit, last);
    QStringList key = logKey;
    const int keyAt = QStringList{"cmb_prjid", "cmb_tst_type", "cmb_cmp", "cmb_cmp_type"}.indexOf(rule.control);
    if (rule.window == QByteArray("log") && keyAt > 0)
        key[keyAt] = cut; // the cut text names the stored case
    Form f(rule.window, key);
    QWidget *control = f.control(rule.control);
    QVERIFY(control);
    const QStringList before = f.stored();
    // Every field checked later blank too: this field's message must come first.
    QMap<QString, QString> texts{{rule.control, f.blank(rule)}};
    for (const Rule &r : later)
        texts[r.control] = f.blank(r);
    f.save(rule, texts);
    if (*rule.blank) {
        QCOMPARE(f.messages(), QStringList{rule.blank});
        QCOMPARE(f.services.messages->boxes.first().caption,
                 rule.window == QByteArray("backup") ? QString("information") : Ui::appTitle());
        QVERIFY(!*rule.focus || hasFocusIn(f.control(rule.focus)));
        QCOMPARE(textOf(control), f.blank(rule));
        QCOMPARE(f.stored(), before);
        if (auto *backup = qobject_cast<frm_backup *>(f.w.get()))
            QVERIFY(!backup->Timer->isActive());
    } else {
        QCOMPARE(f.messages(), QStringList());
        QCOMPARE(f.rowsWith(rule, f.blank(rule)), 1);
    }
    if (rule.window == QByteArray("backup") || (!rule.limit && qobject_cast<DropDown *>(control)))
        return; // a list's own texts, or a key that names no stored case
    // One character over the limit; a text without limit is stored whole, however long.
    const QString over = rule.limit ? ofLength(rule.limit + 1, last + "y") : ofLength(300, last);
    setTextOf(control, over);
    if (rule.boxCuts) {
        QCOMPARE(textOf(control), cut);
        if (!*rule.column)
            return; // texts the window shows and does not store
    } else if (*rule.tooLong) {
        texts[rule.control] = over;
        f.save(rule, texts);
        QCOMPARE(f.messages(), QStringList{rule.tooLong});
        QVERIFY(hasFocusIn(f.control(rule.focus)));
        QCOMPARE(textOf(control), rule.cuts ? cut : over);
        QCOMPARE(f.stored(), before);
        if (!rule.cuts)
            return;
    }
    f.save(rule, {{rule.control, textOf(control)}});
    QCOMPARE(f.messages(), QStringList());
    QCOMPARE(f.rowsWith(rule, rule.limit ? cut : over), 1);
}

void TestFieldRules::projectTextsAreStoredAndShownAsTyped()
{
    WindowOn<frm_projects> t;
    frm_projects &w = t.load();
    const QStringList typed{"x'); drop table qv_zr_projects; --", "Проверка 测试\nO'Brien's \"x\" \\ 50%_",
                            "{value}{count} <b>b</b>", "12.5", "🐞✅  pad  "};
    w.txt_prjid->setText(typed[0]);
    w.txt_desc->setText(typed[1]);
    w.cmb_prj_type->setText(typed[2]);
    w.txt_size->setText(typed[3]);
    w.cmb_units->setText(typed[4]);
    press(w.cmd_save);
    QCOMPARE(t.messages(), QStringList());
    const QString all = "select qv_zr_prjid, qv_zr_prj_desc, qv_zr_prj_type, qv_zr_prj_size, qv_zr_size_units "
                        "from qv_zr_projects";
    QCOMPARE(t.db.rows(all), QStringList{typed.join('|')});
    QCOMPARE(w.LV_prjs->rowCells(0).mid(1), typed);
    // The same id again finds its row.
    w.txt_prjid->setText(typed[0]);
    w.txt_desc->setText(typed[1]);
    w.txt_size->setText("11");
    press(w.cmd_save);
    QCOMPARE(t.db.rows("select qv_zr_prjid, qv_zr_prj_size from qv_zr_projects"), QStringList{typed[0] + "|11"});

}

void TestFieldRules::testCaseTextsFindTheirRowEverywhere()
{
    WindowOn<frm_tst_case> t;
    copyReportDefinitions(t.db.folder());
    const QString project = "Prj ' \" \\ % _ 🐞";
    t.db.addProject(project, "Odd project");
    frm_tst_case &w = t.load();
    // Test type, component, component type, id, description, expected result.
    const QStringList key{"{value}{count} <b>b</b>", "O'Brien's \"x\" \\ 50%_", "Проверка 测试", "a'1🐞",
                          "x'); drop table qv_zr_tst_cases; --", "🐞✅\n  pad  "};
    w.cmb_tst_type->setText(key[0]);
    w.cmb_cmp->setText(key[1]);
    w.cmb_cmp_type->setText(key[2]);
    w.cmb_tst_id->setText(key[3]);
    w.txt_tst_case_desc->setText(key[4]);
    w.txt_rslt_exp->setText(key[5]);
    press(w.cmd_save);
    press(w.cmd_save); // the same key again changes the row it added
    QCOMPARE(t.messages(), QStringList());
    const QString all = "select qv_zr_tst_type, qv_zr_component, qv_zr_component_type, qv_zr_tst_case_id, "
                        "qv_zr_tst_case_desc, qv_zr_rslt_exp from qv_zr_tst_cases";
    QCOMPARE(t.db.rows(all), QStringList{key.join('|')});
    QCOMPARE(t.db.rows("select qv_zr_prjid, qv_zr_pass from qv_zr_tst_cases"), QStringList{project + "|Fail"});
    // Opened again, the window's cascade finds it by its texts.
    frm_tst_case &again = t.load();
    QCOMPARE((QStringList{again.cmb_tst_type->text(), again.cmb_cmp->text(), again.cmb_cmp_type->text(),
                          again.cmb_tst_id->text(), again.txt_tst_case_desc->text(), again.txt_rslt_exp->text()}),
             key);
    const auto reports = generate(t.con, project, "Test Plan");
    QVERIFY(reports && reports->RptView->reportLayout());
    const ReportLayout &layout = *reports->RptView->reportLayout();
    QVERIFY(reportShows(layout, "Test Type: " + key[0]));
    QVERIFY(reportShows(layout, "Component: " + key[1]));
    QVERIFY(reportShows(layout, key[0] + "|1|100.0 %"));
    for (int i = 2; i < key.size(); ++i)
        QVERIFY2(reportShows(layout, key[i]), qPrintable(key[i]));
}

void TestFieldRules::loggedTextsAreStoredOnTheirRowOnly()
{
    WindowOn<frm_tst_log> t;
    copyReportDefinitions(t.db.folder());
    const QStringList key{"Prj ' \" \\ % _ 🐞", "{value}{count}", "O'Brien's", "Проверка", "a'1🐞"};
    t.db.addProject(key[0]);
    t.db.addCase(key[0], key[1], key[2], key[3], key[4], "desc", "expected");
    frm_tst_log &w = t.load();
    QCOMPARE((QStringList{w.cmb_prjid->text(), w.cmb_tst_type->text(), w.cmb_cmp->text(), w.cmb_cmp_type->text(),
                          w.cmb_tst_id->text()}),
             key);
    // Rows that differ from it in one text only must never be written.
    for (int i = 0; i < key.size(); ++i) {
        QStringList near = key;
        near[i] += "x";
        t.db.addCase(near[0], near[1], near[2], near[3], near[4]);
    }
    const QString actual = "x'); drop table qv_zr_tst_cases; --\n测试 🐞";
    const QString category = "<b>{count}</b> 'quoted'";
    w.txt_rslt_act->setText(actual);
    w.cmb_cat->setText(category);
    press(w.cmd_save);
    QCOMPARE(t.messages(), QStringList());
    QCOMPARE(t.db.rows("select qv_zr_prjid, qv_zr_tst_type, qv_zr_component, qv_zr_component_type, "
                       "qv_zr_tst_case_id, qv_zr_rslt_act, qv_zr_def_cat from qv_zr_tst_cases "
                       "where qv_zr_rslt_act is not null"),
             QStringList{(key + QStringList{actual, category}).join('|')});
    const int row = rowOf(w.LV_cases, {{1, key[2]}, {3, key[4]}});
    QCOMPARE(w.LV_cases->rowCells(row).mid(6, 4), (QStringList{actual, "Fail", "Critical", category}));
    // Opened again, a double click brings the texts back.
    frm_tst_log &again = t.load();
    again.txt_rslt_act->setText("other");
    again.LV_cases->selectRow(rowOf(again.LV_cases, {{1, key[2]}, {3, key[4]}}));
    again.LV_cases_DblClick();
    QCOMPARE(again.txt_rslt_act->text(), actual);
    QCOMPARE(again.cmb_cat->text(), category);
    const auto reports = generate(t.con, key[0], "Test Log - Failed Cases");
    QVERIFY(reports && reports->RptView->reportLayout());
    for (const QString &text : {actual, category, key[2]})
        QVERIFY2(reportShows(*reports->RptView->reportLayout(), text), qPrintable(text));
}

void TestFieldRules::companyTextsShowAsTyped()
{
    WindowOn<Frm_CompanyDetails> t;
    Frm_CompanyDetails &w = t.load();
    const QString name = "O'Brien's \"x\" \\ 50%_ 🐞";
    const QString address = "Проверка 测试\n{value}{count} <b>b</b>\n  x'); --";
    w.txt_companyname->setText(name);
    w.RTB_Address->setText(address);
    press(w.cmd_csave);
    QCOMPARE(t.messages(), QStringList());
    QCOMPARE(t.db.rows("select * from Tqvjx_companydetails"), QStringList{name + "|" + address});
    Frm_CompanyDetails &again = t.load();
    QCOMPARE(again.txt_companyname->text() + "|" + again.RTB_Address->text(), name + "|" + address);
    Frm_About about(t.con);
    about.Form_Load();
    QCOMPARE(about.Label4->text(), name + ",  " + address);
}

void TestFieldRules::reportShowsPlaceholdersAndMarkupAsTyped_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("placeholders") << "{value}{count}";
    QTest::newRow("a placeholder's name") << "{count";
    QTest::newRow("markup") << "<b>bold</b> &amp; <i>";
    QTest::newRow("numbered arguments") << "%1 %2 100%";
    QTest::newRow("empty") << "";
}

// Group texts, the heading, captions and cells show the values as typed; the
// placeholders are filled once, in the definition's text only.
void TestFieldRules::reportShowsPlaceholdersAndMarkupAsTyped()
{
    QFETCH(QString, text);
    const ReportDefinition def = ReportDefinition::parse(R"(<report title="T">
        <parameters><parameter name="company" show="heading"/><parameter name="p" caption="Project"/></parameters>
        <query params="p">select a, b from t where p = ?</query>
        <columns><column header="B" field="b" width="200"/></columns>
        <groups><group field="a" header="Type {value}" footer="{count} of {value}"/></groups>
      </report>)", "odd.rpt");
    ReportContent content;
    content.fields = QStringList{"a", "b"};
    // The rows as a read would hold them: every text once, rows as numbers of texts.
    auto rows = std::make_shared<ReportRows::Data>();
    rows->width = 2;
    rows->repeats = {false, false};
    for (const QString &cell : {text, text, text, QString("second")}) {
        rows->cells.push_back(quint32(rows->texts.size()));
        rows->texts.append(cell);
    }
    content.rows = ReportRows(rows);
    const ReportLayout layout = layoutReport(def, content, {text, text}, QDate(2024, 1, 2));
    const QString shown = text.isEmpty() ? "(blank)" : text;
    QCOMPARE(layout.heading, text);
    QCOMPARE(layout.captionLines, QStringList{"Project: " + text});
    QCOMPARE(itemLines(layout, PageItem::Kind::GroupHeader), QStringList{"Type " + shown});
    QCOMPARE(itemLines(layout, PageItem::Kind::GroupFooter), QStringList{"2 of " + shown});
    QCOMPARE(layout.rowCells.at(0).at(0).join(QString()), text);
}

QTEST_MAIN(TestFieldRules)
#include "tst_fieldrules.moc"
