#pragma once

#include <QColor>
#include <QList>
#include <QPageLayout>
#include <QString>
#include <QStringList>

// What a report definition file says: the parameters it takes, the query that
// reads its rows, and how those rows are laid out, grouped, sorted and summed up.
// The format is described in definitions/FORMAT.md.

// A row filter: the row's text in field equals (or, negated, differs from) value.
struct ReportCondition
{
    QString field;
    QString value;
    bool negated = false;

    bool isSet() const { return !field.isEmpty(); }
    // Whether a row whose field holds text passes.
    bool matches(const QString &text) const { return (text == value) != negated; }
};

struct ReportParameter
{
    QString name;
    QString caption;      // shown as "caption: value" under the title; none when empty
    bool heading = false; // its value heads every page
    QString detail;       // a field of the intro query shown with the value: under the heading, or after the caption's
    bool optional = false; // left empty, its caption is not shown
    bool date = false;     // a stored yyyy-MM-dd shown as a date
};

struct ReportQuery
{
    QString sql;
    // Instead of sql: the name of rows the program itself works out (see
    // ReportSources), given the parameters below in this order.
    QString source;
    QStringList parameters; // bound to the "?" of the sql in this order
    int line = 0;
};

struct ReportColumn
{
    enum class Format { Text, Date };

    QString header;
    QString field;
    double width = 0; // points; the columns are scaled together to the page width
    Qt::Alignment alignment = Qt::AlignLeft;
    Format format = Format::Text;
    bool noWrap = false; // as wide as its widest text, which never wraps
};

struct ReportGroup
{
    QString field;
    QString header; // "{value}" stands for the group's value
    QString footer; // "{value}" and "{count}", the rows of the group; none when empty
    QStringList order; // values that come first, in this order; the others after them
};

struct ReportSortKey
{
    QString field;
    bool descending = false;
};

struct ReportIntroItem
{
    QString label;
    QString field;
};

struct ReportBar
{
    QString value;
    QString label;
    QColor color;
};

struct ReportSummaryItem
{
    // Detail lists the matching rows whose by value is among order, in that
    // order, as far as the page goes; Legend names the colours of <bar>s.
    // Series lists the rows of its own query, one a line, with a bar made of
    // the numbers in its <bar> fields.
    enum class Kind { Count, CountBy, Rate, BarChart, Breakdown, CrossTab, Period, List, Detail, Legend, Series };

    Kind kind = Kind::Count;
    QString label;
    QString header;         // CountBy, Breakdown, CrossTab: the heading of the values' column
    ReportCondition where;  // the rows counted (all when unset)
    QString by;             // the field whose values are counted (Period: the dates; List: the values listed)
    QStringList order;      // CountBy, CrossTab: values listed first, in this order
    bool byCount = false;   // CountBy: the most frequent value first; Breakdown: the largest total first
    bool chart = false;     // CountBy: a bar beside each count
    ReportCondition base;   // Rate: the rows the count is a share of (all when unset)
    QList<ReportBar> bars;  // BarChart, Breakdown: the values counted, each a column and a bar part
    QString rateOf;         // Breakdown: the rate column is this value's share of the rateBase values
    QStringList rateBase;
    QString rateLabel;      // Breakdown: the rate column's heading
    QString across;         // CrossTab: the field whose values are the columns; Breakdown: the bars' field
    QList<ReportColumn> columns; // Detail, Series: the fields shown of each row listed
    ReportQuery query;           // Series: the rows listed
};

struct ReportDefinition
{
    QString file;
    QString title;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QList<ReportParameter> parameters;
    ReportQuery introQuery;
    QList<ReportIntroItem> introItems;
    ReportQuery query;
    QList<ReportColumn> columns;
    QList<ReportGroup> groups;
    QList<ReportSortKey> sortKeys;
    ReportCondition shown; // the rows shown; the summary counts every row read
    QString summaryTitle;
    bool summaryFirst = false; // the summary stands before the rows
    QList<ReportSummaryItem> summary;

    // Reads and checks a definition file; throws ReportError naming the file,
    // the line where it can, and what is wrong.
    static ReportDefinition load(const QString &path);
    // The same for a definition already in memory; file names it in errors.
    static ReportDefinition parse(const QByteArray &content, const QString &file);
};
