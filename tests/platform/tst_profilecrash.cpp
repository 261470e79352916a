// A writer process killed with SIGKILL at random moments, again and again: after every kill
// the settings file must be whole, holding for the key being written either its old or its new
// value and every other line exactly as before.
#include "CrashWriterFile.h"
#include "platform/ProfileFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

constexpr int kKeys = 12;
constexpr int kKills = 200;
constexpr quint32 kSeed = 20261207;

} // namespace

class TestProfileCrash : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void killedWriterLeavesAWholeFile();
};

void TestProfileCrash::killedWriterLeavesAWholeFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"Typovise.ini"_s);
    QList<qint64> rounds(kKeys, 0);
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(CrashWriterFile::bytesFor(rounds));
    }

    // Fixed, and printed, so that a failure can be run again kill for kill.
    qInfo("random seed %u", kSeed);
    QRandomGenerator random(kSeed);
    QElapsedTimer clock;
    clock.start();
    qint64 writes = 0;
    int killedMidRound = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        QProcess writer;
        writer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        writer.start(QStringLiteral(TYPOVISE_PROFILE_WRITER), { path, QString::number(kKeys) });
        QVERIFY2(writer.waitForStarted(), qPrintable(writer.errorString()));
        std::this_thread::sleep_for(std::chrono::microseconds(random.bounded(2000, 40000)));
        // A writer that stopped by itself failed a write: that is a fault too.
        QCOMPARE(writer.state(), QProcess::Running);
        writer.kill();
        QVERIFY(writer.waitForFinished());
        QCOMPARE(writer.exitStatus(), QProcess::CrashExit);

        // Keys before the cut hold the new round, the others the old one, and the file is
        // exactly what that state writes: nothing truncated, mixed or lost.
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const ProfileDocument doc = ProfileDocument::fromBytes(bytes);
        QList<qint64> now;
        for (int k = 0; k < kKeys; ++k) {
            const std::optional<QString> value
                = doc.value(CrashWriterFile::kSection, CrashWriterFile::keyName(k));
            QVERIFY2(value, qPrintable(u"kill %1: key %2 missing"_s.arg(kill).arg(k)));
            now.append(value->section(u' ', 0, 0).toLongLong());
        }
        for (int k = 1; k < kKeys; ++k) {
            QVERIFY2(now[k] == now[0] || now[k] == now[0] - 1,
                qPrintable(
                    u"kill %1: key %2 at round %3, key 0 at %4"_s.arg(kill).arg(k).arg(now[k]).arg(
                        now[0])));
            QVERIFY2(now[k] <= now[k - 1], qPrintable(u"kill %1: keys out of order"_s.arg(kill)));
        }
        QVERIFY2(bytes == CrashWriterFile::bytesFor(now),
            qPrintable(u"kill %1: the file differs from its state's bytes"_s.arg(kill)));

        qint64 total = 0;
        for (int k = 0; k < kKeys; ++k)
            total += now[k] - rounds[k];
        QVERIFY(total >= 0);
        writes += total;
        if (now.first() != now.last())
            ++killedMidRound;
        rounds = now;
    }
    const QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    qInfo("%d kills in %lld ms, %lld writes completed between them, %d kills within a round; "
          "files left: %s",
        kKills, clock.elapsed(), writes, killedMidRound, qPrintable(left.join(u", ")));
    // Without writes between the kills the test would prove nothing.
    QVERIFY(writes > kKills);
    QCOMPARE(ProfileFile::readString(path, u"En-Tête", u"Texte", QString()), u"Catalogue été"_s);
}

QTEST_GUILESS_MAIN(TestProfileCrash)
#include "tst_profilecrash.moc"
