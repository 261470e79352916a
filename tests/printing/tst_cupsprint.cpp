// Printing on the real printer service, through CUPS or into a PDF file, and its faults.
// scripts/test.sh starts a private cupsd with a default queue (jobs in TYPOVISE_CUPS_OUTPUT), a
// fault queue (TYPOVISE_CUPS_FAULT_QUEUE, jobs in ..._OUTPUT) and TYPOVISE_CUPSD_CONTROL
// stop|start.
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

// The first PDF file in dir not in before, waited for while CUPS passes it on, and its pages.
std::pair<QString, int> waitForPdf(const QString &dir, const QStringList &before)
{
    QString info;
    for (int waited = 0; waited < 600; ++waited, QTest::qWait(100)) {
        for (const QString &name : QDir(dir).entryList({ u"*.pdf"_s }, QDir::Files)) {
            if (!before.contains(name) && run(u"pdfinfo"_s, { QDir(dir).filePath(name) }, &info))
                return { QDir(dir).filePath(name),
                    info.section(u"Pages:"_s, 1).split(u'\n')[0].toInt() };
        }
    }
    return {};
}

using Case = std::tuple<QString, int, int, QString, bool>;

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

Q_DECLARE_METATYPE(Case)

class TestCupsPrint : public QObject
{
    Q_OBJECT
    const QString m_queueDir = qEnvironmentVariable("TYPOVISE_CUPS_OUTPUT");

private Q_SLOTS:
    void printing_data()
    {
        // Fault; 1 samples, 4 numbers; size; what lets a held or refused job through; fails.
        QTest::addColumn<Case>("row");
        const QString none;
        QTest::newRow("names numbered") << Case { none, 4, 12, none, false };
        QTest::newRow("samples") << Case { none, 1, 20, none, false };
        QTest::newRow("large samples numbered") << Case { none, 5, 150, none, false };
        QTest::newRow("no printer, directory gone") << Case { u"gone"_s, 0, 12, none, true };
        QTest::newRow("stopped queue") << Case { u"cupsdisable"_s, 1, 12, u"cupsenable"_s, false };
        QTest::newRow("queue rejecting") << Case { u"cupsreject"_s, 1, 12, u"cupsaccept"_s, true };
        QTest::newRow("cupsd stopped mid-run") << Case { u"stop"_s, 1, 12, u"start"_s, true };
        QTest::newRow("size 2048, complete list") << Case { u"complete"_s, 1, 2048, none, false };
        QTest::newRow("a font that cannot be loaded") << Case { u"font"_s, 1, 12, none, false };
    }
    // The page count the dialog estimated, the fonts and the text, or the failure message and
    // nothing left behind; once a fault is mended the same dialog prints one whole catalogue.
    void printing()
    {
        QFETCH(Case, row);
        const auto &[fault, k, size, mend, fails] = row;
        const QString queue = qEnvironmentVariable("TYPOVISE_CUPS_FAULT_QUEUE");
        const QString cupsd = qEnvironmentVariable("TYPOVISE_CUPSD_CONTROL");
        const bool faulty = !fault.isEmpty() && fault != u"gone"_s; // on the fault queue
        if (faulty ? queue.isEmpty() : fault == u"gone"_s && !m_queueDir.isEmpty())
            QSKIP("this fault needs no printer, or the fault queue of scripts/test.sh");
        QTemporaryDir temp, program; // where print jobs wait, so that leftovers show
        if (faulty)
            qputenv("LPDEST", queue.toLocal8Bit()),
                qputenv("TMPDIR", QFile::encodeName(temp.path()));
        const QString jobs
            = faulty ? qEnvironmentVariable("TYPOVISE_CUPS_FAULT_OUTPUT") : m_queueDir;
        const QString output = jobs.isEmpty() ? program.path() : jobs;
        const auto control = [&](const QString &command) {
            const bool scheduler = command == u"stop"_s || command == u"start"_s;
            return scheduler ? run(cupsd, { command }) : run(command, { queue });
        };
        const auto restore = qScopeGuard([&] {
            QString state; // lpstat succeeds whether or not the scheduler runs
            if (faulty && run(u"lpstat"_s, { u"-r"_s }, &state) && state.contains(u"not"_s))
                control(u"start"_s);
            control(u"cupsenable"_s), control(u"cupsaccept"_s),
                run(u"cancel"_s, { u"-a"_s, queue });
            qunsetenv("LPDEST"), qunsetenv("TMPDIR");
        });
        QVERIFY(!fault.startsWith(u"cups"_s) || control(fault));

        // A font registered while sound, then damaged while the program runs.
        int font = -1;
        QFile file(temp.filePath(u"fonts/broken.ttf"_s)),
            source(u"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"_s);
        if (fault == u"font"_s) {
            QVERIFY(source.open(QIODevice::ReadOnly) && QDir(temp.path()).mkdir(u"fonts"_s));
            QByteArray face = source.readAll().replace("DejaVu Sans", "Broken Face");
            face.replace(QByteArray("\0D\0e\0j\0a\0V\0u\0 \0S\0a\0n\0s", 22),
                QByteArray("\0B\0r\0o\0k\0e\0n\0 \0F\0a\0c\0e", 22));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(face) == face.size());
            file.close();
            font = QFontDatabase::addApplicationFont(file.fileName());
            QRandomGenerator(7).fillRange(
                reinterpret_cast<quint32 *>(face.data()), face.size() / 4);
            QVERIFY(
                font >= 0 && file.open(QIODevice::WriteOnly) && file.write(face) == face.size());
            file.close();
        }
        const auto forget = qScopeGuard([font] { QFontDatabase::removeApplicationFont(font); });

