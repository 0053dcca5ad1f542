// Copies of the database file: what a backup holds, and what a restore lets in.
#include "connection.h"
#include "databasefile.h"
#include "recordset.h"
#include "tempdatabase.h"

#include <QDir>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUuid>
#include <QtTest>

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

// A database file that is not testing.mdb, made by a connection of the test's own.
void makeDatabase(const QString &path, const QStringList &statements)
{
    const QString name = QUuid::createUuid().toString();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery q(db);
        for (const QString &sql : statements)
            QVERIFY2(q.exec(sql), qPrintable(q.lastError().text()));
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

// Every row of the three tables, in stored order.
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
            "insert into qv_zr_tst_cases (qv_zr_prjid, qv_zr_tst_type, qv_zr_component, qv_zr_component_type, "
            "qv_zr_tst_case_id, qv_zr_tst_case_desc, qv_zr_pass) "
            "select 'P1', 'Unit', 'Login', 'UI', i, printf('%.*c', 200, char(120 + i % 3)), 'Fail' from n",
            {cases});
    db.setCompany(QString::fromUtf8("Prüf GmbH"), "1 Main St\nTown");
}

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
    void backupThenRestoreRoundTripsEveryRow();
    void backupReplacesAnExistingFileAndLeavesNothingBeside();
    void backupRefusesBadDestinations_data();
    void backupRefusesBadDestinations();
    void restoreRefusesWhatIsNotOurDatabase_data();
    void restoreRefusesWhatIsNotOurDatabase();
    void restoreReopensOpenConnectionsOnTheRestoredRows();
};

void TestDatabaseFile::backupThenRestoreRoundTripsEveryRow()
{
    TempDatabase db;
    fill(db, 300);
    const QStringList before = everything(db);
    QTemporaryDir out;
    const QString backup = out.filePath("saved.mdb");
    DatabaseFile file(db.path());
    file.backupTo(backup);
    QCOMPARE(file.restoreProblem(backup), QString());

    db.exec("delete from qv_zr_tst_cases where qv_zr_tst_case_id > '1'");
    db.addProject("Later");
    db.setCompany("Other", "Elsewhere");
    QVERIFY(everything(db) != before);

    file.restoreFrom(backup);
    QCOMPARE(everything(db), before);
    // A restored file is the program's database in every way.
    Connection cn;
    cn.open(db.path(), Connection::Check::SchemaAndIntegrity);
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

    // Through a link, the file it names is replaced and the link stays.
    const QString link = out.filePath("link.mdb");
    QVERIFY(QFile::link(backup, link));
    db.addProject("P3");
    DatabaseFile(db.path()).backupTo(link);
    QVERIFY(QFileInfo(link).isSymLink());
    db.exec("delete from qv_zr_projects");
    DatabaseFile(db.path()).restoreFrom(backup);
    QCOMPARE(db.count("qv_zr_projects"), 3);
}

void TestDatabaseFile::backupRefusesBadDestinations_data()
{
    QTest::addColumn<QString>("destination"); // %1: the database's folder, %2: an empty folder
    QTest::addColumn<QString>("why");
    QTest::newRow("missing folder") << "%2/no/such/folder/b.mdb" << "does not exist";
    QTest::newRow("a file as folder") << "%1/testing.mdb/b.mdb" << "is not a folder";
    QTest::newRow("a folder") << "%2" << "is a folder";
    QTest::newRow("the database") << "%1/testing.mdb" << "is the database itself";
    QTest::newRow("the database, spelt otherwise") << "%2/../%3/./testing.mdb" << "is the database itself";
    QTest::newRow("read-only file system") << "/proc/verolan-backup.mdb" << "nothing can be written";
    QTest::newRow("database gone") << "%2/b.mdb" << "cannot be found";
}

