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
};

struct ReportParameter
{
    QString name;
    QString caption;      // shown as "caption: value" under the title; none when empty
    bool heading = false; // its value heads every page
};

struct ReportQuery
{
    QString sql;
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
};

struct ReportGroup
{
    QString field;
    QString header; // "{value}" stands for the group's value
    QString footer; // "{value}" and "{count}", the rows of the group; none when empty
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
    enum class Kind { Count, CountBy, Rate, BarChart };

    Kind kind = Kind::Count;
    QString label;
    ReportCondition where;  // the rows counted (all when unset)
    QString by;             // CountBy and BarChart: the field whose values are counted
    QStringList order;      // CountBy: values listed first, in this order
    ReportCondition base;   // Rate: the rows the count is a share of (all when unset)
    QList<ReportBar> bars;  // BarChart
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
    QString summaryTitle;
    QList<ReportSummaryItem> summary;

    // Reads and checks a definition file; throws ReportError naming the file,
    // the line where it can, and what is wrong.
    static ReportDefinition load(const QString &path);
    // The same for a definition already in memory; file names it in errors.
    static ReportDefinition parse(const QByteArray &content, const QString &file);
};
