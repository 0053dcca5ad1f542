// Text boxes and window keys: limits that hold for pasted text, the key filter,
// select on focus, and the default and cancel buttons.
#include "childwindow.h"
#include "textbox.h"
#include "windowkeys.h"
#include "windowtest.h"

#include <QCheckBox>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

namespace {

struct PlainWindow : ChildWindow
{
    Placement placement() const override { return Placement::Normal; }
    void Form_Load() override {}
};

// Digits and one point, as the project size box takes them.
void digitsAndOnePoint(TextBox &box)
{
    box.setKeyPressHandler([&box](int &key) {
        const bool point = key == '.' && !box.text().contains(QLatin1Char('.'));
        if (!point && key != 8 && (key < '0' || key > '9'))
            key = 0;
    });
}

} // namespace

class TestTextBox : public QObject
{
    Q_OBJECT

private slots:
    void maxLengthHoldsForTypingAndPasting();
    void multiLineMaxLengthHoldsForPasting();
    void limitsCountCharactersAndKeepThemWhole_data();
    void limitsCountCharactersAndKeepThemWhole();
    void keyHandlerDiscardsWhatItZeroes();
    void filteredBoxFiltersEveryWayTextArrives_data();
    void filteredBoxFiltersEveryWayTextArrives();
    void focusSelectsTheTrimmedLengthOrTheWholeText();
    void blankMeansNothingLeftAfterTrimming();
    void enterPressesTheDefaultButtonButNotInAMultiLineBox();
    void enterOnAFocusedButtonPressesThatButton();
    void escapePressesTheCancelButton();
    void displayOnlyBoxesTakeNeitherTypingNorFocus();
};

void TestTextBox::maxLengthHoldsForTypingAndPasting()
{
    TextBox box;
    box.setMaxLength(8);
    QVERIFY(showActive(&box));
    QTest::keyClicks(&box, "1234567890");
    QCOMPARE(box.text(), QStringLiteral("12345678"));
    box.clear();
    QApplication::clipboard()->setText("abcdefghijkl");
    box.paste();
    QCOMPARE(box.text(), QStringLiteral("abcdefgh"));
}

void TestTextBox::multiLineMaxLengthHoldsForPasting()
{
    MultiLineTextBox box;
    box.setMaxLength(10);
    QVERIFY(showActive(&box));
    QTest::keyClicks(&box, "hello");
    QApplication::clipboard()->setText("0123456789");
    box.paste();
    QCOMPARE(box.text(), QStringLiteral("hello01234"));
    QTest::keyClicks(&box, "zz");
    QCOMPARE(box.text(), QStringLiteral("hello01234"));
    box.setText(QString(300, QLatin1Char('x')));
    QCOMPARE(box.text().size(), 10);
}

void TestTextBox::limitsCountCharactersAndKeepThemWhole_data()
{
    QTest::addColumn<bool>("multiLine");
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("cursor");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("after");
    for (bool multiLine : {false, true}) {
        const char *kind = multiLine ? "multi-line" : "one-line";
        QTest::addRow("%s: emoji fill the limit", kind) << multiLine << "a" << 1 << "🐞🐞" << "a🐞🐞";
        QTest::addRow("%s: the emoji past the limit goes whole", kind) << multiLine << "ab" << 2 << "🐞🐞" << "ab🐞";
        QTest::addRow("%s: pasted in the middle", kind) << multiLine << "ac" << 1 << "🐞🐞" << "a🐞c";
        QTest::addRow("%s: a full box takes nothing more", kind) << multiLine << "a🐞c" << 1 << "x" << "a🐞c";
    }
}

void TestTextBox::limitsCountCharactersAndKeepThemWhole()
{
    QFETCH(bool, multiLine);
    QFETCH(QString, before);
    QFETCH(int, cursor);
    QFETCH(QString, pasted);
    QFETCH(QString, after);
    TextBox line;
    MultiLineTextBox lines;
    line.setMaxLength(3);
    lines.setMaxLength(3);
    QWidget *box = multiLine ? static_cast<QWidget *>(&lines) : &line;
    QVERIFY(showActive(box));
    QApplication::clipboard()->setText(pasted);
    if (multiLine) {
        lines.setText(before);
        lines.setSelection(cursor, 0);
        lines.paste();
        QCOMPARE(lines.text(), after);
    } else {
        line.setText(before);
        line.setCursorPosition(cursor);
        line.paste();
        QCOMPARE(line.text(), after);
    }
}

