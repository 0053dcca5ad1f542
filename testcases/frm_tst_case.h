#pragma once

#include "childwindow.h"
#include "dropdown.h"
#include "recordlist.h"
#include "recordset.h"
#include "testingclass.h"
#include "textbox.h"

#include <QVariantList>

class QGroupBox;
class QLabel;
class QPushButton;

// Defines the test cases of one project: pick the project and test type, see
// the project's test cases of that type, and add, change or delete one.
class frm_tst_case : public ChildWindow
{
    Q_OBJECT

public:
    explicit frm_tst_case(TestingClass &con, QWidget *parent = nullptr);
    ~frm_tst_case() override;

    Placement placement() const override { return Placement::Maximized; }

    void Form_Load() override;

    void cmb_prjid_Click();
    void cmb_cmp_Click();
    void cmb_tst_id_Click();
    void cmb_tst_type_Click();
    void cmb_tst_type_LostFocus();
    void LV_cases_DblClick();
    void LV_cases_ColumnClick(int ColumnHeader);
    void cmd_save_Click();
    void cmd_del_Click();

    TestingClass &con;

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
    QPushButton *cmd_save;
    QPushButton *cmd_del;
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
    void fill_tst_id();
    void fill_cases();

    // The look-up of one test case: the window shows it, and save and delete
    // find their row with it, by the five texts of caseKey().
    static QString caseLookupSql();
    QVariantList caseKey() const;
    // A message at the failing field; a text over its limit is cut to it first.
    bool checkBlank(DropDown *box, const QString &message);
    bool checkLength(DropDown *box, int limit, const QString &message);
    bool checkBlank(MultiLineTextBox *box, const QString &message);

    RecordSet rs_save;
    RecordSet rs_look;
    RecordSet rs_list;
    RecordSet rs_id;
    int row_no = 0;
};
