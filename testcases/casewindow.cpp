#include "casewindow.h"

#include "guard.h"
#include "listfiller.h"
#include "projects.h"
#include "savechecks.h"
#include "testcases.h"

#include <QGroupBox>
#include <QLabel>
#include <QScopeGuard>

namespace {

QLabel *makeLabel(const QString &caption, const char *name, QWidget *buddy)
{
    auto *label = new QLabel(caption);
    label->setObjectName(QLatin1String(name));
    label->setBuddy(buddy);
    return label;
}

template <class Control>
Control *named(Control *control, const char *name)
{
    control->setObjectName(QLatin1String(name));
    return control;
}

} // namespace

CaseWindow::CaseWindow(TestingClass &con, const QString &frameCaption, DropDown::Kind idKind,
                       const QList<RecordList::Column> &columns, QWidget *parent)
    : ChildWindow(parent)
    , con(con)
    , cmb_prjid(named(new DropDown(DropDown::Kind::PickOnly, true), "cmb_prjid"))
    , txt_size(named(new TextBox, "txt_size"))
    , txt_desc(named(new MultiLineTextBox, "txt_desc"))
    , cmb_tst_type(named(new DropDown(DropDown::Kind::TypeOrPick, true), "cmb_tst_type"))
    , Frame1(named(new QGroupBox(frameCaption), "Frame1"))
    , cmb_cmp(named(new DropDown(DropDown::Kind::TypeOrPick, true), "cmb_cmp"))
    , cmb_cmp_type(named(new DropDown(DropDown::Kind::TypeOrPick, true), "cmb_cmp_type"))
    , cmb_tst_id(named(new DropDown(idKind, true), "cmb_tst_id"))
    , txt_tst_case_desc(named(new MultiLineTextBox, "txt_tst_case_desc"))
    , txt_rslt_exp(named(new MultiLineTextBox, "txt_rslt_exp"))
    , LV_cases(named(new RecordList, "LV_cases"))
{
    Label1 = makeLabel(QStringLiteral("Project Id"), "Label1", cmb_prjid);
    Label2 = makeLabel(QStringLiteral("Size "), "Label2", txt_size);
    Label3 = makeLabel(QStringLiteral("Project Description"), "Label3", txt_desc);
    Label4 = makeLabel(QStringLiteral("Test Type"), "Label4", cmb_tst_type);
    Label5 = makeLabel(QStringLiteral("Component"), "Label5", cmb_cmp);
    Label6 = makeLabel(QStringLiteral("Component Type"), "Label6", cmb_cmp_type);
    Label7 = makeLabel(QStringLiteral("Test Case Id"), "Label7", cmb_tst_id);
    Label8 = makeLabel(QStringLiteral("Test Case Description"), "Label8", txt_tst_case_desc);
    Label9 = makeLabel(QStringLiteral("Expected Result"), "Label9", txt_rslt_exp);
    txt_size->setDisplayOnly(true);
    txt_desc->setDisplayOnly(true);
    txt_tst_case_desc->setMaxLength(fieldLimit(Field::CaseDescription));
    txt_rslt_exp->setMaxLength(fieldLimit(Field::ExpectedResult));
    LV_cases->setColumns(columns);

    onEvent(cmb_prjid, &DropDown::clicked, this, &CaseWindow::cmb_prjid_Click);
    onEvent(cmb_cmp, &DropDown::clicked, this, &CaseWindow::cmb_cmp_Click);
    onEvent(cmb_tst_id, &DropDown::clicked, this, &CaseWindow::cmb_tst_id_Click);
    onEvent(cmb_tst_type, &DropDown::clicked, this, &CaseWindow::cmb_tst_type_Click);
    onEvent(cmb_tst_type, &DropDown::lostFocus, this, &CaseWindow::cmb_tst_type_LostFocus);
    onEvent(LV_cases, &RecordList::rowDoubleClicked, this, &CaseWindow::LV_cases_DblClick);
    onEvent(LV_cases, &RecordList::columnClicked, this, &CaseWindow::LV_cases_ColumnClick);
}

CaseWindow::~CaseWindow()
{
    // Destroying the widgets moves the focus away from the test type box; its
    // handler must not run on a window that is already half gone.
    disconnect(cmb_tst_type, nullptr, this, nullptr);
}

TestCaseKey CaseWindow::caseKey() const
{
    return {cmb_prjid->text(), cmb_tst_type->text(), cmb_cmp->text(), cmb_cmp_type->text(), cmb_tst_id->text()};
}

std::optional<QVariantList> CaseWindow::caseAsRead() const
{
    // Read for another case: the selectors changed since.
    return m_readKey == caseKey() ? m_asRead : std::nullopt;
}

void CaseWindow::setCaseAsRead(const std::optional<QVariantList> &values)
{
    m_readKey = caseKey();
    m_asRead = values;
}

bool CaseWindow::readCaseAgain()
{
    const auto stored = findCase(con.cn, caseKey());
    setCaseAsRead(stored ? stored->asRead : std::nullopt);
    if (!stored)
        return false;
    txt_tst_case_desc->setText(stored->description);
    txt_rslt_exp->setText(stored->expected);
    return true;
}

