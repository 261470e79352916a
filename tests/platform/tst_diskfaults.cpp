// Faults a real machine has, on the real settings module and the real printer service: a disk
// that fills (a small tmpfs, so root only), and a printing run ended by a signal.
#include "PdfFiles.h"
#include "ScriptedMessages.h"
#include "app/Typovise.h"
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
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QString kFailure = u"Défaut d'impression! Corrigez et recommencez."_s;

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
    left.removeAll(QStringLiteral("Typovise.ini"));
    return left;
}

// A tmpfs of its own, unmounted when the test ends.
struct SmallDisk
{
    QTemporaryDir mountPoint;
    bool mounted = false;
    explicit SmallDisk(qint64 bytes)
    {
        const QByteArray options = "size=" + QByteArray::number(bytes);
        mounted = ::mount("tmpfs", QFile::encodeName(path()).constData(), "tmpfs", 0,
                      options.constData())
            == 0;
    }
    ~SmallDisk()
    {
        if (mounted)
            ::umount2(QFile::encodeName(path()).constData(), MNT_DETACH);
    }
    QString path() const { return mountPoint.path(); }
    QString filler() const { return mountPoint.filePath(u"filler"_s); }

    // Fills the disk, then gives back about room bytes (tmpfs counts whole pages).
    bool fillLeaving(qint64 room) const
    {
        const int fd = ::open(QFile::encodeName(filler()).constData(), O_WRONLY | O_CREAT, 0600);
        const QByteArray chunk(4096, 'x');
        qint64 size = 0;
        for (ssize_t n; (n = ::write(fd, chunk.constData(), chunk.size())) > 0;)
            size += n;
        const bool done = fd >= 0 && ::ftruncate(fd, std::max<qint64>(0, size - room)) == 0;
        ::close(fd);
        return done;
    }
    void freeSpace() const { QFile::remove(filler()); }
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

// The child of signalEndsARun: a document that never ends.
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
    void needRoot()
    {
        if (::geteuid() != 0)
            QSKIP("mounting a small tmpfs needs root: run as root (scripts/test.sh) to test a "
                  "full disk");
    }

private Q_SLOTS:
    void fullDiskKeepsTheSettingsFile_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<qint64>("room");
        const QByteArray windows
            = "; kept\r\n[Options]\r\nGras0=1\r\n[En-T\xEAte]\r\nTexte=\xE9t\xE9\r\n";
        QTest::newRow("a full disk leaves the file byte for byte") << windows << qint64(0);
        QTest::newRow("a disk that fills during the write leaves the file as it was") << windows
                + "; " + QByteArray(60000, 'z') + "\r\n" << qint64(16384);
        QTest::newRow("a full disk creates no file") << QByteArray() << qint64(0);
    }
    void fullDiskKeepsTheSettingsFile()
    {
        QFETCH(QByteArray, before);
        QFETCH(qint64, room);
        needRoot();
        SmallDisk disk(512 * 1024);
        QVERIFY(disk.mounted);
        const QString ini = disk.mountPoint.filePath(u"Typovise.ini"_s);
        QFile file(ini);
        QVERIFY(before.isNull() || (file.open(QIODevice::WriteOnly) && file.write(before) > 0));
        file.close();
        QVERIFY(disk.fillLeaving(room));
        QVERIFY(!ProfileFile::writeString(ini, u"Options", u"Gras1", u"1"_s));
        QCOMPARE(QFile::exists(ini), !before.isNull());
        QCOMPARE(contentOf(ini), before);
        QCOMPARE(entriesOf(disk.path()).size(), before.isNull() ? 1 : 2); // no temporary left
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
    void fullDiskFailsTheRunThenSpaceFreedPrints()
    {
        QFETCH(double, roomShare);
        needRoot();
        SmallDisk disk(16 * 1024 * 1024);
        QVERIFY(disk.mounted);
        CatalogueRun run(disk.path());
        if (!run.printer.printsToPdf())
            QSKIP("a default printer exists: catalogues go to it, not to a file");
        QVERIFY(run.print());
        const qint64 size = QFileInfo(run.printer.lastPdfFile()).size();
        QVERIFY(QFile::remove(run.printer.lastPdfFile()));
        run.messages.asked.clear();

        QVERIFY(disk.fillLeaving(qint64(size * roomShare)));
        QVERIFY(!run.print());
        const QStringList left = catalogueLeftovers(disk.path());
        QVERIFY2(left == QStringList { u"filler"_s }, qPrintable(left.join(u", "))); // no half file
        disk.freeSpace();
        QVERIFY(run.print()); // the same dialog, once the cause is gone
        const QString pdf = run.printer.lastPdfFile();
        QCOMPARE(catalogueLeftovers(disk.path()), QStringList { QFileInfo(pdf).fileName() });
        QCOMPARE(pdfPages(pdf), run.estimate);
        QCOMPARE(run.messages.asked.size(), 2);
        QCOMPARE(run.messages.asked[0].text, kFailure);
        QCOMPARE(run.messages.asked[1].text,
            u"Aucune imprimante n'est installée : le catalogue a été enregistré dans le fichier\n"_s
                + disk.mountPoint.filePath(QFileInfo(pdf).fileName()));
    }

    // "Ouvrir" hands the file just written to the desktop's viewer.
    void pdfAnnouncedAndOpened()
    {
        QTemporaryDir dir;
        CatalogueRun run(dir.path());
        if (!run.printer.printsToPdf())
            QSKIP("a default printer exists: catalogues go to it, not to a file");
        OpenedUrls viewer;
        QDesktopServices::setUrlHandler(u"file"_s, &viewer, "open");
        const auto unset = qScopeGuard([] { QDesktopServices::unsetUrlHandler(u"file"_s); });
        run.messages.answers = { MessageBoxes::Open };
        QVERIFY(run.print());
        QCOMPARE(viewer.urls, QList<QUrl> { QUrl::fromLocalFile(run.printer.lastPdfFile()) });
        QVERIFY(QDir::isAbsolutePath(run.printer.lastPdfFile()));
        QCOMPARE(pdfPages(run.printer.lastPdfFile()), run.estimate);
    }

    // Without any program to show a PDF, "Ouvrir" says so instead of doing nothing.
    void openWithoutAViewerSaysSo()
    {
        QTemporaryDir dir;
        CatalogueRun run(dir.path());
        if (!run.printer.printsToPdf())
            QSKIP("a default printer exists: catalogues go to it, not to a file");
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(dir.path()));
        const auto restore = qScopeGuard([&path] { qputenv("PATH", path); });
        run.messages.answers = { MessageBoxes::Open };
        QVERIFY(run.print());
        QCOMPARE(run.messages.asked.size(), 2);
        QCOMPARE(run.messages.asked[1].text,
            u"Aucun programme ne peut ouvrir le fichier\n"_s + run.printer.lastPdfFile());
        QCOMPARE(run.messages.asked[1].style, int(MessageBoxes::Exclamation));
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
        QTRY_VERIFY_WITH_TIMEOUT(!entriesOf(dir.path()).isEmpty(), 20000);
        QCOMPARE(::kill(pid_t(child.processId()), SIGSTOP), 0);
        const QStringList writing = entriesOf(dir.path());
        QVERIFY2(
            writing.size() == 1 && writing[0].endsWith(u".part"_s), qPrintable(writing.join(u' ')));
        QVERIFY(::kill(pid_t(child.processId()), signal) == 0
            && ::kill(pid_t(child.processId()), SIGCONT) == 0);
        QVERIFY(child.waitForFinished(20000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit); // ended by the signal itself
        QCOMPARE(entriesOf(dir.path()), QStringList());
    }
};

int main(int argc, char **argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--print-forever") == 0) {
        QGuiApplication app(argc, argv);
        return printForever(QString::fromLocal8Bit(argv[2]));
    }
    QApplication app(argc, argv);
    TestDiskFaults test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_diskfaults.moc"
