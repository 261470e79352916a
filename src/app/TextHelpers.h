#pragma once

#include <QString>
#include <QStringView>
#include <optional>

namespace TextHelpers {

// A non-negative number with one blank in the place of its sign: " 523".
QString signedNumberText(qint64 number);

// A number as the settings file and the print dialog write it: no blank, a point before any
// fraction ("12", "10.5").
QString plainDecimal(double number);

// How a typed text reads as a point size. Blanks, tabs and line feeds anywhere are skipped;
// then an optional sign, digits with at most one point and an optional exponent (E or D) are
// read up to the first character that cannot continue the number; "&H" and "&O" introduce a
// hexadecimal or octal whole number. No number reads as 0. The result is always finite: a
// number too large for a double reads as the largest one, so size checks still catch it.
double leadingNumber(QStringView text);

// A list entry: the number zero-padded to at least `digits` digits, one blank, the name.
QString numberedEntry(qint64 number, int digits, const QString &name);

// The number of digits of the entries' number field for a list of `count` fonts: those of
// count - 1, so that exactly 10, 100 or 1000 fonts end on one wider number.
int numberFieldWidth(qint64 count);

// The sample display's cut of an entry: drop as many leading characters as `cutLength`,
// then trim. No value when the entry is shorter than the cut. The printing run cuts at the
// first blank instead (CatalogueLayout::fontName): the two differ on purpose, since the pane
// cuts by the width of the count it shows and an entry of a longer list keeps a digit here.
std::optional<QString> displayFontName(const QString &entry, qsizetype cutLength);

} // namespace TextHelpers
