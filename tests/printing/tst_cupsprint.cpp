// The printing road on the real printer service: the dialog's estimate and printing run, what
// reached the CUPS test queue (or the PDF file where the system has no printer), and printer
// faults. scripts/test.sh starts a private cupsd with a default queue (jobs kept in
// TYPOVISE_CUPS_OUTPUT), a fault queue (TYPOVISE_CUPS_FAULT_QUEUE, jobs kept in
// TYPOVISE_CUPS_FAULT_OUTPUT) and a command that stops and starts it (TYPOVISE_CUPSD_CONTROL).
#include "ScriptedMessages.h"
#include "app/Typovise.h"
#include "main_window/PolPpal.h"
#include "platform/Controls.h"
#include "platform/QtPrinterService.h"
#include "printing/CatalogueLayout.h"
#include "printing/PolImprim.h"

#include <QFontDatabase>
#include <QLabel>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

// Whether the command succeeded; its standard output goes to output.
bool run(const QString &program, const QStringList &args, QString *output = nullptr)
{
    QProcess process;
    process.start(program, args);
    const bool ended = process.waitForFinished(30000);
    if (output)
        *output = QString::fromUtf8(process.readAllStandardOutput());
    return ended && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

int pdfPages(const QString &file)
{
    QString info;
    run(u"pdfinfo"_s, { file }, &info);
    const auto pages = QRegularExpression(u"Pages:\\s*(\\d+)"_s).match(info);
    return pages.hasMatch() ? pages.captured(1).toInt() : -1;
}

// The first PDF file in dir that is not in before, waited for while CUPS passes it on.
QString waitForPdf(const QString &dir, const QStringList &before = {})
{
    for (int waited = 0; waited < 600; ++waited, QTest::qWait(100)) {
        for (const QString &name : QDir(dir).entryList({ u"*.pdf"_s }, QDir::Files))
            if (!before.contains(name))
                return QDir(dir).filePath(name);
    }
    return QString();
}

// The program on the real printer service, its print dialog open.
struct Session
{
    QTemporaryDir temp;
    QString dir;
    std::unique_ptr<QtPrinterService> printer;
    ScriptedMessages messages;
    Typovise app { *printer, messages, dir };
    PolImprim *dialog = nullptr;

    explicit Session(const QString &programDir = {},
        const std::function<QtPrinterService *(const QString &)> &make = {})
        : dir(programDir.isEmpty() ? temp.path() : programDir)
        , printer(make ? make(dir) : new QtPrinterService(dir))
    {
        app.setPdfAnnouncer(printer.get());
        app.demarrer();
    }
    template <typename T = QAbstractButton> T *control(const QString &name)
    {
        return dialog->findChild<T *>(name);
    }
    int estimate() { return control<QLabel>(u"Estim_Pages"_s)->text().toInt(); }
    void print() { QTest::mouseClick(control(u"Impression"_s), Qt::LeftButton); }
};

// Stops the scheduler when the run has output a given number of lines.
struct StoppingPrinter : QtPrinterService
{
    using QtPrinterService::QtPrinterService;
    int lines = 0, stopAt = -1;
    std::function<void()> stop;
    bool Print(const QString &text) override
    {
        if (++lines == stopAt)
            stop();
        return QtPrinterService::Print(text);
    }
};

} // namespace

class TestCupsPrint : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void printsWhatTheEstimateSays_data();
    void printsWhatTheEstimateSays();
    void lastSpacingLineOnlyInTheEstimate();
    void unwritableDirectoryWithoutPrinter();
    void printerFaults_data();
    void printerFaults();

private:
    QString output(const QString &programDir) const
    {
        return m_queueDir.isEmpty() ? programDir : m_queueDir;
    }
    const QString m_queueDir = qEnvironmentVariable("TYPOVISE_CUPS_OUTPUT");
};

void TestCupsPrint::initTestCase()
{
    // Either the test queue is the default printer, or there is none and PDF files are used.
    QTemporaryDir dir;
    QtPrinterService printer(dir.path());
    QCOMPARE(printer.printerName(), m_queueDir.isEmpty() ? QString() : u"TypoviseTest"_s);
}

void TestCupsPrint::printsWhatTheEstimateSays_data()
{
    QTest::addColumn<bool>("samples");
    QTest::addColumn<bool>("numbers");
    QTest::addColumn<QString>("size");
    QTest::newRow("names numbered") << false << true << u"12"_s;
    QTest::newRow("samples") << true << false << u"20"_s;
    QTest::newRow("large samples numbered") << true << true << u"150"_s;
}

