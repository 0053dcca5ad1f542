// What the user may name as the database: a file as always, or a PostgreSQL
// server in the forms libpq takes, and what is refused with which words.
#include "databaselocation.h"

#include <QtTest>

class TestDatabaseLocation : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
};

void TestDatabaseLocation::parse_data()
{
    QTest::addColumn<QString>("text");
    // "file", or host|port|user|dbname|service|display; or "!" and the start of the message.
    QTest::addColumn<QString>("parts");

    const auto row = [](const char *name, const QString &text, const QString &parts) {
        QTest::newRow(name) << text << parts;
    };
    row("a file", "/home/me/testing.mdb", "file");
    row("a relative file with odd characters", "data/ü 'x'.mdb", "file");
    row("a full URI", "postgresql://team@db.example:5432/testing", "db.example|5432|team|testing||team@db.example:5432/testing");
    row("the short scheme, defaults left out", "POSTGRES://db.example/testing", "db.example|-1||testing||db.example/testing");
    row("a socket folder as host", "postgresql:///testing?host=/tmp/x", "/tmp/x|-1||testing||/tmp/x/testing");
    row("percent-decoded parts", "postgresql://t%C3%A9am@%2Fvar%2Frun/test%20ing", "/var/run|-1|téam|test ing||téam@/var/run/test ing");
    row("an IPv6 address", "postgresql://[::1]:6543/t", "::1|6543||t||[::1]:6543/t");
    row("settings in the query", "postgresql://h/t?user=u&port=7", "h|7|u|t||u@h:7/t");
    row("a service", "service=team", "|-1|||team|service team");
    row("libpq words", "host=db port=5433 dbname=t user=u", "db|5433|u|t||u@db:5433/t");

    row("a password in the URI", "postgresql://team:secret@h/t", "!Leave the password out");
    row("a password as a setting", "postgresql://h/t?password=x", "!Leave the password out");
    row("no database", "postgresql://h", "!The address names no database");
    row("no database in the words", "host=h", "!The settings name no database");
    row("a port that is no number", "postgresql://h:54x/t", "!The port \"54x\" is not a number");
    row("a port out of range", "postgresql://h:70000/t", "!The port \"70000\" is not a number");
    row("a broken percent", "postgresql://h/t%2", "!The database name \"t%2\" holds a %");
    row("a quote", "postgresql://h/te'st", "!The dbname \"te'st\" holds a character Verolan does not accept (U+0027)");
    row("a control character decoded", "postgresql://h/t%0A", "!The dbname \"t\n\" holds a character Verolan does not accept (U+000a)");
    row("a host with a blank", "postgresql://d%20b/t", "!The host \"d b\" is neither a server name nor a socket folder");
    row("an unknown setting", "postgresql://h/t?sslkey=/k", "!Verolan does not take the setting \"sslkey\"");
    row("a slash in the name", "postgresql://h/a/b", "!The database name \"a/b\" holds a \"/\"");
    row("nothing", "  ", "!No database is named");
}

void TestDatabaseLocation::parse()
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

QTEST_MAIN(TestDatabaseLocation)
#include "tst_databaselocation.moc"
