// The report engine: reading definitions, the four shipped reports on one
// fixture database, pages as they print, the viewer, and wrapping that breaks
// where the full text layout does.
#include "report.h"
#include "reporterror.h"
#include "reportfixture.h"
#include "reportpainter.h"
#include "reportviewer.h"
#include "textwrapper.h"

#include <QAction>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QSpinBox>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Shown
{
    std::unique_ptr<Report> report;
    ReportLayout layout;
    // One column of the rows, in report order.
    QStringList column(const QString &field) const
    {
        const ReportContent &c = report->content();
        QStringList out;
        for (const QStringList &row : c.rows)
            out << row.at(fieldPosition(c.fields, field));
        return out;
    }
};

Shown show(const QString &definition, const QString &database, const QString &project,
           const QString &company = "Acme Testing Ltd")
{
    Shown s;
    s.report = ReportEngine().openReport(definition);
    s.report->setDataSource(database);
    s.report->setPromptForParameters(false);
    s.report->setParameterValue(1, company);
    s.report->setParameterValue(2, project);
    s.layout = layoutReport(s.report->definition(), s.report->content(), s.report->parameterValues(), QDate(2024, 4, 1));
    return s;
}

// A list report of our own, so that pages are tested apart from the shipped reports.
const char *listDefinition = R"(<report title="Long list">
  <parameters><parameter name="company" show="heading"/><parameter name="project" caption="Project Id"/></parameters>
  <query params="project"><![CDATA[select qv_zr_tst_type, qv_zr_tst_case_id, qv_zr_tst_case_desc, qv_zr_rslt_exp
     from qv_zr_tst_cases where qv_zr_prjid = ? order by rowid]]></query>
  <columns>
    <column header="Id" field="qv_zr_tst_case_id" width="40"/>
    <column header="Description" field="qv_zr_tst_case_desc" width="200"/>
    <column header="Expected" field="qv_zr_rslt_exp" width="200"/>
  </columns>
  %1
  <summary title="Summary"><count label="Cases"/></summary>
</report>)";

Shown lay(const TempDatabase &db, const QString &groups = QString())
{
    const QString path = QDir(db.folder()).filePath("list.rpt");
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(QString::fromUtf8(listDefinition).arg(groups).toUtf8());
    f.close();
    return show(path, db.path(), "P", "Acme");
}

QString words(int count, const QString &stem)
{
    QStringList w;
    for (int i = 0; i < count; ++i)
        w << stem + QString::number(i);
    return w.join(' ');
}

int pdfPageCount(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray data = f.readAll();
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![s\\w])"));
    return data.startsWith("%PDF-") ? int(QString::fromLatin1(data).count(page)) : -1;
}

QFont font(int pixels, bool bold)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixels);
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

const QStringList vocabulary = {
    "verify", "that", "the", "login", "page", "accepts", "a", "I", "valid", "user-name", "and/or", "e-mail",
    "(optional)", "[see", "notes]", "O'Brien's", "\"quoted\"", "100%", "3.5", "1,000", "v2.0-beta", "x", "WWW",
    "fi", "ffl", "AV", "To", "Ty", "ll", "café", "naïve", "Ærø", "§4", "€", "—", "–", "...", "!", "?", ";", ":",
    "https://example.org/a/b?c=d", "C:\\temp\\file.txt", "snake_case_name", "CamelCaseName", "12:30",
    "ÀÉÎÕÜ", "«guillemets»", "¿qué?", "¡sí!", "Łódź", "Dvořák", "‘single’", "“double”", "•", "†"};

QString sentence(QRandomGenerator &rng, int count)
{
    QString s;
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            s += rng.bounded(12) == 0 ? QStringLiteral("  ") : QStringLiteral(" ");
        s += vocabulary.at(rng.bounded(int(vocabulary.size())));
    }
    return s;
}

} // namespace

class TestReports : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void validFileGivesEveryPart();
    void malformedFileNamesFileLineAndProblem_data();
    void malformedFileNamesFileLineAndProblem();
    void missingOrUnreadableFileIsNamed();
    void shippedReportOnTheFixture_data();
    void shippedReportOnTheFixture();
    void parametersAreTakenByPosition();
    void reportReadsThroughItsOwnReadOnlyConnection();
    void discardingShowsTheDatabaseAsItIsNow();
    void brokenQueryOrDatabaseIsReported();
    void queryThatWritesOrRunsAwayIsStopped_data();
    void queryThatWritesOrRunsAwayIsStopped();
    void pagesHoldWholeRowsInOrderUnderHeaders();
    void longTextsWrapAndAreNeverCut_data();
    void longTextsWrapAndAreNeverCut();
    void rowTallerThanAPageContinuesOnTheNext();
    void groupHeaderNeverEndsAPage();
    void cellTextStandsWhereACentredLineWould();
    void viewerNavigatesZoomsAndExports();
    void wrappingBreaksWhereTheTextLayoutBreaks_data();
    void wrappingBreaksWhereTheTextLayoutBreaks();
    void plainTextsAreWrappedFromWordWidths();

