#pragma once

#include <QByteArrayView>
#include <QString>

// The two encodings a settings file comes in: UTF-8, as this program writes a file with text
// beyond ASCII, and Windows-1252, as the older Windows program wrote it.
namespace TextEncoding {
// Every byte to one character, so that every byte of a file survives a read and a write.
QString decodeWindows1252(QByteArrayView bytes);
// The byte for c, or -1 when Windows-1252 cannot carry it.
int windows1252Byte(char16_t c);

struct Utf8Scan
{
    bool valid;
    bool ascii;
};
// Strict: overlong forms, surrogates and code points past U+10FFFF are not UTF-8. A loose check
// would take Windows-1252 text for UTF-8 and rewrite it changed.
Utf8Scan scanUtf8(QByteArrayView bytes);
} // namespace TextEncoding
