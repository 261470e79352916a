#include "fonts/FontFaces.h"

#include <QFont>
#include <QGuiApplication>
#include <QSet>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include FT_TRUETYPE_TAGS_H

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

struct FontFaces::Registration
{
    QString foundry; // case-folded, as Qt compares foundries
    QString styleName;
    int weight = QFont::Normal;
    QFont::Style style = QFont::StyleNormal;
    Face face;
};

namespace {

int qtWeightBetween(int fcWeight, int fcLower, int fcUpper, int qtLower, int qtUpper)
{
    return qtLower + ((fcWeight - fcLower) * (qtUpper - qtLower)) / (fcUpper - fcLower);
}

// Qt's reading of a fontconfig weight: piecewise linear between the weights both name.
int qtWeight(int fcWeight)
{
    struct Step
    {
        int fc;
        int qt;
    };
    static constexpr Step kSteps[]
        = { { FC_WEIGHT_THIN, QFont::Thin }, { FC_WEIGHT_ULTRALIGHT, QFont::ExtraLight },
              { FC_WEIGHT_LIGHT, QFont::Light }, { FC_WEIGHT_NORMAL, QFont::Normal },
              { FC_WEIGHT_MEDIUM, QFont::Medium }, { FC_WEIGHT_DEMIBOLD, QFont::DemiBold },
              { FC_WEIGHT_BOLD, QFont::Bold }, { FC_WEIGHT_ULTRABOLD, QFont::ExtraBold },
              { FC_WEIGHT_BLACK, QFont::Black }, { FC_WEIGHT_ULTRABLACK, 1000 } };
    if (fcWeight <= kSteps[0].fc)
        return kSteps[0].qt;
    for (size_t i = 1; i < std::size(kSteps); ++i) {
        if (fcWeight <= kSteps[i].fc) {
            return qtWeightBetween(
                fcWeight, kSteps[i - 1].fc, kSteps[i].fc, kSteps[i - 1].qt, kSteps[i].qt);
        }
    }
    return 1000;
}

QString fcString(FcPattern *pattern, const char *object, int n)
{
    FcChar8 *value = nullptr;
    if (FcPatternGetString(pattern, object, n, &value) != FcResultMatch)
        return {};
    return QString::fromUtf8(reinterpret_cast<const char *>(value));
}

int fcInteger(FcPattern *pattern, const char *object, int fallback)
{
    int value = fallback;
    FcPatternGetInteger(pattern, object, 0, &value);
    return value;
}

// How far a style is from the regular upright face asked for, as Qt weighs it.
int distanceFromRegular(int weight, QFont::Style style)
{
    int distance = std::abs((weight - int(QFont::Normal)) / 10);
    if (style != QFont::StyleNormal)
        distance += 0x1000;
    return distance;
}

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

FontFaces::FontFaces() = default;

FontFaces::~FontFaces()
{
    if (m_library)
        FT_Done_FreeType(static_cast<FT_Library>(m_library));
    if (m_fonts)
        FcFontSetDestroy(static_cast<FcFontSet *>(m_fonts));
}

void FontFaces::readFontList()
{
    if (m_read)
        return;
    m_read = true;
    std::unique_ptr<FcPattern, decltype(&FcPatternDestroy)> all(
        FcPatternCreate(), &FcPatternDestroy);
    std::unique_ptr<FcObjectSet, decltype(&FcObjectSetDestroy)> objects(
        FcObjectSetBuild(FC_FAMILY, FC_FAMILYLANG, FC_STYLE, FC_FOUNDRY, FC_WEIGHT, FC_SLANT,
            FC_FILE, FC_INDEX, FC_SCALABLE, FC_FONTFORMAT, nullptr),
        &FcObjectSetDestroy);
    if (!all || !objects)
        return;
    auto *fonts = FcFontList(nullptr, all.get(), objects.get());
    m_fonts = fonts;
    if (!fonts)
        return;
    // Registered under the same names Qt's font database gives them: the first family name,
    // then each other name either as a family of its own (a sub-family with a style name of
    // its own) or as another name for the first.
    for (int i = 0; i < fonts->nfont; ++i) {
        FcPattern *pattern = fonts->fonts[i];
        const QString family = fcString(pattern, FC_FAMILY, 0);
        FcChar8 *file = nullptr;
        if (family.isEmpty() || FcPatternGetString(pattern, FC_FILE, 0, &file) != FcResultMatch)
            continue;
        Registration base;
        base.foundry = fcString(pattern, FC_FOUNDRY, 0).toCaseFolded();
        base.styleName = fcString(pattern, FC_STYLE, 0);
        base.weight = qtWeight(fcInteger(pattern, FC_WEIGHT, FC_WEIGHT_REGULAR));
        const int slant = fcInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
        base.style = slant == FC_SLANT_ITALIC
            ? QFont::StyleItalic
            : (slant == FC_SLANT_OBLIQUE ? QFont::StyleOblique : QFont::StyleNormal);
        base.face.file = reinterpret_cast<const char *>(file);
        base.face.index = fcInteger(pattern, FC_INDEX, 0);
        base.face.family = family.toUtf8();
        base.face.pattern = pattern;
        m_families[family.toCaseFolded()].append(base);
        const QString language = fcString(pattern, FC_FAMILYLANG, 0);
        for (int k = 1;; ++k) {
            const QString other = fcString(pattern, FC_FAMILY, k);
            if (other.isEmpty())
                break;
            QString otherStyle = fcString(pattern, FC_STYLE, k);
            if (otherStyle.isEmpty())
                otherStyle = base.styleName;
            QString otherLanguage = fcString(pattern, FC_FAMILYLANG, k);
            if (otherLanguage.isEmpty())
                otherLanguage = language;
            if (otherLanguage == language && otherStyle != base.styleName) {
                Registration sub = base;
                sub.styleName = otherStyle;
                sub.face.family = other.toUtf8();
                m_families[other.toCaseFolded()].append(sub);
            } else {
                ++m_aliases[other.toCaseFolded()];
            }
        }
    }
}

bool FontFaces::isInstalled(const QString &family)
{
    readFontList();
    const QString key = family.toCaseFolded();
    return m_families.contains(key) || m_aliases.contains(key);
}

QList<FontFaces::Face> FontFaces::regularFaces(const QString &family)
{
    // Qt reads "Family [Foundry]" and comma-separated lists in a family name its own way.
    if (family.isEmpty() || family.contains(u'[') || family.contains(u','))
        return {};
    readFontList();
    const QString key = family.toCaseFolded();
    const auto registered = m_families.constFind(key);
    if (registered == m_families.cend() || m_aliases.contains(key))
        return {};
    // Qt keeps one face per foundry and style (the last one listed), and takes the nearest
    // style of the first foundry among equals: every face either choice may fall on.
    QList<Face> chosen;
    QSet<QString> foundries;
    for (const Registration &registration : *registered)
        foundries.insert(registration.foundry);
    for (const QString &foundry : std::as_const(foundries)) {
        QHash<QString, QList<const Registration *>> styles;
        for (const Registration &registration : *registered) {
            // A style without a name is told apart by its weight and slant.
            if (registration.foundry == foundry) {
                const QString style = registration.styleName.isEmpty()
                    ? QStringLiteral("\n%1 %2").arg(registration.weight).arg(registration.style)
                    : registration.styleName;
                styles[style].append(&registration);
            }
        }
        int best = std::numeric_limits<int>::max();
        QList<const Registration *> nearest;
        for (const QList<const Registration *> &style : std::as_const(styles)) {
            const Registration *first = style.constFirst();
            const int distance = distanceFromRegular(first->weight, first->style);
            if (distance < best) {
                best = distance;
                nearest.clear();
            }
            if (distance == best)
                nearest.append(style);
        }
        for (const Registration *registration : std::as_const(nearest)) {
            const Face &face = registration->face;
            const bool known = std::any_of(chosen.cbegin(), chosen.cend(),
                [&face](const Face &f) { return f.file == face.file && f.index == face.index; });
            if (!known)
                chosen.append(face);
        }
    }
    return chosen;
}

std::optional<bool> FontFaces::wholePixels(const Face &face, double pixelSize) const
{
    // Qt does not hint a scaled screen: nothing is rounded there.
    if (qGuiApp && qGuiApp->devicePixelRatio() != 1.0)
        return false;
    return hintedToWholePixels(face, pixelSize);
}

std::optional<bool> FontFaces::hintedToWholePixels(const Face &face, double pixelSize)
{
    std::unique_ptr<FcPattern, decltype(&FcPatternDestroy)> request(
        FcPatternCreate(), &FcPatternDestroy);
    if (!request)
        return std::nullopt;
    FcPatternAddString(
        request.get(), FC_FAMILY, reinterpret_cast<const FcChar8 *>(face.family.constData()));
    FcPatternAddString(
        request.get(), FC_FILE, reinterpret_cast<const FcChar8 *>(face.file.constData()));
    FcPatternAddInteger(request.get(), FC_INDEX, face.index);
    FcPatternAddDouble(request.get(), FC_PIXEL_SIZE, pixelSize);
    FcConfigSubstitute(nullptr, request.get(), FcMatchPattern);
    FcDefaultSubstitute(request.get());
    // The font is known: preparing it for rendering gives what a match on its file would give,
    // without comparing it with every other installed font.
    std::unique_ptr<FcPattern, decltype(&FcPatternDestroy)> prepared(
        FcFontRenderPrepare(
            nullptr, request.get(), static_cast<FcPattern *>(const_cast<void *>(face.pattern))),
        &FcPatternDestroy);
    int hintStyle = FC_HINT_NONE;
    if (!prepared
        || FcPatternGetInteger(prepared.get(), FC_HINT_STYLE, 0, &hintStyle) != FcResultMatch)
        return std::nullopt;
    return hintStyle == FC_HINT_MEDIUM || hintStyle == FC_HINT_FULL;
}

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
