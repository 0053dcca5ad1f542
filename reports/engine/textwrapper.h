#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QString>
#include <QStringList>

// Wraps texts in one font exactly as wrapText() does, but quickly on long
// reports: every distinct text is wrapped once per width, and plain
// single-script texts are broken from the measured widths of their words and
// spaces, which repeat across rows, instead of shaping every paragraph whole.
// A paragraph the word widths cannot decide for certain goes to wrapText().
class TextWrapper
{
public:
    explicit TextWrapper(const QFont &font);

    QStringList wrap(const QString &text, double width);

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

    bool wrapQuickly(const QString &paragraph, double width, QStringList &out);
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
    QHash<double, QHash<QString, QStringList>> m_wrapped; // by width, then text
    QList<Token> m_tokens;
    int m_quick = 0;
    int m_full = 0;
};
