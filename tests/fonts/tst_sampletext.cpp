// The text each font shows a sample line with, among fonts made for one script each.
#include "FontSetMain.h"
#include "ScriptFonts.h"
#include "fonts/SampleText.h"

#include <QFont>
#include <QFontDatabase>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString kLine1 = u" Portez ce vieux whisky au juge blond qui fume"_s;
const QString kLine2 = u"ABCDEFGHIJKLMNOP 0123456789 éèçàâäù%"_s;

} // namespace

class TestSampleText : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void showable_data()
    {
        const QString khmer = QFontDatabase::writingSystemSample(QFontDatabase::Khmer);
        QTest::addColumn<QString>("family");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("shown");
        QTest::newRow("a Latin font shows the first line as it stands")
            << ScriptFonts::kLatin << kLine1 << kLine1;
        QTest::newRow("a Latin font shows the accented line as it stands")
            << ScriptFonts::kLatin << kLine2 << kLine2;
        QTest::newRow("a Khmer font shows Khmer after the line's leading blank")
            << ScriptFonts::kKhmer << kLine1 << u' ' + khmer;
        QTest::newRow("a Khmer font shows Khmer for a line without a leading blank")
            << ScriptFonts::kKhmer << kLine2 << khmer;
        QTest::newRow("a Khmer font shows a Khmer line as it stands")
            << ScriptFonts::kKhmer << u" សួស្តី"_s << u" សួស្តី"_s;
        QTest::newRow("blanks a Khmer font lacks do not count")
            << ScriptFonts::kKhmer << u"ក\u00a0ខ\u2003គ"_s << u"ក\u00a0ខ\u2003គ"_s;
        QTest::newRow("a line of blanks stays as it is") << ScriptFonts::kKhmer << u"  "_s << u"  "_s;
        QTest::newRow("a font of too few letters for a language keeps the accented line")
            << ScriptFonts::kAscii << kLine2 << kLine2;
    }
    void showable()
    {
        QFETCH(QString, family);
        QFETCH(QString, line);
        QFETCH(QString, shown);
        QFont font(family);
        font.setPointSize(18);
        QCOMPARE(SampleText::showable(line, font), shown);
    }
};

int main(int argc, char **argv)
{
    return runAmongFontSet<TestSampleText>(argc, argv, ScriptFonts::write);
}

#include "tst_sampletext.moc"
