// The whole printing road on the real printer service: the dialog's estimate, its printing
// run, and what reached the CUPS queue (or the PDF file where the system has no printer).
#include "PrintSession.h"
#include "printing/CatalogueLayout.h"

#include <QFontDatabase>
#include <limits>

class TestCupsPrint : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void printsWhatTheEstimateSays_data();
    void printsWhatTheEstimateSays();
    void unwritableDirectoryIsAFailure_data();
    void unwritableDirectoryIsAFailure();
    void pdfFileNeverOverwrites();
    void realPrinterMeasuresAnySize_data();
    void realPrinterMeasuresAnySize();
    void estimateAgainstSpacedPrint_data();
    void estimateAgainstSpacedPrint();

private:
    // Where a print job ends up: the test queue's directory, or else the program's own.
    QString outputDir(const QString &programDir) const;
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

QString TestCupsPrint::outputDir(const QString &programDir) const
{
    return m_toQueue ? m_queueDir : programDir;
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
    Session session;
    auto *complete = session.completeList();
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
    QTest::mouseClick(session.app->polPpal()->findChild<VkCommand *>(u"Ajoute"_qs), Qt::LeftButton);

    session.open();
    session.control<QLineEdit>(u"Texte1"_qs)->setText(u"Catalogue d'essai"_qs);
    if (samples)
        session.click(u"Option_LC1"_qs);
    if (numbers)
        session.click(u"Avec_No1"_qs);
    session.control<VbComboBox>(u"Taille_Police"_qs)->setText(size);
    const int estimate = session.estimate();
    QVERIFY(estimate >= 1);

    const QStringList before = pdfFiles(outputDir(session.dir));
    session.print();
    const QList<ScriptedMessages::Box> &asked = session.messages.asked;
    for (const auto &box : asked)
        QVERIFY2(box.style != 48, qPrintable(box.text));
    if (!m_toQueue) {
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0].style, 64);
        QCOMPARE(asked[0].title, u"Contrôle d'impression"_qs);
        QVERIFY(asked[0].text.contains(session.printer->lastPdfFile()));
    } else {
        QVERIFY(asked.isEmpty());
    }

    const QString output = waitForNewPdf(outputDir(session.dir), before);
    QVERIFY2(!output.isEmpty(), "nothing reached the queue or the directory");
    QCOMPARE(pdfPages(output), estimate);

    const QString fonts = run(u"pdffonts"_qs, { output }).output;
    QVERIFY2(fonts.contains(u"LiberationSans-BoldItalic"_qs), qPrintable(fonts)); // the header
    QVERIFY2(fonts.contains(u"LiberationSans"_qs), qPrintable(fonts));
    if (samples) {
        QVERIFY2(fonts.contains(u"DejaVuSans"_qs), qPrintable(fonts));
        QVERIFY2(fonts.contains(u"LiberationMono"_qs), qPrintable(fonts));
    }
    const QString text = run(u"pdftotext"_qs, { u"-layout"_qs, output, u"-"_qs }).output;
    QVERIFY2(text.contains(u"Catalogue d'essai"_qs), qPrintable(text.left(400)));
    for (const QString &name : chosen)
        QVERIFY2(text.contains(name), qPrintable(name));
    QCOMPARE(text.contains(u"Portez"_qs), samples);
}

void TestCupsPrint::unwritableDirectoryIsAFailure_data()
{
    QTest::addColumn<QString>("within");
    // Tests may run as root, whom no permission bit stops: a directory that cannot be written
    // by anyone is one that cannot exist.
    QTest::newRow("removed after start") << u"gone"_qs;
    QTest::newRow("below a regular file") << u"file/programme"_qs;
}

