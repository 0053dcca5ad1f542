// The controls every window is built from: the drop-down's selection event,
// text boxes whose limits and key filter hold however text arrives, the keys
// of a window, and the record list's sort, rows and column widths.
#include "childwindow.h"
#include "datepicker.h"
#include "windowkeys.h"
#include "windowtest.h"

#include <QCheckBox>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QSignalSpy>
#include <QToolTip>
#include <QVBoxLayout>

namespace {

struct PlainWindow : ChildWindow
{
    Placement placement() const override { return Placement::Normal; }
    void Form_Load() override {}
};

// A window holding the controls one under another, shown and active.
std::unique_ptr<QWidget> windowWith(const QList<QWidget *> &controls, QWidget *window = new QWidget)
{
    auto *layout = new QVBoxLayout(window);
    for (QWidget *c : controls)
        layout->addWidget(c);
    if (!showActive(window))
        qWarning("the window did not become active");
    return std::unique_ptr<QWidget>(window);
}

QList<ListRow> numbered(int n)
{
    QList<ListRow> rows;
    for (int i = 1; i <= n; ++i)
        rows.append({{QString::number(i), QStringLiteral("row %1").arg(i)}, i});
    return rows;
}

} // namespace

class TestControls : public QObject
{
    Q_OBJECT

private slots:
    void onlyAPickRaisesTheSelectionEvent();
    void entriesStandInAlphabeticalOrderCaseIgnored();
    void typingAnEntrysTextAndLeavingRaisesNothing();
    void leavingTheBoxRaisesLostFocusOnce();
    void theWheelPicksOnlyWithTheFocus();
    void wideEnoughForItsLongestEntryUpTo50Characters();
    void limitsHoldForTypingAndPasting();
    void limitsCountCharactersAndKeepThemWhole_data();
    void limitsCountCharactersAndKeepThemWhole();
    void keyHandlerDiscardsWhatItZeroes();
    void filteredBoxFiltersEveryWayTextArrives_data();
    void filteredBoxFiltersEveryWayTextArrives();
    void focusSelectsAndDisplayOnlyBoxesTakeNoFocus();
    void enterAndEscapePressTheWindowsButtons();
    void listSortComparesTextAndStaysInForce();
    void columnsShareTheSpareWidthAndNeverCutTheirHeaders();
};

// A pick by the user or from code raises clicked(), even for the current entry;
// clearing, adding and setting the text raise nothing.
void TestControls::onlyAPickRaisesTheSelectionEvent()
{
    DropDown box(DropDown::Kind::TypeOrPick, true);
    QSignalSpy clicks(&box, &DropDown::clicked);
    box.addEntries({"x", "y"});
    box.addEntry("w");
    QCOMPARE(box.listIndex(), -1);
    box.setText("y"); // equal to an entry: still no selection event
    box.setText("typed");
    QCOMPARE(box.text(), QStringLiteral("typed"));
    box.clearEntries();
    QCOMPARE(clicks.count(), 0);
    QCOMPARE(box.entryCount() + box.listIndex(), -1);
    QCOMPARE(box.text(), QString());
    box.addEntries({"GUI", "Gui", "b"});
    box.setListIndex(0);
    box.setListIndex(0); // the same entry again
    box.setListIndex(5); // out of range: nothing
    QCOMPARE(clicks.count(), 2);
    box.addEntry("Aardvark"); // the selection and its text stay
    QCOMPARE(box.text(), QStringLiteral("b"));
    QCOMPARE(box.entry(box.listIndex()), QStringLiteral("b"));
    QVERIFY(box.selectEqualEntry("Gui"));
    QVERIFY(!box.selectEqualEntry("gui")); // case counts
    QCOMPARE(box.text(), QStringLiteral("Gui"));
    QCOMPARE(clicks.count(), 3);
    DropDown list(DropDown::Kind::PickOnly, false);
    list.addEntries({"Fail", "Pass"});
    list.setText("Maybe"); // a pick-only list takes only its entries
    QCOMPARE(list.listIndex(), -1);
    list.setText("Fail");
    QVERIFY(showActive(&list));
    QSignalSpy picks(&list, &DropDown::clicked);
    QTest::keyClick(&list, Qt::Key_Down);
    QCOMPARE(picks.count(), 1);
    QCOMPARE(list.text(), QStringLiteral("Pass"));
}

