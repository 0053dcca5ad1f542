#pragma once

#include "childwindow.h"
#include "datepicker.h"
#include "recordset.h"

class DropDown;
class MultiLineTextBox;
class QGroupBox;
class QLabel;
class QPushButton;
class RecordList;
class TestingClass;
class TextBox;

// Records how a test case went: actual result, pass or fail, for a failure the
// defect severity and category, and the date of testing.
class frm_tst_log : public ChildWindow
{
    Q_OBJECT

public:
    explicit frm_tst_log(TestingClass &con, QWidget *parent = nullptr);
    ~frm_tst_log() override;

    Placement placement() const override { return Placement::Maximized; }
    void Form_Load() override;

    void cmb_prjid_Click();
    void cmb_tst_type_Click();
    void cmb_tst_type_LostFocus();
    void cmb_cmp_Click();
    void cmb_tst_id_Click();
    void cmb_pass_Click();
    void LV_cases_ColumnClick(int ColumnHeader);
    void LV_cases_DblClick();
    void cmd_save_Click();

    QLabel *Label1;
    DropDown *cmb_prjid;
    QLabel *Label2;
    TextBox *txt_size;
    QLabel *Label3;
    MultiLineTextBox *txt_desc;
    QLabel *Label4;
    DropDown *cmb_tst_type;

    QGroupBox *Frame1;
    QLabel *Label5;
    DropDown *cmb_cmp;
    QLabel *Label6;
    DropDown *cmb_cmp_type;
    QLabel *Label7;
    DropDown *cmb_tst_id;
    QLabel *Label8;
    MultiLineTextBox *txt_tst_case_desc;
    QLabel *Label9;
    MultiLineTextBox *txt_rslt_exp;
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
    QPushButton *cmd_save;
    RecordList *LV_cases;

private:
    void createControls();
    void layoutControls();
    void connectHandlers();

    void init_lists();
    void fill_prjid();
    void fill_tst_type();
    void fill_cmp_type();
    void fill_cmp();
    void fill_cases();
    void fill_tst_id();
    void fill_def_cat();

    // The five key texts on screen, in the order of the key query's parameters.
    QVariantList caseKey() const;
    // Whether a test case with the key on screen is stored now.
    bool caseIsStored();
    // Whether the list still shows exactly what fill_cases would read now.
    bool listIsCurrent() const;
    // Puts a saved result into its list row, as a refill would show it.
    bool showSavedRow(const QString &component, const QString &componentType, const QString &id);

    TestingClass &con;
    // What the list was read for: the texts, the connection's open and the file's version.
    struct ListSource
    {
        QString prjid;
        QString tstType;
        quint64 generation = 0;
        qint64 version = -1;
    } m_listSource;
    RecordSet rs_save;
    RecordSet rs_look;
    RecordSet rs_list;
    RecordSet rs_id;
    int row_no = 1;
};
