// The core library: each save's field rules in one table, then what the saves,
// deletes and result logging write, and the rows the windows' lists are read
// from; all of it on a database file and again on a PostgreSQL server.
#include "builds.h"
#include "company.h"
#include "connection.h"
#include "databaselocation.h"
#include "dberror.h"
#include "projects.h"
#include "results.h"
#include "tempdatabase.h"
#include "testcases.h"

#include <QDateTime>
#include <QtTest>

namespace {

const TestCaseKey kKey{"Alpha", "Functional", "Login", "UI", "T1"};
const QString kCaseColumns = "qv_zr_prjid, qv_zr_tst_type, qv_zr_component, qv_zr_component_type, "
                             "qv_zr_tst_case_id, qv_zr_tst_case_desc, qv_zr_rslt_exp, qv_zr_pass, qv_zr_rslt_act, "
                             "qv_zr_def_severity, qv_zr_def_cat, qv_zr_dt_tst";

// "#N" is N characters ending in an emoji, which a cut must keep whole; "#N+" one more.
QString expand(const QString &text)
{
    if (!text.startsWith('#'))
        return text;
    const bool over = text.endsWith('+');
    return QString(text.mid(1, text.size() - (over ? 2 : 1)).toInt() - 1, 'x') + "🐞" + (over ? "y" : "");
}

// Every save's fields, valid, in the order its checks take them.
struct Forms
{
    ProjectFields project{"P1", "Desc", "Web", "10", "LOC"};
    CaseFields testCase{kKey, "desc", "expected"};
    ResultEntry result{kKey, "desc", "expected", {"Fail", "worked", QDate(2024, 5, 6), "Major", "Crash", ""}};
    CompanyDetails company{"Acme", "1 Road"};

    using Fields = QList<QPair<Field, QString *>>;
    Fields fields(const QString &save)
    {
        const auto key = [](TestCaseKey &k) {
            return Fields{{Field::ProjectId, &k.project}, {Field::TestType, &k.testType},
                          {Field::Component, &k.component}, {Field::ComponentType, &k.componentType},
                          {Field::CaseId, &k.id}};
        };
        if (save == "project")
            return {{Field::ProjectId, &project.id}, {Field::ProjectDescription, &project.description},
                    {Field::ProjectType, &project.type}, {Field::SizeUnits, &project.units},
                    {Field::ProjectSize, &project.size}};
        if (save == "case")
            return key(testCase.key)
                   + Fields{{Field::CaseDescription, &testCase.description}, {Field::ExpectedResult, &testCase.expected}};
        if (save == "result")
            return key(result.key)
                   + Fields{{Field::CaseDescription, &result.description}, {Field::ExpectedResult, &result.expected},
                            {Field::ActualResult, &result.result.actual},   {Field::PassFail, &result.result.pass},
                            {Field::Severity, &result.result.severity},     {Field::Category, &result.result.category},
                            {Field::Build, &result.result.build}};
        return {{Field::CompanyName, &company.name}};
    }
    std::optional<Problem> check(const QString &save) const
    {
        if (save == "project")
            return projectProblem(project);
        if (save == "case")
            return caseProblem(testCase);
        if (save == "result")
            return resultProblem(result);
        return companyProblem(company);
    }
};

using Engine = TempDatabase::Engine;

struct Db
{
    TempDatabase db;
    Connection cn;
    explicit Db(Engine engine)
        : db(engine)
    {
        cn.open(db.path());
    }
    QStringList cases() const { return db.rows("select " + kCaseColumns + " from qv_zr_tst_cases order by rowid"); }
    QStringList history() const
    {
        return db.rows("select qv_zr_prjid, qv_zr_tst_type, qv_zr_component, qv_zr_component_type, qv_zr_tst_case_id, "
                       "qv_zr_pass, qv_zr_rslt_act, qv_zr_def_severity, qv_zr_def_cat, qv_zr_dt_tst, qv_zr_build "
                       "from qv_zr_tst_history order by rowid");
    }
    // The key and rows that differ from it in one key text only.
    void addKeyAndNearKeys() const
    {
        const QStringList key{kKey.project, kKey.testType, kKey.component, kKey.componentType, kKey.id};
        db.addCase(key[0], key[1], key[2], key[3], key[4]);
        for (int i = 0; i < key.size(); ++i) {
            QStringList near = key;
            near[i] += "x";
            db.addCase(near[0], near[1], near[2], near[3], near[4]);
        }
    }
    // Written by another tool: only the first row of a key is ever changed.
    void addSecondRowOfTheKey() const
    {
        db.addCase(kKey.project, kKey.testType, kKey.component, kKey.componentType, kKey.id, "second");
    }
};

} // namespace

