// The About window: the user's company and the version, read on every showing.
#include "appversion.h"
#include "frm_about.h"
#include "mdi_main.h"
#include "recorders.h"
#include "tempdatabase.h"
#include "windows.h"
#include "windowtest.h"

#include <QAction>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QtTest>

class TestAbout : public QObject
{
    Q_OBJECT

private slots:
    void showsTheStoredCompanyAndVersion_data();
    void showsTheStoredCompanyAndVersion();
    void eachShowingReadsTheCompanyAgain();
};

void TestAbout::showsTheStoredCompanyAndVersion_data()
{
    QTest::addColumn<QString>("rows"); // values for the company table; empty: none stored
    QTest::addColumn<QString>("company");
    QTest::newRow("no company stored") << "" << "";
    QTest::newRow("multi-line address") << "('Acme', '1 Main St' || char(10) || 'Springfield')"
                                        << "Acme,  1 Main St\nSpringfield";
    QTest::newRow("empty address") << "('Acme', '')" << "Acme,  ";
    QTest::newRow("null address") << "('Acme', NULL)" << "Acme,  ";
    QTest::newRow("first of two rows") << "('First', 'a'), ('Second', 'b')" << "First,  a";
    QTest::newRow("markup shown as typed") << "('<b>Bold</b> & Co', '<i>x</i>')" << "<b>Bold</b> & Co,  <i>x</i>";
}

void TestAbout::showsTheStoredCompanyAndVersion()
{
    QFETCH(QString, rows);
    QFETCH(QString, company);
    TempDatabase db;
    ServiceRecorders services;
    if (!rows.isEmpty())
        db.exec("insert into Tqvjx_companydetails values " + rows);
    TestingClass con;
    Frm_About w(con);
    w.Form_Load();

    QCOMPARE(w.Label4->text(), company);
    QCOMPARE(w.Label4->textFormat(), Qt::PlainText);
    // The version shows only beside a stored company.
    const QString version = QStringLiteral("Version %1.%2").arg(kVersionMajor).arg(kVersionMinor);
    QCOMPARE(w.lbl_about->text(), rows.isEmpty() ? QString() : version);
    QVERIFY(services.messages->boxes.isEmpty());
}

void TestAbout::eachShowingReadsTheCompanyAgain()
{
    TempDatabase db;
    ServiceRecorders services;
    mdi_main main;
    registerWindows(main);
    QVERIFY(main.MDIForm_Load());
    QVERIFY(showActive(&main));
    QAction *about = main.findChild<QAction *>("mnuAbtUs");

    about->trigger();
    auto *w = qobject_cast<Frm_About *>(main.openWindow("mnuAbtUs"));
    QVERIFY(w);
    QCOMPARE(w->windowTitle(), QStringLiteral("About Verolan"));
    QCOMPARE(w->Label4->text(), QString());
    auto *sub = qobject_cast<QMdiSubWindow *>(w->parentWidget());
    QCOMPARE(sub->minimumSize(), sub->maximumSize()); // fixed size
    QVERIFY(w->rect().contains(w->Command1->geometry()));
    QTest::mouseClick(w->Command1, Qt::LeftButton);
    QTRY_VERIFY(!main.openWindow("mnuAbtUs"));

    db.setCompany("Acme", "Street");
    about->trigger();
    w = qobject_cast<Frm_About *>(main.openWindow("mnuAbtUs"));
    QVERIFY(w);
    QCOMPARE(w->Label4->text(), QStringLiteral("Acme,  Street"));
    QTest::keyClick(w, Qt::Key_Escape);
    QTRY_VERIFY(!main.openWindow("mnuAbtUs"));
    QVERIFY(services.messages->boxes.isEmpty());
}

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
