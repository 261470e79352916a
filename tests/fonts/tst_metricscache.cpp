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
    // A line measured from a face's file, or one Qt measured choosing among several faces,
    // stays for the next session only as long as every one of those faces does. A face is
    // rewritten with data of the same size: only its modification time differs.
    void aLineIsKeptWhileItsFacesStay_data()
    {
        QTest::addColumn<bool>("qtsChoice");
        QTest::addColumn<int>("rewritten");
        QTest::addColumn<bool>("kept");
        QTest::newRow("one face's line, the face rewritten: measured again") << false << 0 << false;
        QTest::newRow("Qt's choice, the faces as they were: kept") << true << -1 << true;
        QTest::newRow("Qt's choice, the first face rewritten: measured again") << true << 0 << false;
        QTest::newRow("Qt's choice, another face rewritten: measured again") << true << 1 << false;
    }

    void aLineIsKeptWhileItsFacesStay()
    {
        QFETCH(bool, qtsChoice);
        QFETCH(int, rewritten);
        QFETCH(bool, kept);
        QTemporaryDir dir;
        const QList<QString> fonts { dir.filePath(u"one.ttf"_s), dir.filePath(u"two.otf"_s) };
        QList<std::pair<QByteArray, int>> faces;
        for (const QString &font : fonts) {
            QVERIFY(writeFileBytes(font, "font data"_ba));
            faces.append({ QFile::encodeName(font), 0 });
        }
        const QString path = dir.filePath(u"metrics.cache"_s);
        const auto keyNow = [&faces, qtsChoice] {
            return qtsChoice ? MetricsCache::keyOfChoiceAmong(faces, u"Twin"_s, 1200, 100)
                             : MetricsCache::keyOf(faces.first().first, 0, 1200, 100);
        };
        const auto key = keyNow();
        QVERIFY(key);
        MetricsCache cache(path);
        cache.insert(*key, { 10, 12 });
        QVERIFY(cache.save());
        if (rewritten >= 0) {
            QTest::qWait(10);
            QVERIFY(writeFileBytes(fonts.at(rewritten), "FONT DATA"_ba));
        }

        MetricsCache later(path);
        const auto now = keyNow();
        QVERIFY(now);
        QCOMPARE(later.find(*now).has_value(), kept);
        // Neither the first face measured alone nor another name meets Qt's choice.
        if (qtsChoice) {
            QVERIFY(!later.find(*MetricsCache::keyOf(faces.first().first, 0, 1200, 100)));
            QVERIFY(!later.find(*MetricsCache::keyOfChoiceAmong(faces, u"Other"_s, 1200, 100)));
        }
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
