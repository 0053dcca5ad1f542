// Copies of the database file: what a backup holds, and what a restore lets in.
#include "casesexport.h"
#include "connection.h"
#include "databasefile.h"
#include "recordset.h"
#include "schema.h"
#include "sidefile.h"
#include "tempdatabase.h"

#include <QDir>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUuid>
#include <QtTest>
#include <sys/file.h>

namespace {

QByteArray bytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(data);
}

QStringList everything(const TempDatabase &db)
{
    return db.rows("select * from qv_zr_projects order by rowid") + db.rows("select * from qv_zr_tst_cases order by rowid")
           + db.rows("select * from Tqvjx_companydetails");
}

void fill(const TempDatabase &db, int cases)
{
    db.addProject("P1", "O'Brien's \"site\"");
    db.exec("insert into qv_zr_projects (qv_zr_prjid) values ('P2')"); // Nulls in the other columns
    db.exec("with recursive n(i) as (select 1 union all select i + 1 from n where i < ?) "
            "insert into qv_zr_tst_cases (qv_zr_prjid, qv_zr_tst_case_id, qv_zr_tst_case_desc) "
            "select 'P1', i, printf('%.*c', 200, char(120 + i % 3)) from n",
            {cases});
    db.setCompany(QString::fromUtf8("Prüf GmbH"), "1 Main St\nTown");
}

// Leaves at `to` what a crash in the middle of a large save leaves: a file that
// holds part of the change and, beside it, the journal that undoes it.
void leaveUnfinishedChange(const QString &from, const QString &to)
{
    const QString name = QUuid::createUuid().toString();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(from);
        QVERIFY(db.open());
        QSqlQuery q(db);
        // A tiny cache makes the engine write changed pages into the file before the commit.
        QVERIFY(q.exec("pragma journal_mode=delete") && q.exec("pragma cache_size=5") && q.exec("begin"));
        QVERIFY(q.exec("update qv_zr_tst_cases set qv_zr_tst_case_desc = 'half-saved ' || rowid"));
        QFile::remove(to);
        QFile::remove(to + "-journal");
        QVERIFY(QFile::copy(from, to) && QFile::copy(from + "-journal", to + "-journal"));
        QVERIFY(q.exec("rollback"));
    }
    QSqlDatabase::removeDatabase(name);
}

// The database's folder after a restore: the file and the one it replaced.
const QStringList kAfterRestore{"testing.mdb", "testing.mdb.before-restore"};

// The statements that give a copy of our file a schema of another tool's.
QStringList withProjects(const QString &columns, const QString &tail = QString())
{
    return {"drop table qv_zr_projects", "create table qv_zr_projects (" + columns + ")" + tail,
            "create index ix_projects_prjid on qv_zr_projects (qv_zr_prjid)"};
}

const QString kProjectColumns = "qv_zr_prj_desc TEXT, qv_zr_prj_type TEXT, qv_zr_prj_size TEXT, "
                                "qv_zr_size_units TEXT, qv_zr_closed TEXT";

QString messageOf(const std::function<void()> &copy)
{
    try {
        copy();
    } catch (const DatabaseFileError &e) {
        return e.message();
    }
    return QString();
}

} // namespace

class TestDatabaseFile : public QObject
{
    Q_OBJECT

private slots:
    void restoreBringsBackEveryRowToOpenConnections();
    void backupReplacesAnExistingFileAndLeavesNothingBeside();
    void fileNamesAreTakenAsTyped();
    void backupRefusesBadDestinations_data();
    void backupRefusesBadDestinations();
    void damagedDatabaseKeepsTheOldBackupAndIsRestored_data();
    void damagedDatabaseKeepsTheOldBackupAndIsRestored();
    void staleSideFilesGoAtTheNextCopyOrStart();
    void restoreTakesOlderAndLongerFiles();
    void restoreRefusesWhatIsNotOurDatabase_data();
    void restoreRefusesWhatIsNotOurDatabase();
    void unfinishedChangeOfACrashIsUndoneNotCopied_data();
    void unfinishedChangeOfACrashIsUndoneNotCopied();
    void restoreReadsRowsStillInAWriteAheadLog();
    void leftoverOfAKilledCopyIsReplaced_data();
    void leftoverOfAKilledCopyIsReplaced();
    void checkLeavesNothingBesideTheOfferedFile_data();
    void checkLeavesNothingBesideTheOfferedFile();
};

