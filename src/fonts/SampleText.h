#pragma once

#include <QString>

class QFont;
class QRawFont;

// The text a sample line is shown with in a font.
//
// Samples are drawn in the font's own glyphs, so a font made for another script would show the
// user's Latin line as a row of missing-glyph marks, which tells nothing of the font. Such a
// font is shown with what Qt offers as a sample of each writing system the font covers, as the
// desktop's font managers do. Only the text changes: a line keeps the height its font gives it,
// so the pages fall as the estimate counts them.
namespace SampleText {

// The line itself when the face has all its characters but blanks, and when the face shows no
// writing system's sample whole; otherwise its leading blanks, then the samples of the writing
// systems the face shows whole, in Qt's order, two blanks apart.
QString showable(const QString &line, const QRawFont &face);
// The same, for the face Qt draws the font with, other fonts merged in or not.
QString showable(const QString &line, const QFont &font);

} // namespace SampleText
