// Whatever lands in a sample size box (a huge paste, control characters, broken UTF-16,
// right-to-left text) must leave the program running, the sample at a size a font can take,
// and what the box saved must come back at the next start by the rules of the settings file.
#include "Harness.h"
#include "app/Settings.h"
#include "platform/Controls.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLabel>

class TestPolPpalInput : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void pastedIntoTheSizeBox_data();
    void pastedIntoTheSizeBox();
};

void TestPolPpalInput::pastedIntoTheSizeBox_data()
{
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<double>("size"); // the sample's point size once the paste is in
    QTest::addColumn<QString>("boxAfter"); // the box once the paste is in
    QTest::addColumn<int>("messages");
    QTest::addColumn<QString>("stored"); // the value read back as text, at most 254 characters
    QTest::addColumn<QString>("boxAtRestart");

    // The box holds at most 32767 characters, a line edit's own limit; the rest of a paste
    // is dropped.
    constexpr qsizetype kBoxLimit = 32767;
    const QString megabyteOfNines(1 << 20, u'9');
    QTest::newRow("1 MB of digits")
        << megabyteOfNines << 2048.0 << u"2048"_qs << 1 << u"2048"_qs << u"2048"_qs;
    const QString megabyteOfLetters(1 << 20, u'a');
    QTest::newRow("1 MB of letters")
        << megabyteOfLetters << 1.0 << megabyteOfLetters.left(kBoxLimit) << 0 << QString(254, u'a')
        << u"18"_qs;
    const QString sizeThenMegabyte = u"24"_qs + QString(1 << 20, u'x');
    QTest::newRow("1 MB after a size")
        << sizeThenMegabyte << 24.0 << sizeThenMegabyte.left(kBoxLimit) << 0
        << sizeThenMegabyte.left(254) << u"24"_qs;
    const QString blanksAround = QString(16000, u' ') + u"30"_qs + QString(16000, u' ');
    QTest::newRow("blanks around a size")
        << blanksAround << 30.0 << blanksAround << 0 << u"30"_qs << u"30"_qs;

    const QString controls = u"2\u00014\u0007\u001b[0m"_qs;
    QTest::newRow("control characters") << controls << 2.0 << controls << 0 << controls << u"2"_qs;
    const QString withNul = u"1"_qs + QChar(0) + u"2"_qs;
    QTest::newRow("NUL inside") << withNul << 1.0 << withNul << 0 << withNul << u"1"_qs;

    const QString loneHigh = u"3"_qs + QChar(0xD800) + u"6"_qs;
    QTest::newRow("lone high surrogate")
        << loneHigh << 3.0 << loneHigh << 0 << u"3\uFFFD6"_qs << u"3"_qs;
    const QString loneLow = QString(QChar(0xDC00)) + u"40"_qs;
    QTest::newRow("lone low surrogate")
        << loneLow << 1.0 << loneLow << 0 << u"\uFFFD40"_qs << u"18"_qs;
    QTest::newRow("emoji pair") << u"28😀"_qs << 28.0 << u"28😀"_qs << 0 << u"28😀"_qs << u"28"_qs;

    QTest::newRow("right-to-left mark after")
        << u"42\u200F"_qs << 42.0 << u"42\u200F"_qs << 0 << u"42\u200F"_qs << u"42"_qs;
    QTest::newRow("right-to-left override first")
        << u"\u202E24"_qs << 1.0 << u"\u202E24"_qs << 0 << u"\u202E24"_qs << u"18"_qs;
    QTest::newRow("Arabic-Indic digits")
        << u"\u0664\u0662"_qs << 1.0 << u"\u0664\u0662"_qs << 0 << u"\u0664\u0662"_qs << u"18"_qs;
    QTest::newRow("huge exponent")
        << u"1e999"_qs << 2048.0 << u"2048"_qs << 1 << u"2048"_qs << u"2048"_qs;
}

void TestPolPpalInput::pastedIntoTheSizeBox()
{
    QFETCH(QString, pasted);
    QFETCH(double, size);
    QFETCH(QString, boxAfter);
    QFETCH(int, messages);
    QFETCH(QString, stored);
    QFETCH(QString, boxAtRestart);

    QElapsedTimer timer;
    timer.start();
    Harness h;
    h.printer.fonts = { u"Arial"_qs, u"DejaVu Sans"_qs };
    h.start();
    QVERIFY(QTest::qWaitForWindowExposed(h.ppal()));
    auto *box = h.find<VbComboBox>(u"Taille_Exemple1"_qs);
    auto *label = h.find<QLabel>(u"Exemple1"_qs);
    box->setFocus(Qt::TabFocusReason);
    box->lineEdit()->selectAll();
    QGuiApplication::clipboard()->setText(pasted);
    QTest::keySequence(box, QKeySequence::Paste);

    QCOMPARE(box->Text(), boxAfter);
    QCOMPARE(label->font().pointSizeF(), size);
    QCOMPARE(h.messages.asked.size(), messages);
    QCOMPARE(h.find<QLabel>(u"Exemple0"_qs)->font().pointSizeF(), 18.0);

    h.find<VbListBox>(u"Liste0"_qs)->setFocus(Qt::TabFocusReason);
    QCOMPARE(Settings::readText(h.iniPath(), Settings::kOptions, u"Taille_Exemple1"_qs), stored);

    h.restart();
    QCOMPARE(h.find<VbComboBox>(u"Taille_Exemple1"_qs)->Text(), boxAtRestart);
    QCOMPARE(h.find<QLabel>(u"Exemple1"_qs)->font().pointSizeF(), boxAtRestart.toDouble());
    QCOMPARE(h.find<VbComboBox>(u"Taille_Exemple0"_qs)->Text(), u"18"_qs);
    QCOMPARE(h.messages.asked.size(), messages);
    // A hang guard only: each case takes well under a second.
    QVERIFY2(timer.elapsed() < 10000, qPrintable(QString::number(timer.elapsed())));
}

QTEST_MAIN(TestPolPpalInput)
#include "tst_polppal_input.moc"
