// The printing layer on scripted printers: the printing run's operations in order, the page
// estimate and progress bars on exact heights, a failing run, and the print dialog as a user
// meets it: its openings, its handlers, its preview and whatever is pasted into its fields.
#include "Harness.h"
#include "platform/Controls.h"
#include "platform/ProfileFile.h"
#include "printing/CatalogueLayout.h"
#include "printing/PolImprim.h"
#include "printing/PreviewStrip.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFocusEvent>
#include <QLabel>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

namespace {

using OrderRow = std::tuple<int, int, QString, QString, double, QList<int>>;
struct EstimateRow
{
    int count, k;
    double size, page;
    qint64 pages;
    int printed; // -1 where the run fails
    QList<float> bar = {}, printBar = {};
};
struct HandlerRow
{
    QString script, state;
    QStringList estimates = {};
    QByteArray ini = {};
    QString message = {};
};

const QDateTime kWhen(QDate(2026, 12, 5), QTime(9, 5, 7));
const QByteArray kLine1("[Textes]\r\n1\xb0_Ligne= Portez ce vieux whisky au juge blond qui fume");
const QByteArray kLine2(
    "\r\n2\xb0_Ligne=ABCDEFGHIJKLMNOP 0123456789 \xe9\xe8\xe7\xe0\xe2\xe4\xf9%");

// k numbers the options as the preview does: 1 samples, 2 spacing, 4 numbers.
CatalogueOptions options(int k, double size = 14)
{
    return { bool(k & 1), bool(k & 2), bool(k & 4), size, { { {}, u"Portez"_s, u"ABC"_s } },
        u"Cat"_s, false, false };
}

// What each content row of a preview page shows first: a name, a sample bar or paper.
QString rows(const QImage &cell)
{
    QString found;
    for (int y = 8; y <= 60; ++y) {
        QRgb c = PreviewStrip::kPaper;
        for (int x = 3; x <= 42 && c == PreviewStrip::kPaper; ++x)
            c = cell.pixel(x, y);
        found += c == PreviewStrip::kSampleInk ? u'S' : c == PreviewStrip::kPaper ? u'.' : u'N';
    }
    return found;
}

int namePitch(const QString &r)
{
    return int(r.indexOf(u'N', r.indexOf(u'N') + 1) - r.indexOf(u'N'));
}

} // namespace

Q_DECLARE_METATYPE(OrderRow)
Q_DECLARE_METATYPE(EstimateRow)
Q_DECLARE_METATYPE(HandlerRow)

class TestPrinting : public QObject
{
    Q_OBJECT

    std::unique_ptr<Harness> m_h;
    PolImprim *m_dialog = nullptr;
    QStringList m_estimates; // per estimate: the size it ran with, the size saved before it

    template <typename T = QWidget> T *control(const QString &name) const
    {
        return m_dialog->findChild<T *>(name);
    }
    QLineEdit *edit(const QString &name) const
    {
        auto *box = control<QComboBox>(name);
        return box ? box->lineEdit() : control<QLineEdit>(name);
    }
    int on(const char *name) const
    {
        return control<QAbstractButton>(QLatin1String(name))->isChecked();
    }

