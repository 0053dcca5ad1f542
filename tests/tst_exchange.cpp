#include "casesexport.h"
#include "casesimport.h"
#include "connection.h"
#include "databasefile.h"
#include "dberror.h"
#include "errorof.h"
#include "exchangeerror.h"
#include "frm_backup.h"
#include "frm_export_cases.h"
#include "frm_import_cases.h"
#include "frm_import_results.h"
#include "frm_reports.h"
#include "reportfixture.h"
#include "reportviewer.h"
#include "resultsimport.h"
#include "windowtest.h"
#include "workbookcells.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLayout>
#include <unistd.h>

namespace {

// Whether the layout, or one inside it, holds the widget.
bool holds(const QLayout *layout, const QWidget *widget)
{
    for (int i = 0; layout && i < layout->count(); ++i) {
        if (layout->itemAt(i)->widget() == widget || holds(layout->itemAt(i)->layout(), widget))
            return true;
    }
    return false;
}

CsvTable csv(const QByteArray &bytes)
{
    return CsvReader().parse(bytes, QStringLiteral("cases.csv"));
}

// A date as a workbook stores it: days since 1899-12-30.
QString serial(const QDate &date)
{
    return QString::number(QDate(1899, 12, 30).daysTo(date));
}

const QString kCaseRows = QStringLiteral("select qv_zr_tst_type, qv_zr_component, qv_zr_component_type, "
                                         "qv_zr_tst_case_id, qv_zr_tst_case_desc, qv_zr_rslt_exp, qv_zr_pass "
                                         "from qv_zr_tst_cases where qv_zr_prjid=? order by rowid");

} // namespace

class TestExchange : public QObject
{
    Q_OBJECT

private slots:
    // CSV
    void matchesColumns_data();
    void matchesColumns();
    void previewsAndImportsByTheSaveRules();
    void importIsAllOrNothing_data();
    void importIsAllOrNothing();
    void exportThenImportGivesTheSameCases();
    // JUnit XML
    void importsJUnitFixtures_data();
    void importsJUnitFixtures();
    void refusesBadResultOptions();
    // The windows: file, preview, import and the closing message
    void windowsPreviewImportAndExport();
    // Every file written where the user says: exports, reports and backups
    void reportWorkbookHoldsTheRowsTyped();
    void noWriteReplacesTheDatabase_data();
    void noWriteReplacesTheDatabase();
};

void TestExchange::matchesColumns_data()
{
    QTest::addColumn<QString>("header");
    QTest::addColumn<QString>("chosenDescription");
    QTest::addColumn<QString>("expected"); // positions of type, component, component type, id, description, expected
    QTest::newRow("synonyms, any order and case")
        << "summary,EXPECTED,id,Component Type,component,TYPE,Pass/Fail" << "" << "5 4 3 2 0 1";
    QTest::newRow("export names") << caseExportHeader().join(u',') << "" << "0 1 2 3 4 5";
    QTest::newRow("chosen column") << "Test Type,Component,Component_Type,Case ID,Notes,Title,Expected Outcome"
                                   << "notes" << "0 1 2 3 4 6";
    QTest::newRow("missing") << "Type,Component,Component Type,ID,Summary" << ""
                             << "cases.csv, line 1: the header has no column for Expected Result (a header such as "
                                "\"Expected Result\", \"Expected\"";
    QTest::newRow("missing chosen") << "Type,Component,Component Type,ID,Summary,Expected" << "Notes"
                                    << "cases.csv, line 1: the header has no column for Description (no column "
                                       "\"Notes\")";
    QTest::newRow("two candidates") << "Type,Test Type,Component,Component Type,ID,Summary,Expected" << ""
                                    << "cases.csv, line 1: the columns \"Type\" and \"Test Type\" could both";
}

