// The page preview of the print dialog on the real printer service: the pages it shows are the
// pages the printing run gives.
#include "PdfFiles.h"
#include "ScriptedMessages.h"
#include "app/Typovise.h"
#include "platform/Controls.h"
#include "platform/QtPrinterService.h"
#include "printing/ApercuPages.h"
#include "printing/PolImprim.h"

#include <QDir>
#include <QLabel>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

struct PreviewSeen
{
    int pages = -1;
    int afterPageDown = -1;
    int afterPageUp = -1;
};

} // namespace

class TestApercu : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void previewShowsThePagesThatArePrinted_data()
    {
        QTest::addColumn<bool>("samples");
        QTest::addColumn<QString>("size");
        QTest::addColumn<int>("atLeastPages");
        QTest::newRow("names only, one page") << false << u"12"_s << 1;
        QTest::newRow("names and large samples, several pages") << true << u"72"_s << 3;
    }

    void previewShowsThePagesThatArePrinted()
    {
        QFETCH(bool, samples);
        QFETCH(QString, size);
        QFETCH(int, atLeastPages);
        QTemporaryDir dir;
        QtPrinterService printer(dir.path());
        QVERIFY2(printer.printsToPdf(), "run without a CUPS server");
        ScriptedMessages messages;
        Typovise typovise(printer, messages, dir.path());
        typovise.demarrer();
        PolImprim *dialog = typovise.afficherImpression();
        dialog->findChild<VbOptionButton *>(u"Option_LC1"_s)->setValue(samples);
        dialog->findChild<VbOptionButton *>(u"Option_LC0"_s)->setValue(!samples);
        dialog->findChild<VbComboBox *>(u"Taille_Police"_s)->setText(size);
        const int estimate = dialog->findChild<QLabel *>(u"Estim_Pages"_s)->text().toInt();

        PreviewSeen seen;
        QTimer::singleShot(0, this, [&] {
            ApercuPages *apercu = dialog->apercu();
            QVERIFY(apercu);
            // Closed whatever this check finds, so that a failure cannot leave it waiting.
            const auto close = qScopeGuard([apercu] { apercu->reject(); });
            // The whole catalogue is drawn first: on a loaded machine that takes a while.
            QTRY_VERIFY_WITH_TIMEOUT(apercu->pageCount() > 0, 120000);
            seen.pages = apercu->pageCount();
            QApplication::setActiveWindow(apercu);
            QVERIFY(QTest::qWaitForWindowActive(apercu));
            QTest::keyClick(apercu, Qt::Key_PageDown);
            seen.afterPageDown = apercu->currentPage();
            QTest::keyClick(apercu, Qt::Key_PageUp);
            seen.afterPageUp = apercu->currentPage();
        });
        auto *modele = dialog->findChild<VbPicture *>(u"Modele"_s);
        modele->setFocus();
        QTest::keyClick(modele, Qt::Key_Return);
        QVERIFY2(seen.pages >= atLeastPages, qPrintable(QString::number(seen.pages)));
        QCOMPARE(seen.afterPageDown, qMin(2, seen.pages));
        QCOMPARE(seen.afterPageUp, 1);
        // Nothing left behind by the preview: no file, no open document.
        QCOMPARE(
            QDir(dir.path()).entryList({ u"*.pdf"_s, u".*.part"_s }, QDir::Files | QDir::Hidden),
            QStringList());

        QTest::mouseClick(dialog->findChild<VkCommand *>(u"Impression"_s), Qt::LeftButton);
        QCOMPARE(pdfPages(printer.lastPdfFile()), seen.pages);
        QCOMPARE(estimate, seen.pages);
    }
};

int main(int argc, char **argv)
{
    qputenv("CUPS_SERVER", "/nonexistent/typovise.sock");
    QApplication app(argc, argv);
    TestApercu test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_apercu.moc"
