#pragma once

#include "casewindow.h"

class QPushButton;

// Defines the test cases of one project: pick the project and test type, see
// the project's test cases of that type, and add, change or delete one.
class frm_tst_case : public CaseWindow
{
    Q_OBJECT

public:
    explicit frm_tst_case(TestingClass &con, QWidget *parent = nullptr);

    void Form_Load() override;

    void cmb_tst_type_Click() override;
    void LV_cases_DblClick() override;
    void cmd_save_Click();
    void cmd_del_Click();

    QPushButton *cmd_save;
    QPushButton *cmd_del;

private:
    void layoutControls();

    void init_lists();
    void fill_prjid();
    void fill_cases() override;
    // Says the case changed or went since it was read, reads it and the list again.
    void showChangedElsewhere();
};
