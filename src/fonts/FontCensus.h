#pragma once

#include <QStringList>

// The printer's fonts as a user knows them: each family once, by the name fontconfig gives it.
//
// Qt's font database lists a family once per foundry when several foundries offer it ("C059
// [UKWN]", "C059 [urw]") and adds generic names ("Sans Serif", "Serif", "Monospace") that
// stand for other families. A catalogue would print the same faces twice and faces that are
// not fonts at all, so the census folds the foundries into the family, whose name alone lets
// Qt choose the foundry with the best regular upright face, and keeps only names that some
// installed font file carries.
namespace FontCensus {
// Sorted as Qt sorts its families; private families (the desktop's own interface faces) left
// out.
QStringList families();
// The family as the user knows it of a name Qt reports for a face ("C059 [urw]" gives "C059").
QString familyName(const QString &qtFamily);
// The folding itself, apart from the font system: qtFamilies as Qt lists them, fileFamilies
// every family name the installed font files carry.
QStringList fold(const QStringList &qtFamilies, const QStringList &fileFamilies);
} // namespace FontCensus
