// What the fuzz targets share: a broken invariant is a crash, so that libFuzzer keeps the
// input and a CI run fails, and the settings names the program really reads and writes.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdio>

// Says which invariant broke before trapping; the input that broke it is saved by libFuzzer.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(                                                                          \
                stderr, "invariant broken at %s:%d: %s\n", __FILE__, __LINE__, #condition);        \
            __builtin_trap();                                                                      \
        }                                                                                          \
    } while (false)

struct SettingsName
{
    QString section;
    QString key;
};

inline const QList<SettingsName> &programSettings()
{
    static const QList<SettingsName> names = {
        { QStringLiteral("Options"), QStringLiteral("Taille_Exemple0") },
        { QStringLiteral("Options"), QStringLiteral("Taille_Exemple1") },
        { QStringLiteral("Options"), QStringLiteral("Gras0") },
        { QStringLiteral("Options"), QStringLiteral("Gras1") },
        { QStringLiteral("Options"), QStringLiteral("Italique0") },
        { QStringLiteral("Options"), QStringLiteral("Italique1") },
        { QStringLiteral("Textes"), QStringLiteral("1°_Ligne") },
        { QStringLiteral("Textes"), QStringLiteral("2°_Ligne") },
        { QStringLiteral("TaillePolice"), QStringLiteral("Taille") },
        { QStringLiteral("En-Tête"), QStringLiteral("Texte") },
        { QStringLiteral("En-Tête"), QStringLiteral("DateImpression") },
        { QStringLiteral("En-Tête"), QStringLiteral("HeureImpression") },
    };
    return names;
}
