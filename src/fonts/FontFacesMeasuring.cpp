// Faces measured from their own tables, exactly as Qt's FreeType engine measures them, one
// at a time or many at once on a few threads.
#include "fonts/FontFaces.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include FT_TRUETYPE_TAGS_H

#include <QGuiApplication>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <latch>
#include <limits>
#include <memory>
#include <thread>
#include <vector>

namespace {
// Qt's 26.6 fixed-point arithmetic, whose truncations and roundings the heights must share.
struct Fixed
{
    qint64 value; // 64ths of a device pixel

    static std::optional<Fixed> fromReal(double real)
    {
        const double scaled = real * 64.0;
        if (!(std::abs(scaled) < double(std::numeric_limits<int>::max())))
            return std::nullopt;
        return Fixed { int(scaled) };
    }
    Fixed dividedBy(Fixed divisor) const
    {
        qint64 a = value;
        qint64 b = divisor.value;
        const bool negative = (a < 0) != (b < 0);
        a = std::abs(a);
        b = std::abs(b);
        const int result = int(((a << 6) + (b >> 1)) / b);
        return { negative ? -result : result };
    }
    Fixed rounded() const { return { (value + 32) & -64 }; }
};

QByteArray sfntTable(FT_Face face, FT_ULong tag)
{
    FT_ULong length = 0;
    if (FT_Load_Sfnt_Table(face, tag, 0, nullptr, &length) != 0)
        return {};
    QByteArray table(qsizetype(length), '\0');
    if (FT_Load_Sfnt_Table(face, tag, 0, reinterpret_cast<FT_Byte *>(table.data()), &length) != 0)
        return {};
    return table;
}

int signed16(const QByteArray &table, int offset)
{
    return qint16((uchar(table[offset]) << 8) | uchar(table[offset + 1]));
}

int unsigned16(const QByteArray &table, int offset)
{
    return quint16((uchar(table[offset]) << 8) | uchar(table[offset + 1]));
}


} // namespace

std::optional<FontFaces::Line> FontFaces::measure(
    const Face &face, double pixelSize, bool wholePixels)
{
    if (!m_library) {
        FT_Library library = nullptr;
        if (FT_Init_FreeType(&library) != 0)
            return std::nullopt;
        m_library = library;
    }
    return measureWith(m_library, face, pixelSize, wholePixels);
}

