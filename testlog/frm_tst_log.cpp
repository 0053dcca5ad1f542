#include "frm_tst_log.h"

#include "datepicker.h"
#include "datevalue.h"
#include "dropdown.h"
#include "listfiller.h"
#include "guard.h"
#include "recordlist.h"
#include "services.h"
#include "testingclass.h"
#include "textbox.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// Text columns of LV_cases after "S No", in the order they are shown; the date comes last.
const char *const textColumns[] = {
    "qv_zr_component", "qv_zr_component_type", "qv_zr_tst_case_id", "qv_zr_tst_case_desc", "qv_zr_rslt_exp",
    "qv_zr_rslt_act",  "qv_zr_pass",           "qv_zr_def_severity", "qv_zr_def_cat",
};

enum CaseColumn {
    ColSNo,
    ColComponent,
    ColComponentType,
    ColTestCaseId,
    ColDescription,
    ColExpected,
    ColActual,
    ColPass,
    ColSeverity,
    ColCategory,
    ColDate,
};

// The one test case the five selectors name; caseKey() gives the texts in this order.
QString caseKeyQuery(const QString &columns)
{
    return QStringLiteral("select %1 from qv_zr_tst_cases where (qv_zr_prjid=?)and (qv_zr_component=?) and  "
                          "(qv_zr_component_type=?) and  (qv_zr_tst_type=?) and  (qv_zr_tst_case_id=?)")
        .arg(columns);
}

// An editor's text for a list cell: the one blank that shows Null is empty.
QString editorText(const QString &cell)
{
    return cell == QLatin1String(" ") ? QString() : cell;
}

// A field's value for a text box: Null shows as empty text.
QString boxText(const QVariant &value)
{
    return value.isNull() ? QString() : value.toString();
}

QLabel *makeLabel(const char *name, const QString &caption, QWidget *buddy, QWidget *parent)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(QLatin1String(name));
    label->setBuddy(buddy);
    return label;
}

} // namespace

frm_tst_log::frm_tst_log(TestingClass &con, QWidget *parent)
    : ChildWindow(parent)
    , con(con)
{
    setObjectName(QStringLiteral("frm_tst_log"));
    setWindowTitle(QStringLiteral("Test Log"));
    createControls();
    layoutControls();
    connectHandlers();
}

frm_tst_log::~frm_tst_log()
{
    // Tearing down the controls moves the focus; the record sets are gone by
    // then, so no handler may run any more.
    cmb_tst_type->disconnect(this);
}

