// The company details window: the one stored row, shown and replaced.
#include "frm_companydetails.h"
#include "mdi_main.h"
#include "windows.h"
#include "windowtest.h"

namespace {

struct Fixture : WindowOn<Frm_CompanyDetails>
{
    void save(const QString &name, const QString &address)
    {
        w->txt_companyname->setText(name);
        w->RTB_Address->setText(address);
        press(w->cmd_csave);
    }
    QStringList stored() const
    {
        return db.rows("select fqv_jx_companyname, fqv_jx_address from Tqvjx_companydetails order by rowid");
    }
    QString shown() const { return w->txt_companyname->text() + '|' + w->RTB_Address->text(); }
};

} // namespace

class TestCompanyDetails : public QObject
{
    Q_OBJECT

private slots:
    void saveReplacesTheRow_data();
    void saveReplacesTheRow();
    void onlyTheFirstOfSeveralRowsIsReplaced();
    void failedWriteKeepsTheOldRow();
    void enterSavesAndEscClosesWithoutSaving();
};

void TestCompanyDetails::saveReplacesTheRow_data()
{
    QTest::addColumn<bool>("storedBefore");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("address");
    QTest::newRow("first save adds the row") << false << "Acme" << "12 Harbour Road\nSuite 4\n\nPort Town";
    QTest::newRow("name of blanks, empty address") << true << "   " << "";
    QTest::newRow("blanks around kept") << true << "  Acme  " << "  indented\n  lines  ";
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
    QCOMPARE(f.shown(), QString(storedBefore ? "Old Co|Old Street\nOld Town" : "|"));
    f.save(name, address);
    QVERIFY(f.services.messages->boxes.isEmpty());
    QCOMPARE(f.stored(), QStringList{name + '|' + address});
    f.load(); // the next load shows what was saved
    QCOMPARE(f.shown(), name + '|' + address);
}

void TestCompanyDetails::onlyTheFirstOfSeveralRowsIsReplaced()
{
    Fixture f;
    f.db.exec("insert into Tqvjx_companydetails values ('First', 'a'), ('Second', 'b')");
    f.load();
    QCOMPARE(f.w->txt_companyname->text(), QStringLiteral("First"));
    f.save("Replaced", "a");
    QCOMPARE(f.stored(), (QStringList{"Second|b", "Replaced|a"}));
}

void TestCompanyDetails::failedWriteKeepsTheOldRow()
{
    Fixture f;
    f.db.setCompany("Acme", "Old Street");
    f.load();
    // The old row goes first; the add of the new one then fails, as a full disk would.
    f.db.exec("create trigger refuse_add before insert on Tqvjx_companydetails "
              "begin select raise(abort, 'disk is full'); end");
    f.save("New Co", "New Street");
    QCOMPARE(f.services.messages->boxes.size(), 1);
    QVERIFY(f.services.messages->boxes.first().text.contains("disk is full"));
    QCOMPARE(f.stored(), QStringList{"Acme|Old Street"});
    f.db.exec("drop trigger refuse_add");
    f.save("New Co", "New Street");
    QCOMPARE(f.stored(), QStringList{"New Co|New Street"});
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
    main.setup_Click();
    auto *w = qobject_cast<Frm_CompanyDetails *>(main.openWindow("setup"));
    QVERIFY(w);
    w->txt_companyname->setFocus();
    w->txt_companyname->selectAll();
    QTest::keyClicks(w->txt_companyname, "Beta");
    QTest::keyClick(w->txt_companyname, Qt::Key_Return);
    QCOMPARE(db.rows("select * from Tqvjx_companydetails"), QStringList{"Beta|Street"});
    // In the address Enter is a line break, not a save; Esc then drops the edit.
    w->RTB_Address->setFocus();
    w->RTB_Address->moveCursor(QTextCursor::End);
    QTest::keyClick(w->RTB_Address, Qt::Key_Return);
    QTest::keyClicks(w->RTB_Address, "Town");
    QCOMPARE(w->RTB_Address->text(), QStringLiteral("Street\nTown"));
    QTest::keyClick(w->RTB_Address, Qt::Key_Escape);
    QTRY_VERIFY(!main.openWindow("setup"));
    QCOMPARE(db.rows("select * from Tqvjx_companydetails"), QStringList{"Beta|Street"});
    QVERIFY(services.messages->boxes.isEmpty());
}

QTEST_MAIN(TestCompanyDetails)
#include "tst_companydetails.moc"
