#include "frm_projects.h"

#include "guard.h"
#include "listfiller.h"
#include "savechecks.h"
#include "services.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kTextLimit = 50;

QLabel *fieldLabel(const QString &text, const char *name, QWidget *buddy, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setBuddy(buddy);
    return label;
}

} // namespace

frm_projects::frm_projects(TestingClass &con, QWidget *parent)
    : ChildWindow(parent)
    , con(con)
{
    setObjectName(QStringLiteral("frm_projects"));
    setWindowTitle(QStringLiteral("Define Projects"));

    Frame1 = new QGroupBox(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));

    txt_prjid = new TextBox(Frame1);
    txt_prjid->setObjectName(QStringLiteral("txt_prjid"));
    txt_prjid->setMaxLength(kTextLimit);
    txt_prjid->setFocusSelect(FocusSelect::TrimmedLength);
    txt_prjid->setMinimumWidth(points(200));

    // The boxes take texts of any length so that the save can say what is too long.
    cmb_prj_type = new DropDown(DropDown::Kind::TypeOrPick, true, Frame1);
    cmb_prj_type->setObjectName(QStringLiteral("cmb_prj_type"));
    cmb_prj_type->setMinimumWidth(points(200));

    txt_size = new TextBox(Frame1);
    txt_size->setObjectName(QStringLiteral("txt_size"));
    txt_size->setMaxLength(8);
    txt_size->setFocusSelect(FocusSelect::TrimmedLength);
    txt_size->setFixedWidth(points(60));
    txt_size->setKeyPressHandler([this](int &keyAscii) { txt_size_KeyPress(keyAscii); });

    cmb_units = new DropDown(DropDown::Kind::TypeOrPick, true, Frame1);
    cmb_units->setObjectName(QStringLiteral("cmb_units"));
    cmb_units->setMinimumWidth(points(120));

    txt_desc = new MultiLineTextBox(Frame1);
    txt_desc->setObjectName(QStringLiteral("txt_desc"));
    txt_desc->setMaxLength(255);
    txt_desc->setFocusSelect(FocusSelect::TrimmedLength);
    txt_desc->setFixedSize(points(409), points(91));

    cmd_save = new QPushButton(QStringLiteral("Save Project"), Frame1);
    cmd_save->setObjectName(QStringLiteral("cmd_save"));

    LV_prjs = new RecordList(Frame1);
    LV_prjs->setObjectName(QStringLiteral("LV_prjs"));
    LV_prjs->setColumns({{QStringLiteral("S No"), 22.5},
                         {QStringLiteral("Project Id"), 75},
                         {QStringLiteral("Project Description"), 250},
                         {QStringLiteral("Project Type"), 60},
                         {QStringLiteral("Size"), 55},
                         {QStringLiteral("Size units"), 55}});

    Label1 = fieldLabel(QStringLiteral("Project Name"), "Label1", txt_prjid, Frame1);
    Label2 = fieldLabel(QStringLiteral("Project Type"), "Label2", cmb_prj_type, Frame1);
    Label3 = fieldLabel(QStringLiteral("Project Size"), "Label3", txt_size, Frame1);
    Label4 = fieldLabel(QStringLiteral("Units"), "Label4", cmb_units, Frame1);
    Label5 = fieldLabel(QStringLiteral("Project Description"), "Label5", txt_desc, Frame1);
    Label5->setAlignment(Qt::AlignRight | Qt::AlignTop);

    auto *fields = new QGridLayout;
    fields->addWidget(Label1, 0, 0);
    fields->addWidget(txt_prjid, 0, 1, 1, 3, Qt::AlignLeft);
    fields->addWidget(Label2, 1, 0);
    fields->addWidget(cmb_prj_type, 1, 1, 1, 3, Qt::AlignLeft);
    fields->addWidget(Label3, 2, 0);
    auto *sizeRow = new QHBoxLayout;
    sizeRow->addWidget(txt_size);
    sizeRow->addSpacing(points(12));
    sizeRow->addWidget(Label4);
    sizeRow->addWidget(cmb_units);
    sizeRow->addStretch();
    fields->addLayout(sizeRow, 2, 1, 1, 3);
    fields->addWidget(Label5, 3, 0);
    fields->addWidget(txt_desc, 3, 1, 1, 3, Qt::AlignLeft);
    fields->setColumnStretch(3, 1);

    auto *frameLayout = new QVBoxLayout(Frame1);
    frameLayout->addLayout(fields);
    frameLayout->addWidget(cmd_save, 0, Qt::AlignHCenter);
    frameLayout->addWidget(LV_prjs->filterBox(this));
    frameLayout->addWidget(LV_prjs, 1);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Frame1);

    setTabOrder(txt_prjid, cmb_prj_type);
    setTabOrder(cmb_prj_type, txt_size);
    setTabOrder(txt_size, cmb_units);
    setTabOrder(cmb_units, txt_desc);
    setTabOrder(txt_desc, cmd_save);
    setTabOrder(cmd_save, LV_prjs);

    onEvent(cmd_save, &QPushButton::clicked, this, &frm_projects::cmd_save_Click);
    onEvent(LV_prjs, &RecordList::rowDoubleClicked, this, &frm_projects::LV_prjs_DblClick);
    onEvent(LV_prjs, &RecordList::columnClicked, this, &frm_projects::LV_prjs_ColumnClick);
}