void frm_tst_log::createControls()
{
    cmb_prjid = new DropDown(DropDown::Kind::PickOnly, true, this);
    cmb_prjid->setObjectName(QStringLiteral("cmb_prjid"));
    Label1 = makeLabel("Label1", QStringLiteral("Project Id"), cmb_prjid, this);

    txt_size = new TextBox(this);
    txt_size->setObjectName(QStringLiteral("txt_size"));
    txt_size->setDisplayOnly(true);
    Label2 = makeLabel("Label2", QStringLiteral("Size "), txt_size, this);

    txt_desc = new MultiLineTextBox(this);
    txt_desc->setObjectName(QStringLiteral("txt_desc"));
    txt_desc->setDisplayOnly(true);
    Label3 = makeLabel("Label3", QStringLiteral("Project Description"), txt_desc, this);

    cmb_tst_type = new DropDown(DropDown::Kind::TypeOrPick, true, this);
    cmb_tst_type->setObjectName(QStringLiteral("cmb_tst_type"));
    Label4 = makeLabel("Label4", QStringLiteral("Test Type"), cmb_tst_type, this);

    Frame1 = new QGroupBox(QStringLiteral("Log Test Results"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));

    cmb_cmp = new DropDown(DropDown::Kind::TypeOrPick, true, Frame1);
    cmb_cmp->setObjectName(QStringLiteral("cmb_cmp"));
    Label5 = makeLabel("Label5", QStringLiteral("Component"), cmb_cmp, Frame1);

    cmb_cmp_type = new DropDown(DropDown::Kind::TypeOrPick, true, Frame1);
    cmb_cmp_type->setObjectName(QStringLiteral("cmb_cmp_type"));
    Label6 = makeLabel("Label6", QStringLiteral("Component Type"), cmb_cmp_type, Frame1);

    cmb_tst_id = new DropDown(DropDown::Kind::PickOnly, true, Frame1);
    cmb_tst_id->setObjectName(QStringLiteral("cmb_tst_id"));
    Label7 = makeLabel("Label7", QStringLiteral("Test Case Id"), cmb_tst_id, Frame1);

    txt_tst_case_desc = new MultiLineTextBox(Frame1);
    txt_tst_case_desc->setObjectName(QStringLiteral("txt_tst_case_desc"));
    txt_tst_case_desc->setMaxLength(255);
    txt_tst_case_desc->setDisplayOnly(true);
    Label8 = makeLabel("Label8", QStringLiteral("Test Case Description"), txt_tst_case_desc, Frame1);

    txt_rslt_exp = new MultiLineTextBox(Frame1);
    txt_rslt_exp->setObjectName(QStringLiteral("txt_rslt_exp"));
    txt_rslt_exp->setMaxLength(255);
    txt_rslt_exp->setDisplayOnly(true);
    Label9 = makeLabel("Label9", QStringLiteral("Expected Result"), txt_rslt_exp, Frame1);

    txt_rslt_act = new MultiLineTextBox(Frame1);
    txt_rslt_act->setObjectName(QStringLiteral("txt_rslt_act"));
    Label10 = makeLabel("Label10", QStringLiteral("Actual Result"), txt_rslt_act, Frame1);

    cmb_pass = new DropDown(DropDown::Kind::PickOnly, false, Frame1);
    cmb_pass->setObjectName(QStringLiteral("cmb_pass"));
    cmb_pass->addEntries({QStringLiteral("Fail"), QStringLiteral("Pass")});
    Label11 = makeLabel("Label11", QStringLiteral("Pass/Fail"), cmb_pass, Frame1);

    cmb_severity = new DropDown(DropDown::Kind::PickOnly, false, Frame1);
    cmb_severity->setObjectName(QStringLiteral("cmb_severity"));
    cmb_severity->addEntries({QStringLiteral("Critical"), QStringLiteral("Major"), QStringLiteral("Minor")});
    Label12 = makeLabel("Label12", QStringLiteral("Defect Severity"), cmb_severity, Frame1);

    cmb_cat = new DropDown(DropDown::Kind::TypeOrPick, true, Frame1);
    cmb_cat->setObjectName(QStringLiteral("cmb_cat"));
    Label13 = makeLabel("Label13", QStringLiteral("Defect Category"), cmb_cat, Frame1);

    dt_tst = new DatePicker(Frame1);
    dt_tst->setObjectName(QStringLiteral("dt_tst"));
    dt_tst->setDisplayFormat(QStringLiteral("dd-MMM-yyyy"));
    dt_tst->setCalendarPopup(true);
    Label14 = makeLabel("Label14", QStringLiteral("Date of Testing"), dt_tst, Frame1);

    cmd_save = new QPushButton(QStringLiteral("Save"), Frame1);
    cmd_save->setObjectName(QStringLiteral("cmd_save"));

    LV_cases = new RecordList(Frame1);
    LV_cases->setObjectName(QStringLiteral("LV_cases"));
    LV_cases->setColumns({
        {QStringLiteral("S No"), 22.5},
        {QStringLiteral("Component Name"), 72},
        {QStringLiteral("Component Type"), 72},
        {QStringLiteral("Test Case Id"), 50},
        {QStringLiteral("Test Case Description"), 100},
        {QStringLiteral("Expected Result"), 100},
        {QStringLiteral("Actual Result"), 100},
        {QStringLiteral("Pass/Fail"), 37.5},
        {QStringLiteral("Def Severity"), 37.5},
        {QStringLiteral("Def Category"), 72},
        {QStringLiteral("Date of Testing"), 40},
    });
}

