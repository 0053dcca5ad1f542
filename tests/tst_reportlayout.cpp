// Pages as they print: headers on every page, whole rows, wrapped texts never
// cut, "Page N of M", and a PDF with the same pages.
#include "report.h"
#include "reporterror.h"
#include "reportfixture.h"
#include "reportlayout.h"
#include "reportpainter.h"
#include "reportviewer.h"

#include <QAction>
#include <QImage>
#include <QSpinBox>
#include <QPainter>
#include <QRegularExpression>
#include <QtTest>

namespace {

// A definition of our own, so that the layout is tested apart from the shipped reports.
const char *listDefinition = R"(<report title="Long list">
  <parameters><parameter name="company" show="heading"/><parameter name="project" caption="Project Id"/></parameters>
  <query params="project"><![CDATA[select qv_zr_tst_type, qv_zr_tst_case_id, qv_zr_tst_case_desc, qv_zr_rslt_exp
     from qv_zr_tst_cases where qv_zr_prjid = ? order by rowid]]></query>
  <columns>
    <column header="Id" field="qv_zr_tst_case_id" width="40"/>
    <column header="Description" field="qv_zr_tst_case_desc" width="200"/>
    <column header="Expected" field="qv_zr_rslt_exp" width="200"/>
  </columns>
  %1
  <summary title="Summary"><count label="Cases"/></summary>
</report>)";

struct Laid
{
    std::unique_ptr<Report> report;
    ReportLayout layout;
};

Laid lay(const TempDatabase &db, const QString &groups = QString())
{
    const QString path = QDir(db.folder()).filePath("list.rpt");
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(QString::fromUtf8(listDefinition).arg(groups).toUtf8());
    f.close();
    ReportEngine engine;
    Laid l;
    l.report = engine.openReport(path);
    l.report->setDataSource(db.path());
    l.report->setPromptForParameters(false);
    l.report->setParameterValue(1, "Acme");
    l.report->setParameterValue(2, "P");
    l.layout = layoutReport(l.report->definition(), l.report->content(), l.report->parameterValues(), QDate(2024, 1, 2));
    return l;
}

QString words(int count, const QString &stem)
{
    QStringList w;
    for (int i = 0; i < count; ++i)
        w << stem + QString::number(i);
    return w.join(' ');
}

int pdfPageCount(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray data = f.readAll();
    if (!data.startsWith("%PDF-"))
        return -1;
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![s\\w])"));
    return int(QString::fromLatin1(data).count(page));
}

} // namespace

class TestReportLayout : public QObject
{
    Q_OBJECT

private slots:
    void everyPageHasHeadersAndNumberedFooter();
    void rowsStayWholeAndInOrder();
    void longTextsWrapAndAreNeverCut_data();
    void longTextsWrapAndAreNeverCut();
    void rowTallerThanAPageContinuesOnTheNext();
    void groupHeaderNeverEndsAPage();
    void cellTextStandsWhereACentredLineWould();
    void pdfExportHasTheLaidOutPages();
    void viewerNavigatesAndZooms();
    void viewerExportGoesWhereTheChooserSays();
};

void TestReportLayout::everyPageHasHeadersAndNumberedFooter()
{
    TempDatabase db;
    QList<QStringList> cases;
    for (int i = 0; i < 300; ++i)
        cases.append({"P", "T", "C", "K", QString::number(i), words(i % 7 + 1, "desc"), "ok"});
    addCases(db, cases);
    const Laid l = lay(db);
    const int pages = l.layout.pageCount();
    QVERIFY2(pages >= 4, qPrintable(QString::number(pages)));
    for (int p = 0; p < pages; ++p) {
        const QList<PageItem> &items = l.layout.pages.at(p).items;
        const bool hasRows = std::any_of(items.cbegin(), items.cend(), [](const PageItem &i) { return i.kind == PageItem::Kind::Row; });
        if (hasRows)
            QCOMPARE(items.first().kind, PageItem::Kind::ColumnHeader);
        QCOMPARE(l.layout.footerText(p), QStringLiteral("Page %1 of %2").arg(p + 1).arg(pages));
        // Nothing reaches into the footer.
        const PageItem &last = items.last();
        QVERIFY(last.top + last.height <= l.layout.paintSize.height() - l.layout.footerHeight + 0.01);
        QVERIFY(items.first().top >= l.layout.headerHeight - 0.01);
    }
    QCOMPARE(l.layout.headerCells.at(1), QStringList{"Description"});
}

void TestReportLayout::rowsStayWholeAndInOrder()
{
    TempDatabase db;
    QList<QStringList> cases;
    for (int i = 0; i < 200; ++i)
        cases.append({"P", "T", "C", "K", QString::number(i), words(i % 30 + 1, "word"), "ok"});
    addCases(db, cases);
    const Laid l = lay(db);
    int expected = 0;
    for (const ReportPage &page : l.layout.pages) {
        for (const PageItem &item : page.items) {
            if (item.kind != PageItem::Kind::Row)
                continue;
            QCOMPARE(item.index, expected++);
            QCOMPARE(item.firstLine, 0);
            QCOMPARE(item.lastLine, l.layout.rowLines.at(item.index));
        }
    }
    QCOMPARE(expected, 200);
}

