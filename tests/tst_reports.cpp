// The report engine: reading definitions, the four shipped reports on one
// fixture database, pages as they print, the viewer, and wrapping that breaks
// where the full text layout does.
#include "csvreader.h"
#include "frm_reports.h"
#include "programsources.h"
#include "report.h"
#include "reporterror.h"
#include "reportfixture.h"
#include "reportpainter.h"
#include "reportsummary.h"
#include "reportviewer.h"
#include "textwrapper.h"
#include "windowtest.h"

#include <QAction>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QProgressDialog>
#include <QRandomGenerator>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>
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

// more: the values of the parameters after the project.
Shown show(const QString &definition, const QString &database, const QString &project,
           const QString &company = "Acme Testing Ltd", const QStringList &more = {})
{
    Shown s;
    s.report = ReportEngine().openReport(definition);
    s.report->setDataSource(database);
    s.report->setPromptForParameters(false);
    s.report->setParameterValue(1, company);
    s.report->setParameterValue(2, project);
    for (int i = 0; i < more.size(); ++i)
        s.report->setParameterValue(3 + i, more.at(i));
    s.layout = layoutReport(s.report->definition(), s.report->content(), s.report->parameterValues(), QDate(2024, 4, 1));
    return s;
}

// A list report of our own, so that pages are tested apart from the shipped reports.
const char *listDefinition = R"(<report title="Long list">
  <parameters><parameter name="company" show="heading"/><parameter name="project" caption="Project Id"/></parameters>
  <query params="project"><![CDATA[select qv_zr_tst_type, qv_zr_component, qv_zr_tst_case_id, qv_zr_tst_case_desc, qv_zr_rslt_exp
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
    void columnsAreAsWideAsTheirTexts();
    void parametersAreTakenByPosition();
    void buildComparisonAndTheLogOfOneBuild();
    void progressAsOfAndNarrowingFollowTheHistory_data();
    void progressAsOfAndNarrowingFollowTheHistory();
    void reportReadsThroughItsOwnReadOnlyConnection();
    void discardingShowsTheDatabaseAsItIsNow();
    void brokenQueryOrDatabaseIsReported();
    void queryThatWritesOrRunsAwayIsStopped_data();
    void queryThatWritesOrRunsAwayIsStopped();
    void pagesHoldWholeRowsInOrderUnderHeaders();
    void longTextsWrapAndAreNeverCut_data();
    void longTextsWrapAndAreNeverCut();
    void rowTallerThanAPageContinuesOnTheNext();
    void pagesContinueGroupsAndKeepFootersWithRows();
    void firstPagesAreLaidOutBeforeTheRest();
    void summariesAgreeWithTheRows();
    void cellTextStandsWhereACentredLineWould();
    void viewerNavigatesZoomsAndExports();
    void wrappingBreaksWhereTheTextLayoutBreaks_data();
    void wrappingBreaksWhereTheTextLayoutBreaks();
    void plainTextsAreWrappedFromWordWidths();
    void reportWindowKeysToolsAndCsv();
    void pdfTextReadsAsTyped();
    void findGoesFromHitToHitAcrossPages();

private:
    std::unique_ptr<TempDatabase> fixture; // the shipped reports' data
    std::unique_ptr<TempDatabase> serverFixture; // the same on a PostgreSQL server
    std::unique_ptr<TempDatabase> list;    // 300 rows of varying height
    QString shipped(const QString &file) const { return QDir(fixture->folder()).filePath(file); }
};

void TestReports::initTestCase()
{
    addProgramReportSources();
    fixture = std::make_unique<TempDatabase>();
    copyReportDefinitions(fixture->folder());
    fillReportFixture(*fixture);
    if (TempDatabase::serverProblem().isEmpty()) {
        serverFixture = std::make_unique<TempDatabase>(TempDatabase::Engine::Server);
        fillReportFixture(*serverFixture);
    }
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

    const ReportDefinition more = ReportDefinition::parse(R"(<report title="More">
  <parameters><parameter name="c" show="heading" detail="addr"/><parameter name="p" caption="P" detail="d"/></parameters>
  <intro><query params="p">select 1 as addr, ? as d</query></intro>
  <query>select 1</query>
  <rows field="r" notEquals="Pass"/>
  <columns><column field="a" width="5"/></columns>
  <groups><group field="sev" order="Critical, Major"/></groups>
  <summary place="start">
    <countBy label="C" by="cat" sort="count" chart="yes"/>
    <breakdown label="B" by="t" across="r" rate="Pass" rateBase="Pass,Fail" rateLabel="Pass rate">
      <bar value="Pass" label="P"/><bar value="Fail" label="F"/></breakdown>
    <crossTab label="X" by="sev" across="cat" order="Critical"/>
    <period label="D" by="dt"/>
  </summary>
</report>)", QStringLiteral("more.rpt"));
    QCOMPARE(more.parameters.at(0).detail + more.parameters.at(1).detail, QStringLiteral("addrd"));
    QVERIFY(more.shown.negated && more.summaryFirst && more.introItems.isEmpty());
    QCOMPARE(more.groups.at(0).order, (QStringList{"Critical", "Major"}));
    QVERIFY(more.summary.at(0).byCount && more.summary.at(0).chart);
    QCOMPARE(more.summary.at(1).rateBase, (QStringList{"Pass", "Fail"}));
    QCOMPARE(more.summary.at(2).across, QStringLiteral("cat"));
    QCOMPARE(more.summary.at(3).kind, ReportSummaryItem::Kind::Period);
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
    QTest::newRow("source and sql") << head + "<query source=\"s\">select 1</query>\n" + columns + "</report>"
                                    << "line 3: <query> names a source and holds SQL";
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
    QTest::newRow("rows without a condition") << head + query + columns + "<rows field=\"a\"/></report>"
                                              << "line 5: <rows> needs either \"equals\" or \"notEquals\"";
    QTest::newRow("detail without intro") << "<report title=\"T\">\n<parameters><parameter name=\"p\" caption=\"P\" detail=\"d\"/></parameters>\n" + query + columns + "</report>"
                                          << "line 2: parameter \"p\" shows the field \"d\", but the report has no <intro>";
    QTest::newRow("summary placed nowhere") << head + query + columns + "<summary place=\"middle\"/></report>"
                                            << "line 5: place must be \"start\" or \"end\", not \"middle\"";
    QTest::newRow("breakdown without across") << summary + "<breakdown label=\"x\" by=\"a\"><bar value=\"P\" label=\"P\"/></breakdown></summary></report>"
                                              << "<breakdown> needs a \"across\" attribute";
    QTest::newRow("rate of no bar") << summary + "<breakdown label=\"x\" by=\"a\" across=\"r\" rate=\"Pass\" rateBase=\"Pass,Fail\">\n"
                                                 "<bar value=\"Pass\" label=\"P\"/></breakdown></summary></report>"
                                    << "line 5: <breakdown> rates \"Fail\", which none of its <bar> counts";
    QTest::newRow("rate without base") << summary + "<breakdown label=\"x\" by=\"a\" across=\"r\" rate=\"Pass\"/></summary></report>"
                                       << "needs both \"rate\" and \"rateBase\"";
    QTest::newRow("cross table without across") << summary + "<crossTab label=\"x\" by=\"a\"/></summary></report>"
                                                << "<crossTab> needs a \"across\" attribute";
    QTest::newRow("period without field") << summary + "<period label=\"x\"/></summary></report>" << "<period> needs a \"by\" attribute";
    QTest::newRow("bad count order") << summary + "<countBy label=\"x\" by=\"a\" sort=\"size\"/></summary></report>"
                                     << "sort must be \"value\" or \"count\", not \"size\"";
    QTest::newRow("bad chart flag") << summary + "<countBy label=\"x\" by=\"a\" chart=\"bars\"/></summary></report>"
                                    << "chart must be \"yes\" or \"no\", not \"bars\"";
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
    QTest::addColumn<bool>("onServer"); // the fixture on a PostgreSQL server, read through the same definitions
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("landscape");
    QTest::addColumn<QStringList>("ids"); // in report order
    QTest::addColumn<QString>("field");   // one more column and its values
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<QStringList>("headers");
    QTest::addColumn<QStringList>("footers");
    QTest::addColumn<QStringList>("summary");
    for (const bool onServer : {false, true}) {
    const auto newRow = [onServer](const char *name) -> QTestData & {
        return QTest::addRow("%s%s", name, onServer ? " on a server" : "") << onServer;
    };
    // Grouped by test type, then component, component type and id in numeric order; a group of one row has no footer.
    newRow("log") << "rpt_tst_log.rpt" << "Test Log" << true << QStringList{"1", "2", "10", "1", "3"} << "result"
                         << QStringList{"Pass", "Fail", "Not run", "Fail", "Pass"}
                         << QStringList{"Test Type: Functional", "Component: Login (3)", "Component: Report (1)",
                                        "Test Type: Performance", "Component: Login (1)"}
                         << QStringList{"Test cases of type Functional: 4"}
                         << QStringList{"Test cases|5| / Run|4|80.0 % of all / Passed|2|40.0 % of all / Failed|2|40.0 % of all / "
                                        "Not run|1|20.0 % of all / Pass rate (passed of run)|50.0 %|2 of 4",
                                        "Colours of the bars:|Passed|Failed|Not run|Critical|Major|Minor",
                                        "Open failures, Critical then Major: Critical|2|Login|Wrong password|Let in|06 Mar 2024",
                                        "Components by failures: Login|1|0|0|0|1 / Report|0|0|1|0|1 / Total|1|0|1|0|2",
                                        "By test type: Functional|1|2|1|4|33.3 % / Performance|1|0|0|1|100.0 % / Total|2|2|1|5|50.0 %",
                                        "By component: Login|2|1|1|4|66.7 % / Report|0|1|0|1|0.0 % / Total|2|2|1|5|50.0 %",
                                        "Failed cases by severity and defect category: Critical|0|1|1 / Major|0|0|0 / Minor|1|0|1 / Total|1|1|2",
                                        "Testing period: First date of testing|05 Mar 2024 / Last date of testing|08 Mar 2024 / "
                                        "Days, first to last|4 / Results dated|4"};
    // Case 10 is stored as "Fail" but was never logged: it has not failed. Severity groups come first.
    newRow("failed") << "rpt_tst_log_failed.rpt" << "Test Log - Failed Cases" << true << QStringList{"2", "1"}
                            << "qv_zr_def_severity" << QStringList{"Critical", "Minor"}
                            << QStringList{"Severity: Critical (1 failed)", "Test Type: Functional", "Severity: Minor (1 failed)",
                                           "Test Type: Functional"}
                            << QStringList{}
                            << QStringList{"Failed cases|2|40.0 % of all / Failed of run cases|50.0 %|2 of 4",
                                           "Colours of the bars:|Passed|Failed|Not run|Critical|Major|Minor",
                                           "Open failures, Critical then Major: Critical|2|Login|Wrong password|Let in|06 Mar 2024",
                                           "Components by failures: Login|1|0|0|0|1 / Report|0|0|1|0|1 / Total|1|0|1|0|2",
                                           "Failed cases by severity: Critical|1|50.0 % / Major|0|0.0 % / Minor|1|50.0 % / Total|2|100.0 %",
                                           "Failed cases by defect category: Calculation|1|50.0 % / Security|1|50.0 % / Total|2|100.0 %"};
    newRow("passed") << "rpt_tst_log_pass.rpt" << "Test Log - Passed Cases" << true << QStringList{"1", "3"}
                            << "qv_zr_tst_type" << QStringList{"Functional", "Performance"}
                            << QStringList{"Test Type: Functional", "Test Type: Performance"} << QStringList{}
                            << QStringList{"Passed cases|2|40.0 % of all / Share of run cases|50.0 %|2 of 4 / Share of all cases|40.0 %|2 of 5",
                                           "Colours of the bars:|Passed|Failed|Not run|Critical|Major|Minor",
                                           "Open failures, Critical then Major: Critical|2|Login|Wrong password|Let in|06 Mar 2024",
                                           "Components by failures: Login|1|0|0|0|1 / Report|0|0|1|0|1 / Total|1|0|1|0|2",
                                           "Passed cases by test type: Functional|1|50.0 % / Performance|1|50.0 % / Total|2|100.0 %"};
    newRow("plan") << "rpt_tst_plan.rpt" << "Test Plan" << false << QStringList{"1", "2", "10", "1", "3"}
                          << "qv_zr_rslt_exp" << QStringList{"Accepted", "Refused", "Works", "Adds up", "Under 1 s"}
                          << QStringList{"Test Type: Functional", "Component: Login", "Component: Report",
                                         "Test Type: Performance", "Component: Login"}
                          << QStringList{"Test cases of component Login: 3", "Test cases of type Functional: 4"}
                          << QStringList{"Test cases|5|", "Test cases by test type: Functional|4|80.0 % / Performance|1|20.0 % / Total|5|100.0 %",
                                         "Test cases by component: Login|4|80.0 % / Report|1|20.0 % / Total|5|100.0 %"};
}
}

void TestReports::shippedReportOnTheFixture()
{
    QFETCH(bool, onServer);
    QFETCH(QString, file);
    QFETCH(QString, title);
    QFETCH(bool, landscape);
    QFETCH(QStringList, ids);
    QFETCH(QString, field);
    QFETCH(QStringList, values);
    QFETCH(QStringList, headers);
    QFETCH(QStringList, footers);
    QFETCH(QStringList, summary);
    if (onServer && !serverFixture)
        QSKIP(qPrintable(TempDatabase::serverProblem()));
    const QString database = onServer ? serverFixture->path() : fixture->path();
    const Shown s = show(shipped(file), database, fixtureProject);
    const ReportDefinition &def = s.report->definition();
    QVERIFY(def.parameters.at(0).heading);
    QCOMPARE(def.query.parameters.first(), QStringLiteral("project"));
    QCOMPARE(s.column("qv_zr_tst_case_id"), ids);
    QCOMPARE(s.column(field), values);
    QCOMPARE(itemLines(s.layout, PageItem::Kind::GroupHeader), headers);
    QCOMPARE(itemLines(s.layout, PageItem::Kind::GroupFooter), footers);
    QCOMPARE(summaryRows(s.layout), summary);
    // The page heading: company and address, title, project and its description; the
    // footer: title, project, the day of printing.
    QCOMPARE(s.layout.heading, QStringLiteral("Acme Testing Ltd"));
    QCOMPARE(s.layout.addressLines, QStringList{"1 Road"});
    QCOMPARE(s.layout.title, title);
    QCOMPARE(s.layout.captionLines, QStringList{"Project Id: " + fixtureProject + " \u2014 Billing front end"});
    QCOMPARE(s.layout.footerCaption, title + " \u2014 Project Id: " + fixtureProject);
    QCOMPARE(s.layout.printedOn, QStringLiteral("Printed 01 Apr 2024"));
    QCOMPARE(s.layout.pageLayout.orientation(), landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    if (file == "rpt_tst_log.rpt") {
        QCOMPARE(s.column("qv_zr_rslt_act"), (QStringList{"Accepted", "Let in", "", "Off by one", "0.4 s"}));
        // Dates show as dates, and a never logged case shows none.
        QCOMPARE(s.layout.rowCells.at(0).last() + s.layout.rowCells.at(2).last(), (QStringList{"05 Mar 2024", ""}));
    } else if (file == "rpt_tst_plan.rpt") {
        QCOMPARE(s.report->content().introValues, (QStringList{"Web", "12.5 KLOC"}));
        // A group header comes before its rows, its footer after.
        QStringList order;
        for (const PageItem &item : s.layout.pages.first().items) {
            if (item.kind == PageItem::Kind::Row)
                order << QString::number(item.row);
            else if (item.kind == PageItem::Kind::GroupHeader || item.kind == PageItem::Kind::GroupFooter)
                order << (item.kind == PageItem::Kind::GroupHeader ? "H" : "F") + QString::number(item.level);
        }
        QCOMPARE(order.join(','), QStringLiteral("H0,H1,0,1,2,F1,H1,3,F0,H0,H1,4"));
    }
    // No project chosen: the empty id matches nothing, and the report still shows.
    const Shown empty = show(shipped(file), database, QString());
    QCOMPARE(empty.report->content().rows.size(), 0);
    QCOMPARE(itemLines(empty.layout, PageItem::Kind::Empty), QStringList{"There are no rows to show."});
    QCOMPARE(empty.layout.captionLines, QStringList{"Project Id: "});
    QCOMPARE(empty.layout.addressLines, QStringList{"1 Road"});
}

// The lead's project: ids whole on one line, the columns that say nothing new
// left out, and the Test Log at a dozen cases a page.
void TestReports::columnsAreAsWideAsTheirTexts()
{
    TempDatabase db;
    copyReportDefinitions(db.folder());
    fillLeadProject(db);
    const auto headers = [](const Shown &s) {
        QStringList out;
        for (int column : s.layout.shownColumns)
            out << s.report->definition().columns.at(column).header;
        return out;
    };
    const Shown log = show(QDir(db.folder()).filePath("rpt_tst_log.rpt"), db.path(), leadProject);
    QCOMPARE(log.report->content().rows.size(), 250);
    QCOMPARE(headers(log), (QStringList{"Component Type", "Test Case Id", "Test Case Description",
                                        "Expected Result", "Actual Result", "Pass/Fail", "Severity", "Defect Category", "Date"}));
    const int id = int(log.layout.shownColumns.indexOf(2));
    int rowPages = 0;
    for (const ReportPage &page : log.layout.pages)
        rowPages += std::any_of(page.items.cbegin(), page.items.cend(), [](const PageItem &i) { return i.kind == PageItem::Kind::Row; });
    for (qsizetype row = 0; row < log.layout.rowCells.size(); ++row)
        QCOMPARE(log.layout.rowCells.at(row).at(id).size(), 1);
    // The progress over time opens page two, after the manager's page.
    const qsizetype progress = std::find_if(log.layout.tables.cbegin(), log.layout.tables.cend(),
                                            [](const SummaryTable &t) { return t.title == "Progress over time"; })
                               - log.layout.tables.cbegin();
    QCOMPARE(log.layout.tables.value(progress).rows.size(), 18);
    QVERIFY(std::any_of(log.layout.pages.at(1).items.cbegin(), log.layout.pages.at(1).items.cend(),
                        [&](const PageItem &i) { return i.kind == PageItem::Kind::Table && i.table == progress && !i.continued; }));
    // 52 pages when every column kept its share of the width; now a dozen cases a page or more.
    QVERIFY2(rowPages <= 250 / 12 && log.layout.pageCount() < 25, qPrintable(QString::number(rowPages) + " pages of rows"));

    // The failures' outcome is in every row and their severity in the group heading.
    const Shown failed = show(QDir(db.folder()).filePath("rpt_tst_log_failed.rpt"), db.path(), leadProject);
    QCOMPARE(headers(failed), (QStringList{"Component", "Component Type", "Test Case Id", "Test Case Description",
                                           "Expected Result", "Actual Result", "Defect Category", "Date"}));
    // Passes have neither severity nor category, and here every actual result is "As expected.".
    const Shown passed = show(QDir(db.folder()).filePath("rpt_tst_log_pass.rpt"), db.path(), leadProject);
    QCOMPARE(headers(passed), (QStringList{"Component", "Component Type", "Test Case Id", "Test Case Description",
                                           "Expected Result", "Date"}));

    // A small project's report is one page, its summary and rows together.
    QList<QStringList> six;
    for (int i = 0; i < 6; ++i)
        six.append({"Six", i < 3 ? "Functional" : "Usability", i % 2 ? "Login" : "Search", "Screen",
                    "S-" + QString::number(i), QStringList{"The user signs in with a saved password.",
                    "A search for a name finds the customer and opens the record after a click on it.",
                    "Sign-in fails three times and the account is locked for a quarter of an hour.",
                    "Results come sorted by date.", "The page shows in the browser's language.",
                    "An empty search explains what to type."}.at(i),
                    i % 2 ? "The start page shows." : "The list shows the matches, newest first, twenty a page."});
    db.addCases(six);
    for (int i = 0; i < 5; ++i)
        logResult(db, six.at(i).mid(0, 5), i < 2 ? "Fail" : "Pass", i < 2 ? "An error page shows." : "As expected.",
                  i >= 2 ? "" : i ? "Major" : "Critical", i >= 2 ? "" : "Functionality", "2026-11-0" + QString::number(i + 1));
    for (const char *file : {"rpt_tst_log_failed.rpt", "rpt_tst_log_pass.rpt", "rpt_tst_plan.rpt"})
        QCOMPARE(show(QDir(db.folder()).filePath(file), db.path(), "Six").layout.pageCount(), 1);
    // The Test Log's manager page leaves room for the first rows: its narrow tables stand side by side.
    const Shown small = show(QDir(db.folder()).filePath("rpt_tst_log.rpt"), db.path(), "Six");
    const QList<PageItem> &first = small.layout.pages.first().items;
    QVERIFY(std::count_if(first.cbegin(), first.cend(), [](const PageItem &i) { return i.kind == PageItem::Kind::Row; }) >= 4);
    QVERIFY(std::any_of(first.cbegin(), first.cend(), [](const PageItem &i) { return i.kind == PageItem::Kind::Table && i.left > 0; }));
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
    QCOMPARE(report->parameterValues(), (QStringList{"", fixtureProject, "", "", "", ""}));
    QCOMPARE(report->content().rows.size(), 5);
    // A cleared value is gone; positions past the declared ones are refused.
    report->clearParameter(2);
    QCOMPARE(report->parameterValue(2), std::nullopt);
    QCOMPARE(report->content().rows.size(), 0);
    QVERIFY_THROWS_EXCEPTION(ReportError, report->setParameterValue(7, "x"));
    QVERIFY_THROWS_EXCEPTION(ReportError, report->clearParameter(0));
    QCOMPARE(engine.reportsOpened(), 1);
}

void TestReports::buildComparisonAndTheLogOfOneBuild()
{
    TempDatabase db;
    fillBuildHistory(db);
    logResult(db, {"Builds", "Functional", "Login", "Screen", "c1"}, "Pass", "own row", "", "", "2024-03-05");
    const Shown cmp = show(shipped("rpt_build_cmp.rpt"), db.path(), "Builds", "Acme", {"b3", "b4"});
    // By group in its order, then severity, then the key; passing both times or never run: counted only.
    QCOMPARE(cmp.column("qv_zr_tst_case_id"), (QStringList{"c6", "c1", "c2", "c7", "c3", "c4", "c5"}));
    QCOMPARE(cmp.column("older_result"), (QStringList{"Pass", "Pass", "Fail", "Fail", "Fail", "Not run", "Pass"}));
    QCOMPARE(cmp.column("newer_result"), (QStringList{"Fail", "Fail", "Pass", "Fail", "Fail", "Pass", "Not run"}));
    QCOMPARE(cmp.column("flips"), (QStringList{"3", "1", "1", "2", "0", "0", "0"})); // in the order tested
    QCOMPARE(itemLines(cmp.layout, PageItem::Kind::GroupHeader),
             (QStringList{"New failures (2)", "Severity: Critical (1)", "Severity: Minor (1)", "Fixed (1)",
                          "Severity: Major (1)", "Still failing (2)", "Severity: Major (1)", "Severity: Minor (1)",
                          "Newly run (1)", "Severity: None (1)", "Not run under the newer (1)", "Severity: None (1)"}));
    QCOMPARE(summaryRows(cmp.layout),
             (QStringList{"Test cases|9| / New failures|2|22.2 % of all / Fixed|1|11.1 % of all / "
                          "Still failing|2|22.2 % of all / Newly run|1|11.1 % of all / "
                          "Not run under the newer|1|11.1 % of all / Pass rate, older build|57.1 %|4 of 7 / "
                          "Pass rate, newer build|42.9 %|3 of 7 / Unstable (3 flips or more)|1|11.1 % of all",
                          cmp.layout.tables.last().title + ": Functional / Login / Screen / c6 (3 flips)"}));
    QCOMPARE(cmp.layout.captionLines, (QStringList{"Project Id: Builds \u2014 desc", "Older build: b3", "Newer build: b4"}));

    // The Test Log of one build: each case's latest result under it; of none, every build's as before.
    const Shown b4 = show(shipped("rpt_tst_log.rpt"), db.path(), "Builds", "Acme", {"b4"});
    QCOMPARE(b4.column("result"), (QStringList{"Fail", "Pass", "Fail", "Pass", "Not run", "Fail", "Fail", "Pass", "Not run"}));
    QCOMPARE(b4.column("qv_zr_rslt_act"), (QStringList{"b4 Fail", "b4 Pass", "b4 Fail", "b4 Pass", "Not run in this build",
                                                      "b4 Fail", "b4 Fail", "b4 Pass", "Not run in this build"}));
    QCOMPARE(b4.layout.captionLines.last(), QStringLiteral("Build: b4"));
    QCOMPARE(b4.layout.tables.first().rows.at(2), (QStringList{"Passed", "3", "33.3 % of all"}));
    const Shown all = show(shipped("rpt_tst_log.rpt"), db.path(), "Builds", "Acme", {""});
    QCOMPARE(all.column("result"), QStringList{"Pass"} + QStringList(8, "Not run"));
    QCOMPARE(all.layout.captionLines, QStringList{"Project Id: Builds \u2014 desc"});
    QCOMPARE(all.layout.footerCaption, QStringLiteral("Test Log \u2014 Project Id: Builds"));
}

void TestReports::progressAsOfAndNarrowingFollowTheHistory_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("more"); // the parameters after the project
    QTest::addColumn<QStringList>("results");
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<QStringList>("progress");
    QTest::addColumn<QString>("lastBar"); // cases passed, failed and not run at the last day
    const QString log = "rpt_tst_log.rpt";
    QTest::newRow("log") << log << QStringList{} << QStringList{"c1 Pass", "c2 Fail", "c3 Fail", "c4 Pass"}
                         << QStringList{}
                         << QStringList{"04 Mar 2024|2|1|1|50.0 %|25.0 %", "05 Mar 2024|2|1|1|75.0 %|50.0 %",
                                        "07 Mar 2024|2|1|1|100.0 %|50.0 %"}
                         << "2,2,0";
    QTest::newRow("as of") << log << QStringList{"", "", "", "2024-03-05"}
                           << QStringList{"c1 Pass", "c2 Pass", "c3 Fail", "c4 Not run"}
                           << QStringList{"As of: 05 Mar 2024"}
                           << QStringList{"04 Mar 2024|2|1|1|50.0 %|25.0 %", "05 Mar 2024|2|1|1|75.0 %|50.0 %"}
                           << "2,1,1";
    QTest::newRow("type") << log << QStringList{"", "Functional"} << QStringList{"c1 Pass", "c2 Fail", "c3 Fail"}
                          << QStringList{"Test type: Functional"}
                          << QStringList{"04 Mar 2024|2|1|1|66.7 %|33.3 %", "05 Mar 2024|2|1|1|100.0 %|66.7 %",
                                         "07 Mar 2024|1|0|1|100.0 %|33.3 %"}
                          << "1,2,0";
    QTest::newRow("type, component, as of")
        << log << QStringList{"", "Functional", "Login", "2024-03-04"} << QStringList{"c1 Fail", "c2 Pass"}
        << QStringList{"Test type: Functional", "Component: Login", "As of: 04 Mar 2024"}
        << QStringList{"04 Mar 2024|2|1|1|100.0 %|50.0 %"} << "1,1,0";
    QTest::newRow("failed as of") << "rpt_tst_log_failed.rpt" << QStringList{"", "", "2024-03-05"}
                                  << QStringList{"c3 Fail"} << QStringList{"As of: 05 Mar 2024"} << QStringList{} << "";
    QTest::newRow("passed, component") << "rpt_tst_log_pass.rpt" << QStringList{"", "Login"}
                                       << QStringList{"c1 Pass", "c4 Pass"} << QStringList{"Component: Login"}
                                       << QStringList{} << "";
    QTest::newRow("passed as of") << "rpt_tst_log_pass.rpt" << QStringList{"", "", "2024-03-04"}
                                  << QStringList{"c2 Pass"} << QStringList{"As of: 04 Mar 2024"} << QStringList{} << "";
}

// c1 fails then passes, c2 passes then fails after 05 Mar, c3 fails, c4 is first run on 07 Mar.
void TestReports::progressAsOfAndNarrowingFollowTheHistory()
{
    QFETCH(QString, file);
    QFETCH(QStringList, more);
    QFETCH(QStringList, results);
    QFETCH(QStringList, captions);
    QFETCH(QStringList, progress);
    QFETCH(QString, lastBar);
    TempDatabase db;
    db.addProject("Hist");
    db.addProject("Other");
    const QStringList c1{"Hist", "Functional", "Login", "Screen", "c1"}, c2{"Hist", "Functional", "Login", "Screen", "c2"},
        c3{"Hist", "Functional", "Report", "Screen", "c3"}, c4{"Hist", "Performance", "Login", "Screen", "c4"};
    db.addCases({c1 + QStringList{"d", "e"}, c2 + QStringList{"d", "e"}, c3 + QStringList{"d", "e"},
                 c4 + QStringList{"d", "e"}, {"Other", "Functional", "Login", "Screen", "c1", "d", "e"}});
    const QList<std::tuple<QStringList, QString, QString>> history{
        {c1, "Fail", "2024-03-04"}, {c2, "Pass", "2024-03-04"}, {c1, "Pass", "2024-03-05"},
        {c3, "Fail", "2024-03-05"}, {c2, "Fail", "2024-03-07"}, {c4, "Pass", "2024-03-07"},
        {{"Other", "Functional", "Login", "Screen", "c1"}, "Pass", "2024-03-06"}};
    for (const auto &[key, pass, date] : history) {
        addHistory(db, key, pass, date);
        logResult(db, key, pass, pass + " on " + date, "", "", date);
    }

    const Shown s = show(shipped(file), db.path(), "Hist", "Acme", more);
    QStringList shownResults;
    const QStringList ids = s.column("qv_zr_tst_case_id");
    for (int i = 0; i < ids.size(); ++i)
        shownResults << ids.at(i) + " " + s.column("result").at(i);
    QCOMPARE(shownResults, results);
    QCOMPARE(s.layout.captionLines.mid(1), captions);
    QStringList progressRows;
    QString bar;
    for (const SummaryTable &table : s.layout.tables) {
        if (table.title != "Progress over time")
            continue;
        for (const QStringList &row : table.rows)
            progressRows << row.join('|');
        for (const ChartBar &part : table.bars.last())
            bar += (bar.isEmpty() ? "" : ",") + QString::number(part.count);
    }
    QCOMPARE(progressRows, progress);
    QCOMPARE(bar, lastBar);
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
    // A query naming a column no table has, and a source the program does not have.
    const QList<QPair<QString, QByteArray>> bad = {
        {"rpt_broken.rpt", "<report title=\"B\"><query>select nope from qv_zr_projects</query>\n"
                           "<columns><column field=\"nope\" width=\"5\"/></columns></report>"},
        {"rpt_unknown.rpt", "<report title=\"U\"><query source=\"nope\"/>\n"
                            "<columns><column field=\"a\" width=\"5\"/></columns></report>"}};
    ReportEngine engine;
    for (const auto &[name, text] : bad) {
        const QString file = dir.filePath(name);
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(text) == text.size());
        f.close();
        auto report = engine.openReport(file);
        report->setDataSource(fixture->path());
        try {
            report->content();
            QFAIL("a broken query ran");
        } catch (const ReportError &e) {
            QCOMPARE(e.file(), file);
            QVERIFY2(e.problem().contains("line 1") && e.problem().contains("nope"), qPrintable(e.problem()));
        }
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
        QVERIFY(items.first().top >= l.layout.bodyTop(p) - 0.01);
        for (const PageItem &item : items) {
            if (item.kind != PageItem::Kind::Row)
                continue;
            QCOMPARE(item.row, expected++);
            QCOMPARE(item.firstLine, 0);
            QCOMPARE(item.lastLine, l.layout.rowCells.lineCount(item.row));
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
    QCOMPARE(l.layout.rowCells.lineCount(0), int(lines.size()));
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
            if (item.kind != PageItem::Kind::Row || item.row != 1)
                continue;
            QCOMPARE(item.firstLine, next);
            next = item.lastLine;
            ++parts;
        }
    }
    QVERIFY(parts >= 2);
    QCOMPARE(next, 150);
}

