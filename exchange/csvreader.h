#pragma once

#include "inputfile.h"
#include "textencoding.h"

#include <QHash>
#include <QList>
#include <QStringList>

// A file of comma-separated values: the header and the rows, each row as many
// fields as the header.
struct CsvTable
{
    QStringList header;
    QList<QStringList> rows;
    QList<qint64> rowLines; // the file line each row starts on
    // Rows of a UTF-8 file holding bytes that are not UTF-8: the row's index ->
    // the line of its first such byte. Their fields hold U+FFFD there.
    QHash<qsizetype, qint64> invalidUtf8Lines;
    QChar delimiter;
    TextEncoding encoding = TextEncoding::Utf8; // the one used, never Detect
};

// Reads RFC 4180 files: quoted fields may hold delimiters, doubled quotes and
// line breaks; records end in CRLF, LF or CR; empty lines are skipped. The
// delimiter (comma, semicolon or tab) and the encoding are detected unless set.
// Every fault is an ExchangeError naming the file and line.
class CsvReader
{
public:
    // A null character: detect from the header line.
    void setDelimiter(QChar delimiter) { m_delimiter = delimiter; }
    void setEncoding(TextEncoding encoding) { m_encoding = encoding; }
    void setMaxBytes(qint64 maxBytes) { m_maxBytes = maxBytes; }

    CsvTable readFile(const QString &path) const;
    // name only labels the messages.
    CsvTable parse(QByteArray bytes, const QString &name = QString()) const;

    // Of comma, semicolon and tab, the one found most often outside quotes in
    // the first line; a comma when none is.
    static QChar detectDelimiter(QByteArrayView text);
    // A field as it was before CsvWriter made it text for spreadsheets: one
    // leading apostrophe dropped when a character it escapes follows.
    static QString unescapedText(const QString &field);

private:
    QChar m_delimiter;
    TextEncoding m_encoding = TextEncoding::Detect;
    qint64 m_maxBytes = kDefaultMaxFileBytes;
};
