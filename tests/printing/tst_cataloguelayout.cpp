#include "ScriptedPrinter.h"
#include "printing/CatalogueLayout.h"

#include <QDateTime>
#include <QLocale>
#include <QTest>
#include <cmath>
#include <limits>

using namespace Qt::Literals::StringLiterals;
using Font = ScriptedPrinter::Font;

namespace {

// Numbered as the main window numbers them: zero-padded to the width of the count.
QStringList entries(int count)
{
    const int width = int(QString::number(count).size());
    QStringList list;
    list.reserve(count);
    for (int i = 1; i <= count; ++i)
        list.append(QStringLiteral("%1 Font %2").arg(i, width, 10, QLatin1Char('0')).arg(i));
    return list;
}

CatalogueOptions options(bool exemple, bool espace, bool numero, double taille = 12)
{
    CatalogueOptions o;
    o.AvecExemple = exemple;
    o.EspacePolices = espace;
    o.AvecNumero = numero;
    o.TaillePolice = taille;
    o.LignesExemple[1] = QStringLiteral(" Portez ce vieux whisky");
    o.LignesExemple[2] = QStringLiteral("ABCDEF 0123");
    o.TexteEnTete = QStringLiteral("Catalogue");
    return o;
}

// Heights that tell every face apart, so that a run measuring another font than the one it
// prints lands on another count.
double distinctHeight(const Font &f, const QString &)
{
    return f.size * 20.0 + (f.bold ? 6 : 0) + (f.italic ? 4 : 0)
        + (f.name == QLatin1String("Arial") ? 0 : 30);
}

const QDateTime kWhen(QDate(2026, 12, 5), QTime(9, 5, 7));
const QLocale kFrench(QLocale::French, QLocale::France);

QList<float> widths(const CatalogueLayout &layout, bool printing)
{
    QList<float> seen;
    const auto record = [&seen](float w) { seen.append(w); };
    if (printing)
        layout.print(kWhen, kFrench, record);
    else
        layout.Nb_Pages(record);
    return seen;
}

} // namespace

class TestCatalogueLayout : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void fontName_data();
    void fontName();
    void estimate_data();
    void estimate();
    void singlePrecision_data();
    void singlePrecision();
    void numberingKeepsCount_data();
    void numberingKeepsCount();
    void estimateAgreesWithPrint_data();
    void estimateAgreesWithPrint();
    void progress_data();
    void progress();
    void progressIsThrottled();
    void emptyList();
    void countBeyondSixteenBits();
    void unusableSampleSize_data();
    void unusableSampleSize();
    void unmeasurable_data();
    void unmeasurable();
    void headerText_data();
    void headerText();
    void printSequence_data();
    void printSequence();
    void failedRunIsDropped_data();
    void failedRunIsDropped();
};

void TestCatalogueLayout::fontName_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("name");

    QTest::newRow("one digit") << u"7 Arial"_s << u"Arial"_s;
    QTest::newRow("two digits") << u"42 Times New Roman"_s << u"Times New Roman"_s;
    QTest::newRow("three digits") << u"105 Courier"_s << u"Courier"_s;
    QTest::newRow("four digits") << u"1000 DejaVu Sans"_s << u"DejaVu Sans"_s;
    QTest::newRow("blanks around the name") << u"012  Liberation Mono "_s << u"Liberation Mono"_s;
    QTest::newRow("no number field") << u"Arial"_s << u"Arial"_s;
}

void TestCatalogueLayout::fontName()
{
    QFETCH(QString, entry);
    QFETCH(QString, name);
    QCOMPARE(CatalogueLayout::fontName(entry), name);

    // The sample lines must be set in that very font.
    ScriptedPrinter printer;
    QVERIFY(CatalogueLayout(printer, { entry }, options(true, false, false)).print(kWhen, kFrench));
    QCOMPARE(printer.log.at(3), u"print:%1|12||%2"_s.arg(name, u" Portez ce vieux whisky"_s));
}