void TestExchange::matchesColumns()
{
    QFETCH(QString, header);
    QFETCH(QString, chosenDescription);
    QFETCH(QString, expected);
    QHash<CaseField, QString> chosen;
    if (!chosenDescription.isEmpty())
        chosen.insert(CaseField::Description, chosenDescription);
    QString found;
    const QString message = errorOf([&] {
        const CaseColumns columns = matchCaseColumns(header.split(u','), chosen, "cases.csv");
        for (const int position : columns.position)
            found += QString::number(position) + u' ';
    });
    QVERIFY2((found.trimmed() + message).startsWith(expected), qPrintable(found + message));
}

void TestExchange::previewsAndImportsByTheSaveRules()
{
    TempDatabase db;
    db.addProject("P1");
    db.addCase("P1", "Unit", "Core", "Mod", "TC1");
    db.exec("update qv_zr_tst_cases set qv_zr_pass='Pass', qv_zr_rslt_act='ok'");
    const QString c51(51, u'c');
    const QList<QPair<QString, QString>> rows{
        // the row, after "Unit,Core,Mod,"; what the preview says
        {"TC1,new d,new e", "update"},
        {"TC2,'d,'@e", "new"}, // an apostrophe is dropped only before what an export escapes
        {"tc1,d,e", "new"},
        {"TC1 ,d,e", "new"},
        {"TC2,d2,e2", "error: the same test case as line 3"},
        // The test case window's words.
        {"TC1234X,d,e", "error: Test case Id can not have more than 6 characters"}};
    QByteArray file("Type,Component,Component Type,ID,Description,Expected\n");
    for (const auto &row : rows)
        file += "Unit,Core,Mod," + row.first.toUtf8() + '\n';
    file += " ," + c51.toUtf8() + ",Mod,TC7,d,e\n";
    Connection cn;
    cn.open(db.path());
    const CsvTable table = csv(file);
    const CasesPreview preview = previewCases(cn, "P1", table, matchCaseColumns(table.header));
    QCOMPARE(preview.rows.size(), rows.size() + 1);
    for (int r = 0; r < rows.size(); ++r) {
        const CaseRow &row = preview.rows.at(r);
        const QStringList said{"new", "update", "error: " + row.reason};
        QCOMPARE(said.at(int(row.action)), rows.at(r).second);
        QCOMPARE(row.line, qint64(r + 2));
    }
    QCOMPARE(preview.rows.last().reason, "Test Type is blank; Component Name can not have more than 50 characters");

    const CasesImportCounts counts = importCases(cn, preview);
    QCOMPARE(QList<int>({counts.added, counts.updated, counts.leftOut}), QList<int>({3, 1, 3}));
    const QStringList stored = db.rows(kCaseRows, {"P1"});
    QCOMPARE(stored.first(), "Unit|Core|Mod|TC1|new d|new e|Pass"); // the result stays
    QCOMPARE(stored.at(1), "Unit|Core|Mod|TC2|'d|@e|Fail");
    QCOMPARE(stored.at(2), "Unit|Core|Mod|tc1|d|e|Fail");
    QCOMPARE(db.value("select qv_zr_rslt_act from qv_zr_tst_cases where qv_zr_tst_case_id='TC1'").toString(), "ok");
    QCOMPARE(errorOf([&] { previewCases(cn, "P9", table, matchCaseColumns(table.header)); }),
             "Project P9 is not stored; test cases are taken in for a stored project only.");
}

void TestExchange::importIsAllOrNothing_data()
{
    QTest::addColumn<QString>("change"); // by another connection, between the preview and Import
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("previewAfter"); // the actions, then the counts
    const QString refuse = "create trigger refuse before %1 on qv_zr_tst_cases when new.qv_zr_tst_case_id='%2' "
                           "begin select raise(abort, 'refused'); end";
    const QString unchanged = "new,update,new,new|3 new, 1 to update, 0 left out";
    QTest::newRow("insert of the 3rd row refused") << refuse.arg("insert", "C3") << "refused" << unchanged;
    QTest::newRow("an update refused") << refuse.arg("update", "C2") << "refused" << unchanged;
    QTest::newRow("project deleted") << "delete from qv_zr_projects"
                                     << "Project P1 was deleted after the preview; nothing was imported."
                                     << "|Project P1 is not stored; test cases are taken in for a stored project only.";
    QTest::newRow("case to update deleted")
        << "delete from qv_zr_tst_cases where qv_zr_tst_case_id='C2'"
        << "The test case to update on line 3 (Unit, Core, Mod, C2) was deleted after the preview; nothing was "
           "imported."
        << "new,new,new,new|4 new, 0 to update, 0 left out";
}

