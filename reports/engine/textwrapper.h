#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QString>
#include <QStringList>
#include <span>

// Wraps texts in one font exactly as wrapText() does, but quickly on long
// reports: a text that comes again is wrapped once per width, and plain
// single-script texts are broken from the measured widths of their words and
// spaces, which repeat across rows, instead of shaping every paragraph whole.
// A paragraph the word widths cannot decide for certain goes to wrapText().
class TextWrapper
{
public:
    explicit TextWrapper(const QFont &font);

    QStringList wrap(const QString &text, double width);

    // How wrap() breaks a text, and into how many lines, found without making
    // them: on one line as it is; before each of breaks(), every line without
    // its trailing blanks (a plain text of one paragraph); or some other way,
    // which only wrap() gives.
    enum class Split { Whole, AtBreaks, Other };
    Split split(const QString &text, double width, int *lines);
    const QList<int> &breaks() const { return m_breaks; }
    // The lines of a text split AtBreaks, as wrap() makes them.
    static QStringList linesAt(const QString &text, std::span<const quint16> breaks);

    // Paragraphs broken from word widths, and those left to the full text layout.
    int quickParagraphs() const { return m_quick; }
    int fullParagraphs() const { return m_full; }

private:
    struct Token
    {
        int start = 0;
        int length = 0;
        bool space = false;
        double width = 0;      // in context: with the kerning towards the next token
        double overhang = 0;   // ink past the advance of the last glyph; words only
    };

    bool breakQuickly(const QString &paragraph, double width);
    bool tokenize(const QString &paragraph);
    double advance(QStringView text);
    double kerning(QChar left, QChar right);
    double overhang(QChar last);

    QFont m_font;
    QFontMetricsF m_metrics;
    double m_maxOverhang;
    QHash<QString, double> m_advances;
    QHash<quint32, double> m_kerning;
    QHash<QChar, double> m_overhangs;
    static constexpr int maxCached = 20000;
    QHash<double, QHash<QString, QStringList>> m_wrapped; // by width, then text
    int m_cached = 0;
    QList<Token> m_tokens;
    QList<int> m_breaks; // where the lines after the first start
    bool m_whole = false;
    int m_quick = 0;
    int m_full = 0;
};
