#pragma once

#include <QtGlobal>

// While one lives on a thread, a face that the thread asks FreeType for the glyphs of many
// characters in a row answers from a table of its character map, read once.
//
// Qt's PDF engine, ending a document, asks each embedded face for the glyph of every one of the
// 65,536 characters of the Basic Multilingual Plane, one FreeType lookup at a time, to write
// which characters the subset's glyphs stand for: a third of a catalogue's printing time. The
// program answers FreeType's FT_Get_Char_Index itself for the whole process, so that Qt's
// calls reach it; outside a scope, and for any face asked only a few times in a row, it is
// FreeType's own lookup. The table is dropped whenever the thread is done with a face
// (FT_Done_Face), so that a face made where another stood is never answered from the other's
// table.
class BulkCharacterLookup
{
public:
    BulkCharacterLookup();
    ~BulkCharacterLookup();
    BulkCharacterLookup(const BulkCharacterLookup &) = delete;
    BulkCharacterLookup &operator=(const BulkCharacterLookup &) = delete;

    // How many character maps this thread has read into a table, since it began.
    static quint64 tablesRead();
};