void TestDatabaseFile::restoreBringsBackEveryRowToOpenConnections()
{
    TempDatabase db;
    fill(db, 300);
    const QStringList saved = everything(db);
    QTemporaryDir out;
    DatabaseFile file(db.path());
    file.backupTo(out.filePath("saved.mdb"));
    db.exec("delete from qv_zr_tst_cases where qv_zr_tst_case_id > '1'");
    db.setCompany("Other", "Elsewhere");
    const QStringList replaced = everything(db);
    Connection open;
    open.open(db.path());
    Connection closed;
    closed.open(db.path());
    closed.close();
    Connection reader; // a report's
    reader.open(db.path(), Connection::Access::ReadOnly);
    const QFile::Permissions mode = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser | QFile::ReadGroup;
    QVERIFY(QFile::setPermissions(db.path(), mode));
    file.restoreFrom(out.filePath("saved.mdb"));
    QCOMPARE(everything(db), saved);
    QCOMPARE(QFile::permissions(db.path()), mode);
    QCOMPARE(QDir(db.folder()).entryList(QDir::Files | QDir::Hidden), kAfterRestore);
    QCOMPARE(closed.state(), 0);
    // A window's connection that was open reads and writes the restored file.
    QCOMPARE(open.state(), 1);
    RecordSet rs;
    rs.open("select * from Tqvjx_companydetails", {}, open, LockType::Optimistic, "Tqvjx_companydetails");
    QCOMPARE(rs.fields("fqv_jx_companyname").toString(), QString::fromUtf8("Prüf GmbH"));
    rs.setField("fqv_jx_address", "changed after restore");
    rs.update();
    rs.close();
    QCOMPARE(db.value("select fqv_jx_address from Tqvjx_companydetails").toString(), QString("changed after restore"));
    // A report's connection reads the restored file, and still only reads.
    rs.open("select fqv_jx_address from Tqvjx_companydetails", {}, reader);
    QCOMPARE(rs.fields(0).toString(), QString("changed after restore"));
    rs.close();
    QVERIFY(!QSqlQuery(reader.database()).exec("delete from qv_zr_tst_cases"));
    // What the restore replaced is kept whole beside the database, and restores like a backup.
    file.restoreFrom(db.path() + ".before-restore");
    QCOMPARE(everything(db), replaced);
}

void TestDatabaseFile::backupReplacesAnExistingFileAndLeavesNothingBeside()
{
    TempDatabase db;
    fill(db, 3);
    QTemporaryDir out;
    const QString backup = out.filePath("saved.mdb");
    writeFile(backup, "an older file that is not a database");
    DatabaseFile(db.path()).backupTo(backup);
    QCOMPARE(DatabaseFile(db.path()).restoreProblem(backup), QString());
    QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"saved.mdb"});
}

void TestDatabaseFile::fileNamesAreTakenAsTyped()
{
    TempDatabase db;
    db.addProject("Before");
    QTemporaryDir out;
    const QString name = "O'Brien's \"x\" 50%_ 🐞 Проверка; drop table.mdb";
    DatabaseFile file(db.path());
    file.backupTo(out.filePath(name));
    QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList{name});
    db.addProject("After");
    file.restoreFrom(out.filePath(name));
    QCOMPARE(db.rows("select qv_zr_prjid from qv_zr_projects"), QStringList{"Before"});
}

void TestDatabaseFile::backupRefusesBadDestinations_data()
{
    QTest::addColumn<QString>("destination"); // @db: the database's folder, @out: an empty folder
    QTest::addColumn<QString>("why");
    QTest::newRow("missing folder") << "@out/no/such/b.mdb" << "the folder";
    QTest::newRow("a file as folder") << "@db/testing.mdb/b.mdb" << "is not a folder";
    QTest::newRow("a folder") << "@out" << "is a folder";
    QTest::newRow("read-only file system") << "/proc/verolan-backup.mdb" << "nothing can be written";
    QTest::newRow("database gone") << "@out/b.mdb" << "cannot be found";
}

