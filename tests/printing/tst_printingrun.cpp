// The printing run as the printer sees it: every font selection, measurement and line in
// order, and what the dialog does around the run when it succeeds and when it fails.
#include "PrintSession.h"
#include "ScriptedPrinter.h"
#include "printing/CatalogueLayout.h"

#include <QFrame>

using namespace Qt::Literals::StringLiterals;

namespace {

// Records every call the layout makes, not only the output.
class RecordingPrinter : public ScriptedPrinter
{
    using Base = ScriptedPrinter;

public:
    QStringList ops;
    std::function<void()> onPrint; // called before each line is output, during the run

    void setFontName(const QString &n) override { ops << u"name:"_s + n, Base::setFontName(n); }
    void setFontSize(double p) override { ops << u"size:%1"_s.arg(p), Base::setFontSize(p); }
    void setFontBold(bool b) override { ops << u"bold:%1"_s.arg(int(b)), Base::setFontBold(b); }
    void setFontItalic(bool i) override
    {
        ops << u"italic:%1"_s.arg(int(i)), Base::setFontItalic(i);
    }
    double TextHeight(const QString &t) override
    {
        return ops << u"measure:"_s + t, Base::TextHeight(t);
    }
    double ScaleHeight() override { return ops << u"scale"_s, Base::ScaleHeight(); }
    double CurrentY() override { return ops << u"y"_s, Base::CurrentY(); }
    bool NewPage() override { return ops << u"newpage"_s, Base::NewPage(); }
    bool EndDoc() override { return ops << u"enddoc"_s, Base::EndDoc(); }
    void AbortDoc() override { ops << u"abort"_s, Base::AbortDoc(); }
    bool Print(const QString &text) override
    {
        if (onPrint)
            onPrint();
        ops.append(u"print:"_s + text);
        return Base::Print(text);
    }
};

const QDateTime kWhen(QDate(2026, 12, 5), QTime(9, 5, 7));
const QString kMessage = u"Défaut d'impression! Corrigez et recommencez."_s;

struct Entry
{
    QString entry;
    QString name;
};

// The run as it is designed to talk to the printer, one step after the other, with the
// entries that open a new page given by their index.
QStringList designedRun(
    const QList<Entry> &list, bool exemple, bool espace, bool numero, const QList<int> &breaks = {})
{
    QStringList ops { u"size:15"_s, u"name:Arial"_s, u"bold:1"_s, u"italic:1"_s,
        u"print:Catalogue"_s, u"bold:0"_s, u"italic:0"_s, u"size:10"_s, u"print:"_s };
    for (int i = 0; i < list.size(); ++i) {
        const QString newPage = breaks.contains(i) ? u"newpage"_s : QString();
        ops << u"name:Arial"_s << u"size:12"_s;
        if (exemple) {
            ops << u"y"_s << u"measure:Test"_s << u"name:"_s + list[i].name << u"size:14"_s
                << u"measure:Test"_s << u"scale"_s;
            if (!newPage.isEmpty())
                ops << newPage;
            ops << u"name:Arial"_s << u"size:12"_s;
        }
        ops << u"bold:0"_s;
        if (!exemple) {
            ops << u"y"_s << u"measure:Test"_s << u"scale"_s;
            if (!newPage.isEmpty())
                ops << newPage;
        }
        ops << u"print:"_s + (numero ? list[i].entry : list[i].name);
        if (exemple)
            ops << u"name:"_s + list[i].name << u"size:14"_s << u"print:Portez"_s << u"print:ABC"_s;
        if (espace && i + 1 < list.size())
            ops << u"name:Arial"_s << u"size:10"_s << u"print:"_s;
    }
    ops << u"enddoc"_s;
    return ops;
}

CatalogueOptions options(bool exemple, bool espace, bool numero)
{
    CatalogueOptions o;
    o.AvecExemple = exemple;
    o.EspacePolices = espace;
    o.AvecNumero = numero;
    o.TaillePolice = 14;
    o.LignesExemple[1] = u"Portez"_s;
    o.LignesExemple[2] = u"ABC"_s;
    o.TexteEnTete = u"Catalogue"_s;
    return o;
}

} // namespace

class TestPrintingRun : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void operationOrder_data();
    void operationOrder();
    void dialogDuringAndAfterTheRun();
    void failedRunKeepsTheDialog_data();
    void failedRunKeepsTheDialog();
    void emptyListPrintsNothing();
    void headerFromTheClockInTheSystemLanguage();

private:
    void startWith(const QStringList &fonts);
    template <typename T> T *control(const QString &name) const
    {
        T *widget = m_dialog ? m_dialog->findChild<T *>(name) : nullptr;
        if (!widget)
            qWarning("no control named %s", qPrintable(name));
        return widget;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<RecordingPrinter> m_printer;
    std::unique_ptr<WatchingMessages> m_messages;
    std::unique_ptr<Typovise> m_app;
    PolImprim *m_dialog = nullptr;
};

