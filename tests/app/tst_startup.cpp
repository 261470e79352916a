#include "Harness.h"
#include "app/BusyCursor.h"
#include "app/PolCharge.h"
#include "platform/Controls.h"
#include "platform/QtPrinterService.h"
#include "printing/PolImprim.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScreen>
#include <QSignalSpy>
#include <QTranslator>
#include <algorithm>
#include <cmath>

namespace {

// Names whose case-insensitive order is that of their number; the case alternates so that a
// sort that looks at case would put them in another order.
QString fontName(int k)
{
    return QStringLiteral("%1ont %2").arg(QChar(k % 2 ? u'f' : u'F')).arg(k, 4, 10, QChar(u'0'));
}

QStringList shuffledFonts(int count)
{
    QStringList names;
    for (int k = 0; k < count; ++k)
        names.append(fontName(k));
    QRandomGenerator random(count);
    std::shuffle(names.begin(), names.end(), random);
    return names;
}

// What the loading window and the pointer showed each time the program asked the printer for
// its font count: the last time is inside the main window's load step, before the fonts are
// read, so it is seen even when there is no font at all.
struct WatchedPrinter : ScriptedPrinter
{
    std::function<void()> onCount;
    int FontCount() override
    {
        if (onCount)
            onCount();
        return ScriptedPrinter::FontCount();
    }
};

bool busyCursorShown()
{
    const QCursor *cursor = QGuiApplication::overrideCursor();
    return cursor && cursor->shape() == Qt::WaitCursor;
}

int pixels(int twips)
{
    return int(
        std::lround(twips * QGuiApplication::primaryScreen()->logicalDotsPerInchY() / 1440.0));
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void loadsAndNumbersTheFonts_data();
    void loadsAndNumbersTheFonts();
    void waitMessageAndBusyCursor_data();
    void waitMessageAndBusyCursor();
    void busyCursorIsAStateNotAStack();
    void layoutAsDesigned_data();
    void layoutAsDesigned();
    void windowsCentredAndFixed();
    void sampleLinesFromTheSettings_data();
    void sampleLinesFromTheSettings();
    void substitutedFontShowsItsRealName();
    void restoresTheSampleOptions();
    void sizeAboveTheMaximumIsCappedDuringTheLoad();
    void damagedValuesDoNotFailTheStart_data();
    void damagedValuesDoNotFailTheStart();
    void startWritesNoSettingsFile();
    void closing_data();
    void closing();
    void questionButtonsSpeakTheSystemsLanguage_data();
    void questionButtonsSpeakTheSystemsLanguage();
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
    h.printer.fonts = shuffledFonts(count);
    QStringList counterSeen;
    QString waitMessage;
    h.app = std::make_unique<Typovise>(h.printer, h.messages, h.dir.path());
    PolCharge *charge = h.app->polCharge();
    h.printer.onFontQuery = [&](int) {
        waitMessage = charge->findChild<QLabel *>(u"Patientez"_qs)->text();
        counterSeen.append(charge->findChild<QLabel *>(u"NbrePolices"_qs)->text());
    };
    QSignalSpy read(h.app.get(), &Typovise::fin);
    h.app->demarrer();

    if (count > 0) {
        QCOMPARE(waitMessage,
            u"Veuillez patienter pendant la lecture\ndes  %1 Polices dont vous disposez..."_qs.arg(
                count));
        // Before font i is read the counter shows the i fonts read so far.
        QCOMPARE(counterSeen.first(), u"000"_qs);
        QCOMPARE(counterSeen.last(), count == 1 ? u"000"_qs : QString::number(count - 1));
    }
    QVERIFY(!h.app->chargementOuvert());

    auto *liste0 = h.find<VbListBox>(u"Liste0"_qs);
    auto *liste1 = h.find<VbListBox>(u"Liste1"_qs);
    QCOMPARE(liste0->ListCount(), count);
    QCOMPARE(liste1->ListCount(), 0);
    if (count > 0) {
        QCOMPARE(liste0->List(0), first);
        QCOMPARE(liste0->List(count - 1), last);
        for (int i = 0; i < count; ++i)
            QVERIFY2(liste0->List(i).endsWith(QString::number(i).rightJustified(4, u'0')),
                qPrintable(liste0->List(i)));
        QCOMPARE(liste0->ListIndex(), 0);
        QVERIFY(liste0->Selected(0));
        const QString expectedFamily = QFontInfo(QFont(u"Font 0000"_qs)).family();
        QCOMPARE(h.find<VkFrame>(u"Cadre_Exemple0"_qs)->Caption(), expectedFamily);
        QCOMPARE(h.find<QLabel>(u"Exemple0"_qs)->font().family(), u"Font 0000"_qs);
    } else {
        QCOMPARE(h.find<VkFrame>(u"Cadre_Exemple0"_qs)->Caption(), u"Liste"_qs);
    }
    QCOMPARE(h.find<QLabel>(u"NbrePol"_qs)->text(), count > 0 ? QString::number(count) : u"000"_qs);
    QCOMPARE(h.find<VkFrame>(u"ListComplete"_qs)->Caption(), u"Liste complète =  %1"_qs.arg(count));
    QCOMPARE(h.find<VkFrame>(u"List_S"_qs)->Caption(), u"Liste de Sélection =  0"_qs);
    QCOMPARE(h.find<VkCommand>(u"Ajoute"_qs)->isEnabled(), count > 0);
    QCOMPARE(h.find<VkCommand>(u"Imprimer"_qs)->isEnabled(), count > 0);
    QVERIFY(h.find<QLabel>(u"Exemple0"_qs)->isVisible());
    QVERIFY(!h.find<QLabel>(u"Exemple1"_qs)->isVisible());
    QVERIFY(!h.find<VkCommand>(u"Enleve"_qs)->isVisible());
    QVERIFY(!h.find<VkCommand>(u"Enleve_Tout"_qs)->isVisible());
    QVERIFY(!h.app->polImprim()->choixListe(1)->isEnabled());
    QVERIFY(!h.app->polImprim()->isVisible());
    // The activation joins the two default lines with the blank the start-up puts between them.
    QCOMPARE(h.find<QLabel>(u"Exemple0"_qs)->text(),
        u" Portez ce vieux whisky au juge blond qui fume ABCDEFGHIJKLMNOP 0123456789 éèçàâäù%"_qs);
    QCOMPARE(h.app->state().FichierIni, h.iniPath());
    QCOMPARE(read.count(), 0);
}

void TestStartup::waitMessageAndBusyCursor_data()
{
    QTest::addColumn<int>("count");
    QTest::newRow("523") << 523;
    QTest::newRow("1") << 1;
    QTest::newRow("none") << 0;
}

void TestStartup::waitMessageAndBusyCursor()
{
    QFETCH(int, count);
    QTemporaryDir dir;
    WatchedPrinter printer;
    printer.fonts = shuffledFonts(count);
    ScriptedMessages messages;
    Typovise app(printer, messages, dir.path());
    PolCharge *charge = app.polCharge();
    QString message;
    QString counter;
    bool busy = false;
    printer.onCount = [&] {
        if (!app.chargementOuvert())
            return;
        message = charge->findChild<QLabel *>(u"Patientez"_qs)->text();
        counter = charge->findChild<QLabel *>(u"NbrePolices"_qs)->text();
        busy = busyCursorShown();
    };
    bool busyWhileReading = count > 0;
    printer.onFontQuery = [&](int) { busyWhileReading = busyWhileReading && busyCursorShown(); };
    app.demarrer();
    QCOMPARE(message,
        u"Veuillez patienter pendant la lecture\ndes  %1 Polices dont vous disposez..."_qs.arg(
            count));
    QCOMPARE(counter, u"000"_qs);
    QVERIFY(busy);
    QCOMPARE(busyWhileReading, count > 0);
    QVERIFY(!QGuiApplication::overrideCursor());
    QVERIFY(!app.chargementOuvert());
    PolPpal *ppal = app.polPpal();
    QCOMPARE(ppal->findChild<QLabel *>(u"NbrePol"_qs)->text(),
        count > 0 ? QString::number(count) : u"000"_qs);
    QCOMPARE(ppal->findChild<VkFrame *>(u"ListComplete"_qs)->Caption(),
        u"Liste complète =  %1"_qs.arg(count));
}

void TestStartup::busyCursorIsAStateNotAStack()
{
    QVERIFY(!QGuiApplication::overrideCursor());
    Curseur_Attente();
    Curseur_Attente();
    QVERIFY(busyCursorShown());
    Curseur_Normal();
    QVERIFY(!QGuiApplication::overrideCursor());
    // Pointers someone else pushed give way to the hourglass, and go with it.
    QGuiApplication::setOverrideCursor(QCursor(Qt::CrossCursor));
    QGuiApplication::setOverrideCursor(QCursor(Qt::IBeamCursor));
    Curseur_Attente();
    QVERIFY(busyCursorShown());
    Curseur_Normal();
    QVERIFY(!QGuiApplication::overrideCursor());
}

void TestStartup::layoutAsDesigned_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("inside"); // object name of the parent, empty for the window
    QTest::addColumn<QRect>("twips");
    const QString window;
    auto row = [](const char *label, const QString &name, const QString &inside, int l, int t,
                   int w, int h) { QTest::newRow(label) << name << inside << QRect(l, t, w, h); };
    row("options 0", u"vkFrame10"_qs, window, 60, 60, 4635, 915);
    row("Gras 0", u"Gras0"_qs, u"vkFrame10"_qs, 90, 510, 975, 270);
    row("Italique 0", u"Italique0"_qs, u"vkFrame10"_qs, 1470, 510, 1275, 240);
    row("Label1 0", u"Label10"_qs, u"vkFrame10"_qs, 2940, 510, 750, 285);
    row("Taille 0", u"Taille_Exemple0"_qs, u"vkFrame10"_qs, 3690, 450, 855, 390);
    row("Nb Polices", u"vkFrame11"_qs, window, 4830, 60, 1455, 915);
    row("NbrePol", u"NbrePol"_qs, u"vkFrame11"_qs, 90, 405, 1275, 405);
    row("options 1", u"vkFrame13"_qs, window, 6390, 60, 4635, 915);
    row("Gras 1", u"Gras1"_qs, u"vkFrame13"_qs, 90, 510, 975, 270);
    row("Italique 1", u"Italique1"_qs, u"vkFrame13"_qs, 1470, 510, 1275, 240);
    row("Label1 1", u"Label11"_qs, u"vkFrame13"_qs, 2940, 480, 750, 285);
    row("Taille 1", u"Taille_Exemple1"_qs, u"vkFrame13"_qs, 3690, 420, 855, 390);
    row("ListComplete", u"ListComplete"_qs, window, 30, 1020, 4305, 4425);
    row("Liste 0", u"Liste0"_qs, u"ListComplete"_qs, 60, 450, 4155, 3840);
    row("Ajoute", u"Ajoute"_qs, window, 4410, 1440, 2235, 525);
    row("Enleve", u"Enleve"_qs, window, 4410, 2130, 2235, 525);
    row("Enleve_Tout", u"Enleve_Tout"_qs, window, 4410, 2805, 2235, 525);
    row("Imprimer", u"Imprimer"_qs, window, 4410, 4170, 2235, 525);
    row("Quitter", u"Quitter"_qs, window, 4410, 4860, 2235, 525);
    row("List_S", u"List_S"_qs, window, 6720, 1020, 4305, 4425);
    row("Liste 1", u"Liste1"_qs, u"List_S"_qs, 60, 450, 4155, 3840);
    row("pane 0", u"Cadre_Exemple0"_qs, window, 30, 5490, 5475, 2505);
    row("Exemple 0", u"Exemple0"_qs, u"Cadre_Exemple0"_qs, 60, 420, 5355, 1995);
    row("pane 1", u"Cadre_Exemple1"_qs, window, 5550, 5490, 5475, 2505);
    row("Exemple 1", u"Exemple1"_qs, u"Cadre_Exemple1"_qs, 60, 420, 5355, 1995);
}

