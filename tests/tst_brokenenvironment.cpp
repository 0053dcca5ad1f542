// The program in a broken environment: testing.mdb locked by another program,
// read-only, or emptied, replaced or deleted under an open window. Each gives a
// message, leaves the database as it was, and the window stays usable once
// the cause is gone.
#include "databasefile.h"
#include "frm_companydetails.h"
#include "frm_projects.h"
#include "frm_reports.h"
#include "mdi_main.h"
#include "reportfixture.h"
#include "reportviewer.h"
#include "windows.h"
#include "windowtest.h"

#include <QProcess>

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

// Another program's write transaction on testing.mdb while the object lives.
class OtherProgramLock
{
public:
    explicit OtherProgramLock(const QString &path)
    {
        m_held = sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK
                 && sqlite3_exec(m_db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    ~OtherProgramLock() { release(); }
    bool held() const { return m_held; }
    void release()
    {
        sqlite3_close_v2(m_db); // rolls back
        m_db = nullptr;
    }

private:
    sqlite3 *m_db = nullptr;
    bool m_held = false;
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
    void lockedDatabase();
    void readOnlyDatabaseAndFolders();
    void fileEmptiedReplacedOrDeletedUnderAnOpenWindow_data();
    void fileEmptiedReplacedOrDeletedUnderAnOpenWindow();
    void pdfExportOntoAFullDiskKeepsTheOlderFile();
};

// The busy wait of a connection (5 s) runs out on each step; the step then reports the lock.
void TestBrokenEnvironment::lockedDatabase()
{
    TempDatabase db;
    copyReportDefinitions(db.folder());
    fill(db);
    const QStringList before = everything(db);
    ServiceRecorders rec;
    TestingClass projectsCon;
    frm_projects projects(projectsCon);
    projects.Form_Load();
    typeProject(projects, "P2");
    TestingClass reportsCon;
    Frm_Reports reports(reportsCon);
    reports.Form_Load();
    QVERIFY(showActive(&reports));
    OtherProgramLock lock(db.path());
    QVERIFY(lock.held());
    projects.cmd_save->click();
    QCOMPARE(rec.messages->boxes.size(), 1);
    QVERIFY2(rec.messages->boxes[0].text.startsWith(kGuardedFailure) && rec.messages->boxes[0].text.contains("locked"),
             qPrintable(rec.messages->boxes[0].text));
    QCOMPARE(rec.messages->boxes[0].caption, Ui::appTitle());
    // A report cannot read the rows: message, and back to the selection.
    reports.Command4->click();
    QCOMPARE(rec.messages->boxes.size(), 2);
    QVERIFY2(rec.messages->boxes[1].text.contains("locked"), qPrintable(rec.messages->boxes[1].text));
    QVERIFY(reports.Picture5->isVisible() && !reports.RptView->isVisible());
    QCOMPARE(reports.currentReport(), nullptr);
    // A window that has no connection yet cannot open the database at all.
    TestingClass fresh;
    Frm_CompanyDetails company(fresh);
    QVERIFY_THROWS_EXCEPTION(ProgramEnded, company.Form_Load());
    QCOMPARE(rec.messages->texts().value(2), QString("Not able to acess database"));
    QCOMPARE(rec.messages->boxes[2].caption, QString("Information"));
    QCOMPARE(rec.lifetime->ends, QList<int>{1});
    lock.release();
    QCOMPARE(everything(db), before);
    // What the user typed is still there, and the same presses work once the lock is gone.
    projects.cmd_save->click();
    reports.Command4->click();
    QCOMPARE(rec.messages->boxes.size(), 3);
    QCOMPARE(db.rows("select qv_zr_prjid from qv_zr_projects order by rowid"), (QStringList{"P1", "P2"}));
    QVERIFY(reports.currentReport() && reports.RptView->isVisible());
}

// Root passes permission checks: ReadOnlyFiles makes the file checks as "nobody".
void TestBrokenEnvironment::readOnlyDatabaseAndFolders()
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
        // Saves through the connections opened before fail with a message.
        company.txt_companyname->setText("New name");
        company.cmd_csave->click();
        typeProject(projects, "P2");
        projects.cmd_save->click();
        QCOMPARE(rec.messages->boxes.size(), 2);
        for (const auto &box : rec.messages->boxes)
            QVERIFY2(box.text.startsWith(kGuardedFailure), qPrintable(box.text));
        QCOMPARE(projects.txt_prjid->text(), QString("P2"));
        // Neither a window opened now nor the program starting again gets in.
        TestingClass laterCon;
        Frm_CompanyDetails later(laterCon);
        QVERIFY_THROWS_EXCEPTION(ProgramEnded, later.Form_Load());
        mdi_main main;
        registerWindows(main);
        QVERIFY_THROWS_EXCEPTION(ProgramEnded, main.MDIForm_Load());
        QCOMPARE(rec.messages->texts().mid(2), QStringList(2, "Not able to acess database"));
        QCOMPARE(rec.lifetime->ends, (QList<int>{1, 1}));
    }
    QCOMPARE(everything(db), before);
    QCOMPARE(QDir(db.folder()).entryList(QDir::Files | QDir::Hidden), QStringList{"testing.mdb"});
    // Writable again: the same windows save.
    company.cmd_csave->click();
    projects.cmd_save->click();
    QCOMPARE(rec.messages->boxes.size(), 4);
    QCOMPARE(db.rows("select fqv_jx_companyname from Tqvjx_companydetails"), QStringList{"New name"});
    QCOMPARE(db.rows("select qv_zr_prjid from qv_zr_projects order by rowid"), (QStringList{"P1", "P2"}));
    // A folder that cannot be written takes no backup; a backup kept on read-only media restores.
    QTemporaryDir media;
    const QString saved = media.filePath("saved.mdb");
    QFile::setPermissions(db.folder(), QFile::Permissions(0x7777));
    QFile::setPermissions(db.path(), QFile::Permissions(0x6666));
    {
        ReadOnlyFiles readOnly({media.path()});
        try {
            DatabaseFile(db.path()).backupTo(saved);
            QFAIL("a backup went into a read-only folder");
        } catch (const DatabaseFileError &e) {
            QVERIFY2(e.message().startsWith("The backup was not made: nothing can be written in the folder"),
                     qPrintable(e.message()));
        }
        QCOMPARE(QDir(media.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
    }
    DatabaseFile(db.path()).backupTo(saved);
    const QStringList backedUp = everything(db);
    db.exec("delete from qv_zr_tst_cases");
    {
        ReadOnlyFiles readOnly({saved, media.path()});
        DatabaseFile(db.path()).restoreFrom(saved);
    }
    QCOMPARE(everything(db), backedUp);
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

QTEST_MAIN(TestBrokenEnvironment)
#include "tst_brokenenvironment.moc"
