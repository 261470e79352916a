// The character lookup that printing answers from a table: every glyph it gives is FreeType's
// own, for every face installed and every character of the Basic Multilingual Plane; Qt's own
// calls reach it; and a face made where a face done with stood is never answered from the old
// face's table.
#include "fonts/BulkCharacterLookup.h"

#include <QGuiApplication>
#include <QRawFont>
#include <QTest>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr FT_ULong kCharacters = 0x10000;

struct FaceFile
{
    QByteArray path;
    int index = 0;
};

// Every face that the machine's fontconfig lists.
QList<FaceFile> installedFaces()
{
    QList<FaceFile> faces;
    FcPattern *pattern = FcPatternCreate();
    FcObjectSet *objects = FcObjectSetBuild(FC_FILE, FC_INDEX, nullptr);
    FcFontSet *set = FcFontList(nullptr, pattern, objects);
    for (int n = 0; set && n < set->nfont; ++n) {
        FcChar8 *file = nullptr;
        int index = 0;
        if (FcPatternGetString(set->fonts[n], FC_FILE, 0, &file) == FcResultMatch) {
            FcPatternGetInteger(set->fonts[n], FC_INDEX, 0, &index);
            faces.append({ QByteArray(reinterpret_cast<const char *>(file)), index });
        }
    }
    if (set)
        FcFontSetDestroy(set);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    return faces;
}

// Each character's glyph, asked in order, as Qt's PDF engine asks them.
std::vector<FT_UInt> sweep(FT_Face face)
{
    std::vector<FT_UInt> glyphs(kCharacters);
    for (FT_ULong character = 0; character < kCharacters; ++character)
        glyphs[character] = FT_Get_Char_Index(face, character);
    return glyphs;
}

// The characters whose glyphs differ between two sweeps, as a short list for the message.
QString differences(const std::vector<FT_UInt> &expected, const std::vector<FT_UInt> &actual)
{
    QStringList listed;
    for (FT_ULong character = 0; character < kCharacters && listed.size() < 5; ++character) {
        if (expected[character] != actual[character])
            listed.append(
                u"U+%1: %2 instead of %3"_s.arg(qulonglong(character), 4, 16, QLatin1Char('0'))
                    .arg(actual[character])
                    .arg(expected[character]));
    }
    return listed.join(u", "_s);
}

} // namespace

class TestBulkCharacterLookup : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(FT_Init_FreeType(&m_library) == 0);
        m_faces = installedFaces();
        QVERIFY2(m_faces.size() >= 2, "the test needs two installed faces");
    }

    void cleanupTestCase() { FT_Done_FreeType(m_library); }

    void everyGlyphIsFreeTypesOwn()
    {
        for (const FaceFile &file : std::as_const(m_faces)) {
            FT_Face face = nullptr;
            QVERIFY(FT_New_Face(m_library, file.path.constData(), file.index, &face) == 0);
            const quint64 tablesBefore = BulkCharacterLookup::tablesRead();
            const std::vector<FT_UInt> freeType = sweep(face);
            // Outside printing, no table: FreeType answers each lookup itself.
            QCOMPARE(BulkCharacterLookup::tablesRead(), tablesBefore);
            std::vector<FT_UInt> tabled;
            {
                const BulkCharacterLookup lookup;
                tabled = sweep(face);
            }
            const bool readInATable = BulkCharacterLookup::tablesRead() == tablesBefore + 1;
            const bool tableless = face->num_glyphs > 0xFFFF || !face->charmap;
            FT_Done_Face(face);
            const QByteArray message = file.path + ": " + differences(freeType, tabled).toUtf8();
            QVERIFY2(readInATable || tableless, file.path.constData());
            QVERIFY2(tabled == freeType, message.constData());
        }
    }

    // What Qt's font engine asks of FreeType comes to the program's lookup, and gets the same
    // glyphs.
    void qtsOwnLookupsAreAnswered()
    {
        QString characters;
        for (char32_t character = 0x400; character < 0x1400; ++character)
            characters.append(QChar(character));
        const QRawFont font = QRawFont::fromFont(QFont(u"DejaVu Sans"_s, 12));
        QVERIFY(font.isValid());
        const QList<quint32> freeType = font.glyphIndexesForString(characters);
        QList<quint32> tabled;
        const quint64 tablesBefore = BulkCharacterLookup::tablesRead();
        {
            const BulkCharacterLookup lookup;
            tabled = font.glyphIndexesForString(characters);
        }
        QCOMPARE(BulkCharacterLookup::tablesRead(), tablesBefore + 1);
        QCOMPARE(tabled, freeType);
    }

    // A face done with can give its memory to the next face made, face and character map
    // both, which the table of the old one would then answer for: any face done with drops
    // the table, which the next sweep reads anew.
    void aFaceDoneWithDropsTheTable()
    {
        const BulkCharacterLookup lookup;
        FT_Face face = nullptr;
        FT_Face other = nullptr;
        QVERIFY(FT_New_Face(m_library, m_faces[0].path.constData(), m_faces[0].index, &face) == 0);
        QVERIFY(FT_New_Face(m_library, m_faces[1].path.constData(), m_faces[1].index, &other) == 0);
        const quint64 tablesBefore = BulkCharacterLookup::tablesRead();
        const std::vector<FT_UInt> first = sweep(face);
        const std::vector<FT_UInt> again = sweep(face);
        const quint64 tablesWhileKept = BulkCharacterLookup::tablesRead();
        FT_Done_Face(other);
        const std::vector<FT_UInt> afterOthersEnd = sweep(face);
        const quint64 tablesAfterOthersEnd = BulkCharacterLookup::tablesRead();
        FT_Done_Face(face);

        QCOMPARE(tablesWhileKept, tablesBefore + 1);
        QCOMPARE(tablesAfterOthersEnd, tablesBefore + 2);
        QVERIFY(again == first);
        QVERIFY(afterOthersEnd == first);
    }

private:
    FT_Library m_library = nullptr;
    QList<FaceFile> m_faces;
};

QTEST_MAIN(TestBulkCharacterLookup)
#include "tst_bulkcharacterlookup.moc"
