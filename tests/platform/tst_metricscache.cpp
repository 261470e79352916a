// Runs itself as two processes that save the cache at the same moment.
#include "Files.h"
#include "platform/MetricsCache.h"

#include <QDateTime>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace Qt::StringLiterals;

namespace {

constexpr int kWriterEntries = 300;

// An entry of a file that exists, as those of removed fonts are dropped.
MetricsCache::Key keyNumbered(int n)
{
    const QByteArray file = QFile::encodeName(QCoreApplication::applicationFilePath());
    return *MetricsCache::keyOf(file, n, 1200, 1667);
}

bool saveNumbered(const QString &path, int first)
{
    MetricsCache cache(path);
    for (int n = first; n < first + kWriterEntries; ++n)
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
        QVERIFY(saveNumbered(path, 0));
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

    // A cache folder that is a file: the save fails, the measurement stays for the session.
    void anUnwritableFolderOnlyCostsSpeed()
    {
        QTemporaryDir dir;
        QVERIFY(writeFileBytes(dir.filePath(u"file"_s), "not a folder"_ba));
        MetricsCache cache(dir.filePath(u"file/metrics.cache"_s));
        cache.insert(keyNumbered(0), { 10, 12 });
        QVERIFY(!cache.save());
        QCOMPARE(cache.find(keyNumbered(0))->height, 12.0);
    }

    void twoProcessesSavingAtOnceKeepBoth()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"metrics.cache"_s);
        const qint64 moment = QDateTime::currentMSecsSinceEpoch() + 500;
        QProcess writers[2];
        for (int i = 0; i < 2; ++i) {
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(u"TYPOVISE_CACHE_WRITER"_s, path);
            environment.insert(u"TYPOVISE_CACHE_FIRST"_s, QString::number(i * kWriterEntries));
            environment.insert(u"TYPOVISE_CACHE_AT"_s, QString::number(moment));
            writers[i].setProcessEnvironment(environment);
            writers[i].start(QCoreApplication::applicationFilePath());
        }
        for (QProcess &writer : writers) {
            QVERIFY(writer.waitForFinished());
            QCOMPARE(writer.exitCode(), 0);
        }
        MetricsCache both(path);
        QVERIFY(both.find(keyNumbered(0)));
        QVERIFY(both.find(keyNumbered(2 * kWriterEntries - 1)));
    }
};

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QString writerPath = qEnvironmentVariable("TYPOVISE_CACHE_WRITER");
    if (writerPath.isEmpty()) {
        TestMetricsCache test;
        return QTest::qExec(&test, argc, argv);
    }
    const qint64 moment = qEnvironmentVariable("TYPOVISE_CACHE_AT").toLongLong();
    while (QDateTime::currentMSecsSinceEpoch() < moment)
        QThread::usleep(100);
    return saveNumbered(writerPath, qEnvironmentVariableIntValue("TYPOVISE_CACHE_FIRST")) ? 0 : 1;
}
#include "tst_metricscache.moc"
