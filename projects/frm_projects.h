#pragma once

#include "childwindow.h"
#include "dropdown.h"
#include "fieldrules.h"
#include "recordlist.h"
#include "testingclass.h"
#include "textbox.h"

class QGroupBox;
class QLabel;
class QPushButton;

// Creates and changes projects: a project id not yet stored adds a row, a
// stored one changes that row. Lists every project below the editors.
class frm_projects : public ChildWindow
{
    Q_OBJECT

public:
    explicit frm_projects(TestingClass &con, QWidget *parent = nullptr);

    Placement placement() const override { return Placement::Maximized; }

    void Form_Load() override;
    void cmd_save_Click();
    void LV_prjs_DblClick();
    void LV_prjs_ColumnClick(int column);
    void txt_size_KeyPress(int &KeyAscii);

    QGroupBox *Frame1;
    QLabel *Label1;
    TextBox *txt_prjid;
    QLabel *Label2;
    DropDown *cmb_prj_type;
    QLabel *Label3;
    TextBox *txt_size;
    QLabel *Label4;
    DropDown *cmb_units;
    QLabel *Label5;
    MultiLineTextBox *txt_desc;
    QPushButton *cmd_save;
    RecordList *LV_prjs;

private:
    void init_lists();
    void fill_prj_type();
    void fill_units();
    void fill_prjs();
    // Another program changed the projects: the lists again, the user's work kept.
    void refresh_lists();
    // The box that holds a field, where a refusal puts the focus.
    QWidget *fieldControl(Field field) const;
    // Says the project changed or went since it was read; reads it and the list again.
    void showChangedElsewhere();

    TestingClass &con;
    int row_no = 0;
    // The project last read into the boxes: its id and stored values.
    QString m_readId;
    std::optional<QVariantList> m_asRead;
};
