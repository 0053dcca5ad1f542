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
    const QString key = text.toString();
    auto it = m_advances.constFind(key);
    if (it != m_advances.cend())
        return *it;
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
// advance; blanks at a break stay at the end of the line they follow.
bool TextWrapper::wrapQuickly(const QString &paragraph, double width, QStringList &out)
{
    if (!tokenize(paragraph))
        return false;
    double total = 0;
    for (const Token &t : std::as_const(m_tokens))
        total += t.width;
    if (std::abs(total - width) <= doubtful)
        return false;
    if (total <= width) {
        out << paragraph;
        return true;
    }

    QStringList lines;
    int lineStart = 0;     // text position
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
        QString line = paragraph.mid(lineStart, t.start - lineStart);
        while (line.size() > 1 && line.back().isSpace())
            line.chop(1);
        lines << line;
        lineStart = t.start;
        const double alone = t.width + t.overhang;
        if (alone > width - doubtful)
            return false;
        used = t.width;
        blanks = 0;
    }
    QString last = paragraph.mid(lineStart);
    while (last.size() > 1 && last.back().isSpace())
        last.chop(1);
    lines << last;
    out << lines;
    return true;
}

QStringList TextWrapper::wrap(const QString &text, double width)
{
    QHash<QString, QStringList> &known = m_wrapped[width];
    auto it = known.constFind(text);
    if (it != known.cend())
        return *it;

    QStringList out;
    QString plain = text;
    plain.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    plain.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    plain.replace(QLatin1Char('\t'), QLatin1Char(' '));
    for (const QString &paragraph : plain.split(QLatin1Char('\n'))) {
        if (paragraph.isEmpty()) {
            out << paragraph;
        } else if (wrapQuickly(paragraph, width, out)) {
            ++m_quick;
        } else {
            ++m_full;
            out << wrapText(paragraph, m_font, width);
        }
    }
    known.insert(text, out);
    return out;
}
