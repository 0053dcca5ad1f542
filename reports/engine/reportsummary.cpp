#include "reportsummary.h"

#include <QCollator>
#include <QLocale>
#include <QMap>
#include <QRegularExpression>
#include <QSet>

namespace {

// The rows a table that stops at the page's end makes: a page holds far
// fewer, the rest are counted, not made.
constexpr qsizetype kKept = 200;

const QColor defaultBarColor(84, 110, 122);

// One summary item's filter, resolved to a column of the rows.
class Filter
{
public:
    Filter(const ReportContent &content, const ReportCondition &c)
        : m_condition(c)
        , m_column(c.isSet() ? fieldPosition(content.fields, c.field) : -1)
    {
    }
    bool matches(const ReportRows &rows, qsizetype row) const
    {
        return m_column < 0 || m_condition.matches(rows.at(row, m_column));
    }

private:
    ReportCondition m_condition;
    int m_column;
};

QString shown(const QString &value)
{
    return value.isEmpty() ? QStringLiteral("(blank)") : value;
}

// The values given first, in their order, then the others as the rows are sorted:
// numbers within text in numeric order, case ignored, a blank last.
QStringList ordered(const QStringList &first, QStringList values)
{
    QCollator collator(QLocale(QLocale::English, QLocale::UnitedStates));
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(values.begin(), values.end(), [&](const QString &a, const QString &b) {
        if (a.isEmpty() != b.isEmpty())
            return b.isEmpty();
        return collator.compare(a, b) < 0;
    });
    QStringList out = first; // listed values show even when none counts
    for (const QString &v : std::as_const(values)) {
        if (!first.contains(v))
            out << v;
    }
    return out;
}

class TableMaker
{
public:
    TableMaker(const ReportContent &content)
        : m_content(content)
        , m_rows(content.everyRow)
    {
    }

    int column(const QString &field) const { return fieldPosition(m_content.fields, field); }

    int count(const ReportCondition &where) const
    {
        const Filter filter(m_content, where);
        int n = 0;
        for (qsizetype r = 0; r < m_rows.size(); ++r)
            n += filter.matches(m_rows, r) ? 1 : 0;
        return n;
    }

    // The matching rows counted by the text of field by, and of across when given.
    QMap<QString, QMap<QString, int>> countBy(const ReportSummaryItem &item, const QString &across = QString()) const
    {
        const Filter filter(m_content, item.where);
        const int by = column(item.by);
        const int second = across.isEmpty() ? -1 : column(across);
        QMap<QString, QMap<QString, int>> counts;
        for (qsizetype r = 0; r < m_rows.size(); ++r) {
            if (filter.matches(m_rows, r))
                ++counts[m_rows.at(r, by)][second < 0 ? QString() : m_rows.at(r, second)];
        }
        return counts;
    }

    void totals(const ReportSummaryItem &item, SummaryTable &table) const
    {
        if (item.kind == ReportSummaryItem::Kind::Count) {
            const int n = count(item.where);
            const QString share = item.where.isSet() && !m_rows.isEmpty()
                                      ? percent(n, int(m_rows.size())) + QStringLiteral(" of all")
                                      : QString();
            table.rows << QStringList{item.label, QString::number(n), share};
            return;
        }
        const Filter where(m_content, item.where);
        const Filter base(m_content, item.base);
        int of = 0;
        int hits = 0;
        for (qsizetype r = 0; r < m_rows.size(); ++r) {
            if (base.matches(m_rows, r)) {
                ++of;
                hits += where.matches(m_rows, r) ? 1 : 0;
            }
        }
        table.rows << QStringList{item.label, percent(hits, of), QStringLiteral("%1 of %2").arg(hits).arg(of)};
    }

