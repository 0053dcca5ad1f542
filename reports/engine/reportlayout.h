#pragma once

#include "report.h"
#include "textwrapper.h"

#include <QColor>
#include <QDate>
#include <QFont>
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
    enum class Kind { Intro, ColumnHeader, GroupHeader, Row, GroupFooter, SummaryTitle, SummaryLine, Chart, Empty };

    Kind kind = Kind::Row;
    double top = 0;
    double height = 0;
    int index = 0;     // Row: the row; Chart: the summary item; GroupHeader/Footer: the group level
    int firstLine = 0; // Row: the part of the row's lines on this page
    int lastLine = 0;  // one past the last
    QStringList lines; // the wrapped text of headers, footers and summary lines
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
    // Per row, the lines of its tallest cell.
    const QList<int> &lineCounts() const { return m_lines; }
    // Per column, the lines of the row's text.
    QList<QStringList> at(qsizetype row) const;
    using const_iterator = MadeItemIterator<ReportRowCells>;
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size()}; }

private:
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
};

// A report laid out into whole pages; the page count is known before anything is painted.
struct ReportLayout
{
    QPageLayout pageLayout;
    QSizeF paintSize; // the printable area, in dots

    // Page header and footer.
    QString heading;
    QString title;
    QStringList captionLines;
    QString printedOn;
    double headerHeight = 0;
    double footerHeight = 0;

    // Columns and rows.
    QList<double> columnLeft;
    QList<double> columnWidth;
    QList<Qt::Alignment> columnAlignment;
    QList<QStringList> headerCells; // wrapped header text per column
    int headerLines = 1;
    ReportRowCells rowCells;
    QList<int> rowLines; // per row, its number of lines

    QList<QPair<QString, QString>> intro; // label, value
    QList<QList<ChartBar>> charts;        // per summary item; empty unless it is a chart

    QFont bodyFont;
    QFont boldFont;
    QFont headingFont;
    QFont titleFont;
    QFont smallFont;
    double lineHeight = 0;
    double cellPadding = 0;

    QList<ReportPage> pages;

    int pageCount() const { return int(pages.size()); }
    QString footerText(int pageIndex) const;
};

// Lays the report's rows out into pages: whole rows kept together where they
// fit on a page, column headers at the top of every page of rows, group
// headers never left alone at a page foot, long texts wrapped, never cut.
ReportLayout layoutReport(const ReportDefinition &definition, const ReportContent &content,
                          const QStringList &parameterValues, const QDate &printedOn);

// The lines that text takes when wrapped to width dots in font: at word
// boundaries where it can, anywhere in a word longer than the width.
QStringList wrapText(const QString &text, const QFont &font, double width);

// The text a value shows in a column.
QString formatValue(const QString &value, ReportColumn::Format format);
