// What fonts made for one script each show of the sample lines, among a font set of their own:
// the rule, the main window's pane, and a catalogue printed into a PDF file.
#include "FontSetMain.h"
#include "Harness.h"
#include "Poppler.h"
#include "ScriptFonts.h"
#include "fonts/SampleText.h"
#include "printer/QtPrinterService.h"
#include "printing/CatalogueLayout.h"
#include "widgets/Controls.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLabel>

using namespace Qt::StringLiterals;

namespace {

const QString kLine1 = u" Portez ce vieux whisky au juge blond qui fume"_s;
const QString kLine2 = u"ABCDEFGHIJKLMNOP 0123456789 éèçàâäù%"_s;
const QString kKhmer = QFontDatabase::writingSystemSample(QFontDatabase::Khmer);

} // namespace

class TestSampleText : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void showable_data()
    {
        QTest::addColumn<QString>("family");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("shown");
        QTest::newRow("a Khmer font shows Khmer after the line's leading blank")
            << ScriptFonts::kKhmer << kLine1 << u' ' + kKhmer;
        QTest::newRow("a Khmer font shows a Khmer line as it stands")
            << ScriptFonts::kKhmer << u" សួស្តី"_s << u" សួស្តី"_s;
        QTest::newRow("blanks a Khmer font lacks do not count")
            << ScriptFonts::kKhmer << u"ក\u00a0ខ\u2003គ"_s << u"ក\u00a0ខ\u2003គ"_s;
        QTest::newRow("a font of too few letters for a language keeps the accented line")
            << ScriptFonts::kAscii << kLine2 << kLine2;
    }
    void showable()
    {
        QFETCH(QString, family);
        QFETCH(QString, line);
        QFETCH(QString, shown);
        QCOMPARE(SampleText::showable(line, QFont(family)), shown);
    }

    // Arrow keys from Liberation Sans to the Khmer font and back: the pane follows each font,
    // and so does the text that the main window's activation puts back.
    void paneShowsWhatTheFontCan()
    {
        Harness h; // sorted: 1 Liberation Sans, 2 Typovise ASCII, 3 Typovise Khmer
        h.start({ ScriptFonts::kLatin, ScriptFonts::kAscii, ScriptFonts::kKhmer });
        auto *liste = h.find<VbListBox>(u"Liste0"_s);
        auto *exemple = h.find<QLabel>(u"Exemple0"_s);
        const QString user = kLine1 + u' ' + kLine2;
        QCOMPARE(exemple->text(), user);
        liste->setFocus();
        QTest::keyClick(liste, Qt::Key_Down);
        QTest::keyClick(liste, Qt::Key_Down);
        QCOMPARE(h.find<VkFrame>(u"Cadre_Exemple0"_s)->Caption(), ScriptFonts::kKhmer);
        QCOMPARE(exemple->text(), u' ' + kKhmer + u' ' + kKhmer);
        h.ppal()->Form_Activate();
        QCOMPARE(exemple->text(), u' ' + kKhmer + u' ' + kKhmer);
        QTest::keyClick(liste, Qt::Key_Up);
        QCOMPARE(exemple->text(), user);
    }

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
    // Thirty entries of 20-point samples, which fit the page's width, take several pages.
    void pagesShowWhatEachFontCan()
    {
        QFETCH(QString, family);
        QFETCH(bool, userLines);
        QFETCH(QStringList, embedded);
        const int entries = 30;
        QStringList list;
        for (int i = 1; i <= entries; ++i)
            list.append(u"%1 %2"_s.arg(i).arg(family));
        CatalogueOptions options;
        options.AvecExemple = true;
        options.TaillePolice = 20;
        options.LignesExemple = { QString(), kLine1, kLine2 };
        QTemporaryDir dir;
        QtPrinterService printer(dir.path());
        const CatalogueLayout layout(printer, list, options);
        const std::optional<qint64> estimate = layout.Nb_Pages();
        QVERIFY(estimate > 1);
        QVERIFY(layout.print(QDateTime::currentDateTime(), QLocale::c()));

        const QString pdf = printer.lastPdfFile();
        QCOMPARE(pdfPages(pdf), *estimate);
        QStringList fonts = pdfFonts(pdf);
        fonts.sort();
        QCOMPARE(fonts, embedded);
        const QString text = pdfText(pdf);
        QCOMPARE(text.count(family), entries);
        QCOMPARE(text.count(kLine2), userLines ? entries : 0);
        // Shaped Khmer comes back from the page in another order: its characters are counted.
        const auto khmer = std::count_if(text.cbegin(), text.cend(),
            [](QChar c) { return QChar::script(c.unicode()) == QChar::Script_Khmer; });
        QCOMPARE(khmer, userLines ? 0 : 2 * entries * kKhmer.size());
    }
};

int main(int argc, char **argv)
{
    return runAmongFontSet<TestSampleText, QApplication>(argc, argv, ScriptFonts::write);
}

#include "tst_sampletext.moc"