void frm_tst_log::layoutControls()
{
    auto *top = new QGridLayout;
    top->addWidget(Label1, 0, 0);
    top->addWidget(Label3, 0, 2);
    top->addWidget(cmb_prjid, 1, 0);
    auto *size = new QHBoxLayout;
    size->addWidget(Label2);
    size->addWidget(txt_size);
    top->addLayout(size, 1, 1);
    top->addWidget(txt_desc, 1, 2, 2, 1);
    auto *testType = new QHBoxLayout;
    testType->addWidget(Label4);
    testType->addWidget(cmb_tst_type, 1);
    top->addLayout(testType, 2, 0, 1, 2);
    top->setColumnStretch(2, 1);
    txt_desc->setMaximumHeight(txt_desc->fontMetrics().lineSpacing() * 4);

    auto *frame = new QGridLayout(Frame1);
    frame->addWidget(Label5, 0, 0);
    frame->addWidget(cmb_cmp, 0, 1);
    frame->addWidget(Label6, 0, 2);
    frame->addWidget(cmb_cmp_type, 0, 3);

    frame->addWidget(Label7, 1, 0, 1, 2);
    frame->addWidget(Label8, 1, 2, 1, 2);
    frame->addWidget(Label9, 1, 4);
    frame->addWidget(Label10, 1, 5);
    frame->addWidget(cmb_tst_id, 2, 0, 1, 2, Qt::AlignTop);
    frame->addWidget(txt_tst_case_desc, 2, 2, 1, 2);
    frame->addWidget(txt_rslt_exp, 2, 4);
    frame->addWidget(txt_rslt_act, 2, 5);
    for (MultiLineTextBox *box : {txt_tst_case_desc, txt_rslt_exp, txt_rslt_act})
        box->setMaximumHeight(box->fontMetrics().lineSpacing() * 5);

    // The outcome takes two lines, so the window fits a small screen.
    auto *outcome = new QHBoxLayout;
    outcome->addWidget(Label11);
    outcome->addWidget(cmb_pass);
    outcome->addSpacing(12);
    outcome->addWidget(Label12);
    outcome->addWidget(cmb_severity);
    outcome->addSpacing(12);
    outcome->addWidget(Label13);
    outcome->addWidget(cmb_cat, 1);
    frame->addLayout(outcome, 3, 0, 1, 6);
    auto *dateAndSave = new QHBoxLayout;
    dateAndSave->addWidget(Label14);
    dateAndSave->addWidget(dt_tst);
    dateAndSave->addStretch();
    dateAndSave->addWidget(cmd_save);
    frame->addLayout(dateAndSave, 4, 0, 1, 6);
    frame->addWidget(LV_cases, 5, 0, 1, 6);
    frame->setRowStretch(5, 1);
    for (int column : {1, 3, 4, 5})
        frame->setColumnStretch(column, 1);

    auto *window = new QVBoxLayout(this);
    window->addLayout(top);
    window->addWidget(Frame1, 1);
}

void frm_tst_log::connectHandlers()
{
    onEvent(cmb_prjid, &DropDown::clicked, this, &frm_tst_log::cmb_prjid_Click);
    onEvent(cmb_tst_type, &DropDown::clicked, this, &frm_tst_log::cmb_tst_type_Click);
    onEvent(cmb_tst_type, &DropDown::lostFocus, this, &frm_tst_log::cmb_tst_type_LostFocus);
    onEvent(cmb_cmp, &DropDown::clicked, this, &frm_tst_log::cmb_cmp_Click);
    onEvent(cmb_tst_id, &DropDown::clicked, this, &frm_tst_log::cmb_tst_id_Click);
    onEvent(cmb_pass, &DropDown::clicked, this, &frm_tst_log::cmb_pass_Click);
    onEvent(LV_cases, &RecordList::columnClicked, this, &frm_tst_log::LV_cases_ColumnClick);
    onEvent(LV_cases, &RecordList::rowDoubleClicked, this, &frm_tst_log::LV_cases_DblClick);
    onEvent(cmd_save, &QPushButton::clicked, this, &frm_tst_log::cmd_save_Click);
}

void frm_tst_log::Form_Load()
{
    if (con.cn.state() == 0)
        con.Conopen();
    init_lists();
    if (cmb_severity->entryCount() > 0)
        cmb_severity->setListIndex(0);
    if (cmb_pass->entryCount() > 0)
        cmb_pass->setListIndex(0);
    dt_tst->setDate(QDate::currentDate());
}