void TestExchange::importIsAllOrNothing()
{
    QFETCH(QString, change);
    QFETCH(QString, message);
    QFETCH(QString, previewAfter);
    TempDatabase db;
    ServiceRecorders rec;
    db.addProject("P1");
    db.addCase("P1", "Unit", "Core", "Mod", "C2", "old d", "old e");
    QTemporaryDir dir;
    rec.files->answers = {writeFile(dir, "cases.csv",
                                    "Type,Component,Component Type,ID,Description,Expected\nUnit,Core,Mod,C1,d,e\n"
                                    "Unit,Core,Mod,C2,new d,e\nUnit,Core,Mod,C3,d,e\nUnit,Core,Mod,C4,d,e\n")};
    TestingClass con;
    frm_import_cases w(con);
    w.Form_Load();
    w.cmd_browse->click();
    db.exec(change);
    const QStringList before = db.rows(kCaseRows, {"P1"});
    w.cmd_import->click();
    QCOMPARE(db.rows(kCaseRows, {"P1"}), before);
    QCOMPARE(rec.messages->boxes.size(), 1);
    QVERIFY2(rec.messages->texts().first().contains(message), qPrintable(rec.messages->texts().first()));
    QCOMPARE(column(w.LV_preview, 1).join(u',') + u'|' + w.lbl_counts->text(), previewAfter);
}

