#include "reportpainter.h"

#include "reporterror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using ReportUnits::fromPoints;

namespace {

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// A file written beside its target and put in the target's place by one
// rename only when it is whole and on the disk: until then an older file of
// that name stays as it was. Removed unless it was put in place.
class FileBeside
{
public:
    explicit FileBeside(const QString &target)
        : m_target(target)
    {
    }
    FileBeside(const FileBeside &) = delete;
    FileBeside &operator=(const FileBeside &) = delete;
    ~FileBeside()
    {
        m_file.close();
        if (m_fd >= 0)
            ::close(m_fd);
        if (!m_path.isEmpty() && !m_placed)
            ::unlink(QFile::encodeName(m_path).constData());
    }

    QIODevice &device() { return m_file; }

    // Makes the file, empty, under a name of its own. Empty on success, else why not.
    QString create()
    {
        const QFileInfo info(m_target);
        const QByteArray target = QFile::encodeName(m_target);
        struct stat old {};
        const bool exists = ::stat(target.constData(), &old) == 0;
        // A file that may not be written is not replaced either.
        if (exists && ::access(target.constData(), W_OK) != 0)
            return systemError(errno);
        for (int attempt = 0; attempt < 16; ++attempt) {
            const QString path = info.dir().filePath(
                QStringLiteral(".%1.%2.part").arg(info.fileName()).arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
            m_fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (m_fd < 0 && errno == EEXIST)
                continue;
            if (m_fd < 0)
                return systemError(errno);
            m_path = path;
            if (exists)
                ::fchmod(m_fd, old.st_mode & 07777);
            if (!m_file.open(m_fd, QIODevice::WriteOnly, QFileDevice::DontCloseHandle))
                return m_file.errorString();
            return QString();
        }
        return systemError(EEXIST);
    }

    // Writes out what is buffered, flushes it to the disk and renames the file
    // over the target. Empty on success, else why not.
    QString putInPlace()
    {
        if (!m_file.flush() || m_file.error() != QFileDevice::NoError)
            return m_file.errorString();
        m_file.close();
        if (::fsync(m_fd) != 0)
            return systemError(errno);
        const int closed = ::close(m_fd);
        m_fd = -1;
        if (closed != 0)
            return systemError(errno);
        if (std::rename(QFile::encodeName(m_path).constData(), QFile::encodeName(m_target).constData()) != 0)
            return systemError(errno);
        m_placed = true;
        // The new file is in place whatever the folder's flush says.
        const int folder = ::open(QFile::encodeName(QFileInfo(m_target).absolutePath()).constData(),
                                  O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folder >= 0) {
            ::fsync(folder);
            ::close(folder);
        }
        return QString();
    }

private:
    QString m_target;
    QString m_path;
    QFile m_file;
    int m_fd = -1;
    bool m_placed = false;
};

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

void paintHeader(QPainter &p, const ReportLayout &l)
{
    const double width = l.paintSize.width();
    double y = 0;
    const double headingHeight = QFontMetricsF(l.headingFont).lineSpacing();
    p.setFont(l.headingFont);
    p.drawText(QRectF(0, y, width, headingHeight), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, l.heading);
    y += headingHeight;
    const double titleHeight = QFontMetricsF(l.titleFont).lineSpacing();
    p.setFont(l.titleFont);
    p.drawText(QRectF(0, y, width, titleHeight), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, l.title);
    y += titleHeight;
    p.setFont(l.bodyFont);
    drawLines(p, l.captionLines, QRectF(0, y, width, l.captionLines.size() * l.lineHeight), Qt::AlignLeft, l.lineHeight);
    p.drawText(QRectF(0, y, width, l.lineHeight), Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, l.printedOn);
    y += l.captionLines.size() * l.lineHeight + fromPoints(4);
    p.setPen(QPen(Qt::black, fromPoints(1)));
    p.drawLine(QPointF(0, y), QPointF(width, y));
}

void paintFooter(QPainter &p, const ReportLayout &l, int pageIndex)
{
    const double width = l.paintSize.width();
    const double top = l.paintSize.height() - l.footerHeight + fromPoints(4);
    p.setPen(QPen(Qt::gray, fromPoints(0.5)));
    p.drawLine(QPointF(0, top), QPointF(width, top));
    p.setPen(Qt::black);
    p.setFont(l.smallFont);
    p.drawText(QRectF(0, top + fromPoints(2), width, l.footerHeight - fromPoints(6)),
               Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, l.footerText(pageIndex));
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

void paintChart(QPainter &p, const ReportLayout &l, const PageItem &item)
{
    const QList<ChartBar> &bars = l.charts.at(item.index);
    double y = item.top + fromPoints(8);
    p.setFont(l.boldFont);
    drawLines(p, item.lines, QRectF(0, y, l.paintSize.width(), item.lines.size() * l.lineHeight), Qt::AlignLeft, l.lineHeight);
    y += item.lines.size() * l.lineHeight;
    p.setFont(l.bodyFont);
    const QFontMetricsF metrics(l.bodyFont);
    double labelWidth = 0;
    int most = 0;
    for (const ChartBar &bar : bars) {
        labelWidth = std::max(labelWidth, metrics.horizontalAdvance(bar.label));
        most = std::max(most, bar.count);
    }
    labelWidth += fromPoints(8);
    const double longest = std::min(fromPoints(260), l.paintSize.width() - labelWidth - fromPoints(40));
    for (const ChartBar &bar : bars) {
        p.setPen(Qt::black);
        p.drawText(QRectF(0, y, labelWidth, l.lineHeight), Qt::AlignLeft | Qt::AlignVCenter, bar.label);
        const double length = most == 0 ? 0 : longest * bar.count / most;
        const QRectF rect(labelWidth, y + fromPoints(1), std::max(length, fromPoints(0.5)), l.lineHeight - fromPoints(2));
        p.fillRect(rect, bar.color);
        p.drawText(QRectF(rect.right() + fromPoints(4), y, fromPoints(40), l.lineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                   QString::number(bar.count));
        y += l.lineHeight + fromPoints(4);
    }
}

} // namespace

namespace ReportPainter {

void paintPage(QPainter &p, const ReportLayout &l, int pageIndex)
{
    if (pageIndex < 0 || pageIndex >= l.pageCount())
        return;
    p.save();
    p.setPen(Qt::black);
    paintHeader(p, l);
    paintFooter(p, l, pageIndex);

    const double width = l.paintSize.width();
    const QPen grid(QColor(190, 190, 190), fromPoints(0.5));
    for (const PageItem &item : l.pages.at(pageIndex).items) {
        switch (item.kind) {
        case PageItem::Kind::Intro: {
            const double labelWidth = item.index;
            double y = item.top;
            for (int i = 0; i + 1 < item.lines.size(); i += 2) {
                p.setFont(l.boldFont);
                p.drawText(QRectF(0, y, labelWidth, l.lineHeight), Qt::AlignLeft | Qt::AlignVCenter, item.lines.at(i));
                p.setFont(l.bodyFont);
                const QStringList value = item.lines.at(i + 1).split(QLatin1Char('\n'));
                drawLines(p, value, QRectF(labelWidth, y, width - labelWidth, value.size() * l.lineHeight), Qt::AlignLeft, l.lineHeight);
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
        case PageItem::Kind::GroupFooter: {
            const bool header = item.kind == PageItem::Kind::GroupHeader;
            const double indent = fromPoints(10) * item.index;
            const double top = item.top + (header ? fromPoints(3) : 0);
            if (header)
                p.fillRect(QRectF(indent, top, width - indent, item.height - fromPoints(3)), QColor(243, 243, 243));
            p.setFont(header ? l.boldFont : l.bodyFont);
            drawLines(p, item.lines,
                      QRectF(indent + l.cellPadding, top + l.cellPadding, width - indent - 2 * l.cellPadding,
                             item.lines.size() * l.lineHeight),
                      header ? Qt::AlignLeft : Qt::AlignRight, l.lineHeight);
            break;
        }
        case PageItem::Kind::Row:
            p.setFont(l.bodyFont);
            paintCells(p, l, l.rowCells.at(item.index), item.top, item.firstLine, item.lastLine);
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
            const double top = item.top + fromPoints(8);
            p.setPen(QPen(Qt::black, fromPoints(0.75)));
            p.drawLine(QPointF(0, top - fromPoints(3)), QPointF(width, top - fromPoints(3)));
            p.setFont(l.boldFont);
            drawLines(p, item.lines, QRectF(0, top, width, item.lines.size() * l.lineHeight), Qt::AlignLeft, l.lineHeight);
            break;
        }
        case PageItem::Kind::SummaryLine: {
            const double indent = fromPoints(14) * item.index;
            p.setFont(l.bodyFont);
            drawLines(p, item.lines, QRectF(indent, item.top, width - indent, item.lines.size() * l.lineHeight), Qt::AlignLeft,
                      l.lineHeight);
            break;
        }
        case PageItem::Kind::Chart:
            paintChart(p, l, item);
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

void exportPdf(const ReportLayout &layout, const QString &path, const QString &title)
{
    FileBeside file(path);
    QString problem = file.create();
    if (problem.isEmpty()) {
        {
            QPdfWriter writer(&file.device());
            writer.setResolution(int(ReportUnits::dotsPerInch));
            writer.setPageLayout(layout.pageLayout);
            writer.setTitle(title);
            writer.setCreator(QStringLiteral("Verolan"));
            paintPages(writer, writer.resolution(), layout, 0, layout.pageCount() - 1);
        }
        problem = file.putInPlace();
    }
    if (!problem.isEmpty())
        throw ReportError(path, QStringLiteral("the PDF file cannot be written: ") + problem);
}

} // namespace ReportPainter