void frm_tst_log::init_lists()
{
    fill_cmp_type();
    fill_tst_type();
    fill_prjid();
    fill_cases();
    fill_tst_id();
    fill_def_cat();
}

void frm_tst_log::fill_prjid()
{
    // Only projects that already have test cases can have results logged.
    fillDropDown(cmb_prjid, rs_list, con.cn, QStringLiteral("select distinct(qv_zr_prjid) from qv_zr_tst_cases"), {});
}

void frm_tst_log::fill_tst_type()
{
    fillDropDown(cmb_tst_type, rs_list, con.cn, QStringLiteral("select distinct(qv_zr_tst_type) from qv_zr_tst_cases"), {});
}

void frm_tst_log::fill_cmp_type()
{
    fillDropDown(cmb_cmp_type, rs_look, con.cn,
                 QStringLiteral("select distinct(qv_zr_component_type) from qv_zr_tst_cases"), {});
}

void frm_tst_log::fill_cmp()
{
    fillDropDown(cmb_cmp, rs_look, con.cn,
                 QStringLiteral("select distinct(qv_zr_component) from qv_zr_tst_cases where (qv_zr_prjid=?)"),
                 {cmb_prjid->text()});
}

void frm_tst_log::fill_tst_id()
{
    txt_tst_case_desc->setText(QString());
    txt_rslt_exp->setText(QString());
    fillDropDown(cmb_tst_id, rs_id, con.cn,
                 QStringLiteral("select qv_zr_tst_case_id from qv_zr_tst_cases where (qv_zr_prjid=?)and "
                                "(qv_zr_component=?) and  (qv_zr_component_type=?) and  (qv_zr_tst_type=?) "),
                 {cmb_prjid->text(), cmb_cmp->text(), cmb_cmp_type->text(), cmb_tst_type->text()});
}

void frm_tst_log::fill_def_cat()
{
    // A case not logged yet has a Null category and is skipped; the empty
    // text stored for a pass is offered.
    fillDropDown(cmb_cat, rs_list, con.cn, QStringLiteral("select distinct(qv_zr_def_cat) from qv_zr_tst_cases"), {});
}

void frm_tst_log::fill_cases()
{
    row_no = 1;
    LV_cases->clearRows();
    if (rs_list.state() == 1)
        rs_list.close();
    rs_list.open(QStringLiteral("select * from qv_zr_tst_cases where (qv_zr_prjid=?)and  (qv_zr_tst_type=?)"),
                 {cmb_prjid->text(), cmb_tst_type->text()}, con.cn, CursorType::Dynamic, LockType::ReadOnly);
    QList<int> positions;
    for (const char *column : textColumns)
        positions << rs_list.fieldIndex(QLatin1String(column));
    const int datePosition = rs_list.fieldIndex(QStringLiteral("qv_zr_dt_tst"));
    const QLocale locale;
    QList<ListRow> rows;
    rows.reserve(rs_list.recordCount());
    while (!rs_list.eof()) {
        ListRow row;
        row.cells.reserve(11);
        row.cells << QString::number(row_no);
        for (int position : std::as_const(positions))
            row.cells << cellText(rs_list.fields(position));
        // The row keeps the date itself: the short form may drop the century,
        // and a double click must get back exactly this day.
        const QVariant stored = rs_list.fields(datePosition);
        const QDate date = DateValue::fromStored(stored);
        row.cells << (date.isValid() ? locale.toString(date, QLocale::ShortFormat) : cellText(stored));
        row.data = date;
        rows.append(std::move(row));
        rs_list.moveNext();
        ++row_no;
    }
    if (rs_list.state() == 1)
        rs_list.close();
    LV_cases->setRows(std::move(rows));
    m_listSource = {cmb_prjid->text(), cmb_tst_type->text(), con.cn.generation(), con.cn.dataVersion()};
}

bool frm_tst_log::listIsCurrent() const
{
    return m_listSource.version >= 0 && m_listSource.prjid == cmb_prjid->text()
           && m_listSource.tstType == cmb_tst_type->text() && m_listSource.generation == con.cn.generation()
           && m_listSource.version == con.cn.dataVersion();
}

