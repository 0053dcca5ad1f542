// What the user may name as the database: a file as always, or a PostgreSQL
// server in the forms libpq takes, and what is refused with which words; then
// which server databases a connection takes, and what it refuses.
#include "connection.h"
#include "databaselocation.h"
#include "dberror.h"
#include "pgserver.h"
#include "readonlyquery.h"
#include "tempdatabase.h"

#include <QSqlQuery>
#include <QtTest>

class TestServerDatabase : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void serverOpensOnlyOurTables_data();
    void serverOpensOnlyOurTables();
    void readOnlyServerConnectionOnlyReads();
    void dataVersionChangesOnlyForOthersChanges();
};

void TestServerDatabase::parse_data()
{
    QTest::addColumn<QString>("text");
    // "file", or host|port|user|dbname|service|display; or "!" and the start of the message.
    QTest::addColumn<QString>("parts");

    const auto row = [](const char *name, const QString &text, const QString &parts) {
        QTest::newRow(name) << text << parts;
    };
    row("a file", "/home/me/testing.mdb", "file");
    row("a full URI", "postgresql://team@db.example:5432/testing", "db.example|5432|team|testing||team@db.example:5432/testing");
    row("the short scheme, defaults left out", "POSTGRES://db.example/testing", "db.example|-1||testing||db.example/testing");
    row("a socket folder as host", "postgresql:///testing?host=/tmp/x", "/tmp/x|-1||testing||/tmp/x/testing");
    row("percent-decoded parts", "postgresql://t%C3%A9am@%2Fvar%2Frun/test%20ing", "/var/run|-1|téam|test ing||téam@/var/run/test ing");
    row("an IPv6 address", "postgresql://[::1]:6543/t", "::1|6543||t||[::1]:6543/t");
    row("settings in the query", "postgresql://h/t?user=u&port=7", "h|7|u|t||u@h:7/t");
    row("a service", "service=team", "|-1|||team|service team");
    row("libpq words", "host=db port=5433 dbname=t user=u", "db|5433|u|t||u@db:5433/t");

    row("a password in the URI", "postgresql://team:secret@h/t", "!Leave the password out");
    row("no database", "postgresql://h", "!The address names no database");
    row("a port that is no number", "postgresql://h:54x/t", "!The port \"54x\" is not a number");
    row("a broken percent", "postgresql://h/t%2", "!The database name \"t%2\" holds a %");
    row("a quote", "postgresql://h/te'st", "!The dbname \"te'st\" holds a character Verolan does not accept (U+0027)");
    row("a control character decoded", "postgresql://h/t%0A", "!The dbname \"t\n\" holds a character Verolan does not accept (U+000a)");
    row("a host with a blank", "postgresql://d%20b/t", "!The host \"d b\" is neither a server name nor a socket folder");
    row("an unknown setting", "postgresql://h/t?sslkey=/k", "!Verolan does not take the setting \"sslkey\"");
    row("a slash in the name", "postgresql://h/a/b", "!The database name \"a/b\" holds a \"/\"");
}

void TestServerDatabase::parse()
{
    QFETCH(QString, text);
    QFETCH(QString, parts);
    const DatabaseLocation location = DatabaseLocation::parse(text);
    if (parts.startsWith('!')) {
        QVERIFY2(location.problem().startsWith(parts.mid(1)), qPrintable(location.problem()));
        return;
    }
    QCOMPARE(location.problem(), QString());
    if (parts == "file") {
        QVERIFY(!location.isServer());
        QCOMPARE(location.filePath(), text);
        return;
    }
    QVERIFY(location.isServer());
    const QStringList got{location.host(), QString::number(location.port()), location.user(), location.database(),
                          location.service(), location.displayName()};
    QCOMPARE(got.join('|'), parts);
}

