#pragma once

#include "childwindow.h"
#include "testingclass.h"
#include "textbox.h"

#include <functional>

class QLabel;
class QPushButton;

// Shows which database is open and moves the program to another one, a file
// or a PostgreSQL server: tested first on a connection of its own, then saved
// in verolan.conf and opened by every connection.
class frm_database : public ChildWindow
{
    Q_OBJECT

public:
    // switched runs once every connection is on the new database: the main
    // window closes its child windows and names the database in its title.
    frm_database(TestingClass &con, std::function<void()> switched, QWidget *parent = nullptr);

    // Resizable: a reason can run to several lines.
    Placement placement() const override { return Placement::Normal; }
    void Form_Load() override;

    void cmd_browse_Click();
    void cmd_test_Click();
    void cmd_save_Click();
    void cmd_close_Click();
    void txt_location_Change();

    QLabel *lbl_open;
    QLabel *lbl_current;
    QLabel *lbl_location;
    TextBox *txt_location;
    QPushButton *cmd_browse;
    QPushButton *cmd_test;
    MultiLineTextBox *txt_result; // what the test found, or why it failed
    QPushButton *cmd_save;
    QPushButton *cmd_close;

private:
    TestingClass &con;
    std::function<void()> m_switched;
    QString m_tested;   // the location the last successful test reached; empty: none
    QString m_password; // typed for it, in memory only
};
