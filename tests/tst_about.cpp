// The About window: fixed texts of our own, the user's company and the version.
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
    void fixedTextsAndLogo();
    void eachShowingReadsTheCompanyAgain();
};

void TestAbout::showsTheStoredCompanyAndVersion_data()
{
    QTest::addColumn<QString>("insert"); // empty: no company row
    QTest::addColumn<QString>("company");
    QTest::addColumn<bool>("versionShown");
    QTest::newRow("no company stored") << "" << "" << false;
    QTest::newRow("name and address") << "insert into Tqvjx_companydetails values ('Acme', '1 Main St')"
                                      << "Acme,  1 Main St" << true;
    QTest::newRow("multi-line address keeps its breaks")
        << "insert into Tqvjx_companydetails values ('Acme', '1 Main St' || char(10) || 'Springfield')"
        << "Acme,  1 Main St\nSpringfield" << true;
    QTest::newRow("empty address") << "insert into Tqvjx_companydetails values ('Acme', '')" << "Acme,  " << true;
    QTest::newRow("null address") << "insert into Tqvjx_companydetails values ('Acme', NULL)" << "Acme,  " << true;
    QTest::newRow("first of two rows")
        << "insert into Tqvjx_companydetails values ('First', 'a'), ('Second', 'b')" << "First,  a" << true;
    QTest::newRow("markup shown as typed")
        << "insert into Tqvjx_companydetails values ('<b>Bold</b> & Co', '<i>x</i>')" << "<b>Bold</b> & Co,  <i>x</i>"
        << true;
}

void TestAbout::showsTheStoredCompanyAndVersion()
{
    QFETCH(QString, insert);
    QFETCH(QString, company);
    QFETCH(bool, versionShown);
    TempDatabase db;
    ServiceRecorders services;
    if (!insert.isEmpty())
        db.exec(insert);
    TestingClass con;
    Frm_About w(con);
    w.Form_Load();

    QCOMPARE(w.Label4->text(), company);
    QCOMPARE(w.Label4->textFormat(), Qt::PlainText);
    const QString version = QStringLiteral("Version %1.%2").arg(kVersionMajor).arg(kVersionMinor);
    QCOMPARE(w.lbl_about->text(), versionShown ? version : QString());
    QVERIFY(services.messages->boxes.isEmpty());
}

void TestAbout::fixedTextsAndLogo()
{
    TempDatabase db;
    ServiceRecorders services;
    TestingClass con;
    Frm_About w(con);
    w.Form_Load();
    QCOMPARE(w.windowTitle(), QStringLiteral("About Verolan"));
    QCOMPARE(w.lblProductName->text(), QStringLiteral("Verolan"));
    QCOMPARE(w.Label1->text(), QStringLiteral("Do it well or not at all"));
    QCOMPARE(w.Command1->text(), QStringLiteral("OK"));
    for (QLabel *fixed : {w.lblCompany, w.Label2, w.lblCopyright})
        QVERIFY2(!fixed->text().isEmpty(), qPrintable(fixed->objectName()));
    QVERIFY(w.lblCopyright->font().underline());
    QCOMPARE(w.Image1->pixmap().size(), QSize(123, 112));
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
    QVERIFY(about);

    about->trigger();
    auto *w = qobject_cast<Frm_About *>(main.openWindow("mnuAbtUs"));
    QVERIFY(w);
    QCOMPARE(w->Label4->text(), QString());
    QCOMPARE(w->lbl_about->text(), QString());
    // Fixed size: no resizing, no maximizing.
    auto *sub = qobject_cast<QMdiSubWindow *>(w->parentWidget());
    QVERIFY(sub);
    QCOMPARE(sub->minimumSize(), sub->maximumSize());
    QVERIFY(!(sub->windowFlags() & Qt::WindowMaximizeButtonHint));
    // Everything fits: the OK button lies inside the window.
    QVERIFY(w->rect().contains(w->Command1->geometry()));

    QTest::mouseClick(w->Command1, Qt::LeftButton);
    QTRY_VERIFY(!main.openWindow("mnuAbtUs"));

    db.setCompany("Acme", "Street");
    about->trigger();
    w = qobject_cast<Frm_About *>(main.openWindow("mnuAbtUs"));
    QVERIFY(w);
    QCOMPARE(w->Label4->text(), QStringLiteral("Acme,  Street"));
    QVERIFY(!w->lbl_about->text().isEmpty());

    // Esc closes it too.
    QTest::keyClick(w, Qt::Key_Escape);
    QTRY_VERIFY(!main.openWindow("mnuAbtUs"));
    QVERIFY(services.messages->boxes.isEmpty());
}

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