std::optional<FontFaces::Line> FontFaces::measureWith(
    void *library, const Face &face, double pixelSize, bool wholePixels)
{
    FT_Face ftFace = nullptr;
    if (FT_New_Face(static_cast<FT_Library>(library), face.file.constData(), face.index, &ftFace)
        != 0) {
        return std::nullopt;
    }
    std::unique_ptr<FT_FaceRec_, decltype(&FT_Done_Face)> owned(ftFace, &FT_Done_Face);
    const FT_F26Dot6 size = std::lround(pixelSize * 64);
    if (!FT_IS_SCALABLE(ftFace) || FT_Set_Char_Size(ftFace, size, size, 0, 0) != 0)
        return std::nullopt;
    Fixed ascent { ftFace->size->metrics.ascender };
    Fixed descent { -ftFace->size->metrics.descender };
    // At the very size of one of its bitmap strikes, a face takes that strike's metrics, which
    // FreeType gives only for a face it believes made of bitmaps.
    for (int i = 0; i < ftFace->num_fixed_sizes; ++i) {
        const FT_Bitmap_Size &strike = ftFace->available_sizes[i];
        if (strike.x_ppem != size || strike.y_ppem != size)
            continue;
        ftFace->face_flags &= ~FT_FACE_FLAG_SCALABLE;
        FT_Select_Size(ftFace, i);
        const FT_Size_Metrics &bitmap = ftFace->size->metrics;
        if (bitmap.ascender + bitmap.descender > 0) {
            ascent = Fixed { bitmap.ascender };
            descent = Fixed { -bitmap.descender };
            // One widespread face gives its bitmap descent the wrong way up.
            if (bitmap.descender > 0 && qstrcmp(ftFace->family_name, "Courier New") == 0)
                descent = Fixed { bitmap.descender };
        }
        ftFace->face_flags |= FT_FACE_FLAG_SCALABLE;
        break;
    }
    // Faces with bitmaps of their own keep FreeType's metrics; the others take the font's
    // vertical tables, the OS/2 table before the horizontal header.
    const bool bitmaps = !sfntTable(ftFace, FT_MAKE_TAG('E', 'B', 'L', 'C')).isEmpty()
        || !sfntTable(ftFace, FT_MAKE_TAG('C', 'B', 'L', 'C')).isEmpty()
        || !sfntTable(ftFace, FT_MAKE_TAG('b', 'd', 'a', 't')).isEmpty();
    if (!bitmaps) {
        const Fixed unitsPerEm { qint64(ftFace->units_per_EM) * 64 };
        auto scaled = [&](int units) { return Fixed::fromReal(units * pixelSize); };
        bool outOfRange = false;
        auto take = [&](int up, int down) {
            const auto a = scaled(up);
            const auto d = scaled(down);
            if (!a || !d) {
                outOfRange = true;
                return;
            }
            ascent = a->dividedBy(unitsPerEm);
            descent = d->dividedBy(unitsPerEm);
        };
        const QByteArray hhea = sfntTable(ftFace, TTAG_hhea);
        if (hhea.size() >= 10) {
            const int up = signed16(hhea, 4);
            const int down = signed16(hhea, 6);
            if (up != 0 || down != 0)
                take(up, -down);
        }
        const QByteArray os2 = sfntTable(ftFace, TTAG_OS2);
        if (os2.size() >= 78) {
            constexpr int kUseTypoMetrics = 0x80;
            if (unsigned16(os2, 62) & kUseTypoMetrics) {
                const int up = signed16(os2, 68);
                const int down = signed16(os2, 70);
                if (up != 0 || down != 0)
                    take(up, -down);
            } else {
                const int up = unsigned16(os2, 74);
                const int down = unsigned16(os2, 76);
                if (up != 0 || down != 0)
                    take(up, down);
            }
        }
        if (outOfRange)
            return std::nullopt;
        if (wholePixels) {
            ascent = ascent.rounded();
            descent = descent.rounded();
        }
    }
    const Line line { ascent.value / 64.0, (ascent.value + descent.value) / 64.0 };
    if (!(line.height > 0))
        return std::nullopt;
    return line;
}

std::optional<QList<std::optional<FontFaces::Line>>> FontFaces::measureAll(
    const QList<Face> &faces, double pixelSize, const std::function<bool()> &keepGoing) const
{
    QList<std::optional<Line>> lines(faces.size());
    if (faces.isEmpty())
        return lines;
    // Each thread writes its own entries only, through a pointer that never detaches the list.
    std::optional<Line> *const out = lines.data();
    const bool screenScaled = qGuiApp && qGuiApp->devicePixelRatio() != 1.0;
    std::atomic<qsizetype> next = 0;
    std::atomic<bool> stop = false;
    // Twice the cores: while some threads wait for the disk, the others read what came.
    const int threadCount = int(std::clamp<qsizetype>(
        std::min<qsizetype>(2 * QThread::idealThreadCount(), faces.size()), 1, 8));
    std::latch finished(threadCount);
    auto work = [&] {
        FT_Library library = nullptr;
        if (FT_Init_FreeType(&library) == 0) {
            for (qsizetype i = next++; i < faces.size() && !stop; i = next++) {
                const auto rounded = screenScaled ? std::optional(false)
                                                  : hintedToWholePixels(faces[i], pixelSize);
                if (rounded)
                    out[i] = measureWith(library, faces[i], pixelSize, *rounded);
            }
            FT_Done_FreeType(library);
        } else {
            stop = true;
        }
        finished.count_down();
    };
    std::vector<std::thread> threads;
    threads.reserve(threadCount);
    for (int t = 0; t < threadCount; ++t)
        threads.emplace_back(work);
    // The calling thread keeps the windows alive meanwhile, and may call the work off.
    while (!finished.try_wait()) {
        if (keepGoing && !keepGoing())
            stop = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    for (std::thread &thread : threads)
        thread.join();
    if (stop)
        return std::nullopt;
    return lines;
}
