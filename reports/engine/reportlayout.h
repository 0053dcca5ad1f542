#pragma once

#include "report.h"
#include "textwrapper.h"

#include <QColor>
#include <QDate>
#include <QFont>
#include <QHash>
#include <QList>
#include <QPageLayout>
#include <QRectF>
#include <QStringList>
#include <memory>
#include <vector>

// Reports are laid out in dots of 1/1200 inch, with the origin at the top left
// of the printable area; every device paints the same layout, scaled.
namespace ReportUnits {
constexpr double dotsPerInch = 1200.0;
constexpr double fromPoints(double pt) { return pt * dotsPerInch / 72.0; }
} // namespace ReportUnits

// One thing placed on a page.
struct PageItem
{
    enum class Kind { Intro, ColumnHeader, GroupHeader, Row, GroupFooter, SummaryTitle, Table, Empty };

    Kind kind = Kind::Row;
    double top = 0;
    double height = 0;
    qsizetype row = -1;     // Row: the row shown
    int level = 0;          // GroupHeader, GroupFooter: the group, the outermost 0
    int table = -1;         // Table: the summary table
    double left = 0;        // Table: set beside the one before it
    int firstLine = 0;      // Row: the part of its lines on this page; Table: of its body rows
    int lastLine = 0;       // one past the last
    bool continued = false; // GroupHeader, Table: carried on from an earlier page
    QStringList lines;      // the wrapped text of headers, footers and titles
};

struct ReportPage
{
    QList<PageItem> items;
};

struct ChartBar
{
    QString label;
    QColor color;
    int count = 0;
};

// A summary set out in aligned columns, with a bar beside each row when it
// has a chart. Every number in it, and every bar, comes from the report's rows.
struct SummaryTable
{
    QString title;
    QStringList header;             // none when empty
    QList<QStringList> rows;        // the cell texts
    QList<QList<ChartBar>> bars;    // per row, the parts of its bar; empty without a chart
    bool total = false;             // the last row sums up the others
    // Each row on one line, its long texts cut short, the table stopping at
    // the page's end with a row saying how many more there are.
    bool toPageEnd = false;
    QList<double> weights;          // toPageEnd: the columns' shares of the width
    QString more;                   // toPageEnd: the last row's text, "%1" for the rows left out
    qsizetype rowsInAll = -1;       // toPageEnd: the rows there are, of which rows holds the first
    bool legend = false;            // its bars name colours: short, of one length
    // Set when laid out: column widths and each cell's lines.
    QList<double> columnWidth;
    QList<Qt::Alignment> alignment;
    double chartWidth = 0;
    int chartScale = 0;             // the count that fills the chart's width
    QList<QStringList> headerCells;
    QList<QList<QStringList>> cells;
    QList<int> rowLines;
    int headerLines = 0;

    static constexpr double gapAbove = ReportUnits::fromPoints(5);

    // Its columns and its chart, as painted.
    double bodyWidth() const
    {
        double width = chartWidth > 0 ? chartWidth + ReportUnits::fromPoints(8) : 0;
        for (double column : columnWidth)
            width += column;
        return width;
    }
};

// The wrapped lines of each row's cells. A long report keeps only where each
// cell's text breaks; the lines are made when a page asks for them.
class ReportRowCells
{
public:
    ReportRowCells() = default;
    // Finds how every cell breaks. fields: the row's field shown in each
    // column; widths: the room for its text.
    ReportRowCells(ReportRows rows, QList<int> fields, QList<ReportColumn::Format> formats, QList<double> widths,
                   const QFont &font);

    qsizetype size() const { return m_rows.size(); }
    bool isEmpty() const { return size() == 0; }
    // Finds how the rows up to row break, when not found yet; a long report
    // is split as far as its pages are laid out.
    void splitUpTo(qsizetype row);
    qsizetype splitRows() const { return m_lines.size(); }
    // The lines of the row's tallest cell; the row must be split.
    int lineCount(qsizetype row) const { return m_lines.at(row); }
    // Per column, the lines of the row's text; the row must be split.
    QList<QStringList> at(qsizetype row) const;
    using const_iterator = MadeItemIterator<ReportRowCells>;
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, splitRows()}; }

