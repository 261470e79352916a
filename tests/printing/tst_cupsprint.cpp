// Printing on the real printer service, through CUPS or into a PDF file, and its faults.
// scripts/test.sh starts a private cupsd with a default queue (jobs in TYPOVISE_CUPS_OUTPUT) and
// a fault queue (TYPOVISE_CUPS_FAULT_QUEUE, jobs in ..._OUTPUT).
#include "Files.h"
#include "Outline.h"
#include "Poppler.h"
#include "ScriptedMessages.h"
#include "main_window/PolPpal.h"
#include "printer/QtPrinterService.h"
#include "printing/ApercuPages.h"
#include "printing/CatalogueLayout.h"
#include "printing/PolImprim.h"
#include "shell/Typovise.h"
#include "widgets/Controls.h"

#include <QDesktopServices>
#include <QLabel>
#include <QMenu>
#include <QPrinter>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

const QString kFailure = u"Défaut d'impression! Corrigez et recommencez."_s;

bool run(const QString &program, const QStringList &args)
{
    QProcess process;
    process.start(program, args);
    const bool ended = process.waitForFinished(30000);
    return ended && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// The first whole PDF file in folder that was not there before, waited for while CUPS passes
// it on; empty when none came.
QString waitForPdf(const QString &folder, const QStringList &before)
{
    for (int waited = 0; waited < 600; ++waited) {
        for (const QString &name : QDir(folder).entryList({ u"*.pdf"_s }, QDir::Files)) {
            const QString path = QDir(folder).filePath(name);
            if (!before.contains(name) && pdfPages(path) > 0)
                return path;
        }
        QTest::qWait(100);
    }
    return {};
}

// The catalogues and working files in a folder, the settings file left aside.
QStringList catalogueFiles(const QString &folder)
{
    return QDir(folder).entryList({ u"*.pdf"_s, u"*.part"_s }, QDir::Files | QDir::Hidden);
}

} // namespace

// Stands for the desktop's viewer.
class OpenedUrls : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public Q_SLOTS:
    void open(const QUrl &url) { urls.append(url); }
};

class TestCupsPrint : public QObject
{
    Q_OBJECT
    const QString m_jobs = qEnvironmentVariable("TYPOVISE_CUPS_OUTPUT");
    const QString m_faultQueue = qEnvironmentVariable("TYPOVISE_CUPS_FAULT_QUEUE");
    const QString m_faultJobs = qEnvironmentVariable("TYPOVISE_CUPS_FAULT_OUTPUT");
    const QString m_duplexQueue = qEnvironmentVariable("TYPOVISE_CUPS_DUPLEX_QUEUE");
    const QString m_duplexJobs = qEnvironmentVariable("TYPOVISE_CUPS_DUPLEX_OUTPUT");

    std::unique_ptr<QTemporaryDir> m_programDir;
    std::unique_ptr<QtPrinterService> m_printer;
    ScriptedMessages m_messages;
    std::unique_ptr<Typovise> m_app;
    PolImprim *m_dialog = nullptr;
    QStringList m_printedNames; // the fonts of the list the dialog prints

