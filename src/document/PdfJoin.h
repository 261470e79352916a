#pragma once

#include <QStringList>

// One PDF file made of the pages of several, in order, written as it reads them.
//
// A long catalogue is drawn in parts because Qt's PDF engine keeps every face it has drawn
// with, engine and glyph subset, until its document ends; ending the document every few
// hundred faces and joining the parts keeps the memory bounded. The join must not undo that:
// it holds one part's objects at a time, never the document's. Qt writes lengths as objects
// of their own and compresses its streams, so the parts are read as PDF objects, not as text:
// every reference outside a string or a stream is renumbered, each stream is copied byte for
// byte after the length its object gives, and a page tree above the parts' own trees joins
// them. A part written otherwise (another cross-reference form, a stream of unknown length)
// is refused rather than guessed at.
namespace PdfJoin {
// Writes target from the pages of parts; false, with target possibly half written, when a
// part cannot be read whole or target cannot be written.
bool join(const QStringList &parts, const QString &target);
} // namespace PdfJoin
