#include "widgets/Mnemonic.h"

QString withMnemonic(const QString &caption, QChar letter)
{
    QString escaped = caption;
    escaped.replace(u'&', QStringLiteral("&&"));
    const qsizetype at = escaped.indexOf(letter);
    if (at >= 0)
        escaped.insert(at, u'&');
    return escaped;
}