    // Words run in turn: select (the second font into the selection), open, close, restart,
    // set:X (ticked by the program), focus:X, away:X (another application takes the focus),
    // pick:X (one step down its list), type:X:text (over the whole field), or a button.
    void play(const QString &script)
    {
        for (const QString &word : script.split(u' ', Qt::SkipEmptyParts)) {
            const QString verb = word.section(u':', 0, 0), name = word.section(u':', 1, 1);
            if (verb == u"select"_s) {
                m_h->find<VbListBox>(u"Liste0"_s)->setSelected(1, true);
                QTest::mouseClick(m_h->find<VkCommand>(u"Ajoute"_s), Qt::LeftButton);
            } else if (verb == u"open"_s) {
                m_estimates.clear();
                m_dialog = m_h->app->afficherImpression();
                m_dialog->activateWindow();
                QVERIFY(QTest::qWaitForWindowActive(m_dialog));
            } else if (verb == u"close"_s) {
                QTest::mouseClick(control(u"Fermer"_s), Qt::LeftButton);
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            } else if (verb == u"restart"_s) {
                m_h->restart();
            } else if (verb == u"set"_s) {
                control<VbCheckBox>(name)->setValue(1);
            } else if (name.isEmpty()) {
                control<QAbstractButton>(word)->click();
            } else {
                control(name)->setFocus(Qt::TabFocusReason);
                QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
                if (verb == u"away"_s)
                    QCoreApplication::sendEvent(control(name), &away);
                if (verb == u"pick"_s)
                    control<QComboBox>(name)->setCurrentIndex(name == u"Taille_Police"_s ? 8 : 0);
                if (verb == u"pick"_s)
                    QTest::keyClick(control(name), Qt::Key_Down);
                if (verb == u"type"_s)
                    edit(name)->selectAll();
                for (QChar c : word.section(u':', 2)) // keys for ASCII, an input method else
                    c.unicode() < 128 ? QTest::keyClick(edit(name), char(c.unicode()))
                                      : edit(name)->insert(c);
            }
        }
    }

private Q_SLOTS:
    void init()
    {
        m_h = std::make_unique<Harness>();
        m_h->start({ u"Arial"_s, u"DejaVu Sans"_s, u"Liberation Mono"_s, u"Times"_s });
        // Every estimate measures the bold 15-point header first; nothing else does.
        m_h->printer.height = [this](const ScriptedPrinter::Font &f, const QString &) {
            const QString saved = ProfileFile::readString(
                m_h->iniPath(), u"TaillePolice", u"Taille", u"none"_s, 254);
            if (f.size == 15 && f.bold)
                m_estimates << u"%1:%2"_s.arg(m_h->app->state().TaillePolice).arg(saved);
            return f.size * 20;
        };
    }

    void operationOrder_data()
    {
        QTest::addColumn<OrderRow>("row");
        const QString day = u"Cat le 5 décembre 2026"_s, time = u" à 9:05:07"_s;
        QTest::newRow("names") << OrderRow { 0, 0, u"Cat"_s, u"Cat"_s, 15840, {} };
        QTest::newRow("samples, date") << OrderRow { 1, 1, u"Cat"_s, day, 15840, {} };
        QTest::newRow("spacing, time") << OrderRow { 2, 2, u"Cat"_s, u"Cat"_s + time, 15840, {} };
        QTest::newRow("samples, spacing") << OrderRow { 3, 3, u"Cat"_s, day + time, 15840, {} };
        QTest::newRow("numbers, empty text") << OrderRow { 4, 3, {}, day.mid(3) + time, 15840, {} };
        QTest::newRow("samples, numbers") << OrderRow { 5, 0, u"Cat"_s, u"Cat"_s, 15840, {} };
        QTest::newRow("spacing, numbers") << OrderRow { 6, 0, u"Cat"_s, u"Cat"_s, 15840, {} };
        QTest::newRow("all") << OrderRow { 7, 0, u"Cat"_s, u"Cat"_s, 15840, {} };
        // Header 500 twips, name line 240, two 14-point sample lines 560.
        QTest::newRow("one twip short") << OrderRow { 0, 0, u"Cat"_s, u"Cat"_s, 979, { 1 } };
        QTest::newRow("block ends on the edge")
            << OrderRow { 1, 0, u"Cat"_s, u"Cat"_s, 1300, { 1 } };
        QTest::newRow("taller than the page")
            << OrderRow { 7, 0, u"Cat"_s, u"Cat"_s, 700, { 0, 1 } };
    }
    // Font choices show in the font each measurement and each line is made in.
    void operationOrder()
    {
        QFETCH(OrderRow, row);
        const auto &[k, dateTime, text, header, page, breaks] = row;
        // A one-digit and a four-digit number field: the name starts after either.
        const QStringList list { u"1 Alpha"_s, u"1000 Beta Sans"_s };
        QString expected = u"print:Arial|15|bi|%1;print:Arial|10||"_s.arg(header);
        for (int i = 0; i < 2; ++i) {
            // %1 a page break, %2 the name line, %3 the font name.
            expected += k & 1 ? u";measure:Arial 12;measure:%3 14;%1print:Arial|12||%2;"
                                u"print:%3|14||Portez;print:%3|14||ABC"_s
                              : u";measure:Arial 12;%1print:Arial|12||%2"_s;
            if (k & 2 && i == 0)
                expected += u";print:Arial|10||"_s;
            const QString name = list[i].section(u' ', 1);
            expected = expected.arg(
                breaks.contains(i) ? u"newpage;"_s : QString(), k & 4 ? list[i] : name, name);
        }
        ScriptedPrinter printer;
        printer.pageHeight = page;
        printer.height = [&printer](const ScriptedPrinter::Font &f, const QString &t) {
            if (t == u"Test"_s) // what the layout measures, not a printed line
                printer.log << u"measure:%1 %2"_s.arg(f.name).arg(f.size);
            return f.size * 20;
        };
        CatalogueOptions o = options(k);
        o.TexteEnTete = text;
        o.AvecDate = dateTime & 1;
        o.AvecHeure = dateTime & 2;
        QVERIFY(CatalogueLayout(printer, list, o).print(kWhen, QLocale(QLocale::French)));
        QCOMPARE(printer.log, (expected + u";enddoc"_s).split(u';'));
    }

