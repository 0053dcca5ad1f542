#include "frm_reports.h"

#include "apppaths.h"
#include "builds.h"
#include "company.h"
#include "dropdown.h"
#include "guard.h"
#include "testcases.h"
#include "listfiller.h"
#include "listrefresh.h"
#include "programsources.h"
#include "projects.h"
#include "report.h"
#include "reportviewer.h"
#include "services.h"
#include "windowkeys.h"

#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QToolBar>
#include <QVBoxLayout>

Frm_Reports::Frm_Reports(TestingClass &con, QWidget *parent)
    : ChildWindow(parent)
    , RptView(new ReportViewer(this))
    , Cmdrepexit(new QPushButton(QStringLiteral("Exit"), this))
    , Picture5(new QFrame(this))
    , Label52(new QLabel(QStringLiteral("Reports Generation"), Picture5))
    , Frame5(new QGroupBox(QStringLiteral("Report Screen"), Picture5))
    , Label1(new QLabel(QStringLiteral("Select Project"), Frame5))
    , cmb_prjid(new DropDown(DropDown::Kind::PickOnly, true, Frame5))
    , Label6(new QLabel(QStringLiteral("Select Type of Report"), Frame5))
    , TypeofReport(new DropDown(DropDown::Kind::PickOnly, false, Frame5))
    , Command4(new QPushButton(QStringLiteral("Generate"), Frame5))
    , lbl_build(new QLabel(QStringLiteral("Build"), Frame5))
    , cmb_build(new DropDown(DropDown::Kind::PickOnly, false, Frame5))
    , lbl_older(new QLabel(QStringLiteral("Older build"), Frame5))
    , cmb_older(new DropDown(DropDown::Kind::PickOnly, false, Frame5))
    , lbl_newer(new QLabel(QStringLiteral("Newer build"), Frame5))
    , cmb_newer(new DropDown(DropDown::Kind::PickOnly, false, Frame5))
    , lbl_type(new QLabel(QStringLiteral("Test type"), Frame5))
    , cmb_type(new DropDown(DropDown::Kind::PickOnly, false, Frame5))
    , lbl_component(new QLabel(QStringLiteral("Component"), Frame5))
    , cmb_component(new DropDown(DropDown::Kind::PickOnly, false, Frame5))
    , lbl_asof(new QLabel(QStringLiteral("As of"), Frame5))
    , txt_asof(new QLineEdit(Frame5))
    , con(con)
{
    addProgramReportSources();
    setObjectName(QStringLiteral("Frm_Reports"));
    setWindowTitle(QStringLiteral("Reports Form"));
    RptView->setObjectName(QStringLiteral("RptView"));
    Cmdrepexit->setObjectName(QStringLiteral("Cmdrepexit"));
    Cmdrepexit->setToolTip(QStringLiteral("Back to the choice of report (Esc)"));
    Picture5->setObjectName(QStringLiteral("Picture5"));
    Label52->setObjectName(QStringLiteral("Label52"));
    Frame5->setObjectName(QStringLiteral("Frame5"));
    Label1->setObjectName(QStringLiteral("Label1"));
    cmb_prjid->setObjectName(QStringLiteral("cmb_prjid"));
    Label6->setObjectName(QStringLiteral("Label6"));
    TypeofReport->setObjectName(QStringLiteral("TypeofReport"));
    Command4->setObjectName(QStringLiteral("Command4"));
    cmb_build->setObjectName(QStringLiteral("cmb_build"));
    cmb_older->setObjectName(QStringLiteral("cmb_older"));
    cmb_newer->setObjectName(QStringLiteral("cmb_newer"));
    cmb_type->setObjectName(QStringLiteral("cmb_type"));
    cmb_component->setObjectName(QStringLiteral("cmb_component"));
    txt_asof->setObjectName(QStringLiteral("txt_asof"));
    txt_asof->setPlaceholderText(QStringLiteral("today (yyyy-mm-dd)"));
    lbl_type->setBuddy(cmb_type);
    lbl_component->setBuddy(cmb_component);
    lbl_asof->setBuddy(txt_asof);
    Label1->setBuddy(cmb_prjid);
    Label6->setBuddy(TypeofReport);
    lbl_build->setBuddy(cmb_build);
    lbl_older->setBuddy(cmb_older);
    lbl_newer->setBuddy(cmb_newer);

    TypeofReport->addEntries({QStringLiteral("Test Log"), QStringLiteral("Test Log - Failed Cases"),
                              QStringLiteral("Test Log - Passed Cases"), QStringLiteral("Test Plan"),
                              kBuildComparison});

    // The selection screen: a title over a frame with the two choices and the button.
    QFont titleFont = Label52->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
    titleFont.setBold(true);
    Label52->setFont(titleFont);
    Label52->setAlignment(Qt::AlignCenter);
    cmb_prjid->setMinimumWidth(240);
    TypeofReport->setMinimumWidth(240);

    auto *frameLayout = new QGridLayout(Frame5);
    frameLayout->addWidget(Label1, 0, 0);
    frameLayout->addWidget(cmb_prjid, 0, 1);
    frameLayout->addWidget(Label6, 1, 0);
    frameLayout->addWidget(TypeofReport, 1, 1);
    frameLayout->addWidget(lbl_build, 2, 0);
    frameLayout->addWidget(cmb_build, 2, 1);
    frameLayout->addWidget(lbl_older, 3, 0);
    frameLayout->addWidget(cmb_older, 3, 1);
    frameLayout->addWidget(lbl_newer, 4, 0);
    frameLayout->addWidget(cmb_newer, 4, 1);
    frameLayout->addWidget(lbl_type, 5, 0);
    frameLayout->addWidget(cmb_type, 5, 1);
    frameLayout->addWidget(lbl_component, 6, 0);
    frameLayout->addWidget(cmb_component, 6, 1);
    frameLayout->addWidget(lbl_asof, 7, 0);
    frameLayout->addWidget(txt_asof, 7, 1);
    frameLayout->addWidget(Command4, 8, 1, Qt::AlignRight);

    auto *selection = new QGridLayout(Picture5);
    selection->setRowStretch(0, 1);
    selection->setColumnStretch(0, 1);
    selection->addWidget(Label52, 1, 1);
    selection->addWidget(Frame5, 2, 1);
    selection->setRowStretch(3, 2);
    selection->setColumnStretch(2, 1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Picture5);
    layout->addWidget(RptView);

    setTabOrder(TypeofReport, cmb_build);
    setTabOrder(cmb_build, cmb_older);
    setTabOrder(cmb_older, cmb_newer);
    setTabOrder(cmb_newer, cmb_type);
    setTabOrder(cmb_type, cmb_component);
    setTabOrder(cmb_component, txt_asof);
    setTabOrder(txt_asof, Command4);
    setTabOrder(Command4, cmb_prjid);

    RptView->hide();
    Cmdrepexit->hide();
    // The Exit button stands over the viewer's toolbar but is not inside the
    // viewer: it takes the viewer's keys too, so they work wherever the focus is.
    Cmdrepexit->addActions(RptView->actions());
    RptView->setFileChooser([](QWidget *parent, const QString &proposedName, const QString &filter) {
        return Services::fileDialogs().chooseFile(parent, proposedName, FileDialogService::Mode::Save, filter);
    });
    RptView->setErrorReporter([](QWidget *parent, const QString &text) { Ui::information(parent, text); });
    keys()->setDefaultButton(Command4);

    onEvent(Command4, &QPushButton::clicked, this, &Frm_Reports::Command4_Click);
    onEvent(cmb_prjid, &DropDown::clicked, this, &Frm_Reports::fill_builds);
    onEvent(TypeofReport, &DropDown::clicked, this, &Frm_Reports::showBuildChoices);
    showBuildChoices();
    onEvent(Cmdrepexit, &QPushButton::clicked, this, &Frm_Reports::Cmdrepexit_Click);
    auto *refresh = new ListRefresh(con.cn, this);
    refresh->watch({QStringLiteral("qv_zr_projects")},
                   [this] { refreshDropDown(cmb_prjid, projectIds(this->con.cn)); });
    refresh->watch({QStringLiteral("Tqvjx_companydetails")}, [this] {
        const auto company = readCompany(this->con.cn);
        m_companyName = company ? company->name : QString();
    });
}