private:
    std::unique_ptr<TempDatabase> fixture; // the shipped reports' data
    std::unique_ptr<TempDatabase> list;    // 300 rows of varying height
    QString shipped(const QString &file) const { return QDir(fixture->folder()).filePath(file); }
};

void TestReports::initTestCase()
{
    fixture = std::make_unique<TempDatabase>();
    copyReportDefinitions(fixture->folder());
    fillReportFixture(*fixture);
    list = std::make_unique<TempDatabase>();
    QList<QStringList> cases;
    for (int i = 0; i < 300; ++i)
        cases.append({"P", "T", "C", "K", QString::number(i), words(i % 30 + 1, "word"), "ok"});
    list->addCases(cases);
}

// What the shipped reports do not use: "?" in quotes and comments, a decimal
// width, descending keys, negated conditions, a default group header, colours.
void TestReports::validFileGivesEveryPart()
{
    const ReportDefinition def = ReportDefinition::parse(R"(<?xml version="1.0"?>
<report title="Cases">
  <parameters><parameter name="project" caption="Project Id"/></parameters>
  <!-- a comment is fine anywhere -->
  <query params="project, project"><![CDATA[
    select id, 'what?' as q from t where p = ? and x < 3 and y = ? -- why?
  ]]></query>
  <columns><column header="Id" field="id" width="60.5" align="right"/></columns>
  <groups><group field="kind" footer="{count} cases"/></groups>
  <sort><key field="id" order="descending"/><key field="q"/></sort>
  <summary title="Totals">
    <countBy label="By severity" by="sev" order="Critical,Major" field="r" notEquals="Pass"/>
    <rate label="Rate" field="r" equals="Pass" baseField="r" baseNotEquals="Not run"/>
    <barChart label="Chart" by="r"><bar value="Pass" label="Passed" color="#00ff00"/></barChart>
  </summary>
</report>)", QStringLiteral("cases.rpt"));
    QCOMPARE(def.query.parameters, (QStringList{"project", "project"}));
    QVERIFY(def.query.sql.contains("'what?'"));
    QCOMPARE(def.query.line, 5);
    QCOMPARE(def.columns.at(0).alignment, Qt::AlignRight);
    QCOMPARE(def.columns.at(0).width, 60.5);
    QCOMPARE(def.groups.at(0).header, QStringLiteral("{value}"));
    QVERIFY(def.sortKeys.at(0).descending && !def.sortKeys.at(1).descending);
    QCOMPARE(def.summaryTitle, QStringLiteral("Totals"));
    QVERIFY(def.summary.at(0).where.negated);
    QCOMPARE(def.summary.at(0).order, (QStringList{"Critical", "Major"}));
    QCOMPARE(def.summary.at(1).kind, ReportSummaryItem::Kind::Rate);
    QVERIFY(def.summary.at(1).base.negated && !def.summary.at(1).where.negated);
    QCOMPARE(def.summary.at(2).bars.at(0).color, QColor(0, 255, 0));
}

