#pragma once

#include "childwindow.h"
#include "testingclass.h"

class QLabel;
class QPushButton;

// Product name, motto, version and maker, with the user's company under them.
class Frm_About : public ChildWindow
{
    Q_OBJECT

public:
    explicit Frm_About(TestingClass &con, QWidget *parent = nullptr);

    Placement placement() const override { return Placement::FixedSize; }

    void Form_Load() override;
    void Command1_Click();

    QLabel *lblCompany;
    QLabel *lblProductName;
    QLabel *lbl_about;
    QLabel *Label1;
    QLabel *Image1;
    QLabel *Label2;
    QLabel *lblCopyright;
    QLabel *Label4;
    QPushButton *Command1;

private:
    TestingClass &con;
};
