#include "frm_tst_log.h"

#include "builds.h"
#include "datepicker.h"
#include "datevalue.h"
#include "dropdown.h"
#include "guard.h"
#include "listfiller.h"
#include "listrefresh.h"
#include "recordlist.h"
#include "results.h"
#include "services.h"
#include "testcases.h"
#include "testingclass.h"
#include "textbox.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHash>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QVBoxLayout>
#include <functional>
#include <memory>

namespace {

// The list's columns after "S No" are the case's columns in their order; the date comes last.
enum ResultColumn { ColActual = 6, ColPass, ColSeverity, ColCategory, ColDate };

// A stored date as the lists show it: the short form of its day, or the value
// itself when it names no day. Each stored text is shown the same, so each
// is made once for the rows of one fill.
std::function<QString(const QVariant &)> shownDates()
{
    auto made = std::make_shared<QHash<QString, QString>>();
    return [made](const QVariant &stored) {
        if (stored.isNull())
            return cellText(stored);
        const QString key =
            stored.typeId() == QMetaType::QDate ? stored.toDate().toString(Qt::ISODate) : stored.toString();
        auto shown = made->constFind(key);
        if (shown == made->cend()) {
            const QDate date = DateValue::fromStored(stored);
            shown = made->insert(key, date.isValid() ? QLocale().toString(date, QLocale::ShortFormat) : cellText(stored));
        }
        return *shown;
    };
}

// A row of one case's history: date of testing, build, pass/fail, severity,
// category, actual result, saved at.
RecordFormat historyFormat()
{
    return {false, {shownDates()}, {}};
}

// A list row of a test case and its result, the date last. The row's own value
// is the day itself, read from the stored value: the short form may drop the
// century, and a double click must get back exactly this day.
RecordFormat resultFormat()
{
    RecordFormat format;
    format.fieldText.resize(CaseColumn::Date + 1);
    format.fieldText[CaseColumn::Date] = shownDates();
    format.data = [](const QVariantList &values) { return QVariant(DateValue::fromStored(values.last())); };
    return format;
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
    onEvent(cmb_show, &DropDown::clicked, this, &frm_tst_log::cmb_show_Click);
    onEvent(cmb_prjid, &DropDown::clicked, this, &frm_tst_log::fill_build);
    for (const QKeySequence &keys : {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)}) {
        auto *next = new QShortcut(keys, this);
        next->setContext(Qt::WidgetWithChildrenShortcut);
        onEvent(next, &QShortcut::activated, this, &frm_tst_log::saveAndNext);
    }
    onEvent(cmd_save, &QPushButton::clicked, this, &frm_tst_log::cmd_save_Click);
    auto *refresh = new ListRefresh(con.cn, this);
    refresh->watch({QStringLiteral("qv_zr_tst_cases")}, [this] {
        refreshDropDown(cmb_prjid, projectsWithCases(this->con.cn));
        refreshCaseLists();
        refreshDropDown(cmb_cat, defectCategories(this->con.cn));
    });
    refresh->watch({QStringLiteral("qv_zr_tst_history")}, [this] {
        int shown = 0;
        // A history row is told apart by all its texts.
        refreshRecordList(LV_history, historyRows(this->con.cn, caseKey()), shown, historyFormat(),
                          {0, 1, 2, 3, 4, 5, 6, 7});
        refreshDropDown(cmb_build, projectBuilds(this->con.cn, cmb_prjid->text()));
    });
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

    // Newest first, as the project's builds come; over 50 characters the save refuses it.
    cmb_build = new DropDown(DropDown::Kind::TypeOrPick, false);
    cmb_build->setObjectName(QStringLiteral("cmb_build"));
    lbl_build = makeLabel("lbl_build", QStringLiteral("Build"), cmb_build);

    cmd_save = new QPushButton(QStringLiteral("Save"));
    cmd_save->setObjectName(QStringLiteral("cmd_save"));

    cmb_show = new DropDown(DropDown::Kind::PickOnly, false);
    cmb_show->setObjectName(QStringLiteral("cmb_show"));
    cmb_show->addEntries({QStringLiteral("All"), QStringLiteral("Not run"), QStringLiteral("Failed"),
                          QStringLiteral("Passed")});
    cmb_show->setListIndex(0);
    lbl_show = makeLabel("lbl_show", QStringLiteral("Show"), cmb_show);
    lbl_status = new QLabel;
    lbl_status->setObjectName(QStringLiteral("lbl_status"));