void TestStartup::layoutAsDesigned()
{
    QFETCH(QString, name);
    QFETCH(QString, inside);
    QFETCH(QRect, twips);
    Harness h;
    h.printer.fonts = { u"Arial"_qs };
    h.start();
    PolPpal *ppal = h.ppal();
    auto *control = ppal->findChild<QWidget *>(name);
    QVERIFY(control);
    const QRect expected(
        pixels(twips.x()), pixels(twips.y()), pixels(twips.width()), pixels(twips.height()));
    QCOMPARE(control->geometry(), expected);
    if (inside.isEmpty())
        QCOMPARE(control->mapTo(ppal, QPoint(0, 0)), expected.topLeft());
    else
        QCOMPARE(control->parentWidget()->objectName(), inside);
}

void TestStartup::windowsCentredAndFixed()
{
    Harness h;
    h.printer.fonts = { u"Arial"_qs };
    h.app = std::make_unique<Typovise>(h.printer, h.messages, h.dir.path());
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    auto centred = [&](QWidget *window, int width, int height) {
        QCOMPARE(window->minimumSize(), QSize(pixels(width), pixels(height)));
        QCOMPARE(window->maximumSize(), QSize(pixels(width), pixels(height)));
        // Centred by the size known before the first showing: the window's own, without the
        // frame a window manager adds later.
        QVERIFY(std::abs(window->x() - (screen.width() - window->width()) / 2) <= 1);
        QVERIFY(std::abs(window->y() - (screen.height() - window->height()) / 2) <= 1);
    };
    centred(h.app->polCharge(), 6525, 765);
    h.app->demarrer();
    centred(h.ppal(), 11070, 8010);

    // Colours as designed: the counters yellow, the complete list cyan, the selection green.
    auto colour = [&](const QString &name, QPalette::ColorRole role) {
        return h.ppal()->findChild<QWidget *>(name)->palette().color(role);
    };
    QCOMPARE(colour(u"NbrePol"_qs, QPalette::Window), QColor(255, 255, 0));
    QCOMPARE(colour(u"Liste0"_qs, QPalette::Base), QColor(192, 255, 255));
    QCOMPARE(colour(u"Liste1"_qs, QPalette::Base), QColor(192, 255, 192));
    QCOMPARE(colour(u"Liste1"_qs, QPalette::Text), QColor(Qt::black));
}

