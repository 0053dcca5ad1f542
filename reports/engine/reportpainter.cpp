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
void drawLines(QPainter &painter, const QStringList &lines, const QRectF &box, Qt::Alignment align, double lineHeight)
{
    const QFontMetricsF metrics(painter.font());
    const bool straight = align == Qt::AlignLeft && lineHeight >= metrics.height();
    const double baseline = (lineHeight - metrics.height()) / 2 + metrics.ascent();
    double y = box.top();
    for (const QString &line : lines) {
        if (straight)
            painter.drawText(QPointF(box.left(), y + baseline), line);
        else
            painter.drawText(QRectF(box.left(), y, box.width(), lineHeight),
                             int(align | Qt::AlignVCenter) | Qt::TextSingleLine, line);
        y += lineHeight;
    }
}

// Pages after the first: the company on the left, the title on the right,
// or under it when both do not fit on one line.
void paintRunningHeader(QPainter &painter, const ReportLayout &layout)
{
    const double width = layout.paintSize.width();
    const QFontMetricsF bold(layout.boldFont);
    const double line = bold.lineSpacing();
    const bool oneLine = layout.runningHeaderHeight < 2 * line;
    painter.setFont(layout.boldFont);
    painter.drawText(QRectF(0, 0, width, line), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, layout.heading);
    painter.drawText(QRectF(0, oneLine ? 0 : line, width, line),
                     Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, layout.title);
    const double y = layout.runningHeaderHeight - fromPoints(5);
    painter.setPen(QPen(Qt::black, fromPoints(0.75)));
    painter.drawLine(QPointF(0, y), QPointF(width, y));
    painter.setPen(Qt::black);
}

void paintHeader(QPainter &painter, const ReportLayout &layout)
{
    const double width = layout.paintSize.width();
    double y = 0;
    const double headingHeight = QFontMetricsF(layout.headingFont).lineSpacing();
    painter.setFont(layout.headingFont);
    drawLines(painter, layout.headingLines, QRectF(0, y, width, layout.headingLines.size() * headingHeight),
              Qt::AlignLeft, headingHeight);
    y += layout.headingLines.size() * headingHeight;
    if (!layout.addressLines.isEmpty()) {
        const double small = QFontMetricsF(layout.smallFont).lineSpacing();
        painter.setFont(layout.smallFont);
        painter.setPen(QColor(80, 80, 80));
        drawLines(painter, layout.addressLines, QRectF(0, y, width, layout.addressLines.size() * small),
                  Qt::AlignLeft, small);
        painter.setPen(Qt::black);
        y += layout.addressLines.size() * small;
    }
    y += fromPoints(4);
    const double titleHeight = QFontMetricsF(layout.titleFont).lineSpacing();
    painter.setFont(layout.titleFont);
    painter.drawText(QRectF(0, y, width, titleHeight),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, layout.title);
    y += titleHeight;
    painter.setFont(layout.bodyFont);
    drawLines(painter, layout.captionLines, QRectF(0, y, width, layout.captionLines.size() * layout.lineHeight),
              Qt::AlignLeft, layout.lineHeight);
    y += layout.captionLines.size() * layout.lineHeight + fromPoints(4);
    painter.setPen(QPen(Qt::black, fromPoints(1)));
    painter.drawLine(QPointF(0, y), QPointF(width, y));
    painter.setPen(Qt::black);
}

// The title and the project on the left, the day of printing in the middle,
// the page number on the right.
void paintFooter(QPainter &painter, const ReportLayout &layout, int pageIndex)
{
    const double width = layout.paintSize.width();
    const double top = layout.paintSize.height() - layout.footerHeight + fromPoints(4);
    painter.setPen(QPen(Qt::gray, fromPoints(0.5)));
    painter.drawLine(QPointF(0, top), QPointF(width, top));
    painter.setPen(QColor(60, 60, 60));
    painter.setFont(layout.smallFont);
    const QFontMetricsF metrics(layout.smallFont);
    const QRectF band(0, top + fromPoints(2), width, layout.footerHeight - fromPoints(6));
    const QString page = layout.footerText(pageIndex);
    const double side = (width - metrics.horizontalAdvance(layout.printedOn)) / 2 - fromPoints(12);
    painter.drawText(band, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     metrics.elidedText(layout.footerCaption, Qt::ElideRight, side));
    painter.drawText(band, Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine, layout.printedOn);
    painter.drawText(band, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, page);
    painter.setPen(Qt::black);
}

