#pragma once

#include "casesimport.h"
#include "csvreader.h"
#include "childwindow.h"

class DropDown;
class QLabel;
class QPushButton;
class RecordList;
class TestingClass;
class TextBox;

// Brings test cases from a spreadsheet's CSV file into a project: the file,
// the project, how its columns are read, a preview of every row, then one
// all-or-nothing import.
class frm_import_cases : public ChildWindow
{
    Q_OBJECT

public:
    explicit frm_import_cases(TestingClass &con, QWidget *parent = nullptr);

    Placement placement() const override { return Placement::Normal; }
    void Form_Load() override;

    void cmd_browse_Click();
    void cmd_import_Click();
    // Reads the file again with the choices made and shows what an import would do.
    void preview();
    // What the last preview made of the file, the rows' texts whole.
    const CasesPreview &previewed() const { return m_preview; }

    TextBox *txt_file;
    QPushButton *cmd_browse;
    DropDown *cmb_prjid;
    DropDown *cmb_delimiter;
    DropDown *cmb_encoding;
    QLabel *lbl_read; // the encoding and delimiter the file was read with
    QList<DropDown *> cmb_columns; // one per field, in the order of CaseField
    RecordList *LV_preview;
    QLabel *lbl_counts;
    QPushButton *cmd_import;
    QPushButton *cmd_close;

private:
    void fillColumnChoices(const QStringList &header);
    // The file read with the delimiter and encoding chosen; read again only
    // when one of the three changes. Throws ExchangeError.
    const CsvTable &table();

    TestingClass &con;
    CasesPreview m_preview;
    CsvTable m_table;
    QString m_tableRead; // file, delimiter and encoding m_table was read with
    bool m_filling = false;
};
