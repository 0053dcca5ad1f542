// Start-up: against a database that cannot be opened the program shows
// "Not able to acess database" and ends without showing its window; against a
// good one it clears what a killed copy left and shows the main window.
#include "apppaths.h"
#include "apppathsoverride.h"
#include "databaselocation.h"
#include "pgserver.h"
#include "schema.h"
#include "startup.h"
#include "windowtest.h"

#include <QSettings>
#include <QTimer>

namespace {

// Counts the main window reaching the screen.
struct ShownCounter : QObject
{
    int shown = 0;
    bool eventFilter(QObject *o, QEvent *e) override
    {
        shown += e->type() == QEvent::Show && o->objectName() == QLatin1String("mdi_main");
        return false;
    }
};

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void startupOpensTheChosenDatabaseOrEnds_data();
    void startupOpensTheChosenDatabaseOrEnds();
};

// The database is --database's, else verolan.conf's beside the portable
// program, else its testing.mdb. One that cannot be opened gives the message,
// ends the program unshown and is left as it was; a good one shows the window.
void TestStartup::startupOpensTheChosenDatabaseOrEnds_data()
{
    QTest::addColumn<QString>("file");     // the program's testing.mdb: "good", "missing", a text or SQL on it
    QTest::addColumn<QString>("settings"); // database= in verolan.conf; "other" a second good file
    QTest::addColumn<QString>("option");   // --database
    QTest::addColumn<QStringList>("passwords");
    QTest::addColumn<QString>("opened");   // "program", "other", "server", "password", or "" when it ends
    QTest::addColumn<QString>("message");  // the message's second line holds this
    const QStringList none;
    QTest::newRow("missing") << "missing" << "" << "" << none << "" << "";
    QTest::newRow("empty file") << "" << "" << "" << none << "" << "";
    QTest::newRow("not a database") << "These are my notes, not a database.\n" << "" << "" << none << "" << "";
    QTest::newRow("a directory") << "directory" << "" << "" << none << "" << "";
    QTest::newRow("no tables") << "drop table qv_zr_tst_cases" << "" << "" << none << "" << "";
    QTest::newRow("a column short") << "alter table qv_zr_projects drop column qv_zr_closed" << "" << "" << none << "" << "";
    QTest::newRow("good file") << "good" << "" << "" << none << "program" << "";
    QTest::newRow("settings name a file") << "missing" << "other" << "" << none << "other" << "";
    QTest::newRow("option over the settings") << "good" << "/nowhere/testing.mdb" << "other" << none << "other" << "";
    QTest::newRow("settings name a missing file") << "good" << "/nowhere/testing.mdb" << "" << none << ""
                                                  << "Cannot open the database /nowhere/testing.mdb\n";
    // %1: the test server's socket folder, %2: its user.
    QTest::newRow("no server there") << "good" << "postgresql:///t?host=%1/none" << "" << none << "" << "No such file or directory";
    QTest::newRow("no such database") << "good" << "" << "postgresql:///nosuch?host=%1&user=%2" << none << ""
                                      << "database \"nosuch\" does not exist";
    QTest::newRow("no such user") << "good" << "" << "postgresql://nobody@%1/postgres" << none << "" << "role \"nobody\" does not exist";
    QTest::newRow("odd characters") << "good" << "" << "postgresql://%2@h/t\x01" << none << "" << "The dbname \"t\x01\" holds a character";
    QTest::newRow("server") << "good" << "" << "server" << none << "server" << "";
    QTest::newRow("password typed") << "good" << "" << "password" << QStringList{"s3cret"} << "password" << "";
    QTest::newRow("password box cancelled") << "good" << "" << "password" << none << "" << "Cannot open the database";
    QTest::newRow("wrong password") << "good" << "password" << "" << QStringList{"guess"} << "" << "The password for tester@";
}

