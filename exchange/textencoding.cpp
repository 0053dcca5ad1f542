#include "textencoding.h"

#include <cstring>

namespace {

// 0x80..0x9F; the five codes the code page leaves free stay the C1 controls.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool in(unsigned char b, unsigned char low, unsigned char high)
{
    return b >= low && b <= high;
}

// The length of the well-formed UTF-8 character at p (Unicode table 3-7), or
// 0 when the bytes there are not one.
int utf8Length(const unsigned char *p, const unsigned char *end)
{
    const unsigned char lead = *p;
    if (lead < 0x80)
        return 1;
    int length = 0;
    unsigned char low = 0x80, high = 0xBF; // the range of the second byte
    if (in(lead, 0xC2, 0xDF)) {
        length = 2;
    } else if (in(lead, 0xE0, 0xEF)) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF; // no surrogates
    } else if (in(lead, 0xF0, 0xF4)) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF; // nothing past U+10FFFF
    } else {
        return 0;
    }
    if (end - p < length || !in(p[1], low, high))
        return 0;
    for (int i = 2; i < length; ++i) {
        if (!in(p[i], 0x80, 0xBF))
            return 0;
    }
    return length;
}

struct Utf8Scan
{
    qsizetype multiByte = 0; // valid characters of two bytes or more
    qsizetype invalid = 0;   // bytes that are not part of a valid character
    qsizetype firstInvalid = -1;
};

Utf8Scan scanUtf8(QByteArrayView bytes, bool toFirstInvalid)
{
    Utf8Scan scan;
    const auto *begin = reinterpret_cast<const unsigned char *>(bytes.data());
    const auto *end = begin + bytes.size();
    for (const unsigned char *p = begin; p < end;) {
        // Text is mostly ASCII: eight bytes at a time while it is.
        if (end - p >= 8) {
            quint64 block;
            std::memcpy(&block, p, 8);
            if ((block & 0x8080808080808080ULL) == 0) {
                p += 8;
                continue;
            }
        }
        const int length = utf8Length(p, end);
        if (length == 0) {
            if (scan.firstInvalid < 0)
                scan.firstInvalid = p - begin;
            if (toFirstInvalid)
                break;
            ++scan.invalid;
            ++p;
            continue;
        }
        scan.multiByte += length > 1 ? 1 : 0;
        p += length;
    }
    return scan;
}

} // namespace

TextEncoding detectEncoding(QByteArrayView bytes)
{
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        return TextEncoding::Utf16;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return TextEncoding::Utf8;
    const Utf8Scan scan = scanUtf8(bytes, false);
    return scan.invalid <= scan.multiByte ? TextEncoding::Utf8 : TextEncoding::Windows1252;
}

qsizetype firstInvalidUtf8(QByteArrayView bytes)
{
    return scanUtf8(bytes, true).firstInvalid;
}

QChar *appendWindows1252(QChar *out, QByteArrayView bytes)
{
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        *out++ = QChar(b >= 0x80 && b < 0xA0 ? kHighControls[b - 0x80] : char16_t(b));
    }
    return out;
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
