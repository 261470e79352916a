#include "Harness.h"
#include "app/BusyCursor.h"
#include "app/PolCharge.h"
#include "app/TextHelpers.h"
#include "platform/Controls.h"
#include "platform/ProfileFile.h"
#include "platform/QtPrinterService.h"
#include "printing/PolImprim.h"

#include <QFontInfo>
#include <QLabel>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTranslator>
#include <algorithm>
#include <limits>
#include <unistd.h>

using namespace Qt::StringLiterals;

class TestStartup : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void loadsAndNumbersTheFonts_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::newRow("1000") << 1000 << u"001 Font 0000"_qs << u"1000 font 0999"_qs;
        QTest::newRow("523") << 523 << u"001 Font 0000"_qs << u"523 Font 0522"_qs;
        QTest::newRow("100") << 100 << u"01 Font 0000"_qs << u"100 font 0099"_qs;
        QTest::newRow("10") << 10 << u"1 Font 0000"_qs << u"10 font 0009"_qs;
        QTest::newRow("1") << 1 << u"1 Font 0000"_qs << u"1 Font 0000"_qs;
        QTest::newRow("0") << 0 << QString() << QString();
    }

    void loadsAndNumbersTheFonts()
    {
        QFETCH(int, count);
        QFETCH(QString, first);
        QFETCH(QString, last);
        Harness h;
        // No font has these names; the case alternates so that a case-sensitive sort shows.
        for (int k = 0; k < count; ++k)
            h.printer.fonts
                << u"%1ont %2"_qs.arg(QChar(k % 2 ? u'f' : u'F')).arg(k, 4, 10, QChar(u'0'));
        std::shuffle(h.printer.fonts.begin(), h.printer.fonts.end(), QRandomGenerator(count));
        h.app = std::make_unique<Typovise>(h.printer, h.messages, h.dir.path());
        auto text = [&](const char *name) {
            return h.app->polCharge()->findChild<QLabel *>(QLatin1String(name))->text();
        };
        QString message, counter; // as the last count is asked for, before any font is read
        h.printer.onFontCount = [&] {
            if (h.app->chargementOuvert())
                message = text("Patientez"), counter = text("NbrePolices");
        };
        h.printer.onFontQuery = [&](int) { counter = text("NbrePolices"); };
        h.app->demarrer();
        QCOMPARE(message,
            u"Veuillez patienter pendant la lecture\ndes  %1 Polices dont vous disposez..."_qs.arg(
                count));
        QCOMPARE(counter, count > 1 ? QString::number(count - 1) : u"000"_qs);
        auto *liste0 = h.find<VbListBox>(u"Liste0"_qs);
        QCOMPARE(liste0->ListCount(), count);
        for (int i = 0; i < count; ++i)
            QVERIFY(liste0->List(i).endsWith(QString::number(i).rightJustified(4, u'0')));
        QCOMPARE(liste0->List(0) + u'|' + liste0->List(count - 1), first + u'|' + last);
        // The pane's title is the real name of the font that stands in for the missing one.
        auto *exemple0 = h.find<QLabel>(u"Exemple0"_qs);
        QCOMPARE(h.find<VkFrame>(u"Cadre_Exemple0"_qs)->Caption(),
            count ? QFontInfo(QFont(u"Font 0000"_qs)).family() : u"Liste"_qs);
        QCOMPARE(exemple0->font().family() == u"Font 0000"_qs, count > 0);
        // Highlight on entry 0, commands enabled; nothing of the selection shown; no file.
        QString flags;
        auto w = [&](const char *name) { return h.find<QWidget>(QLatin1String(name)); };
        for (bool on : { liste0->ListIndex() == 0, count && liste0->Selected(0),
                 w("Ajoute")->isEnabled(), w("Imprimer")->isEnabled(), w("Exemple1")->isVisible(),
                 w("Enleve")->isVisible(), w("Enleve_Tout")->isVisible(),
                 h.app->polImprim()->choixListe(1)->isEnabled(), QFile::exists(h.iniPath()) })
            flags += on ? u'1' : u'0';
        QCOMPARE(flags, count ? u"111100000"_qs : u"000000000"_qs);
        QCOMPARE(h.find<QLabel>(u"NbrePol"_qs)->text() + u'|'
                + h.find<VkFrame>(u"ListComplete"_qs)->Caption() + u'|'
                + h.find<VkFrame>(u"List_S"_qs)->Caption(),
            u"%1|Liste complète =  %2|Liste de Sélection =  0"_qs
                .arg(count ? QString::number(count) : u"000"_qs)
                .arg(count));
        if (count >= 100) { // the number field is cut by the length of the count, then trimmed
            liste0->setList(1, u"007 Arial"_qs);
            QTest::keyClick(liste0, Qt::Key_Down);
            QCOMPARE(exemple0->font().family(), u"Arial"_qs);
        }
    }

    // Gras0 Gras1 Italique0 Italique1|sizes|sample lines (* default)|messages at start-up; then a
    // click on Gras0 takes effect, and is written where it can be, the rest kept.
    void settingsFiles_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("shown");
        const QByteArray ini = "[Options]\r\nItalique0=1\r\nTaille_Exemple0=30\r\n";
        QByteArray random(50'000'000, Qt::Uninitialized);
        QRandomGenerator(61161).fillRange(
            reinterpret_cast<quint32 *>(random.data()), random.size() / 4);
        auto row = [](const char *name, const QByteArray &ini, const QString &shown,
                       const char *setup = "") {
            QTest::newRow(name) << QString::fromLatin1(setup) << ini << shown;
        };
        row("no file", QByteArray(), u"0000|18|18|*|*|"_s);
        row("Gras1, Italique0", "[Options]\r\nGras1=1\r\nItalique0=1\r\n", u"0110|18|18|*|*|"_s);
        row("2 greyed, 7 as 0", "[Options]\nGras0=2\nItalique1=7\n", u"2000|18|18|*|*|"_s);
        row("24 and 3000", "[Options]\nTaille_Exemple0=24\nTaille_Exemple1=3000\n",
            u"0000|24|2048|*|*|La Taille maximum est de 2048 Contrôle de Taille des Polices 64"_s);
        row("10.5 as 10", "[options]\nTaille_Exemple0=10.5\n", u"0000|10|18|*|*|"_s);
        row("254-character cut", "[Textes]\r\n1\xb0_Ligne=" + QByteArray(300, 'x') + "\r\n",
            u"0000|18|18|"_s + QString(254, u'x') + u"|*|"_s);
        row("Windows-1252 by hand", "[Textes]\r\n2\xb0_Ligne=Deuxi\xe8me\r\n",
            u"0000|18|18|*|Deuxième|"_s);
        row("a directory in its place", ini, u"0000|18|18|*|*|"_s, "directory");
        row("unreadable file", ini, u"0000|18|18|*|*|"_s, "unreadable");
        row("read-only program directory", ini, u"0010|30|18|*|*|"_s, "read-only");
        row("50 MB of random bytes", random, u"0000|18|18|*|*|"_s);
        row("NUL bytes",
            "[Options]\r\nGras0=1\0\r\nItalique0\0=1\r\nTaille_Exemple0=2\0"
            "4\r\n[Textes]\r\n1\xb0_Ligne=a\0b\r\n"_ba,
            u"1000|2|18|a\0b|*|"_s);
        row("very long lines",
            "; " + QByteArray(8'000'000, 'x')
                + "\n[Options]\nItalique0=1\nGras0=" + QByteArray(1'000'000, '1')
                + "\n[Textes]\n1\xb0_Ligne=" + QByteArray(1000, '\xe9') + "\n",
            u"0010|18|18|"_s + QString(254, u'é') + u"|*|"_s);
        row("duplicate sections and keys",
            "[Options]\nGras0=1\ngras0=0\n[Textes]\n1\xb0_Ligne=un\n"
            "[OPTIONS]\nItalique0=1\n[Textes]\n1\xb0_Ligne=deux\n",
            u"1000|18|18|un|*|"_s);
    }

    void settingsFiles()
    {
        QFETCH(QString, setup);
        QFETCH(QByteArray, ini);
        QFETCH(QString, shown);
        Harness h;
        const QString path = h.iniPath();
        if (setup == u"directory")
            QVERIFY(QDir().mkdir(path));
        else if (!ini.isNull())
            h.writeIni(ini);
        // Root reads and writes anything: the program then runs as nobody, who may not.
        const bool unreadable = setup == u"unreadable",
                   locked = unreadable || setup == u"read-only";
        auto unlock = [&] {
            QVERIFY(!locked || getuid() || !seteuid(0));
            QFile::setPermissions(h.dir.path(), QFileDevice::Permissions(0x7700));
            QFile::setPermissions(path, QFileDevice::Permissions(0x6600));
        };
        const auto unlockAtTheEnd = qScopeGuard(unlock);
        if (locked)
            QVERIFY((!unreadable || QFile::setPermissions(path, QFileDevice::WriteOwner))
                && QFile::setPermissions(
                    h.dir.path(), QFileDevice::Permissions(unreadable ? 0x7777 : 0x5555))
                && (geteuid() || !seteuid(65534)));
        h.start({ u"Arial"_s, u"DejaVu Sans"_s });
        QString actual;
        for (const char *box : { "Gras0", "Gras1", "Italique0", "Italique1" })
            actual += QString::number(h.find<VbCheckBox>(QLatin1String(box))->Value());
        for (int i = 0; i < 2; ++i) {
            const QFont font = h.find<QLabel>(u"Exemple%1"_s.arg(i))->font();
            QCOMPARE(font.bold(), actual[i] == u'1');
            QCOMPARE(font.italic(), actual[2 + i] == u'1');
            actual += u'|' + h.find<VbComboBox>(u"Taille_Exemple%1"_s.arg(i))->Text();
            QCOMPARE(font.pointSizeF(), actual.section(u'|', -1).toDouble());
        }
        const ProgramState &s = h.app->state();
        const QString defaults[] = { {}, u" Portez ce vieux whisky au juge blond qui fume"_s,
            u"ABCDEFGHIJKLMNOP 0123456789 éèçàâäù%"_s };
        for (int i = 1; i <= 2; ++i)
            actual += u'|' + (s.LignesExemple[i] == defaults[i] ? u"*"_s : s.LignesExemple[i]);
        actual += u'|';
        for (const auto &box : h.messages.asked)
            actual += u"%1 %2 %3"_s.arg(box.text, box.title).arg(box.style);
        QCOMPARE(actual, shown);
        QCOMPARE(
            h.find<QLabel>(u"Exemple1"_s)->text(), s.LignesExemple[1] + u' ' + s.LignesExemple[2]);
        if (setup.isEmpty() && !ini.contains('\0')) { // a "1\0" read as 1 is written as "1"
            QCOMPARE(QFile::exists(path), !ini.isNull());
            QCOMPARE(h.readIni(), ini);
        }
        const qsizetype messages = h.messages.asked.size();
        auto *gras = h.find<VbCheckBox>(u"Gras0"_s);
        while (gras->Value() != 1)
            gras->click();
        h.find<VbListBox>(u"Liste0"_s)->setFocus();
        QTest::keyClick(h.find<VbListBox>(u"Liste0"_s), Qt::Key_Down);
        QCOMPARE(h.find<QLabel>(u"Exemple0"_s)->font().family(), u"DejaVu Sans"_s);
        QVERIFY(h.find<QLabel>(u"Exemple0"_s)->font().bold()); // kept in memory
        QCOMPARE(h.messages.asked.size(), messages);
        unlock();
        if (setup.isEmpty()) {
            const ProfileDocument old = ProfileDocument::fromBytes(ini),
                                  now = ProfileDocument::fromBytes(h.readIni());
            QCOMPARE(now.value(u"Options", u"Gras0"), u"1"_s);
            for (const QString &key :
                { u"Italique0"_s, u"Taille_Exemple0"_s, u"Taille_Exemple1"_s, u"Gras1"_s })
                QCOMPARE(now.value(u"Options", key), old.value(u"Options", key));
            QCOMPARE(now.value(u"Textes", u"1°_Ligne"), old.value(u"Textes", u"1°_Ligne"));
        } else {
            QCOMPARE(h.readIni(), setup == u"directory" ? QByteArray() : ini);
        }
    }

    void leadingNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        constexpr double kMax = std::numeric_limits<double>::max();
        const std::pair<QString, double> rows[] = { { u"1 2"_qs, 12 }, { u"12,5"_qs, 12 },
            { u"10.5"_qs, 10.5 }, { u"&H1F"_qs, 31 }, { u"&O17"_qs, 15 }, { u"1E3"_qs, 1000 },
            { u"1D3"_qs, 1000 }, { u"-"_qs, 0 }, { u""_qs, 0 }, { u"abc"_qs, 0 },
            { u"\t1\n8"_qs, 18 }, { u"1e999"_qs, kMax }, { u"&H"_qs + QString(400, u'F'), kMax },
            { u"&O"_qs + QString(500, u'7'), kMax } };
        for (const auto &[text, expected] : rows)
            QTest::newRow(qPrintable(text.left(8))) << text << expected;
    }

    void leadingNumber()
    {
        QFETCH(QString, text);
        QFETCH(double, expected);
        QCOMPARE(TextHelpers::leadingNumber(text), expected);
    }

    void closing_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("close box, No") << int(MessageBoxes::No);
        QTest::newRow("close box, Yes") << int(MessageBoxes::Yes);
        QTest::newRow("Quitter, No") << int(MessageBoxes::No);
        QTest::newRow("Quitter, Yes") << int(MessageBoxes::Yes);
    }

    void closing()
    {
        QFETCH(int, answer);
        const bool byCloseBox = QByteArray(QTest::currentDataTag()).startsWith("close");
        Harness h;
        h.start({ u"Arial"_qs });
        QSignalSpy ended(h.app.get(), &Typovise::fin);
        h.messages.answers = { MessageBoxes::Answer(answer) };
        if (byCloseBox)
            h.ppal()->close();
        else
            QTest::mouseClick(h.find<VkCommand>(u"Quitter"_qs), Qt::LeftButton);
        QCOMPARE(h.messages.asked.size(), 1);
        const auto &asked = h.messages.asked[0];
        QCOMPARE(u"%1|%2|%3"_qs.arg(asked.text, asked.title).arg(asked.style),
            u"Quitter l'application ?|Contrôle de Fermeture|36"_qs);
        QCOMPARE(ended.count(), answer == MessageBoxes::Yes ? 1 : 0);
        QVERIFY(h.ppal()->isVisible()); // on No it stays; on Yes the owner ends the program
    }

    void busyCursorIsAStateNotAStack()
    {
        QGuiApplication::setOverrideCursor(Qt::CrossCursor); // whatever was in force before
        Curseur_Attente();
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        Curseur_Attente();
        Curseur_Normal();
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void yesAndNoInTheSystemLanguage()
    {
        for (const auto &[locale, yesNo] :
            { std::pair { "fr_FR", u"&Oui|&Non"_qs }, std::pair { "de_DE", u"&Ja|&Nein"_qs } }) {
            QTranslator tr;
            QVERIFY(Typovise::chargerTraductionsQt(tr, QLocale(QLatin1String(locale))));
            QCOMPARE(tr.translate("QPlatformTheme", "&Yes") + u'|'
                    + tr.translate("QPlatformTheme", "&No"),
                yesNo);
        }
    }

    void realFontsOnTheRealPrinterService()
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
        QCOMPARE(liste0->findItems(u" Liberation Sans"_qs, Qt::MatchEndsWith).size(), 1);
        // The first entry's pane is titled with the entry's own family name.
        QCOMPARE(app.polPpal()->findChild<VkFrame *>(u"Cadre_Exemple0"_qs)->Caption(),
            liste0->List(0).section(u' ', 1));
        QVERIFY(messages.asked.isEmpty());
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
