// Catalogues of fonts made for other scripts, printed into PDF files on the real printer
// service among a font set of its own: what the pages show, and the pages the estimate counts.
#include "FontSetMain.h"
#include "Poppler.h"
#include "ScriptFonts.h"
#include "printer/QtPrinterService.h"
#include "printing/CatalogueLayout.h"

#include <QDateTime>
#include <QFontDatabase>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString kLine1 = u" Portez ce vieux whisky au juge blond qui fume"_s;
const QString kLine2 = u"ABCDEFGHIJKLMNOP 0123456789 éèçàâäù%"_s;
// Small enough that the lines fit the page's width, enough entries for several pages.
constexpr int kSampleSize = 20;
constexpr int kEntries = 30;

qsizetype khmerCharacters(const QString &text)
{
    return std::count_if(text.cbegin(), text.cend(),
        [](QChar character) { return character.unicode() >= 0x1780 && character.unicode() <= 0x17ff; });
}

} // namespace

class TestSampleScripts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pagesShowWhatEachFontCan_data()
    {
        QTest::addColumn<QString>("family");
        QTest::addColumn<bool>("userLines");
        QTest::addColumn<QStringList>("embedded");
        QTest::newRow("a Latin font prints the user's lines")
            << ScriptFonts::kLatin << true << QStringList { u"LiberationSans"_s };
        QTest::newRow("a Khmer font prints Khmer in both lines, its names in Arial")
            << ScriptFonts::kKhmer << false
            << QStringList { u"LiberationSans"_s, u"TypoviseKhmer"_s };
    }
    void pagesShowWhatEachFontCan()
    {
        QFETCH(QString, family);
        QFETCH(bool, userLines);
        QFETCH(QStringList, embedded);
        QStringList entries;
        for (int i = 1; i <= kEntries; ++i)
            entries.append(u"%1 %2"_s.arg(i).arg(family));
        CatalogueOptions options;
        options.AvecExemple = true;
        options.TaillePolice = kSampleSize;
        options.LignesExemple = { QString(), kLine1, kLine2 };
        options.TexteEnTete = u"Écritures"_s;
        QTemporaryDir dir;
        QtPrinterService printer(dir.path());
        const CatalogueLayout layout(printer, entries, options);
        const std::optional<qint64> estimate = layout.Nb_Pages();
        QVERIFY(estimate);
        QVERIFY(*estimate > 1);
        QVERIFY(layout.print(QDateTime::currentDateTime(), QLocale::c()));

        const QString pdf = printer.lastPdfFile();
        QCOMPARE(pdfPages(pdf), *estimate);
        QStringList fonts = pdfFonts(pdf);
        fonts.sort();
        QCOMPARE(fonts, embedded);
        const QString text = pdfText(pdf);
        QCOMPARE(text.count(u"Portez"_s), userLines ? kEntries : 0);
        QCOMPARE(text.count(u"éèçàâäù%"_s), userLines ? kEntries : 0);
        const QString khmer = QFontDatabase::writingSystemSample(QFontDatabase::Khmer);
        QCOMPARE(khmerCharacters(text), userLines ? 0 : 2 * kEntries * khmer.size());
        QCOMPARE(text.count(family), kEntries);
    }
};

int main(int argc, char **argv)
{
    return runAmongFontSet<TestSampleScripts>(argc, argv, ScriptFonts::write);
}

#include "tst_samplescripts.moc"
