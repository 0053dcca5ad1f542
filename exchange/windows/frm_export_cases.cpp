#include "frm_export_cases.h"

#include "casesexport.h"
#include "dropdown.h"
#include "exchangeerror.h"
#include "guard.h"
#include "listfiller.h"
#include "listrefresh.h"
#include "projects.h"
#include "services.h"
#include "testingclass.h"
#include "windowkeys.h"

#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

frm_export_cases::frm_export_cases(TestingClass &con, QWidget *parent)
    : ChildWindow(parent)
    , cmb_prjid(new DropDown(DropDown::Kind::PickOnly, true))
    , cmb_format(new DropDown(DropDown::Kind::PickOnly, false))
    , cmd_export(new QPushButton(QStringLiteral("&Export...")))
    , cmd_close(new QPushButton(QStringLiteral("&Close")))
    , con(con)
{
    setObjectName(QStringLiteral("frm_export_cases"));
    setWindowTitle(QStringLiteral("Export Test Cases"));
    cmb_prjid->setObjectName(QStringLiteral("cmb_prjid"));
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Project"), cmb_prjid);
    cmb_format->setObjectName(QStringLiteral("cmb_format"));
    cmb_format->addEntries({QStringLiteral("CSV file (.csv)"), QStringLiteral("Excel workbook (.xlsx)")});
    cmb_format->setCurrentIndex(0);
    form->addRow(QStringLiteral("Format"), cmb_format);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmd_export);
    buttons->addWidget(cmd_close);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    keys()->setDefaultButton(cmd_export);
    keys()->setCancelButton(cmd_close);
    onEvent(cmd_export, &QPushButton::clicked, this, &frm_export_cases::cmd_export_Click);
    onEvent(cmd_close, &QPushButton::clicked, this, &ChildWindow::closeWindow);
    (new ListRefresh(con.cn, this))->watch({QStringLiteral("qv_zr_projects")}, [this] {
        refreshDropDown(cmb_prjid, projectIds(this->con.cn));
    });
}

void frm_export_cases::Form_Load()
{
    if (con.cn.state() == StateClosed)
        con.Conopen();
    fillDropDown(cmb_prjid, projectIds(con.cn));
}

void frm_export_cases::cmd_export_Click()
{
    if (cmb_prjid->text().isEmpty())
        return;
    const bool workbook = cmb_format->listIndex() == 1;
    const QString suffix = workbook ? QStringLiteral("xlsx") : QStringLiteral("csv");
    std::optional<QString> path = Services::fileDialogs().chooseFile(
        this, cmb_prjid->text() + QLatin1Char('.') + suffix, FileDialogService::Mode::Save,
        workbook ? QStringLiteral("Excel workbook (*.xlsx)") : QStringLiteral("CSV files (*.csv)"));
    if (!path)
        return;
    if (QFileInfo(*path).suffix().isEmpty())
        *path += QLatin1Char('.') + suffix;
    try {
        exportCasesFile(con.cn, cmb_prjid->text(), *path, workbook ? CaseExportFormat::Workbook : CaseExportFormat::Csv);
    } catch (const ExchangeError &e) {
        Ui::information(this, e.message());
        return;
    }
    Ui::information(this, QStringLiteral("The test cases of %1 were written to %2.")
                              .arg(cmb_prjid->text(), QDir::toNativeSeparators(*path)));
}