void TestReports::malformedFileNamesFileLineAndProblem_data()
{
    QTest::addColumn<QString>("content");
    QTest::addColumn<QString>("problem");
    const QString head = "<report title=\"T\">\n<parameters><parameter name=\"p\"/></parameters>\n";
    const QString query = "<query params=\"p\">select a from t where b = ?</query>\n";
    const QString columns = "<columns><column field=\"a\" width=\"10\"/></columns>\n";
    const QString summary = head + query + columns + "<summary>";
    QTest::newRow("not xml") << "<report title=\"T\">\n<query>" << "line 2:";
    QTest::newRow("empty file") << "" << "line 1: the file is empty";
    QTest::newRow("only a comment") << "<!-- nothing -->" << "holds no <report>";
    QTest::newRow("wrong root") << "<rapport title=\"T\"/>" << "must start with <report>, not <rapport>";
    QTest::newRow("no title") << "<report>" + query + columns + "</report>" << "line 1: <report> needs a \"title\" attribute";
    QTest::newRow("no query") << head + columns + "</report>" << "the report has no <query>";
    QTest::newRow("empty query") << head + "<query/>\n" + columns + "</report>" << "line 3: <query> is empty";
    QTest::newRow("no columns") << head + query + "</report>" << "the report has no <columns>";
    QTest::newRow("too few parameters bound") << head + "<query>select a from t where b = ?</query>\n" + columns + "</report>"
                                              << "line 3: <query> has 1 \"?\" placeholder(s) but binds 0 parameter(s)";
    QTest::newRow("too many parameters bound") << head + "<query params=\"p,p\">select ?</query>\n" + columns + "</report>"
                                               << "has 1 \"?\" placeholder(s) but binds 2 parameter(s)";
    QTest::newRow("undeclared parameter") << head + "<query params=\"q\">select ?</query>\n" + columns + "</report>"
                                          << "binds \"q\", which is not a declared parameter";
    QTest::newRow("duplicate parameter") << "<report title=\"T\"><parameters><parameter name=\"p\"/>\n<parameter name=\"p\"/></parameters></report>"
                                         << "line 2: parameter \"p\" is declared twice";
    QTest::newRow("bad width") << head + query + "<columns>\n<column field=\"a\" width=\"wide\"/></columns></report>"
                               << "line 5: column width must be a positive number of points, not \"wide\"";
    QTest::newRow("zero width") << head + query + "<columns><column field=\"a\" width=\"0\"/></columns></report>"
                                << "positive number";
    QTest::newRow("column without field") << head + query + "<columns><column width=\"5\"/></columns></report>"
                                          << "<column> needs a \"field\" attribute";
    QTest::newRow("bad alignment") << head + query + "<columns><column field=\"a\" width=\"5\" align=\"middle\"/></columns></report>"
                                   << "align must be \"left\", \"center\" or \"right\", not \"middle\"";
    QTest::newRow("unknown element") << head + query + columns + "<footer/></report>" << "line 5: unknown element <footer>";
    QTest::newRow("misspelt attribute") << head + query + "<columns><column field=\"a\" widht=\"5\"/></columns></report>"
                                        << "<column> has an unknown attribute \"widht\"";
    QTest::newRow("part twice") << head + query + columns + columns + "</report>" << "<columns> may stand only once";
    QTest::newRow("bad orientation") << "<report title=\"T\" orientation=\"sideways\"/>" << "orientation must be";
    QTest::newRow("count compares without field") << summary + "<count label=\"x\" equals=\"Pass\"/></summary></report>"
                                                  << "<count> compares a value but names no \"field\"";
    QTest::newRow("rate without condition") << summary + "<rate label=\"x\"/></summary></report>" << "<rate> needs a \"field\"";
    QTest::newRow("bad colour") << summary + "<barChart by=\"r\"><bar label=\"x\" color=\"blurple\"/></barChart></summary></report>"
                                << "\"blurple\" is not a colour";
    QTest::newRow("chart without bars") << summary + "<barChart by=\"r\"/></summary></report>" << "<barChart> holds no <bar>";
    QTest::newRow("stray text") << head + "hello\n" + query + columns + "</report>" << "unexpected text \"hello\"";
    QTest::newRow("intro without query") << head + "<intro><item label=\"a\" field=\"b\"/></intro>" + query + columns + "</report>"
                                         << "<intro> has no <query>";
    QTest::newRow("element after report") << head + query + columns + "</report><report title=\"x\"/>" << "line 5:";
    // Entities could expand without bound or read other files.
    QTest::newRow("entity in a DTD") << "<?xml version=\"1.0\"?>\n<!DOCTYPE report [\n<!ENTITY t \"T\">\n]>\n"
                                           + QString(head).replace("\"T\"", "\"&t;\"") + query + columns + "</report>"
                                     << "line 2: DTDs and entities are not accepted";
    QTest::newRow("DTD of another file") << "<!DOCTYPE report SYSTEM \"report.dtd\">" + head + query + columns + "</report>"
                                         << "line 1: DTDs and entities are not accepted";
}

void TestReports::malformedFileNamesFileLineAndProblem()
{
    QFETCH(QString, content);
    QFETCH(QString, problem);
    try {
        ReportDefinition::parse(content.toUtf8(), QStringLiteral("/some/where/broken.rpt"));
        QFAIL("a broken definition was accepted");
    } catch (const ReportError &e) {
        QCOMPARE(e.file(), QStringLiteral("/some/where/broken.rpt"));
        QVERIFY2(e.describe().startsWith("/some/where/broken.rpt: line "), qPrintable(e.describe()));
        QVERIFY2(e.problem().contains(problem), qPrintable(e.problem()));
    }
}

void TestReports::missingOrUnreadableFileIsNamed()
{
    QTemporaryDir dir;
    const QString missing = dir.filePath("rpt_none.rpt");
    try {
        ReportDefinition::load(missing);
        QFAIL("a missing definition was accepted");
    } catch (const ReportError &e) {
        QCOMPARE(e.file(), missing);
        QVERIFY(e.problem().contains("does not exist"));
    }
    // A folder in place of the file cannot be read as one.
    QVERIFY(QDir(dir.path()).mkdir("rpt_folder.rpt"));
    QVERIFY_THROWS_EXCEPTION(ReportError, ReportDefinition::load(dir.filePath("rpt_folder.rpt")));
}

