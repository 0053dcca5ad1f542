#pragma once

#include "childwindow.h"
#include "testingclass.h"
#include "textbox.h"

class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

// Copies the database file out to a file the user names, and back in.
class frm_backup : public ChildWindow
{
    Q_OBJECT

public:
    explicit frm_backup(TestingClass &con, QWidget *parent = nullptr);

    Placement placement() const override { return Placement::FixedSize; }
    void Form_Load() override;

    void cmd_browse_backup_Click();
    void cmd_browse_restore_Click();
    void cmd_backup_Click();
    void cmd_restore_Click();
    void Timer_Timer();
    void txt_destname_GotFocus();
    void txt_restore_GotFocus();
    void Command1_Click();

    QGroupBox *Frame1;
    QGroupBox *Frame3;
    QLabel *Label1;
    QLabel *Label3;
    TextBox *txt_destname;
    QPushButton *cmd_browse_backup;
    QPushButton *cmd_backup;
    QGroupBox *Frame2;
    QLabel *Label2;
    QLabel *Label4;
    TextBox *txt_restore;
    QPushButton *cmd_browse_restore;
    QPushButton *cmd_restore;
    QPushButton *Command1;
    QProgressBar *prog_save;
    QTimer *Timer;

private:
    void showProgress();

    TestingClass &con;
    int tick = 0; // 0 until the first tick
};
