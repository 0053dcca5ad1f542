#include "reportpainter.h"

#include "sidefile.h"
#include "reporterror.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>

using ReportUnits::fromPoints;

namespace {

// Lines were wrapped to the box, so a left-aligned line is drawn straight at
// its baseline, where a centred single line would stand, without laying it
// out again; other alignments need the line's width first.
void drawLines(QPainter &p, const QStringList &lines, const QRectF &box, Qt::Alignment align, double lineHeight)
{
    const QFontMetricsF metrics(p.font());
    const bool straight = align == Qt::AlignLeft && lineHeight >= metrics.height();
    const double baseline = (lineHeight - metrics.height()) / 2 + metrics.ascent();
    double y = box.top();
    for (const QString &line : lines) {
        if (straight)
            p.drawText(QPointF(box.left(), y + baseline), line);
        else
            p.drawText(QRectF(box.left(), y, box.width(), lineHeight), int(align | Qt::AlignVCenter) | Qt::TextSingleLine, line);
        y += lineHeight;
    }
}

// Pages after the first: the company on the left, the title on the right,
// or under it when both do not fit on one line.
void paintRunningHeader(QPainter &p, const ReportLayout &l)
{
    const double width = l.paintSize.width();
    const QFontMetricsF bold(l.boldFont);
    const double line = bold.lineSpacing();
    const bool oneLine = l.runningHeaderHeight < 2 * line;
    p.setFont(l.boldFont);
    p.drawText(QRectF(0, 0, width, line), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, l.heading);
    p.drawText(QRectF(0, oneLine ? 0 : line, width, line), Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, l.title);
    const double y = l.runningHeaderHeight - fromPoints(5);
    p.setPen(QPen(Qt::black, fromPoints(0.75)));
    p.drawLine(QPointF(0, y), QPointF(width, y));
    p.setPen(Qt::black);
}

void paintHeader(QPainter &p, const ReportLayout &l)
{
    const double width = l.paintSize.width();
    double y = 0;
    const double headingHeight = QFontMetricsF(l.headingFont).lineSpacing();
    p.setFont(l.headingFont);
    drawLines(p, l.headingLines, QRectF(0, y, width, l.headingLines.size() * headingHeight), Qt::AlignLeft, headingHeight);
    y += l.headingLines.size() * headingHeight;
    if (!l.addressLines.isEmpty()) {
        const double small = QFontMetricsF(l.smallFont).lineSpacing();
        p.setFont(l.smallFont);
        p.setPen(QColor(80, 80, 80));
        drawLines(p, l.addressLines, QRectF(0, y, width, l.addressLines.size() * small), Qt::AlignLeft, small);
        p.setPen(Qt::black);
        y += l.addressLines.size() * small;
    }
    y += fromPoints(4);
    const double titleHeight = QFontMetricsF(l.titleFont).lineSpacing();
    p.setFont(l.titleFont);
    p.drawText(QRectF(0, y, width, titleHeight), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, l.title);
    y += titleHeight;
    p.setFont(l.bodyFont);
    drawLines(p, l.captionLines, QRectF(0, y, width, l.captionLines.size() * l.lineHeight), Qt::AlignLeft, l.lineHeight);
    y += l.captionLines.size() * l.lineHeight + fromPoints(4);
    p.setPen(QPen(Qt::black, fromPoints(1)));
    p.drawLine(QPointF(0, y), QPointF(width, y));
    p.setPen(Qt::black);
}

// The title and the project on the left, the day of printing in the middle,
// the page number on the right.
void paintFooter(QPainter &p, const ReportLayout &l, int pageIndex)
{
    const double width = l.paintSize.width();
    const double top = l.paintSize.height() - l.footerHeight + fromPoints(4);
    p.setPen(QPen(Qt::gray, fromPoints(0.5)));
    p.drawLine(QPointF(0, top), QPointF(width, top));
    p.setPen(QColor(60, 60, 60));
    p.setFont(l.smallFont);
    const QFontMetricsF metrics(l.smallFont);
    const QRectF band(0, top + fromPoints(2), width, l.footerHeight - fromPoints(6));
    const QString page = l.footerText(pageIndex);
    const double side = (width - metrics.horizontalAdvance(l.printedOn)) / 2 - fromPoints(12);
    p.drawText(band, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, metrics.elidedText(l.footerCaption, Qt::ElideRight, side));
    p.drawText(band, Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine, l.printedOn);
    p.drawText(band, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, page);
    p.setPen(Qt::black);
}

void paintCells(QPainter &p, const ReportLayout &l, const QList<QStringList> &cells, double top, int first, int last)
{
    const double pad = l.cellPadding;
    for (int c = 0; c < cells.size(); ++c) {
        const QStringList &lines = cells.at(c);
        const QStringList part = lines.mid(first, std::max(0, std::min(int(lines.size()), last) - first));
        drawLines(p, part, QRectF(l.columnLeft.at(c) + pad, top + pad, l.columnWidth.at(c) - 2 * pad, part.size() * l.lineHeight),
                  l.columnAlignment.at(c), l.lineHeight);
    }
}

// The outermost group heading on a dark band, inner ones indented on a light one.
void paintGroupHeading(QPainter &p, const ReportLayout &l, const PageItem &item)
{
    const double width = l.paintSize.width();
    const double indent = fromPoints(10) * item.level;
    const double top = item.top + fromPoints(3);
    const bool outer = item.level == 0;
    const QFont &font = outer ? l.levelFont : l.boldFont;
    const double line = QFontMetricsF(font).lineSpacing();
    p.fillRect(QRectF(indent, top, width - indent, item.height - fromPoints(3)), outer ? QColor(55, 71, 79) : QColor(228, 233, 237));
    p.setPen(outer ? Qt::white : Qt::black);
    p.setFont(font);
    drawLines(p, item.lines,
              QRectF(indent + l.cellPadding, top + l.cellPadding, width - indent - 2 * l.cellPadding, item.lines.size() * line),
              Qt::AlignLeft, line);
    p.setPen(Qt::black);
}

// A summary table's part on this page: its title, its column headings, its
// rows, and each row's bar scaled to the table's largest.
void paintTable(QPainter &p, const ReportLayout &l, const PageItem &item)
{
    const SummaryTable &t = l.tables.at(item.table);
    const double pad = l.cellPadding;
    double y = item.top + fromPoints(8);
    double tableWidth = t.chartWidth > 0 ? t.chartWidth + fromPoints(8) : 0;
    for (double w : t.columnWidth)
        tableWidth += w;
    if (!t.title.isEmpty()) {
        p.setFont(l.boldFont);
        const QString title = item.continued ? t.title + QStringLiteral(" (continued)") : t.title;
        p.drawText(QRectF(0, y, l.paintSize.width(), l.lineHeight), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, title);
        y += l.lineHeight + fromPoints(2);
    }
    auto cells = [&](const QList<QStringList> &row, double top, int lines) {
        double x = 0;
        for (int c = 0; c < row.size() && c < t.columnWidth.size(); ++c) {
            drawLines(p, row.at(c), QRectF(x + pad, top + pad, t.columnWidth.at(c) - 2 * pad, lines * l.lineHeight),
                      t.alignment.at(c), l.lineHeight);
            x += t.columnWidth.at(c);
        }
    };
    if (t.headerLines > 0) {
        const double h = t.headerLines * l.lineHeight + 2 * pad;
        p.fillRect(QRectF(0, y, tableWidth, h), QColor(225, 230, 238));
        p.setFont(l.boldFont);
        cells(t.headerCells.isEmpty() ? QList<QStringList>() : QList<QStringList>(t.headerCells), y, t.headerLines);
        y += h;
    }
    const QPen grid(QColor(200, 200, 200), fromPoints(0.5));
    for (int r = item.firstLine; r < item.lastLine; ++r) {
        const bool total = t.total && r + 1 == t.rows.size();
        const double h = t.rowLines.at(r) * l.lineHeight + 2 * pad;
        p.setPen(total ? QPen(Qt::black, fromPoints(0.75)) : grid);
        p.drawLine(QPointF(0, y), QPointF(tableWidth, y));
        p.setPen(Qt::black);
        p.setFont(total ? l.boldFont : l.bodyFont);
        cells(t.cells.at(r), y, t.rowLines.at(r));
        if (r < t.bars.size() && t.chartScale > 0 && !total) {
            double x = tableWidth - t.chartWidth;
            for (const ChartBar &bar : t.bars.at(r)) {
                const double length = t.chartWidth * bar.count / t.chartScale;
                p.fillRect(QRectF(x, y + fromPoints(2), length, h - fromPoints(4)), bar.color);
                x += length;
            }
        }
        y += h;
    }
    p.setPen(grid);
    p.drawLine(QPointF(0, y), QPointF(tableWidth, y));
    p.setPen(Qt::black);
}

} // namespace

