// Odd texts in the company details window: only an empty name is refused; every
// other name and address is stored as typed and shows unchanged when the window
// opens again, in the About window and at the head of every report.
#include "badinput.h"
#include "frm_about.h"
#include "frm_companydetails.h"
#include "tempdatabase.h"
#include "testingclass.h"

#include <QLabel>

namespace {

struct Field
{
    FieldRule rule;
    const char *column;
};

const QList<Field> fields{
    {{"txt_companyname", 50, true, "Company Name Can not be blank", {}, true}, "fqv_jx_companyname"},
    {{"RTB_Address", 255, false, {}, {}}, "fqv_jx_address"},
};

} // namespace

class TestBadInputCompanyDetails : public QObject
{
    Q_OBJECT

private slots:
    void everyFieldTakesOrRefusesOddTexts_data();
    void everyFieldTakesOrRefusesOddTexts();
};

void TestBadInputCompanyDetails::everyFieldTakesOrRefusesOddTexts_data()
{
    addFieldRows(fields);
}

void TestBadInputCompanyDetails::everyFieldTakesOrRefusesOddTexts()
{
    QFETCH(int, field);
    QFETCH(QString, text);
    const Field &f = fields[field];

    TempDatabase db;
    copyReportDefinitions(db.folder());
    db.addProject("P1");
    db.setCompany("Old name", "Old address");
    ServiceRecorders services;
    TestingClass con;
    auto w = std::make_unique<Frm_CompanyDetails>(con);
    w->Form_Load();
    QVERIFY(showActive(w.get()));

    auto *control = w->findChild<QWidget *>(f.rule.control);
    QVERIFY(control);
    setTextOf(control, text);
    const QString entered = f.rule.boxCuts ? firstChars(text, f.rule.limit) : text;
    QCOMPARE(textOf(control), entered);

    std::optional<QString> saved;
    saveByRule(
        f.rule, control, entered, *services.messages, [&] { QTest::mouseClick(w->cmd_csave, Qt::LeftButton); },
        [&] { return int(db.rows("select * from Tqvjx_companydetails") != QStringList{"Old name|Old address"}); },
        saved);
    if (QTest::currentTestFailed())
        return;
    if (!saved) {
        QCOMPARE(db.rows("select * from Tqvjx_companydetails"), QStringList{"Old name|Old address"});
        return;
    }

    const QString name = f.column == QByteArray("fqv_jx_companyname") ? *saved : QStringLiteral("Old name");
    const QString address = f.column == QByteArray("fqv_jx_address") ? *saved : QStringLiteral("Old address");
    QCOMPARE(db.rows("select fqv_jx_companyname, fqv_jx_address from Tqvjx_companydetails"),
             QStringList{name + "|" + address});

    w = std::make_unique<Frm_CompanyDetails>(con);
    w->Form_Load();
    QCOMPARE(w->txt_companyname->text(), name);
    QCOMPARE(w->RTB_Address->text(), address);

    Frm_About about(con);
    about.Form_Load();
    QCOMPARE(about.Label4->text(), name + ",  " + address);

    const auto reports = generateReport(con, "P1", "Test Plan");
    QVERIFY(reports);
    QCOMPARE(reports->companyName(), name);
    QCOMPARE(reports->currentReport()->parameterValue(1), std::optional<QString>(name));
    QCOMPARE(reports->RptView->reportLayout()->heading, name);
}

QTEST_MAIN(TestBadInputCompanyDetails)
#include "tst_badinput_companydetails.moc"
