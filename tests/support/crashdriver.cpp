// Saves test results in a loop through the program's data layer, the way the
// test log window saves one, and prints "ACK <n>" once each save has returned.
// A test kills it at random moments and checks what the file holds.
//
//   verolan_crashdriver <database file> <test cases in the file>
//   verolan_crashdriver restore <database file> <source A> <source B>
// The second form restores A and B in turn, printing "ACK <n>" after each.
#include "connection.h"
#include "databasefile.h"
#include "recordset.h"

#include <QCoreApplication>
#include <QDate>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 5 && QByteArray(argv[1]) == "restore") {
        Connection cn; // a window's open connection, closed and reopened around each restore
        cn.open(QString::fromLocal8Bit(argv[2]));
        const DatabaseFile file(QString::fromLocal8Bit(argv[2]));
        for (int n = 0;; ++n) {
            file.restoreFrom(QString::fromLocal8Bit(argv[3 + n % 2]));
            std::printf("ACK %d\n", n);
            std::fflush(stdout);
        }
    }
    if (argc != 3)
        return 2;
    const QString path = QString::fromLocal8Bit(argv[1]);
    const int cases = QString::fromLocal8Bit(argv[2]).toInt();
    Connection cn;
    cn.open(path);
    RecordSet rs_save;
    for (int n = 0;; ++n) {
        const QString id = QStringLiteral("%1").arg(n % cases);
        if (rs_save.state() == 1)
            rs_save.close();
        rs_save.open(QStringLiteral("select * from qv_zr_tst_cases where (qv_zr_prjid=?)and (qv_zr_component=?) and "
                                    " (qv_zr_component_type=?) and  (qv_zr_tst_type=?) and  (qv_zr_tst_case_id=?)"),
                     {QStringLiteral("P"), QStringLiteral("C"), QStringLiteral("K"), QStringLiteral("T"), id}, cn,
                     LockType::Optimistic, QStringLiteral("qv_zr_tst_cases"));
        if (!rs_save.eof()) {
            rs_save.setField(QStringLiteral("qv_zr_pass"), n % 2 ? QStringLiteral("Pass") : QStringLiteral("Fail"));
            rs_save.setField(QStringLiteral("qv_zr_rslt_act"), QString::number(n));
            rs_save.setField(QStringLiteral("qv_zr_dt_tst"), QDate(2026, 1, 1).addDays(n % 300));
            rs_save.setField(QStringLiteral("qv_zr_def_severity"), n % 2 ? QString() : QStringLiteral("Major"));
            rs_save.setField(QStringLiteral("qv_zr_def_cat"), n % 2 ? QString() : QStringLiteral("GUI"));
            rs_save.update();
        }
        rs_save.close();
        std::printf("ACK %d\n", n);
        std::fflush(stdout);
    }
}
