#include "Harness.h"
#include "app/BusyCursor.h"
#include "app/PolCharge.h"
#include "platform/Controls.h"
#include "platform/QtPrinterService.h"
#include "printing/PolImprim.h"

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

// Names that no font carries, whose case-insensitive order is that of their number; the case
// alternates so that a sort that looks at case would put them in another order.
QStringList shuffledFonts(int count)
{
    QStringList names;
    for (int k = 0; k < count; ++k)
        names.append(u"%1ont %2"_qs.arg(QChar(k % 2 ? u'f' : u'F')).arg(k, 4, 10, QChar(u'0')));
    QRandomGenerator random(count);
    std::shuffle(names.begin(), names.end(), random);
    return names;
}

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

const QString kDefaultLine1 = u" Portez ce vieux whisky au juge blond qui fume"_qs;
const QString kDefaultLine2 = u"ABCDEFGHIJKLMNOP 0123456789 éèçàâäù%"_qs;

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void loadsAndNumbersTheFonts_data();
    void loadsAndNumbersTheFonts();
    void busyCursorIsAStateNotAStack();
    void layoutAsDesigned_data();
    void layoutAsDesigned();
    void windowsCentredAndFixed();
    void sampleLinesFromTheSettings_data();
    void sampleLinesFromTheSettings();
    void sampleOptionsFromTheSettings_data();
    void sampleOptionsFromTheSettings();
    void checkedOptionsAreWrittenBack();
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
    h.app = std::make_unique<Typovise>(h.printer, h.messages, h.dir.path());
    PolCharge *charge = h.app->polCharge();
    auto chargeText
        = [&](const QString &name) { return charge->findChild<QLabel *>(name)->text(); };
    // The last count asked for is the load step's own, before any font is read, so that it is
    // seen even with no font at all.
    QString message;
    QString counter;
    bool busy = false;
    h.printer.onFontCount = [&] {
        if (!h.app->chargementOuvert())
            return;
        message = chargeText(u"Patientez"_qs);
        counter = chargeText(u"NbrePolices"_qs);
        busy = busyCursorShown();
    };
    QStringList counterSeen;
    bool busyWhileReading = true;
    h.printer.onFontQuery = [&](int) {
        counterSeen.append(chargeText(u"NbrePolices"_qs));
        busyWhileReading = busyWhileReading && busyCursorShown();
    };
    h.app->demarrer();

    QCOMPARE(message,
        u"Veuillez patienter pendant la lecture\ndes  %1 Polices dont vous disposez..."_qs.arg(
            count));
    QCOMPARE(counter, u"000"_qs);
    QVERIFY(busy);
    QVERIFY(busyWhileReading);
    // Before font i is read the counter shows the i fonts read so far.
    if (count > 1)
        QCOMPARE(counterSeen.last(), QString::number(count - 1));
    QVERIFY(!QGuiApplication::overrideCursor());
    QVERIFY(!h.app->chargementOuvert());

    auto *liste0 = h.find<VbListBox>(u"Liste0"_qs);
    QCOMPARE(liste0->ListCount(), count);
    QCOMPARE(h.find<VbListBox>(u"Liste1"_qs)->ListCount(), 0);
    if (count > 0) {
        QCOMPARE(liste0->List(0), first);
        QCOMPARE(liste0->List(count - 1), last);
        for (int i = 0; i < count; ++i)
            QVERIFY2(liste0->List(i).endsWith(QString::number(i).rightJustified(4, u'0')),
                qPrintable(liste0->List(i)));
        QCOMPARE(liste0->ListIndex(), 0);
        QVERIFY(liste0->Selected(0));
        // No font has this name: the pane's title is the name of the font shown instead.
        const QString substitute = QFontInfo(QFont(u"Font 0000"_qs)).family();
        QVERIFY(substitute != u"Font 0000"_qs);
        QCOMPARE(h.find<VkFrame>(u"Cadre_Exemple0"_qs)->Caption(), substitute);
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
    QCOMPARE(h.find<QLabel>(u"Exemple0"_qs)->text(), kDefaultLine1 + u' ' + kDefaultLine2);
    QCOMPARE(h.app->state().FichierIni, h.iniPath());
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

// One control of each frame, and those whose place differs from their twin's in the other
// frame: enough to catch a wrong conversion, a wrong parent or a mixed-up twin.
void TestStartup::layoutAsDesigned_data()
{
    QTest::addColumn<QString>("inside"); // object name of the parent, empty for the window
    QTest::addColumn<QRect>("twips");
    auto row = [](const char *name, const char *inside, int l, int t, int w, int h) {
        QTest::newRow(name) << QString::fromLatin1(inside) << QRect(l, t, w, h);
    };
    row("vkFrame10", "", 60, 60, 4635, 915);
    row("Label10", "vkFrame10", 2940, 510, 750, 285);
    row("Label11", "vkFrame13", 2940, 480, 750, 285);
    row("Taille_Exemple1", "vkFrame13", 3690, 420, 855, 390);
    row("NbrePol", "vkFrame11", 90, 405, 1275, 405);
    row("Liste1", "List_S", 60, 450, 4155, 3840);
    row("Quitter", "", 4410, 4860, 2235, 525);
    row("Exemple1", "Cadre_Exemple1", 60, 420, 5355, 1995);
}

void TestStartup::layoutAsDesigned()
{
    QFETCH(QString, inside);
    QFETCH(QRect, twips);
    Harness h;
    h.start({ u"Arial"_qs });
    auto *control = h.ppal()->findChild<QWidget *>(QLatin1String(QTest::currentDataTag()));
    QVERIFY(control);
    const QRect expected(
        pixels(twips.x()), pixels(twips.y()), pixels(twips.width()), pixels(twips.height()));
    QCOMPARE(control->geometry(), expected);
    if (inside.isEmpty())
        QCOMPARE(control->mapTo(h.ppal(), QPoint(0, 0)), expected.topLeft());
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
        // Centred by the size known before the first showing, without a window manager's frame.
        QVERIFY(std::abs(window->x() - (screen.width() - window->width()) / 2) <= 1);
        QVERIFY(std::abs(window->y() - (screen.height() - window->height()) / 2) <= 1);
    };
    centred(h.app->polCharge(), 6525, 765);
    h.app->demarrer();
    centred(h.ppal(), 11070, 8010);

    auto colour = [&](const QString &name, QPalette::ColorRole role) {
        return h.ppal()->findChild<QWidget *>(name)->palette().color(role);
    };
    QCOMPARE(colour(u"NbrePol"_qs, QPalette::Window), QColor(255, 255, 0));
    QCOMPARE(colour(u"Liste0"_qs, QPalette::Base), QColor(192, 255, 255));
    QCOMPARE(colour(u"Liste1"_qs, QPalette::Base), QColor(192, 255, 192));
}