void TestPrintingRun::operationOrder_data()
{
    QTest::addColumn<bool>("exemple");
    QTest::addColumn<bool>("espace");
    QTest::addColumn<bool>("numero");
    QTest::addColumn<double>("pageHeight");
    QTest::addColumn<QList<int>>("breaks");

    for (int mask = 0; mask < 8; ++mask) {
        const bool exemple = mask & 1, espace = mask & 2, numero = mask & 4;
        QTest::addRow("%s, %s, %s", exemple ? "samples" : "names",
            espace ? "spacing" : "no spacing", numero ? "numbers" : "no numbers")
            << exemple << espace << numero << 15840.0 << QList<int> {};
    }
    // Header 500 twips, a name line 240 and its two 14-point samples 560.
    QTest::newRow("names, second on a new page")
        << false << false << false << 979.0 << QList<int> { 1 };
    QTest::newRow("samples, block ends on the page edge")
        << true << false << false << 1300.0 << QList<int> { 1 };
    QTest::newRow("samples, block taller than the page")
        << true << true << true << 700.0 << QList<int> { 0, 1 };
}

void TestPrintingRun::operationOrder()
{
    QFETCH(bool, exemple);
    QFETCH(bool, espace);
    QFETCH(bool, numero);
    QFETCH(double, pageHeight);
    QFETCH(QList<int>, breaks);

    // Fewer than eleven fonts and a thousand and more: the number field is one and four
    // digits wide, and the name still starts after it.
    const QList<Entry> list { { u"1 Alpha"_s, u"Alpha"_s },
        { u"1000 Beta Sans"_s, u"Beta Sans"_s } };
    RecordingPrinter printer;
    printer.pageHeight = pageHeight;
    const CatalogueLayout layout(
        printer, { list[0].entry, list[1].entry }, options(exemple, espace, numero));
    QVERIFY(layout.print(kWhen, QLocale::c()));
    QCOMPARE(printer.ops, designedRun(list, exemple, espace, numero, breaks));
}

void TestPrintingRun::startWith(const QStringList &fonts)
{
    m_app.reset();
    m_dir = std::make_unique<QTemporaryDir>();
    m_printer = std::make_unique<RecordingPrinter>();
    m_printer->fonts = fonts;
    m_messages = std::make_unique<WatchingMessages>();
    m_app = std::make_unique<Typovise>(*m_printer, *m_messages, m_dir->path());
    m_app->demarrer();
    m_dialog = m_app->afficherImpression();
    m_dialog->setClock([] { return kWhen; });
    control<QLineEdit>(u"Texte1"_s)->setText(u"Catalogue"_s);
}

void TestPrintingRun::dialogDuringAndAfterTheRun()
{
    startWith({ u"Alpha"_s, u"Beta Sans"_s, u"Gamma"_s });
    control<VbOptionButton>(u"Option_LC1"_s)->click();
    auto *fermer = control<VkCommand>(u"Fermer"_s);
    auto *bar = control<QFrame>(u"Bar_Impr"_s);
    QList<bool> fermerShown, busy;
    QList<int> widths;
    m_printer->onPrint = [&] {
        fermerShown.append(fermer->isVisible());
        busy.append(QApplication::overrideCursor() != nullptr);
        widths.append(bar->width());
    };
    m_printer->ops.clear();
    QTest::mouseClick(control<VkCommand>(u"Impression"_s), Qt::LeftButton);

    QVERIFY(m_messages->asked.isEmpty());
    QCOMPARE(fermerShown, QList<bool>(11, false));
    QCOMPARE(busy, QList<bool>(11, true));
    // A third of 3135 twips per entry after the first, about 70 pixels each.
    QCOMPARE(widths.first(), 0);
    QVERIFY2(
        widths.last() > 100 && widths.last() < 150, qPrintable(QString::number(widths.last())));
    QVERIFY(std::is_sorted(widths.cbegin(), widths.cend()));
    QCOMPARE(m_printer->ops.count(u"enddoc"_s), 1);
    QVERIFY(!m_dialog->isVisible());
    QVERIFY(!QApplication::overrideCursor());
    QCOMPARE(m_printer->pagesEnded(), 1);
}

void TestPrintingRun::failedRunKeepsTheDialog_data()
{
    QTest::addColumn<int>("failPrintAt");
    QTest::addColumn<bool>("failNewPage");
    QTest::addColumn<bool>("failEndDoc");
    QTest::addColumn<bool>("unmeasurable");

    // Lines: header, blank, then name and two samples for each font, the third on page 2.
    QTest::newRow("header") << 0 << false << false << false;
    QTest::newRow("blank line") << 1 << false << false << false;
    QTest::newRow("first name") << 2 << false << false << false;
    QTest::newRow("a sample line on page 2") << 9 << false << false << false;
    QTest::newRow("last line") << 10 << false << false << false;
    QTest::newRow("new page") << -1 << true << false << false;
    QTest::newRow("end of document") << -1 << false << true << false;
    QTest::newRow("a font the printer cannot measure") << -1 << false << false << true;
}