    void estimate_data()
    {
        // Header 300 + 200 twips, name line 240, spacing line 200, sample lines 20 per point.
        QTest::addColumn<EstimateRow>("row");
        QTest::newRow("one page") << EstimateRow { 3, 0, 12, 15840, 1, 1, { 0, 1200, 2400 },
            { 0, 1045, 2090 } };
        QTest::newRow("names fill the page exactly") << EstimateRow { 3, 0, 12, 1220, 1, 1 };
        QTest::newRow("names one twip short") << EstimateRow { 3, 0, 12, 1219, 2, 2 };
        QTest::newRow("samples fill the page exactly") << EstimateRow { 2, 1, 12, 1940, 1, 1 };
        QTest::newRow("last spacing line adds a page") << EstimateRow { 2, 2, 12, 1300, 2, 1 };
        QTest::newRow("blocks taller than the page, past 16 bits")
            << EstimateRow { 40000, 1, 2048, 15840, 40001, 40001 };
        QTest::newRow("one entry") << EstimateRow { 1, 3, 12, 15840, 1, 1, { 0 }, { 0 } };
        QTest::newRow("two entries")
            << EstimateRow { 2, 3, 12, 15840, 1, 1, { 0, 1800 }, { 0, 1567.5f } };
        QTest::newRow("no entry") << EstimateRow { 0, 3, 12, 15840, 1, -1, { 0 } };
    }
    void estimate()
    {
        QFETCH(EstimateRow, row);
        QStringList list; // zero-padded to the width of the count, as the main window numbers
        for (int i = 1; i <= row.count; ++i)
            list << u"%1 F"_s.arg(i, int(QString::number(row.count).size()), 10, QChar(u'0'));
        ScriptedPrinter printer;
        printer.pageHeight = row.page;
        QList<float> bar, printBar;
        const CatalogueLayout layout(printer, list, options(row.k, row.size));
        QCOMPARE(layout.Nb_Pages([&bar](float w) { bar << w; }), std::optional(row.pages));
        // Numbering does not change the count, and the estimate opens no document.
        const CatalogueLayout numbered(printer, list, options(row.k + 4, row.size));
        QCOMPARE(numbered.Nb_Pages(), std::optional(row.pages));
        QVERIFY(printer.log.isEmpty());
        const bool printed = layout.print(kWhen, QLocale::c(), [&](float w) { printBar << w; });
        QCOMPARE(printed ? printer.pagesEnded() : -1, row.printed);
        QCOMPARE(row.bar.isEmpty() ? row.bar : bar, row.bar);
        QCOMPARE(row.bar.isEmpty() ? row.printBar : printBar, row.printBar);
    }

