// How each data window shows a save's refusal (the rules themselves are the
// core's): the message, the focus, what the box holds, and the limits its
// boxes keep. Then one round trip of odd texts per window, and the report
// engine's handling of texts that look like its own placeholders or markup.
#include "frm_about.h"
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

namespace {

const QStringList logKey{"Prj", "Functional", "Login", "UI", "T1"};

// "#N" is N characters ending in an emoji, which a cut must keep whole; "#N+" one more.
QString expand(const QString &text)
{
    if (!text.startsWith('#'))
        return text;
    const bool over = text.endsWith('+');
    return QString(text.mid(1, text.size() - (over ? 2 : 1)).toInt() - 1, 'x') + "🐞" + (over ? "y" : "");
}

// One of the data windows on a database of its own, every field valid.
struct Form
{
    TempDatabase db;
    ServiceRecorders services;
    TestingClass con;
    std::unique_ptr<ChildWindow> w;
    QMap<QString, QString> valid;
    explicit Form(const QString &window)
    {
        if (window == "projects") {
            w = std::make_unique<frm_projects>(con);
            valid = {{"txt_prjid", "P1"}, {"txt_desc", "Desc"}, {"cmb_prj_type", "Web"}, {"cmb_units", "LOC"},
                     {"txt_size", "10"}};
        } else if (window == "cases") {
            db.addProject("Alpha");
            w = std::make_unique<frm_tst_case>(con);
            valid = {{"cmb_prjid", "Alpha"}, {"cmb_tst_type", "Functional"}, {"cmb_cmp", "Login"},
                     {"cmb_cmp_type", "UI"}, {"cmb_tst_id", "T1"}, {"txt_tst_case_desc", "desc"},
                     {"txt_rslt_exp", "expected"}};
        } else if (window == "log") {
            db.addProject(logKey[0]);
            db.addCase(logKey[0], logKey[1], logKey[2], logKey[3], logKey[4], "desc", "expected");
            w = std::make_unique<frm_tst_log>(con);
            valid = {{"txt_rslt_act", "worked"}, {"cmb_pass", "Fail"}, {"cmb_severity", "Critical"},
                     {"cmb_cat", "Crash"}};
        } else {
            db.setCompany("Old name", "Old address");
            w = std::make_unique<Frm_CompanyDetails>(con);
            valid = {{"txt_companyname", "Acme"}, {"RTB_Address", "1 Road"}};
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
    // Save pressed with the focus already on the button, so that no box is left on the way.
    void save()
    {
        auto *button = w->findChild<QPushButton *>(qobject_cast<Frm_CompanyDetails *>(w.get()) ? "cmd_csave" : "cmd_save");
        button->setFocus();
        services.messages->boxes.clear();
        press(button);
    }
};

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
    void windowShowsTheRefusalAndItsBoxesHoldTheLimits_data();
    void windowShowsTheRefusalAndItsBoxesHoldTheLimits();
    void projectTextsAreStoredAndShownAsTyped();
    void testCaseTextsFindTheirRowEverywhere();
    void loggedTextsAreStoredOnTheirRowOnly();
    void companyTextsShowAsTyped();
    void reportShowsPlaceholdersAndMarkupAsTyped_data();
    void reportShowsPlaceholdersAndMarkupAsTyped();
};

void TestFieldRules::windowShowsTheRefusalAndItsBoxesHoldTheLimits_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message"); // empty: the box itself keeps no more than the limit
    QTest::addColumn<QString>("focus");
    QTest::addColumn<QString>("kept");   // what the control holds afterwards
    QTest::addColumn<QString>("stored"); // "table.column" the next press stores the kept text in
    const auto refusal = [](const char *window, const char *control, const QString &typed, const QString &message,
                            const char *focus, const QString &kept, const QString &stored = {}) {
        QTest::addRow("%s: %s", window, qPrintable(message)) << window << control << typed << message << focus << kept << stored;
    };
    const auto box = [](const char *window, const char *control, const QString &typed, const QString &kept) {
        QTest::addRow("%s %s", window, control) << window << control << typed << "" << "" << kept << "";
    };
    refusal("projects", "cmb_prj_type", "#50+", "Project type can not have more than 50 characters", "cmb_prj_type",
            "#50", "qv_zr_projects.qv_zr_prj_type");
    refusal("cases", "cmb_tst_id", "#6+", "Test case Id can not have more than 6 characters", "cmb_tst_id", "#6",
            "qv_zr_tst_cases.qv_zr_tst_case_id");
    // The texts belong to the picked id: the user picks another.
    refusal("log", "txt_tst_case_desc", " ", "Test Case Description is blank", "cmb_tst_id", " ");
    // Cutting a picked id would name another stored case: it stays.
    refusal("log", "cmb_tst_id", "#6+", "Test case Id can not have more than 6 characters", "cmb_tst_id", "#6+");
    refusal("log", "cmb_cat", "#50+", "Defect Category can not have more than 50 characters", "cmb_cat", "#50",
            "qv_zr_tst_cases.qv_zr_def_cat");
    refusal("log", "cmb_build", "#50+", "Build can not have more than 50 characters", "cmb_build", "#50",
            "qv_zr_tst_history.qv_zr_build");
    // Only the empty name is refused: blanks are the user's to keep.
    refusal("company", "txt_companyname", "", "Company Name Can not be blank", "txt_companyname", "");
    box("projects", "txt_prjid", "#50+", "#50");
    box("projects", "txt_desc", "#255+", "#255");
    box("projects", "txt_size", "123456789", "12345678");
    box("cases", "txt_tst_case_desc", "#255+", "#255");
    box("cases", "txt_rslt_exp", "#255+", "#255");
    box("company", "txt_companyname", "#50+", "#50");
}

void TestFieldRules::windowShowsTheRefusalAndItsBoxesHoldTheLimits()
{
    QFETCH(QString, window);
    QFETCH(QString, control);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    QFETCH(QString, kept);
    QFETCH(QString, stored);
    Form f(window);
    QWidget *box = f.control(control);
    QVERIFY(box);
    setTextOf(box, expand(typed));
    if (message.isEmpty()) {
        QCOMPARE(textOf(box), expand(kept));
        return;
    }
    const auto all = [&f] {
        QStringList rows;
        for (const char *table : {"qv_zr_projects", "qv_zr_tst_cases", "qv_zr_tst_history", "Tqvjx_companydetails"})
            rows << f.db.rows(QString("select * from ") + table);
        return rows;
    };
    const QStringList before = all();
    f.save();
    QCOMPARE(f.messages(), QStringList{message});
    QCOMPARE(f.services.messages->boxes.first().caption, Ui::appTitle());
    QVERIFY(hasFocusIn(f.control(focus)));
    QCOMPARE(textOf(box), expand(kept));
    QCOMPARE(all(), before);
    if (stored.isEmpty())
        return;
    f.save();
    QCOMPARE(f.messages(), QStringList());
    const QStringList at = stored.split('.');
    QCOMPARE(f.db.value(QString("select count(*) from %1 where %2 = ?").arg(at[0], at[1]), {expand(kept)}).toInt(), 1);
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
