// The backup window's wiring: its keys, the file chooser, the progress run, and
// that it hands the paths to the file layer and shows what that layer says;
// on a server database, the snapshot file and the restore into an empty server.
#include "apppaths.h"
#include "connection.h"
#include "frm_backup.h"
#include "schema.h"
#include "mdi_main.h"
#include "windows.h"
#include "windowtest.h"

#include <QProgressBar>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTimer>

class TestFrmBackup : public QObject
{
    Q_OBJECT

private slots:
    void focusStartsInRestoreAndEnterPressesTheFramesButtonOrTheFocusedOne();
    void browsePutsTheChosenPathInItsBox_data();
    void browsePutsTheChosenPathInItsBox();
    void copiesRunTheProgressAndCloseLeavesTheWindow();
    void failedCopySaysWhyAndRunsNoProgress();
    void serverBackupOpensAsAFileAndRestoresOnlyIntoAnEmptyServer();
};

namespace {

// Every row of the program's tables in stored order, as rowsOf gives a query's rows.
template <class RowsOf>
QStringList everyRow(RowsOf rowsOf)
{
    QStringList all;
    for (const Schema::Table &table : Schema::tables()) {
        all << table.name;
        all << rowsOf(QString("select %1 from %2 order by rowid").arg(table.columns.join(','), table.name));
    }
    return all;
}

} // namespace

void TestFrmBackup::focusStartsInRestoreAndEnterPressesTheFramesButtonOrTheFocusedOne()
{
    WindowOn<frm_backup> t;
    frm_backup &w = t.load(false);
    w.txt_destname->setText("/some/where.mdb");
    QVERIFY(showActive(&w));
    QVERIFY(hasFocusIn(w.txt_restore));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    // Tab runs through the restore frame first, then into the backup frame, whose box selects its text.
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QVERIFY(hasFocusIn(w.txt_destname));
    QCOMPARE(w.txt_destname->selectedText(), QString("/some/where.mdb"));
    w.txt_destname->clear();
    QTest::keyClick(w.txt_destname, Qt::Key_Return);
    w.txt_restore->setFocus();
    QTest::keyClick(w.txt_restore, Qt::Key_Enter);
    QCOMPARE(t.messages(), (QStringList{"Select restore file", "Select destination file", "Select restore file"}));
    QTest::keyClick(w.txt_restore, Qt::Key_Escape);
    QVERIFY(!w.isVisible());
    // Enter on a focused button presses that one: from Cancel it never runs the restore.
    QVERIFY(showActive(&w));
    w.txt_restore->setText("/some/old.mdb");
    w.txt_restore->setFocus();
    QTest::keyClick(w.txt_restore, Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), w.Command1);
    QTest::keyClick(w.Command1, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(t.services.messages->boxes.size(), 3);
    QVERIFY(!w.Timer->isActive());
    QVERIFY(!w.isVisible());
}

void TestFrmBackup::browsePutsTheChosenPathInItsBox_data()
{
    QTest::addColumn<bool>("backup");
    QTest::addColumn<std::optional<QString>>("answer");
    QTest::addColumn<QString>("expected");
    QTest::newRow("backup, chosen") << true << std::optional<QString>("/media/usb/save 1.mdb") << "/media/usb/save 1.mdb";
    QTest::newRow("backup, cancelled") << true << std::optional<QString>() << "testing.mdb";
    QTest::newRow("restore, chosen") << false << std::optional<QString>("/media/usb/old.mdb") << "/media/usb/old.mdb";
    QTest::newRow("restore, cancelled") << false << std::optional<QString>() << "testing.mdb";
}

void TestFrmBackup::browsePutsTheChosenPathInItsBox()
{
    QFETCH(bool, backup);
    QFETCH(std::optional<QString>, answer);
    QFETCH(QString, expected);
    WindowOn<frm_backup> t;
    t.services.files->answers << answer;
    frm_backup &w = t.load(false);
    w.txt_destname->setText("typed before");
    w.txt_restore->setText("typed before");
    (backup ? w.cmd_browse_backup : w.cmd_browse_restore)->click();
    QCOMPARE(t.services.files->proposedNames, QStringList{"testing.mdb"});
    QCOMPARE((backup ? w.txt_destname : w.txt_restore)->text(), expected);
    QCOMPARE((backup ? w.txt_restore : w.txt_destname)->text(), QString("typed before"));
}

