// A writer killed with SIGKILL at random moments, again and again: after each kill the file
// must be whole, holding its old or its new value and every other line as it was.
#include "platform/ProfileFile.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

// The round first, so that a number read tells it; then texts of two lengths by turns.
QString valueFor(qint64 round)
{
    return QString::number(round) + u' ' + QString(round % 2 ? 300 : 700, u'ê');
}

QByteArray bytesFor(qint64 round)
{
    return u"; ancien\r\n[En-Tête]\r\nTexte=été\r\n\r\n[Écriture]\r\nClé=%1\r\n[Fin]\r\nA=ô\r\n"_s
        .arg(valueFor(round))
        .toLatin1();
}

qint64 roundIn(const QString &path)
{
    return ProfileFile::readInt(path, u"Écriture", u"Clé", -1);
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
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytesFor(0)) > 0);
        f.close();
        QRandomGenerator random(20261207);
        for (int kill = 0; kill < 200; ++kill) {
            QProcess writer;
            writer.start(QCoreApplication::applicationFilePath(), { u"--write"_s, path });
            QVERIFY(writer.waitForStarted());
            std::this_thread::sleep_for(std::chrono::microseconds(random.bounded(2000, 40000)));
            QCOMPARE(writer.state(), QProcess::Running); // a failed write ends it
            writer.kill();
            QVERIFY(writer.waitForFinished());
            QVERIFY(f.open(QIODevice::ReadOnly));
            QVERIFY2(f.readAll() == bytesFor(roundIn(path)), qPrintable(u"kill %1"_s.arg(kill)));
            f.close();
        }
        QVERIFY(roundIn(path) > 200); // else the kills came too soon to prove anything
    }
};

int main(int argc, char **argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--write") == 0) { // the writer, carrying on the rounds
        const QString path = QString::fromLocal8Bit(argv[2]);
        for (qint64 round = roundIn(path) + 1;; ++round) {
            if (!ProfileFile::writeString(path, u"Écriture", u"Clé", valueFor(round)))
                return 4;
        }
    }
    QCoreApplication app(argc, argv);
    TestProfileCrash test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_profilecrash.moc"
