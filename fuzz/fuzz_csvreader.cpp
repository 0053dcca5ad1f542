// Any bytes as a CSV file: a table or an ExchangeError, nothing else. The first
// byte picks the encoding and delimiter the user could choose; the rest is the file.
#include "csvreader.h"
#include "exchangeerror.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const TextEncoding encodings[] = {TextEncoding::Detect, TextEncoding::Utf8, TextEncoding::Utf16,
                                      TextEncoding::Windows1252};
    const QChar delimiters[] = {QChar(), QLatin1Char(','), QLatin1Char(';'), QLatin1Char('\t')};
    CsvReader reader;
    reader.setEncoding(encodings[data[0] % 4]);
    reader.setDelimiter(delimiters[(data[0] / 4) % 4]);
    try {
        const CsvTable table = reader.parse(QByteArray(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1)));
        // What the preview and the import rely on.
        if (table.header.isEmpty() || table.encoding == TextEncoding::Detect || table.rows.size() != table.rowLines.size())
            __builtin_trap();
        for (qsizetype r = 0; r < table.rows.size(); ++r) {
            if (table.rows.at(r).size() != table.header.size() || (r > 0 && table.rowLines.at(r) <= table.rowLines.at(r - 1)))
                __builtin_trap();
        }
        for (auto it = table.invalidUtf8Lines.cbegin(); it != table.invalidUtf8Lines.cend(); ++it) {
            if (it.key() >= table.rows.size() || it.value() < table.rowLines.at(it.key()))
                __builtin_trap();
        }
    } catch (const ExchangeError &) {
    }
    return 0;
}