// Default heights: 20 twips per point, so the header and its blank line take 300 + 200, a
// name line 240 and a 12-point block with samples 720.
void TestCatalogueLayout::estimate_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("exemple");
    QTest::addColumn<bool>("espace");
    QTest::addColumn<double>("taille");
    QTest::addColumn<double>("pageHeight");
    QTest::addColumn<qint64>("pages");

    QTest::newRow("all fits") << 3 << false << false << 12.0 << 15840.0 << qint64(1);
    QTest::newRow("names fill the page exactly")
        << 3 << false << false << 12.0 << 1220.0 << qint64(1);
    QTest::newRow("one twip short") << 3 << false << false << 12.0 << 1219.0 << qint64(2);
    QTest::newRow("samples fill the page exactly")
        << 2 << true << false << 12.0 << 1940.0 << qint64(1);
    QTest::newRow("samples one twip short") << 2 << true << false << 12.0 << 1939.0 << qint64(2);
    QTest::newRow("second page") << 100 << false << false << 12.0 << 15840.0 << qint64(2);
    QTest::newRow("block taller than page") << 5 << true << false << 2048.0 << 15840.0 << qint64(6);
    QTest::newRow("spacing after last entry overflows")
        << 2 << false << true << 12.0 << 1300.0 << qint64(2);
    QTest::newRow("spacing after last entry fits")
        << 2 << false << true << 12.0 << 1380.0 << qint64(1);
    // A spacing line that overflows counts the new page as holding the block before it.
    QTest::newRow("overflowing spacing carries its block")
        << 3 << false << true << 12.0 << 930.0 << qint64(3);
    // The first block that does not fit under the header opens page 2 alone.
    QTest::newRow("first block under the header")
        << 2 << false << false << 12.0 << 600.0 << qint64(2);
}

void TestCatalogueLayout::estimate()
{
    QFETCH(int, count);
    QFETCH(bool, exemple);
    QFETCH(bool, espace);
    QFETCH(double, taille);
    QFETCH(double, pageHeight);
    QFETCH(qint64, pages);

    ScriptedPrinter printer;
    printer.pageHeight = pageHeight;
    const CatalogueLayout layout(printer, entries(count), options(exemple, espace, false, taille));
    QCOMPARE(layout.Nb_Pages(), std::optional<qint64>(pages));
    QVERIFY(printer.log.isEmpty());
}

// Heights are summed and compared in single precision. With every line 33.3 twips high, 37
// lines sum to 1232.0999999999992 in double precision, within a page of 1232.1, but to
// 1232.1001 in single precision, past the page's 1232.09998.
void TestCatalogueLayout::singlePrecision_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<double>("pageHeight");
    QTest::addColumn<qint64>("pages");

    QTest::newRow("one line too many in single precision") << 35 << 1232.1 << qint64(2);
    QTest::newRow("a line less") << 34 << 1232.1 << qint64(1);
    QTest::newRow("a little more room") << 35 << 1232.2 << qint64(1);
}

void TestCatalogueLayout::singlePrecision()
{
    QFETCH(int, count);
    QFETCH(double, pageHeight);
    QFETCH(qint64, pages);

    ScriptedPrinter printer;
    printer.pageHeight = pageHeight;
    printer.height = [](const Font &, const QString &) { return 33.3; };
    const CatalogueLayout layout(printer, entries(count), options(false, false, false));
    QCOMPARE(layout.Nb_Pages(), std::optional<qint64>(pages));
}

void TestCatalogueLayout::numberingKeepsCount_data()
{
    QTest::addColumn<bool>("exemple");
    QTest::addColumn<bool>("espace");
    QTest::addColumn<int>("cell");

    QTest::newRow("names") << false << false << 0;
    QTest::newRow("samples") << true << false << 1;
    QTest::newRow("spacing") << false << true << 2;
    QTest::newRow("samples and spacing") << true << true << 3;
}

