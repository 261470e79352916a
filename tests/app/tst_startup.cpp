#include "Harness.h"
#include "app/PolCharge.h"
#include "app/TextHelpers.h"
#include "platform/Controls.h"
#include "platform/QtPrinterService.h"
#include "printing/PolImprim.h"

#include <QFontInfo>
#include <QLabel>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <algorithm>
#include <limits>

class TestStartup : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void loadsAndNumbersTheFonts_data();
    void loadsAndNumbersTheFonts();
    void storedSettings_data();
    void storedSettings();
    void leadingNumber_data();
    void leadingNumber();
    void closing_data();
    void closing();
    void realFontsOnTheRealPrinterService();
};

void TestStartup::loadsAndNumbersTheFonts_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::newRow("523") << 523 << u"001 Font 0000"_qs << u"523 Font 0522"_qs;
    QTest::newRow("100") << 100 << u"01 Font 0000"_qs << u"100 font 0099"_qs;
    QTest::newRow("10") << 10 << u"1 Font 0000"_qs << u"10 font 0009"_qs;
    QTest::newRow("1") << 1 << u"1 Font 0000"_qs << u"1 Font 0000"_qs;
    QTest::newRow("0") << 0 << QString() << QString();
}

void TestStartup::loadsAndNumbersTheFonts()
{
    QFETCH(int, count);
    QFETCH(QString, first);
    QFETCH(QString, last);
    Harness h;
    // No font has these names; the case alternates so that a case-sensitive sort would show.
    for (int k = 0; k < count; ++k)
        h.printer.fonts
            << u"%1ont %2"_qs.arg(QChar(k % 2 ? u'f' : u'F')).arg(k, 4, 10, QChar(u'0'));
    QRandomGenerator random(count);
    std::shuffle(h.printer.fonts.begin(), h.printer.fonts.end(), random);
    h.app = std::make_unique<Typovise>(h.printer, h.messages, h.dir.path());
    auto chargeText = [&](const char *name) {
        return h.app->polCharge()->findChild<QLabel *>(QLatin1String(name))->text();
    };
    QString message, counter; // as the last count is asked for, before any font is read
    h.printer.onFontCount = [&] {
        if (h.app->chargementOuvert())
            message = chargeText("Patientez"), counter = chargeText("NbrePolices");
    };
    h.printer.onFontQuery = [&](int) { counter = chargeText("NbrePolices"); };
    h.app->demarrer();
    QCOMPARE(message,
        u"Veuillez patienter pendant la lecture\ndes  %1 Polices dont vous disposez..."_qs.arg(
            count));
    QCOMPARE(counter, count > 1 ? QString::number(count - 1) : u"000"_qs);

    auto *liste0 = h.find<VbListBox>(u"Liste0"_qs);
    QCOMPARE(liste0->ListCount(), count);
    for (int i = 0; i < count; ++i)
        QVERIFY(liste0->List(i).endsWith(QString::number(i).rightJustified(4, u'0')));
    QCOMPARE(liste0->List(0), first);
    QCOMPARE(liste0->List(count - 1), last);
    QCOMPARE(h.find<QLabel>(u"NbrePol"_qs)->text(), count ? QString::number(count) : u"000"_qs);
    QCOMPARE(h.find<VkFrame>(u"ListComplete"_qs)->Caption(), u"Liste complète =  %1"_qs.arg(count));
    QCOMPARE(h.find<VkFrame>(u"List_S"_qs)->Caption(), u"Liste de Sélection =  0"_qs);
    QCOMPARE(liste0->ListIndex(), count ? 0 : -1);
    QCOMPARE(count && liste0->Selected(0), count > 0);
    // The pane's title is the real name of the font that stands in for the missing one.
    QCOMPARE(h.find<VkFrame>(u"Cadre_Exemple0"_qs)->Caption(),
        count ? QFontInfo(QFont(u"Font 0000"_qs)).family() : u"Liste"_qs);
    QCOMPARE(h.find<QLabel>(u"Exemple0"_qs)->font().family() == u"Font 0000"_qs, count > 0);
    QCOMPARE(h.find<VkCommand>(u"Ajoute"_qs)->isEnabled(), count > 0);
    QCOMPARE(h.find<VkCommand>(u"Imprimer"_qs)->isEnabled(), count > 0);
    QVERIFY(!h.find<QLabel>(u"Exemple1"_qs)->isVisible());
    QVERIFY(!h.find<VkCommand>(u"Enleve"_qs)->isVisible());
    QVERIFY(!h.find<VkCommand>(u"Enleve_Tout"_qs)->isVisible());
    QVERIFY(!h.app->polImprim()->choixListe(1)->isEnabled());
    QVERIFY(!QFile::exists(h.iniPath()));
}

