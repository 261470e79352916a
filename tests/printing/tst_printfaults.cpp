// Printer faults on a real CUPS queue: a queue that is stopped or refuses jobs, a scheduler
// that goes away in the middle of a run, a sample size at the limit over the complete list and
// a font whose file has gone bad. Each must end in the failure message or in a complete job,
// never in a crash, a false success or a half document.
//
// scripts/test.sh gives these tests a queue of their own on its private cupsd
// (TYPOVISE_CUPS_FAULT_QUEUE, jobs kept in TYPOVISE_CUPS_FAULT_OUTPUT) and a command that stops
// and starts that cupsd (TYPOVISE_CUPSD_CONTROL stop|start).
#include "PrintSession.h"

#include <QElapsedTimer>
#include <QFontDatabase>
#include <QRandomGenerator>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kMessage = u"Défaut d'impression! Corrigez et recommencez."_s;

// Stops the scheduler when the run has output a given number of lines.
class StoppingPrinter : public QtPrinterService
{
public:
    StoppingPrinter(const QString &dir, int at, std::function<void()> stop)
        : QtPrinterService(dir)
        , m_at(at)
        , m_stop(std::move(stop))
    { }
    bool Print(const QString &text) override
    {
        if (++m_lines == m_at)
            m_stop();
        return QtPrinterService::Print(text);
    }

private:
    int m_lines = 0;
    int m_at;
    std::function<void()> m_stop;
};

} // namespace

class TestPrintFaults : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void stoppedQueueHoldsTheJob();
    void faultThenFreshRun_data();
    void faultThenFreshRun();
    void largestSampleSizeOverTheCompleteList();
    void fontThatCannotBeLoaded();

private:
    bool cupsd(const QString &command);
    bool queue(const QString &command);
    QStringList leftInTemp() const;

    QString m_queue;
    QString m_output;
    QString m_control;
    QTemporaryDir m_temp;
};

void TestPrintFaults::initTestCase()
{
    m_queue = qEnvironmentVariable("TYPOVISE_CUPS_FAULT_QUEUE");
    m_output = qEnvironmentVariable("TYPOVISE_CUPS_FAULT_OUTPUT");
    m_control = qEnvironmentVariable("TYPOVISE_CUPSD_CONTROL");
    if (m_queue.isEmpty() || m_output.isEmpty() || m_control.isEmpty())
        QSKIP("no private cupsd with a fault queue: these tests run through scripts/test.sh");
    // The fault queue stands in for the system's default printer, and print jobs wait in a
    // temporary directory that the tests can watch.
    qputenv("LPDEST", m_queue.toLocal8Bit());
    QVERIFY(m_temp.isValid());
    qputenv("TMPDIR", QFile::encodeName(m_temp.path()));
    QtPrinterService printer(m_temp.path());
    QCOMPARE(printer.printerName(), m_queue);
}

void TestPrintFaults::init()
{
    QVERIFY(pdfFiles(m_output).isEmpty());
}

void TestPrintFaults::cleanup()
{
    if (run(u"lpstat"_s, { u"-r"_s }).exitCode != 0)
        QVERIFY(cupsd(u"start"_s));
    QVERIFY(queue(u"cupsenable"_s));
    QVERIFY(queue(u"cupsaccept"_s));
    run(u"cancel"_s, { u"-a"_s, m_queue });
    for (const QString &name : pdfFiles(m_output))
        QFile::remove(QDir(m_output).filePath(name));
}

bool TestPrintFaults::cupsd(const QString &command)
{
    return run(m_control, { command }, 20000).exitCode == 0;
}

bool TestPrintFaults::queue(const QString &command)
{
    return run(command, { m_queue }).exitCode == 0;
}

QStringList TestPrintFaults::leftInTemp() const
{
    return QDir(m_temp.path()).entryList(QDir::Files | QDir::Hidden);
}

void TestPrintFaults::stoppedQueueHoldsTheJob()
{
    QVERIFY(queue(u"cupsdisable"_s));
    Session session;
    session.open();
    const int estimate = session.estimate();
    session.print();
    // CUPS takes the job and holds it: the run is complete as far as the program can know.
    QVERIFY2(session.messages.asked.isEmpty(), qPrintable(session.messages.asked.value(0).text));
    QVERIFY(!session.dialog->isVisible());
    QVERIFY(leftInTemp().isEmpty());
    const QString held = run(u"lpstat"_s, { u"-o"_s, m_queue }).output;
    QVERIFY2(held.contains(m_queue + u'-'), qPrintable(held));
    QTest::qWait(500);
    QVERIFY(pdfFiles(m_output).isEmpty());

    QVERIFY(queue(u"cupsenable"_s));
    const QString job = waitForNewPdf(m_output);
    QVERIFY2(!job.isEmpty(), "the held job was not printed once the queue was started");
    QCOMPARE(pdfPages(job), estimate);
}

void TestPrintFaults::faultThenFreshRun_data()
{
    QTest::addColumn<bool>("schedulerStops"); // else the queue refuses jobs
    QTest::newRow("queue rejects jobs") << false;
    QTest::newRow("scheduler stopped during the run") << true;
}