QWidget *CaseWindow::fieldControl(Field field) const
{
    switch (field) {
    case Field::TestType:
        return cmb_tst_type;
    case Field::Component:
        return cmb_cmp;
    case Field::ComponentType:
        return cmb_cmp_type;
    case Field::CaseId:
        return cmb_tst_id;
    case Field::CaseDescription:
        return txt_tst_case_desc;
    case Field::ExpectedResult:
        return txt_rslt_exp;
    default:
        return cmb_prjid;
    }
}

void CaseWindow::showProblem(const Problem &problem)
{
    showRefusal(this, fieldControl(problem.field), problem.message, problem.cutText);
}

void CaseWindow::fill_tst_type()
{
    fillDropDown(cmb_tst_type, testTypes(con.cn));
}

void CaseWindow::fill_cmp_type()
{
    fillDropDown(cmb_cmp_type, componentTypes(con.cn));
}

void CaseWindow::fill_cmp()
{
    fillDropDown(cmb_cmp, components(con.cn, cmb_prjid->text()));
}

void CaseWindow::fill_tst_id()
{
    txt_tst_case_desc->setText(QString());
    txt_rslt_exp->setText(QString());
    fillDropDown(cmb_tst_id, caseIds(con.cn, caseKey()));
}

void CaseWindow::fillCaseList(int columns, const RecordFormat &format)
{
    Rows rows = caseRows(con.cn, cmb_prjid->text(), cmb_tst_type->text());
    for (QVariantList &values : rows)
        values.resize(columns);
    if (m_keepListView)
        refreshRecordList(LV_cases, std::move(rows), row_no, format, {ColComponent, ColComponentType, ColTestCaseId});
    else
        fillRecordList(LV_cases, std::move(rows), row_no, format);
    m_listSource = {cmb_prjid->text(), cmb_tst_type->text(), con.cn.generation(), con.cn.dataVersion()};
}

void CaseWindow::refreshCaseLists()
{
    refreshDropDown(cmb_tst_type, testTypes(con.cn));
    refreshDropDown(cmb_cmp_type, componentTypes(con.cn));
    refreshDropDown(cmb_cmp, components(con.cn, cmb_prjid->text()));
    refreshDropDown(cmb_tst_id, caseIds(con.cn, caseKey()));
    // A list read for other texts than the selectors show is refilled when the
    // user leaves the test type box.
    if (m_listSource.prjid != cmb_prjid->text() || m_listSource.tstType != cmb_tst_type->text())
        return;
    m_keepListView = true;
    const auto done = qScopeGuard([this] { m_keepListView = false; });
    fill_cases();
}

bool CaseWindow::listIsCurrent() const
{
    return m_listSource.version >= 0 && m_listSource.prjid == cmb_prjid->text()
           && m_listSource.tstType == cmb_tst_type->text() && m_listSource.generation == con.cn.generation()
           && m_listSource.version == con.cn.dataVersion();
}

bool CaseWindow::showsKeyOnScreen(int row) const
{
    // The id first: it tells most rows apart.
    return LV_cases->cell(row, ColTestCaseId) == cmb_tst_id->text()
           && LV_cases->cell(row, ColComponent) == cmb_cmp->text()
           && LV_cases->cell(row, ColComponentType) == cmb_cmp_type->text();
}

int CaseWindow::rowOnScreen() const
{
    for (int r = 0; r < LV_cases->rowCount(); ++r) {
        if (showsKeyOnScreen(r))
            return r;
    }
    return -1;
}

bool CaseWindow::redrawSavedRow(const std::function<QVariantList(QVariantList values)> &changed)
{
    if (!listIsCurrent())
        return false;
    // The save wrote the first stored row of the key, the first of them in query
    // order: unsorted, the list stands in that order.
    int saved = -1;
    for (int r = 0; r < LV_cases->rowCount() && (saved < 0 || LV_cases->isSorted()); ++r) {
        if (showsKeyOnScreen(r) && (saved < 0 || LV_cases->givenOrder(r) < LV_cases->givenOrder(saved)))
            saved = r;
    }
    if (saved < 0)
        return false;
    // A sorted list puts the changed row exactly where a refill would.
    LV_cases->changeRecord(saved, changed(LV_cases->recordValues(saved)));
    return true;
}

void CaseWindow::cmb_prjid_Click()
{
    if (const auto project = findProject(con.cn, cmb_prjid->text())) {
        txt_size->setText(project->size);
        txt_desc->setText(project->description);
    }
    fill_cmp();
    fill_cases();
    fill_tst_id();
}

void CaseWindow::cmb_cmp_Click()
{
    // Only the component type follows a component pick; the ids and the list stay.
    if (const auto type = componentTypeOf(con.cn, cmb_prjid->text(), cmb_cmp->text()))
        cmb_cmp_type->selectEqualEntry(*type);
}

void CaseWindow::cmb_tst_id_Click()
{
    txt_tst_case_desc->setText(QString());
    txt_rslt_exp->setText(QString());
    readCaseAgain();
}

void CaseWindow::cmb_tst_type_LostFocus()
{
    // Picks up a test type typed into the box.
    fill_cases();
}

void CaseWindow::LV_cases_ColumnClick(int ColumnHeader)
{
    // Always ascending, by the cells' text; refills keep the order.
    LV_cases->setSortKey(ColumnHeader);
    if (!LV_cases->isSorted())
        LV_cases->setSorted(true);
}
