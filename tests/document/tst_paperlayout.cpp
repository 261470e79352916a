// The page of a document that no printer describes: the paper of the user's locale, with
// margins an office printer can print.
#include "document/PaperLayout.h"

#include <QTest>

class TestPaperLayout : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void theLocalesPaperWithTenMillimetresAround_data()
    {
        QTest::addColumn<QByteArray>("locale");
        QTest::addColumn<QPageSize::PageSizeId>("paper");
        QTest::newRow("A4 in France") << QByteArray("fr_FR.UTF-8") << QPageSize::A4;
        QTest::newRow("Letter in the United States") << QByteArray("en_US.UTF-8")
                                                     << QPageSize::Letter;
        QTest::newRow("A4 for a locale the system lacks") << QByteArray("xx_XX.UTF-8")
                                                          << QPageSize::A4;
    }

    void theLocalesPaperWithTenMillimetresAround()
    {
        QFETCH(QByteArray, locale);
        QFETCH(QPageSize::PageSizeId, paper);

        const QPageLayout layout = PaperLayout::withoutPrinter(locale);

        QCOMPARE(layout.pageSize().id(), paper);
        QCOMPARE(layout.orientation(), QPageLayout::Portrait);
        const QMarginsF margins = layout.margins(QPageLayout::Millimeter);
        for (const double side : { margins.left(), margins.top(), margins.right(), margins.bottom() }) {
            QVERIFY2(side >= PaperLayout::kMarginMm, qPrintable(QString::number(side)));
            QVERIFY2(side < PaperLayout::kMarginMm + 0.5, qPrintable(QString::number(side)));
        }
    }
};

QTEST_GUILESS_MAIN(TestPaperLayout)
#include "tst_paperlayout.moc"
