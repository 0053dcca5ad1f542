#pragma once

#include "childwindow.h"

class DropDown;
class QPushButton;
class TestingClass;

// Writes a project's test cases, with their latest results, to a CSV file or
// a workbook, as the format chosen says.
class frm_export_cases : public ChildWindow
{
    Q_OBJECT

public:
    explicit frm_export_cases(TestingClass &con, QWidget *parent = nullptr);

    Placement placement() const override { return Placement::FixedSize; }
    void Form_Load() override;

    void cmd_export_Click();

    DropDown *cmb_prjid;
    DropDown *cmb_format; // CSV or workbook
    QPushButton *cmd_export;
    QPushButton *cmd_close;

private:
    TestingClass &con;
};