    SummaryTable countTable(const ReportSummaryItem &item) const
    {
        SummaryTable table;
        table.title = item.label;
        table.header = {item.header.isEmpty() ? QStringLiteral("Value") : item.header, QStringLiteral("Count"),
                        QStringLiteral("Share")};
        QMap<QString, int> counts;
        const auto by = countBy(item);
        int all = 0;
        for (auto it = by.cbegin(); it != by.cend(); ++it) {
            counts[it.key()] = it->value(QString());
            all += it->value(QString());
        }
        QStringList values = ordered(item.order, counts.keys());
        if (item.byCount)
            std::stable_sort(values.begin(), values.end(), [&](const QString &a, const QString &b) { return counts[a] > counts[b]; });
        for (const QString &v : std::as_const(values)) {
            table.rows << QStringList{shown(v), QString::number(counts[v]), percent(counts[v], all)};
            if (item.chart)
                table.bars << QList<ChartBar>{{QString(), defaultBarColor, counts[v]}};
        }
        table.rows << QStringList{QStringLiteral("Total"), QString::number(all), percent(all, all)};
        if (item.chart)
            table.bars << QList<ChartBar>{};
        table.total = true;
        return table;
    }

    SummaryTable barTable(const ReportSummaryItem &item) const
    {
        SummaryTable table;
        table.title = item.label;
        const auto by = countBy(item);
        for (const ReportBar &b : item.bars) {
            const int n = by.value(b.value).value(QString());
            table.rows << QStringList{b.label, QString::number(n)};
            table.bars << QList<ChartBar>{{b.label, b.color, n}};
        }
        return table;
    }

    SummaryTable breakdownTable(const ReportSummaryItem &item) const
    {
        SummaryTable table;
        table.title = item.label;
        table.header << (item.header.isEmpty() ? QStringLiteral("Value") : item.header);
        for (const ReportBar &b : item.bars)
            table.header << b.label;
        table.header << QStringLiteral("Total");
        const bool rated = !item.rateOf.isEmpty();
        if (rated)
            table.header << item.rateLabel;
        // Per value of by, the rows of each bar's value.
        const auto parts = countBy(item, item.across);
        QMap<QString, int> sums;
        auto addRow = [&](const QString &label, const QMap<QString, int> &p) {
            QStringList row{label};
            QList<ChartBar> bar;
            int total = 0;
            for (const ReportBar &b : item.bars) {
                const int n = p.value(b.value);
                row << QString::number(n);
                bar << ChartBar{b.label, b.color, n};
                total += n;
            }
            row << QString::number(total);
            if (rated) {
                int base = 0;
                for (const QString &v : item.rateBase)
                    base += p.value(v);
                row << percent(p.value(item.rateOf), base);
            }
            table.rows << row;
            table.bars << bar;
        };
        QStringList values = ordered(item.order, parts.keys());
        if (item.byCount) {
            const auto total = [&](const QString &v) {
                int n = 0;
                for (const ReportBar &b : item.bars)
                    n += parts.value(v).value(b.value);
                return n;
            };
            std::stable_sort(values.begin(), values.end(), [&](const QString &a, const QString &b) { return total(a) > total(b); });
        }
        for (const QString &v : std::as_const(values)) {
            addRow(shown(v), parts.value(v));
            for (auto it = parts.value(v).cbegin(); it != parts.value(v).cend(); ++it)
                sums[it.key()] += it.value();
        }
        addRow(QStringLiteral("Total"), sums);
        table.total = true;
        return table;
    }

    SummaryTable crossTable(const ReportSummaryItem &item) const
    {
        SummaryTable table;
        table.title = item.label;
        const auto counts = countBy(item, item.across);
        QStringList across;
        for (const auto &row : counts)
            for (auto it = row.cbegin(); it != row.cend(); ++it)
                if (!across.contains(it.key()))
                    across << it.key();
        across = ordered({}, across);
        table.header << (item.header.isEmpty() ? QStringLiteral("Value") : item.header);
        for (const QString &a : std::as_const(across))
            table.header << shown(a);
        table.header << QStringLiteral("Total");
        QMap<QString, int> sums;
        int all = 0;
        for (const QString &v : ordered(item.order, counts.keys())) {
            QStringList row{shown(v)};
            int total = 0;
            for (const QString &a : std::as_const(across)) {
                const int n = counts.value(v).value(a);
                row << QString::number(n);
                sums[a] += n;
                total += n;
            }
            row << QString::number(total);
            all += total;
            table.rows << row;
        }
        QStringList last{QStringLiteral("Total")};
        for (const QString &a : std::as_const(across))
            last << QString::number(sums.value(a));
        last << QString::number(all);
        table.rows << last;
        table.total = true;
        return table;
    }

