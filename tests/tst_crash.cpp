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
        QTest::qWait(5 + int(rng.bounded(60)));
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
    QVERIFY2(acks > kills, "the driver saved too little to prove anything");
}

QTEST_GUILESS_MAIN(TestCrash)
#include "tst_crash.moc"
