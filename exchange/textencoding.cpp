#include "textencoding.h"

#include <QStringDecoder>

namespace {

// 0x80..0x9F; the five codes the code page leaves free stay the C1 controls.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool startsWith(const QByteArray &bytes, const char *bom)
{
    return bytes.startsWith(QByteArrayView(bom));
}

} // namespace

QString decodeWindows1252(const QByteArray &bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        *out++ = QChar(b >= 0x80 && b < 0xA0 ? kHighControls[b - 0x80] : char16_t(b));
    }
    return text;
}

DecodedText decodeText(const QByteArray &bytes, TextEncoding encoding)
{
    if (encoding == TextEncoding::Detect) {
        if (startsWith(bytes, "\xFF\xFE") || startsWith(bytes, "\xFE\xFF"))
            encoding = TextEncoding::Utf16;
        else if (startsWith(bytes, "\xEF\xBB\xBF"))
            encoding = TextEncoding::Utf8;
    }
    if (encoding == TextEncoding::Windows1252)
        return {decodeWindows1252(bytes), encoding};
    if (encoding == TextEncoding::Utf16) {
        // The BOM tells the byte order; the decoder drops it.
        QStringDecoder utf16(QStringConverter::Utf16LE);
        if (startsWith(bytes, "\xFE\xFF"))
            utf16 = QStringDecoder(QStringConverter::Utf16BE);
        return {utf16(bytes), encoding};
    }
    QStringDecoder utf8(QStringConverter::Utf8);
    QString text = utf8(bytes);
    if (encoding == TextEncoding::Detect && utf8.hasError())
        return {decodeWindows1252(bytes), TextEncoding::Windows1252};
    return {text, TextEncoding::Utf8};
}

QString encodingName(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Detect:
        return QStringLiteral("detected");
    case TextEncoding::Utf8:
        return QStringLiteral("UTF-8");
    case TextEncoding::Utf16:
        return QStringLiteral("UTF-16");
    case TextEncoding::Windows1252:
        return QStringLiteral("Windows-1252");
    }
    return {};
}
