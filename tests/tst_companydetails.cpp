// The company details window: the one stored row, shown and replaced.
#include "frm_companydetails.h"
#include "mdi_main.h"
#include "recorders.h"
#include "tempdatabase.h"
#include "windows.h"
#include "windowtest.h"

#include <QAction>
#include <QPushButton>
#include <QtTest>
#include <memory>

namespace {

struct Fixture
{
    TempDatabase db;
    ServiceRecorders services;
    TestingClass con;
    std::unique_ptr<Frm_CompanyDetails> w;

    void load()
    {
        w = std::make_unique<Frm_CompanyDetails>(con);
        w->Form_Load();
        QVERIFY(showActive(w.get()));
    }

    void save() { QTest::mouseClick(w->cmd_csave, Qt::LeftButton); }

    QStringList stored() const
    {
        return db.rows("select fqv_jx_companyname, fqv_jx_address from Tqvjx_companydetails order by rowid");
    }
};

const QString kMultiLine = QStringLiteral("12 Harbour Road\nSuite 4\n\nPort Town");

} // namespace

class TestCompanyDetails : public QObject
{
    Q_OBJECT

private slots:
    void loadShowsTheStoredRow_data();
    void loadShowsTheStoredRow();
    void saveReplacesTheRow_data();
    void saveReplacesTheRow();
    void emptyNameIsRefused();
    void onlyTheFirstOfSeveralRowsIsReplaced();
    void failedWriteKeepsTheOldRow();
    void enterSavesAndEscClosesWithoutSaving();
};

void TestCompanyDetails::loadShowsTheStoredRow_data()
{
    QTest::addColumn<bool>("stored");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("address");
    QTest::newRow("nothing stored") << false << "" << "";
    QTest::newRow("multi-line address") << true << "Acme Testing" << kMultiLine;
    QTest::newRow("empty address") << true << "Acme" << "";
    QTest::newRow("quotes, markup and emoji") << true << QString::fromUtf8("O'Neil \"QA\" <b>%</b> 😀")
                                              << QString::fromUtf8("Straße 5\\n\nМосква");
}

void TestCompanyDetails::loadShowsTheStoredRow()
{
    QFETCH(bool, stored);
    QFETCH(QString, name);
    QFETCH(QString, address);
    Fixture f;
    if (stored)
        f.db.setCompany(name, address);
    f.load();
    QCOMPARE(f.w->windowTitle(), QStringLiteral("CompanyDetails"));
    QCOMPARE(f.w->txt_companyname->text(), name);
    QCOMPARE(f.w->RTB_Address->text(), address);
}

void TestCompanyDetails::saveReplacesTheRow_data()
{
    QTest::addColumn<bool>("storedBefore");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("address");
    QTest::newRow("first save adds the row") << false << "Acme" << kMultiLine;
    QTest::newRow("stored row replaced") << true << "New Name Ltd" << "1 New Street";
    QTest::newRow("name of blanks kept as typed") << true << "   " << "";
    QTest::newRow("blanks around the name kept") << true << "  Acme  " << "  indented\n  lines  ";
    QTest::newRow("quotes and sql") << true << "x'); delete from Tqvjx_companydetails; --" << "a\"b\\c 100%";
    QTest::newRow("non-latin and emoji") << true << QString::fromUtf8("株式会社 😀") << QString::fromUtf8("Ελλάδα");
}

void TestCompanyDetails::saveReplacesTheRow()
{
    QFETCH(bool, storedBefore);
    QFETCH(QString, name);
    QFETCH(QString, address);
    Fixture f;
    if (storedBefore)
        f.db.setCompany("Old Co", "Old Street\nOld Town");
    f.load();
    f.w->txt_companyname->setText(name);
    f.w->RTB_Address->setText(address);
    f.save();

    QVERIFY(f.services.messages->boxes.isEmpty());
    const QString row = name + '|' + address;
    QCOMPARE(f.stored(), QStringList{row});
    // The editors stay as they are, and the next load shows what was saved.
    QCOMPARE(f.w->txt_companyname->text(), name);
    f.load();
    QCOMPARE(f.w->txt_companyname->text(), name);
    QCOMPARE(f.w->RTB_Address->text(), address);

    // Saving again still leaves one row.
    f.save();
    QCOMPARE(f.stored(), QStringList{row});
}