void TestReportLayout::longTextsWrapAndAreNeverCut_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("many words") << words(80, "w");
    QTest::newRow("one long word") << QString(400, QChar('x'));
    QTest::newRow("line breaks") << "first line\nsecond line\r\nthird\n\nfifth";
    QTest::newRow("apostrophes and accents") << QString::fromUtf8("l'été d'O'Brien ") + words(30, "é");
    QTest::newRow("blanks past the edge") << "x" + QString(400, ' ');
}

void TestReportLayout::longTextsWrapAndAreNeverCut()
{
    QFETCH(QString, text);
    TempDatabase db;
    db.addCase("P", "T", "C", "K", "1", text, "short");
    const Laid l = lay(db);
    const QStringList lines = l.layout.rowCells.at(0).at(1);
    QFontMetricsF metrics(l.layout.bodyFont);
    const double room = l.layout.columnWidth.at(1) - 2 * l.layout.cellPadding;
    for (const QString &line : lines)
        QVERIFY2(metrics.horizontalAdvance(line) <= room + 0.5, qPrintable(line));
    // Every character comes back, in order; only blanks at the breaks may go.
    QString normalized = text;
    normalized.replace("\r\n", "\n");
    QCOMPARE(lines.join("").remove(' ').remove('\n'), normalized.remove(' ').remove('\n'));
    QCOMPARE(lines, wrapText(text, l.layout.bodyFont, room));
    QCOMPARE(l.layout.rowLines.at(0), int(lines.size()));
}

void TestReportLayout::rowTallerThanAPageContinuesOnTheNext()
{
    TempDatabase db;
    db.addCase("P", "T", "C", "K", "1", "short", "short");
    QStringList many;
    for (int i = 0; i < 150; ++i)
        many << QString("line %1").arg(i);
    db.addCase("P", "T", "C", "K", "2", many.join('\n'), "e");
    const Laid l = lay(db);
    QList<QPair<int, int>> parts;
    for (const ReportPage &page : l.layout.pages) {
        for (const PageItem &item : page.items) {
            if (item.kind == PageItem::Kind::Row && item.index == 1)
                parts << qMakePair(item.firstLine, item.lastLine);
        }
    }
    QVERIFY(parts.size() >= 2);
    int next = 0;
    for (const auto &part : parts) {
        QCOMPARE(part.first, next);
        next = part.second;
    }
    QCOMPARE(next, 150);
}

void TestReportLayout::groupHeaderNeverEndsAPage()
{
    TempDatabase db;
    // Small groups of rows of varying height put group headers at every height on the page.
    QList<QStringList> cases;
    for (int i = 0; i < 400; ++i)
        cases.append({"P", QString("Type %1").arg(i / 3, 3, 10, QChar('0')), "C", "K", QString::number(i),
                      words(i % 11 + 1, "long"), "e"});
    addCases(db, cases);
    const Laid l = lay(db, "<groups><group field=\"qv_zr_tst_type\" header=\"Type {value}\" footer=\"{count} cases\"/></groups>");
    int headers = 0;
    for (const ReportPage &page : l.layout.pages) {
        for (int i = 0; i < page.items.size(); ++i) {
            if (page.items.at(i).kind != PageItem::Kind::GroupHeader)
                continue;
            ++headers;
            QVERIFY2(i + 1 < page.items.size() && page.items.at(i + 1).kind == PageItem::Kind::Row,
                     "a group header stands without its first row");
        }
    }
    QCOMPARE(headers, 134);
    QCOMPARE(itemLines(l.layout, PageItem::Kind::GroupFooter).first(), QStringLiteral("3 cases"));
}

void TestReportLayout::cellTextStandsWhereACentredLineWould()
{
    TempDatabase db;
    db.addCase("P", "T", "C", "K", "T-17", words(40, "desc"), "ok");
    const Laid l = lay(db);
    const double scale = 150 / ReportUnits::dotsPerInch;
    const QSizeF size = l.layout.paintSize * scale;
    QImage page(size.toSize(), QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter p(&page);
        p.scale(scale, scale);
        ReportPainter::paintPage(p, l.layout, 0);
    }
    const PageItem *row = nullptr;
    for (const PageItem &item : l.layout.pages.first().items) {
        if (item.kind == PageItem::Kind::Row)
            row = &item;
    }
    QVERIFY(row);
    const double pad = l.layout.cellPadding;
    for (int c : {0, 1}) {
        const QStringList lines = l.layout.rowCells.at(0).at(c);
        QImage expected(page.size(), QImage::Format_RGB32);
        expected.fill(Qt::white);
        QRectF cell;
        {
            QPainter p(&expected);
            p.scale(scale, scale);
            p.setFont(l.layout.bodyFont);
            for (int i = 0; i < lines.size(); ++i) {
                const QRectF box(l.layout.columnLeft.at(c) + pad, row->top + pad + i * l.layout.lineHeight,
                                 l.layout.columnWidth.at(c) - 2 * pad, l.layout.lineHeight);
                p.drawText(box, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, lines.at(i));
                cell |= box;
            }
        }
        const QRect pixels = QRectF(cell.topLeft() * scale, cell.bottomRight() * scale).toAlignedRect().adjusted(1, 1, -1, -1);
        QCOMPARE(page.copy(pixels), expected.copy(pixels));
    }
}

