// Faults a real machine has, on the real settings module, locations and printer service: a disk
// that fills and a program directory that cannot be written (small tmpfs mounts, so root only),
// one that cannot be named, a printing run ended by a signal, a desktop without a PDF viewer.
#include "PdfFiles.h"
#include "ScriptedMessages.h"
#include "app/Typovise.h"
#include "platform/Locations.h"
#include "platform/ProfileFile.h"
#include "platform/QtPrinterService.h"
#include "printing/PolImprim.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every name in the directory, hidden ones included.
QStringList entriesOf(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

// What a catalogue left in the program's directory: every entry but the settings file, which
// the dialog writes when it closes with the header box still focused.
QStringList catalogueLeftovers(const QString &dir)
{
    QStringList left = entriesOf(dir);
    left.removeAll(u"Typovise.ini"_s);
    return left;
}

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

// The complete list with samples, through the print dialog as the user prints it.
struct CatalogueRun
{
    QtPrinterService printer;
    ScriptedMessages messages;
    Typovise app;
    int estimate = 0;
    explicit CatalogueRun(const QString &programDirectory)
        : printer(programDirectory)
        , app(printer, messages, programDirectory)
    {
        app.setPdfAnnouncer(&printer);
        app.demarrer();
    }
    // Whether the dialog closed, as it does after a complete catalogue.
    bool print()
    {
        PolImprim *dialog = app.afficherImpression();
        dialog->findChild<QAbstractButton *>(u"Option_LC1"_s)->click();
        dialog->findChild<QLineEdit *>(u"Texte1"_s)->setText(u"Catalogue d'essai"_s);
        estimate = dialog->findChild<QLabel *>(u"Estim_Pages"_s)->text().toInt();
        QTest::mouseClick(dialog->findChild<QAbstractButton *>(u"Impression"_s), Qt::LeftButton);
        return !dialog->isVisible();
    }
};

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

// Stands for the desktop's viewer.
class OpenedUrls : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public Q_SLOTS:
    void open(const QUrl &url) { urls << url; }
};

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
        QVERIFY2(QtPrinterService(m_home.path()).printsToPdf(), "CUPS_SERVER must name no server");
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
        QTest::addColumn<qint64>("room");
        const QByteArray windows
            = "; kept\r\n[Options]\r\nGras0=1\r\n[En-T\xEAte]\r\nTexte=\xE9\r\n";
        const QByteArray large = windows + "; " + QByteArray(60000, 'z') + "\r\n";
        QTest::newRow("a full disk leaves the file byte for byte") << windows << qint64(0);
        QTest::newRow("a disk that fills during the write leaves the file as it was")
            << large << qint64(16384);
        QTest::newRow("a full disk creates no file") << QByteArray() << qint64(0);
    }

    // Then, once there is room again, the same write succeeds.
    void fullDiskKeepsTheSettingsFile()
    {
        QFETCH(QByteArray, before);
        QFETCH(qint64, room);
        if (::geteuid() != 0)
            QSKIP("mounting a small tmpfs needs root");
        SmallDisk disk(512 * 1024);
        QVERIFY(disk.mounted);
        const QString ini = disk.filePath(u"Typovise.ini"_s);
        QFile file(ini);
        QVERIFY(before.isNull() || (file.open(QIODevice::WriteOnly) && file.write(before) > 0));
        file.close();
        QVERIFY(disk.fillLeaving(room));
        QVERIFY(!ProfileFile::writeString(ini, u"Options", u"Gras1", u"1"_s));
        QCOMPARE(contentOf(ini), before);
        QCOMPARE(QFile::exists(ini), !before.isNull());
        QCOMPARE(entriesOf(disk.mountPoint.path()).size(), before.isNull() ? 1 : 2); // no temporary
        disk.freeSpace();
        QVERIFY(ProfileFile::writeString(ini, u"Options", u"Gras1", u"1"_s));
        QCOMPARE(ProfileFile::readInt(ini, u"Options", u"Gras1", 0), 1);
    }

    void fullDiskFailsTheRunThenSpaceFreedPrints_data()
    {
        QTest::addColumn<double>("roomShare"); // free space, as a share of the catalogue's size
        QTest::newRow("a disk full from the first byte") << 0.0;
        QTest::newRow("a disk that fills late in the document") << 0.8;
    }

    // The failure is told, no half file stays, and the same dialog prints once space is freed.
    void fullDiskFailsTheRunThenSpaceFreedPrints()
    {
        QFETCH(double, roomShare);
        if (::geteuid() != 0)
            QSKIP("mounting a small tmpfs needs root");
        SmallDisk disk(16 * 1024 * 1024);
        QVERIFY(disk.mounted);
        CatalogueRun run(disk.mountPoint.path());
        QVERIFY(run.print());
        const qint64 size = QFileInfo(run.printer.lastPdfFile()).size();
        QVERIFY(QFile::remove(run.printer.lastPdfFile()));
        run.messages.asked.clear();

        QVERIFY(disk.fillLeaving(qint64(size * roomShare)));
        QVERIFY(!run.print());
        QCOMPARE(catalogueLeftovers(disk.mountPoint.path()), QStringList { u"filler"_s });
        disk.freeSpace();
        QVERIFY(run.print());
        const QString pdf = run.printer.lastPdfFile();
        QCOMPARE(
            catalogueLeftovers(disk.mountPoint.path()), QStringList { QFileInfo(pdf).fileName() });
        QCOMPARE(pdfPages(pdf), run.estimate);
        QCOMPARE(run.messages.asked.size(), 2);
        QCOMPARE(run.messages.asked[0].text, u"Défaut d'impression! Corrigez et recommencez."_s);
        QCOMPARE(run.messages.asked[1].text,
            u"Aucune imprimante n'est installée : le catalogue a été enregistré dans le fichier\n"_s
                + disk.filePath(QFileInfo(pdf).fileName()));
    }

    // "Ouvrir" hands the file just written to the desktop's viewer; without any program to
    // show a PDF, it says so instead of doing nothing.
    void ouvrirShowsTheCatalogueOrSaysWhyNot()
    {
        QTemporaryDir dir;
        CatalogueRun run(dir.path());
        OpenedUrls viewer;
        QDesktopServices::setUrlHandler(u"file"_s, &viewer, "open");
        run.messages.answers = { MessageBoxes::Open };
        QVERIFY(run.print());
        QCOMPARE(viewer.urls, QList<QUrl> { QUrl::fromLocalFile(run.printer.lastPdfFile()) });
        QCOMPARE(run.messages.asked.size(), 1);

        QDesktopServices::unsetUrlHandler(u"file"_s);
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(dir.path()));
        const auto restorePath = qScopeGuard([&path] { qputenv("PATH", path); });
        run.messages.answers = { MessageBoxes::Open };
        QVERIFY(run.print());
        QCOMPARE(run.messages.asked.size(), 3);
        QCOMPARE(run.messages.asked[2].text,
            u"Aucun programme ne peut ouvrir le fichier\n"_s + run.printer.lastPdfFile());
        QCOMPARE(run.messages.asked[2].style, int(MessageBoxes::Exclamation));
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
        QTRY_VERIFY_WITH_TIMEOUT(!entriesOf(dir.path()).isEmpty(), 20000);
        QCOMPARE(::kill(pid, SIGSTOP), 0);
        const QStringList writing = entriesOf(dir.path());
        QCOMPARE(writing.size(), 1);
        QVERIFY(writing[0].endsWith(u".part"_s));
        QCOMPARE(::kill(pid, signal), 0);
        QCOMPARE(::kill(pid, SIGCONT), 0);
        QVERIFY(child.waitForFinished(20000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit); // ended by the signal itself
        QCOMPARE(entriesOf(dir.path()), QStringList());
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
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"Typovise"_s);
    TestDiskFaults test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_diskfaults.moc"
