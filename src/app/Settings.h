#pragma once

#include <QString>

// The three settings operations, always on the file the state names. Reads give the
// defaults when the file, the section or the key is missing; a write that fails is ignored,
// the program goes on with the value in memory.
namespace Settings {
int readInt(const QString &file, const QString &section, const QString &key);
// At most 254 characters; empty when missing, and the caller then keeps what it had.
QString readText(const QString &file, const QString &section, const QString &key);
void write(const QString &file, const QString &section, const QString &key, const QString &value);

inline const QString kOptions = QStringLiteral("Options");
inline const QString kTextes = QStringLiteral("Textes");
inline const QString kTaillePolice = QStringLiteral("TaillePolice");
inline const QString kEnTete = QStringLiteral("En-Tête");
// The key of sample line 1 or 2 in the section kTextes.
inline QString sampleLineKey(int line)
{
    return QString::number(line) + QStringLiteral("°_Ligne");
}
} // namespace Settings