void TestStartup::sampleLinesFromTheSettings_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QString>("line1");
    QTest::addColumn<QString>("line2");
    QTest::newRow("no file") << QByteArray() << kDefaultLine1 << kDefaultLine2;
    QTest::newRow("cut at 254") << QByteArray(
        "[Textes]\r\n1\xb0_Ligne=" + QByteArray(300, 'x') + "\r\n")
                                << QString(254, u'x') << kDefaultLine2;
    QTest::newRow("254 kept whole")
        << QByteArray("[Textes]\r\n2\xb0_Ligne=" + QByteArray(253, 'y') + "z\r\n") << kDefaultLine1
        << QString(253, u'y') + u'z';
    QTest::newRow("empty keeps default")
        << QByteArray("[Textes]\r\n1\xb0_Ligne=\r\n2\xb0_Ligne=\r\n") << kDefaultLine1
        << kDefaultLine2;
    QTest::newRow("quoted, blank kept")
        << QByteArray("[textes]\n1\xb0_ligne=\" Bonjour\"\n") << u" Bonjour"_qs << kDefaultLine2;
    QTest::newRow("Windows-1252 written by hand")
        << QByteArray("[Textes]\r\n2\xb0_Ligne=Deuxi\xe8me ligne\r\n1\xb0_Ligne=\r\n")
        << kDefaultLine1 << u"Deuxième ligne"_qs;
    QTest::newRow("UTF-8 edited on Linux")
        << QByteArray("[Textes]\n2\xc2\xb0_Ligne=\xc3\x89t\xc3\xa9\n") << kDefaultLine1
        << u"Été"_qs;
}

void TestStartup::sampleLinesFromTheSettings()
{
    QFETCH(QByteArray, ini);
    QFETCH(QString, line1);
    QFETCH(QString, line2);
    Harness h;
    if (!ini.isNull())
        h.writeIni(ini);
    h.start({ u"Arial"_qs });
    QCOMPARE(h.app->state().LignesExemple[1], line1);
    QCOMPARE(h.app->state().LignesExemple[2], line2);
    QCOMPARE(h.app->state().TexteExemple, line1 + u' ' + line2);
    QCOMPARE(h.find<QLabel>(u"Exemple1"_qs)->text(), line1 + u' ' + line2);
    QCOMPARE(h.readIni(), ini);
}