// The failure message, the dialog kept, nothing left behind; once mended, the same dialog
// prints one whole catalogue, not the rest of the failed one after a second header.
void TestPrintFaults::faultThenFreshRun()
{
    QFETCH(bool, schedulerStops);
    if (!schedulerStops)
        QVERIFY(queue(u"cupsreject"_s));
    bool stopped = false;
    Session session({}, [&](const QString &dir) {
        return new StoppingPrinter(
            dir, schedulerStops ? 5 : -1, [&] { stopped = cupsd(u"stop"_s); });
    });
    session.open();
    session.click(u"Option_LC1"_s);
    const int estimate = session.estimate();
    const int fonts = session.completeList()->ListCount();
    session.print();
    QCOMPARE(stopped, schedulerStops);
    QCOMPARE(session.messages.asked.size(), 1);
    QCOMPARE(session.messages.asked[0].text, kMessage);
    QVERIFY(session.dialog->isVisible());
    QVERIFY(session.control<VkCommand>(u"Fermer"_s)->isVisible());
    QVERIFY(leftInTemp().isEmpty());
    QTest::qWait(500);
    QVERIFY(pdfFiles(m_output).isEmpty());

    QVERIFY(schedulerStops ? cupsd(u"start"_s) : queue(u"cupsaccept"_s));
    session.print();
    QCOMPARE(session.messages.asked.size(), 1);
    QVERIFY(!session.dialog->isVisible());
    const QString job = waitForNewPdf(m_output);
    QVERIFY(!job.isEmpty());
    QCOMPARE(pdfPages(job), estimate);
    QCOMPARE(run(u"pdftotext"_s, { job, u"-"_s }).output.count(u"Portez"_s), fonts);
}

void TestPrintFaults::largestSampleSizeOverTheCompleteList()
{
    Session session;
    session.open();
    session.click(u"Option_LC1"_s);
    session.control<VbComboBox>(u"Taille_Police"_s)->setText(u"2048"_s);
    const int fonts = session.completeList()->ListCount();
    // Every block is taller than a page, so each opens a page of its own.
    QCOMPARE(session.estimate(), fonts + 1);
    QElapsedTimer timer;
    timer.start();
    session.print();
    QVERIFY2(session.messages.asked.isEmpty(), qPrintable(session.messages.asked.value(0).text));
    qInfo("%d fonts at 2048 points printed in %lld ms", fonts, timer.elapsed());
    const QString job = waitForNewPdf(m_output, {}, 60000);
    QVERIFY(!job.isEmpty());
    QCOMPARE(pdfPages(job), fonts + 1);
}

void TestPrintFaults::fontThatCannotBeLoaded()
{
    // A face renamed so that it is the only one of its family, registered while its file was
    // sound, then replaced by bytes no font engine can read, as when a font is removed or
    // damaged while the program runs.
    QFile source(u"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"_s);
    if (!source.open(QIODevice::ReadOnly))
        QFAIL("DejaVu Sans is missing: scripts/setup.sh installs it");
    QByteArray face = source.readAll();
    const auto rename = [&face](QStringView from, QStringView to) {
        face.replace(from.toLatin1(), to.toLatin1());
        QByteArray wideFrom, wideTo;
        for (QChar c : from)
            wideFrom.append('\0').append(char(c.unicode()));
        for (QChar c : to)
            wideTo.append('\0').append(char(c.unicode()));
        face.replace(wideFrom, wideTo);
    };
    rename(u"DejaVu Sans", u"Broken Face");
    const QString path = QDir(m_temp.path()).filePath(u"fonts/broken.ttf"_s);
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(face);
    file.close();
    const int id = QFontDatabase::addApplicationFont(path);
    QVERIFY(id >= 0);
    QVERIFY(QFontDatabase::applicationFontFamilies(id).contains(u"Broken Face"_s));
    QByteArray garbage(face.size(), '\0');
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(garbage.data()), garbage.size() / 4);
    QFile spoiled(path + u".new"_s);
    QVERIFY(spoiled.open(QIODevice::WriteOnly));
    spoiled.write(garbage);
    spoiled.close();
    QVERIFY(QFile::remove(path));
    QVERIFY(QFile::rename(spoiled.fileName(), path));

    Session session;
    session.open();
    auto *complete = session.completeList();
    int broken = -1;
    for (int i = 0; i < complete->ListCount(); ++i) {
        if (complete->List(i).endsWith(u" Broken Face"_s))
            broken = i;
    }
    QVERIFY(broken >= 0);
    session.click(u"Option_LC1"_s);
    const int estimate = session.estimate();
    session.print();
    QFontDatabase::removeApplicationFont(id);
    QVERIFY(QDir(QFileInfo(path).path()).removeRecursively());
    // The font engine stands in another face for one it cannot read, so the run completes.
    QVERIFY2(session.messages.asked.isEmpty(), qPrintable(session.messages.asked.value(0).text));
    const QString job = waitForNewPdf(m_output);
    QVERIFY(!job.isEmpty());
    QCOMPARE(pdfPages(job), estimate);
    const QString text = run(u"pdftotext"_s, { job, u"-"_s }).output;
    QVERIFY2(text.contains(u"Broken Face"_s), qPrintable(text.left(400)));
}

QTEST_MAIN(TestPrintFaults)
#include "tst_printfaults.moc"
