#include "Files.h"
#include "settings/ProfileFile.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <thread>
#include <unistd.h>

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

class TestProfileFile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The exact bytes after writing k into En-Tête; every other line stays as it was.
    void write_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("a new file is written with CRLF line ends")
            << QByteArray() << u"Catalogue"_s << "[En-T\xEAte]\r\nk=Catalogue\r\n"_ba;
        QTest::newRow("a key is replaced in place, its name's case and blanks ignored")
            << "; a\n[A]\nk=1\n\n[EN-T\xCATE]\n  K = old \n;n\nj=\xE9\nxx\n"_ba << u"new"_s
            << "; a\n[A]\nk=1\n\n[EN-T\xCATE]\nk=new\n;n\nj=\xE9\nxx\n"_ba;
        QTest::newRow("a new key goes after the section's last key, in its line ends")
            << "[En-T\xEAte]\r\na=1\r\n\r\n[T]\r\nc=3"_ba << u"v"_s
            << "[En-T\xEAte]\r\na=1\r\nk=v\r\n\r\n[T]\r\nc=3"_ba;
        QTest::newRow("a Windows-1252 file stays Windows-1252")
            << "[A]\r\nj=\xE9\r\n"_ba << u"€"_s << "[A]\r\nj=\xE9\r\n[En-T\xEAte]\r\nk=\x80\r\n"_ba;
        QTest::newRow("a value Windows-1252 lacks turns the file to UTF-8")
            << "[A]\r\nj=\xE9\r\n"_ba << u"Ω"_s
            << "[A]\r\nj=\xC3\xA9\r\n[En-T\xC3\xAAte]\r\nk=\xCE\xA9\r\n"_ba;
        QTest::newRow("a comment after the section's bracket still opens the section")
            << "[En-T\xEAte] ; mon titre\r\nk=1\r\n"_ba << u"v"_s
            << "[En-T\xEAte] ; mon titre\r\nk=v\r\n"_ba;
        QTest::newRow("a section's name ends at its first bracket, blanks around it dropped")
            << "[ en-t\xEAte ]]\nk=1\n[Textes]\n"_ba << u"v"_s
            << "[ en-t\xEAte ]]\nk=v\n[Textes]\n"_ba;
    }

    void write()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"Typovise.ini"_s);
        QVERIFY(before.isNull() || writeFileBytes(path, before));
        QVERIFY(ProfileFile::writeString(path, u"En-Tête", u"k", value));
        QCOMPARE(fileBytes(path), after);
        QCOMPARE(ProfileFile::readString(path, u"en-tête", u"K", {}), value);
    }

    // A writer killed at random moments must leave the file whole: old or new value, rest kept.
    // Each kill waits until the writer has replaced the file at least once, so that a loaded
    // machine, which slows the writer down, cannot make the kills land before any write.
    void killedWriterLeavesAWholeFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"Typovise.ini"_s);
        QVERIFY(writeFileBytes(path, bytesFor(0)));
        QRandomGenerator random(20261207);
        for (int kill = 0; kill < 200; ++kill) {
            const qint64 before = roundIn(path);
            QProcess writer;
            writer.start(QCoreApplication::applicationFilePath(), { u"--write"_s, path });
            QVERIFY(writer.waitForStarted());
            QVERIFY2(waitForRoundAfter(path, before, writer),
                qPrintable(u"kill %1: the writer made no round within 30 s"_s.arg(kill)));
            std::this_thread::sleep_for(std::chrono::microseconds(random.bounded(0, 3000)));
            QCOMPARE(writer.state(), QProcess::Running); // a failed write ends it
            writer.kill();
            QVERIFY(writer.waitForFinished());
            QVERIFY2(
                fileBytes(path) == bytesFor(roundIn(path)), qPrintable(u"kill %1"_s.arg(kill)));
        }
    }

private:
    // True once the file holds a round past `before`; false when the writer ends or 30 s pass.
    static bool waitForRoundAfter(const QString &path, qint64 before, const QProcess &writer)
    {
        QDeadlineTimer deadline(30000);
        while (!deadline.hasExpired() && writer.state() == QProcess::Running) {
            if (roundIn(path) > before)
                return true;
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        return false;
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
    TestProfileFile test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_profilefile.moc"
