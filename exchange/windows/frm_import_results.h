#pragma once

#include "childwindow.h"
#include "junitresults.h"

class DropDown;
class QCheckBox;
class QLabel;
class QPushButton;
class RecordList;
class TestingClass;

// Logs the results of automated test runs from JUnit XML files: the files, the
// project and test type they belong to, the severity and category of every
// failure, a preview of how each test finds its test case, then one import.
class frm_import_results : public ChildWindow
{
    Q_OBJECT

public:
    explicit frm_import_results(TestingClass &con, QWidget *parent = nullptr);

    Placement placement() const override { return Placement::Normal; }
    void Form_Load() override;

    void cmd_add_Click();
    void cmd_clear_Click();
    void cmb_prjid_Click();
    void cmd_import_Click();
    // Matches the tests of every file and shows what an import would log.
    void preview();

    RecordList *LV_files;
    QPushButton *cmd_add;
    QPushButton *cmd_clear;
    DropDown *cmb_prjid;
    DropDown *cmb_tst_type;
    DropDown *cmb_severity;
    DropDown *cmb_cat;
    // The build of every result; left empty, each file's own build property.
    DropDown *cmb_build;
    QCheckBox *chk_log_again;
    RecordList *LV_preview;
    QLabel *lbl_counts;
    QPushButton *cmd_import;
    QPushButton *cmd_close;

private:
    // The project's builds, newest first, the text left as typed.
    void fill_build();

    TestingClass &con;
    QList<JUnitCase> m_tests;
};