void TestReports::pagesContinueGroupsAndKeepFootersWithRows()
{
    // Small groups in larger ones, rows of varying height: headings and footers fall at every height on the page.
    for (const int part : {4, 5, 8}) {
        TempDatabase db;
        QList<QStringList> cases;
        for (int i = 0; i < 400; ++i)
            cases.append({"P", QString("Type %1").arg(i / 40), QString("Part %1").arg(i / part, 3, 10, QChar('0')), "K",
                          QString::number(i), words(i * 7 % 37 + 1, "long"), "e"});
        db.addCases(cases);
        const Shown l = lay(db, "<groups><group field=\"qv_zr_tst_type\" header=\"Type {value}\" footer=\"{count} of type\"/>"
                                "<group field=\"qv_zr_component\" header=\"Part {value}\" footer=\"{count} cases\"/></groups>");
        QVERIFY(l.layout.complete);
        int fresh = 0;
        for (int p = 0; p < l.layout.pageCount(); ++p) {
            const QList<PageItem> &items = l.layout.pages.at(p).items;
            // The page's top: column headings, then the headings of the groups its first row goes on in.
            int i = 0;
            if (items.first().kind == PageItem::Kind::ColumnHeader)
                ++i;
            QStringList continued;
            for (; i < items.size() && items.at(i).continued; ++i)
                continued << items.at(i).lines.join(' ');
            QVERIFY2(i < items.size(), "a page holds only its headings");
            const PageItem &first = items.at(i);
            QVERIFY2(first.kind != PageItem::Kind::GroupFooter, qPrintable(QString("page %1 starts with a footer").arg(p + 1)));
            if (first.kind == PageItem::Kind::Row) {
                const QStringList row = l.report->content().rows.at(first.row);
                QCOMPARE(continued, (QStringList{"Type " + row.at(0) + " (continued)", "Part " + row.at(1) + " (continued)"}));
            } else if (first.kind == PageItem::Kind::GroupHeader && first.level == 1) {
                QCOMPARE(continued.size(), 1);
            }
            for (int h = i; h < items.size(); ++h) {
                if (items.at(h).kind != PageItem::Kind::GroupHeader || items.at(h).continued)
                    continue;
                ++fresh;
                QVERIFY2(h + 1 < items.size() && items.at(h + 1).kind != PageItem::Kind::GroupFooter, "a heading without rows");
            }
        }
        QCOMPARE(fresh, 10 + 400 / part);
        QCOMPARE(itemLines(l.layout, PageItem::Kind::GroupFooter).first(), QString("%1 cases").arg(part));
    }
}