bool frm_tst_log::showSavedRow(const QString &component, const QString &componentType, const QString &id)
{
    const bool failed = cmb_pass->text() == QLatin1String("Fail");
    const QDate date = dt_tst->date();
    const auto withResult = [&](ListRow row) {
        row.cells[ColActual] = cellText(txt_rslt_act->text());
        row.cells[ColPass] = cellText(cmb_pass->text());
        row.cells[ColSeverity] = failed ? cmb_severity->text() : QString();
        row.cells[ColCategory] = failed ? cmb_cat->text() : QString();
        row.cells[ColDate] = QLocale().toString(date, QLocale::ShortFormat);
        row.data = date;
        return row;
    };
    const auto isSaved = [&](const QStringList &cells) {
        return cells.at(ColComponent) == component && cells.at(ColComponentType) == componentType
               && cells.at(ColTestCaseId) == id;
    };
    // Unsorted, the list stands in query order: the row changes where it is.
    if (!LV_cases->isSorted()) {
        for (int r = 0; r < LV_cases->rowCount(); ++r) {
            const QStringList cells = LV_cases->rowCells(r);
            if (isSaved(cells)) {
                LV_cases->replaceRow(r, withResult({cells, LV_cases->rowData(r)}));
                return true;
            }
        }
        return false;
    }

    // Back to the order the query returns (S No), so the list's sort places the
    // changed row exactly where a refill would.
    QList<ListRow> rows;
    rows.reserve(LV_cases->rowCount());
    for (int r = 0; r < LV_cases->rowCount(); ++r)
        rows.append({LV_cases->rowCells(r), LV_cases->rowData(r)});
    std::sort(rows.begin(), rows.end(), [](const ListRow &a, const ListRow &b) {
        return a.cells.at(ColSNo).toLongLong() < b.cells.at(ColSNo).toLongLong();
    });
    // The save wrote the first stored row of the key, the first of them in query order.
    const auto saved = std::find_if(rows.begin(), rows.end(), [&](const ListRow &row) { return isSaved(row.cells); });
    if (saved == rows.end())
        return false;
    *saved = withResult(*saved);
    LV_cases->setRows(std::move(rows));
    return true;
}

QVariantList frm_tst_log::caseKey() const
{
    return {cmb_prjid->text(), cmb_cmp->text(), cmb_cmp_type->text(), cmb_tst_type->text(), cmb_tst_id->text()};
}

bool frm_tst_log::caseIsStored()
{
    if (rs_look.state() == 1)
        rs_look.close();
    rs_look.open(caseKeyQuery(QStringLiteral("qv_zr_tst_case_id")), caseKey(), con.cn, CursorType::Dynamic,
                 LockType::ReadOnly);
    const bool found = !rs_look.eof();
    if (rs_look.state() == 1)
        rs_look.close();
    return found;
}

void frm_tst_log::cmb_prjid_Click()
{
    if (rs_look.state() == 1)
        rs_look.close();
    rs_look.open(QStringLiteral("select * from qv_zr_projects where qv_zr_prjid=?"), {cmb_prjid->text()}, con.cn,
                 CursorType::Dynamic, LockType::ReadOnly);
    if (!rs_look.eof()) {
        txt_size->setText(boxText(rs_look.fields(QStringLiteral("qv_zr_prj_size"))));
        txt_desc->setText(boxText(rs_look.fields(QStringLiteral("qv_zr_prj_desc"))));
    }
    if (rs_look.state() == 1)
        rs_look.close();
    fill_cmp();
    fill_cases();
    fill_tst_id();
}

void frm_tst_log::cmb_tst_type_Click()
{
    fill_tst_id();
    fill_cases();
}

void frm_tst_log::cmb_tst_type_LostFocus()
{
    // Picks up a test type typed into the box.
    fill_cases();
}

void frm_tst_log::cmb_cmp_Click()
{
    if (rs_id.state() == 1)
        rs_id.close();
    rs_id.open(QStringLiteral("select qv_zr_component_type from qv_zr_tst_cases where (qv_zr_prjid=?) and  "
                              "(qv_zr_component=?)"),
               {cmb_prjid->text(), cmb_cmp->text()}, con.cn, CursorType::Dynamic, LockType::ReadOnly);
    if (!rs_id.eof())
        cmb_cmp_type->selectEqualEntry(boxText(rs_id.fields(0)));
    if (rs_id.state() == 1)
        rs_id.close();
}

