#include "frm_projects.h"

#include "guard.h"
#include "listfiller.h"
#include "listrefresh.h"
#include "projects.h"
#include "savechecks.h"
#include "services.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

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
    txt_prjid->setMaxLength(fieldLimit(Field::ProjectId));
    txt_prjid->setFocusSelect(FocusSelect::TrimmedLength);
    txt_prjid->setMinimumWidth(points(200));

    // The boxes take texts of any length so that the save can say what is too long.
    cmb_prj_type = new DropDown(DropDown::Kind::TypeOrPick, true, Frame1);
    cmb_prj_type->setObjectName(QStringLiteral("cmb_prj_type"));
    cmb_prj_type->setMinimumWidth(points(200));

    txt_size = new TextBox(Frame1);
    txt_size->setObjectName(QStringLiteral("txt_size"));
    txt_size->setMaxLength(fieldLimit(Field::ProjectSize));
    txt_size->setFocusSelect(FocusSelect::TrimmedLength);
    txt_size->setFixedWidth(points(60));
    txt_size->setKeyPressHandler([this](int &keyAscii) { txt_size_KeyPress(keyAscii); });

    cmb_units = new DropDown(DropDown::Kind::TypeOrPick, true, Frame1);
    cmb_units->setObjectName(QStringLiteral("cmb_units"));
    cmb_units->setMinimumWidth(points(120));

    txt_desc = new MultiLineTextBox(Frame1);
    txt_desc->setObjectName(QStringLiteral("txt_desc"));
    txt_desc->setMaxLength(fieldLimit(Field::ProjectDescription));
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
    (new ListRefresh(con.cn, this))->watch({QStringLiteral("qv_zr_projects")}, [this] { refresh_lists(); });
}

void frm_projects::Form_Load()
{
    if (con.cn.state() == StateClosed)
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
    fillDropDown(cmb_prj_type, projectTypes(con.cn));
}

void frm_projects::fill_units()
{
    // A stored unit equal to a fixed one is listed again, as stored.
    fillDropDown(cmb_units, sizeUnits(con.cn), fixedSizeUnits());
}

void frm_projects::fill_prjs()
{
    fillRecordList(LV_prjs, projectRows(con.cn), row_no);
}

void frm_projects::refresh_lists()
{
    refreshDropDown(cmb_prj_type, projectTypes(con.cn));
    refreshDropDown(cmb_units, sizeUnits(con.cn), fixedSizeUnits());
    refreshRecordList(LV_prjs, projectRows(con.cn), row_no, {}, {1});
}

QWidget *frm_projects::fieldControl(Field field) const
{
    switch (field) {
    case Field::ProjectDescription:
        return txt_desc;
    case Field::ProjectType:
        return cmb_prj_type;
    case Field::SizeUnits:
        return cmb_units;
    case Field::ProjectSize:
        return txt_size;
    default:
        return txt_prjid;
    }
}

void frm_projects::cmd_save_Click()
{
    const QString id = txt_prjid->text();
    const SaveResult saved = saveProject(con.cn, {id, txt_desc->text(), cmb_prj_type->text(), txt_size->text(),
                                                  cmb_units->text(), id == m_readId ? m_asRead : std::nullopt});
    if (const auto &problem = saved.problem) {
        showRefusal(this, fieldControl(problem->field), problem->message, problem->cutText);
        return;
    }
    if (saved.outcome == SaveResult::Stale)
        return showChangedElsewhere();
    m_asRead.reset();
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
    m_readId = txt_prjid->text();
    m_asRead = LV_prjs->recordValues(row).mid(ProjectColumn::Description);
}

void frm_projects::showChangedElsewhere()
{
    const QString id = txt_prjid->text();
    fill_prjs();
    const auto stored = findProject(con.cn, id);
    m_asRead = stored ? stored->asRead : std::nullopt;
    if (!stored) {
        Ui::information(this, QStringLiteral("Project %1 was deleted by someone else since you opened it; the list "
                                             "has been read again.").arg(id));
        return;
    }
    txt_desc->setText(stored->description);
    cmb_prj_type->setText(stored->type);
    txt_size->setText(stored->size);
    cmb_units->setText(stored->units);
    Ui::information(this, QStringLiteral("Project %1 was changed by someone else since you opened it; it has been "
                                         "read again.").arg(id));
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
