// Start-up: against a database file that cannot be opened the program shows
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
#include <QSqlQuery>
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
    void unopenableFileShowsTheMessageAndEnds_data();
    void unopenableFileShowsTheMessageAndEnds();
    void goodFileShowsTheMainWindow();
    void chosenDatabaseOpensOrEnds_data();
    void chosenDatabaseOpensOrEnds();
    void conopenTwiceIsANoOpAndObjectsHoldTheirOwnConnections();
};

void TestStartup::unopenableFileShowsTheMessageAndEnds_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("missing") << "missing";
    QTest::newRow("empty file") << "";
    QTest::newRow("not a database") << "These are my notes, not a database.\n";
    QTest::newRow("a directory") << "directory";
    QTest::newRow("database without our tables") << "drop table qv_zr_tst_cases";
    QTest::newRow("a table lacks a column") << "alter table qv_zr_projects drop column qv_zr_closed";
}

void TestStartup::unopenableFileShowsTheMessageAndEnds()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath("testing.mdb");
    if (kind == "directory") {
        QVERIFY(QDir(dir.path()).mkdir("testing.mdb"));
    } else if (kind.startsWith("drop") || kind.startsWith("alter")) {
        Schema::createDatabase(path);
        execOn(path, {kind});
    } else if (kind != "missing") {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(kind.toUtf8()) == kind.size());
    }
    const QByteArray before = contents(path);
    ServiceRecorders services;
    AppPaths::setFolder(dir.path());
    ShownCounter counter;
    qApp->installEventFilter(&counter);
    QVERIFY_THROWS_EXCEPTION(ProgramEnded, runProgram(*qApp));
    AppPaths::setFolder(QString());
    QCOMPARE(services.messages->texts(), QStringList{"Not able to acess database"});
    QCOMPARE(services.messages->boxes.first().caption, QStringLiteral("Information"));
    QCOMPARE(services.lifetime->ends, QList<int>{1});
    QCOMPARE(counter.shown, 0);
    // Never made in place of a missing file, never changed.
    QCOMPARE(QFileInfo::exists(path), kind != "missing");
    QCOMPARE(contents(path), before);
}

void TestStartup::goodFileShowsTheMainWindow()
{
    TempDatabase db;
    ServiceRecorders services;
    const QString part = QDir(db.folder()).filePath(".testing.mdb.part"); // half a copy of a killed restore
    QFile(part).open(QIODevice::WriteOnly);
    ShownCounter counter;
    qApp->installEventFilter(&counter);
    QTimer::singleShot(0, [] { QApplication::exit(42); });
    QCOMPARE(runProgram(*qApp), 42);
    QCOMPARE(counter.shown, 1);
    QVERIFY(!QFileInfo::exists(part));
    QVERIFY(services.messages->boxes.isEmpty());
}

// verolan.conf beside the portable program and --database name the database;
// one that cannot be opened gives the message and ends, never an empty database.
void TestStartup::chosenDatabaseOpensOrEnds_data()
{
    QTest::addColumn<QString>("settings"); // database= in verolan.conf; "other" a second good file
    QTest::addColumn<QString>("option");   // --database
    QTest::addColumn<QStringList>("passwords");
    QTest::addColumn<QString>("opened");   // "other", "server", "password", or "" when the program ends
    QTest::addColumn<QString>("message");  // the message's second line starts so
    QTest::newRow("settings name a file") << "other" << "" << QStringList() << "other" << "";
    QTest::newRow("option over the settings") << "/nowhere/testing.mdb" << "other" << QStringList() << "other" << "";
    QTest::newRow("settings name a missing file") << "/nowhere/testing.mdb" << "" << QStringList() << ""
                                                  << "Cannot open the database /nowhere/testing.mdb\n";
    QTest::newRow("bad port") << "" << "postgresql://db.example:port/testing" << QStringList() << ""
                              << "postgresql://db.example:port/testing: ";
    QTest::newRow("no server there") << "postgresql:///testing?host=/nowhere" << "" << QStringList() << ""
                                     << "Cannot open the database /nowhere/testing\n";
    QTest::newRow("server") << "" << "server" << QStringList() << "server" << "";
    QTest::newRow("password typed") << "" << "password" << QStringList{"s3cret"} << "password" << "";
    QTest::newRow("password box cancelled") << "" << "password" << QStringList() << "" << "Cannot open the database";
    QTest::newRow("wrong password") << "password" << "" << QStringList{"guess"} << ""
                                    << "The password for tester@";
}

