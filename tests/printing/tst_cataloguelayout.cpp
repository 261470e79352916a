#include "ScriptedPrinter.h"
#include "printing/CatalogueLayout.h"

#include <QDateTime>
#include <QLocale>
#include <QTest>
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

// Line heights in twips by name: "points" gives 20 twips per point, so the header and its
// blank line take 300 + 200, a name line 240 and a spacing line 200; "distinct" tells every
// face apart, so that a run measuring another font than the one it prints lands on another
// count; "flat" makes every line 33.3 twips; "tall" makes every sample line 20,000 twips.
std::function<double(const Font &, const QString &)> heights(const QString &kind)
{
    if (kind == u"distinct"_s) {
        return [](const Font &f, const QString &) {
            return f.size * 20.0 + (f.bold ? 6 : 0) + (f.italic ? 4 : 0)
                + (f.name == QLatin1String("Arial") ? 0 : 30);
        };
    }
    if (kind == u"flat"_s)
        return [](const Font &, const QString &) { return 33.3; };
    if (kind == u"tall"_s) {
        return [](const Font &f, const QString &) {
            return f.name == QLatin1String("Arial") ? 240.0 : 20000.0;
        };
    }
    return [](const Font &f, const QString &) { return f.size * 20.0; };
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
    void pages_data();
    void pages();
    void progress_data();
    void progress();
    void progressIsThrottled();
    void unmeasurable_data();
    void unmeasurable();
    void headerText_data();
    void headerText();
};

void TestCatalogueLayout::fontName_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("name");

    // Fewer than eleven fonts give a one-digit number field, a thousand and more four.
    QTest::newRow("one digit") << u"7 Arial"_s << u"Arial"_s;
    QTest::newRow("two digits") << u"42 Times New Roman"_s << u"Times New Roman"_s;
    QTest::newRow("three digits") << u"105 Courier"_s << u"Courier"_s;
    QTest::newRow("four digits") << u"1000 DejaVu Sans"_s << u"DejaVu Sans"_s;
    QTest::newRow("five digits") << u"30000 Noto Sans"_s << u"Noto Sans"_s;
    QTest::newRow("blanks around the name") << u"012  Liberation Mono "_s << u"Liberation Mono"_s;
    QTest::newRow("no number field") << u"Arial"_s << u"Arial"_s;
}

// The estimate and the printing run must measure and print the samples in that very font.
void TestCatalogueLayout::fontName()
{
    QFETCH(QString, entry);
    QFETCH(QString, name);
    QCOMPARE(CatalogueLayout::fontName(entry), name);

    ScriptedPrinter printer;
    QStringList measured;
    printer.height = [&measured](const Font &f, const QString &) {
        if (f.name != QLatin1String("Arial") || f.size == 14)
            measured.append(f.name);
        return f.size * 20.0;
    };
    const CatalogueLayout layout(printer, { entry }, options(true, false, false, 14));
    QVERIFY(layout.Nb_Pages().has_value());
    QCOMPARE(measured, QStringList { name });
    measured.clear();
    QVERIFY(layout.print(kWhen, kFrench));
    measured.removeDuplicates(); // the printer measures every line it prints as well
    QCOMPARE(measured, QStringList { name });
    QCOMPARE(printer.log.at(3), u"print:%1|14||%2"_s.arg(name, u" Portez ce vieux whisky"_s));
}

// The estimate, the same estimate with numbering (which never changes the count), and the
// pages the printing run ends. They agree without spacing; with spacing the estimate may count
// a page more, as the layout's header explains.
void TestCatalogueLayout::pages_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("exemple");
    QTest::addColumn<bool>("espace");
    QTest::addColumn<double>("taille");
    QTest::addColumn<double>("pageHeight");
    QTest::addColumn<QString>("heights");
    QTest::addColumn<qint64>("estimated");
    QTest::addColumn<int>("printed"); // -1 where the printer's own position decides

    const auto row = [](const char *name, int count, bool exemple, bool espace, double taille,
                         double page, const QString &h, qint64 estimated, int printed) {
        QTest::newRow(name) << count << exemple << espace << taille << page << h << estimated
                            << printed;
    };
    const QString points = u"points"_s, distinct = u"distinct"_s;
    row("all fits", 3, false, false, 12, 15840, points, 1, 1);
    row("names fill the page exactly", 3, false, false, 12, 1220, points, 1, 1);
    row("names one twip short", 3, false, false, 12, 1219, points, 2, 2);
    row("second page", 100, false, false, 12, 15840, points, 2, 2);
    row("samples fill the page exactly", 2, true, false, 12, 2070, distinct, 1, 1);
    row("samples one twip short", 2, true, false, 12, 2069, distinct, 2, 2);
    row("large samples", 30, true, false, 36, 15840, distinct, 4, 4);
    // Every block opens a page of its own, the first one included.
    row("block taller than the page", 4, true, false, 2048, 15840, distinct, 5, 5);
    row("first block under the header", 2, false, false, 12, 600, points, 2, 2);
    row("spacing after the last entry fits", 2, false, true, 12, 1380, points, 1, 1);
    row("spacing after the last entry overflows", 2, false, true, 12, 1300, points, 2, 1);
    // A spacing line that overflows counts the new page as holding the block before it.
    row("overflowing spacing carries its block", 3, false, true, 12, 930, points, 3, 2);
    // Heights are summed and compared in single precision: 37 lines of 33.3 twips sum to
    // 1232.0999999999992 in double precision, within a page of 1232.1, but to 1232.1001 in
    // single precision, past the page's 1232.09998.
    row("one line too many in single precision", 35, false, false, 12, 1232.1, u"flat"_s, 2, -1);
    row("a line less in single precision", 34, false, false, 12, 1232.1, u"flat"_s, 1, 1);
    row("a little more room in single precision", 35, false, false, 12, 1232.2, u"flat"_s, 1, 1);
    row("count beyond sixteen bits", 40000, true, false, 12, 15840, u"tall"_s, 40001, 40001);
}

