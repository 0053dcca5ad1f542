#include "frm_tst_case.h"

#include "guard.h"
#include "listrefresh.h"
#include "projects.h"
#include "services.h"
#include "testcases.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// A list row of a test case: its key texts after the project and test type,
// its description and expected result; its result is the test log's.
void setLines(MultiLineTextBox *box, int lines)
{
    const int frame = 2 * (box->frameWidth() + int(box->document()->documentMargin()));
    box->setFixedHeight(lines * box->fontMetrics().lineSpacing() + frame + 2);
}

} // namespace

frm_tst_case::frm_tst_case(TestingClass &con, QWidget *parent)
    : CaseWindow(con, QStringLiteral("Define Test Cases"), DropDown::Kind::TypeOrPick,
                 {{QStringLiteral("S No"), 22.5},
                  {QStringLiteral("Component Name"), 72},
                  {QStringLiteral("Component Type"), 72},
                  {QStringLiteral("Test Case Id"), 50},
                  {QStringLiteral("Test Case Description"), 250},
                  {QStringLiteral("Expected Result"), 250}},
                 parent)
    , cmd_save(new QPushButton(QStringLiteral("Save")))
    , cmd_del(new QPushButton(QStringLiteral("Delete")))
{
    setObjectName(QStringLiteral("frm_tst_case"));
    setWindowTitle(QStringLiteral("Define Test Cases"));
    cmd_save->setObjectName(QStringLiteral("cmd_save"));
    cmd_del->setObjectName(QStringLiteral("cmd_del"));
    cmd_del->setEnabled(false);
    setLines(txt_desc, 2);
    for (MultiLineTextBox *box : {txt_tst_case_desc, txt_rslt_exp}) {
        box->setFocusSelect(FocusSelect::TrimmedLength);
        setLines(box, 3);
    }
    for (QLabel *label : {Label4, Label5, Label6, Label9})
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    layoutControls();
    onEvent(cmd_save, &QPushButton::clicked, this, &frm_tst_case::cmd_save_Click);
    onEvent(cmd_del, &QPushButton::clicked, this, &frm_tst_case::cmd_del_Click);
    auto *refresh = new ListRefresh(con.cn, this);
    refresh->watch({QStringLiteral("qv_zr_projects")},
                   [this] { refreshDropDown(cmb_prjid, projectIds(this->con.cn)); });
    refresh->watch({QStringLiteral("qv_zr_tst_cases")}, [this] { refreshCaseLists(); });
}

void frm_tst_case::layoutControls()
{
    // Top band: the project with its size and description, then the test type.
    auto *top = new QGridLayout;
    top->addWidget(Label1, 0, 0);
    top->addWidget(cmb_prjid, 1, 0);
    top->addWidget(Label2, 0, 1);
    top->addWidget(txt_size, 1, 1);
    top->addWidget(Label3, 0, 2);
    top->addWidget(txt_desc, 1, 2, 2, 1);
    top->addWidget(Label4, 3, 0);
    top->addWidget(cmb_tst_type, 3, 1);
    top->setColumnStretch(2, 1);

    // The frame: component row, id beside description, expected result, buttons, list.
    auto *keys = new QHBoxLayout;
    keys->addWidget(Label5);
    keys->addWidget(cmb_cmp, 1);
    keys->addWidget(Label6);
    keys->addWidget(cmb_cmp_type, 1);
    keys->addStretch(1);

    auto *idAndDesc = new QGridLayout;
    idAndDesc->addWidget(Label7, 0, 0);
    idAndDesc->addWidget(cmb_tst_id, 1, 0, Qt::AlignTop);
    idAndDesc->addWidget(Label8, 0, 1);
    idAndDesc->addWidget(txt_tst_case_desc, 1, 1);
    idAndDesc->setColumnStretch(1, 1);

    auto *expected = new QHBoxLayout;
    expected->addWidget(Label9, 0, Qt::AlignTop);
    expected->addWidget(txt_rslt_exp, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cmd_save);
    buttons->addWidget(cmd_del);
    buttons->addStretch(1);

    auto *frame = new QVBoxLayout(Frame1);
    frame->addLayout(keys);
    frame->addLayout(idAndDesc);
    frame->addLayout(expected);
    frame->addLayout(buttons);
    frame->addWidget(LV_cases->filterBox(this));
    frame->addWidget(LV_cases, 1);

    auto *window = new QVBoxLayout(this);
    window->addLayout(top);
    window->addWidget(Frame1, 1);

    setTabOrder(cmb_prjid, cmb_tst_type);
    setTabOrder(cmb_tst_type, cmb_cmp);
    setTabOrder(cmb_cmp, cmb_cmp_type);
    setTabOrder(cmb_cmp_type, cmb_tst_id);
    setTabOrder(cmb_tst_id, txt_tst_case_desc);
    setTabOrder(txt_tst_case_desc, txt_rslt_exp);
    setTabOrder(txt_rslt_exp, LV_cases);
    setTabOrder(LV_cases, cmd_save);
    setTabOrder(cmd_save, cmd_del);
}

