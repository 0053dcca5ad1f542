// Start-up against a database file that cannot be opened: the program shows
// "Not able to acess database" and ends without showing its window. Each case
// runs the program's start-up in a child process of its own, in a folder of its own.
#include "apppaths.h"
#include "connection.h"
#include "recorders.h"
#include "schema.h"
#include "startup.h"
#include "tempdatabase.h"
#include "testingclass.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QtTest>
#include <cstdio>

namespace {

// In the child: every message box is printed with the number of windows on screen.
class PrintingMessages : public MessageService
{
public:
    void information(QWidget *, const QString &text, const QString &caption) override
    {
        int visible = 0;
        for (QWidget *w : QApplication::topLevelWidgets())
            visible += w->isVisible() ? 1 : 0;
        std::printf("BOX|%s|%s|%d\n", qPrintable(caption), qPrintable(text), visible);
        std::fflush(stdout);
    }
};

// In the child: the main window reaching the screen ends the run with code 42.
class ShownProbe : public QObject
{
public:
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (e->type() == QEvent::Show && o->objectName() == QLatin1String("mdi_main")) {
            std::printf("SHOWN\n");
            std::fflush(stdout);
            std::_Exit(42);
        }
        return false;
    }
};

struct Run
{
    int exitCode;
    QString out;
};

Run runChild(const QString &folder)
{
    QProcess p;
    p.setProgram(QCoreApplication::applicationFilePath());
    p.setArguments({QStringLiteral("--start-in"), folder});
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.start();
    if (!p.waitForFinished(30000))
        p.kill();
    return {p.exitCode(), QString::fromLocal8Bit(p.readAllStandardOutput())};
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void unopenableFileShowsTheMessageAndEnds_data();
    void unopenableFileShowsTheMessageAndEnds();
    void goodFileShowsTheMainWindow();
    void conopenTwiceIsANoOpAndObjectsHoldTheirOwnConnections();
};

void TestStartup::unopenableFileShowsTheMessageAndEnds_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("missing") << "missing";
    QTest::newRow("empty file") << "empty";
    QTest::newRow("not a database") << "text";
    QTest::newRow("a directory") << "directory";
    QTest::newRow("database without our tables") << "foreign";
    QTest::newRow("a table lacks a column") << "column";
}

void TestStartup::unopenableFileShowsTheMessageAndEnds()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath("testing.mdb");
    if (kind == "empty") {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
    } else if (kind == "text") {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("These are my notes, not a database.\n");
    } else if (kind == "directory") {
        QVERIFY(QDir(dir.path()).mkdir("testing.mdb"));
    } else if (kind == "foreign" || kind == "column") {
        Schema::createDatabase(path);
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "foreign");
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery q(db);
        if (kind == "foreign")
            QVERIFY(q.exec("drop table qv_zr_tst_cases"));
        else
            QVERIFY(q.exec("alter table qv_zr_projects drop column qv_zr_closed"));
        q.finish();
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase("foreign");
    }
    const QByteArray before = QFileInfo(path).isFile() ? [&] {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }() : QByteArray();

    const Run run = runChild(dir.path());
    QCOMPARE(run.out, QStringLiteral("BOX|Information|Not able to acess database|0\n"));
    QCOMPARE(run.exitCode, 1);
    if (kind == "missing")
        QVERIFY(!QFileInfo::exists(path)); // never made in place of the missing file
    if (QFileInfo(path).isFile()) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before);
    }
}

void TestStartup::goodFileShowsTheMainWindow()
{
    QTemporaryDir dir;
    Schema::createDatabase(QDir(dir.path()).filePath("testing.mdb"));
    const Run run = runChild(dir.path());
    QCOMPARE(run.out, QStringLiteral("SHOWN\n"));
    QCOMPARE(run.exitCode, 42);
}

void TestStartup::conopenTwiceIsANoOpAndObjectsHoldTheirOwnConnections()
{
    TempDatabase db;
    ServiceRecorders recorders;
    TestingClass a;
    TestingClass b;
    a.Conopen();
    QCOMPARE(a.cn.state(), 1);
    const QString name = a.cn.database().connectionName();
    a.Conopen();
    QCOMPARE(a.cn.database().connectionName(), name);
    QCOMPARE(a.cn.state(), 1);
    b.Conopen();
    QCOMPARE(b.cn.state(), 1);
    QVERIFY(a.cn.database().connectionName() != b.cn.database().connectionName());
    QCOMPARE(a.cn.path(), b.cn.path());
    QVERIFY(recorders.messages->boxes.isEmpty());

    // Both see each other's writes: one file, two connections.
    QSqlQuery(a.cn.database()).exec("insert into qv_zr_projects (qv_zr_prjid) values ('X')");
    QSqlQuery q(b.cn.database());
    QVERIFY(q.exec("select count(*) from qv_zr_projects") && q.next());
    QCOMPARE(q.value(0).toInt(), 1);
}

int main(int argc, char **argv)
{
    const QStringList args = [&] {
        QStringList l;
        for (int i = 0; i < argc; ++i)
            l << QString::fromLocal8Bit(argv[i]);
        return l;
    }();
    const int at = args.indexOf(QStringLiteral("--start-in"));
    if (at > 0 && at + 1 < args.size()) {
        // The child: the program's own start-up, pointed at the test's folder.
        QApplication app(argc, argv);
        Services::setMessages(std::make_unique<PrintingMessages>());
        AppPaths::setFolder(args.at(at + 1));
        ShownProbe probe;
        app.installEventFilter(&probe);
        return runProgram(app);
    }
    QApplication app(argc, argv);
    TestStartup test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_startup.moc"