void TestExchange::exportThenImportGivesTheSameCases()
{
    TempDatabase db;
    db.addProject("P1");
    db.addProject("P2");
    const QList<QStringList> cases{{"Unit", "Core", "Mod", "A1", "plain", "plain"},
                                   {"Unit", "Core,x", "M;od", "A\"2", "line 1\r\nline \"2\"\n",
                                    QString::fromUtf8("\xE2\x82\xAC \xF0\x9F\x98\x80")},
                                   {"Web", " lead", "tab\there", "A3 ", "=1+2", "\"quoted\""},
                                   // What a spreadsheet would run or trim shows as text, and comes back as it was.
                                   {"Web", "-Core", "@Mod", "+A4", "=cmd|' /C calc'!A0", "-2+3"},
                                   {"Web", "\rCore", "\tMod", "'=A5", "'quoted", "''twice"}};
    for (const QStringList &c : cases)
        db.addCase("P1", c[0], c[1], c[2], c[3], c[4], c[5]);
    db.exec(
        "update qv_zr_tst_cases set qv_zr_pass='Fail', qv_zr_rslt_act='x,y', qv_zr_dt_tst='2024-01-02' where rowid=1");
    Connection cn;
    cn.open(db.path());
    QTemporaryDir dir;
    const QString path = dir.filePath("out.csv");
    exportCasesFile(cn, "P1", path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray raw = file.readAll();
    QVERIFY(raw.contains("\nWeb,'-Core,'@Mod,'+A4,'=cmd|' /C calc'!A0,'-2+3,"));
    QVERIFY(raw.contains("\nWeb,\"'\rCore\",'\tMod,''=A5,''quoted,'''twice,"));
    const CsvTable table = CsvReader().readFile(path);
    QCOMPARE(table.header, caseExportHeader());
    QCOMPARE(table.rows.at(0).mid(6), QStringList({"Fail", "x,y", "", "", "2024-01-02"}));
    const CasesImportCounts counts = importCases(cn, previewCases(cn, "P2", table, matchCaseColumns(table.header)));
    QCOMPARE(counts.added, int(cases.size()));
    const auto sorted = [&](const QString &project) {
        QStringList rows = db.rows(kCaseRows, {project});
        rows.sort();
        return rows;
    };
    QCOMPARE(sorted("P2"), sorted("P1"));
}

void TestExchange::importsJUnitFixtures_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("counts"); // passed failed skipped unmatched ambiguous
    QTest::addColumn<QStringList>("history");
    QTest::newRow("pytest") << "pytest.xml"
                            << "2 2 1 1 1"
                            << QStringList{
                                   "TC001|Pass|Passed|2026-12-07||",
                                   "TC002|Fail|AssertionError: session stays open|2026-12-07|Major|Automated test",
                                   "TC004|Fail|failed on setup with \"RuntimeError: database not "
                                   "reachable\"|2026-12-07|Major|Automated test",
                                   "TC005|Pass|Passed|2026-12-07||"};
    QTest::newRow("surefire")
        << "TEST-com.example.LoginTests.xml"
        << "1 2 1 0 0"
        << QStringList{
               "TC020|Pass|Passed|today||",
               "TC021|Fail|Welcome page expected expected:<[welcome]> but was:<[error]>|today|Major|Automated test",
               "TC022|Fail|session store closed|today|Major|Automated test"};
    QTest::newRow("ctest") << "ctest.xml"
                           << "1 1 0 0 0"
                           << QStringList{"TC010|Pass|Passed|2026-12-07||",
                                          "TC011|Fail|Failed|2026-12-07|Major|Automated test"};
    QTest::newRow("nested") << "nested.xml"
                            << "3 2 1 2 1"
                            << QStringList{"TC001|Pass|Passed|2024-03-05||",
                                           "TC002|Fail|ReportError: no rows|2024-03-06|Major|Automated test",
                                           "TC003|Fail|paper jam on tray 1|2024-03-06|Major|Automated test",
                                           "TC004|Pass|Passed|2024-03-06||", "TC-06|Pass|Passed|2024-03-06||"};
}

void TestExchange::importsJUnitFixtures()
{
    TempDatabase db;
    for (const char *id :
         {"TC001", "TC002", "TC003", "TC004", "TC005", "TC-06", "TC010", "TC011", "TC020", "TC021", "TC022", "TC023"})
        db.addCase("P1", "Auto", "Core", "Mod", id);
    db.addCase("P1", "Manual", "Core", "Mod", "TC005"); // another test type is not looked at
    QFETCH(QString, file);
    QFETCH(QString, counts);
    QFETCH(QStringList, history);
    Connection cn;
    cn.open(db.path());
    const QList<JUnitCase> tests = readJUnitFile(QFINDTESTDATA("fixtures/junit/" + file));
    const ResultsImportCounts c = importResults(cn, {"P1", "Auto"}, tests);
    QCOMPARE(
        QStringLiteral("%1 %2 %3 %4 %5").arg(c.passed).arg(c.failed).arg(c.skipped).arg(c.unmatched).arg(c.ambiguous),
        counts);
    history.replaceInStrings("today", QDate::currentDate().toString(Qt::ISODate));
    const QString columns = "qv_zr_pass, qv_zr_rslt_act, qv_zr_dt_tst, qv_zr_def_severity, qv_zr_def_cat";
    QCOMPARE(db.rows("select qv_zr_tst_case_id, " + columns + " from qv_zr_tst_history order by rowid"), history);
    // The case rows hold the same results, the last of each.
    QCOMPARE(db.rows("select " + columns + " from qv_zr_tst_cases where qv_zr_dt_tst is not null order by rowid"),
             history.replaceInStrings(QRegularExpression("^[^|]*\\|"), ""));
    QVERIFY(QDateTime::fromString(db.value("select max(qv_zr_saved_at) from qv_zr_tst_history").toString(), Qt::ISODate)
                .isValid());
    // Taken in again, no result is logged twice.
    QCOMPARE(importResults(cn, {"P1", "Auto"}, tests).alreadyLogged, c.passed + c.failed);
    QCOMPARE(db.count("qv_zr_tst_history"), history.size());
}

