// The page layout and the printing run on a scripted printer whose lines are 20 twips a point:
// the header line (Arial 15) is 300 twips, the blank and spacing lines (Arial 10) 200, a name
// line (Arial 12) 240.
#include "ScriptedPrinter.h"
#include "printing/CatalogueLayout.h"

#include <QDateTime>
#include <QLocale>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QDateTime kWhen(QDate(2026, 12, 5), QTime(9, 5, 7));

CatalogueOptions namesOnly()
{
    CatalogueOptions options;
    options.TaillePolice = 14;
    options.LignesExemple = { QString(), u"Portez"_s, u"ABC"_s };
    options.TexteEnTete = u"Cat"_s;
    return options;
}

// Entries numbered as the main window numbers them: zero-padded to the width of the count.
QStringList numberedEntries(int count)
{
    const int width = int(QString::number(count).size());
    QStringList entries;
    for (int i = 1; i <= count; ++i)
        entries.append(u"%1 F"_s.arg(i, width, 10, QChar(u'0')));
    return entries;
}

} // namespace

class TestCatalogueLayout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void linesInPrintingOrder_data()
    {
        QTest::addColumn<bool>("samples");
        QTest::addColumn<bool>("spacing");
        QTest::addColumn<bool>("numbers");
        QTest::addColumn<QStringList>("printed");
        QTest::newRow("each name is followed by its samples in its own font")
            << true << false << false
            << QStringList { u"print:Arial|15|bi|Cat"_s, u"print:Arial|10||"_s,
                   u"print:Arial|12||Alpha"_s, u"print:Alpha|14||Portez"_s,
                   u"print:Alpha|14||ABC"_s, u"print:Arial|12||Beta Sans"_s,
                   u"print:Beta Sans|14||Portez"_s, u"print:Beta Sans|14||ABC"_s, u"enddoc"_s };
        QTest::newRow("numbers keep the entry's number field, spacing goes between entries")
            << false << true << true
            << QStringList { u"print:Arial|15|bi|Cat"_s, u"print:Arial|10||"_s,
                   u"print:Arial|12||1 Alpha"_s, u"print:Arial|10||"_s,
                   u"print:Arial|12||1000 Beta Sans"_s, u"enddoc"_s };
    }
    void linesInPrintingOrder()
    {
        QFETCH(bool, samples);
        QFETCH(bool, spacing);
        QFETCH(bool, numbers);
        QFETCH(QStringList, printed);
        CatalogueOptions options = namesOnly();
        options.AvecExemple = samples;
        options.EspacePolices = spacing;
        options.AvecNumero = numbers;
        ScriptedPrinter printer;
        const QStringList entries { u"1 Alpha"_s, u"1000 Beta Sans"_s };
        QVERIFY(CatalogueLayout(printer, entries, options).print(kWhen, QLocale::c()));
        QCOMPARE(printer.log, printed);
        QCOMPARE(printer.documentTitle, u"Cat"_s);
        const QList<std::pair<QString, int>> marks { { numbers ? u"1 Alpha"_s : u"Alpha"_s, 0 },
            { numbers ? u"1000 Beta Sans"_s : u"Beta Sans"_s, 0 } };
        QCOMPARE(printer.marks, marks);
    }

    void estimateAgainstPrintedPages_data()
    {
        QTest::addColumn<int>("entries");
        QTest::addColumn<bool>("samples");
        QTest::addColumn<bool>("spacing");
        QTest::addColumn<double>("size");
        QTest::addColumn<double>("pageHeight");
        QTest::addColumn<qint64>("estimated");
        QTest::addColumn<int>("printed");
        QTest::newRow("names that fill the page exactly")
            << 3 << false << false << 12.0 << 1220.0 << qint64(1) << 1;
        QTest::newRow("names one twip taller than the page")
            << 3 << false << false << 12.0 << 1219.0 << qint64(2) << 2;
        QTest::newRow("a spacing line after the last entry is counted, never printed")
            << 2 << false << true << 12.0 << 1300.0 << qint64(2) << 1;
        QTest::newRow("forty thousand blocks taller than the page, one page each")
            << 40000 << true << false << 2048.0 << 15840.0 << qint64(40001) << 40001;
        QTest::newRow("no entry: one page estimated, nothing printed")
            << 0 << true << true << 12.0 << 15840.0 << qint64(1) << 0;
    }
    // Numbers lengthen no line, so they never change the count.
    void estimateAgainstPrintedPages()
    {
        QFETCH(int, entries);
        QFETCH(bool, samples);
        QFETCH(bool, spacing);
        QFETCH(double, size);
        QFETCH(double, pageHeight);
        QFETCH(qint64, estimated);
        QFETCH(int, printed);
        CatalogueOptions options = namesOnly();
        options.AvecExemple = samples;
        options.EspacePolices = spacing;
        options.TaillePolice = size;
        ScriptedPrinter printer;
        printer.pageHeight = pageHeight;
        const CatalogueLayout layout(printer, numberedEntries(entries), options);
        QCOMPARE(layout.Nb_Pages(), std::optional(estimated));
        options.AvecNumero = true;
        QCOMPARE(CatalogueLayout(printer, numberedEntries(entries), options).Nb_Pages(),
            std::optional(estimated));
        QVERIFY(printer.log.isEmpty()); // an estimate opens no document
        QCOMPARE(layout.print(kWhen, QLocale::c()), entries > 0);
        QCOMPARE(printer.pagesEnded(), printed);
        // One outline entry per font; the last one opens the last page.
        QCOMPARE(printer.marks.size(), entries);
        if (entries > 0)
            QCOMPARE(printer.marks.last().second, printed - 1);
    }
};

QTEST_GUILESS_MAIN(TestCatalogueLayout)
#include "tst_cataloguelayout.moc"