        bool stopped = false;
        StoppingPrinter printer(program.path());
        printer.stopAt = fault == u"stop"_s ? 5 : -1;
        printer.stop = [&] { stopped = control(u"stop"_s); };
        ScriptedMessages messages;
        Typovise app(printer, messages, program.path());
        app.setPdfAnnouncer(&printer);
        app.demarrer();
        // A selection of the fonts the layout and the samples should show, or the whole list.
        VbListBox *list = app.polPpal()->liste(0);
        QStringList names;
        for (int i = 0; i < list->ListCount(); ++i) {
            const QString name = list->List(i).section(u' ', 1);
            list->setSelected(
                i, name.startsWith(u"Liberation"_s) || name.startsWith(u"DejaVu Sans"_s));
            if (list->item(i)->isSelected() || !fault.isEmpty())
                names << name;
        }
        QTest::mouseClick(app.polPpal()->findChild<VkCommand *>(u"Ajoute"_s), Qt::LeftButton);
        PolImprim *dialog = app.afficherImpression();
        const auto in
            = [dialog](const QString &name) { return dialog->findChild<QAbstractButton *>(name); };
        in(fault.isEmpty() ? u"Ch_Liste1"_s : u"Ch_Liste0"_s)->click();
        in(u"Option_LC%1"_s.arg(k & 1))->click();
        in(u"Avec_No%1"_s.arg(k >> 2))->click();
        dialog->findChild<QLineEdit *>(u"Texte1"_s)->setText(u"Catalogue d'essai"_s);
        dialog->findChild<VbComboBox *>(u"Taille_Police"_s)->setText(QString::number(size));
        const int estimate = dialog->findChild<QLabel *>(u"Estim_Pages"_s)->text().toInt();
        QVERIFY(size != 2048 || estimate == names.size() + 1); // a page for each block
        if (fault == u"gone"_s)
            QVERIFY(QDir(program.path()).removeRecursively());
        const QStringList before = QDir(output).entryList();
        QTest::mouseClick(in(u"Impression"_s), Qt::LeftButton);
        QCOMPARE(stopped, fault == u"stop"_s);
        QCOMPARE(dialog->isVisible(), fails);
        QVERIFY(QDir(temp.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
        if (!mend.isEmpty()) {
            QTest::qWait(500);
            QCOMPARE(QDir(output).entryList(), before);
            QVERIFY(control(mend));
            if (fails)
                QTest::mouseClick(in(u"Impression"_s), Qt::LeftButton);
        }
        // Told of the failure once, or of the PDF file's place; nothing of a printer's job.
        const QString pdfTold = u"Aucune imprimante n'est installée : le catalogue a été "
                                u"enregistré dans le fichier\n"_s
            + printer.lastPdfFile();
        QCOMPARE(messages.asked.size(), int(fails || jobs.isEmpty()));
        QCOMPARE(messages.asked.value(0).text,
            fails                ? u"Défaut d'impression! Corrigez et recommencez."_s
                : jobs.isEmpty() ? pdfTold
                                 : QString());
        QCOMPARE(QFileInfo::exists(program.path()), fault != u"gone"_s); // no half file
        if (fails && mend.isEmpty())
            return;

        const auto [pdf, pages] = waitForPdf(output, before);
        QVERIFY2(!pdf.isEmpty(), "nothing reached the queue or the directory");
        QCOMPARE(pages, estimate);
        QString fonts, text;
        QVERIFY(run(u"pdffonts"_s, { pdf }, &fonts) && run(u"pdftotext"_s, { pdf, u"-"_s }, &text));
        QVERIFY2(fonts.contains(u"LiberationSans-BoldItalic"_s), qPrintable(fonts)); // the header
        QCOMPARE(
            fonts.contains(u"DejaVuSans "_s) && fonts.contains(u"LiberationMono"_s), bool(k & 1));
        QCOMPARE(text.count(u"Catalogue d'essai"_s), 1);
        for (const QString &name : names)
            QVERIFY2(text.contains(name), qPrintable(name));
        QCOMPARE(text.contains(u"Portez"_s), k & 1 && size != 2048);
        QVERIFY(QFile::remove(pdf));
    }

    // Sizes the font system cannot take are measured at the smallest or the largest it takes.
    void sizesOutOfRange()
    {
        QTemporaryDir dir;
        QtPrinterService printer(dir.path());
        const auto at = [&printer](double size) {
            printer.setFontSize(size);
            return printer.TextHeight(u"Test"_s);
        };
        const double smallest = at(1), largest = at(2048);
        QVERIFY(smallest > 0 && largest > 1000 * smallest);
        for (double size : { 0.0, -5.0, -1e300, qQNaN(), 1e9, qInf() })
            QCOMPARE(at(size), size > 1 ? largest : smallest);
    }

    // Started within the second of a file already there, a catalogue gets a name of its own.
    void pdfNeverOverwrites()
    {
        QTemporaryDir dir;
        QtPrinterService printer(dir.path());
        if (!printer.printsToPdf())
            QSKIP("a default printer exists: catalogues go to it, not to a file");
        printer.setClock([] { return QDateTime(QDate(2026, 12, 5), QTime(9, 5, 7)); });
        const QString name = dir.filePath(u"Typovise 2026-12-05 09-05-07%1.pdf"_s);
        QFile kept(name.arg(QString()));
        QVERIFY(kept.open(QIODevice::WriteOnly) && kept.write("kept") == 4);
        kept.close();
        for (int n : { 2, 3 })
            QVERIFY(printer.Print(u"Cat"_s) && printer.EndDoc()
                && printer.lastPdfFile() == name.arg(u" (%1)"_s.arg(n)));
        QVERIFY(kept.open(QIODevice::ReadOnly) && kept.readAll() == "kept");
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 3);
    }

