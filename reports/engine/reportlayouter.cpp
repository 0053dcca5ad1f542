#include "columnwidths.h"
#include "reportlayout.h"
#include "reportsummary.h"

#include <QFontMetricsF>
#include <QLocale>
#include <QRegularExpression>
#include <algorithm>
#include <functional>

using ReportUnits::fromPoints;

// The square before each label of a legend.
constexpr double legendSwatch = ReportUnits::fromPoints(8);

namespace {

QFont reportFont(double points, bool bold = false)
{
    // One pinned face, sized in dots, so that the layout is the same on every machine and device.
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(qRound(fromPoints(points)));
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    // Unshaped, a PDF holds "f" and "i" where the shaper would put the
    // ligature glyph "ﬁ", which a search or a copy then reads as one letter;
    // Latin text needs no shaping to look right.
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

QString fill(const QString &text, const QString &value, int count)
{
    // One pass over the template: braces in the value itself stay as typed.
    static const QRegularExpression placeholder(QStringLiteral("\\{(value|count)\\}"));
    QString out;
    qsizetype from = 0;
    for (auto it = placeholder.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        out += text.mid(from, match.capturedStart() - from);
        if (match.capturedView(1) == QLatin1String("value"))
            out += value.isEmpty() ? QStringLiteral("(blank)") : value;
        else
            out += QString::number(count);
        from = match.capturedEnd();
    }
    return out + text.mid(from);
}

// Places items top to bottom, page by page. While rows are laid out, every
// new page starts with what the rows need above them (the column headings,
// the headings of the groups that go on); a page holding only that is still
// empty.
class Paginator
{
public:
    explicit Paginator(ReportLayout &layout)
        : m_layout(layout)
        , m_bodyTop(layout.runningHeaderHeight)
        , m_bodyBottom(layout.paintSize.height() - layout.footerHeight)
        , m_y(layout.headerHeight)
    {
        m_layout.pages.append(ReportPage());
    }

    double room() const { return m_bodyBottom - m_y; }
    double bottom() const { return m_bodyBottom; }
    double roomOnFreshPage() const { return m_bodyBottom - m_bodyTop - (m_pageTopHeight ? m_pageTopHeight() : 0); }
    bool pageIsFresh() const { return m_fresh; }

    // What each new page starts with, and its height; none when empty.
    void setPageTop(std::function<void()> place, std::function<double()> height)
    {
        m_pageTop = std::move(place);
        m_pageTopHeight = std::move(height);
    }

    void newPage()
    {
        m_layout.pages.append(ReportPage());
        m_y = m_bodyTop;
        m_fresh = true;
        if (m_pageTop)
            placePageTop();
    }

    void placePageTop()
    {
        m_pageTop();
        m_fresh = true;
    }

    // Starts a new page unless height fits below what stands on this one.
    void ensureRoom(double height)
    {
        if (height > room() && !m_fresh)
            newPage();
    }

    // Starts a new page when height does not fit here but would on a new page.
    void keepTogether(double height)
    {
        if (height > room() && height <= roomOnFreshPage() && !m_fresh)
            newPage();
    }

    void place(PageItem item)
    {
        item.top = m_y;
        m_y += item.height;
        m_layout.pages.last().items.append(std::move(item));
        m_fresh = false;
    }

    // Beside what stands from top down on this page; the next item goes below both.
    void placeBeside(PageItem item, double top)
    {
        item.top = top;
        m_y = std::max(m_y, top + item.height);
        m_layout.pages.last().items.append(std::move(item));
        m_fresh = false;
    }

private:
    ReportLayout &m_layout;
    double m_bodyTop;
    double m_bodyBottom;
    double m_y;
    bool m_fresh = true;
    std::function<void()> m_pageTop;
    std::function<double()> m_pageTopHeight;
};

} // namespace

class ReportLayouter::Steps
{
public:
    Steps(const ReportDefinition &definition, const ReportContent &content, const QStringList &parameterValues,
          const QDate &printedOn);

    void layoutPages(int pages);
    bool complete() const { return m_step == Step::Done; }

    ReportLayout layout;

private:
    enum class Step { Intro, SummaryFirst, RowsStart, Rows, SummaryLast, Done };