void TestControls::entriesStandInAlphabeticalOrderCaseIgnored()
{
    DropDown one(DropDown::Kind::TypeOrPick, true);
    for (const char *t : {"Major", "critical", "Minor", "Alpha", "10", "9"})
        one.addEntry(t);
    QCOMPARE(entries(&one), (QStringList{"10", "9", "Alpha", "critical", "Major", "Minor"}));
    DropDown bulk(DropDown::Kind::PickOnly, true);
    bulk.addEntries({"P2", "p1", "P10"});
    QCOMPARE(entries(&bulk), (QStringList{"p1", "P10", "P2"}));
    DropDown fixed(DropDown::Kind::PickOnly, false);
    fixed.addEntries({"Minor", "Critical"});
    QCOMPARE(entries(&fixed), (QStringList{"Minor", "Critical"}));
}

void TestControls::typingAnEntrysTextAndLeavingRaisesNothing()
{
    auto *box = new DropDown(DropDown::Kind::TypeOrPick, true);
    auto *other = new QLineEdit;
    box->addEntries({"alpha", "beta"});
    box->setListIndex(0);
    const auto window = windowWith({box, other});
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

void TestControls::leavingTheBoxRaisesLostFocusOnce()
{
    auto *box = new DropDown(DropDown::Kind::TypeOrPick, true);
    auto *other = new QLineEdit;
    const auto window = windowWith({box, other});
    box->setFocus();
    QSignalSpy lost(box, &DropDown::lostFocus);
    other->setFocus();
    other->setFocus(); // focus moving elsewhere outside the box says nothing more
    box->setFocus();
    box->clearFocus(); // focus going nowhere (the window closing, the program deactivated)
    QCOMPARE(lost.count(), 1);
}

void TestControls::theWheelPicksOnlyWithTheFocus()
{
    auto *box = new DropDown(DropDown::Kind::PickOnly, false);
    auto *date = new DatePicker;
    auto *other = new QLineEdit;
    box->addEntries({"Fail", "Pass"});
    box->setListIndex(0);
    const QDate day(2026, 3, 14);
    date->setDate(day);
    const auto window = windowWith({box, date, other});
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
    QVERIFY(!turn(box) && !turn(date));
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

void TestControls::wideEnoughForItsLongestEntryUpTo50Characters()
{
    DropDown box(DropDown::Kind::TypeOrPick, true);
    const int empty = box.minimumSizeHint().width();
    const QString bank = "Mobile banking for retail customers";
    box.addEntries({"Web", bank});
    const QFontMetrics metrics = box.fontMetrics();
    QVERIFY(box.minimumSizeHint().width() >= metrics.horizontalAdvance(bank));
    const QString tooLong = QString(70, 'W');
    box.addEntry(tooLong);
    QVERIFY(box.minimumSizeHint().width() >= metrics.horizontalAdvance(QString(50, 'W')));
    QVERIFY(box.minimumSizeHint().width() < metrics.horizontalAdvance(tooLong));
    // A longer entry shows whole in a tooltip.
    const auto tip = [&box] {
        QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), box.mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(&box, &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    QVERIFY(showActive(&box));
    box.setListIndex(box.findText(tooLong));
    QCOMPARE(tip(), tooLong);
    box.setListIndex(box.findText("Web"));
    tip();
    QTRY_VERIFY(!QToolTip::isVisible());
    box.clearEntries();
    QCOMPARE(box.minimumSizeHint().width(), empty);
}

void TestControls::limitsHoldForTypingAndPasting()
{
    auto *line = new TextBox;
    auto *lines = new MultiLineTextBox;
    line->setMaxLength(8);
    lines->setMaxLength(10);
    const auto window = windowWith({line, lines});
    QTest::keyClicks(line, "1234567890");
    QCOMPARE(line->text(), QStringLiteral("12345678"));
    line->clear();
    QApplication::clipboard()->setText("abcdefghijkl");
    line->paste();
    QCOMPARE(line->text(), QStringLiteral("abcdefgh"));
    QTest::keyClicks(lines, "hello");
    QApplication::clipboard()->setText("0123456789");
    lines->paste();
    QTest::keyClicks(lines, "zz");
    QCOMPARE(lines->text(), QStringLiteral("hello01234"));
    lines->setText(QString(300, QLatin1Char('x')));
    QCOMPARE(lines->text().size(), 10);
}

void TestControls::limitsCountCharactersAndKeepThemWhole_data()
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

void TestControls::limitsCountCharactersAndKeepThemWhole()
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
    setTextOf(box, before);
    if (multiLine) {
        lines.setSelection(cursor, 0);
        lines.paste();
    } else {
        line.setCursorPosition(cursor);
        line.paste();
    }
    QCOMPARE(textOf(box), after);
}

void TestControls::keyHandlerDiscardsWhatItZeroes()
{
    TextBox box;
    QList<int> seen;
    box.setKeyPressHandler([&](int &key) {
        seen << key;
        if ((key < '0' || key > '9') && key != 8)
            key = 0;
    });
    QVERIFY(showActive(&box));
    QTest::keyClicks(&box, "1a2-");
    QTest::keyClick(&box, Qt::Key_Backspace);
    QApplication::clipboard()->setText("999");
    QTest::keyClick(&box, Qt::Key_V, Qt::ControlModifier); // a control key, refused by the handler
    QTest::keyClick(&box, Qt::Key_Left); // keys that type nothing never reach the handler
    QCOMPARE(box.text(), QStringLiteral("1"));
    QCOMPARE(seen, (QList<int>{'1', 'a', '2', '-', 8, 22}));
}

void TestControls::filteredBoxFiltersEveryWayTextArrives_data()
{
    QTest::addColumn<QString>("way");
    for (const char *way : {"Shift+Insert", "menu paste", "middle button", "drop", "input method"})
        QTest::newRow(way) << QString(way);
}

void TestControls::filteredBoxFiltersEveryWayTextArrives()
{
    QFETCH(QString, way);
    TextBox box;
    box.setMaxLength(8);
    // Digits and one point, as the project size box takes them.
    box.setKeyPressHandler([&box](int &key) {
        const bool point = key == '.' && !box.text().contains(QLatin1Char('.'));
        if (!point && key != 8 && (key < '0' || key > '9'))
            key = 0;
    });
    QVERIFY(showActive(&box));
    QTest::keyClicks(&box, "1");
    const QString arriving = "2a.b-3.4 5";
    QClipboard *clipboard = QApplication::clipboard();
    const QPoint end(box.width() - 4, box.height() / 2);
    clipboard->setText(arriving);
    if (way == "Shift+Insert") {
        QTest::keyClick(&box, Qt::Key_Insert, Qt::ShiftModifier);
    } else if (way == "menu paste") {
        box.paste();
    } else if (way == "middle button") {
        if (!clipboard->supportsSelection())
            QSKIP("this platform has no selection to paste");
        clipboard->setText(arriving, QClipboard::Selection);
        QTest::mouseClick(&box, Qt::MiddleButton, {}, end);
    } else if (way == "drop") {
        QMimeData mime;
        mime.setText(arriving);
        QDragEnterEvent enter(end, Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(&box, &enter);
        QDropEvent drop(end, Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(&box, &drop);
    } else {
        QInputMethodEvent compose;
        compose.setCommitString(arriving);
        QApplication::sendEvent(&box, &compose);
    }
    QCOMPARE(box.text(), QStringLiteral("12.345"));
    box.setText(" "); // text set from code is not filtered: a list row's text goes in as shown
    QCOMPARE(box.text(), QStringLiteral(" "));
}

void TestControls::focusSelectsAndDisplayOnlyBoxesTakeNoFocus()
{
    auto *trimmed = new TextBox;
    auto *whole = new TextBox;
    auto *multi = new MultiLineTextBox;
    auto *shown = new TextBox;
    auto *shownLines = new MultiLineTextBox;
    trimmed->setFocusSelect(FocusSelect::TrimmedLength);
    whole->setFocusSelect(FocusSelect::WholeText);
    multi->setFocusSelect(FocusSelect::TrimmedLength);
    shown->setDisplayOnly(true);
    shownLines->setDisplayOnly(true);
    trimmed->setText("  ab  ");
    whole->setText("  ab  ");
    multi->setText("x y ");
    shown->setText("size");
    const auto window = windowWith({trimmed, whole, multi, shown, shownLines});
    trimmed->setFocus();
    QCOMPARE(trimmed->selectionStart(), 0);
    QCOMPARE(trimmed->selectedText(), QStringLiteral("  "));
    whole->setFocus();
    QCOMPARE(whole->selectedText(), QStringLiteral("  ab  "));
    QTest::keyClick(whole, Qt::Key_Tab);
    QCOMPARE(multi->selectedText(), QStringLiteral("x y"));
    QTest::keyClick(multi, Qt::Key_Tab); // past the boxes shown for reading only
    QVERIFY(!shown->hasFocus() && !shownLines->hasFocus());
    QTest::keyClicks(shown, "x");
    QCOMPARE(shown->text(), QStringLiteral("size"));
}

void TestControls::enterAndEscapePressTheWindowsButtons()
{
    auto *line = new TextBox;
    auto *multi = new MultiLineTextBox;
    auto *save = new QPushButton("&Save");
    auto *cancel = new QPushButton("&Cancel");
    auto *option = new QCheckBox("&Option");
    auto *window = new PlainWindow;
    const auto shown = windowWith({line, multi, save, cancel, option}, window);
    QSignalSpy saved(save, &QPushButton::clicked);
    QSignalSpy cancelled(cancel, &QPushButton::clicked);
    // No default button: Enter on a focused button presses it all the same.
    cancel->setFocus();
    QTest::keyClick(cancel, Qt::Key_Return);
    QCOMPARE(cancelled.count(), 1);
    window->keys()->setDefaultButton(save);
    window->keys()->setCancelButton(cancel);
    QTest::keyClick(cancel, Qt::Key_Return);
    QTest::keyClick(cancel, Qt::Key_Enter, Qt::KeypadModifier);
    QTest::keyClick(cancel, Qt::Key_Space);
    QCOMPARE(cancelled.count(), 4);
    option->setFocus();
    QTest::keyClick(option, Qt::Key_Return); // a check box is a button too: never the default's
    QCOMPARE(saved.count(), 0);
    line->setFocus();
    QTest::keyClick(line, Qt::Key_Return);
    QCOMPARE(saved.count(), 1);
    // In a box of several lines Enter is a line break.
    multi->setFocus();
    QTest::keyClicks(multi, "a");
    QTest::keyClick(multi, Qt::Key_Return);
    QTest::keyClicks(multi, "b");
    QCOMPARE(saved.count(), 1);
    QCOMPARE(multi->text(), QStringLiteral("a\nb"));
    QTest::keyClick(line, Qt::Key_Escape);
    QCOMPARE(cancelled.count(), 5);
}

// Rows, cells and the sort a caller sees; clicks on the list are the windows' to test.
void TestControls::listSortComparesTextAndStaysInForce()
{
    RecordList list;
    list.setColumns({{"S No", 22.5}, {"Name", 72}});
    QCOMPARE(list.columnCountShown(), 2);
    list.setRows(numbered(12));
    QCOMPARE(list.rowCells(1), (QStringList{"2", "row 2"})); // as given until sorted
    QCOMPARE(list.cell(20, 5), QString());                     // out of range reads as empty
    list.selectRow(1);
    list.setSortKey(0);
    list.setSorted(true);
    list.setRows(numbered(12)); // a refill keeps the sort and drops the selection
    QCOMPARE(column(&list, 0).mid(0, 6), (QStringList{"1", "10", "11", "12", "2", "3"}));
    QCOMPARE(list.rowData(1), QVariant(10)); // a row's own value goes with it
    QCOMPARE(list.selectedRow(), -1);
    list.setSortKey(1);
    QCOMPARE(list.header()->sortIndicatorSection(), 1);
    QCOMPARE(list.header()->sortIndicatorOrder(), Qt::AscendingOrder);
    list.clearRows();
    for (const char *s : {"20", "100", "9", "abc", "ABD"})
        list.addRow({"", s}, QString(s)); // rows added later take their sorted place
    QCOMPARE(column(&list, 1), (QStringList{"100", "20", "9", "abc", "ABD"}));
    QCOMPARE(list.rowData(1).toString(), QStringLiteral("20"));

    // Rows as read, each cell made by the list's format (Null one blank); "S No"
    // stays with its row, and a changed row stands where a fill would put it.
    list.setColumns({{"S No", 22.5}, {"Name", 72}, {"Size", 40}});
    list.setSortKey(2);
    RecordFormat kb;
    kb.fieldText = {{}, [](const QVariant &value) { return value.isNull() ? cellText(value) : value.toString() + " KB"; }};
    kb.data = [](const QVariantList &values) { return values.first(); };
    list.setRecords({{"b", 2}, {QVariant(), 10}, {"a", QVariant()}}, kb);
    QCOMPARE(list.rowCells(0), (QStringList{"3", "a", " "}));
    QCOMPARE(list.rowCells(1), (QStringList{"2", " ", "10 KB"}));
    QCOMPARE(list.rowData(2), QVariant("b"));
    list.changeRecord(2, {"b", 1});
    QCOMPARE(column(&list, 2), (QStringList{" ", "1 KB", "10 KB"}));
    QCOMPARE(list.rowCells(1), (QStringList{"1", "b", "1 KB"}));
    list.setRecords(QList<QVariantList>(12, {"x", 5}));
    list.filterBox(&list)->setText("12"); // a filter finds the numbers too
    QCOMPARE(list.shownRowCount(), 1);
}

void TestControls::columnsShareTheSpareWidthAndNeverCutTheirHeaders()
{
    RecordList list;
    list.setColumns({{"S No", 22.5}, {"Pass/Fail", 37.5}, {"Description", 100}});
    list.resize(900, 300);
    list.show();
    const auto widths = [&] { return QList<int>{list.columnWidth(0), list.columnWidth(1), list.columnWidth(2)}; };
    // Every column at least its given width and its header's text; the spare
    // width goes to the columns in proportion, filling the list.
    QList<int> w = widths();
    for (int c = 0; c < 3; ++c)
        QVERIFY2(w[c] >= list.header()->sectionSizeHint(c), qPrintable(QString::number(c)));
    QCOMPARE(w[0] + w[1] + w[2], list.viewport()->width());
    QVERIFY(w[2] > w[1] && w[1] > w[0]);
    // Narrower than the columns need: they keep their least widths, the list scrolls.
    list.resize(120, 300);
    w = widths();
    QVERIFY(w[1] >= list.header()->sectionSizeHint(1));
    QVERIFY(w[0] + w[1] + w[2] > list.viewport()->width());
    // A width the user sets by hand stays.
    list.resize(900, 300);
    list.header()->resizeSection(2, 150);
    list.resize(1000, 300);
    QCOMPARE(list.columnWidth(2), 150);
}

QTEST_MAIN(TestControls)
#include "tst_controls.moc"
