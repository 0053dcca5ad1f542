// The drop-down's event rules, which every selector cascade depends on.
#include "datepicker.h"
#include "dropdown.h"
#include "windowtest.h"

#include <QLineEdit>
#include <QToolTip>
#include <QVBoxLayout>
#include <QSignalSpy>
#include <QtTest>

class TestDropDown : public QObject
{
    Q_OBJECT

private slots:
    void selectingFromCodeRaisesTheEventEvenForTheCurrentEntry();
    void aPickByTheUserRaisesTheEvent();
    void clearingRaisesNothingAndEmptiesTheText();
    void addingKeepsAlphabeticalOrderSelectsNothingAndRaisesNothing();
    void bulkAddingIsSortedAndQuiet();
    void settingTheEditTextRaisesNothing();
    void typingAnEntrysTextAndLeavingRaisesNothing();
    void selectEqualEntryComparesWithCase();
    void leavingTheBoxRaisesLostFocus();
    void pickOnlyListTakesOnlyItsEntries();
    void theWheelPicksOnlyWithTheFocus();
    void wideEnoughForItsLongestEntryUpTo50Characters();
};

void TestDropDown::selectingFromCodeRaisesTheEventEvenForTheCurrentEntry()
{
    DropDown box(DropDown::Kind::TypeOrPick, true);
    box.addEntries({"b", "a"});
    QSignalSpy clicks(&box, &DropDown::clicked);
    box.setListIndex(0);
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(box.text(), QStringLiteral("a"));
    box.setListIndex(0); // the same entry again
    QCOMPARE(clicks.count(), 2);
    box.setListIndex(5); // out of range: nothing
    QCOMPARE(clicks.count(), 2);
    QCOMPARE(box.listIndex(), 0);
}

void TestDropDown::aPickByTheUserRaisesTheEvent()
{
    DropDown box(DropDown::Kind::PickOnly, false);
    box.addEntries({"Fail", "Pass"});
    box.setListIndex(0);
    QVERIFY(showActive(&box));
    QSignalSpy clicks(&box, &DropDown::clicked);
    QTest::keyClick(&box, Qt::Key_Down);
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(box.text(), QStringLiteral("Pass"));
}

void TestDropDown::clearingRaisesNothingAndEmptiesTheText()
{
    DropDown box(DropDown::Kind::TypeOrPick, true);
    box.addEntries({"x", "y"});
    box.setListIndex(1);
    box.setText("typed");
    QSignalSpy clicks(&box, &DropDown::clicked);
    box.clearEntries();
    QCOMPARE(clicks.count(), 0);
    QCOMPARE(box.entryCount(), 0);
    QCOMPARE(box.text(), QString());
    QCOMPARE(box.listIndex(), -1);
}

void TestDropDown::addingKeepsAlphabeticalOrderSelectsNothingAndRaisesNothing()
{
    DropDown box(DropDown::Kind::TypeOrPick, true);
    QSignalSpy clicks(&box, &DropDown::clicked);
    for (const char *t : {"Major", "critical", "Minor", "Alpha", "10", "9"})
        box.addEntry(t);
    QCOMPARE(clicks.count(), 0);
    QCOMPARE(box.listIndex(), -1);
    QCOMPARE(box.text(), QString());
    QStringList order;
    for (int i = 0; i < box.entryCount(); ++i)
        order << box.entry(i);
    QCOMPARE(order, (QStringList{"10", "9", "Alpha", "critical", "Major", "Minor"}));

    // Adding to a box that shows a selection keeps that selection and its text.
    box.setListIndex(2);
    box.addEntry("Aardvark");
    QCOMPARE(box.text(), QStringLiteral("Alpha"));
    QCOMPARE(box.entry(box.listIndex()), QStringLiteral("Alpha"));
    QCOMPARE(clicks.count(), 1);
}

void TestDropDown::bulkAddingIsSortedAndQuiet()
{
    DropDown box(DropDown::Kind::PickOnly, true);
    QSignalSpy clicks(&box, &DropDown::clicked);
    box.addEntries({"P2", "p1", "P10"});
    QCOMPARE(clicks.count(), 0);
    QCOMPARE(box.listIndex(), -1);
    QCOMPARE(box.entry(0), QStringLiteral("p1"));
    QCOMPARE(box.entry(1), QStringLiteral("P10"));
    QCOMPARE(box.entry(2), QStringLiteral("P2"));

    DropDown fixed(DropDown::Kind::PickOnly, false);
    fixed.addEntries({"Critical", "Major", "Minor"});
    QCOMPARE(fixed.entry(0), QStringLiteral("Critical"));
    QCOMPARE(fixed.listIndex(), -1);
}

void TestDropDown::settingTheEditTextRaisesNothing()
{
    DropDown box(DropDown::Kind::TypeOrPick, true);
    box.addEntries({"a", "b"});
    QSignalSpy clicks(&box, &DropDown::clicked);
    box.setText("b"); // equal to an entry: still no selection event
    box.setText("new text");
    QCOMPARE(clicks.count(), 0);
    QCOMPARE(box.text(), QStringLiteral("new text"));
}