    SummaryTable periodTable(const ReportSummaryItem &item) const
    {
        SummaryTable table;
        table.title = item.label;
        const Filter filter(m_content, item.where);
        const int by = column(item.by);
        QDate first;
        QDate last;
        int dates = 0;
        for (qsizetype r = 0; r < m_rows.size(); ++r) {
            if (!filter.matches(m_rows, r))
                continue;
            const QDate d = QDate::fromString(m_rows.at(r, by).left(10), Qt::ISODate);
            if (!d.isValid())
                continue;
            ++dates;
            if (!first.isValid() || d < first)
                first = d;
            if (!last.isValid() || d > last)
                last = d;
        }
        const auto date = [](const QDate &d) {
            return d.isValid() ? QLocale::c().toString(d, QStringLiteral("dd MMM yyyy")) : QStringLiteral("-");
        };
        table.rows << QStringList{QStringLiteral("First date of testing"), date(first)}
                   << QStringList{QStringLiteral("Last date of testing"), date(last)}
                   << QStringList{QStringLiteral("Days, first to last"), first.isValid() ? QString::number(first.daysTo(last) + 1) : QStringLiteral("-")}
                   << QStringList{QStringLiteral("Results dated"), QString::number(dates)};
        return table;
    }

    // Each value of by among the matching rows, once, in the rows' order.
    SummaryTable listTable(const ReportSummaryItem &item) const
    {
        SummaryTable table;
        table.title = item.label;
        // Up to the page's end, as the open failures: thousands of names would
        // push everything else off the first pages.
        table.toPageEnd = true;
        if (!item.header.isEmpty())
            table.header << item.header;
        const Filter filter(m_content, item.where);
        const int by = column(item.by);
        QSet<QString> seen;
        for (qsizetype r = 0; r < m_rows.size(); ++r) {
            const QString &value = m_rows.at(r, by);
            if (filter.matches(m_rows, r) && !seen.contains(value)) {
                seen.insert(value);
                if (table.rows.size() < kKept)
                    table.rows << QStringList{shown(value)};
            }
        }
        table.rowsInAll = seen.size();
        if (table.rows.isEmpty())
            table.rows << QStringList{QStringLiteral("(none)")};
        return table;
    }

    // The matching rows whose by value is listed, in the order listed, each
    // field's first line; the layout cuts the table at the page's end.
    SummaryTable detailTable(const ReportSummaryItem &item) const
    {
        SummaryTable table;
        table.title = item.label;
        table.toPageEnd = true;
        table.more = QStringLiteral("... and %1 more");
        for (const ReportColumn &c : item.columns) {
            table.header << c.header;
            table.weights << c.width;
        }
        QList<int> fields;
        for (const ReportColumn &c : item.columns)
            fields << column(c.field);
        const Filter filter(m_content, item.where);
        const int by = column(item.by);
        QList<QList<qsizetype>> listed(std::max<qsizetype>(1, item.order.size()));
        qsizetype inAll = 0;
        for (qsizetype r = 0; r < m_rows.size(); ++r) {
            if (!filter.matches(m_rows, r))
                continue;
            const qsizetype place = item.order.isEmpty() ? 0 : item.order.indexOf(m_rows.at(r, by));
            if (place < 0)
                continue;
            ++inAll;
            if (listed[place].size() < kKept)
                listed[place] << r;
        }
        static const QRegularExpression lineEnd(QStringLiteral("[\r\n]"));
        for (const QList<qsizetype> &rows : std::as_const(listed)) {
            for (qsizetype r : rows) {
                if (table.rows.size() == kKept)
                    break;
                QStringList cells;
                for (int i = 0; i < fields.size(); ++i) {
                    const QString text = formatValue(m_rows.at(r, fields.at(i)), item.columns.at(i).format).trimmed();
                    cells << text.section(lineEnd, 0, 0);
                }
                table.rows << cells;
            }
        }
        table.rowsInAll = inAll;
        if (table.rows.isEmpty())
            table.rows << QStringList{QStringLiteral("(none)")};
        return table;
    }