    LV_history = new RecordList;
    LV_history->setObjectName(QStringLiteral("LV_history"));
    LV_history->setColumns({{QStringLiteral("Date of Testing"), 40},
                            {QStringLiteral("Build"), 50},
                            {QStringLiteral("Pass/Fail"), 37.5},
                            {QStringLiteral("Def Severity"), 37.5},
                            {QStringLiteral("Def Category"), 60},
                            {QStringLiteral("Actual Result"), 100},
                            {QStringLiteral("Saved At"), 90},
                            {QStringLiteral("Saved By"), 50}});
    lbl_history = makeLabel("lbl_history", QStringLiteral("Results saved for this test case"), LV_history);
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
    dateAndSave->addSpacing(12);
    dateAndSave->addWidget(lbl_build);
    dateAndSave->addWidget(cmb_build);
    dateAndSave->addStretch();
    dateAndSave->addWidget(cmd_save);
    frame->addLayout(dateAndSave, 4, 0, 1, 6);
    // The history beside the list; the user may give either more room.
    auto *lists = new QSplitter(Qt::Horizontal);
    lists->setChildrenCollapsible(false);
    lists->addWidget(LV_cases);
    auto *history = new QWidget;
    auto *historyLayout = new QVBoxLayout(history);
    historyLayout->setContentsMargins(0, 0, 0, 0);
    historyLayout->addWidget(lbl_history);
    historyLayout->addWidget(LV_history, 1);
    lists->addWidget(history);
    lists->setStretchFactor(0, 3);
    lists->setStretchFactor(1, 1);
    auto *filter = new QHBoxLayout;
    filter->addWidget(LV_cases->filterBox(this), 1);
    filter->addWidget(lbl_show);
    filter->addWidget(cmb_show);
    frame->addLayout(filter, 5, 0, 1, 6);
    frame->addWidget(lists, 6, 0, 1, 6);
    frame->setRowStretch(6, 1);
    frame->addWidget(lbl_status, 7, 0, 1, 6);
    for (int column : {1, 3, 4, 5})
        frame->setColumnStretch(column, 1);

    auto *window = new QVBoxLayout(this);
    window->addLayout(top);
    window->addWidget(Frame1, 1);
    setTabOrder(dt_tst, cmb_build);
}

void frm_tst_log::Form_Load()
{
    if (con.cn.state() == StateClosed)
        con.Conopen();
    init_lists();
    if (cmb_severity->entryCount() > 0)
        cmb_severity->setListIndex(0);
    if (cmb_pass->entryCount() > 0)
        cmb_pass->setListIndex(0);
    dt_tst->setDate(QDate::currentDate());
    // The window opens on the build the project's results were last logged under.
    cmb_build->setText(cmb_build->entryCount() > 0 ? cmb_build->entry(0) : QString());
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
    fillDropDown(cmb_prjid, projectsWithCases(con.cn));
}

void frm_tst_log::fill_def_cat()
{
    // A case not logged yet has a Null category and is skipped; the empty
    // text stored for a pass is offered.
    fillDropDown(cmb_cat, defectCategories(con.cn));
}

void frm_tst_log::fill_build()
{
    // The text is the tester's: a project pick only changes what is offered.
    offerBuilds(projectBuilds(con.cn, cmb_prjid->text()));
}

void frm_tst_log::offerBuilds(const QStringList &builds)
{
    const QString build = cmb_build->text();
    cmb_build->clearEntries();
    cmb_build->addEntries(builds);
    cmb_build->setText(build);
}

void frm_tst_log::fill_cases()
{
    fillCaseList(CaseColumn::Date + 1, resultFormat());
}

bool frm_tst_log::caseIsStored()
{
    return findCase(con.cn, caseKey()).has_value();
}

void frm_tst_log::fill_history()
{
    int shown = 0;
    fillRecordList(LV_history, historyRows(con.cn, caseKey()), shown, historyFormat());
}

void frm_tst_log::fill_tst_id()
{
    LV_history->clearRows(); // no id may be selected after the refill
    CaseWindow::fill_tst_id();
}

void frm_tst_log::cmb_tst_id_Click()
{
    CaseWindow::cmb_tst_id_Click();
    fill_history();
}

void frm_tst_log::cmb_tst_type_Click()
{
    fill_tst_id();
    fill_cases();
}