void TestDatabaseFile::backupRefusesBadDestinations()
{
    QFETCH(QString, destination);
    QFETCH(QString, why);
    TempDatabase db;
    fill(db, 3);
    QTemporaryDir other;
    destination.replace("%1", db.folder()).replace("%2", other.path()).replace("%3", QFileInfo(db.folder()).fileName());
    if (QByteArray(QTest::currentDataTag()) == "database gone")
        QVERIFY(QFile::rename(db.path(), db.folder() + "/moved.mdb"));
    const QByteArray before = bytes(db.path());

    const QString message = messageOf([&] { DatabaseFile(db.path()).backupTo(destination); });
    QVERIFY2(message.startsWith("The backup was not made: ") && message.contains(why), qPrintable(message));
    QCOMPARE(bytes(db.path()), before);
    QCOMPARE(QDir(other.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
    QCOMPARE(QDir(db.folder()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

void TestDatabaseFile::restoreRefusesWhatIsNotOurDatabase_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("why");
    QTest::newRow("text file") << "text" << "is not a database";
    QTest::newRow("empty file") << "empty" << "is empty";
    QTest::newRow("truncated database") << "truncated" << "is not a sound database";
    QTest::newRow("another program's database") << "foreign" << "lacks table qv_zr_projects, table qv_zr_tst_cases";
    QTest::newRow("a column missing") << "column" << "lacks column qv_zr_tst_cases.qv_zr_dt_tst";
    QTest::newRow("a trigger inside") << "trigger" << "holds triggers";
    QTest::newRow("missing path") << "missing" << "cannot be found";
    QTest::newRow("a folder") << "folder" << "is a folder";
    QTest::newRow("the database itself") << "itself" << "is the database itself";
}

void TestDatabaseFile::restoreRefusesWhatIsNotOurDatabase()
{
    QFETCH(QString, kind);
    QFETCH(QString, why);
    TempDatabase db;
    fill(db, 3);
    QTemporaryDir in;
    QString source = in.filePath("source.mdb");
    if (kind == "text") {
        writeFile(source, "SQLite is not in this file\n");
    } else if (kind == "empty") {
        writeFile(source, QByteArray());
    } else if (kind == "truncated") {
        TempDatabase big;
        fill(big, 2000);
        const QByteArray whole = bytes(big.path());
        QVERIFY(whole.size() > 100000);
        writeFile(source, whole.left(whole.size() / 2));
    } else if (kind == "foreign") {
        makeDatabase(source, {"create table notes (id integer primary key, body text)",
                              "insert into notes (body) values ('hello')"});
    } else if (kind == "column") {
        makeDatabase(source, {"create table qv_zr_projects (qv_zr_prjid, qv_zr_prj_desc, qv_zr_prj_type, qv_zr_prj_size, "
                              "qv_zr_size_units, qv_zr_closed)",
                              "create table qv_zr_tst_cases (qv_zr_prjid, qv_zr_tst_type, qv_zr_component, "
                              "qv_zr_component_type, qv_zr_tst_case_id, qv_zr_tst_case_desc, qv_zr_rslt_exp, "
                              "qv_zr_pass, qv_zr_rslt_act, qv_zr_def_severity, qv_zr_def_cat)",
                              "create table Tqvjx_companydetails (fqv_jx_companyname, fqv_jx_address)"});
    } else if (kind == "trigger") {
        DatabaseFile(db.path()).backupTo(source);
        makeDatabase(source, {"create trigger wipe after insert on qv_zr_projects begin delete from qv_zr_tst_cases; end"});
    } else if (kind == "folder") {
        source = in.path();
    } else if (kind == "itself") {
        source = db.folder() + "/../" + QFileInfo(db.folder()).fileName() + "/testing.mdb";
    }

    Connection cn;
    cn.open(db.path());
    const QByteArray before = bytes(db.path());
    DatabaseFile file(db.path());
    QVERIFY(file.restoreProblem(source).contains(why));
    const QString message = messageOf([&] { file.restoreFrom(source); });
    QVERIFY2(message.startsWith("Nothing was restored: ") && message.contains(why), qPrintable(message));
    QVERIFY(message.endsWith("The database has not been changed."));
    QCOMPARE(bytes(db.path()), before);
    QCOMPARE(cn.state(), 1);
    QCOMPARE(db.count("qv_zr_tst_cases"), 3);
}

void TestDatabaseFile::restoreReopensOpenConnectionsOnTheRestoredRows()
{
    TempDatabase db;
    db.addProject("Kept");
    QTemporaryDir out;
    const QString backup = out.filePath("saved.mdb");
    DatabaseFile(db.path()).backupTo(backup);
    db.exec("delete from qv_zr_projects");
    db.addProject("Dropped");

    Connection open;
    open.open(db.path());
    Connection closed;
    closed.open(db.path());
    closed.close();
    RecordSet rs;
    rs.open("select * from qv_zr_projects", {}, open);
    QCOMPARE(rs.fields("qv_zr_prjid").toString(), QString("Dropped"));
    rs.close();

    DatabaseFile(db.path()).restoreFrom(backup);
    QCOMPARE(open.state(), 1);
    QCOMPARE(closed.state(), 0);
    // The next read and write of a window that was open work on the restored file.
    rs.open("select * from qv_zr_projects", {}, open, CursorType::Dynamic, LockType::Optimistic);
    QCOMPARE(rs.recordCount(), 1);
    QCOMPARE(rs.fields("qv_zr_prjid").toString(), QString("Kept"));
    rs.setField("qv_zr_prj_desc", "changed after restore");
    rs.update();
    rs.close();
    QCOMPARE(db.rows("select qv_zr_prjid, qv_zr_prj_desc from qv_zr_projects"), QStringList{"Kept|changed after restore"});
}

QTEST_GUILESS_MAIN(TestDatabaseFile)
#include "tst_databasefile.moc"