// The report goes before the engine that opened it.
Frm_Reports::~Frm_Reports()
{
    releaseReport();
}

QString Frm_Reports::reportFile(const QString &kind)
{
    if (kind == QLatin1String("Test Log"))
        return QStringLiteral("rpt_tst_log.rpt");
    if (kind == QLatin1String("Test Log - Failed Cases"))
        return QStringLiteral("rpt_tst_log_failed.rpt");
    if (kind == QLatin1String("Test Log - Passed Cases"))
        return QStringLiteral("rpt_tst_log_pass.rpt");
    if (kind == QLatin1String("Test Plan"))
        return QStringLiteral("rpt_tst_plan.rpt");
    if (kind == kBuildComparison)
        return QStringLiteral("rpt_build_cmp.rpt");
    return QString();
}

void Frm_Reports::Form_Load()
{
    if (con.cn.state() == StateClosed)
        con.Conopen();

    const auto company = readCompany(con.cn);
    m_companyName = company ? company->name : QString();

    fill_prjid();

    if (TypeofReport->entryCount() > 0)
        TypeofReport->setListIndex(0);
}

void Frm_Reports::fill_prjid()
{
    fillDropDown(cmb_prjid, projectIds(con.cn));
    if (cmb_prjid->entryCount() == 0)
        fill_builds();
}

