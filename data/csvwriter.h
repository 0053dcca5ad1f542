#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringList>

// Writes RFC 4180 records in UTF-8: a field is quoted, its quotes doubled,
// when it holds the delimiter, a quote or a line break; records end in CRLF.
// A field that starts with = + - @, a tab or a carriage return gets a leading
// apostrophe, so that a spreadsheet shows it as text instead of running it as
// a formula; so does one that starts with an apostrophe, so that reading can
// tell the two apart (CsvReader::unescapedText).
namespace CsvWriter {

// One field, already UTF-8, appended to out.
void appendField(QByteArray &out, QByteArrayView utf8, char delimiter = ',');
// A whole record of texts, with its line end.
void appendRecord(QByteArray &out, const QStringList &fields, char delimiter = ',');

} // namespace CsvWriter
