#include "textwrapper.h"

#include "reportlayout.h"

#include <QTextBoundaryFinder>
#include <cmath>

namespace {

// Widths closer than this to a decision are left to the full text layout.
constexpr double doubtful = 0.1;

// Characters that shape one by one, left to right, with no context beyond a
// kerning pair: printable Latin-1 and Latin Extended-A, dashes, quotes,
// bullets, the ellipsis and the euro sign. The no-break space and the soft
// hyphen are left out: the line breaker treats them apart.
bool isPlain(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x100)
        return (u >= 0x20 && u < 0x7f) || (u >= 0xa1 && u != 0xad);
    return (u >= 0x100 && u <= 0x17f) || u == 0x2013 || u == 0x2014 || (u >= 0x2018 && u <= 0x201e)
           || (u >= 0x2020 && u <= 0x2022) || u == 0x2026 || u == 0x20ac;
}

// Longer paragraphs are split into several shaping runs by the text engine.
constexpr int longestQuickParagraph = 2000;

} // namespace

TextWrapper::TextWrapper(const QFont &font)
    : m_font(font)
    , m_metrics(font)
    , m_maxOverhang(std::max(0.0, -m_metrics.minRightBearing()))
{
}

double TextWrapper::advance(QStringView text)
{
    // Looked up without a copy of the text; only a new one is kept.
    auto it = m_advances.constFind(QString::fromRawData(text.data(), text.size()));
    if (it != m_advances.cend())
        return *it;
    const QString key = text.toString();
    const double w = m_metrics.horizontalAdvance(key);
    m_advances.insert(key, w);
    return w;
}

// What shaping two characters together adds to their separate advances.
double TextWrapper::kerning(QChar left, QChar right)
{
    const quint32 key = (quint32(left.unicode()) << 16) | right.unicode();
    auto it = m_kerning.constFind(key);
    if (it != m_kerning.cend())
        return *it;
    const QString pair = QString(left) + right;
    const double k = m_metrics.horizontalAdvance(pair) - advance(QStringView(pair).left(1))
                     - advance(QStringView(pair).mid(1));
    m_kerning.insert(key, k);
    return k;
}

double TextWrapper::overhang(QChar last)
{
    auto it = m_overhangs.constFind(last);
    if (it != m_overhangs.cend())
        return *it;
    const double o = std::max(0.0, -m_metrics.rightBearing(last));
    m_overhangs.insert(last, o);
    return o;
}

// Splits a paragraph into words and runs of blanks, a word ending wherever a
// line may break; false when the paragraph is not plain enough to wrap by words.
bool TextWrapper::tokenize(const QString &paragraph)
{
    m_tokens.clear();
    const int n = int(paragraph.size());
    if (n == 0 || n > longestQuickParagraph || paragraph.front() == QLatin1Char(' '))
        return false;
    for (QChar c : paragraph) {
        if (!isPlain(c))
            return false;
    }
    QTextBoundaryFinder breaks(QTextBoundaryFinder::Line, paragraph);
    int nextBreak = int(breaks.toNextBoundary());
    int i = 0;
    while (i < n) {
        Token t;
        t.start = i;
        t.space = paragraph.at(i) == QLatin1Char(' ');
        if (t.space) {
            while (i < n && paragraph.at(i) == QLatin1Char(' '))
                ++i;
        } else {
            do {
                ++i;
                while (nextBreak >= 0 && nextBreak < i)
                    nextBreak = int(breaks.toNextBoundary());
            } while (i < n && paragraph.at(i) != QLatin1Char(' ') && i != nextBreak);
        }
        t.length = i - t.start;
        const QStringView text = QStringView(paragraph).mid(t.start, t.length);
        t.width = advance(text);
        if (i < n)
            t.width += kerning(paragraph.at(i - 1), paragraph.at(i));
        if (!t.space) {
            t.overhang = overhang(paragraph.at(i - 1));
            if (t.overhang > m_maxOverhang)
                return false;
        }
        m_tokens.append(t);
    }
    return true;
}

