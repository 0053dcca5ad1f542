// The program in a broken environment: testing.mdb locked by another program or
// read-only, report definitions that cannot be used, backup folders that cannot
// be written. Each gives a message, leaves the database as it was, and the
// window stays usable once the cause is gone.
#include "frm_backup.h"
#include "frm_companydetails.h"
#include "frm_projects.h"
#include "frm_reports.h"
#include "mdi_main.h"
#include "recorders.h"
#include "reportfixture.h"
#include "tempdatabase.h"
#include "windows.h"
#include "windowtest.h"

#include "dropdown.h"
#include "reportviewer.h"

#include <QGroupBox>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/fsuid.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// In the child: holds a write lock on the file until stdin closes.
int holdLock(const char *path)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(path, &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK
        || sqlite3_exec(db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "cannot lock %s: %s\n", path, sqlite3_errmsg(db));
        return 1;
    }
    std::printf("LOCKED\n");
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return 0;
}

// Another program holding testing.mdb in a write transaction while the object lives.
class OtherProgramLock
{
public:
    explicit OtherProgramLock(const QString &path)
    {
        m_child.setProgram(QCoreApplication::applicationFilePath());
        m_child.setArguments({QStringLiteral("--hold-lock"), path});
        m_child.start();
    }
    ~OtherProgramLock() { release(); }

    bool held()
    {
        while (!m_child.canReadLine()) {
            if (!m_child.waitForReadyRead(10000))
                return false;
        }
        return m_child.readLine() == "LOCKED\n";
    }
    void release()
    {
        if (m_child.state() == QProcess::NotRunning)
            return;
        m_child.closeWriteChannel();
        if (!m_child.waitForFinished(10000))
            m_child.kill();
        m_child.waitForFinished();
    }

private:
    QProcess m_child;
};

// testing.mdb and its folder read-only while the object lives. Root passes
// permission checks, so as root the file checks are made as "nobody"
// (this thread's file-system ids); wouldHaveEffect() is false when even that
// cannot be arranged.
class ReadOnlyFiles
{
public:
    explicit ReadOnlyFiles(const QStringList &paths)
        : m_paths(paths)
    {
        for (const QString &p : m_paths) {
            m_before << QFile::permissions(p);
            QFile::setPermissions(p, QFileInfo(p).isDir() ? QFile::Permissions(0x5555) : QFile::Permissions(0x4444));
        }
        if (::geteuid() == 0) {
            ::setfsgid(65534);
            ::setfsuid(65534);
            m_dropped = ::setfsuid(uid_t(-1)) == 65534;
        }
    }
    ~ReadOnlyFiles()
    {
        if (m_dropped) {
            ::setfsuid(0);
            ::setfsgid(0);
        }
        for (int i = 0; i < m_paths.size(); ++i)
            QFile::setPermissions(m_paths[i], m_before[i]);
    }

    bool wouldHaveEffect() const
    {
        for (const QString &p : m_paths) {
            const int fd = ::open(QFile::encodeName(p).constData(), QFileInfo(p).isDir() ? O_RDONLY : O_WRONLY);
            if (fd >= 0) {
                ::close(fd);
                if (!QFileInfo(p).isDir())
                    return false;
            }
            if (QFileInfo(p).isDir()) {
                const QByteArray probe = QFile::encodeName(p + QStringLiteral("/.probe"));
                const int created = ::open(probe.constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
                if (created >= 0) {
                    ::close(created);
                    ::unlink(probe.constData());
                    return false;
                }
            }
        }
        return true;
    }

private:
    QStringList m_paths;
    QList<QFile::Permissions> m_before;
    bool m_dropped = false;
};

// Every row of the three tables, in stored order.
QStringList everything(const TempDatabase &db)
{
    return db.rows("select * from qv_zr_projects order by rowid") + db.rows("select * from qv_zr_tst_cases order by rowid")
           + db.rows("select * from Tqvjx_companydetails order by rowid");
}

void fill(const TempDatabase &db)
{
    db.addProject("P1", "First project");
    db.addCase("P1", "Unit", "Login", "UI", "1");
    db.setCompany("Acme", "1 Road");
}

const QString kGuardedFailure = QStringLiteral("Verolan could not finish this action");

// Types a new project into the project window and presses Save.
void typeProject(frm_projects &w, const QString &id)
{
    w.txt_prjid->setText(id);
    w.txt_desc->setText("desc");
    w.cmb_prj_type->setText("Web");
    w.txt_size->setText("5");
    w.cmb_units->setText("LOC");
}

} // namespace

