#include "columnwidths.h"

#include "reportlayout.h"

#include <QFontMetricsF>
#include <QSet>
#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

using ReportUnits::fromPoints;

namespace {

// Text widths from the advances of its characters: a little wider than the
// shaped text at most, and quick enough for every cell of a long report.
class CharWidths
{
public:
    explicit CharWidths(const QFont &font) : m_metrics(font), m_advance(0x10000, -1) {}

    double of(QStringView text)
    {
        double widest = 0;
        double line = 0;
        for (const QChar c : text) {
            if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
                widest = std::max(widest, line);
                line = 0;
                continue;
            }
            double &advance = m_advance[c.unicode()];
            if (advance < 0)
                advance = m_metrics.horizontalAdvance(c);
            line += advance;
        }
        return std::max(widest, line);
    }

private:
    QFontMetricsF m_metrics;
    std::vector<double> m_advance;
};

struct Measure
{
    double widest = 0;    // the widest text, on one line
    double characters = 0; // all the texts' lengths
    bool constant = true;
};

Measure measure(const ReportRows &rows, int field, ReportColumn::Format format, CharWidths &widths, double enough)
{
    Measure m;
    if (field < 0)
        return m;
    QSet<quint32> seen;
    const bool repeats = rows.repeats(field);
    const quint32 first = rows.isEmpty() ? 0 : rows.textNumber(0, field);
    for (qsizetype r = 0; r < rows.size(); ++r) {
        const quint32 number = rows.textNumber(r, field);
        const QString &text = rows.text(number);
        m.characters += text.size();
        if (number != first && text != rows.text(first))
            m.constant = false;
        // A text already measured, or a column already known to be long, needs no more measuring.
        if (m.widest > enough || (repeats && seen.contains(number)))
            continue;
        if (repeats)
            seen.insert(number);
        m.widest = std::max(m.widest, widths.of(formatValue(text, format)));
    }
    return m;
}

// The widest word of a heading: headings wrap between words, never inside one.
double widestWord(const QString &header, const QFontMetricsF &bold)
{
    double widest = 0;
    for (const QString &word : header.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        widest = std::max(widest, bold.horizontalAdvance(word));
    return widest;
}

struct Candidate
{
    int index;
    double least;  // the widest heading word, padded
    double fit;    // the widest text, padded; 0 for a long text
    double weight; // a long text's average length
};

// The long texts' widths that make the rows shortest, tried in steps of a
// twentieth of the room over a sample of the rows: a row is as tall as its
// tallest cell, so the texts that run long together decide it.
QList<double> shareRoom(const ReportRows &rows, const QStringList &fields, const ReportDefinition &definition,
                        const QList<Candidate> &candidates, const QList<int> &longOnes, CharWidths &charWidths,
                        double room, double padding)
{
    const int n = int(longOnes.size());
    QList<double> best;
    double weights = 0;
    for (int i : longOnes)
        weights += candidates.at(i).weight;
    for (int i : longOnes)
        best << room * candidates.at(i).weight / weights;
    if (n < 2 || n > 4 || rows.isEmpty())
        return best;
    // Per sampled row, each long text's width on one line, a little more for the ends of lines.
    const qsizetype step = std::max<qsizetype>(1, rows.size() / 1500);
    std::vector<double> textWidth;
    for (qsizetype r = 0; r < rows.size(); r += step) {
        for (int i : longOnes) {
            const ReportColumn &column = definition.columns.at(candidates.at(i).index);
            textWidth.push_back(charWidths.of(formatValue(rows.at(r, fieldPosition(fields, column.field)), column.format)) * 1.08);
        }
    }
    const auto cost = [&](const QList<double> &widths) {
        double lines = 0;
        for (size_t at = 0; at < textWidth.size(); at += n) {
            double tallest = 1;
            for (int i = 0; i < n; ++i)
                tallest = std::max(tallest, std::ceil(textWidth[at + i] / std::max(1.0, widths.at(i) - 2 * padding)));
            lines += tallest;
        }
        return lines;
    };
    const int parts = 20;
    double bestCost = cost(best);
    QList<int> split(n, 1);
    // Every way of giving each long text one twentieth or more.
    std::function<void(int, int)> tryFrom = [&](int column, int left) {
        if (column == n - 1) {
            split[column] = left;
            QList<double> widths;
            for (int i = 0; i < n; ++i)
                widths << room * split.at(i) / parts;
            const double c = cost(widths);
            if (c < bestCost) {
                bestCost = c;
                best = widths;
            }
            return;
        }
        for (int share = 1; share <= left - (n - 1 - column); ++share) {
            split[column] = share;
            tryFrom(column + 1, left - share);
        }
    };
    tryFrom(0, parts);
    return best;
}

} // namespace

ColumnChoice chooseColumns(const ReportDefinition &definition, const ReportContent &content, const QFont &body,
                           const QFont &bold, double width, double padding)
{
    const ReportRows &rows = content.rows;
    const QList<ReportColumn> &columns = definition.columns;
    double defined = 0;
    for (const ReportColumn &column : columns)
        defined += column.width;

    CharWidths charWidths(body);
    const QFontMetricsF boldMetrics(bold);
    QList<Candidate> candidates;
    for (int index = 0; index < columns.size(); ++index) {
        const ReportColumn &column = columns.at(index);
        const int field = fieldPosition(content.fields, column.field);
        const bool grouped = std::any_of(definition.groups.cbegin(), definition.groups.cend(),
                                         [&](const ReportGroup &g) { return g.field.compare(column.field, Qt::CaseInsensitive) == 0; });
        // A short column may grow to half as wide again as the definition gives it before its text counts as long.
        const double share = column.width * width / defined;
        const Measure m = measure(rows, field, column.format, charWidths, column.noWrap ? width : share * 1.5);
        if (rows.size() > 1 && (grouped || m.constant))
            continue;
        Candidate c{index, widestWord(column.header, boldMetrics) + 2 * padding + fromPoints(1), 0, 0};
        // A pixel to spare for kerning the character widths leave out.
        const double text = m.widest + 2 * padding + fromPoints(1);
        if (column.noWrap || text <= share * 1.5)
            c.fit = std::max(c.least, text);
        else
            c.weight = std::max(1.0, m.characters / std::max<qsizetype>(1, rows.size()));
        candidates << c;
    }
    if (candidates.isEmpty()) { // every column says the same: show them all the same
        for (int index = 0; index < columns.size(); ++index)
            candidates << Candidate{index, 0, columns.at(index).width * width / defined, 0};
    }

    double fixed = 0;
    QList<int> longOnes;
    for (int i = 0; i < candidates.size(); ++i) {
        fixed += candidates.at(i).fit;
        if (candidates.at(i).weight > 0)
            longOnes << i;
    }
    ColumnChoice choice;
    QList<double> widths;
    for (const Candidate &c : std::as_const(candidates)) {
        choice.shown << c.index;
        widths << c.fit;
    }
    const double room = width - fixed;
    const QList<double> shares = shareRoom(rows, content.fields, definition, candidates, longOnes, charWidths, room, padding);
    for (int i = 0; i < longOnes.size(); ++i)
        widths[longOnes.at(i)] = std::max(candidates.at(longOnes.at(i)).least, shares.at(i));
    // Room left over when nothing is long, or too little when the fitted
    // columns are too wide: every column is widened or narrowed alike.
    double sum = 0;
    for (double w : std::as_const(widths))
        sum += w;
    for (double &w : widths)
        w *= width / sum;
    choice.widths = widths;
    return choice;
}
