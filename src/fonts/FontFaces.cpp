#include "fonts/FontFaces.h"

#include "fonts/FaceLoading.h"

#include <QFont>
#include <QGuiApplication>
#include <QSet>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

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

// Qt reads "Family [Foundry]" and comma-separated lists in a family name its own way.
bool readByQtItsOwnWay(const QString &family)
{
    return family.isEmpty() || family.contains(u'[') || family.contains(u',');
}

// How far a style is from the regular upright face asked for, as Qt weighs it.
int distanceFromRegular(int weight, QFont::Style style)
{
    int distance = std::abs((weight - int(QFont::Normal)) / 10);
    if (style != QFont::StyleNormal)
        distance += 0x1000;
    return distance;
}

} // namespace

FontFaces::FontFaces() = default;

FontFaces::~FontFaces()
{
    if (m_reading.valid())
        m_reading.wait();
    if (m_library)
        FT_Done_FreeType(static_cast<FT_Library>(m_library));
    if (m_fonts)
        FcFontSetDestroy(static_cast<FcFontSet *>(m_fonts));
}

void FontFaces::readAhead()
{
    if (m_read)
        return;
    // The program's own configuration, which drawing replaces while it runs. Without one, the
    // first question reads the list itself.
    FcConfig *config = nullptr;
    {
        const FaceLoadingWithMatch programs;
        config = FcConfigReference(nullptr);
    }
    if (!config)
        return;
    m_read = true;
    m_reading = std::async(std::launch::async, [this, config] {
        listFonts(config);
        FcConfigDestroy(config);
    });
}

void FontFaces::readFontList()
{
    if (m_reading.valid())
        m_reading.get();
    if (m_read)
        return;
    m_read = true;
    listFonts(nullptr);
}

void FontFaces::listFonts(void *config)
{
    std::unique_ptr<FcPattern, decltype(&FcPatternDestroy)> all(
        FcPatternCreate(), &FcPatternDestroy);
    std::unique_ptr<FcObjectSet, decltype(&FcObjectSetDestroy)> objects(
        FcObjectSetBuild(FC_FAMILY, FC_FAMILYLANG, FC_STYLE, FC_FOUNDRY, FC_WEIGHT, FC_SLANT,
            FC_FILE, FC_INDEX, FC_SCALABLE, FC_FONTFORMAT, nullptr),
        &FcObjectSetDestroy);
    if (!all || !objects)
        return;
    auto *fonts = FcFontList(static_cast<FcConfig *>(config), all.get(), objects.get());
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
                m_aliases[other.toCaseFolded()].append(base.face);
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

QList<FontFaces::Face> FontFaces::facesNamed(const QString &family)
{
    if (readByQtItsOwnWay(family))
        return {};
    readFontList();
    const QString key = family.toCaseFolded();
    QList<Face> faces;
    for (const Registration &registration : m_families.value(key))
        faces.append(registration.face);
    faces.append(m_aliases.value(key));
    return faces;
}

QList<FontFaces::Face> FontFaces::regularFaces(const QString &family)
{
    if (readByQtItsOwnWay(family))
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