void TestCompanyDetails::emptyNameIsRefused()
{
    Fixture f;
    f.db.setCompany("Acme", "Street");
    f.load();
    f.w->txt_companyname->clear();
    f.w->RTB_Address->setText("Other street");
    f.w->RTB_Address->setFocus();
    f.save();
    QCOMPARE(f.services.messages->texts(), QStringList{"Company Name Can not be blank"});
    QCOMPARE(f.services.messages->boxes.first().caption, QStringLiteral("Verolan"));
    QVERIFY(hasFocusIn(f.w->txt_companyname));
    QCOMPARE(f.stored(), QStringList{"Acme|Street"});
}

void TestCompanyDetails::onlyTheFirstOfSeveralRowsIsReplaced()
{
    Fixture f;
    f.db.exec("insert into Tqvjx_companydetails values ('First', 'a'), ('Second', 'b')");
    f.load();
    QCOMPARE(f.w->txt_companyname->text(), QStringLiteral("First"));
    f.w->txt_companyname->setText("Replaced");
    f.save();
    QCOMPARE(f.stored(), (QStringList{"Second|b", "Replaced|a"}));
}

void TestCompanyDetails::failedWriteKeepsTheOldRow()
{
    Fixture f;
    f.db.setCompany("Acme", "Old Street");
    f.load();
    // The old row is deleted first; the add of the new one then fails, as a full disk would.
    f.db.exec("create trigger refuse_add before insert on Tqvjx_companydetails "
              "begin select raise(abort, 'disk is full'); end");
    f.w->txt_companyname->setText("New Co");
    f.save();

    QCOMPARE(f.services.messages->boxes.size(), 1);
    QVERIFY2(f.services.messages->boxes.first().text.contains("disk is full"),
             qPrintable(f.services.messages->boxes.first().text));
    QCOMPARE(f.stored(), QStringList{"Acme|Old Street"});

    // Once the write goes through again, the next press saves.
    f.db.exec("drop trigger refuse_add");
    f.save();
    QCOMPARE(f.stored(), QStringList{"New Co|Old Street"});
}

void TestCompanyDetails::enterSavesAndEscClosesWithoutSaving()
{
    TempDatabase db;
    ServiceRecorders services;
    db.setCompany("Acme", "Street");
    mdi_main main;
    registerWindows(main);
    QVERIFY(main.MDIForm_Load());
    QVERIFY(showActive(&main));
    QAction *setup = main.findChild<QAction *>("setup");
    QVERIFY(setup);

    setup->trigger();
    auto *w = qobject_cast<Frm_CompanyDetails *>(main.openWindow("setup"));
    QVERIFY(w);
    QCOMPARE(w->txt_companyname->text(), QStringLiteral("Acme"));
    w->txt_companyname->setFocus();
    w->txt_companyname->selectAll();
    QTest::keyClicks(w->txt_companyname, "Beta");
    QTest::keyClick(w->txt_companyname, Qt::Key_Return);
    QCOMPARE(db.rows("select fqv_jx_companyname from Tqvjx_companydetails"), QStringList{"Beta"});

    // Enter in the address is a line break, not a save.
    w->RTB_Address->setFocus();
    w->RTB_Address->moveCursor(QTextCursor::End);
    QTest::keyClick(w->RTB_Address, Qt::Key_Return);
    QTest::keyClicks(w->RTB_Address, "Town");
    QCOMPARE(w->RTB_Address->text(), QStringLiteral("Street\nTown"));
    QCOMPARE(db.rows("select fqv_jx_address from Tqvjx_companydetails"), QStringList{"Street"});

    QTest::keyClick(w->RTB_Address, Qt::Key_Escape);
    QTRY_VERIFY(!main.openWindow("setup"));
    QCOMPARE(db.rows("select * from Tqvjx_companydetails"), QStringList{"Beta|Street"});

    // Shown again, it reads the stored row anew.
    setup->trigger();
    w = qobject_cast<Frm_CompanyDetails *>(main.openWindow("setup"));
    QVERIFY(w);
    QCOMPARE(w->RTB_Address->text(), QStringLiteral("Street"));
    QTest::mouseClick(w->cmd_ccancel, Qt::LeftButton);
    QTRY_VERIFY(!main.openWindow("setup"));
    QVERIFY(services.messages->boxes.isEmpty());
}

QTEST_MAIN(TestCompanyDetails)
#include "tst_companydetails.moc"