void TestStartup::startupOpensTheChosenDatabaseOrEnds()
{
    QFETCH(QString, file);
    QFETCH(QString, settings);
    QFETCH(QString, option);
    QFETCH(QStringList, passwords);
    QFETCH(QString, opened);
    QFETCH(QString, message);
    const bool onServer = settings == "password" || option == "password" || option == "server" || (settings + option).contains('%');
    if (onServer && !TempDatabase::serverProblem().isEmpty())
        QSKIP(qPrintable(TempDatabase::serverProblem()));
    TempDatabase other;
    TempDatabase program; // the program's folder, its testing.mdb beside it
    static QString serverDb, passwordDb;
    if (onServer && serverDb.isEmpty()) {
        serverDb = PgServer::shared().createDatabase();
        passwordDb = PgServer::shared().createPasswordDatabase("tester", "s3cret");
    }
    if (file.startsWith("drop") || file.startsWith("alter")) {
        execOn(program.path(), {file});
    } else if (file != "good") {
        QVERIFY(QFile::remove(program.path()));
        QFile f(program.path());
        QVERIFY(file == "missing" || (file == "directory" ? QDir(program.folder()).mkdir("testing.mdb")
                                                           : f.open(QIODevice::WriteOnly) && f.write(file.toUtf8()) == file.size()));
    }
    const QByteArray before = contents(program.path());
    for (QString *text : {&settings, &option}) {
        if (onServer)
            text->replace("%2", PgServer::shared().user()).replace("%1", QUrl::toPercentEncoding(PgServer::shared().socketFolder()));
    }
    const QMap<QString, QString> names{{"program", program.path()}, {"other", other.path()}, {"server", serverDb}, {"password", passwordDb}};
    const QString part = QFileInfo(names.value(opened)).path() + "/.testing.mdb.part"; // half a copy of a killed restore
    if (!onServer && !opened.isEmpty())
        QVERIFY(QFile(part).open(QIODevice::WriteOnly));
    if (!settings.isEmpty())
        QSettings(QDir(program.folder()).filePath("verolan.conf"), QSettings::IniFormat).setValue("database", names.value(settings, settings));
    Connection::setServerPassword(QString());
    ServiceRecorders services;
    services.messages->passwords = passwords;
    ShownCounter counter;
    qApp->installEventFilter(&counter);
    QString title;
    QStringList paths;
    QObject row; // a row that ends before the event loop runs takes its pending check with it
    QTimer::singleShot(0, &row, [&] {
        TestingClass window; // a window's own connection: the same database, the password remembered
        window.Conopen();
        window.Conopen(); // a no-op once open
        paths << window.cn.path() << QString::number(window.cn.generation());
        for (QWidget *w : QApplication::topLevelWidgets())
            title = w->objectName() == "mdi_main" ? w->windowTitle() : title;
        for (Connection *c : Connection::all())
            paths << (c->state() == StateOpen ? c->path() : QString());
        QApplication::exit(0);
    });
    int ended = -1;
    try {
        runProgram(*qApp, names.value(option, option));
    } catch (const ProgramEnded &e) {
        ended = e.exitCode;
    }
    AppPaths::chooseDatabase(QString());
    QCOMPARE(services.messages->boxes.size(), passwords.size() + (opened.isEmpty() ? 1 : 0) + (message.endsWith("database")));
    QCOMPARE(counter.shown, opened.isEmpty() ? 0 : 1);
    // Never made in place of a missing file, never changed.
    QCOMPARE(QFileInfo::exists(program.path()), file != "missing");
    QCOMPARE(contents(program.path()), before);
    if (opened.isEmpty()) {
        QCOMPARE(ended, 1);
        const QString text = services.messages->texts().last();
        QVERIFY2(message.isEmpty() ? text == "Not able to acess database" : text.startsWith("Not able to acess database\n") && text.contains(message),
                 qPrintable(text));
        QCOMPARE(services.messages->boxes.last().caption, QStringLiteral("Information"));
        return;
    }
    QCOMPARE(ended, -1);
    QCOMPARE(paths.mid(0, 2), (QStringList{names.value(opened), "1"}));
    QVERIFY(paths.mid(2).count(names.value(opened)) >= 2); // the main window's and the window's, each its own
    QCOMPARE(paths.contains(program.path()), opened == "program");
    QCOMPARE(title, opened != "other" && opened != "program" ? "Verolan - " + DatabaseLocation::parse(names.value(option)).displayName() : QStringLiteral("Verolan"));
    QVERIFY(!QFileInfo::exists(part));
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