    // The dialog over the machine's fonts, printing Liberation and DejaVu Sans from the
    // selection.
    void openDialog()
    {
        m_printer = std::make_unique<QtPrinterService>(m_programDir->path());
        m_app = std::make_unique<Typovise>(*m_printer, m_messages, m_programDir->path());
        m_app->demarrer();
        VbListBox *list = m_app->polPpal()->liste(0);
        for (int i = 0; i < list->ListCount(); ++i) {
            const QString name = CatalogueLayout::fontName(list->List(i));
            const bool chosen
                = name.startsWith(u"Liberation"_s) || name.startsWith(u"DejaVu Sans"_s);
            list->setSelected(i, chosen);
            if (chosen)
                m_printedNames.append(name);
        }
        QTest::mouseClick(m_app->polPpal()->findChild<VkCommand *>(u"Ajoute"_s), Qt::LeftButton);
        m_dialog = m_app->afficherImpression();
        button(u"Ch_Liste1"_s)->click();
    }
    QAbstractButton *button(const QString &name) const
    {
        return m_dialog->findChild<QAbstractButton *>(name);
    }
    // The options chosen; returns the page estimate.
    int choose(bool samples, int size)
    {
        button(samples ? u"Option_LC1"_s : u"Option_LC0"_s)->click();
        m_dialog->findChild<QLineEdit *>(u"Texte1"_s)->setText(u"Catalogue d'essai"_s);
        m_dialog->findChild<VbComboBox *>(u"Taille_Police"_s)->setText(QString::number(size));
        return m_dialog->findChild<QLabel *>(u"Estim_Pages"_s)->text().toInt();
    }
    // The page count of the preview opened from the layout picture with the keyboard.
    int previewPages()
    {
        int pages = -1;
        QTimer::singleShot(0, this, [&] {
            ApercuPages *apercu = m_dialog->apercu();
            QVERIFY(apercu);
            // Closed whatever this check finds, so that a failure cannot leave it waiting.
            const auto close = qScopeGuard([apercu] { apercu->reject(); });
            // The whole catalogue is drawn first: on a loaded machine that takes a while.
            QTRY_VERIFY_WITH_TIMEOUT(apercu->pageCount() > 0, 120000);
            pages = apercu->pageCount();
        });
        auto *modele = m_dialog->findChild<VbPicture *>(u"Modele"_s);
        modele->setFocus();
        QTest::keyClick(modele, Qt::Key_Return);
        return pages;
    }
    // Prints on an entry of the menu of "Imprimer", asked for from the keyboard as a user does
    // with the menu key; false when the menu has no such entry.
    bool printOn(const QString &entry)
    {
        auto *impression = m_dialog->findChild<VkCommand *>(u"Impression"_s);
        impression->setFocus();
        QTest::keyClick(impression, Qt::Key_Menu);
        const QMenu *menu = m_dialog->findChild<QMenu *>(u"Destinations"_s);
        for (QAction *action : menu ? menu->actions() : QList<QAction *>()) {
            if (action->text() == entry) {
                action->trigger();
                return true;
            }
        }
        return false;
    }
    void clickImprimer() { QTest::mouseClick(button(u"Impression"_s), Qt::LeftButton); }
    // Where the catalogue lands: the queue's folder, or the program's when there is no printer.
    QString outputFolder() const { return m_jobs.isEmpty() ? m_programDir->path() : m_jobs; }
    // The catalogue has the estimated pages, the header once, every name, and the samples in
    // their own fonts when asked for.
    void checkCatalogue(const QString &pdf, int estimate, bool samples, bool samplesOnThePage)
    {
        QVERIFY2(!pdf.isEmpty(), "nothing reached the queue or the folder");
        QCOMPARE(pdfPages(pdf), estimate);
        const QStringList fonts = pdfFonts(pdf);
        const QString text = pdfText(pdf);
        QVERIFY2(fonts.contains(u"LiberationSans-BoldItalic"_s), qPrintable(fonts.join(u' ')));
        QCOMPARE(fonts.contains(u"LiberationMono"_s), samples);
        QCOMPARE(text.count(u"Catalogue d'essai"_s), 1);
        QCOMPARE(pdfInfoField(pdf, u"Title"_s), u"Catalogue d'essai"_s);
        QCOMPARE(pdfInfoField(pdf, u"Creator"_s), u"Typovise 2.0"_s);
        // One outline entry per font, in the list's order, each opening the page of its name.
        const QList<OutlineEntry> outline = pdfOutline(pdf);
        const QStringList pages = text.split(u'\f');
        QCOMPARE(outline.size(), m_printedNames.size());
        for (qsizetype n = 0; n < outline.size(); ++n) {
            QCOMPARE(outline[n].title, m_printedNames[n]);
            QVERIFY2(pages.value(outline[n].page).contains(m_printedNames[n]),
                qPrintable(m_printedNames[n]));
        }
        QCOMPARE(text.contains(u"Portez"_s), samplesOnThePage);
        QVERIFY(QFile::remove(pdf));
    }
    // The next jobs go to the fault queue, whatever state a test leaves it in; false when
    // there is none.
    bool useFaultQueue(const QString &temporaryFiles)
    {
        if (m_faultQueue.isEmpty())
            return false;
        qputenv("LPDEST", m_faultQueue.toLocal8Bit());
        qputenv("TMPDIR", QFile::encodeName(temporaryFiles));
        return true;
    }
    bool controlQueue(const QString &command) const { return run(command, { m_faultQueue }); }

private Q_SLOTS:
    void init() { m_programDir = std::make_unique<QTemporaryDir>(); }
    void cleanup()
    {
        if (!m_faultQueue.isEmpty() && qEnvironmentVariableIsSet("LPDEST")) {
            controlQueue(u"cupsenable"_s);
            controlQueue(u"cupsaccept"_s);
            run(u"cancel"_s, { u"-a"_s, m_faultQueue });
        }
        qunsetenv("LPDEST");
        qunsetenv("TMPDIR");
        m_app.reset();
        m_printer.reset();
        m_messages.asked.clear();
        m_printedNames.clear();
    }