void TestReportLayout::pdfExportHasTheLaidOutPages()
{
    TempDatabase db;
    QList<QStringList> cases;
    for (int i = 0; i < 120; ++i)
        cases.append({"P", "T", "C", "K", QString::number(i), words(12, "desc"), "ok"});
    addCases(db, cases);
    const Laid l = lay(db);
    QVERIFY(l.layout.pageCount() > 1);
    const QString path = QDir(db.folder()).filePath("out.pdf");
    ReportPainter::exportPdf(l.layout, path, "Long list");
    QCOMPARE(pdfPageCount(path), l.layout.pageCount());

    // A folder that is not there cannot take the file, and says so.
    const QString bad = QDir(db.folder()).filePath("no/such/folder/out.pdf");
    try {
        ReportPainter::exportPdf(l.layout, bad, "x");
        QFAIL("an unwritable PDF was reported as written");
    } catch (const ReportError &e) {
        QCOMPARE(e.file(), bad);
    }
}

void TestReportLayout::viewerNavigatesAndZooms()
{
    TempDatabase db;
    QList<QStringList> cases;
    for (int i = 0; i < 150; ++i)
        cases.append({"P", "T", "C", "K", QString::number(i), words(10, "d"), "ok"});
    addCases(db, cases);
    Laid l = lay(db);
    ReportViewer viewer;
    viewer.resize(900, 700);
    viewer.show();
    QVERIFY(!viewer.exportAction->isEnabled());
    viewer.setReportSource(l.report.get());
    viewer.viewReport();
    const int pages = viewer.pageCount();
    QCOMPARE(pages, l.layout.pageCount());
    QCOMPARE(viewer.currentPage(), 1);
    QVERIFY(!viewer.previousAction->isEnabled());
    viewer.nextAction->trigger();
    QCOMPARE(viewer.currentPage(), 2);
    viewer.lastAction->trigger();
    QCOMPARE(viewer.currentPage(), pages);
    QVERIFY(!viewer.nextAction->isEnabled());
    viewer.nextPage();
    QCOMPARE(viewer.currentPage(), pages);
    viewer.pageBox->setValue(2);
    QCOMPARE(viewer.currentPage(), 2);
    viewer.firstAction->trigger();
    QCOMPARE(viewer.currentPage(), 1);

    viewer.fitWidthAction->trigger();
    const double width = viewer.zoom();
    viewer.fitPageAction->trigger();
    QVERIFY(viewer.zoom() < width); // a portrait page is held back by its height
    viewer.zoomInAction->trigger();
    QCOMPARE(viewer.fit(), ReportViewer::Fit::None);
    const double zoomed = viewer.zoom();
    viewer.zoomOutAction->trigger();
    QVERIFY(viewer.zoom() < zoomed);

    // The page on screen is the laid-out page: it paints without error and shows ink.
    QImage shot(viewer.size(), QImage::Format_RGB32);
    viewer.render(&shot);
    QVERIFY(shot.pixelColor(viewer.width() / 2, viewer.height() / 2).isValid());

    viewer.setReportSource(nullptr);
    QCOMPARE(viewer.pageCount(), 0);
    QVERIFY(!viewer.printAction->isEnabled());
}

void TestReportLayout::viewerExportGoesWhereTheChooserSays()
{
    TempDatabase db;
    QList<QStringList> cases;
    for (int i = 0; i < 90; ++i)
        cases.append({"P", "T", "C", "K", QString::number(i), words(12, "d"), "ok"});
    addCases(db, cases);
    Laid l = lay(db);
    ReportViewer viewer;
    QStringList proposed;
    QStringList errors;
    std::optional<QString> answer = QDir(db.folder()).filePath("chosen"); // no suffix given
    viewer.setPdfFileChooser([&](QWidget *, const QString &name) {
        proposed << name;
        return answer;
    });
    viewer.setErrorReporter([&](QWidget *, const QString &text) { errors << text; });
    viewer.setReportSource(l.report.get());
    viewer.viewReport();
    viewer.exportAction->trigger();
    QCOMPARE(proposed, QStringList{"Long list.pdf"});
    QCOMPARE(pdfPageCount(QDir(db.folder()).filePath("chosen.pdf")), viewer.pageCount());
    QVERIFY(errors.isEmpty());

    answer = std::nullopt; // cancelled: nothing written, nothing said
    viewer.exportAction->trigger();
    QVERIFY(errors.isEmpty());

    answer = QDir(db.folder()).filePath("missing/x.pdf");
    viewer.exportAction->trigger();
    QCOMPARE(errors.size(), 1);
    QVERIFY(errors.first().contains("missing/x.pdf"));
}

QTEST_MAIN(TestReportLayout)
#include "tst_reportlayout.moc"
