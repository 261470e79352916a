#include "fonts/BulkCharacterLookup.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <dlfcn.h>

#include <algorithm>

namespace {

// Enough that only a sweep of the character set builds a table: filling the 128 kB table and
// reading the whole map cost what a thousand lookups or more do.
constexpr unsigned kAskedBeforeTable = 1024;
constexpr FT_ULong kTableEnd = 0x10000;

// Plain data, so that a thread's lookup costs no more than a load: the program asks a few
// hundred million of them in a long catalogue.
struct Lookup
{
    int scopes;
    bool tableRead; // for face with charMap, from glyphs
    FT_Face face;
    FT_CharMap charMap;
    unsigned askedInARow;
    quint64 tablesRead;
    FT_UShort *glyphs; // by character, below kTableEnd; owned while a scope lives
};

thread_local Lookup t_lookup {};

// FreeType's own definition, the next one after the program's. Without it no face could be
// asked anything, nor let go.
template <typename Function> Function freeType(const char *name)
{
    const auto function = reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
    if (!function)
        qFatal("FreeType's %s was not found", name);
    return function;
}

void readTable(Lookup &lookup, FT_Face face)
{
    if (!lookup.glyphs)
        lookup.glyphs = new FT_UShort[kTableEnd];
    std::fill_n(lookup.glyphs, kTableEnd, FT_UShort(0));
    // FreeType walks the map in the order of the characters, skipping what FT_Get_Char_Index
    // would not give (glyphs past the face's count).
    FT_UInt glyph = 0;
    for (FT_ULong character = FT_Get_First_Char(face, &glyph); glyph != 0 && character < kTableEnd;
         character = FT_Get_Next_Char(face, character, &glyph))
        lookup.glyphs[character] = FT_UShort(glyph);
    lookup.tableRead = true;
    ++lookup.tablesRead;
}

// Everything but a lookup in the table: apart, so that the lookup needs no stack frame.
[[gnu::noinline]] FT_UInt lookUpWithoutTable(FT_Face face, FT_ULong charcode)
{
    using Function = FT_UInt (*)(FT_Face, FT_ULong);
    static const Function lookUp = freeType<Function>("FT_Get_Char_Index");
    Lookup &lookup = t_lookup;
    if (lookup.scopes == 0 || !face || charcode >= kTableEnd)
        return lookUp(face, charcode);
    if (face != lookup.face || face->charmap != lookup.charMap) {
        lookup.face = face;
        lookup.charMap = face->charmap;
        lookup.askedInARow = 0;
        lookup.tableRead = false;
    }
    if (++lookup.askedInARow == kAskedBeforeTable && face->charmap && face->num_glyphs <= 0xFFFF) {
        readTable(lookup, face);
        return lookup.glyphs[charcode];
    }
    return lookUp(face, charcode);
}

} // namespace

BulkCharacterLookup::BulkCharacterLookup()
{
    ++t_lookup.scopes;
}

BulkCharacterLookup::~BulkCharacterLookup()
{
    Lookup &lookup = t_lookup;
    if (--lookup.scopes == 0) {
        lookup.face = nullptr;
        lookup.tableRead = false;
        delete[] lookup.glyphs;
        lookup.glyphs = nullptr;
    }
}

quint64 BulkCharacterLookup::tablesRead()
{
    return t_lookup.tablesRead;
}

extern "C" FT_UInt FT_Get_Char_Index(FT_Face face, FT_ULong charcode)
{
    const Lookup &lookup = t_lookup;
    // Qt's faces live and die on the thread that made them, where their end drops the table:
    // the same address with the same character map is the same face.
    if (lookup.tableRead && face == lookup.face && charcode < kTableEnd
        && face->charmap == lookup.charMap) [[likely]]
        return lookup.glyphs[charcode];
    return lookUpWithoutTable(face, charcode);
}

extern "C" FT_Error FT_Done_Face(FT_Face face)
{
    using Function = FT_Error (*)(FT_Face);
    static const Function done = freeType<Function>("FT_Done_Face");
    Lookup &lookup = t_lookup;
    lookup.face = nullptr;
    lookup.tableRead = false;
    return done(face);
}
