#include "csvwriter.h"

namespace CsvWriter {

void appendField(QByteArray &out, QByteArrayView utf8, char delimiter)
{
    bool quote = false;
    for (const char c : utf8) {
        if (c == delimiter || c == '"' || c == '\n' || c == '\r') {
            quote = true;
            break;
        }
    }
    if (quote)
        out.append('"');
    if (!utf8.isEmpty() && QByteArrayView("=+-@\t\r'").contains(utf8.front()))
        out.append('\'');
    if (!quote) {
        out.append(utf8);
        return;
    }
    for (const char c : utf8) {
        if (c == '"')
            out.append('"');
        out.append(c);
    }
    out.append('"');
}

void appendRecord(QByteArray &out, const QStringList &fields, char delimiter)
{
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out.append(delimiter);
        appendField(out, fields.at(i).toUtf8(), delimiter);
    }
    out.append("\r\n");
}

} // namespace CsvWriter