    void catalogueArrivesWhole_data()
    {
        QTest::addColumn<bool>("samples");
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("samplesAsText"); // too large for the page, they show no text
        QTest::newRow("names alone") << false << 12 << false;
        QTest::newRow("large samples, several to a page") << true << 150 << true;
        QTest::newRow("samples larger than the page") << true << 2048 << false;
    }
    // The preview shows the estimated pages, and so does the catalogue. Where there is no
    // printer, the user is told where the file went.
    void catalogueArrivesWhole()
    {
        QFETCH(bool, samples);
        QFETCH(int, size);
        QFETCH(bool, samplesAsText);
        openDialog();
        const int estimate = choose(samples, size);
        const QStringList before = catalogueFiles(outputFolder());
        QCOMPARE(previewPages(), estimate);
        QCOMPARE(catalogueFiles(outputFolder()), before); // the preview prints nothing
        clickImprimer();
        QVERIFY(!m_dialog->isVisible());
        if (m_jobs.isEmpty()) {
            QCOMPARE(m_messages.asked.size(), 1);
            QCOMPARE(m_messages.asked[0].text,
                u"Aucune imprimante n'est installée : le catalogue a été enregistré dans le "
                u"fichier\n"_s
                    + m_printer->lastPdfFile());
        } else {
            QVERIFY(m_messages.asked.isEmpty());
        }
        checkCatalogue(waitForPdf(outputFolder(), before), estimate, samples, samplesAsText);
    }