void TestExchange::refusesBadResultOptions()
{
    TempDatabase db;
    db.addCase("P1", "Auto", "Core", "Mod", "TC1");
    Connection cn;
    cn.open(db.path());
    const QList<JUnitCase> tests{{"test_TC1", {}, TestOutcome::Failed, "boom", {}, 1}};
    const QList<QPair<ResultsOptions, QString>> bad{
        {{"P1", "Auto", "Huge"}, "Defect Severity must be Critical, Major or Minor"},
        {{"P1", "Auto", "Minor", QString(51, u'c')}, "Defect Category can not have more than 50 characters"},
        {{"P1", " "}, "Test Type is blank"},
        {{"P1", "Auto", "Minor", "c", false, QString(51, u'b')}, "Build can not have more than 50 characters"}};
    for (const auto &[options, message] : bad)
        QCOMPARE(errorOf([&] { importResults(cn, options, tests); }), message);
    db.exec("create trigger refuse before insert on qv_zr_tst_history begin select raise(abort, 'refused'); end");
    QVERIFY_THROWS_EXCEPTION(DbError, importResults(cn, {"P1", "Auto"}, tests));
    QCOMPARE(db.rows("select qv_zr_pass, qv_zr_rslt_act from qv_zr_tst_cases"), QStringList{"Fail|<null>"});
}

