#include "csvreader.h"

#include "exchangeerror.h"

#include <QStringDecoder>
#include <algorithm>

namespace {

bool isLineEnd(char c)
{
    return c == '\n' || c == '\r';
}

// Lines end in LF, CRLF or a CR alone.
qint64 lineEndsIn(QByteArrayView bytes)
{
    qint64 count = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i)
        count += bytes[i] == '\n' || (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n'));
    return count;
}

// Field bytes to text. The file is read as bytes, so that a large field is
// never held as the whole text and once more as the field.
class FieldDecoder
{
public:
    explicit FieldDecoder(bool windows1252)
        : m_windows1252(windows1252)
    {
    }

    // Room for the text of so many bytes.
    qsizetype space(qsizetype bytes) const { return std::max(bytes, m_utf8.requiredSpace(bytes)); }
    QChar *append(QChar *out, QByteArrayView bytes)
    {
        return m_windows1252 ? appendWindows1252(out, bytes) : m_utf8.appendToBuffer(out, bytes);
    }

private:
    bool m_windows1252;
    // Stateless: a broken character at the end of one field never joins the next.
    QStringDecoder m_utf8{QStringConverter::Utf8,
                          QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom};
};

// Walks the bytes record by record, counting the file's lines. Delimiters,
// quotes and line ends are single bytes in UTF-8 and Windows-1252 alike.
class Parser
{
public:
    Parser(QByteArrayView text, char delimiter, FieldDecoder &decoder, const QString &name)
        : m_p(text.begin()), m_end(text.end()), m_delimiter(delimiter), m_decoder(decoder), m_name(name)
    {
    }

    bool atEnd() const { return m_p == m_end; }
    const char *position() const { return m_p; }
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
            fields << (!atEnd() && *m_p == '"' ? quoted() : plain());
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
        const char *start = m_p;
        while (m_p != m_end && *m_p != m_delimiter && !isLineEnd(*m_p))
            ++m_p;
        return text(start, m_p, false);
    }

    QString quoted()
    {
        const qint64 opened = m_line;
        const char *start = ++m_p;
        // The closing quote first, so that the text is made in one piece.
        for (;;) {
            while (m_p != m_end && *m_p != '"') {
                if (*m_p == '\n' || (*m_p == '\r' && (m_p + 1 == m_end || m_p[1] != '\n')))
                    ++m_line;
                ++m_p;
            }
            if (m_p == m_end)
                throw ExchangeError::at(m_name, opened,
                                        QStringLiteral("a quoted field starts here and is never closed."));
            if (m_p + 1 == m_end || m_p[1] != '"')
                break;
            m_p += 2;
        }
        const char *end = m_p++;
        if (m_p != m_end && *m_p != m_delimiter && !isLineEnd(*m_p))
            throw ExchangeError::at(m_name, m_line,
                                    QStringLiteral("text follows a closing quote; a quote inside a quoted "
                                                   "field must be doubled."));
        return text(start, end, true);
    }

    // The text of a field's bytes; in a quoted one, a doubled quote as one.
    QString text(const char *start, const char *end, bool quoted)
    {
        QString field(m_decoder.space(end - start), Qt::Uninitialized);
        QChar *out = field.data();
        for (const char *piece = start;;) {
            const char *quote = quoted ? std::find(piece, end, '"') : end;
            out = m_decoder.append(out, QByteArrayView(piece, quote));
            if (quote == end)
                break;
            *out++ = u'"';
            piece = quote + 2;
        }
        field.truncate(out - field.constData());
        field.squeeze();
        return field;
    }

    void skipLineEnd()
    {
        if (*m_p == '\r' && m_p + 1 != m_end && m_p[1] == '\n')
            ++m_p;
        ++m_p;
        ++m_line;
    }

    const char *m_p;
    const char *m_end;
    char m_delimiter;
    FieldDecoder &m_decoder;
    const QString &m_name;
    qint64 m_line = 1;
};

} // namespace

QChar CsvReader::detectDelimiter(QByteArrayView text)
{
    int comma = 0, semicolon = 0, tab = 0;
    bool inQuotes = false;
    for (const char c : text) {
        if (c == '"')
            inQuotes = !inQuotes;
        else if (!inQuotes && isLineEnd(c))
            break;
        else if (!inQuotes) {
            comma += c == ',';
            semicolon += c == ';';
            tab += c == '\t';
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
    table.encoding = m_encoding == TextEncoding::Detect ? detectEncoding(bytes) : m_encoding;
    if (table.encoding == TextEncoding::Utf16) {
        // Read on as UTF-8; the decoder drops the BOM, which tells the byte order.
        QStringDecoder utf16(bytes.startsWith("\xFE\xFF") ? QStringConverter::Utf16BE : QStringConverter::Utf16LE);
        bytes = QString(utf16(bytes)).toUtf8();
    }
    QByteArrayView text(bytes);
    if (table.encoding != TextEncoding::Windows1252 && text.startsWith("\xEF\xBB\xBF"))
        text = text.sliced(3);
    if (const qsizetype nul = text.indexOf('\0'); nul >= 0)
        throw ExchangeError::at(name, lineEndsIn(text.first(nul)) + 1,
                                QStringLiteral("holds a NUL character: this is not a text file."));
    table.delimiter = m_delimiter.isNull() ? detectDelimiter(text) : m_delimiter;

    // A UTF-8 file with stray bytes: the records holding them are marked, never taken as they read.
    const bool checkUtf8 = table.encoding == TextEncoding::Utf8 && firstInvalidUtf8(text) >= 0;
    FieldDecoder decoder(table.encoding == TextEncoding::Windows1252);
    Parser parser(text, table.delimiter.toLatin1(), decoder, name);
    QStringList fields;
    for (;;) {
        const char *start = parser.position();
        const qint64 line = parser.line();
        if (!parser.next(fields))
            break;
        if (fields.isEmpty())
            continue;
        qint64 invalidLine = 0;
        if (checkUtf8) {
            const QByteArrayView record(start, parser.position());
            if (const qsizetype at = firstInvalidUtf8(record); at >= 0)
                invalidLine = line + lineEndsIn(record.first(at));
        }
        if (table.header.isEmpty()) {
            if (invalidLine > 0)
                throw ExchangeError::at(name, invalidLine,
                                        QStringLiteral("the header is not valid UTF-8; choose the file's encoding."));
            table.header = fields;
            continue;
        }
        if (fields.size() != table.header.size())
            throw ExchangeError::at(name, line, QStringLiteral("%1 fields where the header has %2.")
                                                    .arg(fields.size())
                                                    .arg(table.header.size()));
        if (invalidLine > 0)
            table.invalidUtf8Lines.insert(table.rows.size(), invalidLine);
        table.rows << fields;
        table.rowLines << line;
    }
    if (table.header.isEmpty())
        throw ExchangeError::at(name, 0, QStringLiteral("holds no header line."));
    return table;
}
