#include "frm_tst_log.h"

#include "datepicker.h"
#include "datevalue.h"
#include "dropdown.h"
#include "guard.h"
#include "listfiller.h"
#include "recordlist.h"
#include "savechecks.h"
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

// The list's columns after "S No", in the order they are shown; the date comes last.
const QStringList kListFields{"qv_zr_component",    "qv_zr_component_type", "qv_zr_tst_case_id",
                              "qv_zr_tst_case_desc", "qv_zr_rslt_exp",       "qv_zr_rslt_act",
                              "qv_zr_pass",          "qv_zr_def_severity",   "qv_zr_def_cat",
                              "qv_zr_dt_tst"};

enum ResultColumn { ColActual = 6, ColPass, ColSeverity, ColCategory, ColDate };

// A list row of a test case and its result. The row keeps the date itself:
// the short form may drop the century, and a double click must get back
// exactly this day.
ListRow resultRow(int rowNo, const QVariantList &values)
{
    ListRow row = plainRow(rowNo, values.mid(0, values.size() - 1));
    const QVariant stored = values.last();
    const QDate date = stored.typeId() == QMetaType::QDate ? stored.toDate() : DateValue::fromStored(stored);
    row.cells << (date.isValid() ? QLocale().toString(date, QLocale::ShortFormat) : cellText(stored));
    row.data = date;
    return row;
}

// An editor's text for a list cell: the one blank that shows Null is empty.
QString editorText(const QString &cell)
{
    return cell == QLatin1String(" ") ? QString() : cell;
}

QLabel *makeLabel(const char *name, const QString &caption, QWidget *buddy)
{
    auto *label = new QLabel(caption);
    label->setObjectName(QLatin1String(name));
    label->setBuddy(buddy);
    return label;
}

} // namespace

frm_tst_log::frm_tst_log(TestingClass &con, QWidget *parent)
    : CaseWindow(con, QStringLiteral("Log Test Results"), DropDown::Kind::PickOnly,
                 {{QStringLiteral("S No"), 22.5},
                  {QStringLiteral("Component Name"), 72},
                  {QStringLiteral("Component Type"), 72},
                  {QStringLiteral("Test Case Id"), 50},
                  {QStringLiteral("Test Case Description"), 100},
                  {QStringLiteral("Expected Result"), 100},
                  {QStringLiteral("Actual Result"), 100},
                  {QStringLiteral("Pass/Fail"), 37.5},
                  {QStringLiteral("Def Severity"), 37.5},
                  {QStringLiteral("Def Category"), 72},
                  {QStringLiteral("Date of Testing"), 40}},
                 parent)
{
    setObjectName(QStringLiteral("frm_tst_log"));
    setWindowTitle(QStringLiteral("Test Log"));
    createControls();
    layoutControls();
    onEvent(cmb_pass, &DropDown::clicked, this, &frm_tst_log::cmb_pass_Click);
    onEvent(cmd_save, &QPushButton::clicked, this, &frm_tst_log::cmd_save_Click);
}