void TestStartup::sampleLinesFromTheSettings_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QString>("line1");
    QTest::addColumn<QString>("line2");
    const QString default1 = u" Portez ce vieux whisky au juge blond qui fume"_qs;
    const QString default2 = u"ABCDEFGHIJKLMNOP 0123456789 éèçàâäù%"_qs;
    QTest::newRow("no file") << QByteArray() << default1 << default2;
    QTest::newRow("cut at 254") << QByteArray(
        "[Textes]\r\n1\xb0_Ligne=" + QByteArray(300, 'x') + "\r\n")
                                << QString(254, u'x') << default2;
    QTest::newRow("254 kept whole")
        << QByteArray("[Textes]\r\n2\xb0_Ligne=" + QByteArray(253, 'y') + "z\r\n") << default1
        << QString(253, u'y') + u'z';
    QTest::newRow("empty keeps default")
        << QByteArray("[Textes]\r\n1\xb0_Ligne=\r\n2\xb0_Ligne=\r\n") << default1 << default2;
    QTest::newRow("quoted, blank kept")
        << QByteArray("[textes]\n1\xb0_ligne=\" Bonjour\"\n") << u" Bonjour"_qs << default2;
    QTest::newRow("UTF-8 edited on Linux")
        << QByteArray("[Textes]\n2\xc2\xb0_Ligne=\xc3\x89t\xc3\xa9\n") << default1 << u"Été"_qs;
}

