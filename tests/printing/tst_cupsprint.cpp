// The whole printing road on the real printer service: the dialog's estimate, its printing
// run, and what reached the CUPS queue (or the PDF file where the system has no printer).
#include "ScriptedMessages.h"
#include "app/Typovise.h"
#include "main_window/PolPpal.h"
#include "platform/Controls.h"
#include "platform/QtPrinterService.h"
#include "printing/PolImprim.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000))
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

int pdfPages(const QString &file)
{
    const QString info = run(u"pdfinfo"_qs, { file });
    for (const QString &line : info.split(u'\n')) {
        if (line.startsWith(u"Pages:"_qs))
            return line.mid(6).trimmed().toInt();
    }
    return -1;
}

} // namespace

class TestCupsPrint : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void printsWhatTheEstimateSays_data();
    void printsWhatTheEstimateSays();
    void unwritableDirectoryIsAFailure();

private:
    QString waitForOutput(const QString &programDir, const QStringList &before);
    bool m_toQueue = false;
    QString m_queueDir;
};

void TestCupsPrint::initTestCase()
{
    m_queueDir = qEnvironmentVariable("TYPOVISE_CUPS_OUTPUT");
    m_toQueue = !m_queueDir.isEmpty();
    QTemporaryDir dir;
    QtPrinterService printer(dir.path());
    // Either the test queue is the default printer, or there is none and PDF files are used.
    QCOMPARE(printer.printsToPdf(), !m_toQueue);
    if (m_toQueue)
        QCOMPARE(printer.printerName(), u"TypoviseTest"_qs);
}

QString TestCupsPrint::waitForOutput(const QString &programDir, const QStringList &before)
{
    const QDir dir(m_toQueue ? m_queueDir : programDir);
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 30000) {
        const QStringList now = dir.entryList({ u"*.pdf"_qs }, QDir::Files);
        for (const QString &name : now) {
            if (!before.contains(name))
                return dir.filePath(name);
        }
        QTest::qWait(100);
    }
    return QString();
}

void TestCupsPrint::printsWhatTheEstimateSays_data()
{
    QTest::addColumn<bool>("samples");
    QTest::addColumn<bool>("numbers");
    QTest::addColumn<QString>("size");
    QTest::newRow("names") << false << false << u"12"_qs;
    QTest::newRow("names numbered") << false << true << u"12"_qs;
    QTest::newRow("samples") << true << false << u"20"_qs;
    QTest::newRow("large samples") << true << true << u"150"_qs;
}

void TestCupsPrint::printsWhatTheEstimateSays()
{
    QFETCH(bool, samples);
    QFETCH(bool, numbers);
    QFETCH(QString, size);
    QTemporaryDir dir;
    QtPrinterService printer(dir.path());
    ScriptedMessages messages;
    Typovise app(printer, messages, dir.path());
    app.setPdfAnnouncer(&printer);
    app.demarrer();
    auto *complete = app.polPpal()->findChild<VbListBox *>(u"Liste0"_qs);
    // The selection: every font whose name the layout or the samples should show.
    complete->clearSelection();
    QStringList chosen;
    for (int i = 0; i < complete->ListCount(); ++i) {
        const QString entry = complete->List(i);
        if (entry.contains(u"Liberation"_qs) || entry.contains(u"DejaVu Sans"_qs)) {
            complete->setSelected(i, true);
            chosen.append(entry.section(u' ', 1));
        }
    }
    QVERIFY(chosen.size() >= 3);
    QTest::mouseClick(app.polPpal()->findChild<VkCommand *>(u"Ajoute"_qs), Qt::LeftButton);

    PolImprim *dialog = app.afficherImpression();
    auto find = [dialog](const QString &name) { return dialog->findChild<QWidget *>(name); };
    qobject_cast<QLineEdit *>(find(u"Texte1"_qs))->setText(u"Catalogue d'essai"_qs);
    if (samples)
        qobject_cast<VbOptionButton *>(find(u"Option_LC1"_qs))->click();
    if (numbers)
        qobject_cast<VbOptionButton *>(find(u"Avec_No1"_qs))->click();
    qobject_cast<VbComboBox *>(find(u"Taille_Police"_qs))->setText(size);
    const int estimate = qobject_cast<QLabel *>(find(u"Estim_Pages"_qs))->text().toInt();
    QVERIFY(estimate >= 1);

    const QStringList before = QDir(m_toQueue ? m_queueDir : dir.path()).entryList({ u"*.pdf"_qs });
    QTest::mouseClick(qobject_cast<QPushButton *>(find(u"Impression"_qs)), Qt::LeftButton);
    for (const auto &box : messages.asked)
        QVERIFY2(box.style != 48, qPrintable(box.text));
    if (!m_toQueue) {
        QCOMPARE(messages.asked.size(), 1);
        QCOMPARE(messages.asked[0].style, 64);
        QCOMPARE(messages.asked[0].title, u"Contrôle d'impression"_qs);
        QVERIFY(messages.asked[0].text.contains(printer.lastPdfFile()));
    } else {
        QVERIFY(messages.asked.isEmpty());
    }

    const QString output = waitForOutput(dir.path(), before);
    QVERIFY2(!output.isEmpty(), "nothing reached the queue or the directory");
    QCOMPARE(pdfPages(output), estimate);

    const QString fonts = run(u"pdffonts"_qs, { output });
    QVERIFY2(fonts.contains(u"LiberationSans-BoldItalic"_qs), qPrintable(fonts)); // the header
    QVERIFY2(fonts.contains(u"LiberationSans"_qs), qPrintable(fonts));
    if (samples) {
        QVERIFY2(fonts.contains(u"DejaVuSans"_qs), qPrintable(fonts));
        QVERIFY2(fonts.contains(u"LiberationMono"_qs), qPrintable(fonts));
    }
    const QString text = run(u"pdftotext"_qs, { u"-layout"_qs, output, u"-"_qs });
    QVERIFY2(text.contains(u"Catalogue d'essai"_qs), qPrintable(text.left(400)));
    for (const QString &name : chosen)
        QVERIFY2(text.contains(name), qPrintable(name));
    QCOMPARE(text.contains(u"Portez"_qs), samples);
}

void TestCupsPrint::unwritableDirectoryIsAFailure()
{
    if (m_toQueue)
        QSKIP("the PDF file fallback is checked where no printer exists");
    QTemporaryDir dir;
    const QString gone = dir.filePath(u"gone"_qs);
    QVERIFY(QDir().mkdir(gone));
    QtPrinterService printer(gone);
    ScriptedMessages messages;
    Typovise app(printer, messages, gone);
    app.demarrer();
    PolImprim *dialog = app.afficherImpression();
    QVERIFY(QDir(gone).removeRecursively());
    QTest::mouseClick(dialog->findChild<QPushButton *>(u"Impression"_qs), Qt::LeftButton);
    QCOMPARE(messages.asked.size(), 1);
    QCOMPARE(messages.asked[0].text, u"Défaut d'impression! Corrigez et recommencez."_qs);
    QCOMPARE(messages.asked[0].style, 48);
    QVERIFY(dialog->isVisible());
    QVERIFY(dialog->findChild<QPushButton *>(u"Fermer"_qs)->isVisible());
}

QTEST_MAIN(TestCupsPrint)
#include "tst_cupsprint.moc"
