// Where the settings file and the catalogue files go, for a program directory that can be
// written, cannot be written, or cannot be named at all.
#include "platform/Locations.h"
#include "platform/ProfileFile.h"

#include <QDir>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Root writes anywhere the mount allows: a read-only bind mount stops it; anyone else is stopped
// by the permission bits.
bool makeReadOnly(const QString &dir)
{
    const QByteArray path = QFile::encodeName(dir);
    if (::geteuid() != 0)
        return QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    return ::mount(path.constData(), path.constData(), nullptr, MS_BIND, nullptr) == 0
        && ::mount(nullptr, path.constData(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr)
        == 0;
}

void makeWritable(const QString &dir)
{
    if (::geteuid() == 0)
        ::umount2(QFile::encodeName(dir).constData(), MNT_DETACH);
    else
        QFile::setPermissions(
            dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

} // namespace

class TestLocations : public QObject
{
    Q_OBJECT
    QTemporaryDir m_home;
    QString configFile() const { return m_home.filePath(u".config/Typovise/Typovise.ini"_s); }
    QString documents() const { return m_home.filePath(u"Documents"_s); }

private Q_SLOTS:
    void initTestCase()
    {
        qputenv("HOME", QFile::encodeName(m_home.path()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.filePath(u".config"_s)));
        QCoreApplication::setApplicationName(u"Typovise"_s);
    }
    // Each case starts from a home without the user's folders.
    void cleanup()
    {
        QDir(m_home.filePath(u".config"_s)).removeRecursively();
        QDir(documents()).removeRecursively();
    }

    void programDirectory_data()
    {
        QTest::addColumn<bool>("settingsThere");
        QTest::addColumn<bool>("settingsStay"); // in the read-only program directory
        QTest::newRow("a read-only directory sends both to the user's folders") << false << false;
        QTest::newRow("a settings file already there is kept, read-only or not") << true << true;
    }
    // Fallen back while the directory is read-only; back in it once it can be written.
    void programDirectory()
    {
        QFETCH(bool, settingsThere);
        QFETCH(bool, settingsStay);
        QTemporaryDir program;
        const QString inProgram = program.filePath(u"Typovise.ini"_s);
        QVERIFY(
            !settingsThere || ProfileFile::writeString(inProgram, u"Options", u"Gras0", u"1"_s));
        QVERIFY(makeReadOnly(program.path()));
        auto writable = qScopeGuard([&] { makeWritable(program.path()); });

        const QString settings = Locations::settingsFile(program.path());
        QCOMPARE(settings, settingsStay ? inProgram : configFile());
        QCOMPARE(Locations::pdfFolder(program.path()), documents());
        QVERIFY(QFileInfo(documents()).isDir());
        QCOMPARE(QFileInfo::exists(configFile()), false); // only the first write creates it
        QCOMPARE(ProfileFile::writeString(settings, u"Options", u"Gras1", u"1"_s), !settingsStay);

        writable.dismiss();
        makeWritable(program.path());
        QCOMPARE(Locations::settingsFile(program.path()), inProgram);
        QCOMPARE(Locations::pdfFolder(program.path()), program.path());
    }

    void unresolvableProgramDirectory_data()
    {
        QTest::addColumn<QString>("directory");
        QTest::newRow("empty") << QString();
        QTest::newRow("relative") << u"build/src"_s;
        QTest::newRow("gone") << u"/nonexistent/typovise"_s;
        QTest::newRow("a Latin-1 name read as UTF-8") << QFile::decodeName("/tmp/caf\xE9");
    }
    // Never the root nor the working directory: the user's folders, by absolute paths.
    void unresolvableProgramDirectory()
    {
        QFETCH(QString, directory);
        QTemporaryDir workingDirectory;
        QVERIFY(::mkdir("/tmp/caf\xE9", 0700) == 0 || errno == EEXIST);
        const auto removeLatin1 = qScopeGuard([] { ::rmdir("/tmp/caf\xE9"); });
        QVERIFY(QDir::setCurrent(workingDirectory.path()) && QDir().mkpath(u"build/src"_s));
        QCOMPARE(Locations::usableDirectory(directory), QString());
        QCOMPARE(Locations::settingsFile(directory), configFile());
        QCOMPARE(Locations::pdfFolder(directory), documents());
    }
};

QTEST_GUILESS_MAIN(TestLocations)
#include "tst_locations.moc"
