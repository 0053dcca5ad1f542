#include "reportlayout.h"

#include "reporterror.h"
#include "textwrapper.h"

#include <QFontMetricsF>
#include <QLocale>
#include <QMap>
#include <QRegularExpression>
#include <QTextLayout>
#include <algorithm>
#include <vector>

using ReportUnits::fromPoints;

namespace {

QFont reportFont(double points, bool bold = false, bool italic = false)
{
    // One pinned face, sized in dots, so that the layout is the same on every machine and device.
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(qRound(fromPoints(points)));
    font.setBold(bold);
    font.setItalic(italic);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

int fieldIndex(const ReportContent &content, const QString &field)
{
    return fieldPosition(content.fields, field);
}

struct Filter
{
    int column = -1;
    QString value;
    bool negated = false;

    Filter(const ReportContent &content, const ReportCondition &c)
        : column(c.isSet() ? fieldIndex(content, c.field) : -1)
        , value(c.value)
        , negated(c.negated)
    {
    }
    bool matches(const ReportRows &rows, qsizetype row) const
    {
        if (column < 0)
            return true;
        return (rows.at(row, column) == value) != negated;
    }
    int count(const ReportRows &rows) const
    {
        int n = 0;
        for (qsizetype r = 0; r < rows.size(); ++r)
            n += matches(rows, r) ? 1 : 0;
        return n;
    }
};

QString fill(const QString &text, const QString &value, int count)
{
    // One pass over the template: braces in the value itself stay as typed.
    static const QRegularExpression placeholder(QStringLiteral("\\{(value|count)\\}"));
    QString out;
    qsizetype from = 0;
    for (auto it = placeholder.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out += text.mid(from, m.capturedStart() - from);
        if (m.capturedView(1) == QLatin1String("value"))
            out += value.isEmpty() ? QStringLiteral("(blank)") : value;
        else
            out += QString::number(count);
        from = m.capturedEnd();
    }
    return out + text.mid(from);
}

// Places items top to bottom, page by page.
class Paginator
{
public:
    explicit Paginator(ReportLayout &layout)
        : m_layout(layout)
        , m_bodyTop(layout.headerHeight)
        , m_bodyBottom(layout.paintSize.height() - layout.footerHeight)
    {
        m_layout.pages.append(ReportPage());
        m_y = m_bodyTop;
    }

    double columnHeaderHeight() const
    {
        return m_layout.headerLines * m_layout.lineHeight + 2 * m_layout.cellPadding;
    }
    double roomOnFreshPage() const
    {
        return m_bodyBottom - m_bodyTop - (m_inRows ? columnHeaderHeight() : 0);
    }
    double room() const { return m_bodyBottom - m_y; }
    bool pageIsFresh() const { return m_fresh; }

    void startRows()
    {
        m_inRows = true;
        if (room() < columnHeaderHeight() + rowHeight(1))
            newPage();
        else
            placeColumnHeader();
    }
    void endRows() { m_inRows = false; }

    void newPage()
    {
        m_layout.pages.append(ReportPage());
        m_y = m_bodyTop;
        m_fresh = true;
        if (m_inRows)
            placeColumnHeader();
    }

    // Starts a new page unless height fits below what stands on this one.
    void ensureRoom(double height)
    {
        if (height > room() && !m_fresh)
            newPage();
    }

    void place(PageItem item)
    {
        item.top = m_y;
        m_y += item.height;
        m_layout.pages.last().items.append(std::move(item));
        m_fresh = false;
    }

    double rowHeight(int lines) const { return lines * m_layout.lineHeight + 2 * m_layout.cellPadding; }

    // A row goes whole onto the page where it fits, or else whole onto a new
    // page; only a row taller than a page is split, between its lines.
    void placeRow(int row)
    {
        const int lines = m_layout.rowLines.at(row);
        const double height = rowHeight(lines);
        if (height > room() && height <= roomOnFreshPage())
            newPage();
        int first = 0;
        while (first < lines) {
            int fit = int((room() - 2 * m_layout.cellPadding) / m_layout.lineHeight);
            if (fit < 1) {
                newPage();
                continue;
            }
            const int last = std::min(lines, first + fit);
            PageItem item;
            item.kind = PageItem::Kind::Row;
            item.index = row;
            item.firstLine = first;
            item.lastLine = last;
            item.height = rowHeight(last - first);
            place(item);
            first = last;
        }
    }

private:
    void placeColumnHeader()
    {
        PageItem item;
        item.kind = PageItem::Kind::ColumnHeader;
        item.height = columnHeaderHeight();
        place(item);
        m_fresh = true; // a page holding only the column header is still empty
    }

    ReportLayout &m_layout;
    double m_bodyTop;
    double m_bodyBottom;
    double m_y = 0;
    bool m_inRows = false;
    bool m_fresh = true;
};

} // namespace

QStringList wrapText(const QString &text, const QFont &font, double width)
{
    QStringList out;
    QString plain = text;
    plain.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    plain.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    plain.replace(QLatin1Char('\t'), QLatin1Char(' '));
    const QFontMetricsF metrics(font);
    const QStringList paragraphs = plain.split(QLatin1Char('\n'));
    for (const QString &paragraph : paragraphs) {
        if (paragraph.isEmpty() || metrics.horizontalAdvance(paragraph) <= width) {
            out << paragraph;
            continue;
        }
        QTextLayout layout(paragraph, font);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            QString part = paragraph.mid(line.textStart(), line.textLength());
            while (part.size() > 1 && part.back().isSpace())
                part.chop(1);
            out << part;
        }
        layout.endLayout();
    }
    return out;
}

