#include "csvreader.h"

#include "exchangeerror.h"

namespace {

bool isLineEnd(QChar c)
{
    return c == u'\n' || c == u'\r';
}

// Walks the text record by record, counting the file's lines.
class Parser
{
public:
    Parser(QStringView text, QChar delimiter, const QString &name)
        : m_p(text.begin()), m_end(text.end()), m_delimiter(delimiter), m_name(name)
    {
    }

    bool atEnd() const { return m_p == m_end; }
    qint64 line() const { return m_line; }

    // The next record; false at the end. An empty line is an empty list.
    bool next(QStringList &fields)
    {
        fields.clear();
        if (atEnd())
            return false;
        if (isLineEnd(*m_p)) {
            skipLineEnd();
            return true;
        }
        for (;;) {
            // After a delimiter at the end of a record comes one more, empty, field.
            fields << (!atEnd() && *m_p == u'"' ? quoted() : plain());
            if (atEnd())
                return true;
            if (isLineEnd(*m_p)) {
                skipLineEnd();
                return true;
            }
            ++m_p; // the delimiter
        }
    }

private:
    QString plain()
    {
        const QChar *start = m_p;
        while (m_p != m_end && *m_p != m_delimiter && !isLineEnd(*m_p))
            ++m_p;
        return QStringView(start, m_p).toString();
    }

    QString quoted()
    {
        const qint64 opened = m_line;
        QString field;
        ++m_p;
        for (;;) {
            const QChar *start = m_p;
            while (m_p != m_end && *m_p != u'"') {
                if (*m_p == u'\n' || (*m_p == u'\r' && (m_p + 1 == m_end || m_p[1] != u'\n')))
                    ++m_line;
                ++m_p;
            }
            field += QStringView(start, m_p);
            if (m_p == m_end)
                throw ExchangeError::at(m_name, opened,
                                        QStringLiteral("a quoted field starts here and is never closed."));
            ++m_p;
            if (m_p != m_end && *m_p == u'"') {
                field += u'"';
                ++m_p;
                continue;
            }
            if (m_p != m_end && *m_p != m_delimiter && !isLineEnd(*m_p))
                throw ExchangeError::at(m_name, m_line,
                                        QStringLiteral("text follows a closing quote; a quote inside a quoted "
                                                       "field must be doubled."));
            return field;
        }
    }

    void skipLineEnd()
    {
        if (*m_p == u'\r' && m_p + 1 != m_end && m_p[1] == u'\n')
            ++m_p;
        ++m_p;
        ++m_line;
    }

    const QChar *m_p;
    const QChar *m_end;
    QChar m_delimiter;
    const QString &m_name;
    qint64 m_line = 1;
};

} // namespace

QChar CsvReader::detectDelimiter(QStringView text)
{
    int comma = 0, semicolon = 0, tab = 0;
    bool inQuotes = false;
    for (const QChar c : text) {
        if (c == u'"')
            inQuotes = !inQuotes;
        else if (!inQuotes && isLineEnd(c))
            break;
        else if (!inQuotes) {
            comma += c == u',';
            semicolon += c == u';';
            tab += c == u'\t';
        }
    }
    if (semicolon > comma && semicolon >= tab)
        return u';';
    if (tab > comma && tab > semicolon)
        return u'\t';
    return u',';
}

QString CsvReader::unescapedText(const QString &field)
{
    if (field.size() > 1 && field.front() == u'\'' && QStringView(u"=+-@\t\r'").contains(field.at(1)))
        return field.mid(1);
    return field;
}

CsvTable CsvReader::readFile(const QString &path) const
{
    return parse(readInputFile(path, m_maxBytes), path);
}

CsvTable CsvReader::parse(QByteArray bytes, const QString &name) const
{
    CsvTable table;
    DecodedText decoded = decodeText(bytes, m_encoding);
    bytes = QByteArray(); // a large file is not held twice
    const QString text = std::move(decoded.text);
    table.encoding = decoded.encoding;
    if (const qsizetype nul = text.indexOf(QChar(0)); nul >= 0)
        throw ExchangeError::at(name, text.left(nul).count(u'\n') + 1,
                                QStringLiteral("holds a NUL character: this is not a text file."));
    table.delimiter = m_delimiter.isNull() ? detectDelimiter(text) : m_delimiter;

    Parser parser(text, table.delimiter, name);
    QStringList fields;
    while (table.header.isEmpty() && parser.next(fields))
        table.header = fields;
    if (table.header.isEmpty())
        throw ExchangeError::at(name, 0, QStringLiteral("holds no header line."));
    for (;;) {
        const qint64 line = parser.line();
        if (!parser.next(fields))
            break;
        if (fields.isEmpty())
            continue;
        if (fields.size() != table.header.size())
            throw ExchangeError::at(name, line, QStringLiteral("%1 fields where the header has %2.")
                                                    .arg(fields.size())
                                                    .arg(table.header.size()));
        table.rows << fields;
        table.rowLines << line;
    }
    return table;
}