void TestStartup::sampleLinesFromTheSettings()
{
    QFETCH(QByteArray, ini);
    QFETCH(QString, line1);
    QFETCH(QString, line2);
    Harness h;
    h.printer.fonts = { u"Arial"_qs };
    if (!ini.isNull())
        h.writeIni(ini);
    h.start();
    QCOMPARE(h.app->state().LignesExemple[1], line1);
    QCOMPARE(h.app->state().LignesExemple[2], line2);
    QCOMPARE(h.app->state().TexteExemple, line1 + u' ' + line2);
    QCOMPARE(h.find<QLabel>(u"Exemple1"_qs)->text(), line1 + u' ' + line2);
    QCOMPARE(QFile::exists(h.iniPath()), !ini.isNull());
}

void TestStartup::substitutedFontShowsItsRealName()
{
    Harness h;
    h.printer.fonts = { u"Arial"_qs, u"Zzz No Such Face"_qs };
    h.start();
    const QString used = QFontInfo(QFont(u"Arial"_qs)).family();
    QCOMPARE(h.find<VkFrame>(u"Cadre_Exemple0"_qs)->Caption(), used);
    if (QFontDatabase::hasFamily(u"Liberation Sans"_qs) && !QFontDatabase::hasFamily(u"Arial"_qs))
        QCOMPARE(used, u"Liberation Sans"_qs);
}

