// The running program on settings files it cannot use as they are: whatever sits at the file's
// place, the program starts without a message, shows what can be read (defaults otherwise), and a
// sample option the user changes takes effect on screen even when it cannot be written.
#include "Harness.h"
#include "app/Settings.h"
#include "platform/Controls.h"
#include "platform/ProfileFile.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QFontInfo>
#include <QLabel>
#include <QRandomGenerator>
#include <QScopeGuard>

#include <chrono>
#include <fcntl.h>
#include <functional>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QString kDefaultLine1 = u" Portez ce vieux whisky au juge blond qui fume"_qs;

const std::pair<QString, QString> kOtherSettings[] = {
    { Settings::kOptions, u"Gras1"_qs },
    { Settings::kOptions, u"Italique0"_qs },
    { Settings::kOptions, u"Taille_Exemple0"_qs },
    { Settings::kTextes, u"1°_Ligne"_qs },
};

// Root reads and writes whatever the permission bits say, so the rows that rely on them are
// skipped there; the immutable flag is the one lock that root respects.
bool runningAsRoot()
{
    return geteuid() == 0;
}

bool setImmutable(const QString &path, bool on)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return false;
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return ok;
}

// Opening a FIFO for reading waits for a writer. Should the program ever do it, this opens
// and closes the other end again and again once the deadline has passed, so that the test
// fails on its time limit instead of hanging the suite.
std::jthread fifoWatchdog(const QString &path, std::chrono::milliseconds deadline)
{
    return std::jthread([name = QFile::encodeName(path), deadline](std::stop_token stop) {
        const auto end = std::chrono::steady_clock::now() + deadline;
        while (!stop.stop_requested()) {
            if (std::chrono::steady_clock::now() >= end) {
                const int fd = ::open(name.constData(), O_WRONLY | O_NONBLOCK);
                if (fd >= 0)
                    ::close(fd);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
}

QByteArray randomBytes(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(61161);
    generator.fillRange(reinterpret_cast<quint32 *>(bytes.data()), size / 4);
    return bytes;
}

} // namespace

class TestBadSettings : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void programRunsOn_data();
    void programRunsOn();
};

void TestBadSettings::programRunsOn_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("gras0");
    QTest::addColumn<int>("italique0");
    QTest::addColumn<QString>("size0");
    QTest::addColumn<QString>("line1");
    // The tick of "Gras" reaches the file.
    QTest::addColumn<bool>("written");

    const QByteArray options = "[Options]\r\nItalique0=1\r\nTaille_Exemple0=30\r\n";
    QTest::newRow("directory at the file's place")
        << u"directory"_qs << options << 0 << 0 << u"18"_qs << kDefaultLine1 << false;
    QTest::newRow("FIFO at the file's place")
        << u"fifo"_qs << options << 0 << 0 << u"18"_qs << kDefaultLine1 << false;
    QTest::newRow("unreadable file")
        << u"unreadable"_qs << options << 0 << 0 << u"18"_qs << kDefaultLine1 << false;
    QTest::newRow("program directory under a regular file")
        << u"under a file"_qs << QByteArray() << 0 << 0 << u"18"_qs << kDefaultLine1 << false;
    QTest::newRow("read-only program directory")
        << u"read-only"_qs << options << 0 << 1 << u"30"_qs << kDefaultLine1 << false;
    QTest::newRow("immutable program directory")
        << u"immutable"_qs << options << 0 << 1 << u"30"_qs << kDefaultLine1 << false;

    QTest::newRow("50 MB of random bytes") << u"file"_qs << randomBytes(50 * 1000 * 1000) << 0 << 0
                                           << u"18"_qs << kDefaultLine1 << true;
    QTest::newRow("random bytes, then settings")
        << u"file"_qs << randomBytes(1000 * 1000) + "\r\n" + options << 0 << 1 << u"30"_qs
        << kDefaultLine1 << true;
    QTest::newRow("NUL bytes") << u"file"_qs
                               << "[Options]\r\nGras0=1\0\r\nItalique0\0=1\r\nTaille_Exemple0=2\0"
                                  "4\r\n[Textes]\r\n1\xb0_Ligne=avant\0apr\xe8s\r\n"_ba
                               << 1 << 0 << u"2"_qs << u"avant\0après"_qs << true;
    QTest::newRow("very long lines") << u"file"_qs
                                     << "; " + QByteArray(8 * 1000 * 1000, 'x')
            + "\n[Options]\nItalique0=1\nGras0=" + QByteArray(1000 * 1000, '1')
            + "\n[Textes]\n1\xb0_Ligne=" + QByteArray(100000, '\xe9') + "\n"
                                     << 0 << 1 << u"18"_qs << QString(254, u'é') << true;
    QTest::newRow("duplicate sections and keys")
        << u"file"_qs
        << QByteArray("[Options]\nGras0=1\ngras0=0\n[Textes]\n1\xb0_Ligne=premi\xe8re\n"
                      "[OPTIONS]\nItalique0=1\nTaille_Exemple0=40\n[Textes]\n1\xb0_Ligne=seconde\n")
        << 1 << 0 << u"18"_qs << u"première"_qs << true;
}

void TestBadSettings::programRunsOn()
{
    QFETCH(QString, setup);
    QFETCH(QByteArray, content);
    QFETCH(int, gras0);
    QFETCH(int, italique0);
    QFETCH(QString, size0);
    QFETCH(QString, line1);
    QFETCH(bool, written);

    Harness h;
    QVERIFY(h.dir.isValid());
    QString programDir = h.dir.path();
    std::jthread watchdog;
    std::function<void()> unlock;
    const auto unlockAtTheEnd = qScopeGuard([&unlock] {
        if (unlock)
            unlock();
    });

    if (setup == u"directory") {
        QVERIFY(QDir().mkdir(h.iniPath()));
    } else if (setup == u"fifo") {
        QCOMPARE(::mkfifo(QFile::encodeName(h.iniPath()).constData(), 0644), 0);
        watchdog = fifoWatchdog(h.iniPath(), std::chrono::seconds(10));
    } else if (setup == u"unreadable") {
        if (runningAsRoot())
            QSKIP("root reads a file whatever its mode");
        h.writeIni(content);
        QVERIFY(QFile::setPermissions(h.iniPath(), QFileDevice::WriteOwner));
        unlock = [&h] {
            QFile::setPermissions(h.iniPath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        };
    } else if (setup == u"under a file") {
        h.writeIni("[Options]\r\nItalique0=1\r\n");
        programDir = h.iniPath() + u"/programme"_qs;
    } else if (setup == u"read-only") {
        if (runningAsRoot())
            QSKIP("root writes into a directory whatever its mode; see the immutable row");
        h.writeIni(content);
        QVERIFY(
            QFile::setPermissions(h.dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        unlock = [&h] {
            QFile::setPermissions(h.dir.path(),
                QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        };
    } else if (setup == u"immutable") {
        h.writeIni(content);
        if (!setImmutable(h.dir.path(), true))
            QSKIP("the immutable flag cannot be set here");
        unlock = [&h] { setImmutable(h.dir.path(), false); };
    } else {
        h.writeIni(content);
    }
    const QString iniPath = programDir + u"/Typovise.ini"_qs;
    // Taken from the row, not from the disk: the unreadable file cannot be read back here.
    const QByteArray before
        = iniPath == h.iniPath() && QFileInfo(iniPath).isFile() ? content : QByteArray();

    h.printer.fonts = { u"Arial"_qs, u"DejaVu Sans"_qs };
    QElapsedTimer clock;
    clock.start();
    h.app = std::make_unique<Typovise>(h.printer, h.messages, programDir);
    h.app->demarrer();
    // Every read parses the whole file, so 50 MB take about two seconds on an idle machine; the
    // bound leaves room for a busy test run and still catches a hang or a blocked read.
    QVERIFY2(clock.elapsed() < 10000, qPrintable(u"start-up took %1 ms"_qs.arg(clock.elapsed())));

    auto *gras = h.find<VbCheckBox>(u"Gras0"_qs);
    auto *exemple = h.find<QLabel>(u"Exemple0"_qs);
    QCOMPARE(gras->Value(), gras0);
    QCOMPARE(h.find<VbCheckBox>(u"Italique0"_qs)->Value(), italique0);
    QCOMPARE(h.find<VbComboBox>(u"Taille_Exemple0"_qs)->Text(), size0);
    QCOMPARE(h.app->state().LignesExemple[1], line1);
    QCOMPARE(h.app->state().FichierIni, iniPath);

    for (int clicks = 0; clicks < 3 && gras->Value() != 1; ++clicks)
        gras->click();
    QCOMPARE(gras->Value(), 1);
    QVERIFY(exemple->font().bold());
    // The option stays in memory: the next font shown keeps it.
    auto *liste = h.find<VbListBox>(u"Liste0"_qs);
    liste->setFocus();
    QTest::keyClick(liste, Qt::Key_Down);
    QCOMPARE(liste->ListIndex(), 1);
    QCOMPARE(h.find<VkFrame>(u"Cadre_Exemple0"_qs)->Caption(),
        QFontInfo(QFont(u"DejaVu Sans"_qs)).family());
    QVERIFY(exemple->font().bold());
    QVERIFY2(h.messages.asked.isEmpty(), qPrintable(h.messages.asked.value(0).text));

    if (unlock) {
        unlock();
        unlock = nullptr;
    }
    watchdog = {};
    if (written) {
        QCOMPARE(ProfileFile::readInt(iniPath, Settings::kOptions, u"Gras0", -1), 1);
        // Whatever came before the first line the write may replace comes back byte for byte,
        // and every other setting kept its value.
        const qsizetype firstGras = before.indexOf("Gras0");
        QVERIFY(h.readIni().startsWith(firstGras < 0 ? before : before.left(firstGras)));
        const ProfileDocument old = ProfileDocument::fromBytes(before);
        const ProfileDocument now = ProfileDocument::fromBytes(h.readIni());
        for (const auto &[section, key] : kOtherSettings)
            QCOMPARE(now.value(section, key), old.value(section, key));
    } else if (setup == u"directory") {
        QVERIFY(QFileInfo(iniPath).isDir());
    } else if (setup == u"fifo") {
        QVERIFY(!QFileInfo(iniPath).isFile() && QFileInfo::exists(iniPath));
    } else if (setup == u"under a file") {
        QCOMPARE(h.readIni(), QByteArray("[Options]\r\nItalique0=1\r\n"));
    } else {
        QCOMPARE(h.readIni(), before);
        QCOMPARE(
            QDir(h.dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
            QStringList { u"Typovise.ini"_qs });
    }
}

QTEST_MAIN(TestBadSettings)
#include "tst_badsettings.moc"