class TestCore : public QObject
{
    Q_OBJECT

public:
    explicit TestCore(Engine engine)
        : m_engine(engine)
    {
    }

private slots:
    void initTestCase();
    void fieldRules_data();
    void fieldRules();
    void importListsEveryFaultOnceInCheckOrder();
    void projectSaveAddsOrChangesItsRowOnly();
    void caseSaveAddsFailOrChangesTextsOnly();
    void caseDeleteTakesItsHistoryWhenNoRowIsLeft_data();
    void caseDeleteTakesItsHistoryWhenNoRowIsLeft();
    void resultLogWritesItsCaseAndAHistoryRow();
    void resultAndHistoryAreBothWrittenOrNeither_data();
    void resultAndHistoryAreBothWrittenOrNeither();
    void companySaveReplacesTheFirstRow();
    void listsReturnTheRowsAsStored();

private:
    // A trigger that makes the statements it names fail.
    QStringList refusal(const QString &when) const;

    Engine m_engine;
};

void TestCore::initTestCase()
{
    if (m_engine == Engine::Server && !TempDatabase::serverProblem().isEmpty())
        QSKIP(qPrintable(TempDatabase::serverProblem()));
    qInfo("On %s", m_engine == Engine::Server ? "a PostgreSQL server" : "a database file");
}

QStringList TestCore::refusal(const QString &when) const
{
    if (m_engine == Engine::File)
        return {"create trigger refuse " + when + " begin select raise(abort, 'refused'); end"};
    return {"create function refuse() returns trigger language plpgsql as $$ begin raise exception 'refused'; end $$",
            "create trigger refuse " + when + " for each row execute function refuse()"};
}

