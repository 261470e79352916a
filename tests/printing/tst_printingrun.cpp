// The printing layer on scripted printers: the run's operations, the page estimate, a failing
// run, and the print dialog: openings, handlers, preview and whatever is pasted into it.
#include "Harness.h"
#include "platform/Controls.h"
#include "platform/ProfileFile.h"
#include "printing/CatalogueLayout.h"
#include "printing/PolImprim.h"
#include "printing/PreviewStrip.h"

#include <QApplication>
#include <QClipboard>
#include <QDeadlineTimer>
#include <QFocusEvent>
#include <QLabel>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

namespace {

using OrderRow = std::tuple<int, int, QString, QString, double, QList<int>>;
using EstimateRow = std::tuple<int, int, double, double, qint64, int, QList<float>, QList<float>>;

const QDateTime kWhen(QDate(2026, 12, 5), QTime(9, 5, 7));

// k numbers the options as the preview does: 1 samples, 2 spacing, 4 numbers.
CatalogueOptions options(int k, double size = 14, const QString &text = u"Cat"_s, int dateTime = 0)
{
    return { bool(k & 1), bool(k & 2), bool(k & 4), size, { { {}, u"Portez"_s, u"ABC"_s } }, text,
        bool(dateTime & 1), bool(dateTime & 2) };
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

} // namespace

Q_DECLARE_METATYPE(OrderRow)
Q_DECLARE_METATYPE(EstimateRow)

class TestPrinting : public QObject
{
    Q_OBJECT

    std::unique_ptr<Harness> m_h;
    PolImprim *m_dialog = nullptr;
    QStringList m_estimates; // each estimate (header measured first): size used, size saved
    bool m_blind = false; // the printer measures no font

    template <typename T = QWidget> T *control(const QString &name) const
    {
        return m_dialog->findChild<T *>(name);
    }
    QLineEdit *edit(const QString &name) const
    {
        auto *box = control<QComboBox>(name);
        return box ? box->lineEdit() : control<QLineEdit>(name);
    }
    int on(QStringView name) const
    {
        return control<QAbstractButton>(name.toString())->isChecked();
    }