void TestStartup::sampleOptionsFromTheSettings_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<int>("gras0");
    QTest::addColumn<QString>("size0");
    QTest::addColumn<QString>("size1");
    QTest::addColumn<double>("taillePolice");
    QTest::newRow("no file") << QByteArray() << 0 << u"18"_qs << u"18"_qs << 12.0;
    QTest::newRow("checked, case and blanks ignored")
        << QByteArray("[options]\n  GRAS0 = 1 \n") << 1 << u"18"_qs << u"18"_qs << 12.0;
    QTest::newRow("greyed") << QByteArray("[Options]\nGras0=2\n") << 2 << u"18"_qs << u"18"_qs
                            << 12.0;
    QTest::newRow("out of range") << QByteArray("[Options]\nGras0=5\n") << 0 << u"18"_qs << u"18"_qs
                                  << 12.0;
    QTest::newRow("huge") << QByteArray("[Options]\nGras0=99999999999999\n") << 0 << u"18"_qs
                          << u"18"_qs << 12.0;
    QTest::newRow("sizes not numbers")
        << QByteArray("[Options]\nTaille_Exemple0=abc\n[TaillePolice]\nTaille=-3\n") << 0
        << u"18"_qs << u"18"_qs << 12.0;
    QTest::newRow("sizes zero") << QByteArray(
        "[Options]\nTaille_Exemple0=0\n[TaillePolice]\nTaille=0\n")
                                << 0 << u"18"_qs << u"18"_qs << 12.0;
    QTest::newRow("fractions") << QByteArray("[Options]\nTaille_Exemple0=10.5\n[TaillePolice]\n"
                                             "Taille=10.5\n")
                               << 0 << u"10"_qs << u"18"_qs << 10.0;
    // Only leaving the box saves a size, so the 3000 stays in the file.
    QTest::newRow("24, 3000 and 2048")
        << QByteArray("[Options]\nTaille_Exemple0=24\nTaille_Exemple1=3000\n"
                      "[TaillePolice]\nTaille=2048\n")
        << 0 << u"24"_qs << u"2048"_qs << 2048.0;
}

void TestStartup::sampleOptionsFromTheSettings()
{
    QFETCH(QByteArray, ini);
    QFETCH(int, gras0);
    QFETCH(QString, size0);
    QFETCH(QString, size1);
    QFETCH(double, taillePolice);
    Harness h;
    if (!ini.isNull())
        h.writeIni(ini);
    h.start({ u"Arial"_qs });
    QCOMPARE(h.find<VbCheckBox>(u"Gras0"_qs)->Value(), gras0);
    QCOMPARE(h.find<QLabel>(u"Exemple0"_qs)->font().bold(), gras0 == 1);
    QCOMPARE(h.find<VbComboBox>(u"Taille_Exemple0"_qs)->Text(), size0);
    QCOMPARE(h.find<VbComboBox>(u"Taille_Exemple1"_qs)->Text(), size1);
    QCOMPARE(h.find<QLabel>(u"Exemple0"_qs)->font().pointSizeF(), size0.toDouble());
    QCOMPARE(h.find<QLabel>(u"Exemple1"_qs)->font().pointSizeF(), size1.toDouble());
    QCOMPARE(h.app->state().TaillePolice, taillePolice);
    const bool capped = size1 == u"2048"_qs;
    QCOMPARE(h.messages.asked.size(), capped ? 1 : 0);
    if (capped) {
        QCOMPARE(h.messages.asked[0].text, u"La Taille maximum est de 2048"_qs);
        QCOMPARE(h.messages.asked[0].title, u"Contrôle de Taille des Polices"_qs);
        QCOMPARE(h.messages.asked[0].style, 64);
    }
    if (gras0 != 1)
        QCOMPARE(h.readIni(), ini);
}

// The load sets each stored box, and each box writes its value back as it changes: the file
// keeps what it held.
void TestStartup::checkedOptionsAreWrittenBack()
{
    Harness h;
    h.writeIni("[Options]\r\nGras1=1\r\nItalique0=1\r\n");
    h.start({ u"Arial"_qs });
    QVERIFY(h.find<VbCheckBox>(u"Gras1"_qs)->isChecked());
    QVERIFY(h.find<VbCheckBox>(u"Italique0"_qs)->isChecked());
    QVERIFY(!h.find<VbCheckBox>(u"Gras0"_qs)->isChecked());
    auto *exemple0 = h.find<QLabel>(u"Exemple0"_qs);
    auto *exemple1 = h.find<QLabel>(u"Exemple1"_qs);
    QVERIFY(exemple1->font().bold() && !exemple1->font().italic());
    QVERIFY(!exemple0->font().bold() && exemple0->font().italic());
    QCOMPARE(h.readIni(), QByteArray("[Options]\r\nGras1=1\r\nItalique0=1\r\n"));
    QVERIFY(h.messages.asked.isEmpty());
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
    QVERIFY(liste0->List(count - 1).startsWith(QString::number(count) + u' '));
    bool hasLiberation = false;
    for (int i = 0; i < count; ++i)
        hasLiberation = hasLiberation || liste0->List(i).endsWith(u" Liberation Sans"_qs);
    QVERIFY(hasLiberation);
    QVERIFY(!app.polPpal()->findChild<VkFrame *>(u"Cadre_Exemple0"_qs)->Caption().isEmpty());
    QVERIFY(messages.asked.isEmpty());
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