void TestStartup::restoresTheSampleOptions()
{
    Harness h;
    h.printer.fonts = { u"Arial"_qs };
    const QByteArray ini = "[Options]\r\nGras1=1\r\nItalique0=1\r\nTaille_Exemple0=24\r\n"
                           "[Textes]\r\n2\xb0_Ligne=Deuxi\xe8me ligne\r\n1\xb0_Ligne=\r\n"
                           "[TaillePolice]\r\nTaille=10.5\r\n";
    h.writeIni(ini);
    h.start();
    QVERIFY(h.find<VbCheckBox>(u"Gras1"_qs)->isChecked());
    QVERIFY(!h.find<VbCheckBox>(u"Gras0"_qs)->isChecked());
    QVERIFY(h.find<VbCheckBox>(u"Italique0"_qs)->isChecked());
    auto *exemple0 = h.find<QLabel>(u"Exemple0"_qs);
    auto *exemple1 = h.find<QLabel>(u"Exemple1"_qs);
    QVERIFY(exemple1->font().bold());
    QVERIFY(!exemple0->font().bold());
    QVERIFY(exemple0->font().italic());
    QVERIFY(!exemple1->font().italic());
    QCOMPARE(h.find<VbComboBox>(u"Taille_Exemple0"_qs)->Text(), u"24"_qs);
    QCOMPARE(exemple0->font().pointSizeF(), 24.0);
    QCOMPARE(h.find<VbComboBox>(u"Taille_Exemple1"_qs)->Text(), u"18"_qs);
    QCOMPARE(exemple1->font().pointSizeF(), 18.0);
    QCOMPARE(h.app->state().LignesExemple[1], u" Portez ce vieux whisky au juge blond qui fume"_qs);
    QCOMPARE(h.app->state().LignesExemple[2], u"Deuxième ligne"_qs);
    QCOMPARE(h.app->state().TaillePolice, 10.0);
    QCOMPARE(exemple1->text(), u" Portez ce vieux whisky au juge blond qui fume Deuxième ligne"_qs);
    // The two boxes changed by the load wrote their values back: the same values.
    const QByteArray after = h.readIni();
    QVERIFY(after.contains("Gras1=1\r\n"));
    QVERIFY(after.contains("Italique0=1\r\n"));
    QVERIFY(!after.contains("Gras0"));
    QVERIFY(after.contains("2\xb0_Ligne=Deuxi\xe8me ligne\r\n"));
    QVERIFY(h.messages.asked.isEmpty());
}

void TestStartup::sizeAboveTheMaximumIsCappedDuringTheLoad()
{
    Harness h;
    h.printer.fonts = { u"Arial"_qs };
    h.writeIni("[Options]\nTaille_Exemple1=3000\n");
    h.start();
    QCOMPARE(h.messages.asked.size(), 1);
    QCOMPARE(h.messages.asked[0].text, u"La Taille maximum est de 2048"_qs);
    QCOMPARE(h.messages.asked[0].title, u"Contrôle de Taille des Polices"_qs);
    QCOMPARE(h.messages.asked[0].style, 64);
    QCOMPARE(h.find<VbComboBox>(u"Taille_Exemple1"_qs)->Text(), u"2048"_qs);
    QCOMPARE(h.find<QLabel>(u"Exemple1"_qs)->font().pointSizeF(), 2048.0);
    // Only leaving the box saves the size.
    QVERIFY(h.readIni().contains("Taille_Exemple1=3000"));
}

void TestStartup::damagedValuesDoNotFailTheStart_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<int>("gras0");
    QTest::addColumn<bool>("bold0");
    QTest::addColumn<QString>("size0");
    QTest::addColumn<double>("taillePolice");
    QTest::newRow("greyed") << QByteArray("[Options]\nGras0=2\n") << 2 << false << u"18"_qs << 12.0;
    QTest::newRow("out of range") << QByteArray("[Options]\nGras0=5\n") << 0 << false << u"18"_qs
                                  << 12.0;
    QTest::newRow("huge") << QByteArray("[Options]\nGras0=99999999999999\n") << 0 << false
                          << u"18"_qs << 12.0;
    QTest::newRow("sizes not numbers")
        << QByteArray("[Options]\nTaille_Exemple0=abc\n[TaillePolice]\nTaille=-3\n") << 0 << false
        << u"18"_qs << 12.0;
    QTest::newRow("size zero") << QByteArray(
        "[Options]\nTaille_Exemple0=0\n[TaillePolice]\nTaille=0\n")
                               << 0 << false << u"18"_qs << 12.0;
    QTest::newRow("fraction") << QByteArray(
        "[Options]\nTaille_Exemple0=10.5\n[TaillePolice]\nTaille=2048\n")
                              << 0 << false << u"10"_qs << 2048.0;
    QTest::newRow("checked") << QByteArray("[options]\n  GRAS0 = 1 \n") << 1 << true << u"18"_qs
                             << 12.0;
}

