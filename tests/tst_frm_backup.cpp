// The backup window's wiring: its keys, the file chooser, the progress run, and
// that it hands the paths to the file layer and shows what that layer says.
#include "frm_backup.h"
#include "mdi_main.h"
#include "windows.h"
#include "windowtest.h"

#include <QProgressBar>
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
};

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

QTEST_MAIN(TestFrmBackup)
#include "tst_frm_backup.moc"
