// The font census and the faces the printer service draws, on a font set of the test's own:
// Liberation Sans from three foundries (one of them italic only, one with a blank inside its
// name), Liberation Serif, and DejaVu Sans with its condensed sub-family.
#include "Files.h"
#include "FontSetMain.h"
#include "Poppler.h"
#include "fonts/FontCensus.h"
#include "printer/QtPrinterService.h"

#include <QDir>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString kLiberation = u"/usr/share/fonts/truetype/liberation/"_s;
const QString kDejaVu = u"/usr/share/fonts/truetype/dejavu/"_s;

struct FontFile
{
    QString source;
    QString folder;
    QString foundry; // empty: the file's own
};

const FontFile kFontSet[] = {
    { kLiberation + u"LiberationSans-Regular.ttf"_s, u"ascender"_s, {} },
    { kLiberation + u"LiberationSans-Regular.ttf"_s, u"urw"_s, u"URW "_s },
    { kLiberation + u"LiberationSans-Italic.ttf"_s, u"slanted"_s, u"slnt"_s },
    { kLiberation + u"LiberationSerif-Regular.ttf"_s, u"ascender"_s, {} },
    { kDejaVu + u"DejaVuSans.ttf"_s, u"dejavu"_s, {} },
    { kDejaVu + u"DejaVuSansCondensed.ttf"_s, u"dejavu"_s, {} },
};

// Writes the fonts and a fontconfig configuration that sees nothing else; the foundries are
// given at scan time, as a second copy of a family from another vendor would carry them.
bool writeFontSet(const QString &root)
{
    QString config
        = u"<?xml version=\"1.0\"?>\n<fontconfig>\n<cachedir>%1/cache</cachedir>\n"_s.arg(root);
    for (const FontFile &font : kFontSet) {
        const QString folder = root + u'/' + font.folder;
        const QString target = folder + u'/' + QFileInfo(font.source).fileName();
        if (!QDir().mkpath(folder) || (!QFile::exists(target) && !QFile::copy(font.source, target)))
            return false;
        if (!config.contains(u"<dir>"_s + folder))
            config += u"<dir>%1</dir>\n"_s.arg(folder);
        if (!font.foundry.isEmpty()) {
            config
                += u"<match target=\"scan\"><test name=\"file\"><string>%1</string></test>"
                   "<edit name=\"foundry\" mode=\"assign\"><string>%2</string></edit></match>\n"_s
                       .arg(target, font.foundry);
        }
    }
    config += u"</fontconfig>\n"_s;
    return writeFileBytes(root + u"/fonts.conf"_s, config.toUtf8());
}

} // namespace

class TestFontCensus : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // What the font set below cannot show: a foundry with a blank, beside twins without one,
    // would be hidden by them.
    void aFoundryWithABlankFoldsToo()
    {
        const QStringList fileFamilies { u"D050000L"_s };
        QCOMPARE(FontCensus::fold({ u"D050000L [URW ]"_s }, fileFamilies), fileFamilies);
    }

    // The real font system lists foundry twins and aliases; the census, each family once.
    void listsEachFamilyOfTheFontSetOnce()
    {
        QVERIFY(QFontDatabase::families().contains(u"Sans Serif"_s)); // an alias to drop
        QStringList families = FontCensus::families();
        families.sort();
        const QStringList expected { u"DejaVu Sans"_s, u"DejaVu Sans Condensed"_s,
            u"Liberation Sans"_s, u"Liberation Serif"_s };
        QCOMPARE(families, expected);
    }

    void drawsTheListedFamilysOwnFace_data()
    {
        QTest::addColumn<QString>("family");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("face");
        QTest::newRow("of three foundries, one italic only, the upright regular face")
            << u"Liberation Sans"_s << u"Portez ce vieux whisky"_s << u"LiberationSans"_s;
        QTest::newRow("a snowman the face lacks is not borrowed from DejaVu Sans")
            << u"Liberation Serif"_s << u"Neige \u2603 et Ω"_s << u"LiberationSerif"_s;
    }

    void drawsTheListedFamilysOwnFace()
    {
        QFETCH(QString, family);
        QFETCH(QString, text);
        QFETCH(QString, face);
        QTemporaryDir pdfDir;
        QtPrinterService printer(pdfDir.path());
        QVERIFY(printer.printsToPdf());
        printer.setFontName(family);
        printer.setFontSize(12);
        QVERIFY(printer.Print(text));
        QVERIFY(printer.EndDoc());
        QCOMPARE(pdfFonts(printer.lastPdfFile()), QStringList { face });
        // The name Qt reports for the face drawn is the list's entry.
        QCOMPARE(FontCensus::familyName(QFontInfo(QFont(family)).family()), family);
    }

    void windowFontsAreTheFamiliesQtDraws_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("a family of three foundries stays itself") << u"Liberation Sans"_s;
        QTest::newRow("the dialog's Arial, which no file carries") << u"Arial"_s;
        QTest::newRow("the interface's generic Sans Serif") << u"Sans Serif"_s;
    }

    // The windows set in the family that Qt's own search would find for the name.
    void windowFontsAreTheFamiliesQtDraws()
    {
        QFETCH(QString, name);
        const QString qtDraws = FontCensus::familyName(QFontInfo(QFont(name)).family());
        QCOMPARE(FontCensus::onThisMachine(name), qtDraws);
    }
};

int main(int argc, char **argv)
{
    return runAmongFontSet<TestFontCensus>(argc, argv, writeFontSet);
}

#include "tst_fontcensus.moc"
