#include "fonts/FontCensus.h"

#include <QFontDatabase>
#include <QSet>

#include <fontconfig/fontconfig.h>

#include <memory>

namespace {

QStringList familiesOfFontFiles()
{
    QStringList names;
    std::unique_ptr<FcPattern, decltype(&FcPatternDestroy)> pattern(
        FcPatternCreate(), &FcPatternDestroy);
    std::unique_ptr<FcObjectSet, decltype(&FcObjectSetDestroy)> objects(
        FcObjectSetBuild(FC_FAMILY, nullptr), &FcObjectSetDestroy);
    if (!pattern || !objects)
        return names;
    std::unique_ptr<FcFontSet, decltype(&FcFontSetDestroy)> fonts(
        FcFontList(nullptr, pattern.get(), objects.get()), &FcFontSetDestroy);
    if (!fonts)
        return names;
    for (int i = 0; i < fonts->nfont; ++i) {
        FcChar8 *family = nullptr;
        // A font file may carry several names: localised ones and those of its sub-families.
        for (int k = 0; FcPatternGetString(fonts->fonts[i], FC_FAMILY, k, &family) == FcResultMatch;
             ++k)
            names.append(QString::fromUtf8(reinterpret_cast<const char *>(family)));
    }
    return names;
}

// "C059 [urw]" gives "C059"; a name without a foundry suffix gives itself.
QString withoutFoundry(const QString &family)
{
    if (!family.endsWith(u']'))
        return family;
    const qsizetype open = family.lastIndexOf(QStringLiteral(" ["));
    return open > 0 ? family.first(open) : family;
}

} // namespace

QString FontCensus::familyName(const QString &qtFamily)
{
    return withoutFoundry(qtFamily);
}

QStringList FontCensus::fold(const QStringList &qtFamilies, const QStringList &fileFamilies)
{
    const QSet<QString> real(fileFamilies.cbegin(), fileFamilies.cend());
    QSet<QString> taken;
    QStringList folded;
    for (const QString &family : qtFamilies) {
        // A family whose own name ends in brackets is kept as it is.
        const QString name = real.contains(family) ? family : withoutFoundry(family);
        if (!real.contains(name) || taken.contains(name))
            continue;
        taken.insert(name);
        folded.append(name);
    }
    return folded;
}

QStringList FontCensus::families()
{
    QStringList qtFamilies;
    for (const QString &family : QFontDatabase::families()) {
        if (!QFontDatabase::isPrivateFamily(family))
            qtFamilies.append(family);
    }
    return fold(qtFamilies, familiesOfFontFiles());
}
