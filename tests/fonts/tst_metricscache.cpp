// The metrics cache kept between sessions: a measurement it gives back must still be the font
// file's, and a damaged file costs only the time to measure again.
#include "Files.h"
#include "fonts/MetricsCache.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// An entry of a file that exists, as those of removed fonts are dropped.
MetricsCache::Key keyNumbered(int n)
{
    const QByteArray file = QFile::encodeName(QCoreApplication::applicationFilePath());
    return *MetricsCache::keyOf(file, n, 1200, 1667);
}

bool saveNumbered(const QString &path, int count)
{
    MetricsCache cache(path);
    for (int n = 0; n < count; ++n)
        cache.insert(keyNumbered(n), { 10, 12 });
    return cache.save();
}

} // namespace

class TestMetricsCache : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Rewritten with data of the same size, the file differs only in its modification time.
    void aChangedFontFileIsMeasuredAgain()
    {
        QTemporaryDir dir;
        const QString font = dir.filePath(u"face.ttf"_s);
        QVERIFY(writeFileBytes(font, "font data"_ba));
        MetricsCache cache(dir.filePath(u"metrics.cache"_s));
        cache.insert(*MetricsCache::keyOf(QFile::encodeName(font), 0, 1200, 1667), { 10, 12 });
        QVERIFY(cache.save());
        QTest::qWait(10); // a modification time of its own even on a coarse clock
        QVERIFY(writeFileBytes(font, "FONT DATA"_ba));
        MetricsCache later(dir.filePath(u"metrics.cache"_s));
        QVERIFY(!later.find(*MetricsCache::keyOf(QFile::encodeName(font), 0, 1200, 1667)));
    }

    void aDamagedFileIsIgnoredAndRewritten_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTemporaryDir dir;
        const QString path = dir.filePath(u"metrics.cache"_s);
        QVERIFY(saveNumbered(path, 300));
        const QByteArray whole = fileBytes(path);
        QTest::newRow("cut short") << whole.first(100);
        QTest::newRow("one byte changed") << whole.first(60) + '\xff' + whole.mid(61);
        QTest::newRow("another program's file") << "[General]\nkey=value\n"_ba;
    }

    void aDamagedFileIsIgnoredAndRewritten()
    {
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"metrics.cache"_s);
        QVERIFY(writeFileBytes(path, content));
        MetricsCache damaged(path);
        QVERIFY(!damaged.find(keyNumbered(0)));
        damaged.insert(keyNumbered(0), { 10, 12 });
        QVERIFY(damaged.save());
        QVERIFY(MetricsCache(path).find(keyNumbered(0)));
    }
};

QTEST_MAIN(TestMetricsCache)
#include "tst_metricscache.moc"