void TestReports::shippedReportOnTheFixture_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("landscape");
    QTest::addColumn<QStringList>("ids"); // in report order
    QTest::addColumn<QString>("field");   // one more column and its values
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<QStringList>("headers");
    QTest::addColumn<QStringList>("footers");
    QTest::addColumn<QStringList>("summary");
    // Grouped by test type, then component, component type and id in numeric order.
    QTest::newRow("log") << "rpt_tst_log.rpt" << "Test Log" << true << QStringList{"1", "2", "10", "1", "3"} << "result"
                         << QStringList{"Pass", "Fail", "Not run", "Fail", "Pass"}
                         << QStringList{"Test Type: Functional", "Test Type: Performance"}
                         << QStringList{"Test cases of type Functional: 4", "Test cases of type Performance: 1"}
                         << QStringList{"Test cases: 5", "Run: 4", "Passed: 2", "Failed: 2", "Failed by severity:",
                                        "Critical: 1", "Major: 0", "Minor: 1", "Not run: 1",
                                        "Pass rate (passed of run): 50.0 % (2 of 4)"};
    // Case 10 is stored as "Fail" but was never logged: it has not failed.
    QTest::newRow("failed") << "rpt_tst_log_failed.rpt" << "Test Log - Failed Cases" << true << QStringList{"2", "1"}
                            << "qv_zr_def_severity" << QStringList{"Critical", "Minor"} << QStringList{} << QStringList{}
                            << QStringList{"Failed cases: 2", "By severity:", "Critical: 1", "Major: 0", "Minor: 1",
                                           "By defect category:", "Calculation: 1", "Security: 1"};
    QTest::newRow("passed") << "rpt_tst_log_pass.rpt" << "Test Log - Passed Cases" << false << QStringList{"1", "3"}
                            << "qv_zr_tst_type" << QStringList{"Functional", "Performance"} << QStringList{}
                            << QStringList{} << QStringList{"Passed cases: 2"};
    QTest::newRow("plan") << "rpt_tst_plan.rpt" << "Test Plan" << false << QStringList{"1", "2", "10", "1", "3"}
                          << "qv_zr_rslt_exp" << QStringList{"Accepted", "Refused", "Works", "Adds up", "Under 1 s"}
                          << QStringList{"Test Type: Functional", "Component: Login", "Component: Report",
                                         "Test Type: Performance", "Component: Login"}
                          << QStringList{"Test cases of component Login: 3", "Test cases of component Report: 1",
                                         "Test cases of type Functional: 4", "Test cases of component Login: 1",
                                         "Test cases of type Performance: 1"}
                          << QStringList{"Test cases: 5", "Test cases by test type:", "Functional: 4", "Performance: 1"};
}

