// The settings file that the crash test's writer process rewrites key after key, shared by the
// writer and the test so that both know the exact bytes every state must have on disk.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace CrashWriterFile {

inline const QString kSection = QStringLiteral("Écriture");

inline QString keyName(int k)
{
    return QStringLiteral("Clé_%1°").arg(k, 2, 10, QChar(u'0'));
}

// The round number first, so that an integer read tells which round a value belongs to; the
// rest alternates between two texts of different lengths, so that a mixed file would show.
inline QString valueFor(int k, qint64 round)
{
    const QString filler = round % 2 ? QString(300 + k, u'ê') : QString(700 - k, u'°');
    return QString::number(round) + u' ' + filler;
}

// Windows-1252 throughout, as the older program wrote it: every character used is in Latin-1.
inline QByteArray bytesFor(const QList<qint64> &rounds)
{
    QString text = QStringLiteral("; écrit par l'ancien programme\r\n[En-Tête]\r\n"
                                  "Texte=Catalogue été\r\n\r\n[")
        + kSection + QStringLiteral("]\r\n");
    for (int k = 0; k < rounds.size(); ++k)
        text += keyName(k) + u'=' + valueFor(k, rounds[k]) + QStringLiteral("\r\n");
    text += QStringLiteral("\r\n[Fin]\r\nDernière=ô\r\n");
    return text.toLatin1();
}

} // namespace CrashWriterFile