    void failedRun_data()
    {
        QTest::addColumn<int>("fonts");
        QTest::addColumn<int>("failPrintAt"); // header, blank, a name and two samples per font
        QTest::addColumn<QString>("fault");
        QTest::newRow("header") << 3 << 0 << QString();
        QTest::newRow("a sample line on page 2") << 3 << 9 << QString();
        QTest::newRow("new page") << 3 << -1 << u"newpage"_s;
        QTest::newRow("end of document") << 3 << -1 << u"enddoc"_s;
        QTest::newRow("a font that cannot be measured") << 3 << -1 << u"Liberation Mono"_s;
        QTest::newRow("empty list") << 0 << -1 << QString();
    }
    void failedRun()
    {
        QFETCH(int, fonts);
        QFETCH(int, failPrintAt);
        QFETCH(QString, fault);
        ScriptedPrinter &printer = m_h->printer;
        printer.fonts = printer.fonts.mid(0, fonts);
        m_h->restart();
        printer.pageHeight = 2000; // two blocks of 12-point samples under the header
        play(u"open Option_LC1"_s);
        const auto heights = printer.height;
        printer.height = [heights, fault](const ScriptedPrinter::Font &f, const QString &t) {
            return f.name == fault ? -1 : heights(f, t);
        };
        printer.failPrintAt = failPrintAt;
        printer.failNewPage = fault == u"newpage"_s;
        printer.failEndDoc = fault == u"enddoc"_s;
        play(u"Impression"_s);
        QCOMPARE(m_h->messages.asked.size(), 1);
        QCOMPARE(m_h->messages.asked[0].text, u"Défaut d'impression! Corrigez et recommencez."_s);
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY(m_dialog->isVisible() && control(u"Fermer"_s)->isVisible() && on("Option_LC1"));
        QCOMPARE(printer.log.count(u"abort"_s), int(fonts > 0)); // the document dropped, once
        QCOMPARE(printer.log.value(printer.log.size() - 1), fonts ? u"abort"_s : QString());
        QCOMPARE(printer.pagesEnded(), 0);
        if (!fonts)
            return;
        // Mended, the next run prints one whole catalogue: eleven lines, one page break.
        printer.failPrintAt = -1;
        printer.failNewPage = printer.failEndDoc = false;
        printer.height = heights;
        printer.log.clear();
        play(u"Impression"_s);
        QCOMPARE(m_h->messages.asked.size(), 1);
        QVERIFY(!m_dialog->isVisible());
        QCOMPARE(printer.log.first(), u"print:Arial|15|bi|Polices..."_s);
        QCOMPARE(printer.log.size(), 13);
        QCOMPARE(printer.log.indexOf(u"newpage"_s), 8);
        QCOMPARE(printer.pagesEnded(), 2);
    }

    // Run under LC_ALL=C.UTF-8 and LC_ALL=fr_FR.UTF-8: the month is named in the system's
    // language, the rest of the header is the program's own French.
    void headerFromTheClockInTheSystemLanguage()
    {
        play(u"open"_s);
        m_dialog->setClock([] { return kWhen; });
        play(u"Date_Heure0 Date_Heure1 Impression"_s);
        const bool french = QLocale::system().language() == QLocale::French;
        QCOMPARE(m_h->printer.log.value(0),
            u"print:Arial|15|bi|Polices... le 5 %1 2026 à 9:05:07"_s.arg(
                french ? u"décembre"_s : u"December"_s));
    }

