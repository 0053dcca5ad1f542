// Killing the program in the middle of saving loses nothing that was
// acknowledged and never leaves a damaged file.
#include "tempdatabase.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QtTest>
#include <csignal>

class TestCrash : public QObject
{
    Q_OBJECT

private slots:
    void killedWhileSavingKeepsEveryAcknowledgedSave();
    void killedWhileRestoringLeavesTheOldOrTheNewDatabase();
};

void TestCrash::killedWhileSavingKeepsEveryAcknowledgedSave()
{
    const QString driver = QStringLiteral(VEROLAN_CRASHDRIVER);
    TempDatabase db;
    const int cases = 50;
    for (int i = 0; i < cases; ++i)
        db.addCase("P", "T", "C", "K", QString::number(i));

    QRandomGenerator rng(7);
    QMap<int, int> lastAck; // case -> the last acknowledged save's number
    int kills = 0;
    int acks = 0;
    for (int round = 0; round < 120; ++round) {
        QProcess p;
        p.start(driver, {db.path(), QString::number(cases)});
        QVERIFY(p.waitForStarted());
        // Kill only once saving is under way, however slow the machine.
        QVERIFY(p.waitForReadyRead(30000));
        QTest::qWait(int(rng.bounded(40)));
        ::kill(pid_t(p.processId()), SIGKILL);
        QVERIFY(p.waitForFinished());
        ++kills;

        // Numbers restart at 0 each round; a case's save in this round overwrites earlier ones.
        int highest = -1;
        for (const QByteArray &line : p.readAllStandardOutput().split('\n')) {
            if (line.startsWith("ACK "))
                highest = line.mid(4).toInt();
        }
        QMap<int, int> ackedThisRound;
        for (int n = 0; n <= highest; ++n)
            ackedThisRound[n % cases] = n;
        acks += highest + 1;

        QCOMPARE(db.value("pragma integrity_check").toString(), QStringLiteral("ok"));
        const QStringList rows = db.rows("select qv_zr_tst_case_id, qv_zr_rslt_act from qv_zr_tst_cases");
        QCOMPARE(rows.size(), cases);
        for (const QString &row : rows) {
            const int id = row.section('|', 0, 0).toInt();
            const QString stored = row.section('|', 1, 1);
            if (ackedThisRound.contains(id)) {
                // The acknowledged save is there, or a later one that landed before the kill.
                QVERIFY2(stored != "<null>", qPrintable(row));
                const int n = stored.toInt();
                QVERIFY2(n % cases == id && n >= ackedThisRound[id], qPrintable(row));
                lastAck[id] = n;
            } else if (lastAck.contains(id)) {
                QVERIFY2(stored != "<null>", qPrintable(row));
            }
        }
    }
    qInfo("%d kills, %d acknowledged saves", kills, acks);
    QVERIFY(kills >= 100);
    QVERIFY2(acks >= kills, "the driver saved too little to prove anything");
}

void TestCrash::killedWhileRestoringLeavesTheOldOrTheNewDatabase()
{
    const QString driver = QStringLiteral(VEROLAN_CRASHDRIVER);
    TempDatabase db;
    TempDatabase a;
    TempDatabase b;
    // Large enough that a copy takes a while: kills land in the middle of it.
    const QString text(200, QLatin1Char('x'));
    a.exec("with recursive n(i) as (select 1 union all select i + 1 from n where i < 4000) "
           "insert into qv_zr_tst_cases (qv_zr_prjid, qv_zr_tst_case_desc) select 'A', ? || i from n", {text});
    b.exec("with recursive n(i) as (select 1 union all select i + 1 from n where i < 6000) "
           "insert into qv_zr_tst_cases (qv_zr_prjid, qv_zr_tst_case_desc) select 'B', ? || i from n", {text});
    const QString original = db.rows("select count(*) from qv_zr_tst_cases").join(',');

    QRandomGenerator rng(11);
    int restores = 0;
    for (int round = 0; round < 100; ++round) {
        QProcess p;
        p.start(driver, {"restore", db.path(), a.path(), b.path()});
        QVERIFY(p.waitForStarted());
        // Kill only once restoring is under way, however slow the machine.
        QVERIFY(p.waitForReadyRead(30000));
        QTest::qWait(int(rng.bounded(60)));
        ::kill(pid_t(p.processId()), SIGKILL);
        QVERIFY(p.waitForFinished());
        for (const QByteArray &line : p.readAllStandardOutput().split('\n'))
            restores += line.startsWith("ACK ") ? 1 : 0;

        // Whole, and exactly one of the databases: before any restore, A or B.
        QCOMPARE(db.value("pragma integrity_check").toString(), QStringLiteral("ok"));
        const QString state = db.rows("select qv_zr_prjid, count(*), sum(length(qv_zr_tst_case_desc)) "
                                      "from qv_zr_tst_cases group by 1").join(',');
        const QStringList whole = {original == "0" ? QString() : original,
                                   a.rows("select qv_zr_prjid, count(*), sum(length(qv_zr_tst_case_desc)) "
                                          "from qv_zr_tst_cases group by 1").join(','),
                                   b.rows("select qv_zr_prjid, count(*), sum(length(qv_zr_tst_case_desc)) "
                                          "from qv_zr_tst_cases group by 1").join(',')};
        QVERIFY2(whole.contains(state), qPrintable(state));
    }
    qInfo("%d restores acknowledged across 100 kills", restores);
    QVERIFY(restores > 0);
}

QTEST_GUILESS_MAIN(TestCrash)
#include "tst_crash.moc"
