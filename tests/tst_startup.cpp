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
#include <QImage>
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

// where: "--start-in <folder>" (portable there) or "--start-installed <prefix>".
Run runChild(const QString &folder, const QString &how = QStringLiteral("--start-in"),
             const QMap<QString, QString> &vars = {})
{
    QProcess p;
    p.setProgram(QCoreApplication::applicationFilePath());
    p.setArguments({how, folder});
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    for (auto it = vars.begin(); it != vars.end(); ++it) {
        if (it.value().isNull())
            env.remove(it.key());
        else
            env.insert(it.key(), it.value());
    }
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
    void installedProgramKeepsItsDataInTheUsersFolder_data();
    void installedProgramKeepsItsDataInTheUsersFolder();
    void installedFilesAndPortableLayout();
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

// The tree `cmake --install` made for the tests (CTest's install fixture).
QString installPrefix()
{
    return qEnvironmentVariable("VEROLAN_INSTALL_PREFIX");
}

void TestStartup::installedProgramKeepsItsDataInTheUsersFolder_data()
{
    QTest::addColumn<bool>("xdgSet");
    QTest::newRow("XDG_DATA_HOME set") << true;
    QTest::newRow("only HOME set") << false;
}

void TestStartup::installedProgramKeepsItsDataInTheUsersFolder()
{
    QFETCH(bool, xdgSet);
    if (installPrefix().isEmpty())
        QSKIP("run through CTest, which installs the program first");
    QTemporaryDir home;
    QTemporaryDir xdg;
    const QMap<QString, QString> vars{{"HOME", home.path()}, {"XDG_DATA_HOME", xdgSet ? xdg.path() : QString()}};
    const QString data = QDir(xdgSet ? xdg.path() : home.path() + "/.local/share").filePath("verolan");
    const QString database = QDir(data).filePath("testing.mdb");

    // First start: the data folder is made with the empty database in it.
    Run run = runChild(installPrefix(), "--start-installed", vars);
    QCOMPARE(run.out, QStringLiteral("SHOWN\n"));
    QVERIFY(QFileInfo(database).isWritable());
    {
        Connection cn;
        cn.open(database);
        QSqlQuery(cn.database()).exec("insert into qv_zr_projects (qv_zr_prjid) values ('Kept')");
    }
    // Later starts use it as it is.
    run = runChild(installPrefix(), "--start-installed", vars);
    QCOMPARE(run.out, QStringLiteral("SHOWN\n"));
    {
        Connection cn;
        cn.open(database);
        QSqlQuery q(cn.database());
        QVERIFY(q.exec("select qv_zr_prjid from qv_zr_projects") && q.next());
        QCOMPARE(q.value(0).toString(), QStringLiteral("Kept"));
    }
    // A lost database is never replaced by an empty one.
    QVERIFY(QFile::remove(database));
    run = runChild(installPrefix(), "--start-installed", vars);
    QCOMPARE(run.out, QStringLiteral("BOX|Information|Not able to acess database|0\n"));
    QCOMPARE(run.exitCode, 1);
    QVERIFY(!QFileInfo::exists(database));
}

void TestStartup::installedFilesAndPortableLayout()
{
    if (installPrefix().isEmpty())
        QSKIP("run through CTest, which installs the program first");
    const QDir prefix(installPrefix());
    const AppPaths::Paths installed = AppPaths::pathsFor(prefix.filePath("bin"));
    QCOMPARE(installed.layout, AppPaths::Layout::Installed);
    QCOMPARE(installed.reportFolder, prefix.filePath("share/verolan"));
    for (const char *file : {"rpt_tst_plan.rpt", "rpt_tst_log.rpt", "rpt_tst_log_failed.rpt", "rpt_tst_log_pass.rpt"})
        QVERIFY2(QFileInfo::exists(QDir(installed.reportFolder).filePath(file)), file);
    // The shipped database is empty and one of ours, whatever the build folder's file holds.
    {
        Connection cn;
        cn.open(installed.shippedDatabase);
        QSqlQuery q(cn.database());
        QVERIFY(q.exec("select (select count(*) from qv_zr_projects) + (select count(*) from qv_zr_tst_cases)") && q.next());
        QCOMPARE(q.value(0).toInt(), 0);
    }
    for (const char *file : {"bin/verolan", "share/applications/org.verolan.Verolan.desktop",
                             "share/metainfo/org.verolan.Verolan.metainfo.xml",
                             "share/icons/hicolor/scalable/apps/org.verolan.Verolan.svg",
                             "share/icons/hicolor/16x16/apps/org.verolan.Verolan.png",
                             "share/icons/hicolor/256x256/apps/org.verolan.Verolan.png"})
        QVERIFY2(QFileInfo::exists(prefix.filePath(file)), file);
    QCOMPARE(QImage(prefix.filePath("share/icons/hicolor/48x48/apps/org.verolan.Verolan.png")).size(), QSize(48, 48));

    // --version answers without a display and opens no window.
    QProcess version;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("QT_QPA_PLATFORM");
    env.remove("DISPLAY");
    version.setProcessEnvironment(env);
    version.start(prefix.filePath("bin/verolan"), {"--version"});
    QVERIFY(version.waitForFinished(30000));
    QCOMPARE(version.exitCode(), 0);
    QCOMPARE(QString::fromLocal8Bit(version.readAllStandardOutput()).trimmed(), QStringLiteral("verolan 1.0"));

    // The build folder stays portable: definitions and database beside the program.
    const QString build = qEnvironmentVariable("VEROLAN_BUILD_DIR");
    const AppPaths::Paths portable = AppPaths::pathsFor(build);
    QCOMPARE(portable.layout, AppPaths::Layout::Portable);
    QCOMPARE(portable.database, QDir(build).filePath("testing.mdb"));
    QCOMPARE(portable.reportFolder, QDir(build).absolutePath());
}

int main(int argc, char **argv)
{
    const QStringList args = [&] {
        QStringList l;
        for (int i = 0; i < argc; ++i)
            l << QString::fromLocal8Bit(argv[i]);
        return l;
    }();
    const int at = std::max(args.indexOf(QStringLiteral("--start-in")), args.indexOf(QStringLiteral("--start-installed")));
    if (at > 0 && at + 1 < args.size()) {
        // The child: the program's own start-up, pointed at the test's folder
        // or run as the program installed under a prefix.
        QApplication app(argc, argv);
        Services::setMessages(std::make_unique<PrintingMessages>());
        if (args.at(at) == QLatin1String("--start-in"))
            AppPaths::setFolder(args.at(at + 1));
        else
            AppPaths::setProgramFolder(QDir(args.at(at + 1)).filePath(QStringLiteral("bin")));
        ShownProbe probe;
        app.installEventFilter(&probe);
        return runProgram(app);
    }
    QApplication app(argc, argv);
    TestStartup test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_startup.moc"
