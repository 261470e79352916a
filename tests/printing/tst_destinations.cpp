// Choosing where a catalogue goes, from the context menu of the print dialog's "Imprimer", on
// the real printer service: scripts/test.sh gives its private cupsd two queues, the default
// one (jobs in TYPOVISE_CUPS_OUTPUT) and TYPOVISE_CUPS_FAULT_QUEUE (jobs in ..._FAULT_OUTPUT).
#include "PdfFiles.h"
#include "ScriptedMessages.h"
#include "app/Typovise.h"
#include "platform/Controls.h"
#include "platform/QtPrinterService.h"
#include "printing/PolImprim.h"

#include <QDir>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// The PDF files of a queue's output folder, waited for while CUPS passes a job on.
QStringList jobsArrived(const QString &folder, const QStringList &before)
{
    QStringList arrived;
    for (int waited = 0; waited < 300 && arrived.isEmpty(); ++waited) {
        QTest::qWait(100);
        for (const QString &name : QDir(folder).entryList({ u"*.pdf"_s }, QDir::Files)) {
            if (!before.contains(name))
                arrived.append(name);
        }
    }
    return arrived;
}

QStringList actionTexts(const QMenu *menu)
{
    QStringList texts;
    for (const QAction *action : menu->actions()) {
        if (!action->isSeparator())
            texts.append(action->text());
    }
    return texts;
}

QAction *actionNamed(const QMenu *menu, const QString &text)
{
    for (QAction *action : menu->actions()) {
        if (action->text() == text)
            return action;
    }
    return nullptr;
}

} // namespace

class TestDestinations : public QObject
{
    Q_OBJECT

    const QString m_defaultJobs = qEnvironmentVariable("TYPOVISE_CUPS_OUTPUT");
    const QString m_otherQueue = qEnvironmentVariable("TYPOVISE_CUPS_FAULT_QUEUE");
    const QString m_otherJobs = qEnvironmentVariable("TYPOVISE_CUPS_FAULT_OUTPUT");

    QTemporaryDir m_dir;
    std::unique_ptr<QtPrinterService> m_printer;
    ScriptedMessages m_messages;
    std::unique_ptr<Typovise> m_typovise;

    // The print dialog open over the real fonts, its "Imprimer" asked for its menu from the
    // keyboard, as a user does with the menu key.
    QMenu *openDestinationMenu()
    {
        m_printer = std::make_unique<QtPrinterService>(m_dir.path());
        m_typovise = std::make_unique<Typovise>(*m_printer, m_messages, m_dir.path());
        m_typovise->setPdfAnnouncer(m_printer.get());
        m_typovise->demarrer();
        PolImprim *dialog = m_typovise->afficherImpression();
        auto *impression = dialog->findChild<VkCommand *>(u"Impression"_s);
        impression->setFocus();
        QTest::keyClick(impression, Qt::Key_Menu);
        return dialog->findChild<QMenu *>(u"Destinations"_s);
    }

private Q_SLOTS:
    void cleanup()
    {
        m_typovise.reset();
        m_printer.reset();
        m_messages.asked.clear();
    }

    void chosenPrinterReceivesTheJob()
    {
        if (m_defaultJobs.isEmpty() || m_otherQueue.isEmpty())
            QSKIP("needs the two queues of the private cupsd of scripts/test.sh");
        const QStringList defaultBefore = QDir(m_defaultJobs).entryList();
        const QStringList otherBefore = QDir(m_otherJobs).entryList();
        QMenu *menu = openDestinationMenu();
        QVERIFY(menu);
        QVERIFY(menu->isVisible());
        const QString defaultQueue = m_printer->printerName();
        QVERIFY(actionTexts(menu).contains(defaultQueue));
        QVERIFY(actionTexts(menu).contains(m_otherQueue));
        QCOMPARE(actionTexts(menu).last(), u"Fichier PDF…"_s);
        QVERIFY(actionNamed(menu, defaultQueue)->isChecked());
        QVERIFY(!actionNamed(menu, m_otherQueue)->isChecked());

        actionNamed(menu, m_otherQueue)->trigger();
        const QStringList arrived = jobsArrived(m_otherJobs, otherBefore);
        QCOMPARE(arrived.size(), 1);
        QVERIFY(pdfPages(QDir(m_otherJobs).filePath(arrived.first())) >= 1);
        QCOMPARE(QDir(m_defaultJobs).entryList(), defaultBefore);
        QCOMPARE(m_printer->destinationText(), u"Imprimante : "_s + m_otherQueue);
        QVERIFY(m_messages.asked.isEmpty());
    }

    void chosenPdfFileIsWrittenAndNamed()
    {
        const QString file = m_dir.filePath(u"Mon catalogue.pdf"_s);
        m_messages.pdfFile = file;
        QMenu *menu = openDestinationMenu();
        QVERIFY(menu);
        actionNamed(menu, u"Fichier PDF…"_s)->trigger();
        QVERIFY(pdfPages(file) >= 1);
        QCOMPARE(m_messages.pdfProposals.size(), 1);
        QVERIFY(m_messages.pdfProposals.first().startsWith(m_dir.path() + u'/'));
        QCOMPARE(m_messages.asked.size(), 1);
        QCOMPARE(m_messages.asked.first().text,
            u"Le catalogue a été enregistré dans le fichier\n"_s + file);
        // Nothing else left in the folder: no working file, no second copy.
        QCOMPARE(
            QDir(m_dir.path()).entryList({ u"*.pdf"_s, u".*.part"_s }, QDir::Files | QDir::Hidden),
            QStringList { u"Mon catalogue.pdf"_s });
    }

    void givingUpTheFileChooserPrintsNothing()
    {
        m_messages.pdfFile.clear();
        QMenu *menu = openDestinationMenu();
        QVERIFY(menu);
        const QString before = m_printer->destinationText();
        actionNamed(menu, u"Fichier PDF…"_s)->trigger();
        QCOMPARE(m_printer->destinationText(), before);
        QVERIFY(m_typovise->polImprim()->isVisible());
        QVERIFY(m_messages.asked.isEmpty());
    }
};

QTEST_MAIN(TestDestinations)
#include "tst_destinations.moc"