// Each row: the file, then Gras0 Gras1 Italique0 Italique1 as shown, the two sizes, the two
// sample lines (empty for the default) and the number of messages. The start-up writes back
// what it reads, so the file must come out as it went in.
void TestStartup::storedSettings_data()
{
    for (const char *c : { "ini", "checks", "size0", "size1", "line1", "line2" })
        QTest::addColumn<QByteArray>(c);
    QTest::addColumn<int>("messages");
    auto row = [](const char *name, const QByteArray &ini, const char *checks, const char *size0,
                   const char *size1, const QByteArray &line1, const QByteArray &line2,
                   int messages = 0) {
        QTest::newRow(name) << ini << QByteArray(checks) << QByteArray(size0) << QByteArray(size1)
                            << line1 << line2 << messages;
    };
    row("no file", QByteArray(), "0000", "18", "18", {}, {});
    row("Gras1 and Italique0", "[Options]\r\nGras1=1\r\nItalique0=1\r\n", "0110", "18", "18", {},
        {});
    row("greyed, out of range", "[Options]\nGras0=2\nItalique1=7\n", "2000", "18", "18", {}, {});
    row("24 and 3000", "[Options]\nTaille_Exemple0=24\nTaille_Exemple1=3000\n", "0000", "24",
        "2048", {}, {}, 1);
    row("10.5 read as 10", "[options]\nTaille_Exemple0=10.5\n", "0000", "10", "18", {}, {});
    row("254-character cut", "[Textes]\r\n1\xb0_Ligne=" + QByteArray(300, 'x') + "\r\n", "0000",
        "18", "18", QByteArray(254, 'x'), {});
    row("Windows-1252 by hand", "[Textes]\r\n2\xb0_Ligne=Deuxi\xe8me\r\n", "0000", "18", "18", {},
        "Deuxième");
}

void TestStartup::storedSettings()
{
    QFETCH(QByteArray, ini);
    QFETCH(QByteArray, checks);
    QFETCH(QByteArray, size0);
    QFETCH(QByteArray, size1);
    QFETCH(QByteArray, line1);
    QFETCH(QByteArray, line2);
    QFETCH(int, messages);
    Harness h;
    if (!ini.isNull())
        h.writeIni(ini);
    h.start({ u"Arial"_qs });
    for (int i = 0; i < 2; ++i) {
        const QFont font = h.find<QLabel>(u"Exemple%1"_qs.arg(i))->font();
        const int gras = h.find<VbCheckBox>(u"Gras%1"_qs.arg(i))->Value();
        const int italique = h.find<VbCheckBox>(u"Italique%1"_qs.arg(i))->Value();
        QCOMPARE(gras, checks[i] - '0');
        QCOMPARE(italique, checks[2 + i] - '0');
        QCOMPARE(font.bold(), gras == 1);
        QCOMPARE(font.italic(), italique == 1);
        const QString size = QString::fromLatin1(i ? size1 : size0);
        QCOMPARE(h.find<VbComboBox>(u"Taille_Exemple%1"_qs.arg(i))->Text(), size);
        QCOMPARE(font.pointSizeF(), size.toDouble());
    }
    const ProgramState &s = h.app->state();
    QCOMPARE(s.LignesExemple[1],
        line1.isEmpty() ? u" Portez ce vieux whisky au juge blond qui fume"_qs
                        : QString::fromUtf8(line1));
    QCOMPARE(s.LignesExemple[2],
        line2.isEmpty() ? u"ABCDEFGHIJKLMNOP 0123456789 éèçàâäù%"_qs : QString::fromUtf8(line2));
    QCOMPARE(
        h.find<QLabel>(u"Exemple1"_qs)->text(), s.LignesExemple[1] + u' ' + s.LignesExemple[2]);
    QCOMPARE(h.messages.asked.size(), messages);
    if (messages) {
        QCOMPARE(h.messages.asked[0].text, u"La Taille maximum est de 2048"_qs);
        QCOMPARE(h.messages.asked[0].title, u"Contrôle de Taille des Polices"_qs);
        QCOMPARE(h.messages.asked[0].style, 64);
    }
    QCOMPARE(QFile::exists(h.iniPath()), !ini.isNull());
    QCOMPARE(h.readIni(), ini);
}