void TestCatalogueLayout::pages()
{
    QFETCH(int, count);
    QFETCH(bool, exemple);
    QFETCH(bool, espace);
    QFETCH(double, taille);
    QFETCH(double, pageHeight);
    QFETCH(QString, heights);
    QFETCH(qint64, estimated);
    QFETCH(int, printed);

    ScriptedPrinter printer;
    printer.pageHeight = pageHeight;
    printer.height = ::heights(heights);
    const QStringList list = entries(count);
    const CatalogueLayout layout(printer, list, options(exemple, espace, false, taille));
    QCOMPARE(layout.Nb_Pages(), std::optional<qint64>(estimated));
    const CatalogueLayout numbered(printer, list, options(exemple, espace, true, taille));
    QCOMPARE(numbered.Nb_Pages(), std::optional<qint64>(estimated));
    // The estimate opens no document.
    QVERIFY(printer.log.isEmpty());
    QVERIFY(numbered.print(kWhen, kFrench));
    if (printed >= 0)
        QCOMPARE(printer.pagesEnded(), printed);
}

void TestCatalogueLayout::progress_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("printing");
    QTest::addColumn<QList<float>>("reports");

    // Both bars stop one step short of full.
    QTest::newRow("estimate, no entry") << 0 << false << QList<float> { 0 };
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

void TestCatalogueLayout::unmeasurable_data()
{
    QTest::addColumn<QString>("failingFont"); // empty for every font
    QTest::addColumn<double>("failingSize"); // 0 for every size
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
    QTest::addColumn<QString>("header");

    const QDateTime late(QDate(2026, 1, 31), QTime(23, 59, 0));
    const QDateTime midnight(QDate(2027, 8, 15), QTime(0, 0, 9));
    QTest::newRow("date and time")
        << u"Catalogue"_s << true << true << kWhen << u"Catalogue le 5 décembre 2026 à 9:05:07"_s;
    QTest::newRow("date only") << u"Catalogue"_s << true << false << kWhen
                               << u"Catalogue le 5 décembre 2026"_s;
    QTest::newRow("time only") << u"Catalogue"_s << false << true << kWhen
                               << u"Catalogue à 9:05:07"_s;
    QTest::newRow("neither") << u"Catalogue"_s << false << false << kWhen << u"Catalogue"_s;
    QTest::newRow("empty text") << QString() << true << true << kWhen
                                << u" le 5 décembre 2026 à 9:05:07"_s;
    QTest::newRow("two-digit day and hour")
        << u"X"_s << true << true << late << u"X le 31 janvier 2026 à 23:59:00"_s;
    QTest::newRow("midnight") << u"X"_s << true << true << midnight
                              << u"X le 15 août 2027 à 0:00:09"_s;
}

void TestCatalogueLayout::headerText()
{
    QFETCH(QString, text);
    QFETCH(bool, date);
    QFETCH(bool, time);
    QFETCH(QDateTime, when);
    QFETCH(QString, header);

    CatalogueOptions o = options(false, false, false);
    o.TexteEnTete = text;
    o.AvecDate = date;
    o.AvecHeure = time;
    ScriptedPrinter printer;
    QVERIFY(CatalogueLayout(printer, { u"1 Arial"_s }, o).print(when, kFrench));
    QCOMPARE(printer.log.first(), u"print:Arial|15|bi|"_s + header);
}

QTEST_GUILESS_MAIN(TestCatalogueLayout)
#include "tst_cataloguelayout.moc"