void TestReports::shippedReportOnTheFixture()
{
    QFETCH(QString, file);
    QFETCH(QString, title);
    QFETCH(bool, landscape);
    QFETCH(QStringList, ids);
    QFETCH(QString, field);
    QFETCH(QStringList, values);
    QFETCH(QStringList, headers);
    QFETCH(QStringList, footers);
    QFETCH(QStringList, summary);
    const Shown s = show(shipped(file), fixture->path(), fixtureProject);
    const ReportDefinition &def = s.report->definition();
    QVERIFY(def.parameters.at(0).heading);
    QCOMPARE(def.query.parameters, QStringList{"project"});
    QCOMPARE(s.column("qv_zr_tst_case_id"), ids);
    QCOMPARE(s.column(field), values);
    QCOMPARE(itemLines(s.layout, PageItem::Kind::GroupHeader), headers);
    QCOMPARE(itemLines(s.layout, PageItem::Kind::GroupFooter), footers);
    QCOMPARE(itemLines(s.layout, PageItem::Kind::SummaryLine), summary);
    // The page header: company, title, project and the day of printing.
    QCOMPARE(s.layout.heading, QStringLiteral("Acme Testing Ltd"));
    QCOMPARE(s.layout.title, title);
    QCOMPARE(s.layout.captionLines, QStringList{"Project Id: " + fixtureProject});
    QCOMPARE(s.layout.printedOn, QStringLiteral("Printed 01 Apr 2024"));
    QCOMPARE(s.layout.pageLayout.orientation(), landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    if (file == "rpt_tst_log.rpt") {
        QList<int> bars;
        for (const ChartBar &bar : s.layout.charts.last())
            bars << bar.count;
        QCOMPARE(bars, (QList<int>{2, 2, 1}));
        QCOMPARE(itemLines(s.layout, PageItem::Kind::Chart), QStringList{"Results"});
        QCOMPARE(s.column("qv_zr_rslt_act"), (QStringList{"Accepted", "Let in", "", "Off by one", "0.4 s"}));
        // Dates show as dates, and a never logged case shows none.
        QCOMPARE(s.layout.rowCells.at(0).last() + s.layout.rowCells.at(2).last(), (QStringList{"05 Mar 2024", ""}));
    } else if (file == "rpt_tst_plan.rpt") {
        QCOMPARE(s.report->content().introValues, (QStringList{fixtureProject, "Billing front end", "Web", "12.5 KLOC"}));
        // A group header comes before its rows, its footer after.
        QStringList order;
        for (const PageItem &item : s.layout.pages.first().items) {
            if (item.kind == PageItem::Kind::Row)
                order << QString::number(item.index);
            else if (item.kind == PageItem::Kind::GroupHeader || item.kind == PageItem::Kind::GroupFooter)
                order << (item.kind == PageItem::Kind::GroupHeader ? "H" : "F") + QString::number(item.index);
        }
        QCOMPARE(order.join(','), QStringLiteral("H0,H1,0,1,2,F1,H1,3,F1,F0,H0,H1,4,F1,F0"));
    }
    // No project chosen: the empty id matches nothing, and the report still shows.
    const Shown empty = show(shipped(file), fixture->path(), QString());
    QCOMPARE(empty.report->content().rows.size(), 0);
    QCOMPARE(empty.layout.pageCount(), 1);
    QCOMPARE(itemLines(empty.layout, PageItem::Kind::Empty), QStringList{"There are no rows to show."});
    QCOMPARE(empty.layout.captionLines, QStringList{"Project Id: "});
}

void TestReports::parametersAreTakenByPosition()
{
    ReportEngine engine;
    auto report = engine.openReport(shipped("rpt_tst_log.rpt"));
    report->setDataSource(fixture->path());
    report->setParameterValue(2, fixtureProject);
    // Prompting on: a parameter without a value stops the report.
    try {
        report->content();
        QFAIL("a report ran without its first parameter");
    } catch (const ReportError &e) {
        QVERIFY2(e.problem().contains("parameter 1 (\"company\") has no value"), qPrintable(e.problem()));
    }
    report->setPromptForParameters(false);
    QCOMPARE(report->parameterValues(), (QStringList{"", fixtureProject}));
    QCOMPARE(report->content().rows.size(), 5);
    // A cleared value is gone; positions past the declared ones are refused.
    report->clearParameter(2);
    QCOMPARE(report->parameterValue(2), std::nullopt);
    QCOMPARE(report->content().rows.size(), 0);
    QVERIFY_THROWS_EXCEPTION(ReportError, report->setParameterValue(3, "x"));
    QVERIFY_THROWS_EXCEPTION(ReportError, report->clearParameter(0));
    QCOMPARE(engine.reportsOpened(), 1);
}

void TestReports::reportReadsThroughItsOwnReadOnlyConnection()
{
    const QStringList before = QSqlDatabase::connectionNames();
    {
        Shown s = show(shipped("rpt_tst_log.rpt"), fixture->path(), fixtureProject);
        QVERIFY(s.report->isConnected());
        QStringList during = QSqlDatabase::connectionNames();
        for (const QString &n : before)
            during.removeAll(n);
        QCOMPARE(during.size(), 1);
        QSqlQuery write(QSqlDatabase::database(during.first(), false));
        QVERIFY(!write.exec("delete from qv_zr_tst_cases"));
    }
    // Released: its connection is gone and nothing was changed.
    QCOMPARE(QSqlDatabase::connectionNames(), before);
    QCOMPARE(fixture->count("qv_zr_tst_cases"), 6);
}

void TestReports::discardingShowsTheDatabaseAsItIsNow()
{
    TempDatabase db;
    fillReportFixture(db);
    Shown s = show(shipped("rpt_tst_log.rpt"), db.path(), fixtureProject);
    QCOMPARE(s.column("result").count("Not run"), 1);
    logResult(db, {fixtureProject, "Functional", "Login", "Screen", "10"}, "Pass", "Works now", "", "", "2024-03-09");
    QCOMPARE(s.column("result").count("Not run"), 1); // rows read before stay until discarded
    s.report->discardReadRows();
    QCOMPARE(s.column("result").count("Not run"), 0);
    QCOMPARE(s.column("result").count("Pass"), 3);
}

void TestReports::brokenQueryOrDatabaseIsReported()
{
    QTemporaryDir dir;
    const QString broken = dir.filePath("rpt_broken.rpt");
    QFile f(broken);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("<report title=\"B\"><query>select nope from qv_zr_projects</query>\n"
            "<columns><column field=\"nope\" width=\"5\"/></columns></report>");
    f.close();
    ReportEngine engine;
    auto report = engine.openReport(broken);
    report->setDataSource(fixture->path());
    try {
        report->content();
        QFAIL("a broken query ran");
    } catch (const ReportError &e) {
        QCOMPARE(e.file(), broken);
        QVERIFY2(e.problem().contains("line 1") && e.problem().contains("nope"), qPrintable(e.problem()));
    }
    auto good = engine.openReport(shipped("rpt_tst_log.rpt"));
    good->setPromptForParameters(false);
    good->setDataSource(dir.filePath("missing.mdb"));
    try {
        good->content();
        QFAIL("a missing database was read");
    } catch (const ReportError &e) {
        QVERIFY2(e.problem().contains("missing.mdb"), qPrintable(e.problem()));
    }
    QVERIFY(!QFile::exists(dir.filePath("missing.mdb")));
}

void TestReports::queryThatWritesOrRunsAwayIsStopped_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<int>("memoryMb");
    QTest::addColumn<int>("milliseconds");
    QTest::addColumn<QString>("problem");
    const QString endless = "with recursive r(n) as (select 1 union all select n + 1 from r) ";
    const QString refused = "line 1 was refused: a report may only read, and it would ";
    QTest::newRow("copy of the database") << "vacuum into 'copy.mdb'" << 512 << 60000 << refused + "change the database or write a file";
    QTest::newRow("other database") << "attach 'other.mdb' as o" << 512 << 60000 << refused + "attach or detach a database";
    QTest::newRow("pragma") << "pragma journal_mode = wal" << 512 << 60000 << refused + "run PRAGMA journal_mode";
    QTest::newRow("delete after a select") << "select 1 as a; delete from qv_zr_tst_cases" << 512 << 60000
                                           << refused + "change the table qv_zr_tst_cases";
    QTest::newRow("rows without end") << endless + "select n as a from r" << 1 << 60000
                                      << "line 1 was stopped: it took more memory than the 1 MB a report may use";
    QTest::newRow("sort without end") << endless + "select n as a from r order by n" << 1 << 60000
                                      << "line 1 was stopped: it took more memory than the 1 MB a report may use";
    QTest::newRow("count without end") << endless + "select count(*) as a from r" << 512 << 300
                                       << "line 1 was stopped: it ran longer than the 0.3 s a report may take";
}

