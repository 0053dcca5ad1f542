// The record list: text sort that stays in force, rows, selection.
#include "recordlist.h"

#include <QHeaderView>
#include <QSignalSpy>
#include <QtTest>

namespace {

QStringList column(const RecordList &list, int c)
{
    QStringList out;
    for (int r = 0; r < list.rowCount(); ++r)
        out << list.cell(r, c);
    return out;
}

QList<ListRow> numbered(int n)
{
    QList<ListRow> rows;
    for (int i = 1; i <= n; ++i)
        rows.append({{QString::number(i), QStringLiteral("row %1").arg(i)}, {}});
    return rows;
}

} // namespace

class TestRecordList : public QObject
{
    Q_OBJECT

private slots:
    void rowsStandInTheOrderGiven();
    void sortComparesTextAndStaysInForceAcrossRefills();
    void rowsAddedLaterTakeTheirSortedPlace();
    void headerClickAndDoubleClickAreReported();
    void selectionAndCells();
    void nullShowsAsOneBlank();
    void largeFillKeepsEveryRow();
    void columnsShareTheSpareWidthAndNeverCutTheirHeaders();
};

void TestRecordList::rowsStandInTheOrderGiven()
{
    RecordList list;
    list.setColumns({{"S No", 22.5}, {"Name", 72}});
    QCOMPARE(list.columnCountShown(), 2);
    list.setRows(numbered(3));
    QCOMPARE(column(list, 0), (QStringList{"1", "2", "3"}));
    QVERIFY(!list.isSorted());
    list.clearRows();
    QCOMPARE(list.rowCount(), 0);
}

void TestRecordList::sortComparesTextAndStaysInForceAcrossRefills()
{
    RecordList list;
    list.setColumns({{"S No", 22.5}, {"Name", 72}});
    list.setRows(numbered(12));
    list.setSortKey(0);
    list.setSorted(true);
    QCOMPARE(column(list, 0).mid(0, 6), (QStringList{"1", "10", "11", "12", "2", "3"}));
    list.setRows(numbered(12)); // a refill keeps the sort
    QCOMPARE(column(list, 0).mid(0, 6), (QStringList{"1", "10", "11", "12", "2", "3"}));
    list.setSortKey(1);
    QCOMPARE(column(list, 1).first(), QStringLiteral("row 1"));
    QCOMPARE(column(list, 1).at(1), QStringLiteral("row 10"));
    QCOMPARE(list.header()->sortIndicatorSection(), 1);
    QCOMPARE(list.header()->sortIndicatorOrder(), Qt::AscendingOrder);
}

void TestRecordList::rowsAddedLaterTakeTheirSortedPlace()
{
    RecordList list;
    list.setColumns({{"Size", 55}});
    list.setSortKey(0);
    list.setSorted(true);
    for (const char *s : {"20", "100", "9", "abc", "ABD"})
        list.addRow({s});
    QCOMPARE(column(list, 0), (QStringList{"100", "20", "9", "abc", "ABD"}));
}

void TestRecordList::headerClickAndDoubleClickAreReported()
{
    RecordList list;
    list.setColumns({{"S No", 22.5}, {"Name", 72}});
    list.setRows(numbered(3));
    list.resize(300, 200);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QSignalSpy headers(&list, &RecordList::columnClicked);
    const QHeaderView *h = list.header();
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, QPoint(h->sectionPosition(1) + 5, h->height() / 2));
    QCOMPARE(headers.count(), 1);
    QCOMPARE(headers.first().first().toInt(), 1);

    QSignalSpy doubles(&list, &RecordList::rowDoubleClicked);
    const QRect second = list.visualRect(list.model()->index(1, 1));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, second.center());
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, second.center());
    QCOMPARE(doubles.count(), 1);
    QCOMPARE(list.selectedRow(), 1);
}

void TestRecordList::selectionAndCells()
{
    RecordList list;
    list.setColumns({{"A", 10}, {"B", 10}});
    QCOMPARE(list.selectedRow(), -1);
    list.setRows({{{"x", "y"}, 42}});
    QCOMPARE(list.selectedRow(), -1);
    list.selectRow(0);
    QCOMPARE(list.selectedRow(), 0);
    QCOMPARE(list.cell(0, 1), QStringLiteral("y"));
    QCOMPARE(list.rowData(0).toInt(), 42);
    QCOMPARE(list.rowCells(0), (QStringList{"x", "y"}));
    QCOMPARE(list.cell(5, 5), QString()); // out of range reads as empty
    list.setRows(numbered(2)); // a refill drops the selection
    QCOMPARE(list.selectedRow(), -1);
}

void TestRecordList::nullShowsAsOneBlank()
{
    QCOMPARE(cellText(QVariant()), QStringLiteral(" "));
    QCOMPARE(cellText(QVariant(QMetaType::fromType<QString>())), QStringLiteral(" "));
    QCOMPARE(cellText(QStringLiteral("")), QString());
    QCOMPARE(cellText(QStringLiteral("x")), QStringLiteral("x"));
}

void TestRecordList::largeFillKeepsEveryRow()
{
    RecordList list;
    list.setColumns({{"S No", 22.5}, {"Name", 72}});
    list.setSortKey(0);
    list.setSorted(true);
    list.setRows(numbered(40000)); // past the old 16-bit counter
    QCOMPARE(list.rowCount(), 40000);
    QCOMPARE(list.cell(0, 0), QStringLiteral("1"));
    QCOMPARE(list.cell(1, 0), QStringLiteral("10"));
    QCOMPARE(list.cell(39999, 0), QStringLiteral("9999"));
}

void TestRecordList::columnsShareTheSpareWidthAndNeverCutTheirHeaders()
{
    RecordList list;
    list.setColumns({{"S No", 22.5}, {"Pass/Fail", 37.5}, {"Description", 100}});
    list.resize(900, 300);
    list.show();
    const auto widths = [&] {
        return QList<int>{list.columnWidth(0), list.columnWidth(1), list.columnWidth(2)};
    };
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

QTEST_MAIN(TestRecordList)
#include "tst_recordlist.moc"