void TestCore::fieldRules_data()
{
    QTest::addColumn<QString>("save");
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("input");
    QTest::addColumn<bool>("laterBlank"); // every field checked after it blank too
    QTest::addColumn<QString>("message"); // empty: the save goes ahead
    QTest::addColumn<QString>("cut");     // "-": the text is not cut

    const auto row = [](const char *save, Field field, const QString &input, const QString &message,
                        const QString &cut = "-", bool laterBlank = true) {
        QTest::addRow("%s: %s", save, qPrintable(message.isEmpty() ? "saves '" + input + "'" : message + " '" + input + "'"))
            << save << int(field) << input << laterBlank << message << cut;
    };
    const auto ok = [&](const char *save, Field field, const QString &input) {
        row(save, field, input, "", "-", false);
    };
    ok("project", Field::ProjectId, "P1");
    row("project", Field::ProjectId, "  ", "Project Id is blank");
    row("project", Field::ProjectId, "#50+", "Project Id can not have more than 50 characters", "#50");
    row("project", Field::ProjectDescription, " ", "Project Description is blank");
    row("project", Field::ProjectType, "  ", "Project type is blank");
    ok("project", Field::ProjectType, "#50");
    row("project", Field::ProjectType, "#50+", "Project type can not have more than 50 characters", "#50");
    row("project", Field::SizeUnits, "", "Project size Units is blank");
    row("project", Field::SizeUnits, "#50+", "Project size Units can not have more than 50 characters is blank", "#50");
    row("project", Field::ProjectSize, " ", "Project size is blank");
    ok("project", Field::ProjectSize, "#8");
    row("case", Field::ProjectId, "", "Project Id is blank");
    row("case", Field::TestType, "  ", "Test Type is blank");
    ok("case", Field::TestType, "#50");
    ok("case", Field::Component, " Login ");
    row("case", Field::TestType, "#50+", "Test Type can not have more than 50 characters", "#50");
    row("case", Field::Component, " ", "Component Name is blank");
    row("case", Field::Component, "#50+", "Component Name can not have more than 50 characters", "#50");
    row("case", Field::ComponentType, " ", "Component Type is blank");
    row("case", Field::ComponentType, "#50+", "Component Type can not have more than 50 characters", "#50");
    row("case", Field::CaseId, "  ", "Test Case Id is blank");
    ok("case", Field::CaseId, "#6");
    row("case", Field::CaseId, "#6+", "Test case Id can not have more than 6 characters", "#6");
    row("case", Field::CaseDescription, "\n ", "Test Case Description is blank");
    row("case", Field::CaseDescription, "#255+", "Test Case Description can not have more than 255 characters", "#255");
    row("case", Field::ExpectedResult, " ", "Expected Result is blank");
    row("result", Field::TestType, "#50+", "Test Type can not have more than 50 characters", "#50");
    // A picked id is never cut into another one.
    row("result", Field::CaseId, "#6+", "Test case Id can not have more than 6 characters");
    row("result", Field::CaseDescription, " ", "Test Case Description is blank");
    ok("result", Field::CaseDescription, "#300");
    row("result", Field::ExpectedResult, "", "Expected Result is blank");
    row("result", Field::ActualResult, "  ", "Actual Result is blank");
    ok("result", Field::ActualResult, "  leading blanks kept");
    row("result", Field::PassFail, "", "Pass/Fail is blank");
    row("result", Field::Severity, "", "Defect Severity is blank");
    row("result", Field::Category, " ", "Defect Category is blank");
    ok("result", Field::Category, "#50");
    row("result", Field::Category, "#50+", "Defect Category can not have more than 50 characters", "#50");
    ok("result", Field::Build, "#50");
    row("result", Field::Build, "#50+", "Build can not have more than 50 characters", "#50");
    // A pass looks at neither severity nor category.
    row("result", Field::PassFail, "Pass", "", "-", true);
    row("company", Field::CompanyName, "", "Company Name Can not be blank");
    ok("company", Field::CompanyName, "   ");
    row("company", Field::CompanyName, "#50+", "Company Name can not have more than 50 characters", "#50");
}

void TestCore::fieldRules()
{
    QFETCH(QString, save);
    QFETCH(int, field);
    QFETCH(QString, input);
    QFETCH(bool, laterBlank);
    QFETCH(QString, message);
    QFETCH(QString, cut);
    Forms forms;
    const auto fields = forms.fields(save);
    bool later = false;
    for (const auto &[f, text] : fields) {
        if (int(f) == field)
            *text = expand(input);
        else if (later && laterBlank)
            *text = "  ";
        later = later || int(f) == field;
    }
    QVERIFY(later);
    const std::optional<Problem> problem = forms.check(save);
    QCOMPARE(problem ? problem->message : QString(), message);
    if (!problem)
        return;
    QCOMPARE(int(problem->field), field);
    QCOMPARE(problem->cutText.value_or("-"), expand(cut));
}

void TestCore::importListsEveryFaultOnceInCheckOrder()
{
    const CaseFields fields{{"Alpha", "  ", QString(60, ' '), "UI", "#1234567"}, "d", expand("#256")};
    QStringList messages;
    for (const Problem &p : caseProblems(fields))
        messages << p.message;
    // Sixty blanks are blank, not also too long.
    QCOMPARE(messages, (QStringList{"Test Type is blank", "Component Name is blank",
                                    "Test case Id can not have more than 6 characters",
                                    "Expected Result can not have more than 255 characters"}));
    QVERIFY(caseProblems({kKey, "d", "e"}).isEmpty());
}

