#include "junitresults.h"

#include "exchangeerror.h"

#include <QXmlStreamReader>

namespace {

QString firstLine(const QString &text)
{
    for (const QStringView line : QStringView(text).split(u'\n')) {
        const QString trimmed = line.trimmed().toString();
        if (!trimmed.isEmpty())
            return trimmed;
    }
    return {};
}

class JUnitParser
{
public:
    JUnitParser(const QByteArray &xml, const QString &name)
        : m_bytes(xml), m_xml(xml), m_name(name)
    {
    }

    QList<JUnitCase> run()
    {
        bool rootSeen = false;
        while (!m_xml.atEnd()) {
            m_xml.readNext();
            if (m_xml.tokenType() == QXmlStreamReader::DTD) {
                // The reader stands at its end; the user looks for its start.
                const qsizetype at = m_bytes.indexOf("<!DOCTYPE");
                fail(QStringLiteral("declares a DOCTYPE; files with a DTD or entities are not read."),
                     at >= 0 ? m_bytes.left(at).count('\n') + 1 : m_xml.lineNumber());
            }
            if (!m_xml.isStartElement())
                continue;
            if (!rootSeen) {
                rootSeen = true;
                if (m_xml.name() != u"testsuites" && m_xml.name() != u"testsuite")
                    fail(QStringLiteral("is not a JUnit XML file: its root element is <%1>, not <testsuites> or "
                                        "<testsuite>.")
                             .arg(m_xml.name()));
            }
            suites(QDate());
        }
        if (m_xml.hasError())
            fail(QStringLiteral("is not well-formed XML: %1").arg(m_xml.errorString()));
        if (!rootSeen)
            fail(QStringLiteral("holds no XML element."));
        return m_cases;
    }

private:
    [[noreturn]] void fail(const QString &what, qint64 line = -1)
    {
        throw ExchangeError::at(m_name, line < 0 ? m_xml.lineNumber() : line, what);
    }

    // At a start element: a suite, a test case, or something to step over.
    void suites(QDate date)
    {
        if (m_xml.name() == u"testcase") {
            testCase(date);
            return;
        }
        if (m_xml.name() == u"testsuite" || m_xml.name() == u"testsuites") {
            const QString stamp = m_xml.attributes().value(QLatin1String("timestamp")).toString();
            if (const QDate own = QDate::fromString(stamp.left(10), Qt::ISODate); own.isValid())
                date = own;
            while (m_xml.readNextStartElement())
                suites(date);
            return;
        }
        m_xml.skipCurrentElement();
    }

    void testCase(QDate date)
    {
        JUnitCase test;
        test.line = m_xml.lineNumber();
        test.name = m_xml.attributes().value(QLatin1String("name")).toString();
        test.classname = m_xml.attributes().value(QLatin1String("classname")).toString();
        test.date = date;
        bool failed = false;
        // CTest marks tests it did not run by their status alone.
        const QStringView status = m_xml.attributes().value(QLatin1String("status"));
        bool skipped = status == u"notrun" || status == u"disabled";
        while (m_xml.readNextStartElement()) {
            const bool isFailure = m_xml.name() == u"failure" || m_xml.name() == u"error";
            if (isFailure && !failed) {
                failed = true;
                test.message = firstLine(m_xml.attributes().value(QLatin1String("message")).toString());
                const QString text = m_xml.readElementText(QXmlStreamReader::IncludeChildElements);
                if (test.message.isEmpty())
                    test.message = firstLine(text);
                continue;
            }
            skipped = skipped || m_xml.name() == u"skipped";
            m_xml.skipCurrentElement();
        }
        test.outcome = failed ? TestOutcome::Failed : skipped ? TestOutcome::Skipped : TestOutcome::Passed;
        m_cases << test;
    }

    const QByteArray &m_bytes;
    QXmlStreamReader m_xml;
    QString m_name;
    QList<JUnitCase> m_cases;
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