void TestTextBox::keyHandlerDiscardsWhatItZeroes()
{
    TextBox box;
    QList<int> seen;
    box.setKeyPressHandler([&](int &key) {
        seen << key;
        if (key >= '0' && key <= '9')
            return;
        if (key == 8)
            return;
        key = 0;
    });
    QVERIFY(showActive(&box));
    QTest::keyClicks(&box, "1a2-");
    QCOMPARE(box.text(), QStringLiteral("12"));
    QTest::keyClick(&box, Qt::Key_Backspace);
    QCOMPARE(box.text(), QStringLiteral("1"));
    QApplication::clipboard()->setText("999");
    QTest::keyClick(&box, Qt::Key_V, Qt::ControlModifier); // a control key, refused by the handler
    QCOMPARE(box.text(), QStringLiteral("1"));
    QVERIFY(seen.contains(22));
    QTest::keyClick(&box, Qt::Key_Left); // keys that type nothing never reach the handler
    QCOMPARE(seen.size(), 6);
}

void TestTextBox::filteredBoxFiltersEveryWayTextArrives_data()
{
    QTest::addColumn<QString>("way");
    for (const char *way : {"Shift+Insert", "menu paste", "middle button", "drop", "input method"})
        QTest::newRow(way) << QString(way);
}

void TestTextBox::filteredBoxFiltersEveryWayTextArrives()
{
    QFETCH(QString, way);
    TextBox box;
    box.setMaxLength(8);
    digitsAndOnePoint(box);
    QVERIFY(showActive(&box));
    QTest::keyClicks(&box, "1");
    const QString arriving = "2a.b-3.4 5";
    QClipboard *clipboard = QApplication::clipboard();
    if (way == "Shift+Insert") {
        clipboard->setText(arriving);
        QTest::keyClick(&box, Qt::Key_Insert, Qt::ShiftModifier);
    } else if (way == "menu paste") {
        clipboard->setText(arriving);
        box.paste();
    } else if (way == "middle button") {
        if (!clipboard->supportsSelection())
            QSKIP("this platform has no selection to paste");
        clipboard->setText(arriving, QClipboard::Selection);
        QTest::mouseClick(&box, Qt::MiddleButton, {}, QPoint(box.width() - 4, box.height() / 2));
    } else if (way == "drop") {
        QMimeData mime;
        mime.setText(arriving);
        const QPointF at(box.width() - 4, box.height() / 2);
        QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(&box, &enter);
        QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(&box, &drop);
    } else {
        QInputMethodEvent compose;
        compose.setCommitString(arriving);
        QApplication::sendEvent(&box, &compose);
    }
    QCOMPARE(box.text(), QStringLiteral("12.345"));

    // Text set from code is not filtered (a list row's text goes in as shown).
    box.setText(" ");
    QCOMPARE(box.text(), QStringLiteral(" "));
}

void TestTextBox::focusSelectsTheTrimmedLengthOrTheWholeText()
{
    QWidget window;
    auto *trimmed = new TextBox(&window);
    auto *whole = new TextBox(&window);
    auto *multi = new MultiLineTextBox(&window);
    whole->move(0, 30);
    multi->move(0, 60);
    trimmed->setFocusSelect(FocusSelect::TrimmedLength);
    whole->setFocusSelect(FocusSelect::WholeText);
    multi->setFocusSelect(FocusSelect::TrimmedLength);
    trimmed->setText("  ab  ");
    whole->setText("  ab  ");
    multi->setText("x y ");
    QVERIFY(showActive(&window));
    trimmed->setFocus();
    QCOMPARE(trimmed->selectionStart(), 0);
    QCOMPARE(trimmed->selectedText(), QStringLiteral("  "));
    whole->setFocus();
    QCOMPARE(whole->selectedText(), QStringLiteral("  ab  "));
    multi->setFocus();
    QCOMPARE(multi->selectedText(), QStringLiteral("x y"));
}

