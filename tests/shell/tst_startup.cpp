// Start-up on the whole program: the font list, the settings file, where the keyboard starts,
// what a screen reader hears, and quitting.
#include "Harness.h"
#include "shell/PolCharge.h"
#include "widgets/Controls.h"
#include "printing/PolImprim.h"

#include <QAccessible>
#include <QApplication>
#include <QFontInfo>
#include <QLabel>
#include <QRandomGenerator>
#include <QSet>
#include <QSignalSpy>
#include <QTranslator>
#include <algorithm>

using namespace Qt::StringLiterals;

// What start-up makes of a settings file.
struct Shown
{
    int gras0 = 0;
    int gras1 = 0;
    int italique0 = 0;
    QString taille0 = u"18"_s;
    QString ligne1 = u" Portez ce vieux whisky au juge blond qui fume"_s;
    QString message = {};
};
Q_DECLARE_METATYPE(Shown)

class TestStartup : public QObject
{
    Q_OBJECT
    Harness m_started; // one program for the cases that only look at it

private Q_SLOTS:
    void initTestCase() { m_started.start({ u"Arial"_s, u"Times New Roman"_s }); }

    // First of all: the keyboard starts in the complete list, whose focus handler shows its sample.
    void completeListHasTheFocusAtStart()
    {
        auto *pane = m_started.find<VkFrame>(u"Cadre_Exemple0"_s);
        const QString shown = pane->Caption();
        pane->setCaption(u"pas encore"_s);
        m_started.ppal()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_started.ppal()));
        QCOMPARE(QApplication::focusWidget(), m_started.find<VbListBox>(u"Liste0"_s));
        QCOMPARE(pane->Caption(), shown);
    }

    // Every control has a name, and no two of a window read the same.
    void everyControlIsToldApart_data()
    {
        QTest::addColumn<QWidget *>("window");
        QTest::newRow("the loading window") << static_cast<QWidget *>(m_started.app->polCharge());
        QTest::newRow("the main window") << static_cast<QWidget *>(m_started.ppal());
        QTest::newRow("the print dialog") << static_cast<QWidget *>(m_started.app->polImprim());
    }

    void everyControlIsToldApart()
    {
        QFETCH(QWidget *, window);
        QSet<QString> heard;
        for (QWidget *widget : window->findChildren<QWidget *>()) {
            const QString name = widget->objectName();
            if (name.isEmpty() || name.startsWith(u"qt_"_s) || widget->window() != window)
                continue;
            QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
            QVERIFY2(!accessible->text(QAccessible::Name).isEmpty(), qPrintable(name));
            const QString said = accessible->text(QAccessible::Name) + u" / "_s
                + accessible->text(QAccessible::Description);
            QVERIFY2(!heard.contains(said), qPrintable(name + u": "_s + said));
            heard << said;
        }
    }

    // The fonts are named "Font 0000", "font 0001"...: the letter case alternates so that a
    // case-sensitive sort shows.
    void loadsAndNumbersTheFonts_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::newRow("a thousand fonts end on one wider number")
            << 1000 << u"001 Font 0000"_s << u"1000 font 0999"_s;
        QTest::newRow("no font leaves Ajouter disabled") << 0 << QString() << QString();
    }

    void loadsAndNumbersTheFonts()
    {
        QFETCH(int, count);
        QFETCH(QString, first);
        QFETCH(QString, last);
        Harness h;
        for (int k = 0; k < count; ++k)
            h.printer.fonts
                << u"%1ont %2"_s.arg(QChar(k % 2 ? u'f' : u'F')).arg(k, 4, 10, QChar(u'0'));
        std::shuffle(h.printer.fonts.begin(), h.printer.fonts.end(), QRandomGenerator(count));
        h.start();
        auto *liste0 = h.find<VbListBox>(u"Liste0"_s);
        QCOMPARE(liste0->ListCount(), count);
        for (int i = 0; i < count; ++i)
            QVERIFY(liste0->List(i).endsWith(QString::number(i).rightJustified(4, u'0')));
        QCOMPARE(liste0->List(0), first);
        QCOMPARE(liste0->List(count - 1), last);
        QCOMPARE(h.find<QLabel>(u"NbrePol"_s)->text(), count ? QString::number(count) : u"000"_s);
        QCOMPARE(
            h.find<VkFrame>(u"ListComplete"_s)->Caption(), u"Liste complète =  %1"_s.arg(count));
        // The first entry highlighted and shown, its pane titled with the real font's name.
        QCOMPARE(liste0->Selected(0), count > 0);
        QCOMPARE(h.find<VkFrame>(u"Cadre_Exemple0"_s)->Caption(),
            count ? QFontInfo(QFont(u"Font 0000"_s)).family() : u"Liste"_s);
        QCOMPARE(h.find<VkCommand>(u"Ajoute"_s)->isEnabled(), count > 0);
    }

    void readsTheSettingsFile_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<Shown>("shown");
        const QByteArray longLines = "; " + QByteArray(8'000'000, 'x')
            + "\n[Options]\nItalique0=1\nGras0=" + QByteArray(1'000'000, '1')
            + "\n[Textes]\n1\xb0_Ligne=" + QByteArray(1000, '\xe9') + "\n";
        QTest::newRow("no file gives the defaults") << QByteArray() << Shown {};
        QTest::newRow("the options as written, the section's letter case ignored")
            << "[OPTIONS]\r\nGras1=1\r\nItalique0=1\r\n"_ba << Shown { .gras1 = 1, .italique0 = 1 };
        QTest::newRow("a size above 2048 is capped with a message")
            << "[Options]\nTaille_Exemple0=3000\n"_ba
            << Shown { .taille0 = u"2048"_s, .message = u"La Taille maximum est de 2048"_s };
        QTest::newRow("NUL bytes end a number, not a line or a text")
            << "[Options]\r\nGras0=1\0\r\nItalique0\0=1\r\nTaille_Exemple0=2\0"
               "4\r\n[Textes]\r\n1\xb0_Ligne=a\0b\r\n"_ba
            << Shown { .gras0 = 1, .taille0 = u"2"_s, .ligne1 = u"a\0b"_s };
        QTest::newRow(
            "very long lines in Windows-1252: a text cut to 254 characters, a huge number as 0")
            << longLines << Shown { .italique0 = 1, .ligne1 = QString(254, u'é') };
        QTest::newRow("the first of duplicate sections and keys")
            << "[Options]\nGras0=1\ngras0=0\n[Textes]\n1\xb0_Ligne=un\n"
               "[OPTIONS]\nItalique0=1\n[Textes]\n1\xb0_Ligne=deux\n"_ba
            << Shown { .gras0 = 1, .ligne1 = u"un"_s };
    }

    void readsTheSettingsFile()
    {
        QFETCH(QByteArray, file);
        QFETCH(Shown, shown);
        Harness h;
        if (!file.isNull())
            h.writeIni(file);
        h.start({ u"Arial"_s });
        QCOMPARE(h.find<VbCheckBox>(u"Gras0"_s)->Value(), shown.gras0);
        QCOMPARE(h.find<VbCheckBox>(u"Italique0"_s)->Value(), shown.italique0);
        QCOMPARE(h.find<VbComboBox>(u"Taille_Exemple0"_s)->Text(), shown.taille0);
        QCOMPARE(h.app->state().LignesExemple[1], shown.ligne1);
        QCOMPARE(h.messages.asked.size(), shown.message.isEmpty() ? 0 : 1);
        QCOMPARE(h.messages.asked.value(0).text, shown.message);
        QCOMPARE(h.find<QLabel>(u"Exemple1"_s)->font().bold(), shown.gras1 == 1);
        QCOMPARE(h.find<QLabel>(u"Exemple0"_s)->font().italic(), shown.italique0 == 1);
        // Start-up writes nothing, but a box set from "1\0" writes itself back as "1".
        if (!file.contains('\0'))
            QCOMPARE(h.readIni(), file);
    }

    // The close box and Quitter ask first; the owner, not the window, ends the program.
    void quittingAsksFirst()
    {
        Harness h;
        h.start({ u"Arial"_s });
        QSignalSpy ended(h.app.get(), &Typovise::fin);
        h.messages.answers = { MessageBoxes::No, MessageBoxes::Yes };
        h.ppal()->close();
        QCOMPARE(ended.count(), 0);
        QTest::mouseClick(h.find<VkCommand>(u"Quitter"_s), Qt::LeftButton);
        QCOMPARE(ended.count(), 1);
        QVERIFY(h.ppal()->isVisible());
        QCOMPARE(h.messages.asked.size(), 2);
        QCOMPARE(h.messages.asked[1].text, u"Quitter l'application ?"_s);
        QCOMPARE(h.messages.asked[1].title, u"Contrôle de Fermeture"_s);
        QCOMPARE(h.messages.asked[1].style, int(MessageBoxes::Question));
    }

    void yesAndNoInTheSystemLanguage()
    {
        QTranslator translator;
        QVERIFY(Typovise::chargerTraductionsQt(translator, QLocale(u"fr_FR"_s)));
        QCOMPARE(translator.translate("QPlatformTheme", "&Yes"), u"&Oui"_s);
        QCOMPARE(translator.translate("QPlatformTheme", "&No"), u"&Non"_s);
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
