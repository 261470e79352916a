#include "settings/TextEncoding.h"

namespace {

// Windows-1252 for 0x80-0x9F. The five bytes Windows leaves undefined map to the C1 control of
// the same number, so that every byte of a file survives a read and a write.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, //
};

} // namespace

QString TextEncoding::decodeWindows1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char c : bytes) {
        const auto b = static_cast<uchar>(c);
        *out++ = (b >= 0x80 && b < 0xA0) ? QChar(kWindows1252High[b - 0x80]) : QChar(char16_t(b));
    }
    return text;
}

int TextEncoding::windows1252Byte(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    for (int i = 0; i < 32; ++i) {
        if (kWindows1252High[i] == c)
            return 0x80 + i;
    }
    return -1;
}

TextEncoding::Utf8Scan TextEncoding::scanUtf8(QByteArrayView bytes)
{
    const auto *p = reinterpret_cast<const uchar *>(bytes.data());
    const qsizetype n = bytes.size();
    bool ascii = true;
    for (qsizetype i = 0; i < n;) {
        const uchar lead = p[i];
        if (lead < 0x80) {
            ++i;
            continue;
        }
        ascii = false;
        int length;
        char32_t code;
        char32_t smallest;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2, code = lead & 0x1F, smallest = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3, code = lead & 0x0F, smallest = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4, code = lead & 0x07, smallest = 0x10000;
        } else {
            return { false, false };
        }
        if (n - i < length)
            return { false, false };
        for (int k = 1; k < length; ++k) {
            const uchar next = p[i + k];
            if ((next & 0xC0) != 0x80)
                return { false, false };
            code = (code << 6) | (next & 0x3F);
        }
        if (code < smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return { false, false };
        i += length;
    }
    return { true, ascii };
}