void TestCore::projectSaveAddsOrChangesItsRowOnly()
{
    Db d(m_engine);
    d.db.addProject("A", "first", "Web", "1", "LOC");
    d.db.addProject("B", "second", "Web", "2", "LOC");
    d.db.exec("update qv_zr_projects set qv_zr_closed = 'YES'");
    const QString all = "select qv_zr_prjid, qv_zr_prj_desc, qv_zr_prj_type, qv_zr_prj_size, qv_zr_size_units, "
                        "qv_zr_closed from qv_zr_projects order by rowid";
    const QStringList before = d.db.rows(all);

    const SaveResult refused = saveProject(d.cn, {"A", "changed", "  ", "3", "LOC"});
    QCOMPARE(refused.outcome, SaveResult::Refused);
    QCOMPARE(refused.problem->field, Field::ProjectType);
    QCOMPARE(d.db.rows(all), before);

    QCOMPARE(saveProject(d.cn, {"A", "changed", "Desktop", "12.5", "Test Points"}).outcome, SaveResult::Changed);
    QCOMPARE(saveProject(d.cn, {" C", "third", "Web", "3", "LOC"}).outcome, SaveResult::Added);
    QCOMPARE(d.db.rows(all), (QStringList{"A|changed|Desktop|12.5|Test Points|NO", before[1], " C|third|Web|3|LOC|NO"}));
}

void TestCore::caseSaveAddsFailOrChangesTextsOnly()
{
    Db d(m_engine);
    d.addKeyAndNearKeys();
    d.addSecondRowOfTheKey();
    d.db.exec("update qv_zr_tst_cases set qv_zr_pass = 'Pass', qv_zr_rslt_act = 'ok', qv_zr_def_severity = '', "
              "qv_zr_def_cat = '', qv_zr_dt_tst = '2024-01-02'");
    QStringList expected = d.cases();

    QCOMPARE(saveCase(d.cn, {kKey, "  ", "e"}).outcome, SaveResult::Refused);
    QCOMPARE(d.cases(), expected);

    QCOMPARE(saveCase(d.cn, {kKey, "new desc", "new expected"}).outcome, SaveResult::Changed);
    expected[0] = "Alpha|Functional|Login|UI|T1|new desc|new expected|Pass|ok|||2024-01-02";
    const TestCaseKey added{"Alpha", "Functional", "Login", "UI", "T2"};
    QCOMPARE(saveCase(d.cn, {added, "d2", "e2"}).outcome, SaveResult::Added);
    expected << "Alpha|Functional|Login|UI|T2|d2|e2|Fail|<null>|<null>|<null>|<null>";
    QCOMPARE(d.cases(), expected);
}

void TestCore::caseDeleteTakesItsHistoryWhenNoRowIsLeft_data()
{
    QTest::addColumn<int>("stored"); // rows with the key
    QTest::addColumn<bool>("historyGoes");
    QTest::newRow("its only row") << 1 << true;
    QTest::newRow("one of two rows with the key") << 2 << false;
    // The results of a case deleted elsewhere go with the next delete of its key.
    QTest::newRow("no row") << 0 << true;
}

void TestCore::caseDeleteTakesItsHistoryWhenNoRowIsLeft()
{
    QFETCH(int, stored);
    QFETCH(bool, historyGoes);
    Db d(m_engine);
    d.addKeyAndNearKeys();
    if (stored == 2)
        d.addSecondRowOfTheKey();
    d.db.exec("insert into qv_zr_tst_history select qv_zr_prjid, qv_zr_tst_type, qv_zr_component, "
              "qv_zr_component_type, qv_zr_tst_case_id, 'Fail', 'bad', 'Major', 'Crash', '2024-01-02', 'then', null, null "
              "from qv_zr_tst_cases");
    if (stored == 0)
        d.db.exec("delete from qv_zr_tst_cases where rowid = 1");
    QStringList cases = d.cases();
    QStringList history = d.history();

    QCOMPARE(deleteCase(d.cn, kKey) == Deletion::Deleted, stored > 0);
    if (stored > 0)
        cases.removeFirst();
    QCOMPARE(d.cases(), cases);
    if (historyGoes)
        history.removeIf([](const QString &row) { return row.startsWith("Alpha|Functional|Login|UI|T1|"); });
    QCOMPARE(d.history(), history);
}