void frm_tst_case::Form_Load()
{
    if (con.cn.state() == StateClosed)
        con.Conopen();
    init_lists();
}

void frm_tst_case::init_lists()
{
    fill_cmp_type();
    fill_tst_type();
    fill_prjid();
    fill_cases();
    fill_tst_id();
}

void frm_tst_case::fill_prjid()
{
    fillDropDown(cmb_prjid, projectIds(con.cn));
}

void frm_tst_case::fill_cases()
{
    fillCaseList(CaseColumn::Expected + 1);
}

void frm_tst_case::cmb_tst_type_Click()
{
    fill_cases();
}

void frm_tst_case::LV_cases_DblClick()
{
    if (LV_cases->rowCount() == 0)
        return;
    if (isBlank(cmb_tst_type->text())) {
        Ui::information(this, QStringLiteral("Test Type is blank"));
        cmb_tst_type->setFocus();
        return;
    }
    const int row = LV_cases->selectedRow();
    if (row < 0)
        return;
    // The cells go in as the list shows them, one blank for Null included.
    cmb_cmp->setText(LV_cases->cell(row, ColComponent));
    cmb_cmp_type->setText(LV_cases->cell(row, ColComponentType));
    cmb_tst_id->setText(LV_cases->cell(row, ColTestCaseId));
    txt_tst_case_desc->setText(LV_cases->cell(row, ColDescription));
    txt_rslt_exp->setText(LV_cases->cell(row, ColExpected));
    const QVariantList values = LV_cases->recordValues(row);
    setCaseAsRead(QVariantList{values.value(ColDescription - 1), values.value(ColExpected - 1)});
    cmd_del->setEnabled(true);
}

void frm_tst_case::showChangedElsewhere()
{
    const QString id = cmb_tst_id->text();
    if (readCaseAgain())
        Ui::information(this, QStringLiteral("Test case %1 was changed by someone else since you opened it; it has "
                                             "been read again.").arg(id));
    else
        Ui::information(this, QStringLiteral("Test case %1 was deleted by someone else since you opened it; the list "
                                             "has been read again.").arg(id));
    fill_cases();
}

void frm_tst_case::cmd_save_Click()
{
    const SaveResult saved =
        saveCase(con.cn, {caseKey(), txt_tst_case_desc->text(), txt_rslt_exp->text(), caseAsRead()});
    if (saved.problem) {
        showProblem(*saved.problem);
        return;
    }
    cmd_del->setEnabled(false);
    if (saved.outcome == SaveResult::Stale)
        return showChangedElsewhere();
    // What it wrote is what it read from now on.
    setCaseAsRead(QVariantList{txt_tst_case_desc->text(), txt_rslt_exp->text()});

    // A changed case is redrawn where it stands; a new one takes its place in a refill.
    const auto withTexts = [this](QVariantList values) {
        values[ColDescription - 1] = txt_tst_case_desc->text();
        values[ColExpected - 1] = txt_rslt_exp->text();
        return values;
    };
    if (saved.outcome == SaveResult::Changed && redrawSavedRow(withTexts))
        return;
    fill_cases();
}

void frm_tst_case::cmd_del_Click()
{
    // Each delete needs a fresh double click, whatever the answer.
    cmd_del->setEnabled(false);
    if (!Ui::askYesNo(this, QStringLiteral("Do you wish to delete test case - ") + cmb_tst_id->text()))
        return fill_cases();
    const std::optional<QVariantList> asRead = caseAsRead();
    const Deletion deletion = deleteCase(con.cn, caseKey(), asRead);
    // A case not read here that is not there is no news, as ever.
    if (deletion == Deletion::Stale || (deletion == Deletion::NoMatch && asRead))
        return showChangedElsewhere();
    setCaseAsRead(std::nullopt);
    fill_cases();
}