void paintCells(QPainter &painter, const ReportLayout &layout, const QList<QStringList> &cells, double top,
                int first, int last)
{
    const double pad = layout.cellPadding;
    for (int column = 0; column < cells.size(); ++column) {
        const QStringList &lines = cells.at(column);
        const QStringList part = lines.mid(first, std::max(0, std::min(int(lines.size()), last) - first));
        const QRectF box(layout.columnLeft.at(column) + pad, top + pad, layout.columnWidth.at(column) - 2 * pad,
                         part.size() * layout.lineHeight);
        drawLines(painter, part, box, layout.columnAlignment.at(column), layout.lineHeight);
    }
}

// The outermost group heading on a dark band, inner ones indented on a light one.
void paintGroupHeading(QPainter &painter, const ReportLayout &layout, const PageItem &item)
{
    const double width = layout.paintSize.width();
    const double indent = fromPoints(10) * item.level;
    const double top = item.top + fromPoints(3);
    const bool outer = item.level == 0;
    const QFont &font = outer ? layout.levelFont : layout.boldFont;
    const double line = QFontMetricsF(font).lineSpacing();
    painter.fillRect(QRectF(indent, top, width - indent, item.height - fromPoints(3)),
                     outer ? QColor(55, 71, 79) : QColor(228, 233, 237));
    painter.setPen(outer ? Qt::white : Qt::black);
    painter.setFont(font);
    drawLines(painter, item.lines,
              QRectF(indent + layout.cellPadding, top + layout.cellPadding, width - indent - 2 * layout.cellPadding,
                     item.lines.size() * line),
              Qt::AlignLeft, line);
    painter.setPen(Qt::black);
}

// A summary table's part on this page: its title, its column headings, its
// rows, and each row's bar scaled to the table's largest.
void paintTable(QPainter &painter, const ReportLayout &layout, const PageItem &item)
{
    const SummaryTable &table = layout.tables.at(item.table);
    const double pad = layout.cellPadding;
    double y = item.top + SummaryTable::gapAbove;
    const double tableWidth = table.bodyWidth();
    painter.save();
    painter.translate(item.left, 0);
    if (!table.title.isEmpty()) {
        painter.setFont(layout.boldFont);
        const QString title = item.continued ? table.title + QStringLiteral(" (continued)") : table.title;
        painter.drawText(QRectF(0, y, layout.paintSize.width() - item.left, layout.lineHeight),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, title);
        y += layout.lineHeight + fromPoints(2);
    }
    auto cells = [&](const QList<QStringList> &rowLines, double top, int lines) {
        double x = 0;
        for (int column = 0; column < rowLines.size() && column < table.columnWidth.size(); ++column) {
            // A legend's label follows a square of its colour; its title has none.
            const QColor colour = table.legend ? table.bars.value(0).value(column).color : QColor();
            const double swatch = colour.isValid() ? fromPoints(8) : 0;
            if (colour.isValid())
                painter.fillRect(QRectF(x + pad, top + pad + (layout.lineHeight - swatch) / 2, swatch, swatch), colour);
            if (table.legend)
                painter.setFont(colour.isValid() ? layout.bodyFont : layout.boldFont);
            drawLines(painter, rowLines.at(column),
                      QRectF(x + pad + swatch * 1.5, top + pad, table.columnWidth.at(column) - 2 * pad - swatch * 1.5,
                             lines * layout.lineHeight),
                      table.alignment.at(column), layout.lineHeight);
            x += table.columnWidth.at(column);
        }
    };
    if (table.headerLines > 0) {
        const double height = table.headerLines * layout.lineHeight + 2 * pad;
        painter.fillRect(QRectF(0, y, tableWidth, height), QColor(225, 230, 238));
        painter.setFont(layout.boldFont);
        cells(table.headerCells.isEmpty() ? QList<QStringList>() : QList<QStringList>(table.headerCells),
              y, table.headerLines);
        y += height;
    }
    const QPen grid(QColor(200, 200, 200), fromPoints(0.5));
    for (int row = item.firstLine; row < item.lastLine; ++row) {
        const bool total = table.total && row + 1 == table.rows.size();
        const double height = table.rowLines.at(row) * layout.lineHeight + 2 * pad;
        painter.setPen(total ? QPen(Qt::black, fromPoints(0.75)) : grid);
        painter.drawLine(QPointF(0, y), QPointF(tableWidth, y));
        painter.setPen(Qt::black);
        painter.setFont(total ? layout.boldFont : layout.bodyFont);
        cells(table.cells.at(row), y, table.rowLines.at(row));
        if (row < table.bars.size() && table.chartScale > 0 && !total && !table.legend) {
            double x = tableWidth - table.chartWidth;
            for (const ChartBar &bar : table.bars.at(row)) {
                const double length = table.chartWidth * bar.count / table.chartScale;
                painter.fillRect(QRectF(x, y + fromPoints(2), length, height - fromPoints(4)), bar.color);
                x += length;
            }
        }
        y += height;
    }
    painter.setPen(grid);
    painter.drawLine(QPointF(0, y), QPointF(tableWidth, y));
    painter.restore();
}

} // namespace