QString formatValue(const QString &value, ReportColumn::Format format)
{
    if (format == ReportColumn::Format::Date && !value.isEmpty()) {
        QDate date = QDate::fromString(value.left(10), Qt::ISODate);
        if (date.isValid())
            return QLocale::c().toString(date, QStringLiteral("dd MMM yyyy"));
    }
    return value;
}

namespace {

// How a cell's text splits, as kept for it: on one line as it is, by wrap()
// when painted, or else its number of lines, each but the first with its break
// following (lines without their trailing blanks).
constexpr quint16 splitWhole = 0;
constexpr quint16 splitByWrap = 0xffff;

} // namespace

ReportRowCells::ReportRowCells(ReportRows rows, QList<int> fields, QList<ReportColumn::Format> formats,
                               QList<double> widths, const QFont &font)
    : m_rows(std::move(rows))
    , m_fields(std::move(fields))
    , m_formats(std::move(formats))
    , m_widths(std::move(widths))
    , m_wrapper(std::make_shared<TextWrapper>(font))
{
    // Its own wrapper: the widths of every word of every row are not kept for painting.
    TextWrapper splitter(font);
    struct Split
    {
        int lines = 1;
        std::vector<quint16> notes;
    };
    const auto split = [&](const QString &text, int column) {
        Split s;
        switch (splitter.split(text, m_widths.at(column), &s.lines)) {
        case TextWrapper::Split::Whole:
            s.notes = {splitWhole};
            break;
        case TextWrapper::Split::AtBreaks:
            // Breaks are kept in 16 bits; a text too long for that is wrapped again when painted.
            if (text.size() < splitByWrap) {
                s.notes = {quint16(splitter.breaks().size() + 1)};
                s.notes.insert(s.notes.end(), splitter.breaks().cbegin(), splitter.breaks().cend());
                break;
            }
            Q_FALLTHROUGH();
        case TextWrapper::Split::Other:
            s.notes = {splitByWrap};
            break;
        }
        return s;
    };
    // A text that repeats in its column is split once.
    std::vector<QHash<quint32, Split>> known(m_fields.size());
    m_lines.reserve(size());
    m_rowStart.reserve(size());
    for (qsizetype r = 0; r < size(); ++r) {
        m_rowStart.push_back(quint32(m_splits.size()));
        int lines = 1;
        for (int c = 0; c < m_fields.size(); ++c) {
            const quint32 number = m_rows.textNumber(r, m_fields.at(c));
            Split fresh;
            const Split *s = &fresh;
            if (m_rows.repeats(m_fields.at(c))) {
                auto it = known[c].constFind(number);
                if (it == known[c].cend())
                    it = known[c].insert(number, split(cellText(r, c), c));
                s = &*it;
            } else {
                fresh = split(cellText(r, c), c);
            }
            lines = std::max(lines, s->lines);
            m_splits.insert(m_splits.end(), s->notes.cbegin(), s->notes.cend());
        }
        m_lines.append(lines);
    }
    m_splits.shrink_to_fit();
}