class TestBrokenEnvironment : public QObject
{
    Q_OBJECT

private slots:
    void lockedDatabaseSaveFailsAndWritesNothing_data();
    void lockedDatabaseSaveFailsAndWritesNothing();
    void lockedDatabaseLoadAndReportSaySo();
    void readOnlyDatabaseIsRefusedAtStart();
    void databaseTurnedReadOnlyAfterStart();
    void unusableReportDefinitionReturnsToSelection_data();
    void unusableReportDefinitionReturnsToSelection();
    void backupIntoUnwritableFolderSaysSo_data();
    void backupIntoUnwritableFolderSaysSo();
    void restoreFromReadOnlyOrMissingFolder();
    void fileEmptiedReplacedOrDeletedUnderAnOpenWindow_data();
    void fileEmptiedReplacedOrDeletedUnderAnOpenWindow();
    void pdfExportOntoAFullDiskKeepsTheOlderFile();
};

void TestBrokenEnvironment::lockedDatabaseSaveFailsAndWritesNothing_data()
{
    QTest::addColumn<QString>("window");
    QTest::newRow("company details") << "company";
    QTest::newRow("project") << "project";
}

// The busy wait of the connection (5 s) runs out; the save then reports the lock.
void TestBrokenEnvironment::lockedDatabaseSaveFailsAndWritesNothing()
{
    QFETCH(QString, window);
    TempDatabase db;
    fill(db);
    ServiceRecorders rec;
    TestingClass con;
    std::unique_ptr<ChildWindow> w;
    std::function<void()> save;
    if (window == "company") {
        auto *company = new Frm_CompanyDetails(con);
        w.reset(company);
        company->Form_Load();
        company->txt_companyname->setText("New name");
        save = [company] { company->cmd_csave->click(); };
    } else {
        auto *projects = new frm_projects(con);
        w.reset(projects);
        projects->Form_Load();
        typeProject(*projects, "P2");
        save = [projects] { projects->cmd_save->click(); };
    }
    const QStringList before = everything(db);

    OtherProgramLock lock(db.path());
    QVERIFY(lock.held());
    save();
    QCOMPARE(rec.messages->boxes.size(), 1);
    const QString text = rec.messages->boxes[0].text;
    QVERIFY2(text.startsWith(kGuardedFailure) && text.contains("locked"), qPrintable(text));
    QCOMPARE(rec.messages->boxes[0].caption, Ui::appTitle());
    QVERIFY(rec.lifetime->ends.isEmpty());
    lock.release();
    QCOMPARE(everything(db), before);

    // What the user typed is still there, and the same press saves once the lock is gone.
    save();
    QCOMPARE(rec.messages->boxes.size(), 1);
    if (window == "company")
        QCOMPARE(db.rows("select fqv_jx_companyname from Tqvjx_companydetails"), QStringList{"New name"});
    else
        QCOMPARE(db.rows("select qv_zr_prjid from qv_zr_projects order by rowid"), (QStringList{"P1", "P2"}));
}