// The newer build defaults to the latest, the older to the one before it.
void Frm_Reports::fill_builds()
{
    m_builds = projectBuilds(con.cn, cmb_prjid->text());
    fillDropDown(cmb_build, m_builds, {kAllBuilds});
    fillDropDown(cmb_newer, m_builds);
    fillDropDown(cmb_older, m_builds);
    if (m_builds.size() > 1)
        cmb_older->setListIndex(1);
    fillDropDown(cmb_type, testTypesOf(con.cn, cmb_prjid->text()), {kAll});
    fillDropDown(cmb_component, components(con.cn, cmb_prjid->text()), {kAll});
}

bool Frm_Reports::isLogReport() const
{
    return TypeofReport->text().startsWith(QLatin1String("Test Log"));
}

QString Frm_Reports::asOfDay() const
{
    const QString text = txt_asof->text().trimmed();
    if (text.isEmpty())
        return QStringLiteral("");
    QDate day = QDate::fromString(text, Qt::ISODate);
    if (!day.isValid())
        day = QLocale::c().toDate(text, QStringLiteral("dd MMM yyyy"));
    return day.isValid() ? day.toString(Qt::ISODate) : QString();
}

void Frm_Reports::setNamedParameter(const QString &name, const QString &value)
{
    const QList<ReportParameter> &declared = m_report->definition().parameters;
    for (int i = 0; i < declared.size(); ++i) {
        if (declared.at(i).name == name)
            m_report->setParameterValue(i + 1, value);
    }
}

void Frm_Reports::showBuildChoices()
{
    const bool log = TypeofReport->text() == QLatin1String("Test Log");
    const bool comparison = TypeofReport->text() == kBuildComparison;
    for (QWidget *w : std::initializer_list<QWidget *>{lbl_type, cmb_type, lbl_component, cmb_component, lbl_asof, txt_asof})
        w->setVisible(isLogReport());
    lbl_build->setVisible(log);
    cmb_build->setVisible(log);
    for (QWidget *w : {static_cast<QWidget *>(lbl_older), static_cast<QWidget *>(cmb_older),
                       static_cast<QWidget *>(lbl_newer), static_cast<QWidget *>(cmb_newer)})
        w->setVisible(comparison);
}