// Nothing written, no file made; the message says why the report did not come.
void TestReports::queryThatWritesOrRunsAwayIsStopped()
{
    QFETCH(QString, sql);
    QFETCH(int, memoryMb);
    QFETCH(int, milliseconds);
    QFETCH(QString, problem);
    TempDatabase db;
    db.addCase("P", "T", "C", "K", "1");
    const QDir folder(db.folder());
    sql.replace("'copy.mdb'", "'" + folder.filePath("copy.mdb") + "'").replace("'other.mdb'", "'" + folder.filePath("other.mdb") + "'");
    QFile f(folder.filePath("rpt_runaway.rpt"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(("<report title=\"R\"><query><![CDATA[" + sql + "]]></query><columns><column field=\"a\" width=\"5\"/></columns></report>").toUtf8());
    f.close();
    const QStringList files = folder.entryList(QDir::Files | QDir::Hidden);
    const QStringList cases = db.rows("select * from qv_zr_tst_cases order by rowid");

    ReportEngine engine;
    auto report = engine.openReport(f.fileName());
    report->setDataSource(db.path());
    report->setReadLimits({qint64(memoryMb) << 20, milliseconds});
    try {
        report->content();
        QFAIL("the query ran to its end");
    } catch (const ReportError &e) {
        QVERIFY2(e.problem().contains(problem), qPrintable(e.problem()));
    }
    QCOMPARE(folder.entryList(QDir::Files | QDir::Hidden), files);
    QCOMPARE(db.rows("select * from qv_zr_tst_cases order by rowid"), cases);
    QCOMPARE(db.value("pragma journal_mode").toString(), QStringLiteral("delete"));
}

void TestReports::pagesHoldWholeRowsInOrderUnderHeaders()
{
    const Shown l = lay(*list);
    const int pages = l.layout.pageCount();
    QVERIFY2(pages >= 4, qPrintable(QString::number(pages)));
    int expected = 0;
    for (int p = 0; p < pages; ++p) {
        const QList<PageItem> &items = l.layout.pages.at(p).items;
        const bool rows = std::any_of(items.cbegin(), items.cend(), [](const PageItem &i) { return i.kind == PageItem::Kind::Row; });
        QVERIFY(!rows || items.first().kind == PageItem::Kind::ColumnHeader);
        QCOMPARE(l.layout.footerText(p), QStringLiteral("Page %1 of %2").arg(p + 1).arg(pages));
        // Nothing reaches into the header or the footer.
        QVERIFY(items.last().top + items.last().height <= l.layout.paintSize.height() - l.layout.footerHeight + 0.01);
        QVERIFY(items.first().top >= l.layout.headerHeight - 0.01);
        for (const PageItem &item : items) {
            if (item.kind != PageItem::Kind::Row)
                continue;
            QCOMPARE(item.index, expected++);
            QCOMPARE(item.firstLine, 0);
            QCOMPARE(item.lastLine, l.layout.rowLines.at(item.index));
        }
    }
    QCOMPARE(expected, 300);
    QCOMPARE(l.layout.headerCells.at(1), QStringList{"Description"});
}

void TestReports::longTextsWrapAndAreNeverCut_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("many words") << words(80, "w");
    QTest::newRow("one long word") << QString(400, QChar('x'));
    QTest::newRow("blanks past the edge") << "x" + QString(400, ' ');
    QTest::newRow("line breaks") << "first line\nsecond line\r\nthird\n\nfifth";
    QTest::newRow("apostrophes and accents") << QString::fromUtf8("l'été d'O'Brien ") + words(30, "é");
}

void TestReports::longTextsWrapAndAreNeverCut()
{
    QFETCH(QString, text);
    TempDatabase db;
    db.addCase("P", "T", "C", "K", "1", text, "short");
    const Shown l = lay(db);
    const QStringList lines = l.layout.rowCells.at(0).at(1);
    QFontMetricsF metrics(l.layout.bodyFont);
    const double room = l.layout.columnWidth.at(1) - 2 * l.layout.cellPadding;
    for (const QString &line : lines)
        QVERIFY2(metrics.horizontalAdvance(line) <= room + 0.5, qPrintable(line));
    // Every character comes back, in order; only blanks at the breaks may go.
    QString normalized = text;
    normalized.replace("\r\n", "\n");
    QCOMPARE(lines.join("").remove(' ').remove('\n'), normalized.remove(' ').remove('\n'));
    QCOMPARE(lines, wrapText(text, l.layout.bodyFont, room));
    QCOMPARE(l.layout.rowLines.at(0), int(lines.size()));
}

void TestReports::rowTallerThanAPageContinuesOnTheNext()
{
    TempDatabase db;
    db.addCase("P", "T", "C", "K", "1", "short", "short");
    QStringList many;
    for (int i = 0; i < 150; ++i)
        many << QString("line %1").arg(i);
    db.addCase("P", "T", "C", "K", "2", many.join('\n'), "e");
    const Shown l = lay(db);
    int next = 0;
    int parts = 0;
    for (const ReportPage &page : l.layout.pages) {
        for (const PageItem &item : page.items) {
            if (item.kind != PageItem::Kind::Row || item.index != 1)
                continue;
            QCOMPARE(item.firstLine, next);
            next = item.lastLine;
            ++parts;
        }
    }
    QVERIFY(parts >= 2);
    QCOMPARE(next, 150);
}

void TestReports::groupHeaderNeverEndsAPage()
{
    TempDatabase db;
    // Small groups of rows of varying height put group headers at every height on the page.
    QList<QStringList> cases;
    for (int i = 0; i < 400; ++i)
        cases.append({"P", QString("Type %1").arg(i / 3, 3, 10, QChar('0')), "C", "K", QString::number(i),
                      words(i % 11 + 1, "long"), "e"});
    db.addCases(cases);
    const Shown l = lay(db, "<groups><group field=\"qv_zr_tst_type\" header=\"Type {value}\" footer=\"{count} cases\"/></groups>");
    int headers = 0;
    for (const ReportPage &page : l.layout.pages) {
        for (int i = 0; i < page.items.size(); ++i) {
            if (page.items.at(i).kind != PageItem::Kind::GroupHeader)
                continue;
            ++headers;
            QVERIFY2(i + 1 < page.items.size() && page.items.at(i + 1).kind == PageItem::Kind::Row,
                     "a group header stands without its first row");
        }
    }
    QCOMPARE(headers, 134);
    QCOMPARE(itemLines(l.layout, PageItem::Kind::GroupFooter).first(), QStringLiteral("3 cases"));
}

void TestReports::cellTextStandsWhereACentredLineWould()
{
    TempDatabase db;
    db.addCase("P", "T", "C", "K", "T-17", words(40, "desc"), "ok");
    const Shown l = lay(db);
    const double scale = 150 / ReportUnits::dotsPerInch;
    QImage page((l.layout.paintSize * scale).toSize(), QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter p(&page);
        p.scale(scale, scale);
        ReportPainter::paintPage(p, l.layout, 0);
    }
    const PageItem *row = nullptr;
    for (const PageItem &item : l.layout.pages.first().items)
        row = item.kind == PageItem::Kind::Row ? &item : row;
    QVERIFY(row);
    const double pad = l.layout.cellPadding;
    for (int c : {0, 1}) {
        const QStringList lines = l.layout.rowCells.at(0).at(c);
        QImage expected(page.size(), QImage::Format_RGB32);
        expected.fill(Qt::white);
        QRectF cell;
        {
            QPainter p(&expected);
            p.scale(scale, scale);
            p.setFont(l.layout.bodyFont);
            for (int i = 0; i < lines.size(); ++i) {
                const QRectF box(l.layout.columnLeft.at(c) + pad, row->top + pad + i * l.layout.lineHeight,
                                 l.layout.columnWidth.at(c) - 2 * pad, l.layout.lineHeight);
                p.drawText(box, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, lines.at(i));
                cell |= box;
            }
        }
        const QRect pixels = QRectF(cell.topLeft() * scale, cell.bottomRight() * scale).toAlignedRect().adjusted(1, 1, -1, -1);
        QCOMPARE(page.copy(pixels), expected.copy(pixels));
    }
}

void TestReports::viewerNavigatesZoomsAndExports()
{
    Shown l = lay(*list);
    ReportViewer viewer;
    QTemporaryDir dir;
    QStringList proposed;
    QStringList errors;
    std::optional<QString> answer = dir.filePath("chosen"); // no suffix given
    viewer.setPdfFileChooser([&](QWidget *, const QString &name) {
        proposed << name;
        return answer;
    });
    viewer.setErrorReporter([&](QWidget *, const QString &text) { errors << text; });
    viewer.resize(900, 700);
    viewer.show();
    QVERIFY(!viewer.exportAction->isEnabled());
    viewer.setReportSource(l.report.get());
    viewer.viewReport();
    const int pages = viewer.pageCount();
    QCOMPARE(pages, l.layout.pageCount());
    QCOMPARE(viewer.currentPage(), 1);
    QVERIFY(!viewer.previousAction->isEnabled());
    viewer.nextAction->trigger();
    QCOMPARE(viewer.currentPage(), 2);
    viewer.lastAction->trigger();
    QCOMPARE(viewer.currentPage(), pages);
    QVERIFY(!viewer.nextAction->isEnabled());
    viewer.nextPage();
    QCOMPARE(viewer.currentPage(), pages);
    viewer.pageBox->setValue(2);
    QCOMPARE(viewer.currentPage(), 2);
    viewer.firstAction->trigger();
    QCOMPARE(viewer.currentPage(), 1);
    viewer.fitWidthAction->trigger();
    const double width = viewer.zoom();
    viewer.fitPageAction->trigger();
    QVERIFY(viewer.zoom() < width); // a portrait page is held back by its height
    viewer.zoomInAction->trigger();
    QCOMPARE(viewer.fit(), ReportViewer::Fit::None);
    const double zoomed = viewer.zoom();
    viewer.zoomOutAction->trigger();
    QVERIFY(viewer.zoom() < zoomed);
    QImage shot(viewer.size(), QImage::Format_RGB32);
    viewer.render(&shot); // the page on screen paints without error
    viewer.exportAction->trigger();
    QCOMPARE(proposed, QStringList{"Long list.pdf"});
    QCOMPARE(pdfPageCount(dir.filePath("chosen.pdf")), pages);
    answer = std::nullopt; // cancelled: nothing written, nothing said
    viewer.exportAction->trigger();
    answer = dir.filePath("missing/x.pdf");
    viewer.exportAction->trigger();
    QCOMPARE(errors.size(), 1);
    QVERIFY(errors.first().contains("missing/x.pdf"));
    viewer.setReportSource(nullptr);
    QCOMPARE(viewer.pageCount(), 0);
    QVERIFY(!viewer.printAction->isEnabled());
}

void TestReports::wrappingBreaksWhereTheTextLayoutBreaks_data()
{
    QTest::addColumn<QStringList>("texts");
    QRandomGenerator rng(4711);
    QStringList sentences;
    for (int i = 0; i < 400; ++i)
        sentences << sentence(rng, 1 + int(rng.bounded(40)));
    QTest::newRow("sentences") << sentences;
    QStringList edges;
    for (const QString &s : std::as_const(sentences).mid(0, 60)) {
        edges << s + QStringLiteral("   ") << QStringLiteral("  ") + s << s + QStringLiteral("\n\n") + s
              << s + QStringLiteral("\t") + s << s + QStringLiteral("\r\n") + s;
    }
    edges << QString(300, QChar('m')) << QStringLiteral("short ") + QString(120, QChar('w')) + QStringLiteral(" end")
          << QStringLiteral("a\u00a0b\u00a0c ") + sentences.at(1) << QStringLiteral("soft\u00adhyphen ") + sentences.at(2)
          << QStringLiteral("Ελληνικά κείμενα και ") + sentences.at(3) << QStringLiteral("Русский текст ") + sentences.at(4)
          << QStringLiteral("مرحبا بالعالم ") + sentences.at(5) << QStringLiteral("中文文本没有空格") + sentences.at(6)
          << QString() << QStringLiteral(" ") << QStringLiteral("-") << QStringLiteral("a");
    QTest::newRow("blanks, breaks, long words and other scripts") << edges;
}

void TestReports::wrappingBreaksWhereTheTextLayoutBreaks()
{
    QFETCH(QStringList, texts);
    for (const QFont &f : {font(142, false), font(142, true), font(40, false)}) {
        // One wrapper for every width, so that widths cannot share remembered results.
        TextWrapper wrapper(f);
        const double em = QFontMetricsF(f).height();
        for (double width = 3 * em; width < 40 * em; width *= 1.37) {
            for (const QString &text : std::as_const(texts)) {
                const QStringList expected = wrapText(text, f, width);
                QCOMPARE(wrapper.wrap(text, width), expected);
                QCOMPARE(wrapper.wrap(text, width), expected); // and again, remembered
                // Split without making the lines, and the lines made from the split.
                int lines = 0;
                const TextWrapper::Split split = wrapper.split(text, width, &lines);
                const std::vector<quint16> breaks(wrapper.breaks().cbegin(), wrapper.breaks().cend());
                QCOMPARE(lines, int(expected.size()));
                if (split == TextWrapper::Split::Whole)
                    QCOMPARE(QStringList{text}, expected);
                else if (split == TextWrapper::Split::AtBreaks)
                    QCOMPARE(TextWrapper::linesAt(text, breaks), expected);
            }
        }
    }
}

void TestReports::plainTextsAreWrappedFromWordWidths()
{
    // The speed comes from not laying out plain texts in full: almost all must go the quick way.
    QRandomGenerator rng(99);
    TextWrapper wrapper(font(142, false));
    for (int i = 0; i < 500; ++i)
        wrapper.wrap(sentence(rng, 5 + int(rng.bounded(30))), 2000);
    QCOMPARE(wrapper.quickParagraphs() + wrapper.fullParagraphs(), 500);
    QVERIFY2(wrapper.fullParagraphs() < 50, qPrintable(QString::number(wrapper.fullParagraphs())));
}

QTEST_MAIN(TestReports)
#include "tst_reports.moc"