namespace ReportPainter {

void paintPage(QPainter &painter, const ReportLayout &layout, int pageIndex)
{
    if (pageIndex < 0 || pageIndex >= layout.pageCount())
        return;
    painter.save();
    painter.setPen(Qt::black);
    if (pageIndex == 0)
        paintHeader(painter, layout);
    else
        paintRunningHeader(painter, layout);
    paintFooter(painter, layout, pageIndex);

    const double width = layout.paintSize.width();
    const QPen grid(QColor(190, 190, 190), fromPoints(0.5));
    for (const PageItem &item : layout.pages.at(pageIndex).items) {
        switch (item.kind) {
        case PageItem::Kind::Intro: {
            double y = item.top;
            for (int i = 0; i + 1 < item.lines.size(); i += 2) {
                painter.setFont(layout.boldFont);
                painter.drawText(QRectF(0, y, layout.introLabelWidth, layout.lineHeight),
                                 Qt::AlignLeft | Qt::AlignVCenter, item.lines.at(i));
                painter.setFont(layout.bodyFont);
                const QStringList value = item.lines.at(i + 1).split(QLatin1Char('\n'));
                const QRectF box(layout.introLabelWidth, y, width - layout.introLabelWidth,
                                 value.size() * layout.lineHeight);
                drawLines(painter, value, box, Qt::AlignLeft, layout.lineHeight);
                y += value.size() * layout.lineHeight;
            }
            break;
        }
        case PageItem::Kind::ColumnHeader: {
            const QRectF band(0, item.top, width, item.height);
            painter.fillRect(band, QColor(225, 230, 238));
            painter.setFont(layout.boldFont);
            paintCells(painter, layout, layout.headerCells, item.top, 0, layout.headerLines);
            painter.setPen(QPen(Qt::black, fromPoints(0.75)));
            painter.drawLine(band.bottomLeft(), band.bottomRight());
            painter.setPen(Qt::black);
            break;
        }
        case PageItem::Kind::GroupHeader:
            paintGroupHeading(painter, layout, item);
            break;
        case PageItem::Kind::GroupFooter: {
            const double indent = fromPoints(10) * item.level;
            painter.setFont(layout.bodyFont);
            drawLines(painter, item.lines,
                      QRectF(indent + layout.cellPadding, item.top + layout.cellPadding,
                             width - indent - 2 * layout.cellPadding, item.lines.size() * layout.lineHeight),
                      Qt::AlignRight, layout.lineHeight);
            break;
        }
        case PageItem::Kind::Row:
            painter.setFont(layout.bodyFont);
            paintCells(painter, layout, layout.rowCells.at(item.row), item.top, item.firstLine, item.lastLine);
            painter.setPen(grid);
            painter.drawLine(QPointF(0, item.top + item.height), QPointF(width, item.top + item.height));
            painter.setPen(Qt::black);
            break;
        case PageItem::Kind::Empty:
            painter.setFont(layout.bodyFont);
            drawLines(painter, item.lines,
                      QRectF(layout.cellPadding, item.top + layout.cellPadding, width, layout.lineHeight), Qt::AlignLeft,
                      layout.lineHeight);
            break;
        case PageItem::Kind::SummaryTitle: {
            const double top = item.top + fromPoints(6);
            const double line = QFontMetricsF(layout.titleFont).lineSpacing();
            // Under the page heading's own rule it needs none.
            if (item.top > layout.bodyTop(pageIndex) + 1) {
                painter.setPen(QPen(Qt::black, fromPoints(0.75)));
                painter.drawLine(QPointF(0, top - fromPoints(2)), QPointF(width, top - fromPoints(2)));
            }
            painter.setFont(layout.titleFont);
            drawLines(painter, item.lines, QRectF(0, top, width, item.lines.size() * line), Qt::AlignLeft, line);
            break;
        }
        case PageItem::Kind::Table:
            paintTable(painter, layout, item);
            break;
        }
    }
    painter.restore();
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