void frm_tst_log::cmb_show_Click()
{
    const QString show = cmb_show->text();
    if (show == QLatin1String("All")) {
        LV_cases->setRowFilter({});
        return;
    }
    // As in the reports: a case never logged has no date and no actual result.
    LV_cases->setRowFilter([this, show](int row) {
        const bool notRun = !LV_cases->rowData(row).toDate().isValid() && isBlank(LV_cases->cell(row, ColActual));
        if (show == QLatin1String("Not run"))
            return notRun;
        return !notRun
               && LV_cases->cell(row, ColPass) == (show == QLatin1String("Passed") ? QLatin1String("Pass") : QLatin1String("Fail"));
    });
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
        LV_history->clearRows();
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
    save();
}

QWidget *frm_tst_log::fieldControl(Field field) const
{
    switch (field) {
    // The description and expected result belong to the chosen id: choose another.
    case Field::CaseDescription:
    case Field::ExpectedResult:
        return cmb_tst_id;
    case Field::ActualResult:
        return txt_rslt_act;
    case Field::PassFail:
        return cmb_pass;
    case Field::Severity:
        return cmb_severity;
    case Field::Category:
        return cmb_cat;
    case Field::Build:
        return cmb_build;
    default:
        return CaseWindow::fieldControl(field);
    }
}

bool frm_tst_log::save()
{
    if (LV_cases->rowCount() == 0)
        return false;

    const bool failed = cmb_pass->text() == QLatin1String("Fail");
    const SaveResult saved =
        logResult(con.cn, {caseKey(), txt_tst_case_desc->text(), txt_rslt_exp->text(),
                           {cmb_pass->text(), txt_rslt_act->text(), dt_tst->date(), cmb_severity->text(), cmb_cat->text(),
                            cmb_build->text()}});
    if (saved.problem) {
        showProblem(*saved.problem);
        return false;
    }
    const bool written = saved.written();
    if (written) {
        fill_history();
        // The build just saved is now the project's newest: first, without reading them all again.
        const QString build = cmb_build->text();
        if (!build.isEmpty()) {
            QStringList builds{build};
            for (int i = 0; i < cmb_build->entryCount(); ++i)
                if (cmb_build->entry(i) != build)
                    builds << cmb_build->entry(i);
            offerBuilds(builds);
        }
    } else {
        // Typed texts that name no stored case: say so, or it would look saved.
        Ui::information(this, QStringLiteral("No stored test case matches the project, test type, component, "
                                             "component type and test case id shown; nothing was saved."));
        cmb_cmp->setFocus();
    }
    // With nothing else changed since the list was read, the saved row is all
    // a refill would change: it alone is redrawn, as the list fill makes it.
    const auto withResult = [&](QVariantList values) {
        values[ColActual - 1] = txt_rslt_act->text();
        values[ColPass - 1] = cmb_pass->text();
        values[ColSeverity - 1] = failed ? cmb_severity->text() : QStringLiteral("");
        values[ColCategory - 1] = failed ? cmb_cat->text() : QStringLiteral("");
        values[ColDate - 1] = dt_tst->date();
        return values;
    };
    if (!written || !redrawSavedRow(withResult))
        fill_cases();
    // The saved row stays in sight, wherever the list stood.
    if (written)
        LV_cases->selectRow(rowOnScreen());
    return written;
}

void frm_tst_log::saveAndNext()
{
    lbl_status->clear();
    // The case after the saved one as the list shows it, known before the save:
    // with "Not run" the saved case leaves the list.
    const int next = LV_cases->shownRowAfter(rowOnScreen());
    const QStringList nextCells = next >= 0 ? LV_cases->rowCells(next) : QStringList();
    if (!save())
        return;
    if (nextCells.isEmpty()) {
        lbl_status->setText(QStringLiteral("Saved. That was the last test case in the list."));
        return;
    }
    // Found by its component, component type and id: a refill may have moved it.
    const auto isNext = [&](int r) {
        for (int c : {ColTestCaseId, ColComponent, ColComponentType}) {
            if (LV_cases->cell(r, c) != nextCells.at(c))
                return false;
        }
        return true;
    };
    for (int r = 0; r < LV_cases->rowCount(); ++r) {
        if (isNext(r)) {
            LV_cases->selectRow(r);
            LV_cases_DblClick();
            txt_rslt_act->setFocus();
            return;
        }
    }
}