void TestBrokenEnvironment::lockedDatabaseLoadAndReportSaySo()
{
    TempDatabase db;
    copyReportDefinitions(db.folder());
    fill(db);
    const QStringList before = everything(db);
    ServiceRecorders rec;
    mdi_main main;
    registerWindows(main);
    QVERIFY(main.MDIForm_Load());
    main.setup_Click();
    main.mnuReports_Click();
    auto *reports = qobject_cast<Frm_Reports *>(main.openWindow("mnuReports"));
    QVERIFY(reports);
    qobject_cast<Frm_CompanyDetails *>(main.openWindow("setup"))->cmd_ccancel->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!main.openWindow("setup"));

    OtherProgramLock lock(db.path());
    QVERIFY(lock.held());

    // A window whose connection is open loads again: the load reports the lock, the window opens.
    main.setup_Click();
    QCOMPARE(rec.messages->boxes.size(), 1);
    QVERIFY2(rec.messages->boxes[0].text.startsWith(kGuardedFailure) && rec.messages->boxes[0].text.contains("locked"),
             qPrintable(rec.messages->boxes[0].text));
    QVERIFY(main.openWindow("setup"));

    // A report cannot read the rows: message, and back to the selection.
    reports->Command4->click();
    QCOMPARE(rec.messages->boxes.size(), 2);
    QVERIFY2(rec.messages->boxes[1].text.contains("locked"), qPrintable(rec.messages->boxes[1].text));
    QVERIFY(reports->Picture5->isVisibleTo(reports) && !reports->RptView->isVisibleTo(reports));
    QCOMPARE(reports->currentReport(), nullptr);

    // A window that has no connection yet cannot open the database at all.
    TestingClass fresh;
    Frm_CompanyDetails w(fresh);
    QVERIFY_THROWS_EXCEPTION(ProgramEnded, w.Form_Load());
    QCOMPARE(rec.messages->boxes.size(), 3);
    QCOMPARE(rec.messages->boxes[2].text, QString("Not able to acess database"));
    QCOMPARE(rec.messages->boxes[2].caption, QString("Information"));
    QCOMPARE(rec.lifetime->ends, QList<int>{1});

    lock.release();
    QCOMPARE(everything(db), before);
    reports->Command4->click();
    QCOMPARE(rec.messages->boxes.size(), 3);
    QVERIFY(reports->currentReport());
}

void TestBrokenEnvironment::readOnlyDatabaseIsRefusedAtStart()
{
    TempDatabase db;
    fill(db);
    const QStringList before = everything(db);
    ServiceRecorders rec;
    {
        ReadOnlyFiles readOnly({db.path(), db.folder()});
        if (!readOnly.wouldHaveEffect())
            QSKIP("the file stays writable for this user");
        mdi_main main;
        registerWindows(main);
        QVERIFY_THROWS_EXCEPTION(ProgramEnded, main.MDIForm_Load());
    }
    QCOMPARE(rec.messages->texts(), QStringList{"Not able to acess database"});
    QCOMPARE(rec.messages->boxes[0].caption, QString("Information"));
    QCOMPARE(rec.lifetime->ends, QList<int>{1});
    QCOMPARE(everything(db), before);
}

// Started on a writable file that then turns read-only: saves through the open
// connection fail with a message; a window opened afterwards is refused.
void TestBrokenEnvironment::databaseTurnedReadOnlyAfterStart()
{
    TempDatabase db;
    fill(db);
    const QStringList before = everything(db);
    ServiceRecorders rec;
    TestingClass companyCon;
    Frm_CompanyDetails company(companyCon);
    company.Form_Load();
    TestingClass projectCon;
    frm_projects projects(projectCon);
    projects.Form_Load();
    {
        ReadOnlyFiles readOnly({db.path(), db.folder()});
        if (!readOnly.wouldHaveEffect())
            QSKIP("the file stays writable for this user");

        company.txt_companyname->setText("New name");
        company.cmd_csave->click();
        typeProject(projects, "P2");
        projects.cmd_save->click();
        QCOMPARE(rec.messages->boxes.size(), 2);
        for (const auto &box : rec.messages->boxes)
            QVERIFY2(box.text.startsWith(kGuardedFailure), qPrintable(box.text));
        QCOMPARE(projects.txt_prjid->text(), QString("P2"));

        TestingClass laterCon;
        Frm_CompanyDetails later(laterCon);
        QVERIFY_THROWS_EXCEPTION(ProgramEnded, later.Form_Load());
        QCOMPARE(rec.messages->boxes.size(), 3);
        QCOMPARE(rec.messages->boxes[2].text, QString("Not able to acess database"));
    }
    QCOMPARE(everything(db), before);
    QCOMPARE(QDir(db.folder()).entryList(QDir::Files | QDir::Hidden), QStringList{"testing.mdb"});

    // Writable again: the same windows save.
    company.cmd_csave->click();
    projects.cmd_save->click();
    QCOMPARE(rec.messages->boxes.size(), 3);
    QCOMPARE(db.rows("select fqv_jx_companyname from Tqvjx_companydetails"), QStringList{"New name"});
    QCOMPARE(db.rows("select qv_zr_prjid from qv_zr_projects order by rowid"), (QStringList{"P1", "P2"}));
}

