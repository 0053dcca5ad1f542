#include "junitresults.h"

#include "exchangeerror.h"
#include "textcount.h"

#include <QXmlStreamReader>

namespace {

// The first line of a text that is not blank, trimmed, from the text given in
// pieces. However long the text, it keeps little more than the limit.
class FirstLine
{
public:
    void add(QStringView text)
    {
        while (!m_done && !text.isEmpty()) {
            const qsizetype lineEnd = text.indexOf(u'\n');
            QStringView piece = lineEnd < 0 ? text : text.first(lineEnd);
            while (m_line.isEmpty() && !piece.isEmpty() && piece.front().isSpace())
                piece = piece.sliced(1);
            m_line += piece.first(std::min(piece.size(), kKept - m_line.size()));
            // m_line is empty or starts with a character that is not blank.
            m_done = m_line.size() == kKept || (lineEnd >= 0 && !m_line.isEmpty());
            text = lineEnd < 0 ? QStringView() : text.sliced(lineEnd + 1);
        }
    }

    // Cut to the limit with "…" when longer.
    QString text(bool &cut) const
    {
        const QString line = m_line.trimmed();
        cut = charCount(line) > kFailureMessageLimit;
        return cut ? leftChars(line, kFailureMessageLimit - 1) + u'\u2026' : line;
    }

private:
    // Enough code units to hold one character past the limit, pairs of surrogates and all.
    static constexpr qsizetype kKept = 2 * kFailureMessageLimit + 2;
    QString m_line;
    bool m_done = false;
};

// Walks the tokens with a stack of its own, so that no depth of the file
// deepens the program's; the depth is bounded all the same.
class JUnitParser
{
public:
    JUnitParser(const QByteArray &xml, const QString &name)
        : m_bytes(xml), m_xml(xml), m_name(name)
    {
    }

    QList<JUnitCase> run()
    {
        while (!m_xml.atEnd()) {
            switch (m_xml.readNext()) {
            case QXmlStreamReader::DTD: {
                // The reader stands at its end; the user looks for its start.
                const qsizetype at = m_bytes.indexOf("<!DOCTYPE");
                fail(QStringLiteral("declares a DOCTYPE; files with a DTD or entities are not read."),
                     at >= 0 ? m_bytes.left(at).count('\n') + 1 : m_xml.lineNumber());
            }
            case QXmlStreamReader::StartElement:
                open();
                break;
            case QXmlStreamReader::EndElement:
                close();
                break;
            case QXmlStreamReader::Characters:
                if (m_readingFailureText)
                    m_failureText.add(m_xml.text());
                break;
            default:
                break;
            }
        }
        if (m_xml.hasError())
            fail(QStringLiteral("is not well-formed XML: %1").arg(m_xml.errorString()));
        if (!m_rootSeen)
            fail(QStringLiteral("holds no XML element."));
        return m_cases;
    }

private:
    // What an open element is to the reader; the date and build are its suite's.
    enum class Kind { Suite, Case, Failure, Properties, Other };
    struct Element
    {
        Kind kind = Kind::Other;
        QDate date;
        bool dateInFuture = false;
        QString build;
        // What named the build in this very suite: 0 nothing (an outer suite's
        // build holds), 1 "version", 2 "build", which wins.
        int buildNamedBy = 0;
    };

    [[noreturn]] void fail(const QString &what, qint64 line = -1)
    {
        throw ExchangeError::at(m_name, line < 0 ? m_xml.lineNumber() : line, what);
    }

