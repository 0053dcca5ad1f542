#include "frm_reports.h"

#include "apppaths.h"
#include "company.h"
#include "dropdown.h"
#include "guard.h"
#include "listfiller.h"
#include "projects.h"
#include "report.h"
#include "reportviewer.h"
#include "services.h"
#include "windowkeys.h"

#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
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
    , con(con)
{
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
    Label1->setBuddy(cmb_prjid);
    Label6->setBuddy(TypeofReport);

    TypeofReport->addEntries({QStringLiteral("Test Log"), QStringLiteral("Test Log - Failed Cases"),
                              QStringLiteral("Test Log - Passed Cases"), QStringLiteral("Test Plan")});

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
    frameLayout->addWidget(Command4, 2, 1, Qt::AlignRight);

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

    setTabOrder(TypeofReport, Command4);
    setTabOrder(Command4, cmb_prjid);

    RptView->hide();
    Cmdrepexit->hide();
    RptView->setFileChooser([](QWidget *parent, const QString &proposedName, const QString &filter) {
        return Services::fileDialogs().chooseFile(parent, proposedName, FileDialogService::Mode::Save, filter);
    });
    RptView->setErrorReporter([](QWidget *parent, const QString &text) { Ui::information(parent, text); });
    keys()->setDefaultButton(Command4);

    onEvent(Command4, &QPushButton::clicked, this, &Frm_Reports::Command4_Click);
    onEvent(Cmdrepexit, &QPushButton::clicked, this, &Frm_Reports::Cmdrepexit_Click);
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
}

void Frm_Reports::Command4_Click()
{
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
