#pragma once

#include <QStringList>

#include <optional>

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
// The family fontconfig puts in place of a name no font file carries, in that weight and
// slant, as the font list names it: the one Qt's own search for a stand-in finds first. Asked
// of fontconfig alone, since Qt weighs each candidate against its whole list of families,
// which costs seconds among tens of thousands. Nothing when fontconfig finds no listed face.
std::optional<QString> familyInPlaceOf(const QString &name, bool bold, bool italic);
// The name itself where a font file carries it, otherwise the family in its place: the family
// to set the windows in, so that Qt finds it at once at every size. For a name it lacks, Qt
// weighs every installed family for a stand-in at each new size or style, a second each among
// tens of thousands. Kept per name for the session; for the user-interface thread.
QString onThisMachine(const QString &name);
// The family as the user knows it of a name Qt reports for a face ("C059 [urw]" gives "C059").
QString familyName(const QString &qtFamily);
// The folding itself, apart from the font system: qtFamilies as Qt lists them, fileFamilies
// every family name the installed font files carry.
QStringList fold(const QStringList &qtFamilies, const QStringList &fileFamilies);
} // namespace FontCensus