    void open()
    {
        if (m_open.size() == kJUnitMaxDepth)
            fail(QStringLiteral("nests elements more than %1 deep; such a file is not read.").arg(kJUnitMaxDepth));
        const QStringView name = m_xml.name();
        const bool isSuite = name == u"testsuite" || name == u"testsuites";
        if (!m_rootSeen) {
            m_rootSeen = true;
            if (!isSuite)
                fail(QStringLiteral("is not a JUnit XML file: its root element is <%1>, not <testsuites> or "
                                    "<testsuite>.")
                         .arg(name));
        }
        // The root stands in a suite of no date.
        const Element parent = m_open.isEmpty() ? Element{Kind::Suite, {}, false, {}, 0} : m_open.last();
        Element element{Kind::Other, parent.date, parent.dateInFuture, parent.build, 0};
        if (parent.kind == Kind::Suite && isSuite) {
            element.kind = Kind::Suite;
            dateSuite(element);
        } else if (parent.kind == Kind::Suite && name == u"testcase") {
            element.kind = Kind::Case;
            openCase(parent);
        } else if (parent.kind == Kind::Case && (name == u"failure" || name == u"error") && !m_failed) {
            element.kind = Kind::Failure;
            openFailure();
        } else if (parent.kind == Kind::Case) {
            m_skipped = m_skipped || name == u"skipped";
        } else if (parent.kind == Kind::Suite && name == u"properties") {
            element.kind = Kind::Properties;
        } else if (parent.kind == Kind::Properties && name == u"property") {
            nameBuild(m_open[m_open.size() - 2]); // the suite of the properties
        }
        m_open << element;
    }

    void close()
    {
        const Element element = m_open.takeLast();
        if (element.kind == Kind::Failure && m_readingFailureText) {
            m_readingFailureText = false;
            m_case.message = m_failureText.text(m_case.messageCut);
        } else if (element.kind == Kind::Case) {
            m_case.outcome = m_failed ? TestOutcome::Failed : m_skipped ? TestOutcome::Skipped : TestOutcome::Passed;
            m_cases << m_case;
        }
    }

    // A timestamp after today is not taken: the results are logged as of today.
    void dateSuite(Element &suite) const
    {
        const QString stamp = m_xml.attributes().value(QLatin1String("timestamp")).left(10).toString();
        const QDate own = QDate::fromString(stamp, Qt::ISODate);
        if (!own.isValid())
            return;
        suite.dateInFuture = own > m_today;
        suite.date = suite.dateInFuture ? QDate() : own;
    }

    // The suite's properties come before its test cases, as the schema has them.
    void nameBuild(Element &suite) const
    {
        const QXmlStreamAttributes attributes = m_xml.attributes();
        const QStringView name = attributes.value(QLatin1String("name"));
        const int namedBy = name.compare(u"build", Qt::CaseInsensitive) == 0     ? 2
                            : name.compare(u"version", Qt::CaseInsensitive) == 0 ? 1
                                                                                  : 0;
        if (namedBy == 0 || namedBy < suite.buildNamedBy)
            return;
        suite.build = attributes.value(QLatin1String("value")).trimmed().toString();
        suite.buildNamedBy = namedBy;
    }

    void openCase(const Element &suite)
    {
        const QXmlStreamAttributes attributes = m_xml.attributes();
        m_case = JUnitCase();
        m_case.line = m_xml.lineNumber();
        m_case.name = attributes.value(QLatin1String("name")).toString();
        m_case.classname = attributes.value(QLatin1String("classname")).toString();
        m_case.date = suite.date;
        m_case.build = suite.build;
        m_case.timestampInFuture = suite.dateInFuture;
        m_failed = false;
        // CTest marks tests it did not run by their status alone.
        const QStringView status = attributes.value(QLatin1String("status"));
        m_skipped = status == u"notrun" || status == u"disabled";
    }

    void openFailure()
    {
        m_failed = true;
        FirstLine message;
        message.add(m_xml.attributes().value(QLatin1String("message")));
        m_case.message = message.text(m_case.messageCut);
        // Without a message, the first line of the text, child elements' text included.
        m_readingFailureText = m_case.message.isEmpty();
        m_failureText = FirstLine();
    }

    const QByteArray &m_bytes;
    QXmlStreamReader m_xml;
    QString m_name;
    const QDate m_today = QDate::currentDate();
    bool m_rootSeen = false;
    QList<Element> m_open;
    QList<JUnitCase> m_cases;
    // The test case open now.
    JUnitCase m_case;
    bool m_failed = false;
    bool m_skipped = false;
    bool m_readingFailureText = false;
    FirstLine m_failureText;
};

} // namespace

QList<JUnitCase> parseJUnit(const QByteArray &xml, const QString &name)
{
    return JUnitParser(xml, name).run();
}

QList<JUnitCase> readJUnitFile(const QString &path, qint64 maxBytes)
{
    return parseJUnit(readInputFile(path, maxBytes), path);
}
