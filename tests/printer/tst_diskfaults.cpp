// Faults a real machine has, on the real settings module, locations and printer service: a disk
// that fills and a program directory that cannot be written (small tmpfs mounts, so root only),
// one that cannot be named, and a printing run ended by a signal.
#include "Files.h"
#include "Poppler.h"
#include "settings/Locations.h"
#include "settings/ProfileFile.h"
#include "printer/QtPrinterService.h"

#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/mount.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// A tmpfs of its own, unmounted when the test ends. Root writes anywhere a mount allows: only a
// read-only mount stops it.
struct SmallDisk
{
    QTemporaryDir mountPoint;
    const QByteArray path = QFile::encodeName(mountPoint.path());
    const bool mounted;
    explicit SmallDisk(qint64 bytes)
        : mounted(::mount("tmpfs", path.constData(), "tmpfs", 0,
                      QByteArray("size=" + QByteArray::number(bytes)).constData())
            == 0)
    { }
    ~SmallDisk() { ::umount2(path.constData(), MNT_DETACH); }
    QString filePath(const QString &name) const { return mountPoint.filePath(name); }
    bool setReadOnly(bool readOnly) const
    {
        return ::mount(nullptr, path.constData(), nullptr, MS_REMOUNT | (readOnly ? MS_RDONLY : 0),
                   nullptr)
            == 0;
    }
    // Fills the disk, then gives back about room bytes (tmpfs counts whole pages).
    bool fillLeaving(qint64 room) const
    {
        QFile filler(filePath(u"filler"_s));
        const QByteArray chunk(4096, 'x');
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return false;
        while (filler.write(chunk) == chunk.size()) { }
        return filler.resize(std::max<qint64>(0, filler.size() - room));
    }
    void freeSpace() const { QFile::remove(filePath(u"filler"_s)); }
};

// Pages of text in a face that the document embeds, abandoned on a failure as the printing run
// does; whether they ended as a whole file.
bool printPages(QtPrinterService &printer, int pages)
{
    printer.setFontName(u"DejaVu Serif"_s);
    for (int line = 1; line <= pages * 40; ++line) {
        const bool pageFull = line % 40 == 0 && line < pages * 40;
        if (!printer.Print(u"Ligne %1 : portez ce vieux whisky"_s.arg(line))
            || (pageFull && !printer.NewPage())) {
            printer.AbortDoc();
            return false;
        }
    }
    return printer.EndDoc();
}

// The child of signalEndsARunWithoutLeftovers: a document that never ends.
int printForever(const QString &dir)
{
    QtPrinterService printer(dir);
    QElapsedTimer alive;
    alive.start();
    for (int line = 1; alive.elapsed() < 60000; ++line) {
        if (!printer.Print(u"Ligne %1"_s.arg(line)) || (line % 40 == 0 && !printer.NewPage()))
            return 3;
    }
    return 0;
}

} // namespace

