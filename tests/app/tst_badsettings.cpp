// Settings files the program cannot use as they are: it starts without a message, shows what it
// can read, and a changed option takes effect on screen even where it cannot be written.
#include "Harness.h"
#include "platform/Controls.h"
#include "platform/ProfileFile.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Root writes whatever the mode bits say; the immutable flag is the lock root respects.
bool lockDirectory(const QString &path, bool on)
{
    QFile::setPermissions(path,
        QFileDevice::ReadOwner | QFileDevice::ExeOwner
            | (on ? QFileDevice::Permission(0) : QFileDevice::WriteOwner));
    if (geteuid() != 0)
        return true;
    const int fd = ::open(qPrintable(path), O_RDONLY | O_DIRECTORY);
    int flags = 0;
    bool ok = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
    ok = ok && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    ::close(fd);
    return ok;
}

QByteArray randomBytes(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator(61161).fillRange(reinterpret_cast<quint32 *>(bytes.data()), size / 4);
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
    QTest::addColumn<QString>("shown"); // Gras0, Italique0, Taille_Exemple0 and 1°_Ligne
    const QByteArray ini = "[Options]\r\nItalique0=1\r\nTaille_Exemple0=30\r\n";
    const QString defaults = u"0|0|18| Portez ce vieux whisky au juge blond qui fume"_s;
    QTest::newRow("directory in its place") << u"directory"_s << ini << defaults;
    QTest::newRow("unreadable (a looping link)") << u"loop"_s << ini << defaults;
    QTest::newRow("read-only program directory")
        << u"read-only"_s << ini << u"0|1|30| Portez ce vieux whisky au juge blond qui fume"_s;
    QTest::newRow("50 MB of random bytes") << u"file"_s << randomBytes(50'000'000) << defaults;
    QTest::newRow("NUL bytes") << u"file"_s
                               << "[Options]\r\nGras0=1\0\r\nItalique0\0=1\r\nTaille_Exemple0=2\0"
                                  "4\r\n[Textes]\r\n1\xb0_Ligne=a\0b\r\n"_ba
                               << u"1|0|2|a\0b"_s;
    QTest::newRow("very long lines") << u"file"_s
                                     << "; " + QByteArray(8'000'000, 'x')
            + "\n[Options]\nItalique0=1\nGras0=" + QByteArray(1'000'000, '1')
            + "\n[Textes]\n1\xb0_Ligne=" + QByteArray(1000, '\xe9') + "\n"
                                     << u"0|1|18|"_s + QString(254, u'é');
    QTest::newRow("duplicate sections and keys")
        << u"file"_s
        << "[Options]\nGras0=1\ngras0=0\n[Textes]\n1\xb0_Ligne=un\n[OPTIONS]\nItalique0=1\n"
           "[Textes]\n1\xb0_Ligne=deux\n"_ba
        << u"1|0|18|un"_s;
}

void TestBadSettings::programRunsOn()
{
    QFETCH(QString, setup);
    QFETCH(QByteArray, content);
    QFETCH(QString, shown);
    Harness h;
    const QString path = h.iniPath();
    auto unlock = qScopeGuard([&] { lockDirectory(h.dir.path(), false); });
    if (setup == u"directory")
        QVERIFY(QDir().mkdir(path));
    else if (setup == u"loop")
        QVERIFY(QFile::link(path, path));
    else
        h.writeIni(content);
    if (setup == u"read-only" && !lockDirectory(h.dir.path(), true))
        QSKIP("the directory cannot be locked here");

    QElapsedTimer clock;
    clock.start();
    h.start({ u"Arial"_s, u"DejaVu Sans"_s });
    QVERIFY2(clock.elapsed() < 10000, "a hang, or a read far too slow");
    auto *gras = h.find<VbCheckBox>(u"Gras0"_s);
    QCOMPARE(
        u"%1|%2|%3|%4"_s.arg(gras->Value())
            .arg(h.find<VbCheckBox>(u"Italique0"_s)->Value())
            .arg(h.find<VbComboBox>(u"Taille_Exemple0"_s)->Text(), h.app->state().LignesExemple[1]),
        shown);
    while (gras->Value() != 1)
        gras->click();
    h.find<VbListBox>(u"Liste0"_s)->setFocus();
    QTest::keyClick(h.find<VbListBox>(u"Liste0"_s), Qt::Key_Down);
    QCOMPARE(h.find<QLabel>(u"Exemple0"_s)->font().family(), u"DejaVu Sans"_s);
    QVERIFY(h.find<QLabel>(u"Exemple0"_s)->font().bold()); // kept in memory
    QVERIFY(h.messages.asked.isEmpty());

    unlock.dismiss();
    lockDirectory(h.dir.path(), false);
    if (setup == u"file") {
        QCOMPARE(ProfileFile::readInt(path, u"Options", u"Gras0", -1), 1);
        const ProfileDocument old = ProfileDocument::fromBytes(content);
        const ProfileDocument now = ProfileDocument::fromBytes(h.readIni());
        for (const QString &key : { u"Italique0"_s, u"Taille_Exemple0"_s, u"Gras1"_s })
            QCOMPARE(now.value(u"Options", key), old.value(u"Options", key));
        QCOMPARE(now.value(u"Textes", u"1°_Ligne"), old.value(u"Textes", u"1°_Ligne"));
    } else if (setup == u"directory") {
        QVERIFY(QFileInfo(path).isDir());
    } else if (setup == u"read-only") {
        QCOMPARE(h.readIni(), content);
    }
}

QTEST_MAIN(TestBadSettings)
#include "tst_badsettings.moc"
