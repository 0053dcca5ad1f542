#pragma once

#include "casekey.h"
#include "childwindow.h"
#include "dropdown.h"
#include "listfiller.h"
#include "recordlist.h"
#include "testingclass.h"
#include "textbox.h"

#include <functional>

class QGroupBox;
class QLabel;

// What the test case window and the test log share: the selectors of one test
// case (project, test type, component, component type, id), the cascade that
// keeps them consistent, the case's description and expected result, and the
// list of the project's test cases of the selected test type.
class CaseWindow : public ChildWindow
{
    Q_OBJECT

public:
    ~CaseWindow() override;

    Placement placement() const override { return Placement::Maximized; }

    void cmb_prjid_Click();
    void cmb_cmp_Click();
    virtual void cmb_tst_id_Click();
    virtual void cmb_tst_type_Click() = 0;
    void cmb_tst_type_LostFocus();
    virtual void LV_cases_DblClick() = 0;
    void LV_cases_ColumnClick(int ColumnHeader);

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
    RecordList *LV_cases;

protected:
    // The list's first columns; a window's own columns follow.
    enum ListColumn { ColSNo, ColComponent, ColComponentType, ColTestCaseId, ColDescription, ColExpected };

    CaseWindow(TestingClass &con, const QString &frameCaption, DropDown::Kind idKind,
               const QList<RecordList::Column> &columns, QWidget *parent);

    void fill_tst_type();
    void fill_cmp_type();
    void fill_cmp();
    virtual void fill_tst_id();
    virtual void fill_cases() = 0;

    // The one test case the five selectors name, their texts as on screen.
    TestCaseKey caseKey() const;
    // The stored description and expected result last read for the case the
    // selectors name; none when the window read none for it.
    std::optional<QVariantList> caseAsRead() const;
    void setCaseAsRead(const std::optional<QVariantList> &values);
    // Puts the stored texts of the named case in the boxes and notes them as
    // read; false, the boxes kept, when no case has the key.
    bool readCaseAgain();
    // The control that holds a field, where a refusal puts the focus.
    virtual QWidget *fieldControl(Field field) const;
    // Shows why a save was refused: the message, the cut text, the focus.
    void showProblem(const Problem &problem);

    // Fills the list with the first columns of the project's test cases of the
    // test type, shown by format, and notes what it was read for.
    void fillCaseList(int columns, const RecordFormat &format = {});
    // With nothing else changed since the list was read, the saved row alone
    // is redrawn, its values as changed makes them of those read, exactly as a
    // refill would show it. False when the list must be refilled instead.
    bool redrawSavedRow(const std::function<QVariantList(QVariantList values)> &changed);
    // Another program changed the test cases: the selectors' entries and the
    // list read again, what the user selected and typed kept.
    void refreshCaseLists();
    // Whether a list row is the case the selectors name, and the first such row or -1.
    bool showsKeyOnScreen(int row) const;
    int rowOnScreen() const;

    int row_no = 1;

private:
    bool listIsCurrent() const;

    TestCaseKey m_readKey;
    std::optional<QVariantList> m_asRead;

    // What the list was read for: the texts, the connection's open and the file's version.
    struct ListSource
    {
        QString prjid;
        QString tstType;
        quint64 generation = 0;
        qint64 version = -1;
    } m_listSource;
    // A refill that keeps the user's row and scrolling (a refresh), not a new list.
    bool m_keepListView = false;
};
