// Where documents go, on its own: a choice the system cannot take leaves the destination as it
// was, and a scheduler that has gone gives no job rather than a job reported made.
#include "printer/Destination.h"

#include "QtPdf.h"

#include <QTemporaryDir>
#include <QTest>

#include <cups/cups.h>

using namespace Qt::StringLiterals;

namespace {

enum class Choice { Printer, PdfFile };

} // namespace

Q_DECLARE_METATYPE(Choice)

class TestDestination : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void aChoiceTheSystemCannotTakeChangesNothing_data()
    {
        QTest::addColumn<Choice>("choice");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("taken");
        QTest::newRow("a printer that has gone away") << Choice::Printer << u"Typovise-gone"_s
                                                      << false;
        QTest::newRow("a relative file name") << Choice::PdfFile << u"catalogue.pdf"_s << false;
        QTest::newRow("a folder") << Choice::PdfFile << u"/tmp"_s << false;
        QTest::newRow("a file in a folder") << Choice::PdfFile << u"/tmp/a/../catalogue.pdf"_s
                                            << true;
    }

    void aChoiceTheSystemCannotTakeChangesNothing()
    {
        QFETCH(Choice, choice);
        QFETCH(QString, name);
        QFETCH(bool, taken);
        Destination destination(u"/tmp/catalogues"_s);
        const QString before = destination.text();

        const bool chosen = choice == Choice::Printer ? destination.choosePrinter(name)
                                                      : destination.choosePdfFile(name);

        QCOMPARE(chosen, taken);
        if (taken) {
            QVERIFY(destination.printsToPdf());
            QCOMPARE(destination.chosenPdf(), u"/tmp/catalogue.pdf"_s);
            QCOMPARE(destination.pdfFolder(), u"/tmp"_s);
        } else {
            QCOMPARE(destination.text(), before);
        }
    }

    void aSchedulerThatHasGoneGivesNoJob()
    {
        // The test script's private scheduler names the folder of its default queue's jobs.
        if (qEnvironmentVariableIsEmpty("TYPOVISE_CUPS_OUTPUT"))
            QSKIP("needs the test script's private CUPS scheduler");
        QTemporaryDir dir;
        const QString pdf = dir.filePath(u"job.pdf"_s);
        QVERIFY(writeQtPdf(pdf, u"job"_s, 1));
        Destination destination(dir.path());
        QVERIFY(!destination.printsToPdf());

        cupsSetServer("/nonexistent/typovise-gone.sock");
        const bool submittedWithoutScheduler = destination.submit(pdf);
        cupsSetServer(nullptr);

        QVERIFY(!submittedWithoutScheduler);
        QVERIFY(destination.submit(pdf));
    }
};

QTEST_MAIN(TestDestination)
#include "tst_destination.moc"