void TestCupsPrint::unwritableDirectoryIsAFailure()
{
    QFETCH(QString, within);
    if (m_toQueue)
        QSKIP("the PDF file fallback is checked where no printer exists (tst_pdffallback)");
    QTemporaryDir dir;
    QFile file(dir.filePath(u"file"_qs));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const QString program = dir.filePath(within);
    QDir().mkpath(program);
    Session session(program);
    session.open();
    if (within == u"gone"_qs)
        QVERIFY(QDir(program).removeRecursively());
    QVERIFY(!QFileInfo::exists(program));
    session.print();
    QCOMPARE(session.messages.asked.size(), 1);
    QCOMPARE(session.messages.asked[0].text, u"Défaut d'impression! Corrigez et recommencez."_qs);
    QCOMPARE(session.messages.asked[0].style, 48);
    QVERIFY(session.dialog->isVisible());
    QVERIFY(session.control<QPushButton>(u"Fermer"_qs)->isVisible());
    QVERIFY(session.printer->lastPdfFile().isEmpty());
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList { u"file"_qs });
}

void TestCupsPrint::pdfFileNeverOverwrites()
{
    if (m_toQueue)
        QSKIP("the PDF file fallback is checked where no printer exists (tst_pdffallback)");
    Session session({}, [](const QString &dir) {
        auto *printer = new QtPrinterService(dir);
        printer->setClock([] { return QDateTime(QDate(2026, 12, 5), QTime(9, 5, 7)); });
        return printer;
    });
    const QDir dir(session.dir);
    const QString kept = dir.filePath(u"Typovise 2026-12-05 09-05-07.pdf"_qs);
    QFile file(kept);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("the user's own file");
    file.close();

    for (int run = 0; run < 2; ++run) {
        session.open();
        session.print();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    const QString expected = dir.filePath(u"Typovise 2026-12-05 09-05-07 (2).pdf"_qs);
    const QList<ScriptedMessages::Box> &asked = session.messages.asked;
    QCOMPARE(asked.size(), 2);
    // Told once the dialog has closed.
    QCOMPARE(session.messages.modalAtBox, QStringList({ QString(), QString() }));
    QCOMPARE(asked[0].style, 64);
    QCOMPARE(asked[0].title, u"Contrôle d'impression"_qs);
    QCOMPARE(asked[0].text,
        u"Aucune imprimante n'est installée : le catalogue a été enregistré dans le fichier\n"_qs
            + expected);
    QVERIFY(asked[1].text.endsWith(u"Typovise 2026-12-05 09-05-07 (3).pdf"_qs));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("the user's own file"));
    QCOMPARE(pdfPages(expected), 1);
    // The user's usual permissions, as for any file the user makes.
    QCOMPARE(QFileInfo(expected).permissions(), QFileInfo(kept).permissions());
    // Nothing else: no file left under a working name.
    QCOMPARE(dir.entryList({ u"*.pdf"_qs, u"*.part"_qs }, QDir::Files | QDir::Hidden).size(), 3);
}

void TestCupsPrint::realPrinterMeasuresAnySize_data()
{
    QTest::addColumn<double>("size");
    QTest::addColumn<double>("measuredAs");

    const double smallest = PrinterService::kSmallestSize;
    const double largest = PrinterService::kLargestSize;
    QTest::newRow("zero") << 0.0 << smallest;
    QTest::newRow("negative") << -12.0 << smallest;
    QTest::newRow("below the smallest") << smallest / 2 << smallest;
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << smallest;
    QTest::newRow("minus infinity") << -std::numeric_limits<double>::infinity() << smallest;
    QTest::newRow("largest") << largest << largest;
    QTest::newRow("huge") << 1e300 << largest;
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << largest;
}