void TestCatalogueLayout::numberingKeepsCount()
{
    QFETCH(bool, exemple);
    QFETCH(bool, espace);
    QFETCH(int, cell);

    ScriptedPrinter printer;
    printer.pageHeight = 3000;
    const QStringList list = entries(40);
    const CatalogueLayout plain(printer, list, options(exemple, espace, false));
    const CatalogueLayout numbered(printer, list, options(exemple, espace, true));
    const auto count = plain.Nb_Pages();
    QVERIFY(count && *count > 1);
    QCOMPARE(numbered.Nb_Pages(), count);
    QCOMPARE(plain.previewCell(), cell);
    QCOMPARE(numbered.previewCell(), cell + 4);
}

// Distinct heights: header 310 + 200, a name line 240, a 12-point sample line 270.
void TestCatalogueLayout::estimateAgreesWithPrint_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("exemple");
    QTest::addColumn<bool>("numero");
    QTest::addColumn<double>("taille");
    QTest::addColumn<double>("pageHeight");
    QTest::addColumn<int>("pages");

    QTest::newRow("names on one page") << 10 << false << false << 12.0 << 15840.0 << 1;
    QTest::newRow("names on several pages") << 300 << false << true << 12.0 << 15840.0 << 5;
    QTest::newRow("samples fill the page exactly") << 2 << true << false << 12.0 << 2070.0 << 1;
    QTest::newRow("samples one twip short") << 2 << true << false << 12.0 << 2069.0 << 2;
    QTest::newRow("large samples") << 30 << true << true << 36.0 << 15840.0 << 4;
    QTest::newRow("block taller than page") << 4 << true << false << 2048.0 << 15840.0 << 5;
    QTest::newRow("first block under the header") << 3 << false << false << 12.0 << 600.0 << 3;
}

void TestCatalogueLayout::estimateAgreesWithPrint()
{
    QFETCH(int, count);
    QFETCH(bool, exemple);
    QFETCH(bool, numero);
    QFETCH(double, taille);
    QFETCH(double, pageHeight);
    QFETCH(int, pages);

    ScriptedPrinter printer;
    printer.height = distinctHeight;
    printer.pageHeight = pageHeight;
    const CatalogueLayout layout(printer, entries(count), options(exemple, false, numero, taille));
    QCOMPARE(layout.Nb_Pages(), std::optional<qint64>(pages));
    QVERIFY(layout.print(kWhen, kFrench));
    QCOMPARE(printer.pagesEnded(), pages);
}

void TestCatalogueLayout::progress_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("printing");
    QTest::addColumn<QList<float>>("reports");

    QTest::newRow("estimate, one entry") << 1 << false << QList<float> { 0 };
    QTest::newRow("estimate, two entries") << 2 << false << QList<float> { 0, 1800 };
    QTest::newRow("estimate, three entries") << 3 << false << QList<float> { 0, 1200, 2400 };
    QTest::newRow("printing, one entry") << 1 << true << QList<float> { 0 };
    QTest::newRow("printing, two entries") << 2 << true << QList<float> { 0, 1567.5f };
}

void TestCatalogueLayout::progress()
{
    QFETCH(int, count);
    QFETCH(bool, printing);
    QFETCH(QList<float>, reports);

    ScriptedPrinter printer;
    const CatalogueLayout layout(printer, entries(count), options(true, true, false));
    QCOMPARE(widths(layout, printing), reports);
}

void TestCatalogueLayout::progressIsThrottled()
{
    ScriptedPrinter printer;
    CatalogueLayout layout(printer, entries(30000), options(true, false, false));
    const QList<float> seen = widths(layout, false);

    QVERIFY(seen.size() <= int(CatalogueLayout::kBarreWidth / layout.progressGrain()) + 2);
    for (qsizetype i = 1; i + 1 < seen.size(); ++i)
        QVERIFY2(seen[i] - seen[i - 1] >= layout.progressGrain(), qPrintable(QString::number(i)));
    const float step = CatalogueLayout::kBarreWidth / 30000;
    QVERIFY(seen.last() < CatalogueLayout::kBarreWidth);
    QVERIFY(seen.last() > CatalogueLayout::kBarreWidth - 100 * step);

    layout.setProgressGrain(0);
    QVERIFY(widths(layout, false).size() >= 29000);
}