QString ReportRowCells::cellText(qsizetype row, int column) const
{
    return formatValue(m_rows.at(row, m_fields.at(column)), m_formats.at(column));
}

QList<QStringList> ReportRowCells::at(qsizetype row) const
{
    QList<QStringList> cells;
    cells.reserve(m_fields.size());
    const quint16 *note = m_splits.data() + m_rowStart.at(row);
    for (int c = 0; c < m_fields.size(); ++c) {
        const QString text = cellText(row, c);
        if (*note == splitWhole) {
            cells << QStringList{text};
            ++note;
        } else if (*note == splitByWrap) {
            cells << m_wrapper->wrap(text, m_widths.at(c));
            ++note;
        } else {
            const std::span<const quint16> breaks(note + 1, *note - 1);
            cells << TextWrapper::linesAt(text, breaks);
            note += *note;
        }
    }
    return cells;
}

QString ReportLayout::footerText(int pageIndex) const
{
    return QStringLiteral("Page %1 of %2").arg(pageIndex + 1).arg(pageCount());
}

ReportLayout layoutReport(const ReportDefinition &definition, const ReportContent &content,
                          const QStringList &parameterValues, const QDate &printedOn)
{
    ReportLayout layout;
    layout.pageLayout = QPageLayout(QPageSize(QPageSize::A4), definition.orientation,
                                    QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    const QRectF paint = layout.pageLayout.paintRectPoints();
    layout.paintSize = QSizeF(fromPoints(paint.width()), fromPoints(paint.height()));
    const double width = layout.paintSize.width();

    layout.bodyFont = reportFont(8.5);
    layout.boldFont = reportFont(8.5, true);
    layout.headingFont = reportFont(15, true);
    layout.titleFont = reportFont(12, true);
    layout.smallFont = reportFont(8);
    layout.lineHeight = QFontMetricsF(layout.bodyFont).lineSpacing();
    layout.cellPadding = fromPoints(2.5);

    // Page header: the heading parameter, the title, the captioned parameters and the date.
    layout.title = definition.title;
    for (int i = 0; i < definition.parameters.size(); ++i) {
        const ReportParameter &p = definition.parameters.at(i);
        const QString value = parameterValues.value(i);
        if (p.heading && layout.heading.isEmpty())
            layout.heading = value;
        else if (!p.caption.isEmpty())
            layout.captionLines += wrapText(p.caption + QStringLiteral(": ") + value, layout.bodyFont, width * 0.7);
    }
    if (layout.captionLines.isEmpty())
        layout.captionLines << QString();
    layout.printedOn = QStringLiteral("Printed ") + QLocale::c().toString(printedOn, QStringLiteral("dd MMM yyyy"));
    layout.headerHeight = QFontMetricsF(layout.headingFont).lineSpacing()
                          + QFontMetricsF(layout.titleFont).lineSpacing()
                          + layout.captionLines.size() * layout.lineHeight + fromPoints(10);
    layout.footerHeight = fromPoints(8) + QFontMetricsF(layout.smallFont).lineSpacing();

    // Columns, scaled together to the printable width.
    double total = 0;
    for (const ReportColumn &c : definition.columns)
        total += c.width;
    double x = 0;
    for (const ReportColumn &c : definition.columns) {
        const double w = c.width * width / total;
        layout.columnLeft << x;
        layout.columnWidth << w;
        layout.columnAlignment << c.alignment;
        x += w;
    }
    const double pad = layout.cellPadding;
    for (int c = 0; c < definition.columns.size(); ++c) {
        layout.headerCells << wrapText(definition.columns.at(c).header, layout.boldFont, layout.columnWidth.at(c) - 2 * pad);
        layout.headerLines = std::max(layout.headerLines, int(layout.headerCells.last().size()));
    }

    // Only where each cell breaks is kept; a page makes its rows' lines when painted.
    const ReportRows &rows = content.rows;
    QList<int> columnField;
    QList<ReportColumn::Format> columnFormat;
    QList<double> textWidth;
    for (int c = 0; c < definition.columns.size(); ++c) {
        columnField << fieldIndex(content, definition.columns.at(c).field);
        columnFormat << definition.columns.at(c).format;
        textWidth << layout.columnWidth.at(c) - 2 * pad;
    }
    layout.rowCells = ReportRowCells(rows, columnField, columnFormat, textWidth, layout.bodyFont);
    layout.rowLines = layout.rowCells.lineCounts();

    Paginator pages(layout);
    const QFontMetricsF bold(layout.boldFont);

    if (!definition.introItems.isEmpty()) {
        for (int i = 0; i < definition.introItems.size(); ++i)
            layout.intro.append({definition.introItems.at(i).label, content.introValues.value(i)});
        PageItem item;
        item.kind = PageItem::Kind::Intro;
        // Label column, then the value wrapped beside it.
        double labelWidth = 0;
        for (const auto &pair : std::as_const(layout.intro))
            labelWidth = std::max(labelWidth, bold.horizontalAdvance(pair.first + QStringLiteral(":")));
        labelWidth += fromPoints(8);
        int lines = 0;
        for (auto &pair : layout.intro) {
            const QStringList wrapped = wrapText(pair.second, layout.bodyFont, width - labelWidth);
            item.lines << pair.first + QStringLiteral(":") << wrapped.join(QLatin1Char('\n'));
            lines += int(wrapped.size());
        }
        item.index = int(labelWidth);
        item.height = lines * layout.lineHeight + fromPoints(10);
        pages.place(item);
    }

    // Group headers and footers.
    QList<int> groupField;
    for (const ReportGroup &g : definition.groups)
        groupField << fieldIndex(content, g.field);
    const int levels = int(groupField.size());
    auto groupItem = [&](PageItem::Kind kind, int level, const QString &text) {
        PageItem item;
        item.kind = kind;
        item.index = level;
        const double indent = fromPoints(10) * level;
        item.lines = wrapText(text, kind == PageItem::Kind::GroupHeader ? layout.boldFont : layout.bodyFont, width - indent - 2 * pad);
        item.height = item.lines.size() * layout.lineHeight + 2 * pad + (kind == PageItem::Kind::GroupHeader ? fromPoints(3) : 0);
        return item;
    };
    // Rows in each open group, counted ahead so a footer can say how many.
    auto groupSize = [&](int start, int level) {
        int end = start + 1;
        auto same = [&](int a, int b) {
            for (int l = 0; l <= level; ++l) {
                if (rows.at(a, groupField.at(l)) != rows.at(b, groupField.at(l)))
                    return false;
            }
            return true;
        };
        while (end < rows.size() && same(start, end))
            ++end;
        return end - start;
    };

    pages.startRows();
    if (rows.isEmpty()) {
        PageItem item;
        item.kind = PageItem::Kind::Empty;
        item.lines << QStringLiteral("There are no rows to show.");
        item.height = layout.lineHeight + 2 * pad;
        pages.place(item);
    }
    QList<int> openStart(levels, 0);
    for (int r = 0; r < rows.size(); ++r) {
        int changed = levels;
        for (int l = 0; l < levels; ++l) {
            if (r == 0 || rows.at(r, groupField.at(l)) != rows.at(r - 1, groupField.at(l))) {
                changed = l;
                break;
            }
        }
        QList<PageItem> headers;
        double headersHeight = 0;
        for (int l = changed; l < levels; ++l) {
            openStart[l] = r;
            headers << groupItem(PageItem::Kind::GroupHeader, l,
                                 fill(definition.groups.at(l).header, rows.at(r, groupField.at(l)), groupSize(r, l)));
            headersHeight += headers.last().height;
        }
        if (!headers.isEmpty()) {
            // Headers go with at least the first line of their first row.
            pages.ensureRoom(headersHeight + pages.rowHeight(std::min(layout.rowLines.at(r), 1)));
            if (headersHeight + pages.rowHeight(layout.rowLines.at(r)) > pages.room()
                && headersHeight + pages.rowHeight(layout.rowLines.at(r)) <= pages.roomOnFreshPage()
                && !pages.pageIsFresh())
                pages.newPage();
            for (PageItem &h : headers)
                pages.place(h);
        }
        pages.placeRow(r);

        // Footers of the groups that end with this row, innermost first.
        int closing = levels;
        for (int l = 0; l < levels; ++l) {
            if (r + 1 == rows.size() || rows.at(r, groupField.at(l)) != rows.at(r + 1, groupField.at(l))) {
                closing = l;
                break;
            }
        }
        for (int l = levels - 1; l >= closing; --l) {
            if (definition.groups.at(l).footer.isEmpty())
                continue;
            PageItem footer = groupItem(PageItem::Kind::GroupFooter, l,
                                        fill(definition.groups.at(l).footer, rows.at(r, groupField.at(l)), r + 1 - openStart.at(l)));
            pages.ensureRoom(footer.height);
            pages.place(footer);
        }
    }
    pages.endRows();

    // Summary lines.
    layout.charts.resize(definition.summary.size());
    if (!definition.summary.isEmpty()) {
        QList<PageItem> block;
        auto line = [&](const QString &text, int indent = 0) {
            PageItem item;
            item.kind = PageItem::Kind::SummaryLine;
            item.index = indent;
            item.lines = wrapText(text, layout.bodyFont, width - fromPoints(14) * indent);
            item.height = item.lines.size() * layout.lineHeight;
            return item;
        };
        if (!definition.summaryTitle.isEmpty()) {
            PageItem title;
            title.kind = PageItem::Kind::SummaryTitle;
            title.lines = wrapText(definition.summaryTitle, layout.boldFont, width);
            title.height = title.lines.size() * layout.lineHeight + fromPoints(12);
            block << title;
        }
        for (int s = 0; s < definition.summary.size(); ++s) {
            const ReportSummaryItem &item = definition.summary.at(s);
            const Filter where(content, item.where);
            switch (item.kind) {
            case ReportSummaryItem::Kind::Count:
                block << line(QStringLiteral("%1: %2").arg(item.label).arg(where.count(rows)));
                break;
            case ReportSummaryItem::Kind::CountBy: {
                const int by = fieldIndex(content, item.by);
                QMap<QString, int> counts;
                for (qsizetype r = 0; r < rows.size(); ++r) {
                    if (where.matches(rows, r))
                        ++counts[rows.at(r, by)];
                }
                block << line(item.label + QLatin1Char(':'));
                QStringList values = item.order;
                for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
                    if (!values.contains(it.key()))
                        values << it.key();
                }
                for (const QString &value : values)
                    block << line(QStringLiteral("%1: %2").arg(value.isEmpty() ? QStringLiteral("(blank)") : value)
                                      .arg(counts.value(value)), 1);
                break;
            }
            case ReportSummaryItem::Kind::Rate: {
                const Filter base(content, item.base);
                int of = 0;
                int hits = 0;
                for (qsizetype r = 0; r < rows.size(); ++r) {
                    if (base.matches(rows, r)) {
                        ++of;
                        if (where.matches(rows, r))
                            ++hits;
                    }
                }
                const QString rate = of == 0 ? QStringLiteral("n/a")
                                             : QLocale::c().toString(100.0 * hits / of, 'f', 1) + QStringLiteral(" %");
                block << line(QStringLiteral("%1: %2 (%3 of %4)").arg(item.label, rate).arg(hits).arg(of));
                break;
            }
            case ReportSummaryItem::Kind::BarChart: {
                const int by = fieldIndex(content, item.by);
                QList<ChartBar> bars;
                for (const ReportBar &b : item.bars) {
                    ChartBar bar{b.label, b.color, 0};
                    for (qsizetype r = 0; r < rows.size(); ++r) {
                        if (rows.at(r, by) == b.value && where.matches(rows, r))
                            ++bar.count;
                    }
                    bars << bar;
                }
                layout.charts[s] = bars;
                PageItem chart;
                chart.kind = PageItem::Kind::Chart;
                chart.index = s;
                if (!item.label.isEmpty())
                    chart.lines << item.label;
                chart.height = fromPoints(8) + chart.lines.size() * layout.lineHeight
                               + bars.size() * (layout.lineHeight + fromPoints(4));
                block << chart;
                break;
            }
            }
        }
        // The title goes with the first line under it.
        if (!block.isEmpty() && block.first().kind == PageItem::Kind::SummaryTitle && block.size() > 1)
            pages.ensureRoom(block.at(0).height + block.at(1).height);
        for (int i = 0; i < block.size(); ++i) {
            // A count-by heading goes with its first value.
            double need = block.at(i).height;
            if (i + 1 < block.size() && block.at(i).kind == PageItem::Kind::SummaryLine
                && block.at(i + 1).kind == PageItem::Kind::SummaryLine && block.at(i + 1).index > block.at(i).index)
                need += block.at(i + 1).height;
            pages.ensureRoom(need);
            pages.place(block.at(i));
        }
    }
    return layout;
}