void frm_tst_log::cmb_tst_id_Click()
{
    txt_tst_case_desc->setText(QString());
    txt_rslt_exp->setText(QString());
    if (rs_look.state() == 1)
        rs_look.close();
    rs_look.open(caseKeyQuery(QStringLiteral("*")), caseKey(), con.cn, CursorType::Dynamic, LockType::ReadOnly);
    if (!rs_look.eof()) {
        txt_tst_case_desc->setText(boxText(rs_look.fields(QStringLiteral("qv_zr_tst_case_desc"))));
        txt_rslt_exp->setText(boxText(rs_look.fields(QStringLiteral("qv_zr_rslt_exp"))));
    }
    if (rs_look.state() == 1)
        rs_look.close();
}

void frm_tst_log::cmb_pass_Click()
{
    const bool failed = cmb_pass->text() != QLatin1String("Pass");
    Label12->setVisible(failed);
    Label13->setVisible(failed);
    cmb_severity->setVisible(failed);
    cmb_cat->setVisible(failed);
}

void frm_tst_log::LV_cases_ColumnClick(int ColumnHeader)
{
    // Always ascending, by the cells' text; refills keep the order.
    LV_cases->setSortKey(ColumnHeader);
    if (!LV_cases->isSorted())
        LV_cases->setSorted(true);
}

void frm_tst_log::LV_cases_DblClick()
{
    if (LV_cases->rowCount() == 0)
        return;
    const int row = LV_cases->selectedRow();
    if (row < 0)
        return;
    if (isBlank(cmb_tst_type->text())) {
        Ui::information(this, QStringLiteral("Test Type is blank"));
        cmb_tst_type->setFocus();
        return;
    }

    cmb_cmp->setText(LV_cases->cell(row, ColComponent));
    cmb_cmp_type->setText(LV_cases->cell(row, ColComponentType));
    // The id list holds only the ids of the component shown before; when the
    // row's id is not there, list the ids of the row's component so that the
    // selectors name this row and no other.
    const QString id = LV_cases->cell(row, ColTestCaseId);
    if (!cmb_tst_id->selectEqualEntry(id)) {
        fill_tst_id();
        cmb_tst_id->selectEqualEntry(id);
    }
    // The list may be older than the table: another window or program may have
    // deleted the case since. Never leave another id selected under its texts.
    if (cmb_tst_id->text() != id || !caseIsStored()) {
        cmb_tst_id->deselect();
        txt_tst_case_desc->setText(QString());
        txt_rslt_exp->setText(QString());
        Ui::information(this, QStringLiteral("Test case %1 is no longer stored: another window or program deleted "
                                             "or changed it. The list is read again.")
                                  .arg(id));
        fill_cases();
        return;
    }
    txt_tst_case_desc->setText(LV_cases->cell(row, ColDescription));
    txt_rslt_exp->setText(LV_cases->cell(row, ColExpected));
    // A never-logged case shows one blank for Null; the editors get empty text,
    // so nothing invisible reaches what the user types.
    txt_rslt_act->setText(editorText(LV_cases->cell(row, ColActual)));

    cmb_pass->selectEqualEntry(LV_cases->cell(row, ColPass));
    cmb_severity->selectEqualEntry(LV_cases->cell(row, ColSeverity));
    cmb_cat->setText(editorText(LV_cases->cell(row, ColCategory)));

    if (!isBlank(LV_cases->cell(row, ColDate))) {
        const QDate date = LV_cases->rowData(row).toDate();
        if (date.isValid())
            dt_tst->setDate(date);
    }
}

