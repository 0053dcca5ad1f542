// Reading report definition files: what a valid file gives, and what each kind
// of broken file says about itself.
#include "reportdefinition.h"
#include "reporterror.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

class TestReportDefinition : public QObject
{
    Q_OBJECT

private slots:
    void validFileGivesEveryPart();
    void malformedFileNamesFileLineAndProblem_data();
    void malformedFileNamesFileLineAndProblem();
    void missingOrUnreadableFileIsNamed();
    void shippedDefinitionsTakeCompanyThenProject_data();
    void shippedDefinitionsTakeCompanyThenProject();
};

static const char *validDefinition = R"(<?xml version="1.0"?>
<report title="Cases" orientation="landscape">
  <parameters>
    <parameter name="company" show="heading"/>
    <parameter name="project" caption="Project Id"/>
  </parameters>
  <intro>
    <query params="project"><![CDATA[select a from t where p = ?]]></query>
    <item label="Name" field="a"/>
  </intro>
  <!-- a comment is fine anywhere -->
  <query params="project, project"><![CDATA[
    select id, 'what?' as q from t where p = ? and x < 3 and y = ? -- why?
  ]]></query>
  <columns>
    <column header="Id" field="id" width="40" align="right"/>
    <column header="When" field="dt" width="60.5" align="center" format="date"/>
  </columns>
  <groups><group field="kind" footer="{count} cases"/></groups>
  <sort><key field="id" order="descending"/><key field="q"/></sort>
  <summary title="Totals">
    <count label="All"/>
    <count label="Passed" field="r" equals="Pass"/>
    <countBy label="By severity" by="sev" order="Critical,Major" field="r" notEquals="Pass"/>
    <rate label="Rate" field="r" equals="Pass" baseField="r" baseNotEquals="Not run"/>
    <barChart label="Chart" by="r"><bar value="Pass" label="Passed" color="#00ff00"/><bar value="Fail" label="Failed"/></barChart>
  </summary>
</report>)";

void TestReportDefinition::validFileGivesEveryPart()
{
    const ReportDefinition def = ReportDefinition::parse(validDefinition, QStringLiteral("cases.rpt"));
    QCOMPARE(def.title, QStringLiteral("Cases"));
    QCOMPARE(def.orientation, QPageLayout::Landscape);
    QCOMPARE(def.parameters.size(), 2);
    QVERIFY(def.parameters.at(0).heading);
    QCOMPARE(def.parameters.at(1).caption, QStringLiteral("Project Id"));
    QCOMPARE(def.introItems.size(), 1);
    QCOMPARE(def.introQuery.parameters, QStringList{"project"});
    QCOMPARE(def.query.parameters, (QStringList{"project", "project"}));
    QVERIFY(def.query.sql.contains("'what?'"));
    QCOMPARE(def.query.line, 12);
    QCOMPARE(def.columns.size(), 2);
    QCOMPARE(def.columns.at(0).alignment, Qt::AlignRight);
    QCOMPARE(def.columns.at(1).width, 60.5);
    QCOMPARE(def.columns.at(1).format, ReportColumn::Format::Date);
    QCOMPARE(def.groups.size(), 1);
    QCOMPARE(def.groups.at(0).header, QStringLiteral("{value}"));
    QCOMPARE(def.groups.at(0).footer, QStringLiteral("{count} cases"));
    QCOMPARE(def.sortKeys.size(), 2);
    QVERIFY(def.sortKeys.at(0).descending);
    QVERIFY(!def.sortKeys.at(1).descending);
    QCOMPARE(def.summaryTitle, QStringLiteral("Totals"));
    QCOMPARE(def.summary.size(), 5);
    QVERIFY(!def.summary.at(0).where.isSet());
    QCOMPARE(def.summary.at(1).where.value, QStringLiteral("Pass"));
    QVERIFY(def.summary.at(2).where.negated);
    QCOMPARE(def.summary.at(2).order, (QStringList{"Critical", "Major"}));
    QCOMPARE(def.summary.at(3).kind, ReportSummaryItem::Kind::Rate);
    QVERIFY(def.summary.at(3).base.negated);
    QCOMPARE(def.summary.at(4).bars.size(), 2);
    QCOMPARE(def.summary.at(4).bars.at(0).color, QColor(0, 255, 0));
}

void TestReportDefinition::malformedFileNamesFileLineAndProblem_data()
{
    QTest::addColumn<QString>("content");
    QTest::addColumn<QString>("problem");

    const QString head = "<report title=\"T\">\n<parameters><parameter name=\"p\"/></parameters>\n";
    const QString query = "<query params=\"p\">select a from t where b = ?</query>\n";
    const QString columns = "<columns><column field=\"a\" width=\"10\"/></columns>\n";

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
    QTest::newRow("count compares without field") << head + query + columns + "<summary><count label=\"x\" equals=\"Pass\"/></summary></report>"
                                                  << "<count> compares a value but names no \"field\"";
    QTest::newRow("rate without condition") << head + query + columns + "<summary><rate label=\"x\"/></summary></report>"
                                            << "<rate> needs a \"field\"";
    QTest::newRow("bad colour") << head + query + columns
                                       + "<summary><barChart by=\"r\"><bar label=\"x\" color=\"blurple\"/></barChart></summary></report>"
                                << "\"blurple\" is not a colour";
    QTest::newRow("chart without bars") << head + query + columns + "<summary><barChart by=\"r\"/></summary></report>"
                                        << "<barChart> holds no <bar>";
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

void TestReportDefinition::malformedFileNamesFileLineAndProblem()
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

void TestReportDefinition::missingOrUnreadableFileIsNamed()
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

void TestReportDefinition::shippedDefinitionsTakeCompanyThenProject_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("title");
    QTest::newRow("plan") << "rpt_tst_plan.rpt" << "Test Plan";
    QTest::newRow("log") << "rpt_tst_log.rpt" << "Test Log";
    QTest::newRow("failed") << "rpt_tst_log_failed.rpt" << "Test Log - Failed Cases";
    QTest::newRow("passed") << "rpt_tst_log_pass.rpt" << "Test Log - Passed Cases";
}

void TestReportDefinition::shippedDefinitionsTakeCompanyThenProject()
{
    QFETCH(QString, file);
    QFETCH(QString, title);
    const ReportDefinition def = ReportDefinition::load(QDir(VEROLAN_REPORT_DEFINITIONS).filePath(file));
    QCOMPARE(def.title, title);
    QCOMPARE(def.parameters.size(), 2);
    QVERIFY(def.parameters.at(0).heading);
    QCOMPARE(def.parameters.at(1).caption, QStringLiteral("Project Id"));
    QCOMPARE(def.query.parameters, QStringList{"project"});
}

QTEST_MAIN(TestReportDefinition)
#include "tst_reportdefinition.moc"
