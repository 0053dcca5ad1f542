#pragma once

#include "report.h"

#include <QColor>
#include <QDate>
#include <QFont>
#include <QList>
#include <QPageLayout>
#include <QRectF>
#include <QStringList>

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
    QList<QList<QStringList>> rowCells; // per row, per column, the wrapped lines
    QList<int> rowLines;

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