void frm_projects::Form_Load()
{
    if (con.cn.state() == 0)
        con.Conopen();
    init_lists();
}

void frm_projects::init_lists()
{
    fill_prj_type();
    fill_units();
    fill_prjs();
}

void frm_projects::fill_prj_type()
{
    fillDropDown(cmb_prj_type, rs_list, con.cn, QStringLiteral("select distinct(qv_zr_prj_type) from qv_zr_projects"));
}

void frm_projects::fill_units()
{
    // A stored unit equal to a fixed one is listed again, as stored.
    fillDropDown(cmb_units, rs_list, con.cn, QStringLiteral("select distinct(qv_zr_size_units) from qv_zr_projects"), {},
                 {QStringLiteral("Function Points"), QStringLiteral("Object Points"), QStringLiteral("Une Case Points"),
                  QStringLiteral("Test Points"), QStringLiteral("Software Size Units"), QStringLiteral("LOC")});
}

void frm_projects::fill_prjs()
{
    fillRecordList(LV_prjs, rs_list, con.cn, QStringLiteral("select * from qv_zr_projects"), {},
                   {QStringLiteral("qv_zr_prjid"), QStringLiteral("qv_zr_prj_desc"), QStringLiteral("qv_zr_prj_type"),
                    QStringLiteral("qv_zr_prj_size"), QStringLiteral("qv_zr_size_units")},
                   row_no);
}

void frm_projects::cmd_save_Click()
{
    SaveChecks check(this);
    check.notBlank(txt_prjid, QStringLiteral("Project Id is blank"))
        .notBlank(txt_desc, QStringLiteral("Project Description is blank"))
        .notBlank(cmb_prj_type, QStringLiteral("Project type is blank"))
        .notLonger(cmb_prj_type, kTextLimit, QStringLiteral("Project type can not have more than 50 characters"))
        .notBlank(cmb_units, QStringLiteral("Project size Units is blank"))
        .notLonger(cmb_units, kTextLimit,
                   QStringLiteral("Project size Units can not have more than 50 characters is blank"))
        .notBlank(txt_size, QStringLiteral("Project size is blank"));
    if (!check.passed())
        return;

    if (rs_save.state() == 1)
        rs_save.close();
    rs_save.open(QStringLiteral("select * from qv_zr_projects where qv_zr_prjid=?"), {txt_prjid->text()}, con.cn,
                 LockType::Optimistic,
                 QStringLiteral("qv_zr_projects"));
    if (rs_save.eof()) {
        rs_save.addNew();
        rs_save.setField(QStringLiteral("qv_zr_prjid"), txt_prjid->text());
    }
    rs_save.setField(QStringLiteral("qv_zr_prj_type"), cmb_prj_type->text());
    rs_save.setField(QStringLiteral("qv_zr_prj_size"), txt_size->text());
    rs_save.setField(QStringLiteral("qv_zr_size_units"), cmb_units->text());
    rs_save.setField(QStringLiteral("qv_zr_prj_desc"), txt_desc->text());
    rs_save.setField(QStringLiteral("qv_zr_closed"), QStringLiteral("NO"));
    rs_save.update();
    rs_save.close();

    init_lists();
    txt_prjid->setText(QString());
    txt_size->setText(QString());
    txt_desc->setText(QString());
}

void frm_projects::LV_prjs_DblClick()
{
    const int row = LV_prjs->selectedRow();
    if (LV_prjs->rowCount() == 0 || row < 0)
        return;
    // The texts go in as the list shows them; the size key filter is for typing only.
    txt_prjid->setText(LV_prjs->cell(row, 1));
    txt_desc->setText(LV_prjs->cell(row, 2));
    cmb_prj_type->setText(LV_prjs->cell(row, 3));
    txt_size->setText(LV_prjs->cell(row, 4));
    cmb_units->setText(LV_prjs->cell(row, 5));
}

void frm_projects::LV_prjs_ColumnClick(int column)
{
    LV_prjs->setSortKey(column);
    LV_prjs->setSorted(true);
}

void frm_projects::txt_size_KeyPress(int &KeyAscii)
{
    if (KeyAscii == 8)
        return;
    if (KeyAscii == '.') {
        if (txt_size->text().contains(QLatin1Char('.')))
            KeyAscii = 0;
        return;
    }
    if (KeyAscii >= '0' && KeyAscii <= '9')
        return;
    KeyAscii = 0;
}