void TestStartup::leadingNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    constexpr double kMax = std::numeric_limits<double>::max();
    const std::pair<QString, double> rows[]
        = { { u"1 2"_qs, 12 }, { u"12,5"_qs, 12 }, { u"10.5"_qs, 10.5 }, { u"&H1F"_qs, 31 },
              { u"&O17"_qs, 15 }, { u"1E3"_qs, 1000 }, { u"1D3"_qs, 1000 }, { u"-"_qs, 0 },
              { u""_qs, 0 }, { u"abc"_qs, 0 }, { u"\t1\n8"_qs, 18 }, { u"1e999"_qs, kMax },
              { u"&H"_qs + QString(400, u'F'), kMax }, { u"&O"_qs + QString(500, u'7'), kMax } };
    for (const auto &[text, expected] : rows)
        QTest::newRow(qPrintable(text.left(8))) << text << expected;
}

void TestStartup::leadingNumber()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(TextHelpers::leadingNumber(text), expected);
}

void TestStartup::closing_data()
{
    QTest::addColumn<bool>("byCloseBox");
    QTest::addColumn<int>("answer");
    QTest::newRow("close box, No") << true << int(MessageBoxes::No);
    QTest::newRow("close box, Yes") << true << int(MessageBoxes::Yes);
    QTest::newRow("Quitter, No") << false << int(MessageBoxes::No);
    QTest::newRow("Quitter, Yes") << false << int(MessageBoxes::Yes);
}

void TestStartup::closing()
{
    QFETCH(bool, byCloseBox);
    QFETCH(int, answer);
    Harness h;
    h.start({ u"Arial"_qs });
    QSignalSpy ended(h.app.get(), &Typovise::fin);
    h.messages.answers = { MessageBoxes::Answer(answer) };
    if (byCloseBox)
        h.ppal()->close();
    else
        QTest::mouseClick(h.find<VkCommand>(u"Quitter"_qs), Qt::LeftButton);
    QCOMPARE(h.messages.asked.size(), 1);
    QCOMPARE(h.messages.asked[0].text, u"Quitter l'application ?"_qs);
    QCOMPARE(h.messages.asked[0].title, u"Contrôle de Fermeture"_qs);
    QCOMPARE(h.messages.asked[0].style, 36);
    QCOMPARE(ended.count(), answer == MessageBoxes::Yes ? 1 : 0);
    QVERIFY(h.ppal()->isVisible()); // on No it stays; on Yes the owner ends the program
}

void TestStartup::realFontsOnTheRealPrinterService()
{
    QTemporaryDir dir;
    QtPrinterService printer(dir.path());
    ScriptedMessages messages;
    Typovise app(printer, messages, dir.path());
    app.demarrer();
    auto *liste0 = app.polPpal()->findChild<VbListBox *>(u"Liste0"_qs);
    const int count = printer.FontCount();
    QVERIFY(count > 0);
    QCOMPARE(liste0->ListCount(), count);
    QVERIFY(liste0->List(count - 1).startsWith(QString::number(count) + u' '));
    QVERIFY(liste0->findItems(u" Liberation Sans"_qs, Qt::MatchEndsWith).size() == 1);
    QCOMPARE(app.polPpal()->findChild<VkFrame *>(u"Cadre_Exemple0"_qs)->Caption(),
        QFontInfo(QFont(liste0->List(0).section(u' ', 1))).family());
    printer.setFontSize(0); // a size the font system refuses is measured, not failed
    QVERIFY(printer.TextHeight(u"Test"_qs) > 0);
    QVERIFY(messages.asked.isEmpty());
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
