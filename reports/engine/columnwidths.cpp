#include "columnwidths.h"

#include "reportlayout.h"

#include <QFontMetricsF>
#include <QSet>
#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
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

// The narrowest width that sets a heading on two lines at most: headings
// wrap between words, never inside one, and a third line would make every
// page's column headings taller.
double headingWidth(const QString &header, const QFontMetricsF &bold)
{
    const QStringList words = header.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    double narrowest = bold.horizontalAdvance(words.join(QLatin1Char(' ')));
    for (qsizetype at = 1; at < words.size(); ++at) {
        const double first = bold.horizontalAdvance(words.mid(0, at).join(QLatin1Char(' ')));
        const double second = bold.horizontalAdvance(words.mid(at).join(QLatin1Char(' ')));
        narrowest = std::min(narrowest, std::max(first, second));
    }
    return narrowest;
}

struct Candidate
{
    int index;
    double least;  // the heading on two lines, padded
    double fit;    // the widest text, padded; 0 for a long text
    double weight; // a long text's average length
};

// A text's words, each as wide as its characters, and where its lines end
// by hand: enough to count the lines it wraps to at any width.
struct Words
{
    std::vector<float> widths; // a negative width ends a line
};

Words wordsOf(QStringView text, CharWidths &charWidths)
{
    Words w;
    qsizetype start = 0;
    for (qsizetype at = 0; at <= text.size(); ++at) {
        const bool end = at == text.size();
        const QChar c = end ? QChar() : text.at(at);
        if (!end && c != QLatin1Char(' ') && c != QLatin1Char('\n'))
            continue;
        if (at > start)
            w.widths.push_back(float(charWidths.of(text.mid(start, at - start)) * 1.02));
        if (c == QLatin1Char('\n'))
            w.widths.push_back(-1);
        start = at + 1;
    }
    return w;
}

// The lines a text wraps to between words, as the painter breaks them.
int linesAt(const Words &words, double width, double space)
{
    int lines = 1;
    double line = 0;
    for (const float w : words.widths) {
        if (w < 0) {
            ++lines;
            line = 0;
        } else if (line == 0) {
            lines += int(w / width); // a word longer than the line breaks inside
            line = w > width ? std::fmod(double(w), width) : w;
        } else if (line + space + w > width) {
            ++lines;
            line = w;
        } else {
            line += space + w;
        }
    }
    return lines;
}

// The long texts' widths that make the rows shortest, tried in steps of a
// fortieth of the room over a sample of the rows: a row is as tall as its
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
    const int parts = 40;
    const double space = charWidths.of(QStringLiteral(" "));
    // Per long text, per share of the room, the lines of each sampled row.
    const qsizetype step = std::max<qsizetype>(1, rows.size() / 1500);
    const qsizetype sampled = (rows.size() + step - 1) / step;
    std::vector<std::vector<std::vector<quint8>>> lines(n, std::vector<std::vector<quint8>>(parts + 1));
    for (int i = 0; i < n; ++i) {
        const ReportColumn &column = definition.columns.at(candidates.at(longOnes.at(i)).index);
        const int field = fieldPosition(fields, column.field);
        std::vector<Words> texts;
        texts.reserve(size_t(sampled));
        for (qsizetype r = 0; r < rows.size(); r += step)
            texts.push_back(wordsOf(formatValue(rows.at(r, field), column.format), charWidths));
        for (int share = 1; share <= parts - (n - 1); ++share) {
            const double width = std::max(1.0, room * share / parts - 2 * padding);
            auto &out = lines[size_t(i)][size_t(share)];
            out.reserve(texts.size());
            for (const Words &words : texts)
                out.push_back(quint8(std::min(255, linesAt(words, width, space))));
        }
    }
    double bestCost = std::numeric_limits<double>::max();
    QList<int> split(n, 1);
    // Every way of giving each long text one fortieth or more.
    std::function<void(int, int)> tryFrom = [&](int column, int left) {
        if (column == n - 1) {
            split[column] = left;
            // The rows' height first; of splits as short, the one wrapping the fewest lines.
            double cost = 0;
            for (qsizetype r = 0; r < sampled; ++r) {
                int tallest = 1;
                int all = 0;
                for (int i = 0; i < n; ++i) {
                    const int cell = lines[size_t(i)][size_t(split.at(i))][size_t(r)];
                    tallest = std::max(tallest, cell);
                    all += cell;
                }
                cost += tallest + all / (4.0 * n * double(sampled));
            }
            if (cost < bestCost) {
                bestCost = cost;
                best.clear();
                for (int i = 0; i < n; ++i)
                    best << room * split.at(i) / parts;
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
        Candidate c{index, headingWidth(column.header, boldMetrics) + 2 * padding + fromPoints(1), 0, 0};
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