namespace ReportPainter {

void paintPage(QPainter &p, const ReportLayout &l, int pageIndex)
{
    if (pageIndex < 0 || pageIndex >= l.pageCount())
        return;
    p.save();
    p.setPen(Qt::black);
    if (pageIndex == 0)
        paintHeader(p, l);
    else
        paintRunningHeader(p, l);
    paintFooter(p, l, pageIndex);

    const double width = l.paintSize.width();
    const QPen grid(QColor(190, 190, 190), fromPoints(0.5));
    for (const PageItem &item : l.pages.at(pageIndex).items) {
        switch (item.kind) {
        case PageItem::Kind::Intro: {
            double y = item.top;
            for (int i = 0; i + 1 < item.lines.size(); i += 2) {
                p.setFont(l.boldFont);
                p.drawText(QRectF(0, y, l.introLabelWidth, l.lineHeight), Qt::AlignLeft | Qt::AlignVCenter, item.lines.at(i));
                p.setFont(l.bodyFont);
                const QStringList value = item.lines.at(i + 1).split(QLatin1Char('\n'));
                drawLines(p, value, QRectF(l.introLabelWidth, y, width - l.introLabelWidth, value.size() * l.lineHeight),
                          Qt::AlignLeft, l.lineHeight);
                y += value.size() * l.lineHeight;
            }
            break;
        }
        case PageItem::Kind::ColumnHeader: {
            const QRectF band(0, item.top, width, item.height);
            p.fillRect(band, QColor(225, 230, 238));
            p.setFont(l.boldFont);
            paintCells(p, l, l.headerCells, item.top, 0, l.headerLines);
            p.setPen(QPen(Qt::black, fromPoints(0.75)));
            p.drawLine(band.bottomLeft(), band.bottomRight());
            p.setPen(Qt::black);
            break;
        }
        case PageItem::Kind::GroupHeader:
            paintGroupHeading(p, l, item);
            break;
        case PageItem::Kind::GroupFooter: {
            const double indent = fromPoints(10) * item.level;
            p.setFont(l.bodyFont);
            drawLines(p, item.lines,
                      QRectF(indent + l.cellPadding, item.top + l.cellPadding, width - indent - 2 * l.cellPadding,
                             item.lines.size() * l.lineHeight),
                      Qt::AlignRight, l.lineHeight);
            break;
        }
        case PageItem::Kind::Row:
            p.setFont(l.bodyFont);
            paintCells(p, l, l.rowCells.at(item.row), item.top, item.firstLine, item.lastLine);
            p.setPen(grid);
            p.drawLine(QPointF(0, item.top + item.height), QPointF(width, item.top + item.height));
            p.setPen(Qt::black);
            break;
        case PageItem::Kind::Empty:
            p.setFont(l.bodyFont);
            drawLines(p, item.lines, QRectF(l.cellPadding, item.top + l.cellPadding, width, l.lineHeight), Qt::AlignLeft,
                      l.lineHeight);
            break;
        case PageItem::Kind::SummaryTitle: {
            const double top = item.top + fromPoints(6);
            const double line = QFontMetricsF(l.titleFont).lineSpacing();
            // Under the page heading's own rule it needs none.
            if (item.top > l.bodyTop(pageIndex) + 1) {
                p.setPen(QPen(Qt::black, fromPoints(0.75)));
                p.drawLine(QPointF(0, top - fromPoints(2)), QPointF(width, top - fromPoints(2)));
            }
            p.setFont(l.titleFont);
            drawLines(p, item.lines, QRectF(0, top, width, item.lines.size() * line), Qt::AlignLeft, line);
            break;
        }
        case PageItem::Kind::Table:
            paintTable(p, l, item);
            break;
        }
    }
    p.restore();
}

void paintPages(QPagedPaintDevice &device, int resolution, const ReportLayout &layout, int first, int last)
{
    QPainter painter;
    if (!painter.begin(&device))
        throw ReportError(QString(), QStringLiteral("the pages cannot be written to the device"));
    const double scale = resolution / ReportUnits::dotsPerInch;
    for (int page = first; page <= last && page < layout.pageCount(); ++page) {
        if (page > first)
            device.newPage();
        painter.save();
        painter.scale(scale, scale);
        paintPage(painter, layout, page);
        painter.restore();
    }
    painter.end();
}

bool exportPdf(const ReportLayout &layout, const QString &path, const QString &title, const ExportProgress &progress)
{
    SideFile file(path);
    QString problem = file.create();
    if (problem.isEmpty()) {
        {
            QPdfWriter writer(&file.device());
            writer.setResolution(int(ReportUnits::dotsPerInch));
            writer.setPageLayout(layout.pageLayout);
            writer.setTitle(title);
            writer.setCreator(QStringLiteral("Verolan"));
            // Page by page, so that the caller can keep its window answering and stop.
            QPainter painter;
            if (!painter.begin(&writer))
                throw ReportError(path, QStringLiteral("the PDF file cannot be written"));
            const double scale = writer.resolution() / ReportUnits::dotsPerInch;
            const int total = layout.pageCount();
            for (int page = 0; page < total; ++page) {
                if (page > 0)
                    writer.newPage();
                painter.save();
                painter.scale(scale, scale);
                paintPage(painter, layout, page);
                painter.restore();
                if (progress && !progress(page + 1, total))
                    return false; // the part written is removed with file
            }
        }
        problem = file.putInPlace();
    }
    if (!problem.isEmpty())
        throw ReportError(path, QStringLiteral("the PDF file cannot be written: ") + problem);
    return true;
}

} // namespace ReportPainter