    void setUpPage(const QStringList &parameterValues, const QDate &printedOn);
    void setUpColumns();
    void placeIntro();
    void placeSummary();
    void placeTable(int tableIndex);
    void measureTable(SummaryTable &table) const;
    void fitToWidth(SummaryTable &table) const;
    void cutAtPageEnd(SummaryTable &table);
    double tableHeight(const SummaryTable &table, int first, int last) const;
    void startRows();
    void placeRow(qsizetype row);
    void placeRowLines(qsizetype row);
    void placeGroupHeaders(qsizetype row);
    QList<PageItem> groupFooters(qsizetype row);
    PageItem groupItem(PageItem::Kind kind, int level, const QString &text) const;
    qsizetype groupSize(qsizetype start, int level) const;
    bool sameGroup(qsizetype row, qsizetype other, int level) const;
    double rowHeight(int lines) const { return lines * layout.lineHeight + 2 * layout.cellPadding; }

    const ReportDefinition &m_definition;
    const ReportContent &m_content;
    const ReportRows &m_rows;
    Paginator m_pages;
    Step m_step = Step::Intro;
    qsizetype m_next = 0;             // the next row to place
    QList<int> m_groupField;          // per group level, its field
    struct OpenGroup
    {
        qsizetype start;     // its first row
        PageItem continued;  // its heading as a page top repeats it
    };
    QList<OpenGroup> m_open;          // per group level, the group the rows are in
};

ReportLayouter::Steps::Steps(const ReportDefinition &definition, const ReportContent &content,
                             const QStringList &parameterValues, const QDate &printedOn)
    : m_definition(definition)
    , m_content(content)
    , m_rows(content.rows)
    , m_pages((setUpPage(parameterValues, printedOn), layout)) // the pages' heights come from the heading
{
    setUpColumns();
    for (const ReportGroup &group : definition.groups)
        m_groupField << fieldPosition(content.fields, group.field);
}

// The page, its fonts, and the heading and footer every page has.
void ReportLayouter::Steps::setUpPage(const QStringList &parameterValues, const QDate &printedOn)
{
    layout.pageLayout = QPageLayout(QPageSize(QPageSize::A4), m_definition.orientation, QMarginsF(10, 10, 10, 8),
                                    QPageLayout::Millimeter);
    const QRectF paint = layout.pageLayout.paintRectPoints();
    layout.paintSize = QSizeF(fromPoints(paint.width()), fromPoints(paint.height()));
    const double width = layout.paintSize.width();

    layout.bodyFont = reportFont(7.5);
    layout.boldFont = reportFont(7.5, true);
    layout.headingFont = reportFont(15, true);
    layout.titleFont = reportFont(12, true);
    layout.smallFont = reportFont(7.5);
    layout.levelFont = reportFont(9.5, true);
    layout.lineHeight = QFontMetricsF(layout.bodyFont).lineSpacing();
    layout.cellPadding = fromPoints(1.5);

    // The heading parameter with its detail (the company and its address), the
    // title, the captioned parameters with theirs.
    layout.title = m_definition.title;
    QString address;
    QStringList footer{m_definition.title};
    for (int i = 0; i < m_definition.parameters.size(); ++i) {
        const ReportParameter &parameter = m_definition.parameters.at(i);
        const QString value = parameter.date ? formatValue(parameterValues.value(i), ReportColumn::Format::Date)
                                             : parameterValues.value(i);
        const QString detail = m_content.parameterDetails.value(i).trimmed();
        if (parameter.heading && layout.heading.isEmpty()) {
            layout.heading = value;
            address = detail;
        } else if (!parameter.caption.isEmpty() && !(parameter.optional && value.isEmpty())) {
            const QString caption = parameter.caption + QStringLiteral(": ") + value;
            layout.captionLines += wrapText(detail.isEmpty() ? caption : caption + QStringLiteral(" \u2014 ") + detail,
                                            layout.bodyFont, width);
            footer << caption;
        }
    }
    layout.footerCaption = footer.join(QStringLiteral(" \u2014 "));
    if (layout.captionLines.isEmpty())
        layout.captionLines << QString();

    // A long company name takes a smaller font, down to the body's; only past that does it wrap.
    const double advance = QFontMetricsF(layout.headingFont).horizontalAdvance(layout.heading);
    if (advance > width) {
        const int smallest = layout.boldFont.pixelSize();
        layout.headingFont.setPixelSize(std::max(smallest, int(layout.headingFont.pixelSize() * width / advance * 0.98)));
    }
    layout.headingLines = wrapText(layout.heading, layout.headingFont, width);
    QStringList addressParts;
    for (const QString &line : address.split(QRegularExpression(QStringLiteral("[\r\n]+")), Qt::SkipEmptyParts)) {
        if (!line.trimmed().isEmpty())
            addressParts << line.trimmed();
    }
    if (!addressParts.isEmpty())
        layout.addressLines = wrapText(addressParts.join(QStringLiteral(", ")), layout.smallFont, width);

    layout.printedOn = QStringLiteral("Printed ") + QLocale::c().toString(printedOn, QStringLiteral("dd MMM yyyy"));
    layout.headerHeight = layout.headingLines.size() * QFontMetricsF(layout.headingFont).lineSpacing()
                          + layout.addressLines.size() * QFontMetricsF(layout.smallFont).lineSpacing()
                          + fromPoints(4) + QFontMetricsF(layout.titleFont).lineSpacing()
                          + layout.captionLines.size() * layout.lineHeight + fromPoints(10);
    // Later pages carry the company and the title on one line, leaving the
    // room to the rows; the footer names the title and the project on every page.
    const QFontMetricsF bold(layout.boldFont);
    const bool oneLine = bold.horizontalAdvance(layout.heading) + bold.horizontalAdvance(layout.title) + fromPoints(24) <= width;
    layout.runningHeaderHeight = (oneLine ? 1 : 2) * bold.lineSpacing() + fromPoints(8);
    layout.footerHeight = fromPoints(8) + QFontMetricsF(layout.smallFont).lineSpacing();
}

// The columns the rows need, each as wide as its texts ask; the rows' cells
// are split as their pages are laid out.
void ReportLayouter::Steps::setUpColumns()
{
    const double pad = layout.cellPadding;
    const ColumnChoice choice = chooseColumns(m_definition, m_content, layout.bodyFont, layout.boldFont,
                                              layout.paintSize.width(), pad);
    layout.shownColumns = choice.shown;
    QList<int> columnField;
    QList<ReportColumn::Format> columnFormat;
    QList<double> textWidth;
    double left = 0;
    for (int i = 0; i < choice.shown.size(); ++i) {
        const ReportColumn &column = m_definition.columns.at(choice.shown.at(i));
        const double columnWidth = choice.widths.at(i);
        layout.columnLeft << left;
        layout.columnWidth << columnWidth;
        layout.columnAlignment << column.alignment;
        left += columnWidth;
        layout.headerCells << wrapText(column.header, layout.boldFont, columnWidth - 2 * pad);
        layout.headerLines = std::max(layout.headerLines, int(layout.headerCells.last().size()));
        columnField << fieldPosition(m_content.fields, column.field);
        columnFormat << column.format;
        textWidth << columnWidth - 2 * pad;
    }
    layout.rowCells = ReportRowCells(m_rows, columnField, columnFormat, textWidth, layout.bodyFont);
}

void ReportLayouter::Steps::layoutPages(int pages)
{
    while (m_step != Step::Done && layout.pageCount() <= pages) {
        switch (m_step) {
        case Step::Intro:
            placeIntro();
            m_step = Step::SummaryFirst;
            break;
        case Step::SummaryFirst:
            if (m_definition.summaryFirst)
                placeSummary();
            m_step = Step::RowsStart;
            break;
        case Step::RowsStart:
            startRows();
            m_step = Step::Rows;
            break;
        case Step::Rows:
            if (m_next < m_rows.size()) {
                placeRow(m_next++);
            } else {
                m_pages.setPageTop({}, {});
                m_step = Step::SummaryLast;
            }
            break;
        case Step::SummaryLast:
            if (!m_definition.summaryFirst)
                placeSummary();
            m_step = Step::Done;
            layout.complete = true;
            break;
        case Step::Done:
            break;
        }
    }
}

// Label and value pairs, the values wrapped beside the widest label.
void ReportLayouter::Steps::placeIntro()
{
    if (m_definition.introItems.isEmpty())
        return;
    const QFontMetricsF bold(layout.boldFont);
    for (int i = 0; i < m_definition.introItems.size(); ++i)
        layout.intro.append({m_definition.introItems.at(i).label, m_content.introValues.value(i)});
    for (const auto &pair : std::as_const(layout.intro))
        layout.introLabelWidth = std::max(layout.introLabelWidth, bold.horizontalAdvance(pair.first + QStringLiteral(":")));
    layout.introLabelWidth += fromPoints(8);
    PageItem item;
    item.kind = PageItem::Kind::Intro;
    int lines = 0;
    for (const auto &pair : std::as_const(layout.intro)) {
        const QStringList wrapped = wrapText(pair.second, layout.bodyFont, layout.paintSize.width() - layout.introLabelWidth);
        item.lines << pair.first + QStringLiteral(":") << wrapped.join(QLatin1Char('\n'));
        lines += int(wrapped.size());
    }
    item.height = lines * layout.lineHeight + fromPoints(10);
    m_pages.place(item);
}

// The summary is kept on one page: when it does not fit below what stands on
// this one, it starts a page of its own.
void ReportLayouter::Steps::placeSummary()
{
    layout.tables = summaryTables(m_definition, m_content);
    if (layout.tables.isEmpty())
        return;
    for (SummaryTable &table : layout.tables)
        measureTable(table);
    PageItem title;
    title.kind = PageItem::Kind::SummaryTitle;
    title.lines = wrapText(m_definition.summaryTitle.isEmpty() ? QStringLiteral("Summary") : m_definition.summaryTitle,
                           layout.titleFont, layout.paintSize.width());
    title.height = title.lines.size() * QFontMetricsF(layout.titleFont).lineSpacing() + fromPoints(6);
    double height = title.height;
    for (const SummaryTable &table : std::as_const(layout.tables))
        height += tableHeight(table, 0, int(table.rows.size()));
    if (height > m_pages.room() && !m_pages.pageIsFresh())
        m_pages.newPage();
    m_pages.place(title);
    // Tables narrow enough stand side by side, and under a short one beside a
    // taller, so that a small project's summary and its rows share a page: a
    // table goes into the first row of tables on this page with room for it.
    const double gap = fromPoints(16);
    const double pageWidth = layout.paintSize.width();
    const QFontMetricsF bold(layout.boldFont);
    struct Slot
    {
        double left, right, bottom;
    };
    struct Shelf
    {
        double top, bottom;
        QList<Slot> places; // left to right
    };
    QList<Shelf> shelves; // on this page
    int shelvesPage = -1;
    const auto fitIn = [&](Shelf &shelf, PageItem &item, double width) {
        for (qsizetype at = 0; at < shelf.places.size(); ++at) {
            Slot &slot = shelf.places[at];
            const double right = at + 1 < shelf.places.size() ? shelf.places.at(at + 1).left - gap : pageWidth;
            if (slot.left + width <= right && slot.bottom + item.height <= shelf.bottom) {
                item.left = slot.left;
                m_pages.placeBeside(item, slot.bottom);
                slot.bottom += item.height;
                slot.right = std::max(slot.right, slot.left + width);
                return true;
            }
        }
        const double left = shelf.places.last().right + gap;
        const bool last = &shelf == &shelves.last();
        // Only the last row of tables may grow downwards.
        if (left + width > pageWidth || shelf.top + item.height > (last ? m_pages.bottom() : shelf.bottom))
            return false;
        item.left = left;
        m_pages.placeBeside(item, shelf.top);
        shelf.places.append({left, left + width, shelf.top + item.height});
        shelf.bottom = std::max(shelf.bottom, shelf.top + item.height);
        return true;
    };
    for (int index = 0; index < layout.tables.size(); ++index) {
        const SummaryTable &table = layout.tables.at(index);
        const double width = std::max(table.bodyWidth(), bold.horizontalAdvance(table.title));
        const int rows = int(table.rows.size());
        PageItem item;
        item.kind = PageItem::Kind::Table;
        item.table = index;
        item.lastLine = rows;
        item.height = tableHeight(table, 0, rows);
        bool placed = false;
        for (Shelf &shelf : shelves) {
            if (!table.toPageEnd && !placed)
                placed = fitIn(shelf, item, width);
        }
        if (placed)
            continue;
        placeTable(index);
        const PageItem &last = layout.pages.last().items.last();
        if (shelvesPage != layout.pageCount())
            shelves.clear();
        shelvesPage = layout.pageCount();
        if (!table.toPageEnd && last.kind == PageItem::Kind::Table && last.table == index && last.firstLine == 0
            && last.lastLine == rows)
            shelves.append({last.top, last.top + last.height, {{0, width, last.top + last.height}}});
    }
}

// A table longer than the room left goes on over the next pages, its title
// and column headings repeated.
void ReportLayouter::Steps::placeTable(int tableIndex)
{
    SummaryTable &table = layout.tables[tableIndex];
    if (table.toPageEnd)
        cutAtPageEnd(table);
    const int rows = int(table.rows.size());
    int first = 0;
    while (first < rows) {
        int last = first;
        double height = tableHeight(table, first, first);
        while (last < rows && height + rowHeight(table.rowLines.at(last)) <= m_pages.room())
            height += rowHeight(table.rowLines.at(last++));
        // The title and headings go with two rows at least, unless the table is shorter.
        const int least = std::min(rows - first, 2);
        if (last - first < least && !m_pages.pageIsFresh()) {
            m_pages.newPage();
            continue;
        }
        last = std::max(last, first + 1);
        PageItem item;
        item.kind = PageItem::Kind::Table;
        item.table = tableIndex;
        item.firstLine = first;
        item.lastLine = last;
        item.continued = first > 0;
        item.height = tableHeight(table, first, last);
        m_pages.place(item);
        first = last;
        if (first < rows)
            m_pages.newPage();
    }
}

// A list that stops where the page ends, its title saying how much it shows;
// it starts a page of its own when fewer than a few of its rows fit here.
void ReportLayouter::Steps::cutAtPageEnd(SummaryTable &table)
{
    const int rows = int(table.rows.size());
    const auto fitting = [&] {
        int fit = 0;
        double height = tableHeight(table, 0, 0);
        while (fit < rows && height + rowHeight(1) <= m_pages.room()) {
            height += rowHeight(1);
            ++fit;
        }
        return fit;
    };
    int fit = fitting();
    if (fit < std::min(rows, 5) && !m_pages.pageIsFresh()) {
        m_pages.newPage();
        fit = fitting();
    }
    fit = std::min(std::max(fit, 1), rows);
    const qsizetype inAll = std::max<qsizetype>(rows, table.rowsInAll);
    if (fit >= inAll)
        return;
    table.title += QStringLiteral(" (the first %1 of %2)").arg(fit).arg(inAll);
    table.rows.resize(fit);
    table.cells.resize(fit);
    table.rowLines.resize(fit);
}

// Columns as wide as their widest text; when they do not fit, narrowed
// together and wrapped.
void ReportLayouter::Steps::measureTable(SummaryTable &table) const
{
    const double pad = layout.cellPadding;
    const double width = layout.paintSize.width();
    const QFontMetricsF body(layout.bodyFont);
    const QFontMetricsF bold(layout.boldFont);
    qsizetype columns = table.header.size();
    for (const QStringList &row : std::as_const(table.rows))
        columns = std::max(columns, row.size());
    table.columnWidth = QList<double>(columns, 0);
    for (qsizetype column = 0; column < columns; ++column) {
        double widest = bold.horizontalAdvance(table.header.value(column));
        for (const QStringList &row : std::as_const(table.rows))
            widest = std::max(widest, bold.horizontalAdvance(row.value(column)));
        table.columnWidth[column] =
            std::max(widest, fromPoints(column == 0 ? 60 : 30)) + 2 * pad + fromPoints(column == 0 ? 9 : 1);
        table.alignment << (column == 0 ? Qt::AlignLeft : Qt::AlignRight);
    }
    if (table.legend) {
        // One row: its title, then each label after a swatch of its colour.
        table.columnWidth = QList<double>();
        table.alignment = QList<Qt::Alignment>();
        QStringList labels;
        QList<ChartBar> swatches;
        if (!table.title.isEmpty()) {
            labels << table.title + QStringLiteral(":");
            swatches << ChartBar(); // no colour: no swatch
            table.title.clear();
        }
        for (const QStringList &row : std::as_const(table.rows))
            labels << row.value(0);
        for (const QList<ChartBar> &bars : std::as_const(table.bars))
            swatches += bars;
        table.rows = {labels};
        table.bars = {swatches};
        for (qsizetype i = 0; i < labels.size(); ++i) {
            const bool swatch = swatches.at(i).color.isValid();
            table.columnWidth << (swatch ? body.horizontalAdvance(labels.at(i)) + legendSwatch * 1.5
                                         : QFontMetricsF(layout.boldFont).horizontalAdvance(labels.at(i)))
                                     + 2 * pad + fromPoints(12);
            table.alignment << Qt::AlignLeft;
        }
        table.cells = {QList<QStringList>()};
        for (const QString &label : std::as_const(labels))
            table.cells.last() << QStringList{label};
        table.rowLines = {1};
        return;
    }
    if (table.toPageEnd)
        fitToWidth(table);
    bool chart = false;
    for (qsizetype row = 0; row < table.bars.size(); ++row) {
        int sum = 0;
        for (const ChartBar &bar : table.bars.at(row))
            sum += bar.count;
        if (!table.total || row + 1 < table.rows.size())
            table.chartScale = std::max(table.chartScale, sum);
        chart = chart || !table.bars.at(row).isEmpty();
    }
    table.chartWidth = chart ? std::min(fromPoints(100), width * 0.3) : 0;
    double sum = 0;
    for (double columnWidth : std::as_const(table.columnWidth))
        sum += columnWidth;
    const double room = width - table.chartWidth - (chart ? fromPoints(8) : 0);
    const bool narrowed = sum > room;
    if (narrowed) {
        for (double &columnWidth : table.columnWidth)
            columnWidth *= room / sum;
    }
    for (qsizetype column = 0; column < columns; ++column) {
        const QStringList lines = table.header.isEmpty()
                                      ? QStringList()
                                      : wrapText(table.header.value(column), layout.boldFont,
                                                 table.columnWidth.at(column) - 2 * pad);
        table.headerCells << lines;
        table.headerLines = std::max(table.headerLines, int(lines.size()));
    }
    for (qsizetype row = 0; row < table.rows.size(); ++row) {
        const bool totalRow = table.total && row + 1 == table.rows.size();
        QList<QStringList> cells;
        int lines = 1;
        for (qsizetype column = 0; column < columns; ++column) {
            const QString &text = table.rows.at(row).value(column);
            const double room = table.columnWidth.at(column) - 2 * pad;
            if (table.toPageEnd)
                cells << QStringList{body.elidedText(text, Qt::ElideRight, room)};
            else if (!narrowed && !text.contains(QLatin1Char('\n')))
                cells << QStringList{text}; // its column is as wide as its widest text
            else
                cells << wrapText(text, totalRow ? layout.boldFont : layout.bodyFont, room);
            lines = std::max(lines, int(cells.last().size()));
        }
        table.cells << cells;
        table.rowLines << lines;
    }
}

// Short columns as wide as their texts; the long ones share the rest by
// their weights, their texts cut short to one line.
void ReportLayouter::Steps::fitToWidth(SummaryTable &table) const
{
    const double pad = layout.cellPadding;
    const double width = layout.paintSize.width();
    const QFontMetricsF body(layout.bodyFont);
    const QFontMetricsF bold(layout.boldFont);
    const qsizetype columns = table.columnWidth.size();
    double weights = 0;
    for (qsizetype column = 0; column < columns; ++column)
        weights += table.weights.value(column, 1);
    QList<bool> isLong(columns, false);
    double fixed = 0;
    double longWeights = 0;
    for (qsizetype column = 0; column < columns; ++column) {
        double widest = bold.horizontalAdvance(table.header.value(column));
        for (const QStringList &row : std::as_const(table.rows))
            widest = std::max(widest, body.horizontalAdvance(row.value(column)));
        const double weight = table.weights.value(column, 1);
        // A point to spare: wrapping and eliding measure text their own way, and
        // a width exactly the text's may cut it.
        table.columnWidth[column] = widest + 2 * pad + fromPoints(1);
        isLong[column] = table.columnWidth[column] > width * weight / weights;
        if (isLong[column])
            longWeights += weight;
        else
            fixed += table.columnWidth[column];
    }
    table.alignment = QList<Qt::Alignment>(columns, Qt::AlignLeft);
    for (qsizetype column = 0; column < columns; ++column) {
        if (isLong[column])
            table.columnWidth[column] = std::max(fromPoints(30), (width - fixed) * table.weights.value(column, 1) / longWeights);
    }
}

double ReportLayouter::Steps::tableHeight(const SummaryTable &table, int first, int last) const
{
    double height = SummaryTable::gapAbove;
    if (!table.title.isEmpty())
        height += layout.lineHeight + fromPoints(2);
    if (table.headerLines > 0)
        height += rowHeight(table.headerLines);
    for (int row = first; row < last; ++row)
        height += rowHeight(table.rowLines.at(row));
    return height;
}

// Every page of rows starts with the column headings and the headings of the
// groups that go on from the page before, marked "(continued)".
void ReportLayouter::Steps::startRows()
{
    const double columnHeaderHeight = rowHeight(layout.headerLines);
    auto placeTop = [this, columnHeaderHeight] {
        PageItem header;
        header.kind = PageItem::Kind::ColumnHeader;
        header.height = columnHeaderHeight;
        m_pages.place(header);
        for (const OpenGroup &group : std::as_const(m_open))
            m_pages.place(group.continued);
    };
    auto topHeight = [this, columnHeaderHeight] {
        double height = columnHeaderHeight;
        for (const OpenGroup &group : std::as_const(m_open))
            height += group.continued.height;
        return height;
    };
    m_pages.setPageTop(placeTop, topHeight);
    // The headings go with a row at least.
    if (m_pages.room() < columnHeaderHeight + rowHeight(1) * 3)
        m_pages.newPage();
    else
        m_pages.placePageTop();
    if (m_rows.isEmpty()) {
        PageItem item;
        item.kind = PageItem::Kind::Empty;
        item.lines << QStringLiteral("There are no rows to show.");
        item.height = rowHeight(1);
        m_pages.place(item);
    }
}

bool ReportLayouter::Steps::sameGroup(qsizetype row, qsizetype other, int level) const
{
    for (int groupLevel = 0; groupLevel <= level; ++groupLevel) {
        const int field = m_groupField.at(groupLevel);
        if (m_rows.textNumber(row, field) != m_rows.textNumber(other, field)
            && m_rows.at(row, field) != m_rows.at(other, field))
            return false;
    }
    return true;
}

qsizetype ReportLayouter::Steps::groupSize(qsizetype start, int level) const
{
    qsizetype end = start + 1;
    while (end < m_rows.size() && sameGroup(start, end, level))
        ++end;
    return end - start;
}

PageItem ReportLayouter::Steps::groupItem(PageItem::Kind kind, int level, const QString &text) const
{
    const bool header = kind == PageItem::Kind::GroupHeader;
    const double pad = layout.cellPadding;
    const double indent = fromPoints(10) * level;
    const QFont &font = !header ? layout.bodyFont : level == 0 ? layout.levelFont : layout.boldFont;
    PageItem item;
    item.kind = kind;
    item.level = level;
    item.lines = wrapText(text, font, layout.paintSize.width() - indent - 2 * pad);
    item.height = item.lines.size() * QFontMetricsF(font).lineSpacing() + 2 * pad + (header ? fromPoints(3) : 0);
    return item;
}

// The headings of the groups that start at row; those that end before it are closed.
void ReportLayouter::Steps::placeGroupHeaders(qsizetype row)
{
    const int levels = int(m_groupField.size());
    int changed = levels;
    for (int level = 0; level < levels; ++level) {
        if (row == 0 || !sameGroup(row, row - 1, level)) {
            changed = level;
            break;
        }
    }
    m_open.resize(changed);
    if (changed == levels)
        return;
    QList<PageItem> headers;
    double height = 0;
    for (int level = changed; level < levels; ++level) {
        const ReportGroup &group = m_definition.groups.at(level);
        const QString text = fill(group.header, m_rows.at(row, m_groupField.at(level)), int(groupSize(row, level)));
        headers << groupItem(PageItem::Kind::GroupHeader, level, text);
        height += headers.last().height;
    }
    // Headings go with at least the first line of their first row, and with
    // the whole row where it fits on a page.
    m_pages.ensureRoom(height + rowHeight(1));
    m_pages.keepTogether(height + rowHeight(layout.rowCells.lineCount(row)));
    for (int level = changed; level < levels; ++level) {
        const PageItem &header = headers.at(level - changed);
        m_pages.place(header);
        PageItem again = groupItem(PageItem::Kind::GroupHeader, level,
                                   header.lines.join(QLatin1Char(' ')) + QStringLiteral(" (continued)"));
        again.continued = true;
        m_open << OpenGroup{row, again};
    }
}

// Footers of the groups that end with row, innermost first; a group of one
// row needs none.
QList<PageItem> ReportLayouter::Steps::groupFooters(qsizetype row)
{
    QList<PageItem> footers;
    const int levels = int(m_groupField.size());
    for (int level = levels - 1; level >= 0; --level) {
        if (row + 1 < m_rows.size() && sameGroup(row, row + 1, level))
            break;
        const ReportGroup &group = m_definition.groups.at(level);
        const qsizetype start = m_open.at(level).start;
        if (group.footer.isEmpty() || row == start)
            continue;
        footers << groupItem(PageItem::Kind::GroupFooter, level,
                             fill(group.footer, m_rows.at(row, m_groupField.at(level)), int(row + 1 - start)));
    }
    return footers;
}

void ReportLayouter::Steps::placeRow(qsizetype row)
{
    layout.rowCells.splitUpTo(row);
    placeGroupHeaders(row);
    const QList<PageItem> footers = groupFooters(row);
    // A footer never starts a page alone: it goes with the group's last row.
    double height = rowHeight(layout.rowCells.lineCount(row));
    for (const PageItem &footer : footers)
        height += footer.height;
    if (!footers.isEmpty())
        m_pages.keepTogether(height);
    placeRowLines(row);
    for (const PageItem &footer : footers) {
        m_pages.ensureRoom(footer.height);
        m_pages.place(footer);
    }
}

// A row goes whole onto the page where it fits, or else whole onto a new
// page; only a row taller than a page is split, between its lines.
void ReportLayouter::Steps::placeRowLines(qsizetype row)
{
    const int lines = layout.rowCells.lineCount(row);
    m_pages.keepTogether(rowHeight(lines));
    int first = 0;
    while (first < lines) {
        const int fit = int((m_pages.room() - 2 * layout.cellPadding) / layout.lineHeight);
        if (fit < 1) {
            m_pages.newPage();
            continue;
        }
        const int last = std::min(lines, first + fit);
        PageItem item;
        item.kind = PageItem::Kind::Row;
        item.row = row;
        item.firstLine = first;
        item.lastLine = last;
        item.height = rowHeight(last - first);
        m_pages.place(item);
        first = last;
    }
}

ReportLayouter::ReportLayouter(const ReportDefinition &definition, const ReportContent &content,
                               const QStringList &parameterValues, const QDate &printedOn)
    : m_steps(std::make_unique<Steps>(definition, content, parameterValues, printedOn))
{
}

ReportLayouter::~ReportLayouter() = default;

void ReportLayouter::layoutPages(int pages)
{
    m_steps->layoutPages(pages);
}

void ReportLayouter::finish()
{
    m_steps->layoutPages(std::numeric_limits<int>::max());
}

bool ReportLayouter::isComplete() const
{
    return m_steps->complete();
}

const ReportLayout &ReportLayouter::layout() const
{
    return m_steps->layout;
}

ReportLayout ReportLayouter::takeLayout()
{
    finish();
    return std::move(m_steps->layout);
}

ReportLayout layoutReport(const ReportDefinition &definition, const ReportContent &content,
                          const QStringList &parameterValues, const QDate &printedOn)
{
    ReportLayouter layouter(definition, content, parameterValues, printedOn);
    return layouter.takeLayout();
}
