#include "frm_companydetails.h"

#include "company.h"
#include "guard.h"
#include "savechecks.h"
#include "services.h"
#include "windowkeys.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

Frm_CompanyDetails::Frm_CompanyDetails(TestingClass &con, QWidget *parent)
    : ChildWindow(parent)
    , con(con)
{
    setObjectName(QStringLiteral("Frm_CompanyDetails"));
    setWindowTitle(QStringLiteral("CompanyDetails"));

    Frame1 = new QGroupBox(QStringLiteral("Company Details"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));

    txt_companyname = new TextBox(Frame1);
    txt_companyname->setObjectName(QStringLiteral("txt_companyname"));
    txt_companyname->setMaxLength(fieldLimit(Field::CompanyName));
    txt_companyname->setMinimumWidth(points(220));

    RTB_Address = new MultiLineTextBox(Frame1);
    RTB_Address->setObjectName(QStringLiteral("RTB_Address"));
    RTB_Address->setMinimumSize(points(220), points(90));

    Label1 = new QLabel(QStringLiteral("CompanyName"), Frame1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setBuddy(txt_companyname);
    Label2 = new QLabel(QStringLiteral("Address"), Frame1);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setBuddy(RTB_Address);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto *fields = new QGridLayout(Frame1);
    fields->addWidget(Label1, 0, 0);
    fields->addWidget(txt_companyname, 0, 1);
    fields->addWidget(Label2, 1, 0);
    fields->addWidget(RTB_Address, 1, 1);
    fields->setRowStretch(1, 1);

    Frame2 = new QGroupBox(this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    cmd_csave = new QPushButton(QStringLiteral("&Save"), Frame2);
    cmd_csave->setObjectName(QStringLiteral("cmd_csave"));
    cmd_ccancel = new QPushButton(QStringLiteral("&Close"), Frame2);
    cmd_ccancel->setObjectName(QStringLiteral("cmd_ccancel"));
    auto *buttons = new QHBoxLayout(Frame2);
    buttons->addStretch();
    buttons->addWidget(cmd_csave);
    buttons->addWidget(cmd_ccancel);
    buttons->addStretch();

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Frame1, 1);
    layout->addWidget(Frame2);

    setTabOrder(txt_companyname, RTB_Address);
    setTabOrder(RTB_Address, cmd_csave);
    setTabOrder(cmd_csave, cmd_ccancel);

    keys()->setDefaultButton(cmd_csave);
    keys()->setCancelButton(cmd_ccancel);

    onEvent(cmd_csave, &QPushButton::clicked, this, &Frm_CompanyDetails::cmd_csave_Click);
    onEvent(cmd_ccancel, &QPushButton::clicked, this, &Frm_CompanyDetails::cmd_ccancel_Click);
}

void Frm_CompanyDetails::Form_Load()
{
    con.Conopen();
    readCompanyAgain();
}

void Frm_CompanyDetails::readCompanyAgain()
{
    const auto stored = readCompany(con.cn);
    m_asRead = stored ? stored->asRead : std::nullopt;
    if (stored) {
        txt_companyname->setText(stored->name);
        RTB_Address->setText(stored->address);
    }
}

void Frm_CompanyDetails::cmd_csave_Click()
{
    const QString name = txt_companyname->text();
    const QString address = RTB_Address->text();
    const SaveResult saved = saveCompany(con.cn, {name, address, m_asRead});
    if (const auto &problem = saved.problem)
        return showRefusal(this, txt_companyname, problem->message, problem->cutText);
    if (saved.outcome == SaveResult::Stale) {
        readCompanyAgain();
        return Ui::information(this, QStringLiteral("The company details were changed by someone else since you "
                                                    "opened them; they have been read again."));
    }
    // What it wrote is what it read from now on.
    m_asRead = QVariantList{name, address};
}

void Frm_CompanyDetails::cmd_ccancel_Click()
{
    closeWindow();
}
