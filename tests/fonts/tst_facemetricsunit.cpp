// The face metrics on their own, on plain images of known resolutions: a line's ascent is in
// the device's pixels, so a device of another resolution must never be served the lines
// measured for the one before it.
#include "fonts/FaceMetrics.h"

#include "Files.h"

#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QImage deviceAt(int dpi)
{
    QImage image(8, 8, QImage::Format_RGB32);
    const int dotsPerMeter = int(std::lround(dpi / 0.0254));
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    return image;
}

} // namespace

class TestFaceMetricsUnit : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void anotherResolutionIsMeasuredAfresh_data()
    {
        QTest::addColumn<QString>("family");
        QTest::addColumn<bool>("bold");
        QTest::newRow("a regular face, read from its file") << u"Liberation Sans"_s << false;
        QTest::newRow("a bold face, measured by Qt") << u"Liberation Serif"_s << true;
    }

    void anotherResolutionIsMeasuredAfresh()
    {
        QFETCH(QString, family);
        QFETCH(bool, bold);
        const FontChoice choice { family, 24, bold, false };
        const QImage fine = deviceAt(1200);
        const QImage coarse = deviceAt(600);

        FaceMetrics switched({});
        switched.measureFor(&fine, 1200);
        const FaceMetrics::Line onFine = switched.line(choice);
        switched.measureFor(&coarse, 600);
        const FaceMetrics::Line afterSwitch = switched.line(choice);

        FaceMetrics fresh({});
        fresh.measureFor(&coarse, 600);
        const FaceMetrics::Line onCoarse = fresh.line(choice);

        QVERIFY(onFine.height > 0);
        QCOMPARE(afterSwitch.height, onCoarse.height);
        QCOMPARE(afterSwitch.ascentPerPoint, onCoarse.ascentPerPoint);
        // Half the pixels for the same points: the test sees a stale line if one is served.
        QVERIFY(std::abs(onFine.ascentPerPoint - 2 * onCoarse.ascentPerPoint) < 0.1);
    }

    // The cache's folder cannot be made: a file stands where it should be.
    void anUnwritableCacheFolderCostsOnlyTheSaving()
    {
        QTemporaryDir dir;
        const QString blocker = dir.filePath(u"cache"_s);
        QVERIFY(writeFileBytes(blocker, "not a folder"_ba));
        const QString cachePath = blocker + u"/Typovise/metrics.cache"_s;
        const FontChoice choice { u"Liberation Sans"_s, 12, false, false };
        const QImage device = deviceAt(1200);
        FaceMetrics uncached({});
        uncached.measureFor(&device, 1200);

        FaceMetrics blocked(cachePath);
        blocked.measureFor(&device, 1200);

        QCOMPARE(blocked.line(choice).height, uncached.line(choice).height);
        QVERIFY(!blocked.save());
        QVERIFY(QFileInfo(blocker).isFile());
    }
};

QTEST_MAIN(TestFaceMetricsUnit)
#include "tst_facemetricsunit.moc"