class TestDiskFaults : public QObject
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
    }
    // Each case starts from a home without the user's folders.
    void cleanup()
    {
        QDir(m_home.filePath(u".config"_s)).removeRecursively();
        QDir(documents()).removeRecursively();
    }

    void fullDiskKeepsTheSettingsFile_data()
    {
        QTest::addColumn<QByteArray>("before");
        const QByteArray windows
            = "; kept\r\n[Options]\r\nGras0=1\r\n[En-T\xEAte]\r\nTexte=\xE9\r\n";
        QTest::newRow("a full disk leaves the file byte for byte") << windows;
        QTest::newRow("a full disk creates no file") << QByteArray();
    }

    // Then, once there is room again, the same write succeeds.
    void fullDiskKeepsTheSettingsFile()
    {
        QFETCH(QByteArray, before);
        if (::geteuid() != 0)
            QSKIP("mounting a small tmpfs needs root");
        SmallDisk disk(512 * 1024);
        QVERIFY(disk.mounted);
        const QString ini = disk.filePath(u"Typovise.ini"_s);
        QVERIFY(before.isNull() || writeFileBytes(ini, before));
        QVERIFY(disk.fillLeaving(0));
        QVERIFY(!ProfileFile::writeString(ini, u"Options", u"Gras1", u"1"_s));
        QCOMPARE(fileBytes(ini), before);
        QCOMPARE(QFile::exists(ini), !before.isNull());
        QCOMPARE(entriesIn(disk.mountPoint.path()).size(), before.isNull() ? 1 : 2); // no temporary
        disk.freeSpace();
        QVERIFY(ProfileFile::writeString(ini, u"Options", u"Gras1", u"1"_s));
        QCOMPARE(ProfileFile::readInt(ini, u"Options", u"Gras1", 0), 1);
    }

    // Only the check of the finished file sees this failure. No half file stays, and the same
    // printer service prints once space is freed.
    void aDiskThatFillsLateFailsTheRunThenSpaceFreedPrints()
    {
        if (::geteuid() != 0)
            QSKIP("mounting a small tmpfs needs root");
        SmallDisk disk(16 * 1024 * 1024);
        QVERIFY(disk.mounted);
        QtPrinterService printer(disk.mountPoint.path());
        QVERIFY(printPages(printer, 30));
        const qint64 size = QFileInfo(printer.lastPdfFile()).size();
        QVERIFY(QFile::remove(printer.lastPdfFile()));

        QVERIFY(disk.fillLeaving(size * 8 / 10));
        QVERIFY(!printPages(printer, 30));
        QCOMPARE(entriesIn(disk.mountPoint.path()), QStringList { u"filler"_s });
        disk.freeSpace();
        QVERIFY(printPages(printer, 30));
        QCOMPARE(entriesIn(disk.mountPoint.path()),
            QStringList { QFileInfo(printer.lastPdfFile()).fileName() });
        QCOMPARE(pdfPages(printer.lastPdfFile()), 30);
    }

    void signalEndsARunWithoutLeftovers_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGINT") << SIGINT;
        QTest::newRow("SIGHUP") << SIGHUP;
    }

    // The child is stopped while it writes, then sent the signal and let go.
    void signalEndsARunWithoutLeftovers()
    {
        QFETCH(int, signal);
        QTemporaryDir dir;
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), { u"--print-forever"_s, dir.path() });
        QVERIFY(child.waitForStarted());
        const pid_t pid = pid_t(child.processId());
        QTRY_VERIFY_WITH_TIMEOUT(!entriesIn(dir.path()).isEmpty(), 20000);
        QCOMPARE(::kill(pid, SIGSTOP), 0);
        // The working file and the parts being drawn, all hidden.
        const QStringList writing = entriesIn(dir.path());
        QVERIFY(!writing.isEmpty());
        for (const QString &entry : writing)
            QVERIFY2(entry.startsWith(u'.') && entry.endsWith(u".part"_s), qPrintable(entry));
        QCOMPARE(::kill(pid, signal), 0);
        QCOMPARE(::kill(pid, SIGCONT), 0);
        QVERIFY(child.waitForFinished(20000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit); // ended by the signal itself
        QCOMPARE(entriesIn(dir.path()), QStringList());
    }

    void readOnlyProgramDirectory_data()
    {
        QTest::addColumn<bool>("settingsThere");
        QTest::newRow("a read-only directory sends both to the user's folders") << false;
        QTest::newRow("a settings file already there is kept, read-only or not") << true;
    }

    // Fallen back while the directory is read-only; back in it once it can be written.
    void readOnlyProgramDirectory()
    {
        QFETCH(bool, settingsThere);
        if (::geteuid() != 0)
            QSKIP("mounting a small tmpfs needs root");
        SmallDisk program(64 * 1024);
        QVERIFY(program.mounted);
        const QString inProgram = program.filePath(u"Typovise.ini"_s);
        QVERIFY(!settingsThere || ProfileFile::writeString(inProgram, u"A", u"k", u"1"_s));
        QVERIFY(program.setReadOnly(true));
        const QString settings = Locations::settingsFile(program.mountPoint.path());
        QCOMPARE(settings, settingsThere ? inProgram : configFile());
        QCOMPARE(Locations::pdfFolder(program.mountPoint.path()), documents());
        QVERIFY(QFileInfo(documents()).isDir());
        QVERIFY(!QFileInfo::exists(configFile())); // only the first write creates it
        QCOMPARE(ProfileFile::writeString(settings, u"A", u"k", u"2"_s), !settingsThere);

        QVERIFY(program.setReadOnly(false));
        QCOMPARE(Locations::settingsFile(program.mountPoint.path()), inProgram);
        QCOMPARE(Locations::pdfFolder(program.mountPoint.path()), program.mountPoint.path());
    }

    void unresolvableProgramDirectory_data()
    {
        QTest::addColumn<QString>("directory");
        QTest::newRow("relative") << u"build/src"_s;
        QTest::newRow("gone") << u"/nonexistent/typovise"_s;
    }

    // Never the root nor the working directory: the user's folders, by absolute paths.
    void unresolvableProgramDirectory()
    {
        QFETCH(QString, directory);
        QTemporaryDir workingDirectory;
        QVERIFY(QDir::setCurrent(workingDirectory.path()));
        QVERIFY(QDir().mkpath(u"build/src"_s));
        QCOMPARE(Locations::usableDirectory(directory), QString());
        QCOMPARE(Locations::settingsFile(directory), configFile());
        QCOMPARE(Locations::pdfFolder(directory), documents());
    }
};

int main(int argc, char **argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--print-forever") == 0) {
        QGuiApplication app(argc, argv);
        return printForever(QString::fromLocal8Bit(argv[2]));
    }
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"Typovise"_s);
    TestDiskFaults test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_diskfaults.moc"