private:
    struct Split
    {
        int lines = 1;
        std::vector<quint16> notes;
    };
    Split split(const QString &text, int column);
    QString cellText(qsizetype row, int column) const;

    ReportRows m_rows;
    QList<int> m_fields;
    QList<ReportColumn::Format> m_formats;
    QList<double> m_widths;
    QList<int> m_lines;
    // Per cell, row after row: how its text splits (whole, by wrap(), or its
    // number of lines), then its breaks; per row, where its cells start.
    std::vector<quint16> m_splits;
    std::vector<quint32> m_rowStart;
    std::shared_ptr<TextWrapper> m_wrapper;
    // Its own wrapper: the widths of every word of every row are not kept for painting.
    std::shared_ptr<TextWrapper> m_splitter;
    // A text that repeats in its column is split once.
    std::shared_ptr<std::vector<QHash<quint32, Split>>> m_known;
};

// A report laid out into whole pages.
struct ReportLayout
{
    QPageLayout pageLayout;
    QSizeF paintSize; // the printable area, in dots

    // Page heading and footer.
    QString heading;           // the company, in a font that fits the width
    QStringList headingLines;  // the heading wrapped, when even the smallest font does not fit
    QStringList addressLines;  // under the heading
    QString title;
    QStringList captionLines;  // the captioned parameters, with their details
    QString footerCaption;     // the title and the captioned parameters, at every page foot
    QString printedOn;
    double headerHeight = 0;        // the first page's: the whole heading
    double runningHeaderHeight = 0; // the other pages': the company and the title on one line
    double footerHeight = 0;

    // Columns and rows: those printed, by their place among the definition's.
    QList<int> shownColumns;
    QList<double> columnLeft;
    QList<double> columnWidth;
    QList<Qt::Alignment> columnAlignment;
    QList<QStringList> headerCells; // wrapped header text per column
    int headerLines = 1;
    ReportRowCells rowCells;

    QList<QPair<QString, QString>> intro; // label, value
    double introLabelWidth = 0;
    QList<SummaryTable> tables;

    QFont bodyFont;
    QFont boldFont;
    QFont headingFont;
    QFont titleFont;
    QFont smallFont;
    QFont levelFont; // the outermost group headings
    double lineHeight = 0;
    double cellPadding = 0;

    QList<ReportPage> pages;
    bool complete = false; // false while pages are still being laid out

    int pageCount() const { return int(pages.size()); }
    // Where the page's items may start.
    double bodyTop(int pageIndex) const { return pageIndex == 0 ? headerHeight : runningHeaderHeight; }
    // "Page N of M"; M shows as "..." until the last page is laid out.
    QString footerText(int pageIndex) const;
};

// Lays a report out page by page, so that the first pages can be shown before
// the rest are laid out. The steps: the page frame and the columns, the intro,
// the summary when it comes first, the rows with their group headings and
// footers, the summary when it comes last.
class ReportLayouter
{
public:
    ReportLayouter(const ReportDefinition &definition, const ReportContent &content, const QStringList &parameterValues,
                   const QDate &printedOn);
    ~ReportLayouter();
    ReportLayouter(const ReportLayouter &) = delete;
    ReportLayouter &operator=(const ReportLayouter &) = delete;

    // Lays out until pages whole pages stand (the page being filled is not
    // whole), or to the end.
    void layoutPages(int pages);
    void finish();
    bool isComplete() const;
    // Whole pages, and the page still being filled; the definition and the
    // content must outlive the layouter.
    const ReportLayout &layout() const;
    ReportLayout takeLayout();

private:
    class Steps;
    std::unique_ptr<Steps> m_steps;
};

// The whole report laid out at once.
ReportLayout layoutReport(const ReportDefinition &definition, const ReportContent &content,
                          const QStringList &parameterValues, const QDate &printedOn);

// The lines that text takes when wrapped to width dots in font: at word
// boundaries where it can, anywhere in a word longer than the width.
QStringList wrapText(const QString &text, const QFont &font, double width);

// The text a value shows in a column.
QString formatValue(const QString &value, ReportColumn::Format format);
