#include "frm_tst_case.h"

#include "guard.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLabel *makeLabel(const QString &caption, const char *name, QWidget *buddy, bool besideControl)
{
    auto *label = new QLabel(caption);
    label->setObjectName(QLatin1String(name));
    label->setBuddy(buddy);
    if (besideControl)
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

DropDown *makeDropDown(DropDown::Kind kind, const char *name)
{
    auto *box = new DropDown(kind, true);
    box->setObjectName(QLatin1String(name));
    return box;
}

MultiLineTextBox *makeTextBox(const char *name, int lines)
{
    auto *box = new MultiLineTextBox;
    box->setObjectName(QLatin1String(name));
    const int frame = 2 * (box->frameWidth() + int(box->document()->documentMargin()));
    box->setFixedHeight(lines * box->fontMetrics().lineSpacing() + frame + 2);
    return box;
}

} // namespace

frm_tst_case::frm_tst_case(TestingClass &con, QWidget *parent)
    : ChildWindow(parent)
    , con(con)
{
    setObjectName(QStringLiteral("frm_tst_case"));
    setWindowTitle(QStringLiteral("Define Test Cases"));
    createControls();
    layoutControls();
    connectHandlers();
}

frm_tst_case::~frm_tst_case()
{
    // Destroying the widgets moves the focus away from the test type box; its
    // handler must not run on a window whose record sets are already gone.
    disconnect(cmb_tst_type, nullptr, this, nullptr);
}

void frm_tst_case::createControls()
{
    cmb_prjid = makeDropDown(DropDown::Kind::PickOnly, "cmb_prjid");
    txt_size = new TextBox;
    txt_size->setObjectName(QStringLiteral("txt_size"));
    txt_size->setDisplayOnly(true);
    txt_desc = makeTextBox("txt_desc", 2);
    txt_desc->setDisplayOnly(true);
    cmb_tst_type = makeDropDown(DropDown::Kind::TypeOrPick, "cmb_tst_type");

    cmb_cmp = makeDropDown(DropDown::Kind::TypeOrPick, "cmb_cmp");
    cmb_cmp_type = makeDropDown(DropDown::Kind::TypeOrPick, "cmb_cmp_type");
    cmb_tst_id = makeDropDown(DropDown::Kind::TypeOrPick, "cmb_tst_id");
    txt_tst_case_desc = makeTextBox("txt_tst_case_desc", 3);
    txt_rslt_exp = makeTextBox("txt_rslt_exp", 3);
    for (MultiLineTextBox *box : {txt_tst_case_desc, txt_rslt_exp}) {
        box->setMaxLength(255);
        box->setFocusSelect(FocusSelect::TrimmedLength);
    }

    cmd_save = new QPushButton(QStringLiteral("Save"));
    cmd_save->setObjectName(QStringLiteral("cmd_save"));
    cmd_del = new QPushButton(QStringLiteral("Delete"));
    cmd_del->setObjectName(QStringLiteral("cmd_del"));
    cmd_del->setEnabled(false);

    LV_cases = new RecordList;
    LV_cases->setObjectName(QStringLiteral("LV_cases"));
    LV_cases->setColumns({{QStringLiteral("S No"), 22.5},
                          {QStringLiteral("Component Name"), 72},
                          {QStringLiteral("Component Type"), 72},
                          {QStringLiteral("Test Case Id"), 50},
                          {QStringLiteral("Test Case Description"), 250},
                          {QStringLiteral("Expected Result"), 250}});

    Label1 = makeLabel(QStringLiteral("Project Id"), "Label1", cmb_prjid, false);
    Label2 = makeLabel(QStringLiteral("Size "), "Label2", txt_size, false);
    Label3 = makeLabel(QStringLiteral("Project Description"), "Label3", txt_desc, false);
    Label4 = makeLabel(QStringLiteral("Test Type"), "Label4", cmb_tst_type, true);
    Label5 = makeLabel(QStringLiteral("Component"), "Label5", cmb_cmp, true);
    Label6 = makeLabel(QStringLiteral("Component Type"), "Label6", cmb_cmp_type, true);
    Label7 = makeLabel(QStringLiteral("Test Case Id"), "Label7", cmb_tst_id, false);
    Label8 = makeLabel(QStringLiteral("Test Case Description"), "Label8", txt_tst_case_desc, false);
    Label9 = makeLabel(QStringLiteral("Expected Result"), "Label9", txt_rslt_exp, true);

    Frame1 = new QGroupBox(QStringLiteral("Define Test Cases"));
    Frame1->setObjectName(QStringLiteral("Frame1"));
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

void frm_tst_case::connectHandlers()
{
    onEvent(cmb_prjid, &DropDown::clicked, this, &frm_tst_case::cmb_prjid_Click);
    onEvent(cmb_cmp, &DropDown::clicked, this, &frm_tst_case::cmb_cmp_Click);
    onEvent(cmb_tst_id, &DropDown::clicked, this, &frm_tst_case::cmb_tst_id_Click);
    onEvent(cmb_tst_type, &DropDown::clicked, this, &frm_tst_case::cmb_tst_type_Click);
    onEvent(cmb_tst_type, &DropDown::lostFocus, this, &frm_tst_case::cmb_tst_type_LostFocus);
    onEvent(LV_cases, &RecordList::rowDoubleClicked, this, &frm_tst_case::LV_cases_DblClick);
    onEvent(LV_cases, &RecordList::columnClicked, this, &frm_tst_case::LV_cases_ColumnClick);
    onEvent(cmd_save, &QPushButton::clicked, this, &frm_tst_case::cmd_save_Click);
    onEvent(cmd_del, &QPushButton::clicked, this, &frm_tst_case::cmd_del_Click);
}
