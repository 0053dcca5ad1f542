// The installed layout: the program installed into a prefix (CTest's install
// fixture, or `cmake --install` into a temporary one) and started as a user would start it, each start in a child
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
#include <QSettings>
#include <QSqlQuery>
#include <QtTest>
#include <cstdio>
#include <unistd.h>

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
    int exitCode; // -1 when it did not start or end by itself
    QString out;
    QString err;
};

// Runs program with vars set in its environment (a null value unsets one).
Run run(const QString &program, const QStringList &args, const QMap<QString, QString> &vars)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (auto it = vars.begin(); it != vars.end(); ++it) {
        if (it.value().isNull())
            env.remove(it.key());
        else
            env.insert(it.key(), it.value());
    }
    p.setProcessEnvironment(env);
    p.start(program, args);
    const bool ended = p.waitForFinished(600000) && p.exitStatus() == QProcess::NormalExit;
    if (!ended)
        p.kill();
    return {ended ? p.exitCode() : -1, QString::fromLocal8Bit(p.readAllStandardOutput()),
            QString::fromLocal8Bit(p.readAllStandardError())};
}

// The program installed under prefix, started as a user starts it. asUser: as
// root, the start runs as nobody, for whom file permissions hold.
Run runChild(const QString &prefix, QMap<QString, QString> vars, bool asUser = false)
{
    QString program = QCoreApplication::applicationFilePath();
    QStringList args{QStringLiteral("--start-installed"), prefix};
    if (asUser && ::geteuid() == 0) {
        args = QStringList{"--reuid=65534", "--regid=65534", "--clear-groups", program} + args;
        program = QStringLiteral("setpriv");
    }
    vars.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return run(program, args, vars);
}

// cmake, with the default generator; its output is shown when it fails.
bool cmake(const QStringList &args)
{
    const Run r = run(qEnvironmentVariable("VEROLAN_CMAKE", "cmake"), args, {{"CMAKE_GENERATOR", QString()}});
    if (r.exitCode != 0)
        qWarning().noquote() << r.out << r.err;
    return r.exitCode == 0;
}

// The first value sql gives on the database file, which must open as one of ours.
QVariant firstValue(const QString &path, const QString &sql)
{
    Connection cn;
    cn.open(path);
    QSqlQuery q(cn.database());
    return q.exec(sql) && q.next() ? q.value(0) : QVariant();
}

const QString kRows = QStringLiteral("select (select count(*) from qv_zr_projects) + (select count(*) from qv_zr_tst_cases)");

} // namespace

class TestInstall : public QObject
{
    Q_OBJECT

private slots:
    void installingAgainKeepsTheUsersData_data();
    void installingAgainKeepsTheUsersData();
    void unusableDataFolderIsNamedWithTheReason_data();
    void unusableDataFolderIsNamedWithTheReason();
    void installedFilesAndPortableLayout();
    void shippedDatabaseBuildsWithTheDefaultGenerator();
};

// The tree `cmake --install` made for the tests (CTest's install fixture).
QString installPrefix()
{
    return qEnvironmentVariable("VEROLAN_INSTALL_PREFIX");
}

void TestInstall::installingAgainKeepsTheUsersData_data()
{
    QTest::addColumn<QString>("prefix"); // under the temporary HOME
    QTest::addColumn<QString>("xdg");    // XDG_DATA_HOME under HOME; unset when empty
    QTest::newRow("own prefix, XDG_DATA_HOME set") << "opt" << "xdg";
    QTest::newRow("own prefix, only HOME") << "opt" << "";
    QTest::newRow("prefix ~/.local, only HOME") << ".local" << "";
    QTest::newRow("XDG_DATA_HOME in the prefix's share") << "usr" << "usr/share";
}

void TestInstall::installingAgainKeepsTheUsersData()
{
    QFETCH(QString, prefix);
    QFETCH(QString, xdg);
    if (installPrefix().isEmpty())
        QSKIP("run through CTest, which builds the program first");
    QTemporaryDir home;
    prefix = home.filePath(prefix);
    const QMap<QString, QString> vars{
        {"HOME", home.path()}, {"XDG_DATA_HOME", xdg.isEmpty() ? QString() : home.filePath(xdg)}, {"XDG_CONFIG_HOME", {}}};
    const QString database = home.filePath((xdg.isEmpty() ? ".local/share" : xdg) + "/verolan/testing.mdb");

    // First start: the database is made from the empty one.
    QVERIFY(cmake({"--install", qEnvironmentVariable("VEROLAN_BUILD_DIR"), "--prefix", prefix}));
    QCOMPARE(runChild(prefix, vars).out, QStringLiteral("SHOWN\n"));
    QVERIFY(QFileInfo(database).isWritable());
    firstValue(database, "insert into qv_zr_projects (qv_zr_prjid) values ('Kept')");
    // Installing again and starting again leave it as it is.
    QVERIFY(cmake({"--install", qEnvironmentVariable("VEROLAN_BUILD_DIR"), "--prefix", prefix}));
    QCOMPARE(runChild(prefix, vars).out, QStringLiteral("SHOWN\n"));
    QCOMPARE(firstValue(database, "select qv_zr_prjid from qv_zr_projects").toString(), QStringLiteral("Kept"));
    // A lost database is never replaced by an empty one.
    QVERIFY(QFile::copy(database, home.filePath("kept.mdb")) && QFile::remove(database));
    const Run run = runChild(prefix, vars);
    QCOMPARE(run.out, QStringLiteral("BOX|Information|Not able to acess database|0\n"));
    QCOMPARE(run.exitCode, 1);
    QVERIFY(!QFileInfo::exists(database));
    // The settings in the user's configuration folder name another.
    QSettings(home.filePath(".config/verolan/verolan.conf"), QSettings::IniFormat).setValue("database", home.filePath("kept.mdb"));
    QCOMPARE(runChild(prefix, vars).out, QStringLiteral("SHOWN\n"));
}

