// Settings files the program cannot use as they are: it starts without a message, shows what it
// can read, and a changed option takes effect on screen even where it cannot be written.
#include "Harness.h"
#include "platform/Controls.h"
#include "platform/ProfileFile.h"

#include <QLabel>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

// Root writes whatever the mode says; the immutable flag is the lock that root respects.
static bool lockDirectory(const QString &path, bool on)
{
    if (geteuid() != 0)
        return QFile::setPermissions(path,
            QFileDevice::ReadOwner | QFileDevice::ExeOwner
                | (on ? QFileDevice::Permissions() : QFileDevice::WriteOwner));
    const int fd = ::open(qPrintable(path), O_RDONLY | O_DIRECTORY);
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
    ok = ok && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    ::close(fd);
    return ok;
}

class TestBadSettings : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // What is shown: Gras0, Italique0, Taille_Exemple0 and 1°_Ligne.
    void programRunsOn_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("shown");
        const QByteArray ini = "[Options]\r\nItalique0=1\r\nTaille_Exemple0=30\r\n";
        const QString line = u" Portez ce vieux whisky au juge blond qui fume"_s;
        QByteArray random(50'000'000, Qt::Uninitialized);
        QRandomGenerator(61161).fillRange(
            reinterpret_cast<quint32 *>(random.data()), random.size() / 4);
        QTest::newRow("a directory in its place") << u"directory"_s << ini << u"0|0|18|"_s + line;
        QTest::newRow("unreadable file") << u"unreadable"_s << ini << u"0|0|18|"_s + line;
        QTest::newRow("read-only program directory")
            << u"read-only"_s << ini << u"0|1|30|"_s + line;
        QTest::newRow("50 MB of random bytes") << u"file"_s << random << u"0|0|18|"_s + line;
        QTest::newRow("NUL bytes")
            << u"file"_s
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
            << "[Options]\nGras0=1\ngras0=0\n[Textes]\n1\xb0_Ligne=un\n[OPTIONS]\nItalique0=1\n[Textes]\n1\xb0_Ligne=deux\n"_ba
            << u"1|0|18|un"_s;
    }

    void programRunsOn()
    {
        QFETCH(QString, setup);
        QFETCH(QByteArray, content);
        QFETCH(QString, shown);
        Harness h;
        const QString path = h.iniPath();
        auto unlock = qScopeGuard([&] { lockDirectory(h.dir.path(), false); });
        if (setup == u"directory")
            QVERIFY(QDir().mkdir(path));
        else
            h.writeIni(content);
        // Root reads any file: the program then runs as nobody, who may not.
        const bool unreadable = setup == u"unreadable";
        if (unreadable)
            QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner)
                && QFile::setPermissions(h.dir.path(), QFileDevice::Permissions(0x7755))
                && (geteuid() || !seteuid(65534)));
        if (setup == u"read-only" && !lockDirectory(h.dir.path(), true))
            QSKIP("the directory cannot be locked here");
        h.start({ u"Arial"_s, u"DejaVu Sans"_s });
        auto *gras = h.find<VbCheckBox>(u"Gras0"_s);
        QCOMPARE(u"%1|%2|%3|%4"_s.arg(gras->Value())
                     .arg(h.find<VbCheckBox>(u"Italique0"_s)->Value())
                     .arg(h.find<VbComboBox>(u"Taille_Exemple0"_s)->Text(),
                         h.app->state().LignesExemple[1]),
            shown);
        while (gras->Value() != 1)
            gras->click();
        h.find<VbListBox>(u"Liste0"_s)->setFocus();
        QTest::keyClick(h.find<VbListBox>(u"Liste0"_s), Qt::Key_Down);
        QCOMPARE(h.find<QLabel>(u"Exemple0"_s)->font().family(), u"DejaVu Sans"_s);
        QVERIFY(h.find<QLabel>(u"Exemple0"_s)->font().bold()); // kept in memory
        QVERIFY(h.messages.asked.isEmpty());
        QVERIFY(!unreadable || getuid() || !seteuid(0));
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        unlock.dismiss();
        lockDirectory(h.dir.path(), false);
        if (setup == u"file") { // written, every other setting as it was
            const ProfileDocument old = ProfileDocument::fromBytes(content),
                                  now = ProfileDocument::fromBytes(h.readIni());
            QCOMPARE(now.value(u"Options", u"Gras0"), u"1"_s);
            for (const QString &key : { u"Italique0"_s, u"Taille_Exemple0"_s })
                QCOMPARE(now.value(u"Options", key), old.value(u"Options", key));
            QCOMPARE(now.value(u"Textes", u"1°_Ligne"), old.value(u"Textes", u"1°_Ligne"));
        } else {
            QCOMPARE(h.readIni(), setup == u"directory" ? QByteArray() : content);
        }
    }
};

QTEST_MAIN(TestBadSettings)
#include "tst_badsettings.moc"