void TestCatalogueLayout::emptyList()
{
    ScriptedPrinter printer;
    const CatalogueLayout layout(printer, {}, options(true, true, true));
    QCOMPARE(widths(layout, false), QList<float> { 0 });
    QCOMPARE(layout.Nb_Pages(), std::optional<qint64>(1));
    QVERIFY(!layout.print(kWhen, kFrench));
    QCOMPARE(printer.printCalls, 0);
    QVERIFY(printer.log.isEmpty());
}

void TestCatalogueLayout::countBeyondSixteenBits()
{
    ScriptedPrinter printer;
    printer.height = [](const Font &f, const QString &) {
        return f.name == QLatin1String("Arial") ? 240.0 : 20000.0;
    };
    const CatalogueLayout layout(printer, entries(40000), options(true, false, false));
    QCOMPARE(layout.Nb_Pages(), std::optional<qint64>(40001));
    QVERIFY(layout.print(kWhen, kFrench));
    QCOMPARE(printer.pagesEnded(), 40001);
}

void TestCatalogueLayout::unusableSampleSize_data()
{
    QTest::addColumn<double>("taille");
    QTest::addColumn<double>("measured");

    const double smallest = PrinterService::kSmallestSize;
    const double largest = PrinterService::kLargestSize;
    QTest::newRow("zero") << 0.0 << smallest;
    QTest::newRow("negative") << -5.0 << smallest;
    QTest::newRow("below one point") << 0.5 << smallest;
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << smallest;
    QTest::newRow("minus infinity") << -std::numeric_limits<double>::infinity() << smallest;
    QTest::newRow("huge") << 1e12 << largest;
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << largest;
}

void TestCatalogueLayout::unusableSampleSize()
{
    QFETCH(double, taille);
    QFETCH(double, measured);

    ScriptedPrinter printer;
    QList<double> sizes;
    printer.height = [&sizes](const Font &f, const QString &) {
        if (f.name != QLatin1String("Arial"))
            sizes.append(f.size);
        return f.size * 20.0;
    };
    const CatalogueLayout layout(printer, entries(3), options(true, false, false, taille));
    QVERIFY(layout.Nb_Pages().has_value());
    QCOMPARE(sizes, QList<double>(3, measured));
}

void TestCatalogueLayout::unmeasurable_data()
{
    QTest::addColumn<QString>("failingFont");
    QTest::addColumn<double>("failingSize");
    QTest::addColumn<double>("failure");
    QTest::addColumn<bool>("exemple");
    QTest::addColumn<double>("pageHeight");
    QTest::addColumn<bool>("estimated");

    const double nan = std::numeric_limits<double>::quiet_NaN();
    QTest::newRow("no printer") << QString() << 0.0 << -1.0 << false << 15840.0 << false;
    QTest::newRow("header font") << u"Arial"_s << 15.0 << -1.0 << false << 15840.0 << false;
    QTest::newRow("name font") << u"Arial"_s << 12.0 << -1.0 << false << 15840.0 << false;
    QTest::newRow("spacing font") << u"Arial"_s << 10.0 << -1.0 << false << 15840.0 << false;
    QTest::newRow("sample font") << u"Font 2"_s << 0.0 << -1.0 << true << 15840.0 << false;
    QTest::newRow("undefined height") << u"Font 2"_s << 0.0 << nan << true << 15840.0 << false;
    QTest::newRow("sample font unused") << u"Font 2"_s << 0.0 << -1.0 << false << 15840.0 << true;
    QTest::newRow("no printable height") << u"none"_s << 0.0 << -1.0 << false << -1.0 << false;
}

// failingSize 0 stands for every size, an empty failingFont for every font.
void TestCatalogueLayout::unmeasurable()
{
    QFETCH(QString, failingFont);
    QFETCH(double, failingSize);
    QFETCH(double, failure);
    QFETCH(bool, exemple);
    QFETCH(double, pageHeight);
    QFETCH(bool, estimated);

    ScriptedPrinter printer;
    printer.pageHeight = pageHeight;
    printer.height = [=](const Font &f, const QString &) {
        const bool fails = (failingFont.isEmpty() || f.name == failingFont)
            && (failingSize == 0 || f.size == failingSize);
        return fails ? failure : f.size * 20.0;
    };
    const CatalogueLayout layout(printer, entries(3), options(exemple, true, false));
    QCOMPARE(layout.Nb_Pages().has_value(), estimated);

    if (!estimated && failingSize != 15.0 && failingSize != 10.0) {
        // The printing run measures the name and sample fonts and the printable height.
        QVERIFY(!layout.print(kWhen, kFrench));
        QCOMPARE(printer.log.last(), u"abort"_s);
        QVERIFY(!printer.log.contains(u"enddoc"_s));
    }
}