void TestInstall::unusableDataFolderIsNamedWithTheReason_data()
{
    QTest::addColumn<QString>("xdg"); // what XDG_DATA_HOME is
    QTest::addColumn<QString>("reason");
    QTest::newRow("a file in the folder's place") << "folder" << "The data folder %1 is a file, not a folder";
    QTest::newRow("a file in its parent's place") << "file" << "The data folder %1 cannot be made: Not a directory";
    QTest::newRow("a read-only parent") << "read-only" << "The data folder %1 cannot be made: Permission denied";
}

void TestInstall::unusableDataFolderIsNamedWithTheReason()
{
    QFETCH(QString, xdg);
    QFETCH(QString, reason);
    if (installPrefix().isEmpty())
        QSKIP("run through CTest, which installs the program first");
    QTemporaryDir home;
    const QString data = home.filePath("data"); // XDG_DATA_HOME
    const QString folder = data + "/verolan";
    const auto readable = QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther | QFileDevice::ExeOther;
    // A file, or a read-only folder, in the way.
    QVERIFY(xdg == "file" || QDir().mkdir(data));
    QFile inTheWay(xdg == "file" ? data : folder);
    QVERIFY(xdg == "read-only" ? QFile::setPermissions(data, readable) : inTheWay.open(QIODevice::WriteOnly));
    // Open to nobody, who starts the program when the tests run as root.
    QVERIFY(QFile::setPermissions(home.path(), readable | QFileDevice::WriteOwner));

    const Run run = runChild(installPrefix(), {{"HOME", home.path()}, {"XDG_DATA_HOME", data}}, true);
    QCOMPARE(run.out, "BOX|Information|Not able to acess database\n" + reason.arg(folder) + "|0\n");
    QCOMPARE(run.exitCode, 1);
}

void TestInstall::installedFilesAndPortableLayout()
{
    if (installPrefix().isEmpty())
        QSKIP("run through CTest, which installs the program first");
    const QDir prefix(installPrefix());
    const AppPaths::Paths installed = AppPaths::pathsFor(prefix.filePath("bin"));
    QCOMPARE(installed.layout, AppPaths::Layout::Installed);
    QCOMPARE(installed.reportFolder, prefix.filePath("share/verolan"));
    for (const char *file : {"rpt_tst_plan.rpt", "rpt_tst_log.rpt", "rpt_tst_log_failed.rpt", "rpt_tst_log_pass.rpt", "rpt_build_cmp.rpt"})
        QVERIFY2(QFileInfo::exists(QDir(installed.reportFolder).filePath(file)), file);
    // The shipped database is empty, whatever the build folder's file holds, and
    // never named as a user's database is.
    QCOMPARE(installed.shippedDatabase, prefix.filePath("share/verolan/empty-testing.mdb"));
    QCOMPARE(firstValue(installed.shippedDatabase, kRows).toInt(), 0);
    QVERIFY(!QFileInfo::exists(prefix.filePath("share/verolan/testing.mdb")));
    for (const char *file : {"bin/verolan", "share/applications/org.verolan.Verolan.desktop",
                             "share/metainfo/org.verolan.Verolan.metainfo.xml",
                             "share/icons/hicolor/scalable/apps/org.verolan.Verolan.svg",
                             "share/icons/hicolor/16x16/apps/org.verolan.Verolan.png",
                             "share/icons/hicolor/256x256/apps/org.verolan.Verolan.png"})
        QVERIFY2(QFileInfo::exists(prefix.filePath(file)), file);
    QCOMPARE(QImage(prefix.filePath("share/icons/hicolor/48x48/apps/org.verolan.Verolan.png")).size(), QSize(48, 48));

    // --version answers without a display and opens no window.
    const Run version = run(prefix.filePath("bin/verolan"), {"--version"}, {{"QT_QPA_PLATFORM", {}}, {"DISPLAY", {}}});
    QCOMPARE(version.exitCode, 0);
    QCOMPARE(version.out.trimmed(), QStringLiteral("verolan 1.0"));

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
    QCOMPARE(firstValue(build.filePath("dist/shipped/empty-testing.mdb"), kRows).toInt(), 0);
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