void TestCore::resultLogWritesItsCaseAndAHistoryRow()
{
    Db d(m_engine);
    d.addKeyAndNearKeys();
    d.addSecondRowOfTheKey();
    const QStringList before = d.cases();
    ResultEntry entry{kKey, "d", "e", {"Fail", " total off", QDate(2024, 5, 6), "Major", "Crash", ""}};
    const QDateTime start = QDateTime::currentDateTime().addSecs(-1);
    QCOMPARE(logResult(d.cn, entry).outcome, SaveResult::Changed);
    // A pass stores empty severity and category, whatever the selectors held.
    entry.result = {"Pass", "fixed", QDate(2024, 5, 7), "Major", "Crash", "2.0-rc1"};
    QCOMPARE(logResult(d.cn, entry).outcome, SaveResult::Changed);

    QStringList after = before;
    after[0] = "Alpha|Functional|Login|UI|T1|d|e|Pass|fixed|||2024-05-07";
    QCOMPARE(d.cases(), after);
    // The build goes to the history only; none is Null.
    QCOMPARE(d.history(), (QStringList{"Alpha|Functional|Login|UI|T1|Fail| total off|Major|Crash|2024-05-06|<null>",
                                       "Alpha|Functional|Login|UI|T1|Pass|fixed|||2024-05-07|2.0-rc1"}));
    const Rows shown = historyRows(d.cn, kKey);
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown[0].mid(0, HistoryColumn::SavedAt), (QVariantList{"2024-05-07", "2.0-rc1", "Pass", "", "", "fixed"}));
    const QDateTime savedAt = QDateTime::fromString(shown[0][HistoryColumn::SavedAt].toString(), Qt::ISODate);
    QVERIFY(savedAt >= start && savedAt <= QDateTime::currentDateTime());
    // Who saved it: the server's user, on a file the login name.
    QCOMPARE(shown[0][HistoryColumn::SavedBy].toString(), m_engine == Engine::Server ? DatabaseLocation::parse(d.db.path()).user()
                                                                                     : TempDatabase::loginName());

    // A key no case has writes nothing; refused fields write nothing.
    entry.key.id = "T9";
    QCOMPARE(logResult(d.cn, entry).outcome, SaveResult::NoMatch);
    entry.key = kKey;
    entry.result.actual = " ";
    QCOMPARE(logResult(d.cn, entry).problem->field, Field::ActualResult);
    QCOMPARE(d.cases(), after);
    QCOMPARE(d.history().size(), 2);
}

void TestCore::resultAndHistoryAreBothWrittenOrNeither_data()
{
    QTest::addColumn<QString>("refusing");
    QTest::newRow("history refuses") << "before insert on qv_zr_tst_history";
    QTest::newRow("case refuses") << "before update on qv_zr_tst_cases";
}

void TestCore::resultAndHistoryAreBothWrittenOrNeither()
{
    QFETCH(QString, refusing);
    Db d(m_engine);
    d.addKeyAndNearKeys();
    const QStringList before = d.cases();
    for (const QString &sql : refusal(refusing))
        d.db.exec(sql);
    QVERIFY_THROWS_EXCEPTION(DbError, logResult(d.cn, {kKey, "d", "e", {"Pass", "ok", QDate(2024, 5, 6), "", "", ""}}));
    QCOMPARE(d.cases(), before);
    QCOMPARE(d.history(), QStringList());
}

void TestCore::companySaveReplacesTheFirstRow()
{
    Db d(m_engine);
    const QString all = "select fqv_jx_companyname, fqv_jx_address from Tqvjx_companydetails order by rowid";
    QCOMPARE(saveCompany(d.cn, {"", "x"}).problem->field, Field::CompanyName);
    QCOMPARE(d.db.count("Tqvjx_companydetails"), 0);
    QCOMPARE(saveCompany(d.cn, {"Acme", ""}).outcome, SaveResult::Added);
    d.db.exec("insert into Tqvjx_companydetails values ('Second', 'kept')");
    QCOMPARE(saveCompany(d.cn, {" ", "1 Road\n2 Town"}).outcome, SaveResult::Changed);
    QCOMPARE(d.db.rows(all), (QStringList{"Second|kept", " |1 Road\n2 Town"}));
}