void TestCatalogueLayout::headerText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("date");
    QTest::addColumn<bool>("time");
    QTest::addColumn<QDateTime>("when");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("header");

    const QDateTime late(QDate(2026, 1, 31), QTime(23, 59, 0));
    const QDateTime midnight(QDate(2027, 8, 15), QTime(0, 0, 9));
    const QLocale english(QLocale::English, QLocale::UnitedKingdom);
    QTest::newRow("date and time") << u"Catalogue"_s << true << true << kWhen << kFrench
                                   << u"Catalogue le 5 décembre 2026 à 9:05:07"_s;
    QTest::newRow("date only") << u"Catalogue"_s << true << false << kWhen << kFrench
                               << u"Catalogue le 5 décembre 2026"_s;
    QTest::newRow("time only") << u"Catalogue"_s << false << true << kWhen << kFrench
                               << u"Catalogue à 9:05:07"_s;
    QTest::newRow("neither") << u"Catalogue"_s << false << false << kWhen << kFrench
                             << u"Catalogue"_s;
    QTest::newRow("empty text") << QString() << true << true << kWhen << kFrench
                                << u" le 5 décembre 2026 à 9:05:07"_s;
    QTest::newRow("two-digit day and hour")
        << u"X"_s << true << true << late << kFrench << u"X le 31 janvier 2026 à 23:59:00"_s;
    QTest::newRow("midnight") << u"X"_s << true << true << midnight << kFrench
                              << u"X le 15 août 2027 à 0:00:09"_s;
    QTest::newRow("English month")
        << u"X"_s << true << false << kWhen << english << u"X le 5 December 2026"_s;
}

void TestCatalogueLayout::headerText()
{
    QFETCH(QString, text);
    QFETCH(bool, date);
    QFETCH(bool, time);
    QFETCH(QDateTime, when);
    QFETCH(QLocale, locale);
    QFETCH(QString, header);

    CatalogueOptions o = options(false, false, false);
    o.TexteEnTete = text;
    o.AvecDate = date;
    o.AvecHeure = time;
    ScriptedPrinter printer;
    const CatalogueLayout layout(printer, { u"1 Arial"_s }, o);
    QCOMPARE(layout.headerText(when, locale), header);
    QVERIFY(layout.print(when, locale));
    QCOMPARE(printer.log.first(), u"print:Arial|15|bi|"_s + header);
}

