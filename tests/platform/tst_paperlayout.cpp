// The page of a catalogue written without a printer: the locale's paper, printable margins.
#include "platform/PaperLayout.h"
#include "platform/QtPrinterService.h"

#include <QGuiApplication>
#include <QPageSize>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestPaperLayout : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void localePaper_data()
    {
        QTest::addColumn<QByteArray>("locale");
        QTest::addColumn<QPageSize::PageSizeId>("paper");
        QTest::newRow("A4 in France") << "fr_FR.UTF-8"_ba << QPageSize::A4;
        QTest::newRow("Letter in the United States") << "en_US.UTF-8"_ba << QPageSize::Letter;
        QTest::newRow("A4 for a locale the system lacks") << "xx_YY.UTF-8"_ba << QPageSize::A4;
    }

    // The printer service reads the locale from the environment, as the program gets it.
    void localePaper()
    {
        QFETCH(QByteArray, locale);
        QFETCH(QPageSize::PageSizeId, paper);
        qputenv("LC_ALL", locale);
        const QPageLayout layout = PaperLayout::withoutPrinter();
        QCOMPARE(layout.pageSize().id(), paper);
        const QMarginsF margins = layout.margins(QPageLayout::Millimeter);
        QVERIFY(
            std::min({ margins.left(), margins.top(), margins.right(), margins.bottom() }) >= 10);

        // The printable height that the estimate and the run use leaves both margins off.
        QTemporaryDir dir;
        QtPrinterService printer(dir.path());
        QVERIFY(printer.printsToPdf());
        const double twipsPerMm = 1440.0 / 25.4;
        const double paperHeight = QPageSize(paper).size(QPageSize::Millimeter).height();
        QCOMPARE_LE(printer.ScaleHeight(), (paperHeight - 20) * twipsPerMm);
        QCOMPARE_GE(printer.ScaleHeight(), (paperHeight - 22) * twipsPerMm);
    }
};

int main(int argc, char **argv)
{
    qputenv("CUPS_SERVER", "/nonexistent");
    QGuiApplication app(argc, argv);
    TestPaperLayout test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_paperlayout.moc"