QString Frm_Reports::comparisonProblem() const
{
    if (m_builds.size() < 2)
        return QStringLiteral("This project has results for fewer than two builds.");
    if (cmb_older->text() == cmb_newer->text())
        return QStringLiteral("Pick two different builds to compare.");
    return QString();
}

void Frm_Reports::Command4_Click()
{
    const bool comparison = TypeofReport->text() == kBuildComparison;
    if (comparison) {
        // An empty comparison would look like "nothing changed".
        const QString problem = comparisonProblem();
        if (!problem.isEmpty()) {
            Ui::information(this, problem);
            (m_builds.size() < 2 ? static_cast<QWidget *>(cmb_prjid) : cmb_older)->setFocus();
            return;
        }
    }
    if (isLogReport() && asOfDay().isNull()) {
        Ui::information(this, QStringLiteral("Enter the \"As of\" date as yyyy-mm-dd, or leave it empty for today."));
        txt_asof->setFocus();
        return;
    }
    Frame5->hide();
    Picture5->hide();
    RptView->show();
    releaseReport();
    try {
        const QString file = reportFile(TypeofReport->text());
        if (!m_engine)
            m_engine = std::make_unique<ReportEngine>();
        m_report = m_engine->openReport(QDir(AppPaths::reportFolder()).filePath(file));
        m_report->discardReadRows();
        m_report->setDataSource(AppPaths::databaseFile());
        RptView->setReportSource(m_report.get());
        m_report->setPromptForParameters(false);
        m_report->clearParameter(1);
        m_report->setParameterValue(1, m_companyName);
        m_report->clearParameter(2);
        m_report->setParameterValue(2, cmb_prjid->text());
        if (comparison) {
            m_report->setParameterValue(3, cmb_older->text());
            m_report->setParameterValue(4, cmb_newer->text());
        } else if (TypeofReport->text() == QLatin1String("Test Log") && cmb_build->listIndex() > 0) {
            m_report->setParameterValue(3, cmb_build->text());
        }
        if (isLogReport()) {
            setNamedParameter(QStringLiteral("type"), cmb_type->listIndex() > 0 ? cmb_type->text() : QStringLiteral(""));
            setNamedParameter(QStringLiteral("component"),
                              cmb_component->listIndex() > 0 ? cmb_component->text() : QStringLiteral(""));
            setNamedParameter(QStringLiteral("asof"), asOfDay());
        }
        RptView->viewReport();
    } catch (...) {
        // A report that cannot be shown must not leave the user on an empty screen.
        showSelection();
        throw;
    }
    Cmdrepexit->show();
    placeExitButton();
    keys()->setCancelButton(Cmdrepexit);
    RptView->setFocus();
}

void Frm_Reports::Cmdrepexit_Click()
{
    TypeofReport->setListIndex(0);
    if (m_report)
        m_report->discardReadRows();
    showSelection();
}

void Frm_Reports::showSelection()
{
    RptView->hide();
    Cmdrepexit->hide();
    keys()->setCancelButton(nullptr);
    if (Frame5->isHidden())
        Frame5->show();
    if (Picture5->isHidden())
        Picture5->show();
    releaseReport();
}

void Frm_Reports::releaseReport()
{
    RptView->setReportSource(nullptr);
    m_report.reset();
}

void Frm_Reports::placeExitButton()
{
    Cmdrepexit->adjustSize();
    Cmdrepexit->move(width() - Cmdrepexit->width() - 6, 3);
    Cmdrepexit->raise();
    // The viewer's toolbar keeps its tools clear of the button over its right end.
    QToolBar *tools = RptView->toolBar();
    QMargins margins = tools->contentsMargins();
    margins.setRight(Cmdrepexit->width() + 12);
    tools->setContentsMargins(margins);
}

void Frm_Reports::resizeEvent(QResizeEvent *event)
{
    ChildWindow::resizeEvent(event);
    placeExitButton();
}