void TestCupsPrint::printsWhatTheEstimateSays()
{
    QFETCH(bool, samples);
    QFETCH(bool, numbers);
    QFETCH(QString, size);
    Session session;
    VbListBox *complete = session.app.polPpal()->liste(0);
    QStringList chosen;
    for (int i = 0; i < complete->ListCount(); ++i) {
        const QString entry = complete->List(i);
        complete->setSelected(
            i, entry.contains(u"Liberation"_s) || entry.contains(u"DejaVu Sans"_s));
        if (complete->item(i)->isSelected())
            chosen << entry.section(u' ', 1);
    }
    QVERIFY(chosen.size() >= 3);
    QTest::mouseClick(session.app.polPpal()->findChild<VkCommand *>(u"Ajoute"_s), Qt::LeftButton);
    session.dialog = session.app.afficherImpression();
    session.control<QLineEdit>(u"Texte1"_s)->setText(u"Catalogue d'essai"_s);
    session.control(samples ? u"Option_LC1"_s : u"Option_LC0"_s)->click();
    session.control(numbers ? u"Avec_No1"_s : u"Avec_No0"_s)->click();
    session.control<VbComboBox>(u"Taille_Police"_s)->setText(size);
    const int estimate = session.estimate();
    const QStringList before = QDir(output(session.dir)).entryList();
    session.print();
    // Told where the file is; nothing to tell of a printer's job.
    QCOMPARE(session.messages.asked.size(), int(m_queueDir.isEmpty()));
    if (m_queueDir.isEmpty())
        QCOMPARE(session.messages.asked[0].text,
            u"Aucune imprimante n'est installée : le catalogue a été enregistré dans le fichier\n"_s
                + session.printer->lastPdfFile());
    const QString pdf = waitForPdf(output(session.dir), before);
    QVERIFY2(!pdf.isEmpty(), "nothing reached the queue or the directory");
    QCOMPARE(pdfPages(pdf), estimate);
    QString fonts, text;
    QVERIFY(run(u"pdffonts"_s, { pdf }, &fonts) && run(u"pdftotext"_s, { pdf, u"-"_s }, &text));
    QVERIFY2(fonts.contains(u"LiberationSans-BoldItalic"_s), qPrintable(fonts)); // the header
    QCOMPARE(fonts.contains(u"DejaVuSans "_s) && fonts.contains(u"LiberationMono"_s), samples);
    QVERIFY2(text.contains(u"Catalogue d'essai"_s), qPrintable(text.left(400)));
    for (const QString &name : chosen)
        QVERIFY2(text.contains(name), qPrintable(name));
    QCOMPARE(text.contains(u"Portez"_s), samples);
}

// The estimate counts a spacing line after the last entry, which is never printed: blocks that
// fill a page with less than that line to spare are estimated at two pages and print on one.
void TestCupsPrint::lastSpacingLineOnlyInTheEstimate()
{
    QTemporaryDir dir;
    QtPrinterService printer(dir.path());
    const auto height = [&printer](const QString &face, double size, bool bold) {
        printer.setFontName(face);
        printer.setFontSize(size);
        printer.setFontBold(bold);
        printer.setFontItalic(bold);
        return printer.TextHeight(u"Test"_s);
    };
    const QString face = u"Liberation Serif"_s;
    const double gap = height(u"Arial"_s, 10, false), name = height(u"Arial"_s, 12, false);
    const double room = printer.ScaleHeight() - height(u"Arial"_s, 15, true) - gap;
    CatalogueOptions options { true, true, false, 12, { { QString(), u"Portez"_s, u"0123"_s } },
        u"Catalogue"_s, false, false };
    QStringList entries;
    for (int size = 12; size < 300 && entries.isEmpty(); ++size) {
        const double block = name + 2 * height(face, size, false);
        const int n = int((room + gap) / (block + gap)); // as many as print on the page
        for (int i = 1; n >= 2 && n * block + (n - 1) * gap < room - 1
             && n * (block + gap) > room + 1 && i <= n;
             ++i)
            entries << u"%1 "_s.arg(i, 2, 10, QChar(u'0')) + face, options.TaillePolice = size;
    }
    QVERIFY2(!entries.isEmpty(), "no list of that shape on this page size");
    const CatalogueLayout layout(printer, entries, options);
    QCOMPARE(layout.Nb_Pages(), std::optional<qint64>(2));
    const QStringList before = QDir(output(dir.path())).entryList();
    QVERIFY(layout.print(QDateTime::currentDateTime(), QLocale::c()));
    const QString pdf = waitForPdf(output(dir.path()), before);
    QVERIFY2(!pdf.isEmpty(), "nothing reached the queue or the directory");
    QCOMPARE(pdfPages(pdf), 1);
}