void TestTextBox::blankMeansNothingLeftAfterTrimming()
{
    QVERIFY(isBlank(""));
    QVERIFY(isBlank("   "));
    QVERIFY(!isBlank(" a "));
    QCOMPARE(trimmedLength("  ab "), 2);
}

void TestTextBox::enterPressesTheDefaultButtonButNotInAMultiLineBox()
{
    QWidget window;
    auto *line = new TextBox(&window);
    auto *multi = new MultiLineTextBox(&window);
    auto *save = new QPushButton("&Save", &window);
    multi->move(0, 30);
    save->move(0, 120);
    WindowKeys keys(&window);
    keys.setDefaultButton(save);
    QSignalSpy pressed(save, &QPushButton::clicked);
    QVERIFY(showActive(&window));
    line->setFocus();
    QTest::keyClick(line, Qt::Key_Return);
    QCOMPARE(pressed.count(), 1);
    multi->setFocus();
    QTest::keyClicks(multi, "a");
    QTest::keyClick(multi, Qt::Key_Return);
    QTest::keyClicks(multi, "b");
    QCOMPARE(pressed.count(), 1);
    QCOMPARE(multi->text(), QStringLiteral("a\nb"));
}

void TestTextBox::enterOnAFocusedButtonPressesThatButton()
{
    PlainWindow window;
    auto *line = new TextBox(&window);
    auto *save = new QPushButton("&Save", &window);
    auto *cancel = new QPushButton("&Cancel", &window);
    auto *option = new QCheckBox("&Option", &window);
    save->move(0, 30);
    cancel->move(0, 60);
    option->move(0, 90);
    QSignalSpy saved(save, &QPushButton::clicked);
    QSignalSpy cancelled(cancel, &QPushButton::clicked);

    // No default button: Enter on a focused button presses it all the same.
    QVERIFY(showActive(&window));
    cancel->setFocus();
    QTest::keyClick(cancel, Qt::Key_Return);
    QCOMPARE(cancelled.count(), 1);

    window.keys()->setDefaultButton(save);
    QTest::keyClick(cancel, Qt::Key_Return);
    QTest::keyClick(cancel, Qt::Key_Enter, Qt::KeypadModifier);
    QTest::keyClick(cancel, Qt::Key_Space);
    QCOMPARE(cancelled.count(), 4);
    QCOMPARE(saved.count(), 0);
    option->setFocus();
    QTest::keyClick(option, Qt::Key_Return); // a check box is a button too: never the default's
    QCOMPARE(saved.count(), 0);
    line->setFocus();
    QTest::keyClick(line, Qt::Key_Return);
    QCOMPARE(saved.count(), 1);
}

void TestTextBox::escapePressesTheCancelButton()
{
    QWidget window;
    auto *line = new TextBox(&window);
    auto *close = new QPushButton("&Close", &window);
    close->move(0, 40);
    WindowKeys keys(&window);
    keys.setCancelButton(close);
    QSignalSpy pressed(close, &QPushButton::clicked);
    QVERIFY(showActive(&window));
    line->setFocus();
    QTest::keyClick(line, Qt::Key_Escape);
    QCOMPARE(pressed.count(), 1);
}

void TestTextBox::displayOnlyBoxesTakeNeitherTypingNorFocus()
{
    QWidget window;
    auto *first = new TextBox(&window);
    auto *shown = new TextBox(&window);
    auto *multi = new MultiLineTextBox(&window);
    shown->setDisplayOnly(true);
    multi->setDisplayOnly(true);
    shown->setText("size");
    QVERIFY(showActive(&window));
    first->setFocus();
    QTest::keyClick(first, Qt::Key_Tab);
    QVERIFY(!shown->hasFocus());
    QVERIFY(!multi->hasFocus());
    QTest::keyClicks(shown, "x");
    QCOMPARE(shown->text(), QStringLiteral("size"));
}

QTEST_MAIN(TestTextBox)
#include "tst_textbox.moc"
