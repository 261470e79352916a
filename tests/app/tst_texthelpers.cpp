#include "app/TextHelpers.h"

#include <QTest>
#include <limits>

using namespace TextHelpers;

class TestTextHelpers : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void leadingNumber_data();
    void leadingNumber();
    void leadingNumberIgnoresTheUsersLocale();
    void plainDecimal_data();
    void plainDecimal();
    void numbering_data();
    void numbering();
    void displayCut_data();
    void displayCut();
};

void TestTextHelpers::leadingNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    QTest::newRow("plain") << u"30"_qs << 30.0;
    QTest::newRow("blank inside") << u"1 2"_qs << 12.0;
    QTest::newRow("comma stops") << u"12,5"_qs << 12.0;
    QTest::newRow("point") << u"10.5"_qs << 10.5;
    QTest::newRow("second point stops") << u"1.2.3"_qs << 1.2;
    QTest::newRow("hex") << u"&H1F"_qs << 31.0;
    QTest::newRow("hex lower case") << u"&hff"_qs << 255.0;
    QTest::newRow("octal") << u"&O17"_qs << 15.0;
    QTest::newRow("octal stops at 8") << u"&O178"_qs << 15.0;
    QTest::newRow("ampersand alone") << u"&"_qs << 0.0;
    QTest::newRow("ampersand other") << u"&X12"_qs << 0.0;
    QTest::newRow("exponent E") << u"1E3"_qs << 1000.0;
    QTest::newRow("exponent D") << u"1D3"_qs << 1000.0;
    QTest::newRow("negative exponent") << u"25e-1"_qs << 2.5;
    QTest::newRow("exponent without digits") << u"7E"_qs << 7.0;
    QTest::newRow("exponent sign only") << u"7E+"_qs << 7.0;
    QTest::newRow("minus alone") << u"-"_qs << 0.0;
    QTest::newRow("negative") << u"-12"_qs << -12.0;
    QTest::newRow("blank after sign") << u"- 4"_qs << -4.0;
    QTest::newRow("plus") << u"+9"_qs << 9.0;
    QTest::newRow("empty") << QString() << 0.0;
    QTest::newRow("letters") << u"abc"_qs << 0.0;
    QTest::newRow("trailing letters") << u"14pt"_qs << 14.0;
    QTest::newRow("tab and line feed") << u"\t1\n8 "_qs << 18.0;
    QTest::newRow("carriage return stops") << u"1\r8"_qs << 1.0;
    QTest::newRow("leading point") << u".5"_qs << 0.5;
    QTest::newRow("point alone") << u"."_qs << 0.0;
    // Too large for a double: the largest one, so that size checks still catch it.
    constexpr double kLargest = std::numeric_limits<double>::max();
    QTest::newRow("1e999") << u"1e999"_qs << kLargest;
    QTest::newRow("-1e999") << u"-1e999"_qs << -kLargest;
    QTest::newRow("exponent overflow") << u"1e99999999999999999999"_qs << kLargest;
    QTest::newRow("many digits") << QString(100000, u'9') << kLargest;
    QTest::newRow("hex with many digits") << u"&H"_qs + QString(400, u'F') << kLargest;
    QTest::newRow("octal with many digits") << u"&O"_qs + QString(500, u'7') << kLargest;
}

void TestTextHelpers::leadingNumber()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(TextHelpers::leadingNumber(text), expected);
}

void TestTextHelpers::leadingNumberIgnoresTheUsersLocale()
{
    const char *previous = setlocale(LC_NUMERIC, nullptr);
    const QByteArray saved = previous ? QByteArray(previous) : QByteArray("C");
    if (!setlocale(LC_NUMERIC, "fr_FR.UTF-8") && !setlocale(LC_NUMERIC, "de_DE.UTF-8"))
        QSKIP("no locale with a decimal comma is installed");
    const double value = TextHelpers::leadingNumber(u"10.5");
    setlocale(LC_NUMERIC, saved.constData());
    QCOMPARE(value, 10.5);
}

void TestTextHelpers::plainDecimal_data()
{
    QTest::addColumn<double>("number");
    QTest::addColumn<QString>("expected");
    QTest::newRow("whole") << 12.0 << u"12"_qs;
    QTest::newRow("fraction") << 10.5 << u"10.5"_qs;
    QTest::newRow("2048") << 2048.0 << u"2048"_qs;
    QTest::newRow("negative") << -1.0 << u"-1"_qs;
    QTest::newRow("small fraction") << 0.25 << u"0.25"_qs;
    QTest::newRow("large") << 1e20 << u"1E20"_qs;
}

void TestTextHelpers::plainDecimal()
{
    QFETCH(double, number);
    QFETCH(QString, expected);
    QCOMPARE(TextHelpers::plainDecimal(number), expected);
}

void TestTextHelpers::numbering_data()
{
    QTest::addColumn<qint64>("count");
    QTest::addColumn<qint64>("number");
    QTest::addColumn<QString>("expected");
    // The start-up test numbers lists of 523, 100, 10 and 1 fonts.
    QTest::newRow("11") << qint64(11) << qint64(3) << u"03 Arial"_qs;
    QTest::newRow("1000 last") << qint64(1000) << qint64(1000) << u"1000 Arial"_qs;
    QTest::newRow("1001 first") << qint64(1001) << qint64(1) << u"0001 Arial"_qs;
}

void TestTextHelpers::numbering()
{
    QFETCH(qint64, count);
    QFETCH(qint64, number);
    QFETCH(QString, expected);
    QCOMPARE(numberedEntry(number, numberFieldWidth(count), u"Arial"_qs), expected);
}

void TestTextHelpers::displayCut_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("cut");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("fails");
    QTest::newRow("name with blanks")
        << u"12 Times New Roman"_qs << 2 << u"Times New Roman"_qs << false;
    QTest::newRow("empty entry") << QString() << 3 << QString() << true;
    QTest::newRow("shorter than cut") << u"1 A"_qs << 4 << QString() << true;
}

void TestTextHelpers::displayCut()
{
    QFETCH(QString, entry);
    QFETCH(int, cut);
    QFETCH(QString, expected);
    QFETCH(bool, fails);
    const std::optional<QString> name = displayFontName(entry, cut);
    QCOMPARE(!name.has_value(), fails);
    if (name)
        QCOMPARE(*name, expected);
}

QTEST_GUILESS_MAIN(TestTextHelpers)
#include "tst_texthelpers.moc"
