#include "reportfind.h"

#include "reportpainter.h"

#include <QFontMetricsF>
#include <QPaintEngine>
#include <QPainter>
#include <QTextItem>

namespace {

bool holds(const QString &line, const QString &text) { return line.contains(text, Qt::CaseInsensitive); }

bool anyHolds(const QStringList &lines, const QString &text)
{
    return std::any_of(lines.cbegin(), lines.cend(), [&](const QString &line) { return holds(line, text); });
}

// Lines first..last (one past) of each cell.
bool cellsHold(const QList<QStringList> &cells, int first, int last, const QString &text)
{
    for (const QStringList &cell : cells) {
        for (int i = first; i < std::min(last, int(cell.size())); ++i)
            if (holds(cell.at(i), text))
                return true;
    }
    return false;
}

bool tableHolds(const SummaryTable &table, const PageItem &item, const QString &text)
{
    if (holds(table.title, text) || cellsHold(table.headerCells, 0, table.headerLines, text))
        return true;
    for (int row = item.firstLine; row < item.lastLine && row < table.cells.size(); ++row)
        if (cellsHold(table.cells.at(row), 0, table.rowLines.at(row), text))
            return true;
    return false;
}

bool itemHolds(const ReportLayout &layout, const PageItem &item, const QString &text)
{
    switch (item.kind) {
    case PageItem::Kind::ColumnHeader:
        return cellsHold(layout.headerCells, 0, layout.headerLines, text);
    case PageItem::Kind::Row:
        return cellsHold(layout.rowCells.at(item.row), item.firstLine, item.lastLine, text);
    case PageItem::Kind::Table:
        return tableHolds(layout.tables.at(item.table), item, text);
    default:
        return anyHolds(item.lines, text);
    }
}

// A device that paints nothing and keeps where each piece of text would
// stand, so that a hit is boxed exactly where the painter draws it.
class TextRecorder : public QPaintDevice, public QPaintEngine
{
public:
    TextRecorder(const ReportLayout &layout, const QString &text)
        : QPaintEngine(QPaintEngine::AllFeatures) // never emulated: text comes here as text
        , m_size(layout.paintSize.toSize())
        , m_text(text)
    {
    }

    QList<QRectF> boxes;

    QPaintEngine *paintEngine() const override { return const_cast<TextRecorder *>(this); }
    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    Type type() const override { return QPaintEngine::User; }
    void updateState(const QPaintEngineState &) override {}
    void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
    void drawRects(const QRectF *, int) override {}
    void drawLines(const QLineF *, int) override {}
    void drawPolygon(const QPointF *, int, PolygonDrawMode) override {}
    void drawPath(const QPainterPath &) override {}

    void drawTextItem(const QPointF &p, const QTextItem &item) override
    {
        const QString shown = item.text();
        const QFontMetricsF metrics(item.font(), this);
        const QTransform toPage = painter()->combinedTransform();
        for (qsizetype at = shown.indexOf(m_text, 0, Qt::CaseInsensitive); at >= 0;
             at = shown.indexOf(m_text, at + m_text.size(), Qt::CaseInsensitive)) {
            const double left = p.x() + metrics.horizontalAdvance(shown.left(at));
            const double width = metrics.horizontalAdvance(shown.mid(at, m_text.size()));
            const QRectF box(left, p.y() - item.ascent(), width, item.ascent() + item.descent());
            boxes << toPage.mapRect(box);
        }
    }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth:
            return m_size.width();
        case PdmHeight:
            return m_size.height();
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return int(ReportUnits::dotsPerInch);
        case PdmDepth:
            return 32;
        case PdmNumColors:
            return INT_MAX;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        default:
            return QPaintDevice::metric(metric);
        }
    }

private:
    QSize m_size;
    QString m_text;
};

} // namespace

namespace ReportFind {

bool pageHolds(const ReportLayout &layout, int pageIndex, const QString &text)
{
    if (text.isEmpty() || pageIndex < 0 || pageIndex >= layout.pageCount())
        return false;
    const QStringList frame{layout.heading, layout.title, layout.footerCaption, layout.printedOn,
                            layout.footerText(pageIndex)};
    if (anyHolds(frame, text))
        return true;
    if (pageIndex == 0 && (anyHolds(layout.headingLines, text) || anyHolds(layout.addressLines, text)
                           || anyHolds(layout.captionLines, text)))
        return true;
    const QList<PageItem> &items = layout.pages.at(pageIndex).items;
    return std::any_of(items.cbegin(), items.cend(), [&](const PageItem &item) { return itemHolds(layout, item, text); });
}

QList<QRectF> hitBoxes(const ReportLayout &layout, int pageIndex, const QString &text)
{
    if (text.isEmpty())
        return {};
    TextRecorder recorder(layout, text);
    QPainter painter(&recorder);
    ReportPainter::paintPage(painter, layout, pageIndex);
    painter.end();
    return recorder.boxes;
}

} // namespace ReportFind
