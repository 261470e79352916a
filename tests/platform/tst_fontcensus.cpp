// The font census and the faces the printer service draws, on a font set of the test's own:
// Liberation Sans from three foundries (one of them italic only, one with a blank inside its
// name), Liberation Serif, and DejaVu Sans with its condensed sub-family.
#include "platform/FontCensus.h"
#include "platform/QtPrinterService.h"

#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
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
        if (!QDir().mkpath(folder))
            return false;
        const QString target = folder + u'/' + QFileInfo(font.source).fileName();
        if (!QFile::exists(target) && !QFile::copy(font.source, target))
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
    QFile file(root + u"/fonts.conf"_s);
    return file.open(QIODevice::WriteOnly) && file.write(config.toUtf8()) > 0;
}

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

QStringList pdfFonts(const QString &pdf)
{
    QProcess pdffonts;
    pdffonts.start(u"pdffonts"_s, { pdf });
    if (!pdffonts.waitForFinished(30000))
        return { u"pdffonts did not answer"_s };
    QStringList names;
    const QStringList lines = QString::fromUtf8(pdffonts.readAllStandardOutput()).split(u'\n');
    // Two heading lines, then the subset name ("ABCDEF+LiberationSerif") first on each line.
    for (const QString &line : lines.mid(2)) {
        const QString name = line.section(u' ', 0, 0).section(u'+', -1);
        if (!name.isEmpty())
            names.append(name);
    }
    names.removeDuplicates();
    return sorted(names);
}

} // namespace

class TestFontCensus : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void foldsFoundriesAndDropsAliases_data()
    {
        QTest::addColumn<QStringList>("qtFamilies");
        QTest::addColumn<QStringList>("fileFamilies");
        QTest::addColumn<QStringList>("census");
        QTest::newRow("foundry twins give one entry")
            << QStringList { u"C059 [UKWN]"_s, u"C059 [urw]"_s } << QStringList { u"C059"_s }
            << QStringList { u"C059"_s };
        QTest::newRow("a blank inside the brackets folds too")
            << QStringList { u"D050000L [URW ]"_s, u"D050000L [UKWN]"_s }
            << QStringList { u"D050000L"_s } << QStringList { u"D050000L"_s };
        QTest::newRow("generic names that stand for other families go")
            << QStringList { u"DejaVu Sans"_s, u"Monospace"_s, u"Sans Serif"_s, u"Serif"_s }
            << QStringList { u"DejaVu Sans"_s } << QStringList { u"DejaVu Sans"_s };
        QTest::newRow("a sub-family stays an entry of its own")
            << QStringList { u"DejaVu Sans"_s, u"DejaVu Sans Condensed"_s }
            << QStringList { u"DejaVu Sans"_s, u"DejaVu Sans Condensed"_s }
            << QStringList { u"DejaVu Sans"_s, u"DejaVu Sans Condensed"_s };
        QTest::newRow("a family whose own name ends in brackets is kept whole")
            << QStringList { u"Odd [Test]"_s } << QStringList { u"Odd [Test]"_s }
            << QStringList { u"Odd [Test]"_s };
    }

    void foldsFoundriesAndDropsAliases()
    {
        QFETCH(QStringList, qtFamilies);
        QFETCH(QStringList, fileFamilies);
        QFETCH(QStringList, census);
        QCOMPARE(FontCensus::fold(qtFamilies, fileFamilies), census);
    }

    // The real font system: Qt lists twins and aliases, the census the names fontconfig gives.
    void matchesFontconfigFamilyNames()
    {
        const QStringList qtFamilies = QFontDatabase::families();
        QVERIFY2(
            qtFamilies.contains(u"Liberation Sans [URW ]"_s), qPrintable(qtFamilies.join(u'|')));
        QVERIFY(qtFamilies.contains(u"Sans Serif"_s));

        QProcess fcList;
        fcList.start(u"fc-list"_s, { u":"_s, u"family"_s });
        QVERIFY(fcList.waitForFinished(30000));
        QStringList expected = QString::fromUtf8(fcList.readAllStandardOutput())
                                   .split(QRegularExpression(u"[,\n]"_s), Qt::SkipEmptyParts);
        expected.removeDuplicates();
        QCOMPARE(sorted(FontCensus::families()), sorted(expected));
        QCOMPARE(expected.size(), 4);
    }

    // Of three foundries, one offering only an italic face, the upright regular face is drawn.
    void foldedFamilyPrintsItsRegularUprightFace()
    {
        QTemporaryDir pdfDir;
        QtPrinterService printer(pdfDir.path());
        QVERIFY(printer.printsToPdf());
        printer.setFontName(u"Liberation Sans"_s);
        printer.setFontSize(12);
        QVERIFY(printer.Print(u"Portez ce vieux whisky"_s));
        QVERIFY(printer.EndDoc());
        QCOMPARE(pdfFonts(printer.lastPdfFile()), QStringList { u"LiberationSans"_s });
        // The name Qt reports for the face drawn is the list's entry.
        QFont font(u"Liberation Sans"_s);
        QCOMPARE(FontCensus::familyName(QFontInfo(font).family()), u"Liberation Sans"_s);
    }

    // Liberation Serif lacks the snowman that DejaVu Sans holds: the sample must not borrow it.
    void sampleUsesOnlyTheFacesOwnGlyphs()
    {
        QTemporaryDir pdfDir;
        QtPrinterService printer(pdfDir.path());
        printer.setFontName(u"Liberation Serif"_s);
        printer.setFontSize(12);
        QVERIFY(printer.Print(u"Neige \u2603 et Ω"_s));
        QVERIFY(printer.EndDoc());
        QCOMPARE(pdfFonts(printer.lastPdfFile()), QStringList { u"LiberationSerif"_s });
    }
};

int main(int argc, char **argv)
{
    // The font system and CUPS read these once, when first used: before the application.
    QTemporaryDir fonts;
    if (!fonts.isValid() || !writeFontSet(fonts.path())) {
        qCritical("could not write the test's font set");
        return 2;
    }
    qputenv("FONTCONFIG_FILE", QFile::encodeName(fonts.path() + u"/fonts.conf"_s));
    qputenv("CUPS_SERVER", "/nonexistent");
    QGuiApplication app(argc, argv);
    TestFontCensus test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_fontcensus.moc"
