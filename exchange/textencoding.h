#pragma once

#include <QByteArrayView>
#include <QString>

enum class TextEncoding {
    Detect,      // see detectEncoding
    Utf8,        // with or without a BOM
    Utf16,       // by its BOM, little-endian without one
    Windows1252,
};

// A BOM decides; else UTF-8 when the bytes are valid UTF-8, or mostly so: a
// file saved as UTF-8 with a few stray bytes holds more valid multi-byte
// characters than bytes that are not UTF-8, where a Windows-1252 file holds
// next to none. Else Windows-1252.
TextEncoding detectEncoding(QByteArrayView bytes);
// Where the first byte that is not part of a valid UTF-8 character is; -1 when none.
qsizetype firstInvalidUtf8(QByteArrayView bytes);
// Writes the text of bytes at out, one character a byte; returns the end.
QChar *appendWindows1252(QChar *out, QByteArrayView bytes);
// For messages: "UTF-8", "Windows-1252", ...
QString encodingName(TextEncoding encoding);