    // A refused job is told once and leaves nothing behind: neither a job nor a temporary
    // file. Once the queue accepts jobs again, the same dialog prints the whole catalogue.
    void rejectingQueueFailsTheRunUntilItAccepts()
    {
        QTemporaryDir temporaryFiles;
        if (!useFaultQueue(temporaryFiles.path()))
            QSKIP("needs the fault queue of scripts/test.sh");
        openDialog();
        const int estimate = choose(true, 12);
        QVERIFY(controlQueue(u"cupsreject"_s));
        const QStringList before = QDir(m_faultJobs).entryList();
        clickImprimer();
        QVERIFY(m_dialog->isVisible());
        QCOMPARE(m_messages.asked.size(), 1);
        QCOMPARE(m_messages.asked[0].text, kFailure);
        QVERIFY(QDir(temporaryFiles.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
        QTest::qWait(500);
        QCOMPARE(QDir(m_faultJobs).entryList(), before);

        QVERIFY(controlQueue(u"cupsaccept"_s));
        clickImprimer();
        checkCatalogue(waitForPdf(m_faultJobs, before), estimate, true, true);
    }

    void chosenPrinterReceivesTheJob()
    {
        if (m_jobs.isEmpty() || m_faultQueue.isEmpty())
            QSKIP("needs the two queues of the private cupsd of scripts/test.sh");
        const QStringList defaultBefore = QDir(m_jobs).entryList();
        const QStringList otherBefore = QDir(m_faultJobs).entryList();
        openDialog();
        QVERIFY(printOn(m_faultQueue));
        QVERIFY(pdfPages(waitForPdf(m_faultJobs, otherBefore)) >= 1);
        QCOMPARE(QDir(m_jobs).entryList(), defaultBefore);
        QCOMPARE(m_printer->destinationText(), u"Imprimante : "_s + m_faultQueue);
        QVERIFY(m_messages.asked.isEmpty());
    }

    // The printer chosen in the print dialog gets the job with the copies and sides chosen
    // there; the job holds only the range's pages, on the paper chosen there, and the estimate
    // counts the pages of that paper.
    void printerOptionsReachTheJob()
    {
        if (m_duplexQueue.isEmpty())
            QSKIP("needs the two-sided queue of the private cupsd of scripts/test.sh");
        openDialog();
        const int estimate = choose(true, 150);
        QVERIFY(estimate >= 3);
        m_messages.printOptions = [this](QPrinter &printer) {
            printer.setPrinterName(m_duplexQueue);
            printer.setCopyCount(3);
            printer.setCollateCopies(false);
            printer.setPageOrder(QPrinter::LastPageFirst);
            printer.setDuplex(QPrinter::DuplexLongSide);
            printer.setPrintRange(QPrinter::PageRange);
            printer.setPageRanges(QPageRanges::fromString(u"2-3"_s));
            printer.setPageSize(QPageSize(QPageSize::A5));
            return true;
        };
        const QStringList before = QDir(m_duplexJobs).entryList();
        QVERIFY(printOn(u"Options d'impression…"_s));
        const QString pdf = waitForPdf(m_duplexJobs, before);
        QCOMPARE(pdfPages(pdf), 2);
        QVERIFY(pdfInfoField(pdf, u"Page size"_s).endsWith(u"(A5)"_s));
        QVERIFY(!pdfText(pdf).contains(u"Catalogue d'essai"_s)); // the header's page is left out
        const QByteArray options = fileBytes(pdf + u".options"_s);
        QVERIFY2(options.startsWith("copies=3 "), options.constData());
        QVERIFY2(options.contains(" sides=two-sided-long-edge"), options.constData());
        QVERIFY2(options.contains(" nocollate "), options.constData());
        QVERIFY2(options.contains(" outputorder=reverse"), options.constData());
        // Opened again, the dialog estimates the smaller paper's pages.
        m_dialog = m_app->afficherImpression();
        QVERIFY(m_dialog->findChild<QLabel *>(u"Estim_Pages"_s)->text().toInt() > estimate);
    }

    // Then "Ouvrir" hands the file to the desktop's viewer.
    void chosenPdfFileIsWrittenAndNamed()
    {
        const QString file = m_programDir->filePath(u"Mon catalogue.pdf"_s);
        m_messages.pdfFile = file;
        m_messages.answers = { MessageBoxes::Open };
        OpenedUrls opened;
        QDesktopServices::setUrlHandler(u"file"_s, &opened, "open");
        const auto restore = qScopeGuard([] { QDesktopServices::unsetUrlHandler(u"file"_s); });
        openDialog();
        QVERIFY(printOn(u"Fichier PDF…"_s));
        QVERIFY(pdfPages(file) >= 1);
        QCOMPARE(m_messages.asked.size(), 1);
        QCOMPARE(m_messages.asked.first().text,
            u"Le catalogue a été enregistré dans le fichier\n"_s + file);
        QCOMPARE(opened.urls, QList<QUrl> { QUrl::fromLocalFile(file) });
        // No working file and no second copy.
        QCOMPARE(catalogueFiles(m_programDir->path()), QStringList { u"Mon catalogue.pdf"_s });
    }
};

QTEST_MAIN(TestCupsPrint)
#include "tst_cupsprint.moc"