void frm_tst_log::cmd_save_Click()
{
    if (LV_cases->rowCount() == 0)
        return;

    // Shows the message, cuts an over-long text and puts the focus where the user must act.
    const auto refuse = [this](const QString &message, QWidget *focus, DropDown *cut = nullptr, int limit = 0) {
        Ui::information(this, message);
        if (cut)
            cut->setText(leftChars(cut->text(), limit));
        focus->setFocus();
    };

    if (isBlank(cmb_prjid->text()))
        return refuse(QStringLiteral("Project Id is blank"), cmb_prjid);
    if (isBlank(cmb_tst_type->text()))
        return refuse(QStringLiteral("Test Type is blank"), cmb_tst_type);
    if (charCount(cmb_tst_type->text()) > 50)
        return refuse(QStringLiteral("Test Type can not have more than 50 characters"), cmb_tst_type, cmb_tst_type, 50);
    if (isBlank(cmb_cmp->text()))
        return refuse(QStringLiteral("Component Name is blank"), cmb_cmp);
    if (charCount(cmb_cmp->text()) > 50)
        return refuse(QStringLiteral("Component Name can not have more than 50 characters"), cmb_cmp, cmb_cmp, 50);
    if (isBlank(cmb_cmp_type->text()))
        return refuse(QStringLiteral("Component Type is blank"), cmb_cmp_type);
    if (charCount(cmb_cmp_type->text()) > 50)
        return refuse(QStringLiteral("Component Type can not have more than 50 characters"), cmb_cmp_type,
                      cmb_cmp_type, 50);
    if (isBlank(cmb_tst_id->text()))
        return refuse(QStringLiteral("Test Case Id is blank"), cmb_tst_id);
    // The id list only holds stored ids: cutting one would name another test case.
    if (charCount(cmb_tst_id->text()) > 6)
        return refuse(QStringLiteral("Test case Id can not have more than 6 characters"), cmb_tst_id);
    // The description and expected result belong to the chosen id: choose another.
    if (isBlank(txt_tst_case_desc->text()))
        return refuse(QStringLiteral("Test Case Description is blank"), cmb_tst_id);
    if (isBlank(txt_rslt_exp->text()))
        return refuse(QStringLiteral("Expected Result is blank"), cmb_tst_id);
    if (isBlank(txt_rslt_act->text()))
        return refuse(QStringLiteral("Actual Result is blank"), txt_rslt_act);
    if (isBlank(cmb_pass->text()))
        return refuse(QStringLiteral("Pass/Fail is blank"), cmb_pass);
    const bool failed = cmb_pass->text() == QLatin1String("Fail");
    if (failed && isBlank(cmb_severity->text()))
        return refuse(QStringLiteral("Defect Severity is blank"), cmb_severity);
    if (failed && isBlank(cmb_cat->text()))
        return refuse(QStringLiteral("Defect Category is blank"), cmb_cat);
    if (failed && charCount(cmb_cat->text()) > 50)
        return refuse(QStringLiteral("Defect Category can not have more than 50 characters"), cmb_cat, cmb_cat, 50);

    // With nothing else changed since the list was read, the one saved row is
    // all a refill would change: it alone is redrawn.
    const bool current = listIsCurrent();
    bool written = false;
    if (rs_save.state() == 1)
        rs_save.close();
    rs_save.open(caseKeyQuery(QStringLiteral("*")), caseKey(), con.cn, CursorType::Dynamic, LockType::Optimistic);
    if (!rs_save.eof()) {
        rs_save.setField(QStringLiteral("qv_zr_pass"), cmb_pass->text());
        rs_save.setField(QStringLiteral("qv_zr_rslt_act"), txt_rslt_act->text());
        rs_save.setField(QStringLiteral("qv_zr_dt_tst"), dt_tst->date());
        // A pass has no defect: empty text, not Null, so the list shows empty cells.
        rs_save.setField(QStringLiteral("qv_zr_def_severity"), failed ? cmb_severity->text() : QStringLiteral(""));
        rs_save.setField(QStringLiteral("qv_zr_def_cat"), failed ? cmb_cat->text() : QStringLiteral(""));
        rs_save.update();
        written = true;
    }
    if (rs_save.state() == 1)
        rs_save.close();
    if (!written) {
        // Typed texts that name no stored case: say so, or it would look saved.
        Ui::information(this, QStringLiteral("No stored test case matches the project, test type, component, "
                                             "component type and test case id shown; nothing was saved."));
        cmb_cmp->setFocus();
    }
    if (current && (!written || showSavedRow(cmb_cmp->text(), cmb_cmp_type->text(), cmb_tst_id->text())))
        return;
    fill_cases();
}