void frm_tst_log::createControls()
{
    for (MultiLineTextBox *box : {txt_tst_case_desc, txt_rslt_exp})
        box->setDisplayOnly(true);

    txt_rslt_act = new MultiLineTextBox;
    txt_rslt_act->setObjectName(QStringLiteral("txt_rslt_act"));
    Label10 = makeLabel("Label10", QStringLiteral("Actual Result"), txt_rslt_act);

    cmb_pass = new DropDown(DropDown::Kind::PickOnly, false);
    cmb_pass->setObjectName(QStringLiteral("cmb_pass"));
    cmb_pass->addEntries({QStringLiteral("Fail"), QStringLiteral("Pass")});
    Label11 = makeLabel("Label11", QStringLiteral("Pass/Fail"), cmb_pass);

    cmb_severity = new DropDown(DropDown::Kind::PickOnly, false);
    cmb_severity->setObjectName(QStringLiteral("cmb_severity"));
    cmb_severity->addEntries({QStringLiteral("Critical"), QStringLiteral("Major"), QStringLiteral("Minor")});
    Label12 = makeLabel("Label12", QStringLiteral("Defect Severity"), cmb_severity);

    cmb_cat = new DropDown(DropDown::Kind::TypeOrPick, true);
    cmb_cat->setObjectName(QStringLiteral("cmb_cat"));
    Label13 = makeLabel("Label13", QStringLiteral("Defect Category"), cmb_cat);

    dt_tst = new DatePicker;
    dt_tst->setObjectName(QStringLiteral("dt_tst"));
    dt_tst->setDisplayFormat(QStringLiteral("dd-MMM-yyyy"));
    dt_tst->setCalendarPopup(true);
    Label14 = makeLabel("Label14", QStringLiteral("Date of Testing"), dt_tst);

    cmd_save = new QPushButton(QStringLiteral("Save"));
    cmd_save->setObjectName(QStringLiteral("cmd_save"));
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

void frm_tst_log::fill_def_cat()
{
    // A case not logged yet has a Null category and is skipped; the empty
    // text stored for a pass is offered.
    fillDropDown(cmb_cat, rs_list, con.cn, QStringLiteral("select distinct(qv_zr_def_cat) from qv_zr_tst_cases"), {});
}

void frm_tst_log::fill_cases()
{
    fillCaseList(kListFields, resultRow);
}

bool frm_tst_log::caseIsStored()
{
    if (rs_look.state() == 1)
        rs_look.close();
    rs_look.open(caseKeyQuery(QStringLiteral("qv_zr_tst_case_id")), caseKey(), con.cn);
    const bool found = !rs_look.eof();
    if (rs_look.state() == 1)
        rs_look.close();
    return found;
}

void frm_tst_log::cmb_tst_type_Click()
{
    fill_tst_id();
    fill_cases();
}

void frm_tst_log::cmb_pass_Click()
{
    const bool failed = cmb_pass->text() != QLatin1String("Pass");
    Label12->setVisible(failed);
    Label13->setVisible(failed);
    cmb_severity->setVisible(failed);
    cmb_cat->setVisible(failed);
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

    const bool failed = cmb_pass->text() == QLatin1String("Fail");
    SaveChecks check(this);
    // The id list only holds stored ids: cutting one would name another test case.
    checkKey(check, SaveChecks::TooLong::Keep);
    // The description and expected result belong to the chosen id: choose another.
    check.that(!isBlank(txt_tst_case_desc->text()), cmb_tst_id, QStringLiteral("Test Case Description is blank"))
        .that(!isBlank(txt_rslt_exp->text()), cmb_tst_id, QStringLiteral("Expected Result is blank"))
        .notBlank(txt_rslt_act, QStringLiteral("Actual Result is blank"))
        .notBlank(cmb_pass, QStringLiteral("Pass/Fail is blank"));
    if (failed)
        check.notBlank(cmb_severity, QStringLiteral("Defect Severity is blank"))
            .notBlank(cmb_cat, QStringLiteral("Defect Category is blank"))
            .notLonger(cmb_cat, 50, QStringLiteral("Defect Category can not have more than 50 characters"));
    if (!check.passed())
        return;

    bool written = false;
    if (rs_save.state() == 1)
        rs_save.close();
    rs_save.open(caseKeyQuery(QStringLiteral("*")), caseKey(), con.cn, LockType::Optimistic,
                 QStringLiteral("qv_zr_tst_cases"));
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
    // With nothing else changed since the list was read, the saved row is all
    // a refill would change: it alone is redrawn, as the list fill makes it.
    const QDate date = dt_tst->date();
    const auto withResult = [&](const ListRow &old) {
        QVariantList values;
        for (int c = ColComponent; c < ColActual; ++c)
            values << old.cells.at(c);
        values << txt_rslt_act->text() << cmb_pass->text() << (failed ? cmb_severity->text() : QStringLiteral(""))
               << (failed ? cmb_cat->text() : QStringLiteral("")) << date;
        return resultRow(old.cells.at(ColSNo).toInt(), values);
    };
    if (written && redrawSavedRow(withResult))
        return;
    fill_cases();
}
