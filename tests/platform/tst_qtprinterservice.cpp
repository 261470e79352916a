#include "platform/QtPrinterService.h"

#include <QFontMetricsF>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Choice
{
    QString name;
    double size;
    bool bold;
    bool italic;
};

// The height of one line in that face on a printer of the service's resolution, measured
// afresh, in twips (for sizes that Qt measures without scaling).
double freshHeight(const Choice &choice, double askedSize)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    QFont font(choice.name);
    font.setPointSizeF(PrinterService::usableSize(askedSize));
    font.setBold(choice.bold);
    font.setItalic(choice.italic);
    return QFontMetricsF(font, &printer).height() * 1440.0 / printer.resolution();
}

} // namespace

class TestQtPrinterService : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void remembersEachChoiceApart();
    void printableHeightStaysPut();
};

// The service remembers what it measured; whatever order the choices come in, each one must
// still give its own face's height, never the one measured just before.
void TestQtPrinterService::remembersEachChoiceApart()
{
    QTemporaryDir dir;
    QtPrinterService service(dir.path());
    QVERIFY(service.FontCount() > 0);
    const QString other = service.Fonts(service.FontCount() - 1);
    const QList<Choice> choices { { u"Arial"_qs, 12, false, false },
        { u"Arial"_qs, 12, true, false }, { u"Arial"_qs, 12, false, true },
        { u"Arial"_qs, 15, true, true }, { u"Arial"_qs, 10, false, false },
        { other, 12, false, false }, { other, 72, false, false }, { other, 0, false, false },
        { u"Arial"_qs, 400, false, false } };

    for (int round = 0; round < 3; ++round) {
        for (int k = 0; k < choices.size(); ++k) {
            // Walk the choices forwards, then backwards, then skipping, so that every
            // lookup follows a different neighbour.
            const Choice &c = choices.at(
                round == 1 ? choices.size() - 1 - k : (round == 2 ? (k * 4) % choices.size() : k));
            service.setFontName(c.name);
            service.setFontSize(c.size);
            service.setFontBold(c.bold);
            service.setFontItalic(c.italic);
            const double measured = service.TextHeight(u"Test"_qs);
            QVERIFY2(measured > 0, qPrintable(c.name));
            QCOMPARE(measured, freshHeight(c, c.size));
        }
    }
    // In twips: a 12-point line is about a sixth of an inch. A size below the smallest one is
    // measured as the smallest.
    service.setFontName(u"Liberation Sans"_qs);
    service.setFontBold(false);
    service.setFontItalic(false);
    service.setFontSize(12);
    const double line = service.TextHeight(u"Test"_qs);
    QVERIFY2(line > 200 && line < 400, qPrintable(QString::number(line)));
    service.setFontSize(-5);
    const double smallest = service.TextHeight(u"Test"_qs);
    QVERIFY(smallest > 0 && smallest < line);
    service.setFontSize(PrinterService::kSmallestSize);
    QCOMPARE(service.TextHeight(u"Test"_qs), smallest);
}

void TestQtPrinterService::printableHeightStaysPut()
{
    QTemporaryDir dir;
    QtPrinterService service(dir.path());
    const double first = service.ScaleHeight();
    QVERIFY(first > 1440);
    service.setFontSize(30);
    QVERIFY(service.Print(u"Test"_qs));
    QVERIFY(service.NewPage());
    QCOMPARE(service.ScaleHeight(), first);
    service.AbortDoc();
}

QTEST_MAIN(TestQtPrinterService)
#include "tst_qtprinterservice.moc"