void TestStartup::chosenDatabaseOpensOrEnds()
{
    QFETCH(QString, settings);
    QFETCH(QString, option);
    QFETCH(QStringList, passwords);
    QFETCH(QString, opened);
    QFETCH(QString, message);
    const bool onServer = settings == "password" || option == "password" || option == "server";
    if (onServer && !TempDatabase::serverProblem().isEmpty())
        QSKIP(qPrintable(TempDatabase::serverProblem()));
    TempDatabase other;
    TempDatabase program; // the program's folder, its own testing.mdb beside it
    static QString serverDb, passwordDb;
    if (onServer && serverDb.isEmpty()) {
        serverDb = PgServer::shared().createDatabase();
        passwordDb = PgServer::shared().createPasswordDatabase("tester", "s3cret");
    }
    const QMap<QString, QString> names{{"other", other.path()}, {"server", serverDb}, {"password", passwordDb}};
    QSettings(QDir(program.folder()).filePath("verolan.conf"), QSettings::IniFormat)
        .setValue("database", names.value(settings, settings));
    option = names.value(option, option);
    Connection::setServerPassword(QString());
    ServiceRecorders services;
    services.messages->passwords = passwords;
    QString title;
    QStringList paths;
    QTimer::singleShot(0, [&] {
        for (QWidget *w : QApplication::topLevelWidgets())
            title = w->objectName() == "mdi_main" ? w->windowTitle() : title;
        for (Connection *c : Connection::all())
            paths << c->path();
        QApplication::exit(0);
    });
    int ended = -1;
    try {
        runProgram(*qApp, option);
    } catch (const ProgramEnded &e) {
        ended = e.exitCode;
    }
    AppPaths::chooseDatabase(QString());
    QCOMPARE(services.messages->boxes.size(), passwords.size() + (opened.isEmpty() ? 1 : 0) + (message.endsWith("database")));
    if (opened.isEmpty()) {
        QCOMPARE(ended, 1);
        QVERIFY2(services.messages->texts().last().startsWith("Not able to acess database\n" + message),
                 qPrintable(services.messages->texts().last()));
        return;
    }
    QCOMPARE(ended, -1);
    QVERIFY(paths.contains(names.value(opened)) && !paths.contains(program.path()));
    QCOMPARE(title, opened != "other" ? "Verolan - " + DatabaseLocation::parse(option).displayName()
                                      : QStringLiteral("Verolan"));
}

void TestStartup::conopenTwiceIsANoOpAndObjectsHoldTheirOwnConnections()
{
    TempDatabase db;
    ServiceRecorders recorders;
    TestingClass a;
    TestingClass b;
    a.Conopen();
    const QString name = a.cn.database().connectionName();
    a.Conopen();
    QCOMPARE(a.cn.database().connectionName(), name);
    b.Conopen();
    QCOMPARE(a.cn.state() + b.cn.state(), 2);
    QVERIFY(a.cn.database().connectionName() != b.cn.database().connectionName());
    QCOMPARE(a.cn.path(), b.cn.path());
    QVERIFY(recorders.messages->boxes.isEmpty());
    // Both see each other's writes: one file, two connections.
    QSqlQuery(a.cn.database()).exec("insert into qv_zr_projects (qv_zr_prjid) values ('X')");
    QSqlQuery q(b.cn.database());
    QVERIFY(q.exec("select count(*) from qv_zr_projects") && q.next());
    QCOMPARE(q.value(0).toInt(), 1);
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