    // The rows of the item's own query, each beside a bar of its <bar> fields' numbers.
    SummaryTable seriesTable(const ReportSummaryItem &item, qsizetype at) const
    {
        SummaryTable table;
        table.title = item.label;
        const QStringList &fields = m_content.itemFields.at(at);
        const ReportRows &rows = m_content.itemRows.at(at);
        QList<int> shownFields;
        for (const ReportColumn &c : item.columns) {
            table.header << c.header;
            shownFields << fieldPosition(fields, c.field);
        }
        QList<int> barFields;
        for (const ReportBar &b : item.bars)
            barFields << fieldPosition(fields, b.value);
        for (qsizetype r = 0; r < rows.size(); ++r) {
            QStringList cells;
            for (int i = 0; i < shownFields.size(); ++i)
                cells << formatValue(rows.at(r, shownFields.at(i)), item.columns.at(i).format);
            table.rows << cells;
            QList<ChartBar> bar;
            for (int i = 0; i < barFields.size(); ++i)
                bar << ChartBar{item.bars.at(i).label, item.bars.at(i).color, rows.at(r, barFields.at(i)).toInt()};
            table.bars << bar;
        }
        return table;
    }

    static SummaryTable legendTable(const ReportSummaryItem &item)
    {
        SummaryTable table;
        table.title = item.label;
        table.legend = true;
        for (const ReportBar &b : item.bars) {
            table.rows << QStringList{b.label};
            table.bars << QList<ChartBar>{{b.label, b.color, 1}};
        }
        return table;
    }

private:
    const ReportContent &m_content;
    const ReportRows &m_rows;
};

} // namespace

QString percent(int part, int whole)
{
    if (whole == 0)
        return QStringLiteral("-");
    return QLocale::c().toString(100.0 * part / whole, 'f', 1) + QStringLiteral(" %");
}

QList<SummaryTable> summaryTables(const ReportDefinition &definition, const ReportContent &content)
{
    using Kind = ReportSummaryItem::Kind;
    const TableMaker maker(content);
    QList<SummaryTable> tables;
    bool inTotals = false;
    for (qsizetype at = 0; at < definition.summary.size(); ++at) {
        const ReportSummaryItem &item = definition.summary.at(at);
        const bool total = item.kind == Kind::Count || item.kind == Kind::Rate;
        if (total) {
            if (!inTotals)
                tables << SummaryTable();
            maker.totals(item, tables.last());
            inTotals = true;
            continue;
        }
        inTotals = false;
        switch (item.kind) {
        case Kind::CountBy:
            tables << maker.countTable(item);
            break;
        case Kind::BarChart:
            tables << maker.barTable(item);
            break;
        case Kind::Breakdown:
            tables << maker.breakdownTable(item);
            break;
        case Kind::CrossTab:
            tables << maker.crossTable(item);
            break;
        case Kind::Period:
            tables << maker.periodTable(item);
            break;
        case Kind::List:
            tables << maker.listTable(item);
            break;
        case Kind::Detail:
            tables << maker.detailTable(item);
            break;
        case Kind::Legend:
            tables << TableMaker::legendTable(item);
            break;
        case Kind::Series:
            // Nothing to show of a project never tested.
            if (!content.itemRows.at(at).isEmpty())
                tables << maker.seriesTable(item, at);
            break;
        case Kind::Count:
        case Kind::Rate:
            break;
        }
    }
    return tables;
}