void TestDropDown::typingAnEntrysTextAndLeavingRaisesNothing()
{
    QWidget window;
    auto *box = new DropDown(DropDown::Kind::TypeOrPick, true, &window);
    auto *other = new QLineEdit(&window);
    other->move(0, 40);
    box->addEntries({"alpha", "beta"});
    box->setListIndex(0);
    QVERIFY(showActive(&window));
    box->setFocus();
    QSignalSpy clicks(box, &DropDown::clicked);
    box->lineEdit()->selectAll();
    QTest::keyClicks(box, "bet");
    QCOMPARE(box->text(), QStringLiteral("bet")); // no completion of the user's text
    QTest::keyClicks(box, "a");
    QTest::keyClick(box, Qt::Key_Return);
    other->setFocus();
    QCOMPARE(clicks.count(), 0);
    QCOMPARE(box->text(), QStringLiteral("beta"));
    QCOMPARE(box->listIndex(), 0); // the selection stays where the code put it
}

void TestDropDown::selectEqualEntryComparesWithCase()
{
    DropDown box(DropDown::Kind::TypeOrPick, true);
    box.addEntries({"GUI", "Gui"});
    QSignalSpy clicks(&box, &DropDown::clicked);
    QVERIFY(box.selectEqualEntry("Gui"));
    QCOMPARE(box.text(), QStringLiteral("Gui"));
    QCOMPARE(clicks.count(), 1);
    QVERIFY(!box.selectEqualEntry("gui"));
    QCOMPARE(box.text(), QStringLiteral("Gui"));
    QCOMPARE(clicks.count(), 1);
}

void TestDropDown::leavingTheBoxRaisesLostFocus()
{
    QWidget window;
    auto *box = new DropDown(DropDown::Kind::TypeOrPick, true, &window);
    auto *other = new QLineEdit(&window);
    other->move(0, 40);
    QVERIFY(showActive(&window));
    box->setFocus();
    QVERIFY(hasFocusIn(box));
    QSignalSpy lost(box, &DropDown::lostFocus);
    other->setFocus();
    QCOMPARE(lost.count(), 1);
    other->setFocus(); // focus moving elsewhere outside the box says nothing more
    QCOMPARE(lost.count(), 1);
    box->setFocus();
    box->clearFocus(); // focus going nowhere (the window closing, the program deactivated)
    QCOMPARE(lost.count(), 1);
}

void TestDropDown::pickOnlyListTakesOnlyItsEntries()
{
    DropDown box(DropDown::Kind::PickOnly, false);
    box.addEntries({"Fail", "Pass"});
    box.setText("Pass");
    QCOMPARE(box.text(), QStringLiteral("Pass"));
    box.setText("Maybe");
    QCOMPARE(box.text(), QStringLiteral("Pass"));
    QVERIFY(!box.isEditable());
}

void TestDropDown::theWheelPicksOnlyWithTheFocus()
{
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *box = new DropDown(DropDown::Kind::PickOnly, false);
    auto *date = new DatePicker;
    auto *other = new QLineEdit;
    layout->addWidget(box);
    layout->addWidget(date);
    layout->addWidget(other);
    box->addEntries({"Fail", "Pass"});
    box->setListIndex(0);
    const QDate day(2026, 3, 14);
    date->setDate(day);
    QVERIFY(showActive(&window));
    other->setFocus();
    QSignalSpy clicks(box, &DropDown::clicked);
    // True when the control took the turn; one it leaves goes on to what is around it.
    const auto turn = [](QWidget *w) {
        QWheelEvent down(QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)), {}, QPoint(0, -120), Qt::NoButton, {},
                         Qt::NoScrollPhase, false);
        QApplication::sendEvent(w, &down);
        return down.isAccepted();
    };

    // Passing over the controls changes nothing and takes no focus.
    QVERIFY(!turn(box));
    QVERIFY(!turn(date));
    QCOMPARE(box->text(), QStringLiteral("Fail"));
    QCOMPARE(date->date(), day);
    QCOMPARE(clicks.count(), 0);
    QVERIFY(!(box->focusPolicy() & Qt::WheelFocus & ~Qt::StrongFocus));
    QVERIFY(!(date->focusPolicy() & Qt::WheelFocus & ~Qt::StrongFocus));

    // With the focus the wheel picks, as the user chose.
    box->setFocus();
    QVERIFY(turn(box));
    QCOMPARE(box->text(), QStringLiteral("Pass"));
    QCOMPARE(clicks.count(), 1);
    date->setFocus();
    turn(date);
    QVERIFY(date->date() != day);
}

void TestDropDown::wideEnoughForItsLongestEntryUpTo50Characters()
{
    DropDown box(DropDown::Kind::TypeOrPick, true);
    const int empty = box.minimumSizeHint().width();
    const QString bank = "Mobile banking for retail customers";
    box.addEntries({"Web", bank});
    const QFontMetrics metrics = box.fontMetrics();
    QVERIFY(box.minimumSizeHint().width() >= metrics.horizontalAdvance(bank));

    const QString longest = QString(50, 'W');
    const QString tooLong = longest + QString(20, 'W');
    box.addEntry(tooLong);
    const int widest = box.minimumSizeHint().width();
    QVERIFY(widest >= metrics.horizontalAdvance(longest));
    QVERIFY(widest < metrics.horizontalAdvance(tooLong));
    const int at = box.findText(tooLong);
    QCOMPARE(box.itemData(at, Qt::ToolTipRole).toString(), tooLong);
    const auto tip = [&box] {
        QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), box.mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(&box, &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    QVERIFY(showActive(&box));
    box.setListIndex(at);
    QCOMPARE(tip(), tooLong);
    box.setListIndex(box.findText("Web"));
    tip();
    QTRY_VERIFY(!QToolTip::isVisible());

    box.clearEntries();
    QCOMPARE(box.minimumSizeHint().width(), empty);
}

QTEST_MAIN(TestDropDown)
#include "tst_dropdown.moc"
