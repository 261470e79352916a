// Runs itself as two processes that save the cache at the same moment.
#include "platform/MetricsCache.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace Qt::StringLiterals;

namespace {

constexpr int kWriterEntries = 300;

MetricsCache::Key keyNumbered(int n)
{
    return { "/fonts/face.ttf", n, 1000, 1, 1200, 1667 };
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
    void aChangedFontFileIsMeasuredAgain_data()
    {
        QTest::addColumn<QByteArray>("newContent");
        QTest::newRow("rewritten with other data") << "other font data, longer"_ba;
        QTest::newRow("rewritten with data of the same size") << "FONT DATA"_ba;
    }

    void aChangedFontFileIsMeasuredAgain()
    {
        QFETCH(QByteArray, newContent);
        QTemporaryDir dir;
        const QString font = dir.filePath(u"face.ttf"_s);
        QFile file(font);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("font data") > 0);
        file.close();
        const QByteArray path = QFile::encodeName(font);
        MetricsCache cache(dir.filePath(u"metrics.cache"_s));
        cache.insert(*MetricsCache::keyOf(path, 0, 1200, 1667), { 10, 12 });
        QVERIFY(cache.save());
        QTest::qWait(10); // a modification time of its own even on a coarse clock
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(newContent) > 0);
        file.close();
        MetricsCache later(dir.filePath(u"metrics.cache"_s));
        QVERIFY(!later.find(*MetricsCache::keyOf(path, 0, 1200, 1667)));
    }

    void aDamagedFileIsIgnoredAndRewritten_data()
    {
        QTest::addColumn<int>("keptBytes");
        QTest::addColumn<QByteArray>("replacement");
        QTest::addColumn<bool>("restKept");
        QTest::newRow("cut short") << 100 << QByteArray() << false;
        QTest::newRow("one byte changed") << 60 << "!"_ba << true;
        QTest::newRow("another program's file") << 0 << "[General]\nkey=value\n"_ba << false;
        QTest::newRow("empty") << 0 << QByteArray() << false;
    }

    void aDamagedFileIsIgnoredAndRewritten()
    {
        QFETCH(int, keptBytes);
        QFETCH(QByteArray, replacement);
        QFETCH(bool, restKept);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"metrics.cache"_s);
        QVERIFY(saveNumbered(path, 0));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        const QByteArray whole = file.readAll();
        QVERIFY(file.resize(0) && file.seek(0));
        const QByteArray rest = restKept ? whole.mid(keptBytes + replacement.size()) : QByteArray();
        file.write(whole.first(keptBytes) + replacement + rest);
        file.close();
        MetricsCache damaged(path);
        QVERIFY(!damaged.find(keyNumbered(0)));
        damaged.insert(keyNumbered(0), { 10, 12 });
        QVERIFY(damaged.save());
        MetricsCache rewritten(path);
        QVERIFY(rewritten.find(keyNumbered(0)));
    }

    void anUnwritableFolderOnlyCostsSpeed_data()
    {
        QTest::addColumn<QString>("cacheInDir");
        QTest::newRow("folder that is a file") << u"file/metrics.cache"_s;
        QTest::newRow("cache file that is a folder") << u"folder"_s;
    }

    void anUnwritableFolderOnlyCostsSpeed()
    {
        QFETCH(QString, cacheInDir);
        QTemporaryDir dir;
        QFile file(dir.filePath(u"file"_s));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(QDir(dir.path()).mkdir(u"folder"_s));
        MetricsCache cache(dir.filePath(cacheInDir));
        QVERIFY(!cache.find(keyNumbered(0)));
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
    if (!writerPath.isEmpty()) {
        const qint64 moment = qEnvironmentVariable("TYPOVISE_CACHE_AT").toLongLong();
        while (QDateTime::currentMSecsSinceEpoch() < moment)
            QThread::usleep(100);
        return saveNumbered(writerPath, qEnvironmentVariableIntValue("TYPOVISE_CACHE_FIRST")) ? 0
                                                                                              : 1;
    }
    TestMetricsCache test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_metricscache.moc"
