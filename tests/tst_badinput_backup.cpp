// Odd file names in the backup window: a blank box is refused with the window's
// message; every other name is a file of exactly that name, written by the
// backup and read back by the restore.
#include "badinput.h"
#include "apppaths.h"
#include "frm_backup.h"
#include "tempdatabase.h"
#include "testingclass.h"

#include <QFile>
#include <QTemporaryDir>

class TestBadInputBackup : public QObject
{
    Q_OBJECT

private slots:
    void fileNamesAreTakenAsTyped_data();
    void fileNamesAreTakenAsTyped();
};

void TestBadInputBackup::fileNamesAreTakenAsTyped_data()
{
    QTest::addColumn<QString>("text");
    // Names stay well inside what a file system takes, with room for a temporary prefix.
    for (const OddText &odd : oddTexts(50))
        QTest::addRow("%s", odd.name) << odd.text;
}

void TestBadInputBackup::fileNamesAreTakenAsTyped()
{
    QFETCH(QString, text);

    TempDatabase db;
    db.addProject("Before");
    QTemporaryDir elsewhere;
    ServiceRecorders services;
    TestingClass con;
    frm_backup w(con);
    w.Form_Load();
    QVERIFY(showActive(&w));

    // A blank box names no file; anything else names one in the chosen folder.
    const QString path = isBlank(text) ? text : elsewhere.filePath(text);
    w.txt_destname->setText(path);
    QTest::mouseClick(w.cmd_backup, Qt::LeftButton);
    if (isBlank(text)) {
        QCOMPARE(services.messages->texts(), QStringList{"Select destination file"});
        w.txt_restore->setText(text);
        services.messages->boxes.clear();
        QTest::mouseClick(w.cmd_restore, Qt::LeftButton);
        QCOMPARE(services.messages->texts(), QStringList{"Select restore file"});
        QCOMPARE(db.rows("select qv_zr_prjid from qv_zr_projects"), QStringList{"Before"});
        return;
    }
    QCOMPARE(services.messages->texts(), QStringList{});
    QCOMPARE(QDir(elsewhere.path()).entryList(QDir::Files | QDir::Hidden), QStringList{text});
    QCOMPARE(w.txt_destname->text(), QString());

    db.addProject("After");
    w.txt_restore->setText(path);
    QTest::mouseClick(w.cmd_restore, Qt::LeftButton);
    QCOMPARE(services.messages->texts(), QStringList{});
    QCOMPARE(db.rows("select qv_zr_prjid from qv_zr_projects"), QStringList{"Before"});
    QCOMPARE(w.txt_restore->text(), QString());
}

QTEST_MAIN(TestBadInputBackup)
#include "tst_badinput_backup.moc"