    // The estimate counts a spacing line after the last entry, which is never printed: blocks
    // that fill a page with less than that line to spare are estimated at two pages, print on one.
    void lastSpacingLineOnlyInTheEstimate()
    {
        QTemporaryDir dir;
        QtPrinterService printer(dir.path());
        const auto height = [&printer](const QString &face, double size, bool bold) {
            printer.setFontName(face), printer.setFontSize(size), printer.setFontBold(bold);
            return printer.setFontItalic(bold), printer.TextHeight(u"Test"_s);
        };
        const QString face = u"Liberation Serif"_s;
        const double gap = height(u"Arial"_s, 10, false), name = height(u"Arial"_s, 12, false);
        const double room = printer.ScaleHeight() - height(u"Arial"_s, 15, true) - gap;
        CatalogueOptions options { true, true, false, 12, { { {}, u"Portez"_s, u"0123"_s } },
            u"Cat"_s, false, false };
        QStringList entries;
        for (int size = 12; size < 300 && entries.isEmpty(); ++size) {
            const double block = name + 2 * height(face, size, false);
            const int n = int((room + gap) / (block + gap)); // as many as print on the page
            const bool shape
                = n >= 2 && n * block + (n - 1) * gap < room - 1 && n * (block + gap) > room + 1;
            for (int i = 1; shape && i <= n; ++i)
                entries << u"%1 "_s.arg(i) + face, options.TaillePolice = size;
        }
        QVERIFY2(!entries.isEmpty(), "no list of that shape on this page size");
        const CatalogueLayout layout(printer, entries, options);
        QCOMPARE(layout.Nb_Pages(), std::optional<qint64>(2));
        const QString output = m_queueDir.isEmpty() ? dir.path() : m_queueDir;
        const QStringList before = QDir(output).entryList();
        QVERIFY(layout.print(QDateTime::currentDateTime(), QLocale::c()));
        QCOMPARE(waitForPdf(output, before).second, 1);
    }
};

QTEST_MAIN(TestCupsPrint)
#include "tst_cupsprint.moc"
