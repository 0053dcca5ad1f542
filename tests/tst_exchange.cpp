#include "casesexport.h"
#include "casesimport.h"
#include "connection.h"
#include "dberror.h"
#include "exchangeerror.h"
#include "frm_export_cases.h"
#include "frm_import_cases.h"
#include "frm_import_results.h"
#include "recorders.h"
#include "recordlist.h"
#include "testingclass.h"
#include "resultsimport.h"
#include "tempdatabase.h"

#include <QPushButton>
#include <QtTest>

namespace {

// The message of the ExchangeError f throws, or "no error".
template <class F> QString errorOf(F &&f)
{
    try {
        f();
    } catch (const ExchangeError &e) {
        return e.message();
    }
    return QStringLiteral("no error");
}

CsvTable csv(const QByteArray &bytes)
{
    return CsvReader().parse(bytes, QStringLiteral("cases.csv"));
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
    const QString c51(51, u'c'), d255(255, u'd'), emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
    const QList<QPair<QString, QString>> rows{
        // the row, after "Unit,Core,Mod,"; what the preview says
        {"TC1,new d,new e", "update"},
        {"TC2,d,e", "new"},
        {"tc1,d,e", "new"},
        {"TC1 ,d,e", "new"},
        {"AB" + emoji + emoji + "CD," + d255 + ",e", "new"},
        {"TC2,d2,e2", "error: the same test case as line 3"},
        {"TC1234X,d,e", "error: Test Case Id can not have more than 6 characters"},
        {"TC5,  ,e", "error: Test Case Description is blank"},
        {"TC6,d" + d255 + ",", "error: Test Case Description can not have more than 255 characters; Expected Result "
                               "is blank"}};
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
    QCOMPARE(QList<int>({counts.added, counts.updated, counts.leftOut}), QList<int>({4, 1, 5}));
    const QStringList stored = db.rows(kCaseRows, {"P1"});
    QCOMPARE(stored.first(), "Unit|Core|Mod|TC1|new d|new e|Pass"); // the result stays
    QCOMPARE(stored.at(2), "Unit|Core|Mod|tc1|d|e|Fail");
    QCOMPARE(db.value("select qv_zr_rslt_act from qv_zr_tst_cases where qv_zr_tst_case_id='TC1'").toString(), "ok");
    QCOMPARE(errorOf([&] { previewCases(cn, "P9", table, matchCaseColumns(table.header)); }),
             "Project P9 is not stored; test cases are taken in for a stored project only.");
}

void TestExchange::importIsAllOrNothing_data()
{
    QTest::addColumn<QString>("trigger");
    QTest::newRow("insert of the 3rd row") << "before insert on qv_zr_tst_cases when new.qv_zr_tst_case_id='C3'";
    QTest::newRow("an update") << "before update on qv_zr_tst_cases when new.qv_zr_tst_case_id='C2'";
}

void TestExchange::importIsAllOrNothing()
{
    TempDatabase db;
    db.addProject("P1");
    db.addCase("P1", "Unit", "Core", "Mod", "C2", "old d", "old e");
    QFETCH(QString, trigger);
    db.exec("create trigger refuse " + trigger + " begin select raise(abort, 'refused'); end");
    const QStringList before = db.rows(kCaseRows, {"P1"});
    const CsvTable table
        = csv("Type,Component,Component Type,ID,Description,Expected\n"
              "Unit,Core,Mod,C1,d,e\nUnit,Core,Mod,C2,new d,e\nUnit,Core,Mod,C3,d,e\nUnit,Core,Mod,C4,d,e\n");
    Connection cn;
    cn.open(db.path());
    const CasesPreview preview = previewCases(cn, "P1", table, matchCaseColumns(table.header));
    QVERIFY_THROWS_EXCEPTION(DbError, importCases(cn, preview));
    QCOMPARE(db.rows(kCaseRows, {"P1"}), before);
}

void TestExchange::exportThenImportGivesTheSameCases()
{
    TempDatabase db;
    db.addProject("P1");
    db.addProject("P2");
    const QList<QStringList> cases{{"Unit", "Core", "Mod", "A1", "plain", "plain"},
                                   {"Unit", "Core,x", "M;od", "A\"2", "line 1\r\nline \"2\"\n",
                                    QString::fromUtf8("\xE2\x82\xAC \xF0\x9F\x98\x80")},
                                   {"Web", " lead", "tab\there", "A3 ", "=1+2", "\"quoted\""}};
    for (const QStringList &c : cases)
        db.addCase("P1", c[0], c[1], c[2], c[3], c[4], c[5]);
    db.exec(
        "update qv_zr_tst_cases set qv_zr_pass='Fail', qv_zr_rslt_act='x,y', qv_zr_dt_tst='2024-01-02' where rowid=1");
    Connection cn;
    cn.open(db.path());
    QTemporaryDir dir;
    const QString path = dir.filePath("out.csv");
    exportCasesFile(cn, "P1", path);
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
    const ResultsImportCounts c
        = importResults(cn, {"P1", "Auto"}, readJUnitFile(QFINDTESTDATA("fixtures/junit/" + file)));
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
        {{"P1", " "}, "Test Type is blank"}};
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
        rec.files->answers = {csv};
        w.cmd_browse->click();
        QStringList actions;
        for (int r = 0; r < w.LV_preview->rowCount(); ++r)
            actions << w.LV_preview->cell(r, 1);
        QCOMPARE(actions, (QStringList{"update", "new", "error"}));
        w.cmd_import->click();
        QCOMPARE(rec.messages->texts(), QStringList{"Test cases added: 1, updated: 1, left out: 1."});
    }
    QCOMPARE(db.rows("select qv_zr_tst_case_id || '=' || qv_zr_tst_case_desc from qv_zr_tst_cases order by 1"),
             (QStringList{"T1=new text", "T2=d", "T3=added"}));

    const QString xml = dir.filePath("run.xml");
    {
        QFile f(xml);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("<testsuite name=\"s\" timestamp=\"2026-05-04T10:00:00\"><testcase classname=\"Login\" name=\"test_T1\"/>"
                "<testcase name=\"test_T2_x\"><failure>boom\nmore</failure></testcase>"
                "<testcase name=\"other\"/></testsuite>");
    }
    {
        frm_import_results w(con);
        w.Form_Load();
        rec.files->answers = {xml};
        w.cmd_add->click();
        QStringList results;
        for (int r = 0; r < w.LV_preview->rowCount(); ++r)
            results << w.LV_preview->cell(r, 3);
        QCOMPARE(results, (QStringList{"Pass", "Fail", "unmatched: left out"}));
        rec.messages->boxes.clear();
        w.cmd_import->click();
        QCOMPARE(rec.messages->texts(),
                 QStringList{"Results logged: 1 passed, 1 failed. Not logged: 0 skipped, 1 unmatched, 0 ambiguous."});
    }
    QCOMPARE(db.rows("select qv_zr_tst_case_id || '=' || qv_zr_pass || '/' || qv_zr_rslt_act || '/' || qv_zr_dt_tst "
                     "from qv_zr_tst_cases where qv_zr_dt_tst is not null order by 1"),
             (QStringList{"T1=Pass/Passed/2026-05-04", "T2=Fail/boom/2026-05-04"}));
    QCOMPARE(db.count("qv_zr_tst_history"), 2);

    frm_export_cases w(con);
    w.Form_Load();
    const QString out = dir.filePath("out.csv");
    rec.files->answers = {out};
    rec.messages->boxes.clear();
    w.cmd_export->click();
    QCOMPARE(rec.messages->boxes.size(), 1);
    QFile exported(out);
    QVERIFY(exported.open(QIODevice::ReadOnly));
    QCOMPARE(exported.readAll().count('\n'), 4); // header and three cases
}

QTEST_MAIN(TestExchange)
#include "tst_exchange.moc"
