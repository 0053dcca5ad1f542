#pragma once

#include <QByteArray>
#include <QString>

enum class TextEncoding {
    Detect,      // a BOM, else UTF-8 when the bytes are valid UTF-8, else Windows-1252
    Utf8,        // with or without a BOM
    Utf16,       // by its BOM, little-endian without one
    Windows1252,
};

struct DecodedText
{
    QString text;
    TextEncoding encoding = TextEncoding::Utf8; // the one used, never Detect
};

// The bytes as text; a BOM is not part of the text.
DecodedText decodeText(const QByteArray &bytes, TextEncoding encoding = TextEncoding::Detect);
QString decodeWindows1252(const QByteArray &bytes);
// For messages: "UTF-8", "Windows-1252", ...
QString encodingName(TextEncoding encoding);
