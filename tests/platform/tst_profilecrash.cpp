// A writer killed with SIGKILL at random moments, again and again: after each kill the settings
// file must be whole, every key at its old or its new value, every other line as it was.
#include "platform/ProfileFile.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdlib>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

constexpr int kKeys = 12;
const QString kSection = u"Écriture"_s;

QString keyName(int k)
{
    return u"Clé_%1°"_s.arg(k);
}

// The round first, so that a number read tells it; then texts of two lengths by turns.
QString valueFor(int k, qint64 round)
{
    return QString::number(round) + u' ' + QString(round % 2 ? 300 + k : 700 - k, u'ê');
}

// What the file must hold, byte for byte, once key k has been written for its round.
QByteArray bytesFor(const QList<qint64> &rounds)
{
    QString text
        = u"; ancien programme\r\n[En-Tête]\r\nTexte=été\r\n\r\n["_s + kSection + u"]\r\n"_s;
    for (int k = 0; k < rounds.size(); ++k)
        text += keyName(k) + u'=' + valueFor(k, rounds[k]) + u"\r\n"_s;
    return (text + u"\r\n[Fin]\r\nDernière=ô\r\n"_s).toLatin1();
}

QList<qint64> roundsIn(const QString &path)
{
    QList<qint64> rounds;
    for (int k = 0; k < kKeys; ++k)
        rounds << ProfileFile::readInt(path, kSection, keyName(k), -1);
    return rounds;
}

// The writer: carries on from the first key that lags behind key 0.
[[noreturn]] void writeForever(const QString &path)
{
    const QList<qint64> rounds = roundsIn(path);
    int k = int(std::find(rounds.begin(), rounds.end(), rounds[0] - 1) - rounds.begin()) % kKeys;
    for (qint64 round = rounds[0] + (k == 0);; k = (k + 1) % kKeys, round += (k == 0)) {
        if (!ProfileFile::writeString(path, kSection, keyName(k), valueFor(k, round)))
            std::exit(4);
    }
}

} // namespace

class TestProfileCrash : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void killedWriterLeavesAWholeFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"Typovise.ini"_s);
        QList<qint64> rounds(kKeys, 0);
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytesFor(rounds)) > 0);
        f.close();
        QRandomGenerator random(20261207);
        qint64 writes = 0;
        for (int kill = 0; kill < 200; ++kill) {
            QProcess writer;
            writer.start(QCoreApplication::applicationFilePath(), { u"--write"_s, path });
            QVERIFY(writer.waitForStarted());
            std::this_thread::sleep_for(std::chrono::microseconds(random.bounded(2000, 40000)));
            QCOMPARE(writer.state(), QProcess::Running); // a failed write ends it
            writer.kill();
            QVERIFY(writer.waitForFinished());
            const QList<qint64> now = roundsIn(path);
            for (int k = 1; k < kKeys; ++k)
                QVERIFY2(now[k] <= now[k - 1] && now[k] >= now[0] - 1,
                    qPrintable(u"kill %1"_s.arg(kill)));
            QVERIFY(f.open(QIODevice::ReadOnly));
            QVERIFY2(f.readAll() == bytesFor(now), qPrintable(u"kill %1"_s.arg(kill)));
            f.close();
            for (int k = 0; k < kKeys; ++k)
                writes += now[k] - rounds[k];
            rounds = now;
        }
        QVERIFY(writes > 200); // else the kills came too soon to prove anything
    }
};

int main(int argc, char **argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--write") == 0)
        writeForever(QString::fromLocal8Bit(argv[2]));
    QCoreApplication app(argc, argv);
    TestProfileCrash test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_profilecrash.moc"