void TestPrintingRun::failedRunKeepsTheDialog()
{
    QFETCH(int, failPrintAt);
    QFETCH(bool, failNewPage);
    QFETCH(bool, failEndDoc);
    QFETCH(bool, unmeasurable);

    startWith({ u"Alpha"_s, u"Beta Sans"_s, u"Gamma"_s });
    // Two blocks of 12-point samples (720 twips) under the header on the first page.
    m_printer->pageHeight = 2000;
    control<VbOptionButton>(u"Option_LC1"_s)->click();
    control<VbComboBox>(u"Taille_Police"_s)->setText(u"12"_s);
    m_printer->failPrintAt = failPrintAt;
    m_printer->failNewPage = failNewPage;
    m_printer->failEndDoc = failEndDoc;
    if (unmeasurable) {
        m_printer->height = [](const ScriptedPrinter::Font &f, const QString &) {
            return f.name == u"Gamma"_s ? -1.0 : f.size * 20.0;
        };
    }
    m_printer->ops.clear();
    QTest::mouseClick(control<VkCommand>(u"Impression"_s), Qt::LeftButton);

    QCOMPARE(m_messages->asked.size(), 1);
    QCOMPARE(m_messages->asked[0].text, kMessage);
    QCOMPARE(m_messages->asked[0].style, int(MessageBoxes::Exclamation));
    QCOMPARE(m_messages->asked[0].title, u"Contrôle d'impression"_s);
    QVERIFY(!QApplication::overrideCursor());
    QVERIFY(m_dialog->isVisible());
    QVERIFY(control<VkCommand>(u"Fermer"_s)->isVisible());
    QVERIFY(control<VbOptionButton>(u"Option_LC1"_s)->Value());
    QCOMPARE(control<VbComboBox>(u"Taille_Police"_s)->currentText(), u"12"_s);
    QCOMPARE(control<QLineEdit>(u"Texte1"_s)->text(), u"Catalogue"_s);
    QCOMPARE(m_printer->ops.last(), u"abort"_s);
    QCOMPARE(m_printer->ops.count(u"abort"_s), 1);
    QCOMPARE(m_printer->pagesEnded(), 0);

    // Mended, the next run prints the whole catalogue as a document of its own: eleven lines
    // and one page break.
    m_printer->failPrintAt = -1;
    m_printer->failNewPage = false;
    m_printer->failEndDoc = false;
    m_printer->height
        = [](const ScriptedPrinter::Font &f, const QString &) { return f.size * 20.0; };
    m_printer->log.clear();
    QTest::mouseClick(control<VkCommand>(u"Impression"_s), Qt::LeftButton);
    QCOMPARE(m_messages->asked.size(), 1);
    QVERIFY(!m_dialog->isVisible());
    const QStringList &log = m_printer->log;
    QCOMPARE(log.first(), u"print:Arial|15|bi|Catalogue"_s);
    QCOMPARE(log.size(), 13);
    QCOMPARE(log.indexOf(u"newpage"_s), 8);
    QCOMPARE(log.last(), u"enddoc"_s);
    QCOMPARE(m_printer->pagesEnded(), 2);
}

void TestPrintingRun::emptyListPrintsNothing()
{
    startWith({});
    QTest::mouseClick(control<VkCommand>(u"Impression"_s), Qt::LeftButton);
    QCOMPARE(m_messages->asked.size(), 1);
    QCOMPARE(m_messages->asked[0].text, kMessage);
    QCOMPARE(m_messages->modalAtBox, QStringList { u"PolImprim"_s });
    QCOMPARE(m_printer->printCalls, 0);
    QVERIFY(!m_printer->ops.contains(u"enddoc"_s));
    QVERIFY(m_dialog->isVisible());
    QVERIFY(control<VkCommand>(u"Fermer"_s)->isVisible());
    QVERIFY(!QApplication::overrideCursor());
}

// Run with LC_ALL=C.UTF-8 and again with LC_ALL=fr_FR.UTF-8: the month is named in the
// system's language, the rest of the header is the program's own French.
void TestPrintingRun::headerFromTheClockInTheSystemLanguage()
{
    startWith({ u"Alpha"_s });
    control<VbCheckBox>(u"Date_Heure0"_s)->click();
    control<VbCheckBox>(u"Date_Heure1"_s)->click();
    QTest::mouseClick(control<VkCommand>(u"Impression"_s), Qt::LeftButton);
    QVERIFY(m_messages->asked.isEmpty());
    const QString header = m_printer->log.value(0);
    if (QLocale::system().language() == QLocale::French)
        QCOMPARE(header, u"print:Arial|15|bi|Catalogue le 5 décembre 2026 à 9:05:07"_s);
    else
        QCOMPARE(header, u"print:Arial|15|bi|Catalogue le 5 December 2026 à 9:05:07"_s);
}

QTEST_MAIN(TestPrintingRun)
#include "tst_printingrun.moc"