void TestCore::listsReturnTheRowsAsStored()
{
    Db d(m_engine);
    QVERIFY(!readCompany(d.cn));
    d.db.addProject("B", "second", "Web", "2", "LOC");
    d.db.addProject("A", "first", "Desktop", "1", "Test Points");
    d.db.exec("insert into qv_zr_projects (qv_zr_prjid) values ('N')");
    d.db.addCase("B", "Unit", "Core", "Lib", "U1", "d1", "e1");
    d.db.addCase("A", "Functional", "Report", "Backend", "T1", "d2", "e2");
    d.db.addCase("A", "Functional", "Login", "UI", "T2");
    d.db.addCase("A", "Security", "Login", "Web", "S1");
    d.db.exec("insert into qv_zr_tst_cases (qv_zr_prjid, qv_zr_tst_type) values ('A', 'Functional')");
    d.db.exec("update qv_zr_tst_cases set qv_zr_pass = 'Pass', qv_zr_def_cat = '', qv_zr_dt_tst = '2024-05-06' "
              "where qv_zr_tst_case_id = 'T2'");
    d.db.exec("insert into Tqvjx_companydetails values ('Acme', NULL)");

    QCOMPARE(projectRows(d.cn), (Rows{{"B", "second", "Web", "2", "LOC"},
                                      {"A", "first", "Desktop", "1", "Test Points"},
                                      {"N", QVariant(), QVariant(), QVariant(), QVariant()}}));
    const auto sorted = [](QStringList entries) {
        entries.sort();
        return entries;
    };
    QCOMPARE(sorted(projectTypes(d.cn)), (QStringList{"Desktop", "Web"}));
    QCOMPARE(sorted(projectIds(d.cn)), (QStringList{"A", "B", "N"}));
    QCOMPARE(findProject(d.cn, "A")->description, QString("first"));
    QVERIFY(!findProject(d.cn, "Z"));
    QCOMPARE(sorted(projectsWithCases(d.cn)), (QStringList{"A", "B"}));
    QCOMPARE(sorted(components(d.cn, "A")), (QStringList{"Login", "Report"}));
    QCOMPARE(testTypesOf(d.cn, "B"), QStringList{"Unit"});
    QCOMPARE(componentTypeOf(d.cn, "A", "Login"), std::optional<QString>("UI"));
    QCOMPARE(componentTypeOf(d.cn, "A", "Other"), std::nullopt);
    QCOMPARE(caseIds(d.cn, {"A", "Functional", "Login", "UI", ""}), QStringList{"T2"});
    QCOMPARE(findCase(d.cn, {"A", "Functional", "Report", "Backend", "T1"})->expected, QString("e2"));
    // The empty category a pass stores is offered; Null is not.
    QCOMPARE(defectCategories(d.cn), QStringList{""});
    const Rows cases = caseRows(d.cn, "A", "Functional");
    QCOMPARE(cases.size(), 3);
    QVERIFY(cases.contains(QVariantList{"Login", "UI", "T2", "d", "e", QVariant(), "Pass", QVariant(), "", "2024-05-06"}));
    QVERIFY(std::any_of(cases.cbegin(), cases.cend(), [](const QVariantList &r) { return r[CaseColumn::Id].isNull(); }));
    QCOMPARE(readCompany(d.cn)->address, QString());
    QVERIFY(companySecondColumn(d.cn).isNull());

    // Builds: the project's own, newest result first, none for results without one.
    for (const char *build : {"1.0", "2.0-rc1", "", "1.0", "b", "2.0"})
        d.db.exec("insert into qv_zr_tst_history (qv_zr_prjid, qv_zr_build) values ('A', nullif(?, 'b'))", {build});
    d.db.exec("insert into qv_zr_tst_history (qv_zr_prjid, qv_zr_build) values ('B', '9.9')");
    QCOMPARE(projectBuilds(d.cn, "A"), (QStringList{"2.0", "1.0", "2.0-rc1"}));
    QCOMPARE(projectBuilds(d.cn, "N"), QStringList());
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    int failed = 0;
    for (const Engine engine : {Engine::File, Engine::Server}) {
        TestCore test(engine);
        failed += QTest::qExec(&test, argc, argv);
    }
    return failed;
}
#include "tst_core.moc"
