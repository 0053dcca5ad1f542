#pragma once

#include "casewindow.h"
#include "datepicker.h"

class QPushButton;

// Records how a test case went: actual result, pass or fail, for a failure the
// defect severity and category, and the date of testing.
class frm_tst_log : public CaseWindow
{
    Q_OBJECT

public:
    explicit frm_tst_log(TestingClass &con, QWidget *parent = nullptr);

    void Form_Load() override;

    void cmb_tst_type_Click() override;
    void cmb_tst_id_Click() override;
    void cmb_pass_Click();
    void cmb_show_Click();
    // Ctrl+Enter: saves as Save does, then loads the next case of the list as shown.
    void saveAndNext();
    void LV_cases_DblClick() override;
    void cmd_save_Click();

    QLabel *Label10;
    MultiLineTextBox *txt_rslt_act;
    QLabel *Label11;
    DropDown *cmb_pass;
    QLabel *Label12;
    DropDown *cmb_severity;
    QLabel *Label13;
    DropDown *cmb_cat;
    QLabel *Label14;
    DatePicker *dt_tst;
    // The build tested: typed, or one the project's results were logged under, newest first.
    QLabel *lbl_build;
    DropDown *cmb_build;
    QPushButton *cmd_save;
    // Which cases the list shows: All, Not run, Failed, Passed.
    QLabel *lbl_show;
    DropDown *cmb_show;
    // Says what save-and-next could not do, without a box.
    QLabel *lbl_status;
    // Every result saved for the selected test case, newest first.
    QLabel *lbl_history;
    RecordList *LV_history;

private:
    void createControls();
    void layoutControls();

    void init_lists();
    void fill_prjid();
    void fill_cases() override;
    void fill_def_cat();
    void fill_build();
    // Offers the builds, the text left as typed.
    void offerBuilds(const QStringList &builds);
    void fill_tst_id() override;
    void fill_history();
    QWidget *fieldControl(Field field) const override;

    // Whether a test case with the key on screen is stored now.
    bool caseIsStored();
    // Saves; true when a stored case took the result.
    bool save();
};