// A size the font system refuses is measured as the nearest one it takes, a line is as high as
// its size says up to the largest, and the estimate runs.
void TestCupsPrint::realPrinterMeasuresAnySize()
{
    QFETCH(double, size);
    QFETCH(double, measuredAs);

    QTemporaryDir dir;
    QtPrinterService printer(dir.path());
    const QString family = u"Liberation Serif"_qs;
    QVERIFY(QFontDatabase::families().contains(family));
    printer.setFontName(family);
    const auto height = [&printer](double points) {
        printer.setFontSize(points);
        return printer.TextHeight(u"Test"_qs);
    };
    const double expected = height(measuredAs);
    QVERIFY(expected > 0);
    const double twelve = height(12);
    QVERIFY(twelve > 0 && twelve != expected);
    if (measuredAs >= 12) {
        QVERIFY2(std::abs(expected / twelve - measuredAs / 12) < 0.02 * measuredAs / 12,
            qPrintable(QString::number(expected)));
    }
    QCOMPARE(height(size), expected);

    CatalogueOptions options;
    options.AvecExemple = true;
    options.TaillePolice = size;
    const CatalogueLayout layout(printer, { u"1 "_qs + family, u"2 "_qs + family }, options);
    const std::optional<qint64> pages = layout.Nb_Pages();
    QVERIFY(pages.has_value());
    QVERIFY(*pages >= 1);
}

// The estimate counts a spacing line after the last entry, which is never printed: where that
// line would overflow the page, the estimate is one page more than the print, and only there.
void TestCupsPrint::estimateAgainstSpacedPrint_data()
{
    QTest::addColumn<bool>("samples");
    QTest::addColumn<bool>("overflowing");
    QTest::newRow("names, all on the page") << false << false;
    QTest::newRow("samples, all on the page") << true << false;
    QTest::newRow("samples, the last spacing line overflows") << true << true;
}

void TestCupsPrint::estimateAgainstSpacedPrint()
{
    QFETCH(bool, samples);
    QFETCH(bool, overflowing);
    QTemporaryDir dir;
    QtPrinterService printer(dir.path());
    const QString face = u"Liberation Serif"_qs;
    const auto height = [&printer](const QString &name, double size, bool bold) {
        printer.setFontName(name);
        printer.setFontSize(size);
        printer.setFontBold(bold);
        printer.setFontItalic(bold);
        return printer.TextHeight(u"Test"_qs);
    };
    const double page = printer.ScaleHeight();
    const double header = height(u"Arial"_qs, 15, true) + height(u"Arial"_qs, 10, false);
    const double spacing = height(u"Arial"_qs, 10, false);
    const double name = height(u"Arial"_qs, 12, false);

    // A sample size and a number of entries that fill one page, with or without room for
    // one more spacing line, by a whole twip at least either way.
    int count = 0;
    double size = 12;
    for (int points = 12; points < 300 && count == 0; ++points) {
        const double block = name + (samples ? 2 * height(face, points, false) : 0);
        for (int n = 2; header + n * block + (n - 1) * spacing <= page - 1; ++n) {
            const double withLast = header + n * (block + spacing);
            if (overflowing ? withLast > page + 1 : withLast < page - 1) {
                count = n;
                size = points;
                if (overflowing)
                    break;
            }
        }
        if (!samples)
            break;
    }
    QVERIFY2(count > 0, "no list of that shape on this page size");

    QStringList entries;
    for (int i = 1; i <= count; ++i)
        entries.append(u"%1 %2"_qs.arg(i, 2, 10, QLatin1Char('0')).arg(face));
    CatalogueOptions options;
    options.AvecExemple = samples;
    options.EspacePolices = true;
    options.TaillePolice = size;
    options.LignesExemple = { QString(), u"Portez ce vieux whisky"_qs, u"0123456789"_qs };
    options.TexteEnTete = u"Catalogue"_qs;
    const CatalogueLayout layout(printer, entries, options);
    const auto estimate = layout.Nb_Pages();
    QVERIFY(estimate.has_value());
    QCOMPARE(*estimate, overflowing ? 2 : 1);

    const QStringList before = pdfFiles(outputDir(dir.path()));
    QVERIFY(layout.print(QDateTime::currentDateTime(), QLocale::c()));
    const QString output = waitForNewPdf(outputDir(dir.path()), before);
    QVERIFY2(!output.isEmpty(), "nothing reached the queue or the directory");
    QCOMPARE(pdfPages(output), 1);
}

QTEST_MAIN(TestCupsPrint)
#include "tst_cupsprint.moc"