    void activation_data()
    {
        QTest::addColumn<QString>("script");
        // Header, date and time, size, sample lines, then Ch_Liste1, Option_LC1, Espace_Pol1
        // and Avec_No1 ticked, and the preview cell.
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("estimates");
        const QString fresh = u"Polices...|00|12|Portez ce vieux whisky au juge blond qui fume|"
                              u"ABCDEFGHIJKLMNOP 0123456789 éèçàâäù%|"_s;
        QTest::newRow("first opening") << u"open"_s << fresh + u"0000|0"_s << 1;
        QTest::newRow("selection chosen at every opening")
            << u"select open Ch_Liste0 close open"_s << fresh + u"1000|0"_s << 1;
        // The numbering handler runs while the controls are filled: two estimates.
        QTest::newRow("reopening keeps the options")
            << u"open Option_LC1 Espace_Pol1 Avec_No1 close open"_s << fresh + u"0111|7"_s << 2;
        QTest::newRow("restart forgets them, not the date")
            << u"open Option_LC1 Espace_Pol1 Avec_No1 Date_Heure0 close restart open"_s
            << QString(fresh).replace(u"|00|"_s, u"|10|"_s) + u"0000|0"_s << 1;
    }
    void activation()
    {
        QFETCH(QString, script);
        QFETCH(QString, shown);
        QFETCH(int, estimates);
        play(script);
        QString seen;
        for (const QString &f :
            { u"Texte1"_s, u"Taille_Police"_s, u"Ligne_Exemple1"_s, u"Ligne_Exemple2"_s })
            seen += edit(f)->text() + u'|';
        seen.insert(
            seen.indexOf(u'|') + 1, u"%1%2|"_s.arg(on("Date_Heure0")).arg(on("Date_Heure1")));
        seen += u"%1%2%3%4|"_s.arg(on("Ch_Liste1"))
                    .arg(on("Option_LC1"))
                    .arg(on("Espace_Pol1"))
                    .arg(on("Avec_No1"));
        QCOMPARE(seen + control(u"Modele"_s)->property("cell").toString(), shown);
        QCOMPARE(m_estimates.size(), estimates);
    }