void TestDatabaseFile::backupRefusesBadDestinations()
{
    QFETCH(QString, destination);
    QFETCH(QString, why);
    TempDatabase db;
    fill(db, 3);
    QTemporaryDir out;
    destination.replace("@db", db.folder()).replace("@out", out.path());
    if (QByteArray(QTest::currentDataTag()) == "database gone")
        QVERIFY(QFile::rename(db.path(), db.folder() + "/moved.mdb"));
    const QByteArray before = bytes(db.path());
    const QString message = messageOf([&] { DatabaseFile(db.path()).backupTo(destination); });
    QVERIFY2(message.startsWith("The backup was not made: ") && message.contains(why), qPrintable(message));
    QCOMPARE(bytes(db.path()), before);
    QCOMPARE(QDir(out.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
    QCOMPARE(QDir(db.folder()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

void TestDatabaseFile::damagedDatabaseKeepsTheOldBackupAndIsRestored_data()
{
    QTest::addColumn<QByteArray>("damage"); // written over the file at 3 pages and 8 bytes, or in its place
    QTest::addColumn<bool>("backupSaysDamaged");
    QTest::newRow("a page overwritten") << QByteArray(2048, '\x7f') << true;
    QTest::newRow("emptied") << QByteArray() << true;
    QTest::newRow("text") << QByteArray("overwritten by another program\n") << true;
    QTest::newRow("header, then garbage") << QByteArray("SQLite format 3\0", 16) + QByteArray(8192, '\x5a') << false;
}

void TestDatabaseFile::damagedDatabaseKeepsTheOldBackupAndIsRestored()
{
    QFETCH(QByteArray, damage);
    QFETCH(bool, backupSaysDamaged);
    TempDatabase db;
    fill(db, 400);
    const QStringList rows = everything(db);
    QTemporaryDir out;
    const QString saved = out.filePath("saved.mdb");
    DatabaseFile file(db.path());
    file.backupTo(saved);
    const QByteArray good = bytes(saved);
    if (damage.size() == 2048) {
        QFile live(db.path());
        QVERIFY(live.open(QIODevice::ReadWrite) && live.seek(4096 * 3 + 8));
        live.write(damage);
    } else {
        writeFile(db.path(), damage);
    }
    const QString message = messageOf([&] { file.backupTo(saved); });
    QVERIFY2(message.startsWith("The backup was not made: "), qPrintable(message));
    QVERIFY2(!backupSaysDamaged || (message.contains("is damaged") && message.contains("was left as it was")),
             qPrintable(message));
    QCOMPARE(bytes(saved), good);
    QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"saved.mdb"});
    file.restoreFrom(saved); // a damaged database is what a restore is for
    QCOMPARE(everything(db), rows);
}

void TestDatabaseFile::staleSideFilesGoAtTheNextCopyOrStart()
{
    TempDatabase db;
    fill(db, 3);
    QTemporaryDir out;
    // Halves of copies killed in both folders; one copy of the other folder is still being written.
    const QByteArray half = bytes(db.path()).left(1000);
    writeFile(db.folder() + "/.testing.mdb.part", half);
    writeFile(out.filePath(".old.mdb.part"), half);
    writeFile(out.filePath(".busy.mdb.part"), half);
    writeFile(out.filePath(".notes.part"), "a file of the user's that only looks like ours");
    QFile busy(out.filePath(".busy.mdb.part"));
    QVERIFY(busy.open(QIODevice::ReadOnly));
    QCOMPARE(::flock(busy.handle(), LOCK_EX | LOCK_NB), 0);
    DatabaseFile(db.path()).backupTo(out.filePath("saved.mdb"));
    QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
             (QStringList{".busy.mdb.part", ".notes.part", "saved.mdb"}));
    SideFile::removeStale(db.folder()); // as at start
    QCOMPARE(QDir(db.folder()).entryList(QDir::Files | QDir::Hidden), QStringList{"testing.mdb"});
}

void TestDatabaseFile::restoreTakesOlderAndLongerFiles()
{
    // Backups of earlier versions, without the result history, its build or
    // who saved it, restore; the connection that opens one adds what it lacks,
    // empty, and the next backup takes it as it then is.
    const QString noSavedBy = "alter table qv_zr_tst_history drop column qv_zr_saved_by";
    const QList<QStringList> earlier = {
        {"drop table qv_zr_tst_history"},
        {"drop index ix_history_build", noSavedBy, "alter table qv_zr_tst_history drop column qv_zr_build"},
        {"drop index ix_history_build", noSavedBy, Schema::kEarlierBuildIndex},
        {noSavedBy},
    };
    for (const QStringList &older : earlier) {
        TempDatabase db;
        fill(db, 3);
        db.exec("insert into qv_zr_tst_history (qv_zr_prjid, qv_zr_tst_case_id, qv_zr_pass) values ('P1', '1', 'Pass')");
        QTemporaryDir in;
        const QString old = in.filePath("old.mdb");
        DatabaseFile(db.path()).backupTo(old);
        execOn(old, older);
        const QStringList rows = everything(db);
        const QStringList history = older.first().startsWith("drop table") ? QStringList() : QStringList{"P1|1|Pass|<null>|<null>"};
        DatabaseFile(db.path()).restoreFrom(old);
        Connection cn;
        cn.open(db.path());
        QCOMPARE(everything(db), rows);
        QCOMPARE(db.rows("select qv_zr_prjid, qv_zr_tst_case_id, qv_zr_pass, qv_zr_build, qv_zr_saved_by from qv_zr_tst_history"),
                 history);
        // The builds' index as this version makes it: with the date of testing.
        QVERIFY(db.rows("select sql from sqlite_master where name = 'ix_history_build'").value(0).contains("qv_zr_dt_tst"));
        DatabaseFile(db.path()).backupTo(in.filePath("again.mdb"));
        DatabaseFile(db.path()).restoreFrom(in.filePath("again.mdb"));
    }
    TempDatabase db;
    fill(db, 3);
    const QStringList rows = everything(db);
    QTemporaryDir in;
    const QString source = in.filePath("long.mdb");
    DatabaseFile file(db.path());
    file.backupTo(source);
    const qint64 size = QFileInfo(source).size();
    QFile grown(source);
    QVERIFY(grown.open(QIODevice::ReadWrite) && grown.resize(qint64(2) << 30)); // sparse: no blocks on disk
    grown.close();
    db.exec("delete from qv_zr_projects");
    file.restoreFrom(source);
    QCOMPARE(QFileInfo(db.path()).size(), size);
    QCOMPARE(everything(db), rows);
}

void TestDatabaseFile::restoreRefusesWhatIsNotOurDatabase_data()
{
    QTest::addColumn<QString>("why");
    QTest::newRow("text file") << "is not a database";
    QTest::newRow("empty file") << "is empty";
    QTest::newRow("truncated database") << "is not a sound database";
    QTest::newRow("another program's database") << "no table qv_zr_projects; no table qv_zr_tst_cases";
    QTest::newRow("a column missing") << "no column qv_zr_tst_cases.qv_zr_dt_tst";
    QTest::newRow("a trigger inside") << "a trigger wipe";
    // Schemas that make later saves store or match the wrong rows.
    QTest::newRow("ids compared without case") << "column qv_zr_projects.qv_zr_prjid compared by NOCASE";
    QTest::newRow("number columns") << "column qv_zr_projects.qv_zr_prj_size declared INTEGER, not TEXT";
    QTest::newRow("a check") << "table qv_zr_projects defined otherwise";
    QTest::newRow("a view for a table") << "a view qv_zr_projects in place of the table";
    QTest::newRow("without row ids") << "column qv_zr_projects.qv_zr_prjid as a key";
    QTest::newRow("a default") << "column qv_zr_projects.qv_zr_prj_desc with a default";
    QTest::newRow("an index of its own") << "an index ix_size the program does not make";
    QTest::newRow("an index out of step") << "is damaged";
    QTest::newRow("read-only database") << "is read-only";
    QTest::newRow("no room for the old database") << "cannot be kept as";
    QTest::newRow("missing path") << "cannot be found";
    QTest::newRow("a folder") << "is a folder";
    QTest::newRow("the database itself") << "is the database itself";
    QTest::newRow("left in the middle of a change") << "was left in the middle of a change";
}

void TestDatabaseFile::restoreRefusesWhatIsNotOurDatabase()
{
    QFETCH(QString, why);
    const QHash<QByteArray, QStringList> schemas{
        {"ids compared without case", withProjects("qv_zr_prjid TEXT COLLATE NOCASE, " + kProjectColumns)},
        {"number columns", withProjects("qv_zr_prjid TEXT, qv_zr_prj_desc TEXT, qv_zr_prj_type TEXT, "
                                        "qv_zr_prj_size INTEGER, qv_zr_size_units TEXT, qv_zr_closed TEXT")},
        {"a check", withProjects("qv_zr_prjid TEXT, " + kProjectColumns + ", check (length(qv_zr_prjid) < 5)")},
        {"a view for a table", {"drop table qv_zr_projects",
                                "create view qv_zr_projects as select 'a' qv_zr_prjid, 'b' qv_zr_prj_desc, 'c' "
                                "qv_zr_prj_type, 'd' qv_zr_prj_size, 'e' qv_zr_size_units, 'f' qv_zr_closed"}},
        {"without row ids", withProjects("qv_zr_prjid TEXT primary key, " + kProjectColumns, " without rowid")},
        {"a default", withProjects("qv_zr_prjid TEXT, qv_zr_prj_desc TEXT default (zeroblob(50000000)), "
                                   "qv_zr_prj_type TEXT, qv_zr_prj_size TEXT, qv_zr_size_units TEXT, qv_zr_closed TEXT")},
        {"an index of its own", {"create index ix_size on qv_zr_projects (qv_zr_prj_size)"}},
    };
    const QByteArray kind = QTest::currentDataTag();
    TempDatabase db;
    fill(db, 3);
    QTemporaryDir in;
    QString source = in.filePath("source.mdb");
    if (kind == "text file") {
        writeFile(source, "SQLite is not in this file\n");
    } else if (kind == "empty file") {
        writeFile(source, QByteArray());
    } else if (kind == "truncated database") {
        TempDatabase big;
        fill(big, 2000);
        const QByteArray whole = bytes(big.path());
        writeFile(source, whole.left(whole.size() / 2));
    } else if (kind == "another program's database") {
        execOn(source, {"create table notes (id integer primary key, body text)"});
    } else if (kind == "a column missing") {
        DatabaseFile(db.path()).backupTo(source);
        execOn(source, {"alter table qv_zr_tst_cases drop column qv_zr_dt_tst"});
    } else if (kind == "a trigger inside") {
        DatabaseFile(db.path()).backupTo(source);
        execOn(source, {"create trigger wipe after insert on qv_zr_projects begin delete from qv_zr_tst_cases; end"});
    } else if (schemas.contains(kind)) {
        DatabaseFile(db.path()).backupTo(source);
        execOn(source, schemas.value(kind));
    } else if (kind == "an index out of step") {
        // The index's entries are of another column than its definition says:
        // the quick check passes this, and saves through it find no row.
        DatabaseFile(db.path()).backupTo(source);
        execOn(source, {"drop index ix_projects_prjid", "create index ix_projects_prjid on qv_zr_projects (qv_zr_prj_desc)",
                        "pragma writable_schema=on",
                        "update sqlite_master set sql = 'CREATE INDEX ix_projects_prjid ON qv_zr_projects (qv_zr_prjid)' "
                        "where name = 'ix_projects_prjid'"});
    } else if (kind == "read-only database" || kind == "no room for the old database") {
        DatabaseFile(db.path()).backupTo(source);
    } else if (kind == "a folder") {
        source = in.path();
    } else if (kind == "left in the middle of a change") {
        TempDatabase other;
        fill(other, 2000);
        leaveUnfinishedChange(other.path(), source);
    } else if (kind == "the database itself") {
        source = db.folder() + "/../" + QDir(db.folder()).dirName() + "/testing.mdb";
    }
    Connection cn;
    cn.open(db.path());
    if (kind == "read-only database")
        QVERIFY(QFile::setPermissions(db.path(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    if (kind == "no room for the old database")
        QVERIFY(QDir(db.folder()).mkdir("testing.mdb.before-restore"));
    const QByteArray before = bytes(db.path());
    DatabaseFile file(db.path());
    const bool sourceIsBad = kind != "read-only database" && kind != "no room for the old database";
    QVERIFY2(file.restoreProblem(source).contains(why) == sourceIsBad, qPrintable(file.restoreProblem(source)));
    const QString message = messageOf([&] { file.restoreFrom(source); });
    QVERIFY2(message.startsWith("Nothing was restored: ") && message.contains(why), qPrintable(message));
    QVERIFY(message.endsWith("The database has not been changed."));
    QCOMPARE(bytes(db.path()), before);
    QCOMPARE(cn.state(), 1);
    QVERIFY(!QFileInfo(db.path() + ".before-restore").isFile());
}

void TestDatabaseFile::unfinishedChangeOfACrashIsUndoneNotCopied_data()
{
    QTest::addColumn<bool>("backup");
    QTest::newRow("backup after the crash") << true;
    QTest::newRow("restore over it") << false;
}

void TestDatabaseFile::unfinishedChangeOfACrashIsUndoneNotCopied()
{
    QFETCH(bool, backup);
    TempDatabase db;
    TempDatabase scratch;
    fill(scratch, 2000);
    const QStringList committed = everything(scratch);
    QTemporaryDir out;
    const QString other = out.filePath("other.mdb");
    TempDatabase otherRows;
    fill(otherRows, 5);
    DatabaseFile(otherRows.path()).backupTo(other);
    leaveUnfinishedChange(scratch.path(), db.path());
    QVERIFY2(bytes(db.path()) != bytes(scratch.path()), "the crash left no half-written file");
    DatabaseFile file(db.path());
    if (backup) {
        // The backup holds the last committed state, not the half-written pages.
        file.backupTo(out.filePath("saved.mdb"));
        QFile::remove(db.path() + "-journal");
        QVERIFY(QFile::remove(db.path()) && QFile::copy(out.filePath("saved.mdb"), db.path()));
        QCOMPARE(db.value("pragma integrity_check").toString(), QString("ok"));
        QCOMPARE(everything(db), committed);
    } else {
        // The journal of the old file must not be played into the new one.
        file.restoreFrom(other);
        QVERIFY(!QFile::exists(db.path() + "-journal"));
        QCOMPARE(db.value("pragma integrity_check").toString(), QString("ok"));
        QCOMPARE(everything(db), everything(otherRows));
    }
}

void TestDatabaseFile::restoreReadsRowsStillInAWriteAheadLog()
{
    TempDatabase db;
    fill(db, 3);
    TempDatabase source;
    fill(source, 50);
    const QString name = QUuid::createUuid().toString();
    {
        // Another program holds the source open in log mode; its latest rows
        // are in the log beside the file, not yet in the file.
        QSqlDatabase writer = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        writer.setDatabaseName(source.path());
        QVERIFY(writer.open());
        QSqlQuery q(writer);
        QVERIFY(q.exec("pragma journal_mode=wal") && q.exec("pragma wal_autocheckpoint=0"));
        QVERIFY(q.exec("insert into qv_zr_projects (qv_zr_prjid) values ('only in the log')"));
        QVERIFY(QFileInfo(source.path() + "-wal").size() > 0);
        DatabaseFile(db.path()).restoreFrom(source.path());
        QCOMPARE(db.value("select count(*) from qv_zr_projects where qv_zr_prjid = 'only in the log'").toInt(), 1);
        QCOMPARE(db.count("qv_zr_tst_cases"), 50);
        QCOMPARE(db.value("pragma journal_mode").toString(), QString("delete"));
        QCOMPARE(QDir(db.folder()).entryList(QDir::Files | QDir::Hidden), kAfterRestore);
    }
    QSqlDatabase::removeDatabase(name);
}

void TestDatabaseFile::leftoverOfAKilledCopyIsReplaced_data()
{
    QTest::addColumn<QString>("copy");
    QTest::newRow("backup") << "backup";
    QTest::newRow("restore") << "restore";
    QTest::newRow("export") << "export";
}

void TestDatabaseFile::leftoverOfAKilledCopyIsReplaced()
{
    QFETCH(QString, copy);
    TempDatabase db;
    fill(db, 30);
    QTemporaryDir out;
    const QString saved = out.filePath("saved.mdb");
    DatabaseFile file(db.path());
    file.backupTo(saved);
    const QStringList rows = everything(db);
    const QString folder = copy == "restore" ? db.folder() : out.path();
    const QString final = copy == "restore" ? "testing.mdb" : copy == "backup" ? "saved.mdb" : "cases.csv";
    // Half a copy, as a kill in the middle leaves it; a link would lead the next copy elsewhere.
    const QString elsewhere = out.filePath("elsewhere");
    writeFile(elsewhere, "not to be touched");
    QVERIFY(QFile::link(elsewhere, folder + "/." + final + ".part"));
    db.exec("delete from qv_zr_tst_cases");
    if (copy == "backup") {
        file.backupTo(saved);
    } else if (copy == "restore") {
        file.restoreFrom(saved);
    } else {
        Connection cn;
        cn.open(db.path());
        exportCasesFile(cn, "P", out.filePath(final));
    }
    QStringList expected = copy == "restore" ? kAfterRestore : QStringList{"elsewhere", final, "saved.mdb"};
    expected.removeDuplicates();
    expected.sort();
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name), expected);
    QCOMPARE(bytes(elsewhere), QByteArray("not to be touched"));
    QCOMPARE(DatabaseFile(db.path()).restoreProblem(saved), QString());
    if (copy == "restore")
        QCOMPARE(everything(db), rows);
}

void TestDatabaseFile::checkLeavesNothingBesideTheOfferedFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("sound");
    QTest::newRow("sound database") << "sound" << true;
    QTest::newRow("database in write-ahead log mode") << "wal" << true;
    // A header that claims write-ahead log mode over a page of junk.
    QTest::newRow("broken write-ahead log header") << "wal header" << false;
}

// The file a user offers may sit on a stick or a read-only share: checking it
// must not add journal or shared-memory files beside it.
void TestDatabaseFile::checkLeavesNothingBesideTheOfferedFile()
{
    QFETCH(QString, kind);
    QFETCH(bool, sound);
    TempDatabase db;
    fill(db, 3);
    QTemporaryDir in;
    const QString source = in.filePath("source.mdb");
    if (kind == "wal header") {
        writeFile(source, QByteArray::fromBase64("U1FMaXRlIGZvcm1hdCAzACAzAAIAAQEAQCAgAAAACAAAAAsAAAAAAAAAAAAAAAAAAAAAAAAAAAiWlpaWlgE="));
    } else {
        DatabaseFile(db.path()).backupTo(source);
        if (kind == "wal")
            execOn(source, {"PRAGMA journal_mode=WAL", "insert into qv_zr_projects (qv_zr_prjid) values ('W')"});
    }
    const QByteArray offered = bytes(source);
    const QByteArray before = bytes(db.path());
    DatabaseFile file(db.path());
    QCOMPARE(file.restoreProblem(source).isEmpty(), sound);
    QCOMPARE(QDir(in.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"source.mdb"});
    QCOMPARE(bytes(source), offered);
    if (sound) {
        file.restoreFrom(source);
        QCOMPARE(db.rows("select qv_zr_prjid from qv_zr_projects where qv_zr_prjid = 'W'").size(), kind == "wal" ? 1 : 0);
    } else {
        QVERIFY(messageOf([&] { file.restoreFrom(source); }).startsWith("Nothing was restored: "));
        QCOMPARE(bytes(db.path()), before);
    }
    QCOMPARE(bytes(source), offered);
    QCOMPARE(QDir(in.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"source.mdb"});
}

QTEST_GUILESS_MAIN(TestDatabaseFile)
#include "tst_databasefile.moc"