    // Words run in turn: select (the second font into the selection), open, close, restart,
    // forget (the settings file and the estimates), set:X (ticked by the program), focus:X,
    // away:X (another application takes the focus), blind (the printer measures nothing), pick:X
    // (one step down its list), type:X:text (over the whole field), or a button to click.
    void play(const QString &script)
    {
        for (const QString &word : script.split(u' ', Qt::SkipEmptyParts)) {
            const QString verb = word.section(u':', 0, 0), name = word.section(u':', 1, 1);
            if (verb == u"blind"_s) {
                m_blind = true;
            } else if (verb == u"select"_s) {
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
            } else if (verb == u"forget"_s) {
                QFile::remove(m_h->iniPath());
                m_estimates.clear();
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
                if (verb == u"pick"_s) // from the first line, or from " 16"
                    control<QComboBox>(name)->setCurrentIndex(name == u"Taille_Police"_s ? 8 : 0),
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
        m_blind = false;
        m_h->start({ u"Arial"_s, u"DejaVu Sans"_s, u"Liberation Mono"_s, u"Times"_s });
        m_h->printer.height = [this](const ScriptedPrinter::Font &f, const QString &) {
            const QString saved = ProfileFile::readString(
                m_h->iniPath(), u"TaillePolice", u"Taille", u"none"_s, 254);
            if (f.size == 15 && f.bold)
                m_estimates << u"%1:%2"_s.arg(m_h->app->state().TaillePolice).arg(saved);
            return m_blind ? -1.0 : f.size * 20;
        };
    }

    void operationOrder_data()
    {
        // Options, date (1) and time (2), header text, the header printed, page height, the
        // entries that open a page.
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
        const CatalogueOptions o = options(k, 14, text, dateTime);
        QVERIFY(CatalogueLayout(printer, list, o).print(kWhen, QLocale(QLocale::French)));
        QCOMPARE(printer.log, (expected + u";enddoc"_s).split(u';'));
    }

    void estimate_data()
    {
        // Entries, options, size, page; pages estimated, with numbers too, and pages printed
        // (-1 where the run fails); the bars of both. Header 300 + 200 twips, name line 240,
        // spacing line 200, sample lines 20 per point.
        QTest::addColumn<EstimateRow>("row");
        const QList<float> none;
        QTest::newRow("one page") << EstimateRow { 3, 0, 12, 15840, 1, 1, { 0, 1200, 2400 },
            { 0, 1045, 2090 } };
        QTest::newRow("names fill the page") << EstimateRow { 3, 0, 12, 1220, 1, 1, none, none };
        QTest::newRow("names one twip short") << EstimateRow { 3, 0, 12, 1219, 2, 2, none, none };
        QTest::newRow("samples fill the page") << EstimateRow { 2, 1, 12, 1940, 1, 1, none, none };
        QTest::newRow("last spacing line") << EstimateRow { 2, 2, 12, 1300, 2, 1, none, none };
        QTest::newRow("blocks taller than the page")
            << EstimateRow { 40000, 1, 2048, 15840, 40001, 40001, none, none };
        QTest::newRow("one entry") << EstimateRow { 1, 3, 12, 15840, 1, 1, { 0 }, { 0 } };
        QTest::newRow("two entries")
            << EstimateRow { 2, 3, 12, 15840, 1, 1, { 0, 1800 }, { 0, 1567.5f } };
        QTest::newRow("no entry") << EstimateRow { 0, 3, 12, 15840, 1, -1, { 0 }, none };
    }
    void estimate()
    {
        QFETCH(EstimateRow, row);
        const auto &[count, k, size, page, pages, printed, estimateBar, printBar] = row;
        QStringList list; // zero-padded to the width of the count, as the main window numbers
        for (int i = 1; i <= count; ++i)
            list << u"%1 F"_s.arg(i, int(QString::number(count).size()), 10, QChar(u'0'));
        ScriptedPrinter printer;
        printer.pageHeight = page;
        QList<float> bars[2];
        const CatalogueLayout layout(printer, list, options(k, size));
        QCOMPARE(layout.Nb_Pages([&bars](float w) { bars[0] << w; }), std::optional(pages));
        const CatalogueLayout numbered(printer, list, options(k + 4, size));
        QCOMPARE(numbered.Nb_Pages(), std::optional(pages));
        QVERIFY(printer.log.isEmpty()); // the estimate opens no document
        const bool done = layout.print(kWhen, QLocale::c(), [&bars](float w) { bars[1] << w; });
        QCOMPARE(done ? printer.pagesEnded() : -1, printed);
        QCOMPARE(estimateBar.isEmpty() ? estimateBar : bars[0], estimateBar); // where given
        QCOMPARE(estimateBar.isEmpty() ? printBar : bars[1], printBar);
    }

    void failedRun_data()
    {
        // The failing call: print:n for the n-th line (header, blank, then a name and two
        // samples per font, the third font on page 2), or an empty list.
        QTest::addColumn<QString>("fault");
        for (const char *fault :
            { "print:0", "print:9", "newpage", "enddoc", "Liberation Mono", "empty" })
            QTest::newRow(fault) << QString::fromLatin1(fault);
    }
    void failedRun()
    {
        QFETCH(QString, fault);
        const int fonts = fault == u"empty"_s ? 0 : 3;
        ScriptedPrinter &printer = m_h->printer;
        printer.fonts = printer.fonts.mid(0, fonts);
        m_h->restart();
        printer.pageHeight = 2000; // two blocks of 12-point samples under the header
        play(u"open Option_LC1"_s);
        const auto heights = printer.height;
        printer.height = [heights, fault](const ScriptedPrinter::Font &f, const QString &t) {
            return f.name == fault ? -1 : heights(f, t);
        };
        printer.failPrintAt = fault.startsWith(u"print:"_s) ? fault.mid(6).toInt() : -1;
        printer.failNewPage = fault == u"newpage"_s;
        printer.failEndDoc = fault == u"enddoc"_s;
        play(u"Impression"_s);
        QCOMPARE(m_h->messages.asked.size(), 1);
        QCOMPARE(m_h->messages.asked[0].text, u"Défaut d'impression! Corrigez et recommencez."_s);
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY(m_dialog->isVisible() && control(u"Fermer"_s)->isVisible() && on(u"Option_LC1"));
        QCOMPARE(printer.log.count(u"abort"_s), int(fonts > 0)); // the document dropped, once
        QCOMPARE(printer.log.value(printer.log.size() - 1), fonts ? u"abort"_s : QString());
        QCOMPARE(printer.pagesEnded(), 0);
        if (!fonts)
            return;
        // Mended, the next run prints one whole catalogue: eleven lines, one page break.
        printer.failPrintAt = -1, printer.failNewPage = printer.failEndDoc = false;
        printer.height = heights, printer.log.clear();
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
        play(u"open type:Texte1:Catalogue"_s);
        m_dialog->setClock([] { return kWhen; });
        play(u"Date_Heure0 Date_Heure1 Impression"_s);
        const QString month = qgetenv("LC_ALL").startsWith("fr") ? u"décembre"_s : u"December"_s;
        QCOMPARE(m_h->printer.log.value(0),
            u"print:Arial|15|bi|Catalogue le 5 %1 2026 à 9:05:07"_s.arg(month));
    }

    void dialog_data()
    {
        // Name; script ("h": open on a selection, focus off the header box, forget the file);
        // header|date, time|size|lines|Ch_Liste1, Option_LC1, Espace_Pol1, Avec_No1|the program's
        // list, content ×2, spacing, numbering|cell; estimates; settings (¶ ends a line); message.
        const QString table = uR"(
first opening ; open ; Polices...|00|12|line 1|line 2|0000|00000|0 ; 12:none ; ;
selection, each opening ; select open Ch_Liste0 close open ; Polices...|00|12|line 1|line 2|1000|10000|0 ; 12:none ; [En-Tête]¶Texte=Polices...¶ ;
options kept ; open Option_LC1 Espace_Pol1 Avec_No1 close open ; Polices...|00|12|line 1|line 2|0111|01111|7 ; 12:none 12:none ; [En-Tête]¶Texte=Polices...¶ ;
restart forgets them ; open Option_LC1 Avec_No1 Date_Heure0 close restart open ; Polices...|10|12|line 1|line 2|0000|00000|0 ; 12:none ; [En-Tête]¶DateImpression=1¶HeureImpression=0¶Texte=Polices...¶ ;
Ch_Liste ; h Ch_Liste0 Ch_Liste1 ; Polices...|00|12|line 1|line 2|1000|10000|0 ; 12:none 12:none ; ;
Option_LC ; h Option_LC1 ; Polices...|00|12|line 1|line 2|1100|11100|1 ; 12:none ; ;
Option_LC already chosen ; h Option_LC0 ; Polices...|00|12|line 1|line 2|1000|10000|0 ; ; ;
Espace_Pol ; h Espace_Pol1 ; Polices...|00|12|line 1|line 2|1010|10010|2 ; 12:none ; ;
Avec_No ; h Avec_No1 ; Polices...|00|12|line 1|line 2|1001|10001|4 ; 12:none ; ;
Date_Heure clicked ; h Date_Heure0 ; Polices...|10|12|line 1|line 2|1000|10000|0 ; ; [En-Tête]¶DateImpression=1¶HeureImpression=0¶ ;
Date_Heure set ; h set:Date_Heure1 ; Polices...|01|12|line 1|line 2|1000|10000|0 ; ; [En-Tête]¶DateImpression=0¶HeureImpression=1¶ ;
Texte1 left ; h focus:Texte1 focus:Ligne_Exemple1 ; Polices...|00|12|line 1|line 2|1000|10000|0 ; ; [En-Tête]¶Texte=Polices...¶ ;
Texte1, application switched ; h away:Texte1 ; Polices...|00|12|line 1|line 2|1000|10000|0 ; ; ;
Ligne_Exemple picked ; h pick:Ligne_Exemple1 ; Polices...|00|12|abcdefghijklmnopqrstuvwxyz 0123456789 éèçàâä|line 2|1000|10000|0 ; ; [Textes]¶1°_Ligne= abcdefghijklmnopqrstuvwxyz 0123456789 éèçàâä¶2°_Ligne=line 2¶[TaillePolice]¶Taille=12¶ ;
Ligne_Exemple left ; h type:Ligne_Exemple2:Zoé focus:Texte1 ; Polices...|00|12|line 1|Zoé|1000|10000|0 ; ; [Textes]¶1°_Ligne= line 1¶2°_Ligne= Zoé¶[TaillePolice]¶Taille=12¶ ;
Taille_Police picked ; h pick:Taille_Police ; Polices...|00| 18|line 1|line 2|1000|10000|0 ; 18:none ; [Textes]¶1°_Ligne= line 1¶2°_Ligne=line 2¶[TaillePolice]¶Taille=18¶ ;
3000 typed ; h type:Taille_Police:3000 ; Polices...|00|2048|line 1|line 2|1000|10000|0 ; 3:none 30:3 300:30 2048:300 2048:2048 ; [Textes]¶1°_Ligne= line 1¶2°_Ligne=line 2¶[TaillePolice]¶Taille=2048¶ ; La Taille maximum est de 2048
10,5 typed ; h type:Taille_Police:10,5 ; Polices...|00|10,5|line 1|line 2|1000|10000|0 ; 1:none 10:1 10:10 10:10 ; [Textes]¶1°_Ligne= line 1¶2°_Ligne=line 2¶[TaillePolice]¶Taille=10¶ ;
minus typed ; h type:Taille_Police:- ; Polices...|00|-|line 1|line 2|1000|10000|0 ; 0:none ; [Textes]¶1°_Ligne= line 1¶2°_Ligne=line 2¶[TaillePolice]¶Taille=0¶ ;
nothing measurable ; h blind type:Taille_Police:14 ; Polices...|00|14|line 1|line 2|1000|10000|0 ; 1:none 14:1 ; [Textes]¶1°_Ligne= line 1¶2°_Ligne=line 2¶[TaillePolice]¶Taille=14¶ ;
10.5 typed ; h type:Taille_Police:10.5 ; Polices...|00|10.5|line 1|line 2|1000|10000|0 ; 1:none 10:1 10:10 10.5:10 ; [Textes]¶1°_Ligne= line 1¶2°_Ligne=line 2¶[TaillePolice]¶Taille=10.5¶ ;
)"_s;
        QTest::addColumn<QStringList>("row");
        for (const QString &line : table.split(u'\n', Qt::SkipEmptyParts)) {
            QStringList fields;
            for (const QString &field : line.split(u';'))
                fields << field.trimmed();
            QTest::newRow(qPrintable(fields[0])) << fields.mid(1);
        }
    }
    void dialog()
    {
        QFETCH(QStringList, row);
        play(QString(row[0]).replace(u"h "_s, u"select open focus:Espace_Pol0 forget "_s));
        const auto lines = [](QString text) {
            return text.replace(u"Portez ce vieux whisky au juge blond qui fume"_s, u"line 1"_s)
                .replace(u"ABCDEFGHIJKLMNOP 0123456789 éèçàâäù%"_s, u"line 2"_s);
        };
        const ProgramState &s = m_h->app->state();
        const QString seen = QStringList { edit(u"Texte1"_s)->text(),
            QString::asprintf("%d%d", on(u"Date_Heure0"), on(u"Date_Heure1")),
            edit(u"Taille_Police"_s)->text(), edit(u"Ligne_Exemple1"_s)->text(),
            edit(u"Ligne_Exemple2"_s)->text(),
            QString::asprintf("%d%d%d%d", on(u"Ch_Liste1"), on(u"Option_LC1"), on(u"Espace_Pol1"),
                on(u"Avec_No1")),
            QString::asprintf("%d%d%d%d%d", s.ListeImprimee, s.AvecExemple, s.ApercuExemple,
                s.EspacePolices, s.AvecNumero),
            control(u"Modele"_s)->property("cell").toString() }
                                 .join(u'|');
        QCOMPARE(lines(seen), row[1]);
        QCOMPARE(m_estimates.join(u' '), row[2]);
        QCOMPARE(lines(QString::fromLatin1(m_h->readIni())).replace(u"\r\n"_s, u"¶"_s), row[3]);
        QCOMPARE(m_h->messages.asked.size(), int(!row[4].isEmpty()));
        QCOMPARE(m_h->messages.asked.value(0).text, row[4]);
        QCOMPARE(control<QLabel>(u"Estim_Pages"_s)->text() == u"?"_s, m_blind);
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
        const auto pitch = [](const QString &r) {
            return r.indexOf(u'N', r.indexOf(u'N') + 1) - r.indexOf(u'N');
        };
        QCOMPARE(pitch(rows(cell)) > pitch(rows(strip.cell(k ^ 2))), bool(k & 2));
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
        const QDeadlineTimer deadline(20000);
        play(u"open focus:"_s + field);
        QApplication::clipboard()->setText(pasted);
        QTest::keyClick(edit(field), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit(field), Qt::Key_V, Qt::ControlModifier);
        play(field == u"Texte1"_s ? u"focus:Ligne_Exemple1 close restart open"_s
                                  : u"focus:Texte1 close restart open"_s);
        QCOMPARE(edit(field)->text(), restored);
        QVERIFY(!deadline.hasExpired());
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