    void handlers_data()
    {
        // The state is the list, the content (both copies), spacing, numbering and the size
        // field; the settings file is the whole file the handler made.
        QTest::addColumn<HandlerRow>("row");
        const QString base = u"L1 E00 S0 N0 12"_s;
        const QStringList one { u"12:none"_s };
        const QByteArray head("[En-T\xeate]\r\n"),
            size = kLine1 + kLine2 + "\r\n[TaillePolice]\r\nTaille=";
        QTest::newRow("Ch_Liste, each member")
            << HandlerRow { u"Ch_Liste0 Ch_Liste1"_s, base, one + one };
        QTest::newRow("Ch_Liste complete")
            << HandlerRow { u"Ch_Liste0"_s, u"L0 E00 S0 N0 12"_s, one };
        QTest::newRow("Option_LC") << HandlerRow { u"Option_LC1"_s, u"L1 E11 S0 N0 12"_s, one };
        QTest::newRow("Option_LC already chosen") << HandlerRow { u"Option_LC0"_s, base };
        QTest::newRow("Espace_Pol") << HandlerRow { u"Espace_Pol1"_s, u"L1 E00 S1 N0 12"_s, one };
        QTest::newRow("Avec_No") << HandlerRow { u"Avec_No1"_s, u"L1 E00 S0 N1 12"_s, one };
        QTest::newRow("Date_Heure clicked") << HandlerRow { u"Date_Heure0"_s, base, {},
            head + "DateImpression=1\r\nHeureImpression=0\r\n" };
        QTest::newRow("Date_Heure set") << HandlerRow { u"set:Date_Heure1"_s, base, {},
            head + "DateImpression=0\r\nHeureImpression=1\r\n" };
        QTest::newRow("Texte1 focus loss") << HandlerRow { u"focus:Texte1 focus:Ligne_Exemple1"_s,
            base, {}, head + "Texte=Polices...\r\n" };
        QTest::newRow("Texte1, switching application") << HandlerRow { u"away:Texte1"_s, base };
        QTest::newRow("Ligne_Exemple picked") << HandlerRow { u"pick:Ligne_Exemple1"_s, base, {},
            "[Textes]\r\n1\xb0_Ligne= abcdefghijklmnopqrstuvwxyz 0123456789 "
            "\xe9\xe8\xe7\xe0\xe2\xe4"
                + kLine2 + "\r\n[TaillePolice]\r\nTaille=12\r\n" };
        QTest::newRow("Ligne_Exemple focus loss")
            << HandlerRow { u"type:Ligne_Exemple2:Zoé focus:Texte1"_s, base, {},
                   kLine1 + "\r\n2\xb0_Ligne= Zo\xe9\r\n[TaillePolice]\r\nTaille=12\r\n" };
        QTest::newRow("Taille_Police picked") << HandlerRow { u"pick:Taille_Police"_s,
            u"L1 E00 S0 N0  18"_s, { u"18:none"_s }, size + "18\r\n" };
        // Estimate, then save, at every key; at 3000 the rule runs again inside itself with 2048.
        QTest::newRow("3000 typed")
            << HandlerRow { u"type:Taille_Police:3000"_s, u"L1 E00 S0 N0 2048"_s,
                   { u"3:none"_s, u"30:3"_s, u"300:30"_s, u"2048:300"_s, u"2048:2048"_s },
                   size + "2048\r\n", u"La Taille maximum est de 2048"_s };
        QTest::newRow("10,5 typed")
            << HandlerRow { u"type:Taille_Police:10,5"_s, u"L1 E00 S0 N0 10,5"_s,
                   { u"1:none"_s, u"10:1"_s, u"10:10"_s, u"10:10"_s }, size + "10\r\n" };
        QTest::newRow("10.5 typed")
            << HandlerRow { u"type:Taille_Police:10.5"_s, u"L1 E00 S0 N0 10.5"_s,
                   { u"1:none"_s, u"10:1"_s, u"10:10"_s, u"10.5:10"_s }, size + "10.5\r\n" };
        QTest::newRow("- typed") << HandlerRow { u"type:Taille_Police:-"_s, u"L1 E00 S0 N0 -"_s,
            { u"0:none"_s }, size + "0\r\n" };
    }
    void handlers()
    {
        QFETCH(HandlerRow, row);
        // Leaving the header box saves it, so each row starts elsewhere and without a file.
        play(u"select open focus:Espace_Pol0"_s);
        QFile::remove(m_h->iniPath());
        m_estimates.clear();
        play(row.script);
        const ProgramState &s = m_h->app->state();
        QCOMPARE(u"L%1 E%2%3 S%4 N%5 "_s.arg(s.ListeImprimee)
                     .arg(s.AvecExemple)
                     .arg(s.ApercuExemple)
                     .arg(s.EspacePolices)
                     .arg(s.AvecNumero)
                + edit(u"Taille_Police"_s)->text(),
            row.state);
        QCOMPARE(m_estimates, row.estimates);
        QCOMPARE(m_h->readIni(), row.ini);
        QString asked;
        for (const ScriptedMessages::Box &box : m_h->messages.asked)
            asked += box.text;
        QCOMPARE(asked, row.message);
    }

    void preview_data()
    {
        QTest::addColumn<int>("k");
        for (int k = 0; k < 8; ++k)
            QTest::addRow("cell %d", k) << k;
    }
    // Cell k = 2 x spacing + samples + 4 x numbering, shown stretched pixel by pixel: names
    // alone or each with two sample bars, further apart with spacing, a number mark before
    // each in the lower row, and each cell unlike every other.
    void preview()
    {
        QFETCH(int, k);
        play(u"open Option_LC%1 Espace_Pol%2 Avec_No%3"_s.arg(k & 1).arg(k >> 1 & 1).arg(k >> 2));
        auto *modele = control<QLabel>(u"Modele"_s);
        QCOMPARE(modele->property("cell").toInt(), k);
        const PreviewStrip strip;
        const QImage cell = strip.cell(k);
        QCOMPARE(modele->grab().toImage().convertToFormat(QImage::Format_RGB32),
            cell.scaled(modele->size()).convertToFormat(QImage::Format_RGB32));
        const QString lines = rows(cell).remove(u'.'), block = k & 1 ? u"NSS"_s : u"N"_s;
        QVERIFY(lines.size() >= 3 * block.size());
        QCOMPARE(lines, block.repeated(lines.size() / block.size()));
        QCOMPARE(namePitch(rows(cell)) > namePitch(rows(strip.cell(k ^ 2))), bool(k & 2));
        bool marked = false;
        for (int y = 0; y < cell.height() * 10; ++y)
            marked |= cell.pixel(y % 10, y / 10) == PreviewStrip::kNumberInk;
        QCOMPARE(marked, bool(k & 4));
        for (int other = 0; other < 8; ++other)
            QVERIFY(other == k || strip.cell(other) != cell);
    }