void TestExchange::windowsPreviewImportAndExport()
{
    TempDatabase db;
    ServiceRecorders rec;
    db.addProject("P");
    db.addCase("P", "Unit", "Login", "UI", "T1", "old", "old");
    db.addCase("P", "Unit", "Login", "UI", "T2");
    QTemporaryDir dir;
    const QString csv = dir.filePath("cases.csv");
    {
        QFile f(csv);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("ID;Summary;Expected;Type;Component;Component Type\n"
                "T1;new text;new exp;Unit;Login;UI\n"
                "T3;added;exp;Unit;Login;UI\n"
                "T4567890;too long an id;exp;Unit;Login;UI\n");
    }
    TestingClass con;
    {
        frm_import_cases w(con);
        w.Form_Load();
        // The file comes through the Browse button, which stands in the window.
        QVERIFY(holds(w.layout(), w.cmd_browse) && w.cmd_browse->isVisibleTo(&w));
        rec.files->answers = {csv};
        w.cmd_browse->click();
        QCOMPARE(column(w.LV_preview, 1), (QStringList{"update", "new", "error"}));
        w.cmd_import->click();
        QCOMPARE(rec.messages->texts(), QStringList{"Test cases added: 1, updated: 1, left out: 1."});
    }
    QCOMPARE(db.rows("select qv_zr_tst_case_id || '=' || qv_zr_tst_case_desc from qv_zr_tst_cases order by 1"),
             (QStringList{"T1=new text", "T2=d", "T3=added"}));

    db.addCase("P", "Web", "Login", "UI", "T1");
    const QString xml = dir.filePath("run.xml");
    {
        QFile f(xml);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("<testsuite name=\"s\" timestamp=\"2026-05-04T10:00:00\"><properties><property name=\"version\" "
                "value=\"2.0-rc1\"/></properties><testcase classname=\"Login\" name=\"test_T1\"/>"
                "<testcase name=\"test_T2_x\"><failure>boom\nmore</failure></testcase>"
                "<testcase name=\"other\"/></testsuite>");
    }
    {
        frm_import_results w(con);
        w.Form_Load();
        rec.files->answers = {xml};
        w.cmd_add->click();
        QCOMPARE(column(w.LV_preview, 3), (QStringList{"Pass", "Fail", "unmatched: left out"}));
        QCOMPARE(column(w.LV_preview, 5), QStringList(3, "2.0-rc1")); // the file's build
        // Another test type: the tests are matched again, against its cases.
        QVERIFY(pick(w.cmb_tst_type, "Web"));
        QCOMPARE(column(w.LV_preview, 3), (QStringList{"Pass", "unmatched: left out", "unmatched: left out"}));
        QVERIFY(pick(w.cmb_tst_type, "Unit"));
        rec.messages->boxes.clear();
        w.cmd_import->click();
        QCOMPARE(rec.messages->texts(), QStringList{"Results logged: 1 passed, 1 failed. Not logged: 0 skipped, "
                                                    "1 unmatched, 0 ambiguous, 0 already logged."});
        // Pressed twice, or the file taken in again: nothing is logged twice unless the user asks for it.
        const QStringList logged{"already logged: left out", "already logged: left out", "unmatched: left out"};
        QVERIFY(!w.cmd_import->isEnabled());
        QCOMPARE(column(w.LV_preview, 3), logged);
        w.cmd_clear->click();
        rec.files->answers = {xml};
        w.cmd_add->click();
        QCOMPARE(column(w.LV_preview, 3), logged);
        QVERIFY(!w.cmd_import->isEnabled());
        w.chk_log_again->click();
        QCOMPARE(column(w.LV_preview, 3),
                 (QStringList{"Pass (already logged)", "Fail (already logged)", "unmatched: left out"}));
        w.cmd_import->click();
        QVERIFY(!w.cmd_import->isEnabled());
        // A typed build wins over the file's; under it nothing is logged yet.
        QCOMPARE(entries(w.cmb_build), QStringList{"2.0-rc1"});
        w.cmb_build->setText("2.0-rc2");
        w.chk_log_again->click();
        QCOMPARE(column(w.LV_preview, 3), (QStringList{"Pass", "Fail", "unmatched: left out"}));
        QCOMPARE(column(w.LV_preview, 5), QStringList(3, "2.0-rc2"));
        w.cmd_import->click();
    }
    QCOMPARE(db.rows("select qv_zr_tst_case_id || '=' || qv_zr_pass || '/' || qv_zr_rslt_act || '/' || qv_zr_dt_tst "
                     "from qv_zr_tst_cases where qv_zr_dt_tst is not null order by 1"),
             (QStringList{"T1=Pass/Passed/2026-05-04", "T2=Fail/boom/2026-05-04"}));
    QCOMPARE(db.rows("select qv_zr_build || ':' || count(*) from qv_zr_tst_history group by qv_zr_build order by 1"),
             (QStringList{"2.0-rc1:4", "2.0-rc2:2"}));

    // Chosen as a workbook, the cases go out typed, under a heading; the name follows the choice.
    db.addCase("P", "Web", "Login", "UI", "T9", "=1+1", "@SUM(A1)");
    frm_export_cases w(con);
    w.Form_Load();
    w.cmb_format->setListIndex(1);
    rec.files->answers = {dir.filePath("out")};
    rec.messages->boxes.clear();
    w.cmd_export->click();
    QCOMPARE(rec.files->proposedNames.last(), QString("P.xlsx"));
    QCOMPARE(rec.messages->texts(), QStringList{"The test cases of P were written to " + dir.filePath("out.xlsx") + "."});
    QString problem;
    const WorkbookSheet sheet = readWorkbook(dir.filePath("out.xlsx"), &problem);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QCOMPARE(sheet.values(1, 2), (QStringList{"Test Cases", ""}));
    QCOMPARE(sheet.values(2, 2), (QStringList{"Project", "P"}));
    QCOMPARE(sheet.cell(3, 1).value, serial(QDate::currentDate()));
    QCOMPARE(sheet.values(5, 11), caseExportHeader());
    const CsvTable cases = ::csv(exportCasesCsv(con.cn, "P"));
    QCOMPARE(cases.rows.size(), 5);
    for (int r = 0; r < cases.rows.size(); ++r) {
        QStringList expected = cases.rows.at(r).mid(0, 10);
        std::transform(expected.begin(), expected.end(), expected.begin(), CsvReader::unescapedText);
        QCOMPARE(sheet.values(6 + r, 10), expected);
        const QDate tested = QDate::fromString(cases.rows.at(r).at(10), Qt::ISODate);
        QCOMPARE(sheet.cell(6 + r, 10).value, tested.isValid() ? serial(tested) : QString());
    }
    QCOMPARE(sheet.cell(10, 4).type, QString("s")); // "=1+1", a text
    QCOMPARE(sheet.cell(6, 10).format, QString("yyyy-mm-dd"));
    QCOMPARE(sheet.frozenAt, QString("A6"));
    QCOMPARE(sheet.filter, QString("A5:K10"));
}