// A layout made page by page is the layout made at once; the first pages
// stand before the rows further on are split.
void TestReports::firstPagesAreLaidOutBeforeTheRest()
{
    const Shown whole = lay(*list);
    ReportLayouter layouter(whole.report->definition(), whole.report->content(), whole.report->parameterValues(), QDate(2024, 4, 1));
    layouter.layoutPages(2);
    QVERIFY(!layouter.isComplete());
    QCOMPARE(layouter.layout().pageCount(), 3);
    QVERIFY(layouter.layout().rowCells.splitRows() < 300);
    QCOMPARE(layouter.layout().footerText(0), QStringLiteral("Page 1 of ..."));
    layouter.finish();
    QCOMPARE(layouter.layout().footerText(0), QStringLiteral("Page 1 of %1").arg(whole.layout.pageCount()));
    for (int p = 0; p < whole.layout.pageCount(); ++p) {
        QCOMPARE(layouter.layout().pages.at(p).items.size(), whole.layout.pages.at(p).items.size());
        QCOMPARE(layouter.layout().pages.at(p).items.last().top, whole.layout.pages.at(p).items.last().top);
    }
}

// On a project of random results: every number of a summary is the rows'
// count, failed cases come in severity order, the summary stands whole on
// one page, and a long company name fits the width.
void TestReports::summariesAgreeWithTheRows()
{
    TempDatabase db;
    copyReportDefinitions(db.folder());
    db.addProject("R", "Random");
    QRandomGenerator rng(7);
    const QStringList severities{"Minor", "Critical", "Blocker", "Major", ""};
    QList<QStringList> cases;
    for (int i = 0; i < 300; ++i)
        cases.append({"R", QString("Type %1").arg(rng.bounded(4)), QString("Part %1").arg(rng.bounded(9)), "K", QString::number(i), "d", "e"});
    db.addCases(cases);
    for (const QStringList &c : cases) {
        const int r = rng.bounded(3);
        if (r < 2)
            logResult(db, c.mid(0, 5), r ? "Fail" : "Pass", "a", r ? severities.at(rng.bounded(5)) : "",
                      r ? QString("Cat %1").arg(rng.bounded(3)) : "", QString("2024-03-%1").arg(rng.bounded(9) + 10));
    }
    const QString company = QString::fromUtf8("ÅNGSTRÖM MEASUREMENT & VERIFICATION SERVICES GMBH");
    for (const QString file : {"rpt_tst_plan.rpt", "rpt_tst_log.rpt", "rpt_tst_log_failed.rpt", "rpt_tst_log_pass.rpt"}) {
        const Shown s = show(QDir(db.folder()).filePath(file), db.path(), "R", company);
        QCOMPARE(s.layout.headingLines, QStringList{company});
        QVERIFY(QFontMetricsF(s.layout.headingFont).horizontalAdvance(company) <= s.layout.paintSize.width());
        if (file == QLatin1String("rpt_tst_plan.rpt")) {
            // The widest letters at the company name's limit take a smaller font, on one line.
            const Shown wide = show(QDir(db.folder()).filePath(file), db.path(), "R", QString(50, 'W'));
            QCOMPARE(wide.layout.headingLines, QStringList{QString(50, 'W')});
            QVERIFY(QFontMetricsF(wide.layout.headingFont).horizontalAdvance(QString(50, 'W')) <= wide.layout.paintSize.width());
            continue;
        }
        QMap<QString, int> results; // by result, over every case
        for (const QString &r : show(QDir(db.folder()).filePath("rpt_tst_log.rpt"), db.path(), "R").column("result"))
            ++results[r];
        const int run = results["Pass"] + results["Fail"];
        const SummaryTable &totals = s.layout.tables.first();
        QSet<int> summaryPages;
        for (int p = 0; p < s.layout.pageCount(); ++p)
            for (const PageItem &item : s.layout.pages.at(p).items)
                if (item.kind == PageItem::Kind::Table || item.kind == PageItem::Kind::SummaryTitle)
                    summaryPages << p;
        if (file == QLatin1String("rpt_tst_log.rpt")) {
            QCOMPARE(totals.rows.at(0).at(1), QString::number(300));
            QCOMPARE(totals.rows.at(2).at(1), QString::number(results["Pass"]));
            QCOMPARE(totals.rows.at(4).at(1), QString::number(results["Not run"]));
            for (const SummaryTable &t : s.layout.tables.mid(4, 2)) {
                // Each row's parts add up to its total, its bar to its parts; the totals to the cases.
                for (int r = 0; r < t.rows.size(); ++r) {
                    const QStringList &row = t.rows.at(r);
                    QCOMPARE(row.at(1).toInt() + row.at(2).toInt() + row.at(3).toInt(), row.at(4).toInt());
                    const QList<ChartBar> &bar = t.bars.at(r);
                    QCOMPARE(bar.at(0).count + bar.at(1).count + bar.at(2).count, row.at(4).toInt());
                }
                QCOMPARE(t.rows.last().mid(1, 4), (QStringList{QString::number(results["Pass"]), QString::number(results["Fail"]),
                                                               QString::number(results["Not run"]), "300"}));
                QCOMPARE(t.rows.last().at(5), percent(results["Pass"], run));
            }
            QCOMPARE(s.layout.tables.at(6).rows.last().last(), QString::number(results["Fail"]));
        } else if (file == QLatin1String("rpt_tst_log_failed.rpt")) {
            QCOMPARE(s.report->content().rows.size(), results["Fail"]);
            QCOMPARE(totals.rows.at(0).at(1), QString::number(results["Fail"]));
            QStringList order;
            for (const PageItem &item : s.layout.pages.first().items)
                if (item.kind == PageItem::Kind::GroupHeader && item.level == 0)
                    order << item.lines.join(' ').section(' ', 1, 1);
            for (const ReportPage &page : s.layout.pages.mid(1))
                for (const PageItem &item : page.items)
                    if (item.kind == PageItem::Kind::GroupHeader && item.level == 0 && !item.continued)
                        order << item.lines.join(' ').section(' ', 1, 1);
            QCOMPARE(order, (QStringList{"Critical", "Major", "Minor", "Blocker", "(blank)"}));
            QCOMPARE(s.layout.tables.last().rows.last().at(1), QString::number(results["Fail"]));
            // The summary comes first, its open failures filling the first page.
            QVERIFY(summaryPages.contains(0));
        } else {
            QCOMPARE(totals.rows.at(0).at(1), QString::number(results["Pass"]));
            QCOMPARE(totals.rows.at(1).at(1), percent(results["Pass"], run));
            QVERIFY(summaryPages.contains(0));
        }
    }
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
    QStringList filters;
    QStringList errors;
    std::optional<QString> answer = dir.filePath("chosen"); // no suffix given
    viewer.setFileChooser([&](QWidget *, const QString &name, const QString &filter) {
        proposed << name;
        filters << filter;
        return answer;
    });
    viewer.setErrorReporter([&](QWidget *, const QString &text) { errors << text; });
    viewer.resize(900, 700);
    viewer.show();
    QVERIFY(!viewer.exportAction->isEnabled());
    viewer.setReportSource(l.report.get());
    viewer.viewReport();
    // The first pages show at once, the others follow while the window waits.
    QCOMPARE(viewer.pageCount(), 2);
    QTRY_COMPARE(viewer.pageCount(), l.layout.pageCount());
    const int pages = viewer.pageCount();
    QCOMPARE(viewer.currentPage(), 1);
    // A portrait report opens with the whole page in sight.
    auto *scroll = viewer.findChild<QScrollArea *>();
    QCOMPARE(viewer.fit(), ReportViewer::Fit::Page);
    QVERIFY(scroll->widget()->height() <= scroll->viewport()->height());
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

    // The wheel scrolls within the page; a notch past its foot shows the next
    // page from its top, a notch back the previous one at its foot.
    viewer.fitWidthAction->trigger();
    QScrollBar *bar = scroll->verticalScrollBar();
    auto wheel = [&](int delta, Qt::KeyboardModifiers modifiers = {}) {
        const QPoint at = scroll->viewport()->rect().center();
        QWheelEvent event(at, scroll->viewport()->mapToGlobal(at), {}, {0, delta}, Qt::NoButton, modifiers,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(scroll->viewport(), &event);
    };
    wheel(-120);
    QCOMPARE(viewer.currentPage(), 1);
    QVERIFY(bar->value() > 0);
    for (int i = 0; i < 100 && bar->value() < bar->maximum(); ++i)
        wheel(-120);
    QCOMPARE(viewer.currentPage(), 1);
    wheel(-120);
    QCOMPARE(viewer.currentPage(), 2);
    QCOMPARE(bar->value(), 0);
    wheel(120);
    QCOMPARE(viewer.currentPage(), 1);
    QCOMPARE(bar->value(), bar->maximum());
    wheel(120, Qt::ControlModifier);
    QVERIFY(viewer.zoom() > width);
    QCOMPARE(viewer.currentPage(), 1);

    const QString today = QDate::currentDate().toString(Qt::ISODate);
    viewer.exportAction->trigger();
    QCOMPARE(proposed, QStringList{"Long list - P - " + today + ".pdf"});
    QCOMPARE(filters, QStringList{"PDF files (*.pdf)"});
    QCOMPARE(pdfPageCount(dir.filePath("chosen.pdf")), pages);
    answer = std::nullopt; // cancelled: nothing written, nothing said
    viewer.exportAction->trigger();
    answer = dir.filePath("missing/x.pdf");
    viewer.exportAction->trigger();
    QCOMPARE(errors.size(), 1);
    QVERIFY(errors.first().contains("missing/x.pdf"));

    // A slow export shows the pages done; Cancel leaves an older file of that
    // name as it was and nothing of the new one.
    const QString older = dir.filePath("older.pdf");
    const QByteArray olderBytes("%PDF-1.4 the report of last week\n%%EOF\n");
    QFile file(older);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(olderBytes) == olderBytes.size());
    file.close();
    answer = older;
    int shownOf = -1;
    QTimer user;
    connect(&user, &QTimer::timeout, this, [&] {
        auto *progress = viewer.findChild<QProgressDialog *>("exportProgress");
        if (!progress || shownOf >= 0)
            return;
        if (!progress->isVisible()) {
            QThread::msleep(80); // a slow disk
            return;
        }
        shownOf = progress->maximum();
        progress->findChild<QPushButton *>()->click();
    });
    user.start(0);
    viewer.exportAction->trigger();
    user.stop();
    QCOMPARE(shownOf, pages);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), olderBytes);
    file.close();
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), (QStringList{"chosen.pdf", "older.pdf"}));
    QCOMPARE(errors.size(), 1);

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