void TestStartup::damagedValuesDoNotFailTheStart()
{
    QFETCH(QByteArray, ini);
    QFETCH(int, gras0);
    QFETCH(bool, bold0);
    QFETCH(QString, size0);
    QFETCH(double, taillePolice);
    Harness h;
    h.printer.fonts = { u"Arial"_qs };
    h.writeIni(ini);
    h.start();
    QCOMPARE(h.find<VbCheckBox>(u"Gras0"_qs)->Value(), gras0);
    QCOMPARE(h.find<QLabel>(u"Exemple0"_qs)->font().bold(), bold0);
    QCOMPARE(h.find<VbComboBox>(u"Taille_Exemple0"_qs)->Text(), size0);
    QCOMPARE(h.app->state().TaillePolice, taillePolice);
}

void TestStartup::startWritesNoSettingsFile()
{
    Harness h;
    h.printer.fonts = { u"Arial"_qs, u"DejaVu Sans"_qs };
    h.start();
    QVERIFY(!QFile::exists(h.iniPath()));
    QCOMPARE(h.find<VbCheckBox>(u"Gras0"_qs)->Value(), 0);
    QCOMPARE(h.app->state().TaillePolice, 12.0);
}

void TestStartup::closing_data()
{
    QTest::addColumn<bool>("byCloseBox");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("ends");
    QTest::newRow("close box, No") << true << int(MessageBoxes::No) << false;
    QTest::newRow("close box, Yes") << true << int(MessageBoxes::Yes) << true;
    QTest::newRow("Quitter, No") << false << int(MessageBoxes::No) << false;
    QTest::newRow("Quitter, Yes") << false << int(MessageBoxes::Yes) << true;
}

void TestStartup::closing()
{
    QFETCH(bool, byCloseBox);
    QFETCH(int, answer);
    QFETCH(bool, ends);
    Harness h;
    h.printer.fonts = { u"Arial"_qs };
    h.start();
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
    QCOMPARE(ended.count(), ends ? 1 : 0);
    // The window is never closed the ordinary way: on No it stays, on Yes the program ends.
    QVERIFY(h.ppal()->isVisible());
    QVERIFY(!QFile::exists(h.iniPath()));
}

void TestStartup::questionButtonsSpeakTheSystemsLanguage_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("yes");
    QTest::addColumn<QString>("no");
    QTest::newRow("French") << QLocale(QLocale::French, QLocale::France) << u"&Oui"_qs
                            << u"&Non"_qs;
    QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany) << u"&Ja"_qs
                            << u"&Nein"_qs;
}

void TestStartup::questionButtonsSpeakTheSystemsLanguage()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, yes);
    QFETCH(QString, no);
    QTranslator translator;
    QVERIFY(Typovise::chargerTraductionsQt(translator, locale));
    QVERIFY(QCoreApplication::installTranslator(&translator));
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    const QString yesText = box.button(QMessageBox::Yes)->text();
    const QString noText = box.button(QMessageBox::No)->text();
    QCoreApplication::removeTranslator(&translator);
    QCOMPARE(yesText, yes);
    QCOMPARE(noText, no);
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
    const QString last = liste0->List(count - 1);
    QVERIFY(last.startsWith(QString::number(count) + u' '));
    bool hasLiberation = false;
    for (int i = 0; i < count; ++i)
        hasLiberation = hasLiberation || liste0->List(i).endsWith(u" Liberation Sans"_qs);
    QVERIFY(hasLiberation);
    QVERIFY(!app.polPpal()->findChild<VkFrame *>(u"Cadre_Exemple0"_qs)->Caption().isEmpty());
    QVERIFY(printer.ScaleHeight() > 1440);
    printer.setFontName(u"Liberation Sans"_qs);
    printer.setFontSize(12);
    const double line = printer.TextHeight(u"Test"_qs);
    QVERIFY2(line > 200 && line < 400, qPrintable(QString::number(line)));
    printer.setFontSize(-5);
    const double smallest = printer.TextHeight(u"Test"_qs);
    QVERIFY(smallest > 0 && smallest < line);
    QVERIFY(messages.asked.isEmpty());
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
