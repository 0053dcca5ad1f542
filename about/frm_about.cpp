#include "frm_about.h"

#include "appicon.h"
#include "appversion.h"
#include "company.h"
#include "guard.h"
#include "windowkeys.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Every text here is shown as it is, never read as markup.
QLabel *plainLabel(const QString &text, const char *name, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    return label;
}

QFont serifSemiBold(const QFont &base)
{
    QFont font = base;
    font.setFamilies({QStringLiteral("Times New Roman"), QStringLiteral("DejaVu Serif"), QStringLiteral("serif")});
    font.setStyleHint(QFont::Serif);
    font.setPointSizeF(9);
    font.setWeight(QFont::DemiBold);
    return font;
}

} // namespace

Frm_About::Frm_About(TestingClass &con, QWidget *parent)
    : ChildWindow(parent)
    , con(con)
{
    setObjectName(QStringLiteral("Frm_About"));
    setWindowTitle(QStringLiteral("About Verolan"));

    lblCompany = plainLabel(QStringLiteral("Verolan Software"), "lblCompany", this);
    lblCompany->setAlignment(Qt::AlignCenter);
    lblCompany->setFont(serifSemiBold(font()));

    lblProductName = plainLabel(QStringLiteral("Verolan"), "lblProductName", this);
    lblProductName->setAlignment(Qt::AlignCenter);
    QFont productFont = font();
    productFont.setPointSizeF(21.75);
    productFont.setBold(true);
    lblProductName->setFont(productFont);

    lbl_about = plainLabel(QString(), "lbl_about", this);
    lbl_about->setAlignment(Qt::AlignCenter);

    Label1 = plainLabel(QStringLiteral("Do it well or not at all"), "Label1", this);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setFont(serifSemiBold(font()));
    Label1->setWordWrap(true);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(AppIcon::logo(123, 112));
    Image1->setFixedSize(123, 112);

    Label2 = plainLabel(QStringLiteral("Copyright \u00A9 2026 Verolan Software. All rights reserved."), "Label2",
                        this);
    Label2->setWordWrap(true);

    lblCopyright = plainLabel(QStringLiteral("www.verolan.example"), "lblCopyright", this);
    QFont underlined = lblCopyright->font();
    underlined.setUnderline(true);
    lblCopyright->setFont(underlined);

    // Four lines: the company's name and a multi-line address.
    Label4 = plainLabel(QString(), "Label4", this);
    Label4->setWordWrap(true);
    Label4->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label4->setFixedHeight(Label4->fontMetrics().lineSpacing() * 4);

    Command1 = new QPushButton(QStringLiteral("OK"), this);
    Command1->setObjectName(QStringLiteral("Command1"));

    auto *top = new QGridLayout;
    top->addWidget(lblCompany, 0, 0);
    top->addWidget(lblProductName, 1, 0);
    top->addWidget(lbl_about, 2, 0);
    top->addWidget(Image1, 0, 1, 3, 1, Qt::AlignRight | Qt::AlignTop);
    top->addWidget(Label1, 3, 1);
    top->setColumnStretch(0, 1);

    auto *layout = new QVBoxLayout(this);
    layout->setSpacing(points(3));
    layout->addLayout(top);
    layout->addWidget(Label2);
    layout->addWidget(lblCopyright);
    layout->addWidget(Label4);
    layout->addStretch();
    layout->addWidget(Command1, 0, Qt::AlignHCenter);

    setFixedSize(points(267), points(243));

    // Enter and Esc both close the box, as OK does.
    keys()->setDefaultButton(Command1);
    keys()->setCancelButton(Command1);

    onEvent(Command1, &QPushButton::clicked, this, &Frm_About::Command1_Click);
}

void Frm_About::Form_Load()
{
    // A fresh connection on every showing.
    if (con.cn.state() == StateOpen)
        con.cn.close();
    con.Conopen();

    Label4->clear();
    lbl_about->clear();
    const std::optional<CompanyDetails> company = readCompany(con.cn);
    if (!company)
        return; // no company stored: neither the company nor the version shows
    // The address is the row's second column.
    const QVariant address = companySecondColumn(con.cn);
    Label4->setText(company->name + QStringLiteral(",  ") + (address.isNull() ? QString() : address.toString()));
    lbl_about->setText(QStringLiteral("Version %1.%2").arg(kVersionMajor).arg(kVersionMinor));
}

void Frm_About::Command1_Click()
{
    closeWindow();
}
