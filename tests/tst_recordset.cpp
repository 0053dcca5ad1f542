// The record-access layer: what the windows rely on when they read and write rows.
#include "connection.h"
#include "dberror.h"
#include "recordset.h"
#include "tempdatabase.h"

#include <QtTest>

class TestRecordSet : public QObject
{
    Q_OBJECT

private slots:
    void nullStaysDistinctFromEmptyText();
    void deleteRemovesOnlyTheCurrentRow();
    void updateChangesOnlyTheCurrentRow();
    void walkingEmptyReadOnlyAndBadSets();
};

void TestRecordSet::nullStaysDistinctFromEmptyText()
{
    TempDatabase db;
    db.exec("insert into qv_zr_tst_cases (qv_zr_prjid, qv_zr_def_cat) values ('P', NULL)");
    Connection cn;
    cn.open(db.path());
    RecordSet rs;
    rs.open("select * from qv_zr_tst_cases", {}, cn, LockType::Optimistic, "qv_zr_tst_cases");
    QVERIFY(rs.fields("qv_zr_def_cat").isNull());
    // Empty text written through the set is text, not Null.
    rs.setField("qv_zr_def_cat", QString());
    rs.setField("qv_zr_def_severity", QStringLiteral(""));
    rs.update();
    rs.close();
    QCOMPARE(db.rows("select qv_zr_def_cat, qv_zr_def_severity, qv_zr_rslt_act from qv_zr_tst_cases"),
             QStringList{"||<null>"});
    rs.open("select * from qv_zr_tst_cases", {}, cn);
    QVERIFY(!rs.fields("qv_zr_def_cat").isNull());
    QCOMPARE(rs.fields("qv_zr_def_cat").toString(), QString());
    QVERIFY(rs.fields("qv_zr_rslt_act").isNull());
}

void TestRecordSet::deleteRemovesOnlyTheCurrentRow()
{
    TempDatabase db;
    db.addCase("P", "T", "C", "K", "1");
    db.addCase("P", "T", "C", "K", "1"); // an exact duplicate: only one of the two may go
    db.addCase("P", "T", "C", "K", "2");
    db.addCase("P", "T", "C2", "K", "1");
    Connection cn;
    cn.open(db.path());
    RecordSet rs;
    rs.open("select * from qv_zr_tst_cases where (qv_zr_prjid=?)and (qv_zr_component=?)", {"P", "C"}, cn,
            LockType::Optimistic, "qv_zr_tst_cases");
    QCOMPARE(rs.recordCount(), 3);
    rs.deleteCurrent();
    // The set then stands on the next row: a change goes to it, and so does the next delete.
    QCOMPARE(rs.recordCount(), 2);
    QCOMPARE(rs.fields("qv_zr_tst_case_id").toString(), QStringLiteral("1"));
    rs.setField("qv_zr_tst_case_desc", "kept");
    rs.update();
    rs.moveNext();
    rs.deleteCurrent();
    QVERIFY(rs.eof());
    rs.close();
    QCOMPARE(db.rows("select qv_zr_component, qv_zr_tst_case_id, qv_zr_tst_case_desc from qv_zr_tst_cases order by rowid"),
             (QStringList{"C|1|kept", "C2|1|d"}));
}

void TestRecordSet::updateChangesOnlyTheCurrentRow()
{
    TempDatabase db;
    db.addProject("A", "first");
    db.addProject("A", "second");
    db.addProject("B", "third");
    Connection cn;
    cn.open(db.path());
    RecordSet rs;
    rs.open("select * from qv_zr_projects where qv_zr_prjid=?", {"A"}, cn, LockType::Optimistic, "qv_zr_projects");
    rs.moveNext();
    rs.setField("qv_zr_prj_desc", "changed");
    rs.update();
    rs.close();
    QCOMPARE(db.rows("select qv_zr_prj_desc from qv_zr_projects order by rowid"),
             (QStringList{"first", "changed", "third"}));
}

void TestRecordSet::walkingEmptyReadOnlyAndBadSets()
{
    TempDatabase db;
    Connection cn;
    cn.open(db.path());
    RecordSet rs;
    rs.open("select * from qv_zr_projects", {}, cn);
    QCOMPARE(rs.state(), 1);
    QVERIFY(rs.eof());
    QVERIFY(rs.bof());
    QVERIFY_THROWS_EXCEPTION(DbError, rs.fields(0));
    rs.close();
    QCOMPARE(rs.state(), 0);
    db.addProject("B");
    db.addProject("A");
    rs.open("select * from qv_zr_projects", {}, cn); // stored order
    QVERIFY(!rs.bof());
    QStringList seen;
    while (!rs.eof()) {
        seen << rs.fields(0).toString();
        rs.moveNext();
    }
    QCOMPARE(seen, (QStringList{"B", "A"}));
    rs.moveFirst();
    QCOMPARE(rs.fields(0).toString(), QStringLiteral("B"));
    // A read-only set changes nothing.
    QVERIFY_THROWS_EXCEPTION(DbError, rs.setField("qv_zr_prj_desc", "x"));
    QVERIFY_THROWS_EXCEPTION(DbError, rs.deleteCurrent());
    QCOMPARE(db.count("qv_zr_projects"), 2);
    // Opening an open set is a caller's fault, reported as such.
    QVERIFY_THROWS_EXCEPTION(DbError, rs.open("select * from qv_zr_projects", {}, cn));
    rs.close();

    try {
        rs.open("select * from no_such_table", {}, cn);
        QFAIL("no error raised");
    } catch (const DbError &e) {
        QCOMPARE(e.kind(), DbError::Kind::General);
        QVERIFY2(e.engineMessage().contains("no such table"), qPrintable(e.engineMessage()));
        QVERIFY(e.describe().contains("no_such_table"));
    }
    QCOMPARE(rs.state(), 0);
    Connection closed;
    QVERIFY_THROWS_EXCEPTION(DbError, rs.open("select * from qv_zr_projects", {}, closed));
}

QTEST_GUILESS_MAIN(TestRecordSet)
#include "tst_recordset.moc"