void TestFrmBackup::copiesRunTheProgressAndCloseLeavesTheWindow()
{
    TempDatabase db;
    db.addProject("Saved");
    QTemporaryDir out;
    const QString backup = out.filePath("copy.mdb");
    ServiceRecorders rec;
    mdi_main main;
    registerWindows(main);
    QVERIFY(main.MDIForm_Load());
    QVERIFY(showActive(&main));
    main.backup_Click();
    auto *w = qobject_cast<frm_backup *>(main.openWindow("backup"));
    QVERIFY(w);
    QVERIFY(hasFocusIn(w->txt_restore));
    QVERIFY(w->prog_save->isHidden());
    w->txt_destname->setText(backup);
    w->cmd_backup->click();
    QVERIFY(QFileInfo(backup).isFile());
    QCOMPARE(w->txt_destname->text(), QString());
    QVERIFY(w->prog_save->isVisible() && w->Timer->isActive());
    QCOMPARE(w->Timer->interval(), 10);
    for (int i = 1; i <= 99; ++i)
        w->Timer_Timer();
    QCOMPARE(w->prog_save->value(), 99);
    QVERIFY(w->prog_save->isVisible() && w->Timer->isActive());
    w->Timer_Timer();
    QVERIFY(w->prog_save->isHidden() && !w->Timer->isActive());
    QCOMPARE(w->prog_save->value(), w->prog_save->minimum());
    db.exec("update qv_zr_projects set qv_zr_prjid = 'Changed'");
    w->txt_restore->setText(backup);
    w->cmd_restore->click();
    QCOMPARE(db.rows("select qv_zr_prjid from qv_zr_projects"), QStringList{"Saved"});
    QCOMPARE(w->txt_restore->text(), QString());
    w->Timer_Timer();
    QCOMPARE(w->prog_save->value(), 1);
    QCOMPARE(main.con.cn.state(), 1);
    QCOMPARE(rec.messages->boxes.size(), 0);
    w->Command1->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!main.openWindow("backup"));
}

void TestFrmBackup::failedCopySaysWhyAndRunsNoProgress()
{
    WindowOn<frm_backup> t;
    frm_backup &w = t.load(false);
    const QString missing = t.db.folder() + "/missing/copy.mdb";
    for (auto [box, button] : {std::pair{w.txt_destname, w.cmd_backup}, std::pair{w.txt_restore, w.cmd_restore}}) {
        box->setText(missing);
        button->click();
        // The path stays for the user to correct; no sign of a finished copy.
        QCOMPARE(box->text(), missing);
        QVERIFY(w.prog_save->isHidden() && !w.Timer->isActive());
    }
    QCOMPARE(t.services.messages->boxes.size(), 2);
    QVERIFY(t.messages().at(0).startsWith("The backup was not made: the folder"));
    QVERIFY(t.messages().at(1).startsWith("Nothing was restored: the file"));
    QCOMPARE(t.services.messages->boxes[1].caption, QString("information"));
}

void TestFrmBackup::serverBackupOpensAsAFileAndRestoresOnlyIntoAnEmptyServer()
{
    if (!TempDatabase::serverProblem().isEmpty())
        QSKIP(qPrintable(TempDatabase::serverProblem()));
    TempDatabase team(TempDatabase::Engine::Server);
    team.addProject("P2");
    team.addProject("P1", "it's \"first\"");
    team.addCases({{"P1", "Unit", "C1", "Form", "T2", "two", "e"}, {"P1", "Unit", "C1", "Form", "T1", "one", ""}});
    team.setCompany("Acme", QString());
    const QString history = "insert into qv_zr_tst_history (qv_zr_prjid, qv_zr_tst_case_id, qv_zr_pass, qv_zr_dt_tst, "
                            "qv_zr_build, qv_zr_saved_by) values (?, ?, ?, ?, ?, ?)";
    team.exec(history, {"P1", "T1", "Fail", "2026-12-01", "b1", "ann"});
    team.exec(history, {"P1", "T1", "Pass", "2026-12-02", QVariant(), "bob"});
    const QStringList teamRows = everyRow([&](const QString &sql) { return team.rows(sql); });
    TempDatabase target(TempDatabase::Engine::Server);
    WindowOn<frm_backup> t;
    frm_backup &w = t.load(false);
    const QString copy = t.db.folder() + "/team.mdb";
    const auto restore = [&](const TempDatabase &into) {
        AppPaths::chooseDatabase(into.path());
        w.txt_restore->setText(copy);
        w.cmd_restore->click();
    };

    AppPaths::chooseDatabase(team.path());
    w.txt_destname->setText(copy);
    w.cmd_backup->click();
    Connection file;
    file.open(copy);
    QCOMPARE(everyRow([&](const QString &sql) {
                 QSqlQuery q(file.database());
                 QStringList out;
                 for (q.exec(sql); q.next();) {
                     QStringList cells;
                     for (int i = 0; i < q.record().count(); ++i)
                         cells << (q.value(i).isNull() ? "<null>" : q.value(i).toString());
                     out << cells.join('|');
                 }
                 return out;
             }),
             teamRows);
    file.close();

    restore(target);
    QCOMPARE(everyRow([&](const QString &sql) { return target.rows(sql); }), teamRows);
    QCOMPARE(t.messages(), QStringList());

    // Rows left in the last table alone keep a restore out, and it changes nothing.
    target.exec("truncate qv_zr_projects, qv_zr_tst_cases, Tqvjx_companydetails");
    const QStringList left = everyRow([&](const QString &sql) { return target.rows(sql); });
    restore(target);
    AppPaths::chooseDatabase(QString());
    QCOMPARE(everyRow([&](const QString &sql) { return target.rows(sql); }), left);
    QCOMPARE(t.messages().size(), 1);
    QVERIFY2(t.messages().at(0).startsWith("Nothing was restored: the server database")
                 && t.messages().at(0).contains("pg_dump and pg_restore"),
             qPrintable(t.messages().at(0)));
}

QTEST_MAIN(TestFrmBackup)
#include "tst_frm_backup.moc"