    void pastedInput_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("restored"); // in the field after a restart
        const QString mb(1 << 20, u'x'), rtl = u"שלום עולם \u200F مرحبا 2048 بالعالم"_s;
        const QString surrogates = u"A"_s + QChar(0xD800) + u"B"_s + QChar(0xDC00);
        // A line break would split the settings line: it is kept as a blank; blanks and tabs
        // around a value are dropped, as the older program's settings file did.
        for (const char *f : { "Texte1", "Ligne_Exemple1", "Ligne_Exemple2" }) {
            const QString field = QLatin1String(f);
            QTest::addRow("%s, 1 MB", f) << field << mb << QString(254, u'x');
            QTest::addRow("%s, controls", f) << field << u"\tA\u0001B\nC\rD\u007F\u001B[0m"_s
                                             << u"A\u0001B C D\u007F\u001B[0m"_s;
            QTest::addRow("%s, lone surrogates", f) << field << surrogates << u"A\uFFFDB\uFFFD"_s;
            QTest::addRow("%s, right to left", f) << field << rtl << rtl;
        }
        const QString size = u"Taille_Police"_s; // a size of 0 leaves the start-up size
        QTest::newRow("size, 1 MB of digits") << size << QString(1 << 20, u'9') << u"2048"_s;
        QTest::newRow("size, 1 MB of letters") << size << mb << u"12"_s;
        QTest::newRow("size, controls") << size << u"\t2\n4\u0001"_s << u"24"_s;
        QTest::newRow("size, lone surrogate") << size << u"1"_s + QChar(0xD800) + u"6"_s << u"1"_s;
        QTest::newRow("size, right to left") << size << u"\u200F36"_s << u"12"_s;
    }
    // No crash, no stall, and what was saved comes back the same after a restart.
    void pastedInput()
    {
        QFETCH(QString, field);
        QFETCH(QString, pasted);
        QFETCH(QString, restored);
        QElapsedTimer clock;
        clock.start();
        play(u"open focus:"_s + field);
        QApplication::clipboard()->setText(pasted);
        QTest::keyClick(edit(field), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit(field), Qt::Key_V, Qt::ControlModifier);
        play(field == u"Texte1"_s ? u"focus:Ligne_Exemple1"_s : u"focus:Texte1"_s);
        play(u"close restart open"_s);
        QCOMPARE(edit(field)->text(), restored);
        QVERIFY2(clock.elapsed() < 20000, qPrintable(QString::number(clock.elapsed())));
    }

    // As a user does it: the main window's print command, options and size typed, Fermer.
    void openedFromTheMainWindow()
    {
        m_h->printer.pageHeight = 1000;
        QString count;
        QTimer::singleShot(0, this, [&] {
            m_dialog = m_h->ppal()->findChild<PolImprim *>();
            QVERIFY(m_dialog && m_dialog->isVisible());
            play(u"Option_LC1 type:Taille_Police:5"_s);
            count = control<QLabel>(u"Estim_Pages"_s)->text();
            play(u"close"_s);
        });
        QTest::mouseClick(m_h->find<VkCommand>(u"Imprimer"_s), Qt::LeftButton);
        // Header 500 twips, blocks of 240 + 2 x 100: one under the header, two on later pages.
        QCOMPARE(count, u"3"_s);
        QVERIFY(m_h->readIni().contains("[TaillePolice]\r\nTaille=5\r\n"));
    }
};

QTEST_MAIN(TestPrinting)
#include "tst_printingrun.moc"
