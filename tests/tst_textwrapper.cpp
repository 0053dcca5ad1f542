// Wrapping from measured words must break every text where the full text
// layout breaks it, or the pages of a report would change.
#include "reportlayout.h"
#include "textwrapper.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

QFont font(int pixels, bool bold)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixels);
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

const QStringList vocabulary = {
    "verify", "that", "the", "login", "page", "accepts", "a", "I", "valid", "user-name", "and/or", "e-mail",
    "(optional)", "[see", "notes]", "O'Brien's", "\"quoted\"", "100%", "3.5", "1,000", "v2.0-beta", "x", "WWW",
    "fi", "ffl", "AV", "To", "Ty", "ll", "café", "naïve", "Ærø", "§4", "€", "—", "–", "...", "!", "?", ";", ":",
    "https://example.org/a/b?c=d", "C:\\temp\\file.txt", "snake_case_name", "CamelCaseName", "12:30",
    "ÀÉÎÕÜ", "«guillemets»", "¿qué?", "¡sí!", "Łódź", "Dvořák", "‘single’", "“double”", "•", "†"};

QString sentence(QRandomGenerator &rng, int words)
{
    QString s;
    for (int i = 0; i < words; ++i) {
        if (i > 0)
            s += rng.bounded(12) == 0 ? QStringLiteral("  ") : QStringLiteral(" ");
        s += vocabulary.at(rng.bounded(int(vocabulary.size())));
    }
    return s;
}

} // namespace

class TestTextWrapper : public QObject
{
    Q_OBJECT

private slots:
    void breaksWhereTheTextLayoutBreaks_data();
    void breaksWhereTheTextLayoutBreaks();
    void plainTextsAreWrappedFromWordWidths();
};

void TestTextWrapper::breaksWhereTheTextLayoutBreaks_data()
{
    QTest::addColumn<QStringList>("texts");

    QRandomGenerator rng(4711);
    QStringList sentences;
    for (int i = 0; i < 400; ++i)
        sentences << sentence(rng, 1 + int(rng.bounded(40)));
    QTest::newRow("sentences") << sentences;

    QStringList edges;
    for (const QString &s : std::as_const(sentences).mid(0, 60)) {
        edges << s + QStringLiteral("   ") << QStringLiteral("  ") + s << s + QStringLiteral("\n\n") + s
              << s + QStringLiteral("\t") + s << s + QStringLiteral("\r\n") + s;
    }
    edges << QString(300, QChar('m')) << QStringLiteral("short ") + QString(120, QChar('w')) + QStringLiteral(" end")
          << QStringLiteral("a\u00a0b\u00a0c ") + sentences.at(1) << QStringLiteral("soft\u00adhyphen ") + sentences.at(2)
          << QStringLiteral("Ελληνικά κείμενα και ") + sentences.at(3) << QStringLiteral("Русский текст ") + sentences.at(4)
          << QStringLiteral("مرحبا بالعالم ") + sentences.at(5) << QStringLiteral("中文文本没有空格") + sentences.at(6)
          << QString() << QStringLiteral(" ") << QStringLiteral("-") << QStringLiteral("a");
    QTest::newRow("blanks, breaks, long words and other scripts") << edges;
}

void TestTextWrapper::breaksWhereTheTextLayoutBreaks()
{
    QFETCH(QStringList, texts);
    for (const QFont &f : {font(142, false), font(142, true), font(40, false)}) {
        // One wrapper for every width, so that widths cannot share remembered results.
        TextWrapper wrapper(f);
        const double em = QFontMetricsF(f).height();
        for (double width = 3 * em; width < 40 * em; width *= 1.37) {
            for (const QString &text : std::as_const(texts)) {
                const QStringList expected = wrapText(text, f, width);
                QCOMPARE(wrapper.wrap(text, width), expected);
                QCOMPARE(wrapper.wrap(text, width), expected); // and again, remembered
                // Split without making the lines, and the lines made from the split.
                int lines = 0;
                const TextWrapper::Split split = wrapper.split(text, width, &lines);
                const std::vector<quint16> breaks(wrapper.breaks().cbegin(), wrapper.breaks().cend());
                QCOMPARE(lines, int(expected.size()));
                if (split == TextWrapper::Split::Whole)
                    QCOMPARE(QStringList{text}, expected);
                else if (split == TextWrapper::Split::AtBreaks)
                    QCOMPARE(TextWrapper::linesAt(text, breaks), expected);
            }
        }
    }
}

void TestTextWrapper::plainTextsAreWrappedFromWordWidths()
{
    // The speed comes from not laying out plain texts in full: almost all must go the quick way.
    QRandomGenerator rng(99);
    const QFont f = font(142, false);
    TextWrapper wrapper(f);
    for (int i = 0; i < 500; ++i)
        wrapper.wrap(sentence(rng, 5 + int(rng.bounded(30))), 2000);
    QCOMPARE(wrapper.quickParagraphs() + wrapper.fullParagraphs(), 500);
    QVERIFY2(wrapper.fullParagraphs() < 50, qPrintable(QString::number(wrapper.fullParagraphs())));
}

QTEST_MAIN(TestTextWrapper)
#include "tst_textwrapper.moc"
