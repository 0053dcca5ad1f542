#include "frm_companydetails.h"

#include "guard.h"
#include "savechecks.h"
#include "services.h"
#include "transaction.h"
#include "windowkeys.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kSelect = QStringLiteral("select * from Tqvjx_companydetails");

} // namespace

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
    txt_companyname->setMaxLength(50);
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
    if (rs.state() == 1)
        rs.close();
    rs.open(kSelect, {}, con.cn, LockType::Optimistic, QStringLiteral("Tqvjx_companydetails"));
    if (rs.recordCount() != 0) {
        rs.moveFirst();
        txt_companyname->setText(rs.fields(QStringLiteral("fqv_jx_companyname")).toString());
        RTB_Address->setText(rs.fields(QStringLiteral("fqv_jx_address")).toString());
    }
    rs.close();
}

void Frm_CompanyDetails::cmd_csave_Click()
{
    // Only the empty text is refused: a name of blanks is the user's to keep.
    SaveChecks check(this);
    if (!check.that(!txt_companyname->text().isEmpty(), txt_companyname, QStringLiteral("Company Name Can not be blank"))
             .passed())
        return;

    if (rs.state() == 1)
        rs.close();
    // The old row goes and the new one comes in one step: a failure between the
    // two must never leave the company without its row.
    Transaction transaction(con.cn);
    rs.open(kSelect, {}, con.cn, LockType::Optimistic, QStringLiteral("Tqvjx_companydetails"));
    if (rs.recordCount() != 0) {
        rs.moveFirst();
        rs.deleteCurrent();
    }
    rs.addNew();
    rs.setField(QStringLiteral("fqv_jx_companyname"), txt_companyname->text());
    rs.setField(QStringLiteral("fqv_jx_address"), RTB_Address->text());
    rs.update();
    transaction.commit();
    rs.close();
}

void Frm_CompanyDetails::cmd_ccancel_Click()
{
    closeWindow();
}