void TestBrokenEnvironment::unusableReportDefinitionReturnsToSelection_data()
{
    QTest::addColumn<QString>("breakage");
    QTest::newRow("empty file") << "empty";
    QTest::newRow("only blank lines") << "blanks";
    QTest::newRow("binary junk") << "junk";
    QTest::newRow("a folder in its place") << "folder";
    QTest::newRow("query on a table the database lacks") << "no table";
    QTest::newRow("query that is not SQL") << "bad sql";
    QTest::newRow("query that writes") << "writes";
}

void TestBrokenEnvironment::unusableReportDefinitionReturnsToSelection()
{
    QFETCH(QString, breakage);
    TempDatabase db;
    copyReportDefinitions(db.folder());
    fillReportFixture(db);
    const QStringList before = everything(db);
    ServiceRecorders rec;
    TestingClass con;
    Frm_Reports w(con);
    w.resize(1000, 700);
    w.Form_Load();
    QVERIFY(showActive(&w));
    QVERIFY(w.TypeofReport->selectEqualEntry("Test Plan"));

    const QString path = QDir(db.folder()).filePath("rpt_tst_plan.rpt");
    QFile shipped(path);
    QVERIFY(shipped.open(QIODevice::ReadOnly));
    const QByteArray good = shipped.readAll();
    shipped.close();
    const auto withQuery = [&](const QByteArray &sql) {
        return "<report title=\"Test Plan\"><parameters><parameter name=\"company\"/><parameter name=\"project\"/>"
               "</parameters><query params=\"project\">"
               + sql + "</query><columns><column field=\"a\" width=\"9\"/></columns></report>";
    };
    QByteArray content;
    if (breakage == "blanks")
        content = "\n   \n\t\n";
    else if (breakage == "junk")
        content = QByteArray("\x00\xff\xfe<\x01report", 10);
    else if (breakage == "no table")
        content = withQuery("select qv_zr_prjid as a from qv_zr_gone where qv_zr_prjid = ?");
    else if (breakage == "bad sql")
        content = withQuery("selekt a frum ?");
    else if (breakage == "writes")
        content = withQuery("delete from qv_zr_tst_cases where qv_zr_prjid = ? returning qv_zr_prjid as a");
    QVERIFY(QFile::remove(path));
    if (breakage == "folder") {
        QVERIFY(QDir(db.folder()).mkdir("rpt_tst_plan.rpt"));
    } else {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }

    w.Command4->click();
    QCOMPARE(rec.messages->boxes.size(), 1);
    QVERIFY2(rec.messages->boxes[0].text.contains("rpt_tst_plan.rpt"), qPrintable(rec.messages->boxes[0].text));
    QVERIFY(w.Picture5->isVisible() && w.Frame5->isVisible() && !w.RptView->isVisible() && !w.Cmdrepexit->isVisible());
    QCOMPARE(w.currentReport(), nullptr);
    QCOMPARE(everything(db), before);

    // Put right, the same window shows the report.
    if (breakage == "folder")
        QVERIFY(QDir(db.folder()).rmdir("rpt_tst_plan.rpt"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(good);
    f.close();
    QVERIFY(w.TypeofReport->selectEqualEntry("Test Plan"));
    w.Command4->click();
    QCOMPARE(rec.messages->boxes.size(), 1);
    QVERIFY(w.currentReport());
    QVERIFY(w.RptView->isVisible());
}

void TestBrokenEnvironment::backupIntoUnwritableFolderSaysSo_data()
{
    QTest::addColumn<QString>("where");
    QTest::newRow("read-only folder") << "folder";
    QTest::newRow("read-only file system") << "/proc";
}

void TestBrokenEnvironment::backupIntoUnwritableFolderSaysSo()
{
    QFETCH(QString, where);
    TempDatabase db;
    fill(db);
    const QStringList before = everything(db);
    QTemporaryDir out;
    ServiceRecorders rec;
    TestingClass con;
    frm_backup w(con);
    w.Form_Load();
    const QString destination = (where == "folder" ? out.path() : where) + "/saved.mdb";
    w.txt_destname->setText(destination);
    {
        // As "nobody" the database must stay readable, or the copy fails for another reason.
        QFile::setPermissions(db.folder(), QFile::Permissions(0x7755));
        std::optional<ReadOnlyFiles> readOnly;
        if (where == "folder") {
            readOnly.emplace(QStringList{out.path()});
            if (!readOnly->wouldHaveEffect())
                QSKIP("the folder stays writable for this user");
        }
        w.cmd_backup->click();
    }
    QCOMPARE(rec.messages->boxes.size(), 1);
    QVERIFY2(rec.messages->boxes[0].text.startsWith("The backup was not made: nothing can be written in the folder"),
             qPrintable(rec.messages->boxes[0].text));
    QCOMPARE(rec.messages->boxes[0].caption, QString("information"));
    QCOMPARE(w.txt_destname->text(), destination);
    QVERIFY(w.prog_save->isHidden() && !w.Timer->isActive());
    QVERIFY(!QFileInfo::exists(destination));
    if (where == "folder")
        QCOMPARE(QDir(out.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
    QCOMPARE(everything(db), before);
}

// A backup kept on read-only media restores; one whose folder is gone is refused.
void TestBrokenEnvironment::restoreFromReadOnlyOrMissingFolder()
{
    TempDatabase db;
    fill(db);
    const QStringList saved = everything(db);
    QTemporaryDir media;
    ServiceRecorders rec;
    TestingClass con;
    frm_backup w(con);
    w.Form_Load();
    w.txt_destname->setText(media.filePath("saved.mdb"));
    w.cmd_backup->click();
    QVERIFY(rec.messages->boxes.isEmpty());
    for (int i = 0; i < 100; ++i)
        w.Timer_Timer();
    QVERIFY(w.prog_save->isHidden());
    db.exec("delete from qv_zr_tst_cases");
    db.setCompany("Changed", "");
    const QStringList changed = everything(db);

    w.txt_restore->setText(media.path() + "/gone/saved.mdb");
    w.cmd_restore->click();
    QCOMPARE(rec.messages->boxes.size(), 1);
    QVERIFY2(rec.messages->boxes[0].text.startsWith("Nothing was restored: the file")
                 && rec.messages->boxes[0].text.contains("cannot be found"),
             qPrintable(rec.messages->boxes[0].text));
    QCOMPARE(everything(db), changed);
    QVERIFY(w.prog_save->isHidden());

    {
        // The restore writes the database and its journal beside it, whoever runs it.
        QFile::setPermissions(db.folder(), QFile::Permissions(0x7777));
        QFile::setPermissions(db.path(), QFile::Permissions(0x6666));
        ReadOnlyFiles readOnly({media.filePath("saved.mdb"), media.path()});
        w.txt_restore->setText(media.filePath("saved.mdb"));
        w.cmd_restore->click();
    }
    QVERIFY2(rec.messages->boxes.size() == 1, qPrintable(rec.messages->texts().join("\n")));
    QCOMPARE(everything(db), saved);
    QVERIFY(!w.prog_save->isHidden() && w.Timer->isActive());
    QCOMPARE(QDir(media.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"saved.mdb"});
}

void TestBrokenEnvironment::fileEmptiedReplacedOrDeletedUnderAnOpenWindow_data()
{
    QTest::addColumn<QString>("change");
    QTest::newRow("emptied") << "emptied";
    QTest::newRow("deleted, then put back") << "deleted";
    QTest::newRow("restored by a second copy of the program") << "restored";
    QTest::newRow("another file moved over it") << "moved";
}

// The window's connection follows the file at the database's path: it never
// crashes on a file cut short, never writes into a file that is gone, and
// saves into the file that is there now.
void TestBrokenEnvironment::fileEmptiedReplacedOrDeletedUnderAnOpenWindow()
{
    QFETCH(QString, change);
    TempDatabase db;
    fill(db);
    QTemporaryDir other;
    const QString spare = other.filePath("spare.mdb");
    QVERIFY(QFile::copy(db.path(), spare));
    db.exec("insert into qv_zr_projects (qv_zr_prjid) values ('only in the first file')");
    ServiceRecorders rec;
    TestingClass con;
    frm_projects w(con);
    w.Form_Load();
    QCOMPARE(w.LV_prjs->rowCount(), 2);

    if (change == "emptied") {
        QFile file(db.path());
        QVERIFY(file.resize(0));
    } else if (change == "deleted") {
        QVERIFY(QFile::remove(db.path()));
        typeProject(w, "P2");
        w.cmd_save->click();
        QCOMPARE(rec.messages->boxes.size(), 1);
        QVERIFY2(rec.messages->boxes[0].text.contains("no longer there"), qPrintable(rec.messages->boxes[0].text));
        rec.messages->boxes.clear();
        QVERIFY(QFile::copy(spare, db.path()));
    } else if (change == "restored") {
        QProcess restorer;
        restorer.start(VEROLAN_CRASHDRIVER, {"restore", db.path(), spare, spare});
        QVERIFY(restorer.waitForReadyRead(30000));
        QVERIFY(restorer.readLine().startsWith("ACK 0"));
        restorer.kill();
        restorer.waitForFinished();
    } else {
        QVERIFY(::rename(QFile::encodeName(spare).constData(), QFile::encodeName(db.path()).constData()) == 0);
    }

    typeProject(w, "P2");
    w.cmd_save->click();
    if (change == "emptied") {
        QCOMPARE(rec.messages->boxes.size(), 1);
        QVERIFY2(rec.messages->boxes[0].text.startsWith(kGuardedFailure), qPrintable(rec.messages->boxes[0].text));
        return;
    }
    QVERIFY2(rec.messages->boxes.isEmpty(), qPrintable(rec.messages->texts().join(" / ")));
    QCOMPARE(db.rows("select qv_zr_prjid from qv_zr_projects order by rowid"), (QStringList{"P1", "P2"}));
    QCOMPARE(w.LV_prjs->rowCount(), 2); // the list shows the file that is there now
}

// The disk fills up part way through the PDF: the system's reason is told, the
// PDF of the same name from before stays whole and nothing else is left behind.
void TestBrokenEnvironment::pdfExportOntoAFullDiskKeepsTheOlderFile()
{
    TempDatabase db;
    copyReportDefinitions(db.folder());
    fillReportFixture(db);
    ServiceRecorders rec;
    TestingClass con;
    Frm_Reports w(con);
    w.Form_Load();
    QVERIFY(w.cmb_prjid->selectEqualEntry(fixtureProject));
    w.Command4->click();
    QTemporaryDir out;
    const QString target = out.filePath("log.pdf");
    QFile older(target);
    QVERIFY(older.open(QIODevice::WriteOnly));
    older.write("%PDF-1.4 the report of last week\n%%EOF\n");
    older.close();

    rec.files->answers << target;
    {
        // No file may grow past 4 KB: writes beyond fail as on a full disk.
        const rlimit small{4096, RLIM_INFINITY};
        rlimit before{};
        ::getrlimit(RLIMIT_FSIZE, &before);
        const auto signal = std::signal(SIGXFSZ, SIG_IGN);
        ::setrlimit(RLIMIT_FSIZE, &small);
        w.RptView->exportAction->trigger();
        ::setrlimit(RLIMIT_FSIZE, &before);
        std::signal(SIGXFSZ, signal);
    }
    QCOMPARE(rec.messages->boxes.size(), 1);
    const QString text = rec.messages->boxes[0].text;
    QVERIFY2(text.contains(target + ": the PDF file cannot be written: " + QString::fromLocal8Bit(std::strerror(EFBIG))),
             qPrintable(text));
    QVERIFY(older.open(QIODevice::ReadOnly));
    QCOMPARE(older.readAll(), QByteArray("%PDF-1.4 the report of last week\n%%EOF\n"));
    older.close();
    QCOMPARE(QDir(out.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{"log.pdf"});

    // With room again the same export replaces it whole.
    rec.files->answers << target;
    w.RptView->exportAction->trigger();
    QCOMPARE(rec.messages->boxes.size(), 1);
    QVERIFY(older.open(QIODevice::ReadOnly));
    const QByteArray pdf = older.readAll();
    QVERIFY(pdf.startsWith("%PDF-") && pdf.trimmed().endsWith("%%EOF") && pdf.size() > 4096);
    QCOMPARE(QDir(out.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{"log.pdf"});
}

int main(int argc, char **argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--hold-lock") == 0)
        return holdLock(argv[2]);
    QApplication app(argc, argv);
    TestBrokenEnvironment test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_brokenenvironment.moc"
