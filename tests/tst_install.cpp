// The installed layout: the program installed into a prefix of its own (CTest's
// install fixture) and started as a user would start it, each start in a child
// process with its own HOME and XDG_DATA_HOME.
#include "apppaths.h"
#include "apppathsoverride.h"
#include "connection.h"
#include "recorders.h"
#include "startup.h"

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

// The program installed under prefix started with vars set (a null value unsets one).
Run runChild(const QString &prefix, const QMap<QString, QString> &vars)
{
    QProcess p;
    p.setProgram(QCoreApplication::applicationFilePath());
    p.setArguments({QStringLiteral("--start-installed"), prefix});
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

// cmake, with the default generator; its output is shown when it fails.
bool cmake(const QStringList &args)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("CMAKE_GENERATOR"));
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(qEnvironmentVariable("VEROLAN_CMAKE", QStringLiteral("cmake")), args);
    const bool done = p.waitForFinished(-1) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (!done)
        qWarning().noquote() << p.readAll();
    return done;
}

// An empty database of ours: it opens with the program's tables, which hold no rows.
void verifyEmptyDatabase(const QString &path)
{
    Connection cn;
    cn.open(path);
    QSqlQuery q(cn.database());
    QVERIFY(q.exec("select (select count(*) from qv_zr_projects) + (select count(*) from qv_zr_tst_cases)") && q.next());
    QCOMPARE(q.value(0).toInt(), 0);
}

} // namespace

class TestInstall : public QObject
{
    Q_OBJECT

private slots:
    void installedProgramKeepsItsDataInTheUsersFolder_data();
    void installedProgramKeepsItsDataInTheUsersFolder();
    void installedFilesAndPortableLayout();
    void shippedDatabaseBuildsWithTheDefaultGenerator();
};

// The tree `cmake --install` made for the tests (CTest's install fixture).
QString installPrefix()
{
    return qEnvironmentVariable("VEROLAN_INSTALL_PREFIX");
}

void TestInstall::installedProgramKeepsItsDataInTheUsersFolder_data()
{
    QTest::addColumn<bool>("xdgSet");
    QTest::newRow("XDG_DATA_HOME set") << true;
    QTest::newRow("only HOME set") << false;
}

void TestInstall::installedProgramKeepsItsDataInTheUsersFolder()
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
    Run run = runChild(installPrefix(), vars);
    QCOMPARE(run.out, QStringLiteral("SHOWN\n"));
    QVERIFY(QFileInfo(database).isWritable());
    {
        Connection cn;
        cn.open(database);
        QSqlQuery(cn.database()).exec("insert into qv_zr_projects (qv_zr_prjid) values ('Kept')");
    }
    // Later starts use it as it is.
    run = runChild(installPrefix(), vars);
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
    run = runChild(installPrefix(), vars);
    QCOMPARE(run.out, QStringLiteral("BOX|Information|Not able to acess database|0\n"));
    QCOMPARE(run.exitCode, 1);
    QVERIFY(!QFileInfo::exists(database));
}

void TestInstall::installedFilesAndPortableLayout()
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
    verifyEmptyDatabase(installed.shippedDatabase);
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

void TestInstall::shippedDatabaseBuildsWithTheDefaultGenerator()
{
    const QString source = qEnvironmentVariable("VEROLAN_SOURCE_DIR");
    if (source.isEmpty())
        QSKIP("run through CTest as shipped_database_default_generator");
    QTemporaryDir build;
    QVERIFY(cmake({"-S", source, "-B", build.path(), "-DBUILD_TESTING=OFF"}));
    QVERIFY(cmake({"--build", build.path(), "--target", "verolan_shipped_db", "-j2"}));
    verifyEmptyDatabase(build.filePath("dist/shipped/testing.mdb"));
}

int main(int argc, char **argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--start-installed") == 0) {
        // The child: the program's own start-up, as installed under the prefix.
        QApplication app(argc, argv);
        Services::setMessages(std::make_unique<PrintingMessages>());
        AppPaths::setProgramFolder(QDir(QString::fromLocal8Bit(argv[2])).filePath(QStringLiteral("bin")));
        ShownProbe probe;
        app.installEventFilter(&probe);
        return runProgram(app);
    }
    QApplication app(argc, argv);
    TestInstall test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_install.moc"