void TestExchange::reportWorkbookHoldsTheRowsTyped()
{
    TempDatabase db;
    ServiceRecorders rec;
    fillReportFixture(db);
    db.addCase(fixtureProject, "Functional", "Report", "Module", "4", "=1+1 " + QString(200, 'w'), "x");
    copyReportDefinitions(db.folder());
    TestingClass con;
    Frm_Reports reports(con);
    reports.Form_Load();
    QVERIFY(reports.cmb_prjid->selectEqualEntry(fixtureProject));
    reports.Command4->click(); // the Test Log
    QTemporaryDir dir;
    rec.files->answers = {dir.filePath("log")};
    reports.RptView->xlsxAction->trigger();
    QCOMPARE(rec.files->proposedNames.last().right(5), QString(".xlsx"));
    QVERIFY(rec.messages->boxes.isEmpty());
    QString problem;
    const WorkbookSheet sheet = readWorkbook(dir.filePath("log.xlsx"), &problem);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));

    const ReportDefinition &definition = reports.currentReport()->definition();
    const ReportContent &content = reports.currentReport()->content();
    QCOMPARE(sheet.values(1, 1), QStringList{"Test Log"});
    QCOMPARE(sheet.values(2, 2), (QStringList{"Project Id", fixtureProject}));
    QCOMPARE(sheet.cell(3, 0).value, QString("Printed"));
    QCOMPARE(sheet.cell(3, 1).value, serial(content.readAt.date()));
    QStringList header{"Test Type"};
    for (const ReportColumn &c : definition.columns)
        header << c.header;
    QCOMPARE(sheet.values(5, int(header.size())), header);
    QCOMPARE(content.rows.size(), 6);
    for (int r = 0; r < content.rows.size(); ++r) {
        QStringList expected{content.rows.at(r, fieldPosition(content.fields, "qv_zr_tst_type"))};
        for (const ReportColumn &c : definition.columns) {
            const QString value = content.rows.at(r, fieldPosition(content.fields, c.field));
            expected << (c.format == ReportColumn::Format::Date && !value.isEmpty()
                             ? serial(QDate::fromString(value, Qt::ISODate)) : value);
        }
        QCOMPARE(sheet.values(6 + r, int(header.size())), expected);
    }
    // Ids that are all numbers are numbers; a description is text whatever it starts with; dates are dates.
    const int id = int(header.indexOf("Test Case Id")), description = int(header.indexOf("Test Case Description"));
    const auto cellOf = [&](const QString &text, int column) {
        for (int r = 6; r < 12; ++r) {
            if (sheet.cell(r, column).value.startsWith(text))
                return sheet.cell(r, column);
        }
        return WorkbookCell();
    };
    QCOMPARE(cellOf("10", id).type, QString("n"));
    QCOMPARE(cellOf("=1+1", description).type, QString("s"));
    QCOMPARE(cellOf(serial(QDate(2024, 3, 5)), int(header.size()) - 1).format, QString("yyyy-mm-dd"));
    QCOMPARE(sheet.frozenAt, QString("A6"));
    QCOMPARE(sheet.filter, QString("A5:K11"));
    QCOMPARE(int(sheet.widths.value(id)), 14);          // its header, the widest, and a margin
    QCOMPARE(int(sheet.widths.value(description)), 62); // capped
}