void TestServerDatabase::serverOpensOnlyOurTables_data()
{
    QTest::addColumn<bool>("made"); // the program's tables made first
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("refusal"); // empty: it opens

    QTest::newRow("empty: gets the tables") << false << "" << "";
    QTest::newRow("ours: opens again") << true << "" << "";
    QTest::newRow("ours unannounced: gets the announcements")
        << true << "drop function verolan_announce() cascade" << "";
    QTest::newRow("a foreign table") << true
                                     << "create foreign data wrapper fdw; create server far foreign data wrapper fdw; "
                                        "create foreign table notes (t text) server far"
                                     << "a foreign notes the program does not have";
    QTest::newRow("another table") << true << "create table notes (t text)" << "a table notes the program does not have";
    QTest::newRow("only another table") << false << "create table notes (t text)" << "no table qv_zr_projects; no table";
    QTest::newRow("a view in place of ours") << false << "create view qv_zr_projects as select 1 as x"
                                              << "a view qv_zr_projects in place of the table";
    QTest::newRow("a column too many") << true << "alter table Tqvjx_companydetails add extra text"
                                        << "a column tqvjx_companydetails.extra the program does not have";
    QTest::newRow("a column missing") << true << "alter table qv_zr_tst_history drop qv_zr_build"
                                       << "no column qv_zr_tst_history.qv_zr_build";
    QTest::newRow("another type") << true << "alter table qv_zr_projects alter qv_zr_prj_desc type varchar(9)"
                                   << "column qv_zr_projects.qv_zr_prj_desc declared character varying, not text";
    QTest::newRow("another collation") << true << "alter table qv_zr_tst_cases alter qv_zr_pass type text collate \"POSIX\""
                                        << "column qv_zr_tst_cases.qv_zr_pass compared by POSIX, not C";
    QTest::newRow("refusing Null") << true << "alter table qv_zr_tst_cases alter qv_zr_pass set not null"
                                    << "column qv_zr_tst_cases.qv_zr_pass refusing Null";
    QTest::newRow("a default") << true << "alter table qv_zr_tst_cases alter qv_zr_pass set default 'Fail'"
                                << "column qv_zr_tst_cases.qv_zr_pass with a default";
    QTest::newRow("rows not numbered") << true << "alter table qv_zr_projects alter rowid drop identity"
                                        << "column qv_zr_projects.rowid not numbering the rows";
}

void TestServerDatabase::serverOpensOnlyOurTables()
{
    QFETCH(bool, made);
    QFETCH(QString, change);
    QFETCH(QString, refusal);
    if (!TempDatabase::serverProblem().isEmpty())
        QSKIP(qPrintable(TempDatabase::serverProblem()));
    TempDatabase db(TempDatabase::Engine::Server);
    if (!made)
        db.exec("drop table qv_zr_projects, qv_zr_tst_cases, Tqvjx_companydetails, qv_zr_tst_history");
    for (const QString &statement : change.split("; ", Qt::SkipEmptyParts))
        db.exec(statement);
    Connection cn;
    try {
        cn.open(db.path());
    } catch (const DbError &e) {
        QVERIFY2(!refusal.isEmpty(), qPrintable(e.describe()));
        QVERIFY2(e.engineMessage().startsWith(refusal), qPrintable(e.engineMessage()));
        QCOMPARE(e.kind(), DbError::Kind::CannotOpen);
        return;
    }
    QVERIFY2(refusal.isEmpty(), "it opened");
    db.addProject("P1");
    QCOMPARE(db.rows("select qv_zr_prjid, rowid from qv_zr_projects"), QStringList{"P1|1"});
    // Every table announces its changes to the other copies of the program.
    QCOMPARE(db.rows("select c.relname from pg_trigger t join pg_class c on c.oid = t.tgrelid "
                     "where t.tgname = 'verolan_announce' order by 1"),
             QStringList({"qv_zr_projects", "qv_zr_tst_cases", "qv_zr_tst_history", "tqvjx_companydetails"}));
}

void TestServerDatabase::dataVersionChangesOnlyForOthersChanges()
{
    if (!TempDatabase::serverProblem().isEmpty())
        QSKIP(qPrintable(TempDatabase::serverProblem()));
    TempDatabase db(TempDatabase::Engine::Server);
    Connection mine;
    mine.open(db.path());
    const qint64 read = mine.dataVersion();
    QSqlQuery(mine.database()).exec("insert into qv_zr_projects (qv_zr_prjid) values ('mine')");
    QTest::qWait(300);
    QCOMPARE(mine.dataVersion(), read);
    db.addProject("theirs");
    QTRY_VERIFY_WITH_TIMEOUT(mine.dataVersion() != read, 1000);
}

void TestServerDatabase::readOnlyServerConnectionOnlyReads()
{
    if (!TempDatabase::serverProblem().isEmpty())
        QSKIP(qPrintable(TempDatabase::serverProblem()));
    TempDatabase db(TempDatabase::Engine::Server);
    db.addProject("P1");
    Connection cn;
    cn.open(db.path(), Connection::Access::ReadOnly);
    const ReadLimits limits;
    std::atomic_bool cancel = false;
    // Its reads run as on a file (the shipped reports' test): a change is refused.
    ReadOnlyQuery insert(cn, "insert into qv_zr_projects (qv_zr_prjid) values ('P2')", limits);
    if (insert.fault() == ReadOnlyQuery::Fault::None)
        QCOMPARE(insert.readAll([] { return true; }, {}, cancel), ReadOnlyQuery::Stop::Failed);
    QVERIFY2(insert.detail().contains("read-only transaction"), qPrintable(insert.detail()));
    QCOMPARE(ReadOnlyQuery(cn, "select 1; select 2", limits).fault(), ReadOnlyQuery::Fault::Invalid);
    QCOMPARE(db.count("qv_zr_projects"), 1);
}

QTEST_MAIN(TestServerDatabase)
#include "tst_serverdatabase.moc"