// Reads RFC 4180 strictly: records end in CRLF, a quoted field holds anything
// with its quotes doubled. Nothing when the text breaks the rules.
static QList<QStringList> readCsv(const QString &text)
{
    QList<QStringList> records;
    QStringList record;
    QString field;
    bool inQuotes = false;
    bool wasQuoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (inQuotes) {
            if (c != '"')
                field += c;
            else if (text.mid(i + 1, 1) == "\"")
                field += text.at(++i);
            else
                inQuotes = false;
        } else if (c == '"' && field.isEmpty() && !wasQuoted) {
            inQuotes = wasQuoted = true;
        } else if (c == ',' || (c == '\r' && text.mid(i + 1, 1) == "\n")) {
            record << field;
            field.clear();
            wasQuoted = false;
            if (c == '\r') {
                records << record;
                record.clear();
                ++i;
            }
        } else if (c == '"' || c == '\r' || c == '\n' || wasQuoted) {
            return {};
        } else {
            field += c;
        }
    }
    return inQuotes || !field.isEmpty() || !record.isEmpty() ? QList<QStringList>() : records;
}

// The report window as a user meets it: the viewer's keys right after
// Generate, Tab through its tools, every tool in sight at 800 px, and the
// rows out to a CSV file that reads back as the report shows them.
void TestReports::reportWindowKeysToolsAndCsv()
{
    WindowOn<Frm_Reports> f;
    copyReportDefinitions(f.db.folder());
    f.db.setCompany("Acme", "");
    const QString project = "Web/App: v2*"; // characters a file name may not hold
    f.db.addProject(project);
    const QStringList texts{"He said \"yes\", then left", "line one\r\nline two", "first\nsecond", "Prüfung «Ω» 日本語 Привет",
                            "a,b,,c", "\"quoted\"", "-2+3"};
    QList<QStringList> cases;
    for (int i = 0; i < 90; ++i)
        cases.append({project, i % 2 ? "Functional, UI" : "Load", i % 3 ? "Login" : "Панель", "Screen", QString::number(i),
                      texts.at(i % texts.size()) + " " + words(i % 20 + 1, "w"), texts.at((i + 1) % texts.size())});
    f.db.addCases(cases);
    f.db.exec("update qv_zr_tst_cases set qv_zr_pass = 'Pass', qv_zr_rslt_act = qv_zr_rslt_exp, qv_zr_dt_tst = '2024-03-05' "
              "where cast(qv_zr_tst_case_id as integer) % 2 = 0");
    f.load();
    f.w->resize(800, 600);
    QVERIFY(f.w->cmb_prjid->selectEqualEntry(project));
    f.w->TypeofReport->setListIndex(3); // the Test Plan, portrait
    f.w->TypeofReport->setFocus();
    QTest::keyClick(f.w->TypeofReport, Qt::Key_Return);
    ReportViewer *v = f.w->RptView;
    QVERIFY(hasFocusIn(v));
    QCOMPARE(v->fit(), ReportViewer::Fit::Page);
    QTRY_VERIFY(v->pageCount() >= 3);

    auto key = [](Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    };
    key(Qt::Key_PageDown);
    QCOMPARE(v->currentPage(), 2);
    key(Qt::Key_PageUp);
    QCOMPARE(v->currentPage(), 1);
    key(Qt::Key_End);
    QCOMPARE(v->currentPage(), v->pageCount());
    key(Qt::Key_Home);
    QCOMPARE(v->currentPage(), 1);
    key(Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(v->currentPage(), v->pageCount());
    key(Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(v->currentPage(), 1);
    // On the Exit button over the toolbar too; Esc in the find box only closes it.
    f.w->Cmdrepexit->setFocus();
    key(Qt::Key_PageDown);
    QCOMPARE(v->currentPage(), 2);
    key(Qt::Key_End);
    key(Qt::Key_PageUp);
    QCOMPARE(v->currentPage(), v->pageCount() - 1);
    key(Qt::Key_Home);
    QCOMPARE(v->currentPage(), 1);
    key(Qt::Key_F, Qt::ControlModifier);
    QVERIFY(v->findBox->isVisible() && v->findBox->hasFocus());
    key(Qt::Key_Escape);
    QVERIFY(!v->findBox->isVisible() && v->isVisible() && hasFocusIn(v));
    // In the page number box too, End and Home go to the last and first page.
    v->pageBox->setFocus();
    key(Qt::Key_End);
    QCOMPARE(v->currentPage(), v->pageCount());
    key(Qt::Key_Home);
    QCOMPARE(v->currentPage(), 1);
    v->setFocus();
    double zoom = v->zoom();
    for (const Qt::Key in : {Qt::Key_Plus, Qt::Key_Equal}) {
        key(in, Qt::ControlModifier);
        QVERIFY(v->zoom() > zoom);
        zoom = v->zoom();
    }
    key(Qt::Key_Minus, Qt::ControlModifier);
    QVERIFY(v->zoom() < zoom);
    key(Qt::Key_0, Qt::ControlModifier);
    QCOMPARE(v->fit(), ReportViewer::Fit::Width);
    key(Qt::Key_Down); // the page has the focus: the arrows scroll it
    QVERIFY(v->findChild<QScrollArea *>()->verticalScrollBar()->value() > 0);
    bool printAsked = false;
    QTimer::singleShot(0, this, [&] {
        if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
            printAsked = true;
            dialog->reject();
        }
    });
    key(Qt::Key_P, Qt::ControlModifier);
    QVERIFY(printAsked);
    QVERIFY(showActive(f.w.get())); // as the window manager gives it back
    QVERIFY(hasFocusIn(v));
    const QString today = QDate::currentDate().toString(Qt::ISODate);
    f.services.files->answers << std::nullopt << std::nullopt;
    key(Qt::Key_S, Qt::ControlModifier);
    key(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(f.services.files->proposedNames,
             (QStringList{"Test Plan - Web_App_ v2_ - " + today + ".pdf", "Test Plan - Web_App_ v2_ - " + today + ".csv"}));

    // At 800 px every tool stands in the toolbar, clear of the Exit button
    // over its end; Tab reaches each, and its tooltip names its key.
    QApplication::processEvents();
    QToolBar *tools = v->toolBar();
    const QRect toolsRect(tools->mapTo(f.w.get(), QPoint()), tools->size());
    key(Qt::Key_PageDown); // a middle page: no tool is disabled
    QSet<QWidget *> reached;
    for (int i = 0; i < 30; ++i) {
        key(Qt::Key_Tab);
        reached << QApplication::focusWidget();
    }
    for (QAction *a : tools->actions()) {
        QWidget *w = tools->widgetForAction(a);
        if (a->isSeparator() || w == nullptr)
            continue;
        const QRect at(w->mapTo(f.w.get(), QPoint()), w->size());
        QVERIFY2(w->isVisible() && toolsRect.contains(at) && !at.intersects(f.w->Cmdrepexit->geometry()), qPrintable(a->text()));
        QVERIFY2(!qobject_cast<QToolButton *>(w) || reached.contains(w), qPrintable(a->text()));
    }
    QCOMPARE(v->nextAction->toolTip(), QStringLiteral("Next page (Page Down)"));
    QCOMPARE(v->csvAction->toolTip(), QStringLiteral("Export to CSV (Ctrl+Shift+S)"));
    key(Qt::Key_Escape);
    QVERIFY(f.w->Picture5->isVisible() && !v->isVisible());

    // The Test Log, landscape, opens at its width; its CSV holds every row.
    f.w->TypeofReport->setListIndex(0);
    press(f.w->Command4);
    QVERIFY(hasFocusIn(v));
    QCOMPARE(v->fit(), ReportViewer::Fit::Width);
    const QString csv = QDir(f.db.folder()).filePath("log.csv");
    f.services.files->answers << csv << QDir(f.db.folder()).filePath("nowhere/log.csv");
    key(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    QFile file(csv);
    QVERIFY(file.open(QIODevice::ReadOnly));
    // A cell a spreadsheet would take for a formula stands as text: an apostrophe before it, which reading takes off.
    // UTF-8 said by a byte order mark; dates as the test case export writes them.
    const QByteArray raw = file.readAll();
    QVERIFY(raw.startsWith("\xEF\xBB\xBF" "Test Type,"));
    QVERIFY(raw.contains(",'-2+3") && !raw.contains(",-2+3"));
    QVERIFY(raw.contains(",2024-03-05"));
    QList<QStringList> records = readCsv(QString::fromUtf8(raw.mid(3)));
    for (QStringList &record : records)
        std::transform(record.begin(), record.end(), record.begin(), CsvReader::unescapedText);
    const ReportDefinition &definition = f.w->currentReport()->definition();
    const ReportContent &content = f.w->currentReport()->content();
    QList<QStringList> expected{{"Test Type"}};
    for (const ReportColumn &c : definition.columns)
        expected.first() << c.header;
    for (const QStringList &row : content.rows) {
        expected << QStringList{row.at(fieldPosition(content.fields, "qv_zr_tst_type"))};
        for (const ReportColumn &c : definition.columns)
            expected.last() << (c.format == ReportColumn::Format::Date ? row.at(fieldPosition(content.fields, c.field))
                                                                        : formatValue(row.at(fieldPosition(content.fields, c.field)), c.format));
    }
    QCOMPARE(records.size(), cases.size() + 1);
    QCOMPARE(records, expected);
    for (const QString &text : texts)
        QVERIFY2(std::any_of(records.cbegin(), records.cend(), [&](const QStringList &r) { return r.contains(text); }),
                 qPrintable(text));
    QVERIFY(f.messages().isEmpty());
    key(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(f.messages().size(), 1);
    QVERIFY(f.messages().first().contains("nowhere/log.csv"));
}

// The PDF's text as a reader gets it, through poppler's pdftotext (poppler-utils).
void TestReports::pdfTextReadsAsTyped()
{
    TempDatabase db;
    const QStringList typed{"Notification", "office", "affluent", "flow", "fifty", "baffling", "shuffle"};
    db.addCase("P", "T", "C", "K", "1", typed.join(' '), "fine");
    const Shown l = lay(db);
    QTemporaryDir dir;
    const QString pdf = dir.filePath("log.pdf");
    ReportPainter::exportPdf(l.layout, pdf, l.layout.title);
    QProcess reader;
    reader.start("pdftotext", {"-enc", "UTF-8", pdf, "-"});
    QVERIFY2(reader.waitForFinished() && reader.exitCode() == 0, "pdftotext (poppler-utils) did not run");
    const QString text = QString::fromUtf8(reader.readAllStandardOutput());
    for (const QString &word : typed)
        QVERIFY2(text.contains(word), qPrintable(word + " not in: " + text));
    static const QRegularExpression ligature(QStringLiteral("[\\x{FB00}-\\x{FB06}]"));
    QVERIFY2(!text.contains(ligature), qPrintable(text));
}

// Ctrl+F, a text and Enter go to its first place from the current page on,
// F3 to each next one, page after page, then round to the first.
void TestReports::findGoesFromHitToHitAcrossPages()
{
    const Shown l = lay(*list);
    QList<QPair<int, PageItem>> rows; // every row that holds the text: its page and item
    for (int p = 0; p < l.layout.pageCount(); ++p)
        for (const PageItem &item : l.layout.pages.at(p).items)
            if (item.kind == PageItem::Kind::Row && item.row % 30 == 29)
                rows.append({p + 1, item});
    QCOMPARE(rows.size(), 10);
    QVERIFY(rows.last().first > 2);
    ReportViewer viewer;
    viewer.resize(900, 700);
    QVERIFY(showActive(&viewer));
    viewer.setReportSource(l.report.get());
    viewer.viewReport();
    viewer.setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::ControlModifier);
    QVERIFY(viewer.findBox->hasFocus());
    QTest::keyClicks(viewer.findBox, "WORD29");
    for (int i = 0; i <= rows.size(); ++i) {
        QTest::keyClick(viewer.findBox, i == 0 ? Qt::Key_Return : Qt::Key_F3);
        const auto &[page, item] = rows.at(i % rows.size());
        QCOMPARE(viewer.currentPage(), page);
        // The box stands over the word in its row's description.
        const QRectF hit = viewer.pageHits().value(viewer.currentHit());
        const QStringList lines = l.layout.rowCells.at(item.row).at(1);
        const QString line = *std::find_if(lines.cbegin(), lines.cend(), [](const QString &t) { return t.contains("word29"); });
        const double left = l.layout.columnLeft.at(1) + l.layout.cellPadding
                            + QFontMetricsF(l.layout.bodyFont).horizontalAdvance(line.left(line.indexOf("word29")));
        QVERIFY2(hit.top() >= item.top && hit.bottom() <= item.top + item.height && qAbs(hit.left() - left) < 20
                     && hit.right() <= l.layout.columnLeft.at(1) + l.layout.columnWidth.at(1),
                 qPrintable(QString::number(i)));
        QCOMPARE(viewer.findStatus(), i < rows.size() ? QString() : QStringLiteral("Continued from the first page"));
    }
    const int from = rows.at(4).first + 1;
    viewer.showPage(from);
    QVERIFY(viewer.find("word29"));
    const int next = std::find_if(rows.cbegin(), rows.cend(), [&](const auto &r) { return r.first >= from; })->first;
    QCOMPARE(viewer.currentPage(), next);
    QVERIFY(!viewer.find("word300"));
    QCOMPARE(viewer.findStatus(), QStringLiteral("Not found"));
    QCOMPARE(viewer.currentPage(), next);
    QVERIFY(viewer.pageHits().isEmpty());
}

QTEST_MAIN(TestReports)
#include "tst_reports.moc"
