// The printer service measures each face once and gives every size from that measurement: the
// heights must stay those Qt measures on the printer at that size, for every font of the
// machine, but for Qt's rounding: at small sizes its ascent and descent are each rounded up to
// a whole device pixel (two pixels at most), and at large sizes some faces measure a little
// off proportion (0.14 % seen at 500 points). Estimate and printing run both use the derived
// heights, so the estimate still gives the printed page count. Faces are measured from their
// own files where the font list tells which face Qt would load: those lines must be, at any
// size, the very ascent and height Qt's own engine gives on the printer.
#include "fonts/FaceLoading.h"
#include "fonts/FontCensus.h"
#include "fonts/FontFaces.h"
#include "printer/QtPrinterService.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <latch>
#include <optional>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

void addSampleSizes()
{
    QTest::addColumn<double>("points");
    QTest::newRow("1 point") << 1.0;
    QTest::newRow("12 points") << 12.0;
    QTest::newRow("14.5 points") << 14.5;
    QTest::newRow("100 points, the measuring size") << 100.0;
    QTest::newRow("500 points") << 500.0;
    QTest::newRow("2048 points") << 2048.0;
}

std::optional<FontFaces::Line> agreedLine(FontFaces &faces, const QString &family, double pixelSize)
{
    std::optional<FontFaces::Line> agreed;
    for (const FontFaces::Face &face : faces.regularFaces(family)) {
        const auto wholePixels = faces.wholePixels(face, pixelSize);
        const auto line = wholePixels ? faces.measure(face, pixelSize, *wholePixels) : std::nullopt;
        if (!line || (agreed && (agreed->ascent != line->ascent || agreed->height != line->height)))
            return std::nullopt;
        agreed = line;
    }
    return agreed;
}

} // namespace

class TestFaceMetrics : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void heightsAtAnySizeMatchAFreshMeasurement_data() { addSampleSizes(); }

    void heightsAtAnySizeMatchAFreshMeasurement()
    {
        QFETCH(double, points);
        QTemporaryDir dir;
        QtPrinterService printer(dir.path(), QString());
        // A printer with the service's own page and resolution, to measure on afresh.
        QPrinter device(QPrinter::HighResolution);
        device.setOutputFormat(QPrinter::PdfFormat);
        device.setPageLayout(*printer.previewLayout());
        const double twipsPerPixel = 1440.0 / device.resolution();
        const double pixelSize
            = std::round(std::floor(points * device.logicalDpiY() / 72.0 * 100 + 0.5) / 100);
        FontFaces faces;
        const QStringList families = FontCensus::families();
        QVERIFY(!families.isEmpty());
        double worstExcess = -1;
        QString worstFamily;
        QStringList measuredOtherwise;
        for (const QString &family : families) {
            printer.setFontName(family);
            printer.setFontSize(points);
            const double served = printer.TextHeight(u"Test"_s);
            QFont font(family);
            font.setStyleStrategy(QFont::NoFontMerging);
            font.setPointSizeF(points);
            const QFontMetricsF metrics(font, &device);
            const auto line = agreedLine(faces, family, pixelSize);
            if (line && (line->ascent != metrics.ascent() || line->height != metrics.height()))
                measuredOtherwise.append(family);
            const double fresh = metrics.height() * twipsPerPixel;
            // Qt's own metrics overflow past about 20,000 device pixels (a face with tall
            // stacks at 500 points): nothing fresh to compare with there.
            if (fresh <= 0 || fresh / twipsPerPixel > 16000)
                continue;
            const double allowedPixels = 2.5 + 0.0025 * fresh / twipsPerPixel;
            const double excess = qAbs(served - fresh) / twipsPerPixel - allowedPixels;
            if (excess > worstExcess) {
                worstExcess = excess;
                worstFamily = family;
            }
        }
        QVERIFY2(measuredOtherwise.isEmpty(), qPrintable(measuredOtherwise.join(u", ")));
        QVERIFY2(worstExcess <= 0,
            qPrintable(u"%1 device pixels beyond the rounding for %2"_s.arg(worstExcess)
                           .arg(worstFamily)));
    }

    // The font list read on a thread of its own gives the faces of the list read when first
    // asked for, even while a catalogue is drawn; one never asked for ends with its reader.
    void aFontListReadAheadIsTheListReadWhenAsked()
    {
        {
            FontFaces dropped;
            dropped.readAhead();
        }
        std::latch drawingBegun(1);
        std::thread drawing([&drawingBegun] {
            const FaceLoadingWithoutMatch lineDrawn;
            drawingBegun.count_down();
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        });
        drawingBegun.wait();
        FontFaces ahead;
        ahead.readAhead();
        drawing.join();
        FontFaces asked;
        const QStringList families = FontCensus::families();
        QVERIFY(!families.isEmpty());
        for (const QString &family : families) {
            QStringList aheadFiles;
            for (const FontFaces::Face &face : ahead.regularFaces(family))
                aheadFiles.append(
                    QString::fromLocal8Bit(face.file) + u'#' + QString::number(face.index));
            QStringList askedFiles;
            for (const FontFaces::Face &face : asked.regularFaces(family))
                askedFiles.append(
                    QString::fromLocal8Bit(face.file) + u'#' + QString::number(face.index));
            QCOMPARE(aheadFiles, askedFiles);
        }
    }

    // Read ahead on several threads, or one by one as the estimate comes to them, each font
    // gets the same line, and the lines read ahead are kept for the next run.
    void readAheadGivesTheHeightsOfOneByOne()
    {
        QTemporaryDir dir;
        const QString cache = dir.filePath(u"metrics.cache"_s);
        const QStringList families = FontCensus::families();
        QVERIFY(!families.isEmpty());
        auto ahead = std::make_unique<QtPrinterService>(dir.path(), cache);
        ahead->setFontSize(12);
        // The items read ahead are the family names themselves.
        ahead->prepareFonts(
            families, [](const QString &family) { return family; }, [] { return true; });
        QtPrinterService alone(dir.path(), QString());
        alone.setFontSize(12);
        for (const QString &family : families) {
            ahead->setFontName(family);
            alone.setFontName(family);
            QCOMPARE(ahead->TextHeight(family), alone.TextHeight(family));
        }
        ahead.reset();
        QtPrinterService nextRun(dir.path(), cache);
        nextRun.setFontSize(12);
        for (const QString &family : families) {
            nextRun.setFontName(family);
            alone.setFontName(family);
            QCOMPARE(nextRun.TextHeight(family), alone.TextHeight(family));
        }
    }
};

int main(int argc, char **argv)
{
    qputenv("CUPS_SERVER", "/nonexistent/typovise.sock");
    QGuiApplication app(argc, argv);
    TestFaceMetrics test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_facemetrics.moc"