void TestCatalogueLayout::printSequence_data()
{
    QTest::addColumn<bool>("exemple");
    QTest::addColumn<bool>("espace");
    QTest::addColumn<bool>("numero");
    QTest::addColumn<double>("pageHeight");
    QTest::addColumn<QStringList>("log");

    const QString header = u"print:Arial|15|bi|Catalogue"_s;
    const QString blank = u"print:Arial|10||"_s;
    const QString alpha = u"print:Arial|12||Alpha"_s;
    const QString beta = u"print:Arial|12||Beta Sans"_s;
    const QStringList alphaSamples
        = { u"print:Alpha|14|| Portez ce vieux whisky"_s, u"print:Alpha|14||ABCDEF 0123"_s };
    const QStringList betaSamples = { u"print:Beta Sans|14|| Portez ce vieux whisky"_s,
        u"print:Beta Sans|14||ABCDEF 0123"_s };
    const QString end = u"enddoc"_s;

    QTest::newRow("names") << false << false << false << 15840.0
                           << QStringList { header, blank, alpha, beta, end };
    QTest::newRow("numbers") << false << false << true << 15840.0
                             << QStringList { header, blank, u"print:Arial|12||1 Alpha"_s,
                                    u"print:Arial|12||1000 Beta Sans"_s, end };
    QTest::newRow("samples") << true << false << false << 15840.0
                             << (QStringList { header, blank, alpha } + alphaSamples
                                    + QStringList { beta } + betaSamples + QStringList { end });
    QTest::newRow("spacing, none after the last")
        << false << true << false << 15840.0
        << QStringList { header, blank, alpha, blank, beta, end };
    QTest::newRow("everything") << true << true << true << 15840.0
                                << (QStringList { header, blank, u"print:Arial|12||1 Alpha"_s }
                                       + alphaSamples
                                       + QStringList { blank, u"print:Arial|12||1000 Beta Sans"_s }
                                       + betaSamples + QStringList { end });
    // Header 500, first name 240: the second name fits on 980 twips but not on 979.
    QTest::newRow("exact fit") << false << false << false << 980.0
                               << QStringList { header, blank, alpha, beta, end };
    QTest::newRow("page break") << false << false << false << 979.0
                                << QStringList { header, blank, alpha, u"newpage"_s, beta, end };
    QTest::newRow("block taller than page")
        << false << false << false << 200.0
        << QStringList { header, blank, u"newpage"_s, alpha, u"newpage"_s, beta, end };
}

void TestCatalogueLayout::printSequence()
{
    QFETCH(bool, exemple);
    QFETCH(bool, espace);
    QFETCH(bool, numero);
    QFETCH(double, pageHeight);
    QFETCH(QStringList, log);

    ScriptedPrinter printer;
    printer.pageHeight = pageHeight;
    const CatalogueLayout layout(
        printer, { u"1 Alpha"_s, u"1000 Beta Sans"_s }, options(exemple, espace, numero, 14));
    QVERIFY(layout.print(kWhen, kFrench));
    QCOMPARE(printer.log, log);
}

void TestCatalogueLayout::failedRunIsDropped_data()
{
    QTest::addColumn<int>("failPrintAt");
    QTest::addColumn<bool>("failNewPage");
    QTest::addColumn<bool>("failEndDoc");

    QTest::newRow("header") << 0 << false << false;
    QTest::newRow("blank line") << 1 << false << false;
    QTest::newRow("first name") << 2 << false << false;
    QTest::newRow("a sample line") << 4 << false << false;
    QTest::newRow("last sample line") << 13 << false << false;
    QTest::newRow("new page") << -1 << true << false;
    QTest::newRow("end of document") << -1 << false << true;
}

void TestCatalogueLayout::failedRunIsDropped()
{
    QFETCH(int, failPrintAt);
    QFETCH(bool, failNewPage);
    QFETCH(bool, failEndDoc);

    // Four entries with samples, two blocks on the first page: 14 lines on two pages.
    const QStringList list = entries(4);
    const CatalogueOptions o = options(true, false, false);
    ScriptedPrinter reference;
    reference.pageHeight = 2000;
    QVERIFY(CatalogueLayout(reference, list, o).print(kWhen, kFrench));
    QCOMPARE(reference.pagesEnded(), 2);

    ScriptedPrinter printer;
    printer.pageHeight = 2000;
    printer.failPrintAt = failPrintAt;
    printer.failNewPage = failNewPage;
    printer.failEndDoc = failEndDoc;
    const CatalogueLayout layout(printer, list, o);
    QVERIFY(!layout.print(kWhen, kFrench));
    QCOMPARE(printer.log.last(), u"abort"_s);
    QCOMPARE(printer.pagesEnded(), 0);

    printer.failPrintAt = -1;
    printer.failNewPage = false;
    printer.failEndDoc = false;
    printer.log.clear();
    QVERIFY(layout.print(kWhen, kFrench));
    QCOMPARE(printer.log, reference.log);
    QCOMPARE(printer.pagesEnded(), 2);
    QCOMPARE(layout.Nb_Pages(), std::optional<qint64>(2));
}

QTEST_GUILESS_MAIN(TestCatalogueLayout)
#include "tst_cataloguelayout.moc"