// Greedy breaking as the text layout does it: a word joins the line when it
// fits with the blanks before it and the ink its last glyph may put past its
// advance; blanks at a break stay at the end of the line they follow. Gives
// where each line after the first starts, in m_breaks, or m_whole when the
// paragraph stands on one line as it is.
bool TextWrapper::breakQuickly(const QString &paragraph, double width)
{
    m_breaks.clear();
    m_whole = false;
    if (!tokenize(paragraph))
        return false;
    double total = 0;
    for (const Token &t : std::as_const(m_tokens))
        total += t.width;
    if (std::abs(total - width) <= doubtful)
        return false;
    if (total <= width) {
        m_whole = true;
        return true;
    }

    double used = -1;      // width of the words on the line; below 0 while it is empty
    double blanks = 0;     // blanks waiting behind the line's last word
    for (const Token &t : std::as_const(m_tokens)) {
        if (t.space) {
            if (used >= 0)
                blanks += t.width;
            continue;
        }
        if (used < 0) {
            // The first word of a line always stands; one wider than the line is broken inside.
            const double alone = t.width + t.overhang;
            if (alone > width - doubtful)
                return false;
            used = t.width;
            blanks = 0;
            continue;
        }
        const double next = used + blanks + t.width;
        if (std::abs(next + m_maxOverhang - width) <= doubtful)
            return false;
        const double ink = next + m_maxOverhang > width ? next + t.overhang : next;
        if (std::abs(ink - width) <= doubtful)
            return false;
        if (ink <= width) {
            used = next;
            blanks = 0;
            continue;
        }
        m_breaks.append(t.start);
        const double alone = t.width + t.overhang;
        if (alone > width - doubtful)
            return false;
        used = t.width;
        blanks = 0;
    }
    return true;
}

namespace {

bool hasLineEndsOrTabs(const QString &text)
{
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\t'));
}

// The paragraphs of a text as wrapText() sees them: line ends of any kind, tabs as blanks.
QStringList paragraphsOf(const QString &text)
{
    if (!hasLineEndsOrTabs(text))
        return {text};
    QString plain = text;
    plain.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    plain.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    plain.replace(QLatin1Char('\t'), QLatin1Char(' '));
    return plain.split(QLatin1Char('\n'));
}

// The lines of a paragraph broken before each of the places, without their trailing blanks.
template <class Places>
void appendLines(QStringList &out, const QString &paragraph, const Places &places)
{
    const auto append = [&](qsizetype from, qsizetype to) {
        QString line = paragraph.mid(from, to - from);
        while (line.size() > 1 && line.back().isSpace())
            line.chop(1);
        out << line;
    };
    qsizetype from = 0;
    for (const auto at : places) {
        append(from, at);
        from = at;
    }
    append(from, paragraph.size());
}

} // namespace

QStringList TextWrapper::wrap(const QString &text, double width)
{
    QHash<QString, QStringList> &known = m_wrapped[width];
    auto it = known.constFind(text);
    if (it != known.cend())
        return *it;

    QStringList out;
    for (const QString &paragraph : paragraphsOf(text)) {
        if (paragraph.isEmpty()) {
            out << paragraph;
        } else if (breakQuickly(paragraph, width)) {
            ++m_quick;
            if (m_whole)
                out << paragraph;
            else
                appendLines(out, paragraph, m_breaks);
        } else {
            ++m_full;
            out << wrapText(paragraph, m_font, width);
        }
    }
    // Kept for texts that come again, up to a bound: a long report's texts are
    // wrapped page by page, not held all at once.
    if (++m_cached > maxCached) {
        m_wrapped.clear();
        m_cached = 1;
    }
    m_wrapped[width].insert(text, out);
    return out;
}

TextWrapper::Split TextWrapper::split(const QString &text, double width, int *lines)
{
    m_breaks.clear();
    if (text.isEmpty()) {
        *lines = 1;
        return Split::Whole;
    }
    if (!hasLineEndsOrTabs(text) && breakQuickly(text, width)) {
        ++m_quick;
        *lines = int(m_breaks.size()) + 1;
        return m_whole ? Split::Whole : Split::AtBreaks;
    }
    *lines = 0;
    for (const QString &paragraph : paragraphsOf(text)) {
        if (paragraph.isEmpty()) {
            ++*lines;
        } else if (breakQuickly(paragraph, width)) {
            ++m_quick;
            *lines += int(m_breaks.size()) + 1;
        } else {
            ++m_full;
            *lines += int(wrapText(paragraph, m_font, width).size());
        }
    }
    m_breaks.clear();
    return Split::Other;
}

QStringList TextWrapper::linesAt(const QString &text, std::span<const quint16> breaks)
{
    QStringList out;
    appendLines(out, text, breaks);
    return out;
}
