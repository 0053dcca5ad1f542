#pragma once

#include "childwindow.h"
#include "testingclass.h"
#include "textbox.h"

class QGroupBox;
class QLabel;
class QPushButton;

// The name and address of the user's company: the one row of
// Tqvjx_companydetails, which heads the reports and shows in the About window.
class Frm_CompanyDetails : public ChildWindow
{
    Q_OBJECT

public:
    explicit Frm_CompanyDetails(TestingClass &con, QWidget *parent = nullptr);

    Placement placement() const override { return Placement::Normal; }

    void Form_Load() override;
    void cmd_csave_Click();
    void cmd_ccancel_Click();

    QGroupBox *Frame1;
    QLabel *Label1;
    TextBox *txt_companyname;
    QLabel *Label2;
    MultiLineTextBox *RTB_Address;
    QGroupBox *Frame2;
    QPushButton *cmd_csave;
    QPushButton *cmd_ccancel;

private:
    // Puts the stored row in the boxes and notes it as read.
    void readCompanyAgain();

    TestingClass &con;
    std::optional<QVariantList> m_asRead; // the stored row as read; none when there was none
};
