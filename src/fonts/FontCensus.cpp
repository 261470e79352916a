#include "fonts/FontCensus.h"

#include <QFontDatabase>
#include <QHash>
#include <QSet>

#include <fontconfig/fontconfig.h>

#include <memory>

namespace {

using Pattern = std::unique_ptr<FcPattern, decltype(&FcPatternDestroy)>;

// The family names of each listed face that pattern selects: its first name only, as Qt's
// font database names the face, or every name it carries (localised ones and those of its
// sub-families).
QStringList familiesListed(FcPattern *pattern, bool everyName = false)
{
    QStringList families;
    std::unique_ptr<FcObjectSet, decltype(&FcObjectSetDestroy)> objects(
        FcObjectSetBuild(FC_FAMILY, nullptr), &FcObjectSetDestroy);
    if (!objects)
        return families;
    std::unique_ptr<FcFontSet, decltype(&FcFontSetDestroy)> fonts(
        FcFontList(nullptr, pattern, objects.get()), &FcFontSetDestroy);
    for (int i = 0; fonts && i < fonts->nfont; ++i) {
        FcChar8 *family = nullptr;
        for (int k = 0; (k == 0 || everyName)
             && FcPatternGetString(fonts->fonts[i], FC_FAMILY, k, &family) == FcResultMatch;
             ++k)
            families.append(QString::fromUtf8(reinterpret_cast<const char *>(family)));
    }
    return families;
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
    Pattern all(FcPatternCreate(), &FcPatternDestroy);
    return fold(qtFamilies, all ? familiesListed(all.get(), true) : QStringList());
}

std::optional<QString> FontCensus::familyInPlaceOf(const QString &name, bool bold, bool italic)
{
    Pattern request(FcPatternCreate(), &FcPatternDestroy);
    if (!request)
        return std::nullopt;
    const QByteArray family = name.toUtf8();
    FcPatternAddString(
        request.get(), FC_FAMILY, reinterpret_cast<const FcChar8 *>(family.constData()));
    FcPatternAddInteger(request.get(), FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(request.get(), FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcConfigSubstitute(nullptr, request.get(), FcMatchPattern);
    FcDefaultSubstitute(request.get());
    FcResult result = FcResultNoMatch;
    Pattern match(FcFontMatch(nullptr, request.get(), &result), &FcPatternDestroy);
    FcChar8 *file = nullptr;
    int index = 0;
    if (!match || FcPatternGetString(match.get(), FC_FILE, 0, &file) != FcResultMatch)
        return std::nullopt;
    FcPatternGetInteger(match.get(), FC_INDEX, 0, &index);
    // The match may put a name in another language first; Qt names the face as the list does.
    Pattern face(FcPatternCreate(), &FcPatternDestroy);
    if (!face)
        return std::nullopt;
    FcPatternAddString(face.get(), FC_FILE, file);
    FcPatternAddInteger(face.get(), FC_INDEX, index);
    const QStringList listed = familiesListed(face.get());
    if (listed.isEmpty())
        return std::nullopt;
    return listed.first();
}

QString FontCensus::onThisMachine(const QString &name)
{
    static QHash<QString, QString> known;
    const auto found = known.constFind(name);
    if (found != known.cend())
        return *found;
    const QByteArray family = name.toUtf8();
    Pattern named(FcPatternCreate(), &FcPatternDestroy);
    if (!named)
        return name;
    FcPatternAddString(
        named.get(), FC_FAMILY, reinterpret_cast<const FcChar8 *>(family.constData()));
    const QString onMachine = familiesListed(named.get()).isEmpty()
        ? familyInPlaceOf(name, false, false).value_or(name)
        : name;
    known.insert(name, onMachine);
    return onMachine;
}