// A program directory gone after the start (root writes anywhere else) is a printing failure.
void TestCupsPrint::unwritableDirectoryWithoutPrinter()
{
    if (!m_queueDir.isEmpty())
        QSKIP("checked where no printer exists (tst_pdffallback)");
    QTemporaryDir dir;
    const QString program = dir.filePath(u"programme"_s);
    QVERIFY(QDir().mkpath(program));
    Session session(program);
    session.dialog = session.app.afficherImpression();
    QVERIFY(QDir(program).removeRecursively());
    session.print();
    QCOMPARE(session.messages.asked.size(), 1);
    QCOMPARE(session.messages.asked[0].text, u"Défaut d'impression! Corrigez et recommencez."_s);
    QVERIFY(session.dialog->isVisible());
    QVERIFY(QDir(dir.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}

void TestCupsPrint::printerFaults_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("fails"); // else the job completes
    QTest::addColumn<QString>("mend"); // what lets a held or refused catalogue through
    QTest::newRow("stopped queue holds the job") << u"cupsdisable"_s << false << u"cupsenable"_s;
    QTest::newRow("queue rejects jobs") << u"cupsreject"_s << true << u"cupsaccept"_s;
    QTest::newRow("cupsd stopped during the run") << u"stop"_s << true << u"start"_s;
    QTest::newRow("size 2048 over the complete list") << u"2048"_s << false << QString();
    QTest::newRow("a font that cannot be loaded") << u"font"_s << false << QString();
}

// The message or a complete job, never a half document; once mended, the same dialog prints
// one whole fresh catalogue.
void TestCupsPrint::printerFaults()
{
    QFETCH(QString, fault);
    QFETCH(bool, fails);
    QFETCH(QString, mend);
    const QString queue = qEnvironmentVariable("TYPOVISE_CUPS_FAULT_QUEUE");
    const QString jobs = qEnvironmentVariable("TYPOVISE_CUPS_FAULT_OUTPUT");
    const QString cupsd = qEnvironmentVariable("TYPOVISE_CUPSD_CONTROL");
    if (queue.isEmpty() || jobs.isEmpty() || cupsd.isEmpty())
        QSKIP("no private cupsd with a fault queue: these tests run through scripts/test.sh");
    QTemporaryDir temp; // where print jobs wait, so that leftovers can be seen
    qputenv("LPDEST", queue.toLocal8Bit());
    qputenv("TMPDIR", QFile::encodeName(temp.path()));
    const auto control = [&](const QString &command) {
        const bool scheduler = command == u"stop"_s || command == u"start"_s;
        return scheduler ? run(cupsd, { command }) : run(command, { queue });
    };
    const auto restore = qScopeGuard([&] {
        if (!run(u"lpstat"_s, { u"-r"_s }))
            control(u"start"_s);
        control(u"cupsenable"_s), control(u"cupsaccept"_s), run(u"cancel"_s, { u"-a"_s, queue });
        for (const QString &name : QDir(jobs).entryList(QDir::Files))
            QFile::remove(QDir(jobs).filePath(name));
    });
    QVERIFY(!fault.startsWith(u"cups"_s) || control(fault));

    // DejaVu Sans renamed "Broken Face", registered while sound, then overwritten with bytes no
    // font engine reads, as when a font is damaged while the program runs.
    int font = -1;
    QFile file(QDir(temp.path()).filePath(u"fonts/broken.ttf"_s));
    if (fault == u"font"_s) {
        QFile source(u"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"_s);
        QVERIFY(source.open(QIODevice::ReadOnly) && QDir(temp.path()).mkdir(u"fonts"_s));
        QByteArray face = source.readAll().replace("DejaVu Sans", "Broken Face");
        face.replace(QByteArray("\0D\0e\0j\0a\0V\0u\0 \0S\0a\0n\0s", 22),
            QByteArray("\0B\0r\0o\0k\0e\0n\0 \0F\0a\0c\0e", 22));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(face) == face.size());
        file.close();
        font = QFontDatabase::addApplicationFont(file.fileName());
        QVERIFY(font >= 0 && file.open(QIODevice::WriteOnly));
        QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(face.data()), face.size() / 4);
        QVERIFY(file.write(face) == face.size());
        file.close();
    }
    const auto forget = qScopeGuard([font] { QFontDatabase::removeApplicationFont(font); });

    bool stopped = false;
    Session session({}, [&](const QString &dir) {
        auto *printer = new StoppingPrinter(dir);
        printer->stopAt = fault == u"stop"_s ? 5 : -1;
        printer->stop = [&] { stopped = control(u"stop"_s); };
        return printer;
    });
    session.dialog = session.app.afficherImpression();
    session.control(u"Option_LC1"_s)->click();
    if (fault == u"2048"_s)
        session.control<VbComboBox>(u"Taille_Police"_s)->setText(u"2048"_s);
    const int estimate = session.estimate(), fonts = session.app.polPpal()->liste(0)->ListCount();
    QVERIFY(fault != u"2048"_s || estimate == fonts + 1); // each block opens a page of its own
    session.print();
    QCOMPARE(stopped, fault == u"stop"_s);
    QCOMPARE(session.messages.asked.size(), int(fails));
    QCOMPARE(session.dialog->isVisible(), fails);
    QVERIFY(QDir(temp.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
    if (!mend.isEmpty()) {
        QTest::qWait(500);
        QVERIFY(QDir(jobs).entryList(QDir::Files).isEmpty());
        QVERIFY(control(mend));
        if (fails)
            session.print();
        QCOMPARE(session.messages.asked.size(), int(fails));
    }
    const QString job = waitForPdf(jobs);
    QVERIFY2(!job.isEmpty(), "no job came out");
    QCOMPARE(pdfPages(job), estimate);
    QString text;
    QVERIFY(run(u"pdftotext"_s, { job, u"-"_s }, &text));
    QCOMPARE(text.count(u"Polices..."_s), 1);
    QCOMPARE(text.contains(u"Broken Face"_s), font >= 0);
}

QTEST_MAIN(TestCupsPrint)
#include "tst_cupsprint.moc"