void TestExchange::noWriteReplacesTheDatabase_data()
{
    QTest::addColumn<QString>("writer");
    QTest::addColumn<QString>("target"); // @db: the database's folder, @out: another one
    const QList<std::pair<const char *, const char *>> targets{
        {"the database", "@db/testing.mdb"},
        {"the database by a hard link", "@out/cases.csv"},
        {"its journal, spelt otherwise", "@out/../@name/testing.mdb-journal"},
        {"its log by a symbolic link", "@out/report.pdf"},
        {"the copy a restore keeps", "@db/testing.mdb.before-restore"},
        {"another database", "@out/older.mdb"}};
    for (const char *writer : {"cases", "casesxlsx", "pdf", "csv", "xlsx", "backup"}) {
        for (const auto &[name, target] : targets)
            QTest::addRow("%s onto %s", writer, name) << writer << target;
    }
}

void TestExchange::noWriteReplacesTheDatabase()
{
    QFETCH(QString, writer);
    QFETCH(QString, target);
    TempDatabase db;
    ServiceRecorders rec;
    db.addProject("P");
    db.addCase("P", "Unit", "Core", "Mod", "C1");
    copyReportDefinitions(db.folder());
    QTemporaryDir out;
    target.replace("@db", db.folder()).replace("@out", out.path()).replace("@name", QDir(db.folder()).dirName());
    // Each window loaded, its report read, as the user has them before choosing the file.
    TestingClass con;
    frm_export_cases cases(con);
    Frm_Reports reports(con);
    frm_backup backup(con);
    for (ChildWindow *w : std::initializer_list<ChildWindow *>{&cases, &reports, &backup})
        w->Form_Load();
    reports.Command4->click();
    QFile::copy(db.path(), db.path() + ".before-restore");
    execOn(out.filePath("older.mdb"), {"create table t (x)"});
    QVERIFY(::link(QFile::encodeName(db.path()), QFile::encodeName(out.filePath("cases.csv"))) == 0);
    writeFile(out, "log", "the engine's log");
    QVERIFY(QFile::rename(out.filePath("log"), db.path() + "-wal"));
    QVERIFY(QFile::link(db.path() + "-wal", out.filePath("report.pdf")));
    const auto state = [&] {
        QFile file(target);
        const auto entries = QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot;
        return QStringList{QDir(db.folder()).entryList(entries).join(u'/'),
                           QDir(out.path()).entryList(entries).join(u'/'),
                           file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll().toHex()) : "none"};
    };
    const QStringList before = state();

    rec.files->answers = {target};
    backup.txt_destname->setText(target);
    cases.cmb_format->setListIndex(writer == "casesxlsx" ? 1 : 0);
    if (writer.startsWith("cases"))
        cases.cmd_export->click();
    else if (writer == "backup")
        backup.cmd_backup->click();
    else
        (writer == "pdf" ? reports.RptView->exportAction
                         : writer == "csv" ? reports.RptView->csvAction : reports.RptView->xlsxAction)->trigger();

    if (writer == "backup" && target.endsWith("older.mdb")) { // a backup replaces an older one, as it always could
        QVERIFY(rec.messages->boxes.isEmpty());
        QCOMPARE(DatabaseFile(db.path()).restoreProblem(target), QString());
        return;
    }
    QCOMPARE(rec.messages->boxes.size(), 1);
    const QString said = rec.messages->texts().first();
    QVERIFY2(said.contains(QFileInfo(target).fileName()), qPrintable(said));
    QCOMPARE(rec.messages->boxes.first().caption, writer == "backup" ? QString("information") : Ui::appTitle());
    QCOMPARE(state(), before);
}

QTEST_MAIN(TestExchange)
#include "tst_exchange.moc"
