#include "Harness.h"
#include "platform/Controls.h"
#include "platform/ProfileFile.h"
#include "platform/QtPrinterService.h"
#include "platform/Twips.h"
#include "printing/CatalogueLayout.h"
#include "printing/PolImprim.h"
#include "printing/PreviewStrip.h"

#include <QFocusEvent>
#include <QFontDatabase>
#include <QLabel>
#include <QTimer>
#include <limits>

// What the dialog and the state looked like when an estimate began.
struct EstimateSeen
{
    bool filling;
    int cell; // -1 before any preview was shown
    double size;
    QString savedSize; // "Taille" in the settings file, "none" when missing
};

class TestPolImprim : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void firstOpeningWithoutSettings();
    void framesAndButtonsAtTheirPlace_data();
    void framesAndButtonsAtTheirPlace();
    void controlsInTheirFrames_data();
    void controlsInTheirFrames();
    void fontsAndPresetLines();
    void openingRunsNoHandlerButNumbering_data();
    void openingRunsNoHandlerButNumbering();
    void handlerTable_data();
    void handlerTable();
    void selectionIsChosenAtEveryOpening();
    void headerTextSavedOnFocusLoss_data();
    void headerTextSavedOnFocusLoss();
    void dateAndTimeWriteBothKeys();
    void sizeTypedKeyByKey_data();
    void sizeTypedKeyByKey();
    void presetLineKeepsALeadingBlank();
    void numberingOnEstimatesTwiceOnOpening();
    void previewFollowsTheOptions_data();
    void previewFollowsTheOptions();
    void pageCountFollowsTheOptions_data();
    void pageCountFollowsTheOptions();
    void unknownCountWhenNothingCanBeMeasured();
    void emptyListCountsOnePage();
    void realPrinterTakesAnySize_data();
    void realPrinterTakesAnySize();
    void choicesLastForTheRunOnly();
    void closingPutsTheLinesIntoPaneZero();
    void closeBoxUnloadsToo();
    void openedFromTheMainWindow();

private:
    void startWith(const QStringList &fonts);
    PolImprim *open();
    void closeDialog();
    template <typename T> T *control(const QString &name) const
    {
        T *widget = m_dialog->findChild<T *>(name);
        if (!widget)
            qWarning("no control named %s", qPrintable(name));
        return widget;
    }
    QString estimate() const { return control<QLabel>(u"Estim_Pages"_qs)->text(); }
    void typeInto(QWidget *widget, const QString &text);
    void recordEstimates(QList<EstimateSeen> *seen);
    void addToSelection(int position);
    QString stateSummary() const;

    std::unique_ptr<Harness> m_h;
    PolImprim *m_dialog = nullptr;
};

const QStringList kFonts { u"Arial"_qs, u"DejaVu Sans"_qs, u"Liberation Mono"_qs,
    u"Liberation Serif"_qs, u"Times New Roman"_qs };

void TestPolImprim::init()
{
    m_h = std::make_unique<Harness>();
}

void TestPolImprim::cleanup()
{
    m_dialog = nullptr;
    m_h.reset();
}

void TestPolImprim::startWith(const QStringList &fonts)
{
    m_h->printer.fonts = fonts;
    m_h->start();
}

PolImprim *TestPolImprim::open()
{
    m_dialog = m_h->app->afficherImpression();
    m_dialog->activateWindow();
    if (!QTest::qWaitForWindowActive(m_dialog))
        qWarning("the print dialog did not become active");
    return m_dialog;
}

void TestPolImprim::closeDialog()
{
    QTest::mouseClick(control<VkCommand>(u"Fermer"_qs), Qt::LeftButton);
    m_dialog = nullptr;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestPolImprim::typeInto(QWidget *widget, const QString &text)
{
    for (QChar c : text) {
        if (c == u'\b')
            QTest::keyClick(widget, Qt::Key_Backspace);
        else
            QTest::keyClick(widget, c.toLatin1());
    }
}

// Every estimate measures the bold 15-point header line first, and nothing else does while
// the dialog is open without printing.
void TestPolImprim::recordEstimates(QList<EstimateSeen> *seen)
{
    m_h->printer.height = [this, seen](const ScriptedPrinter::Font &f, const QString &) {
        if (f.name == u"Arial"_qs && f.size == 15 && f.bold) {
            const QVariant cell
                = m_h->app->polImprim()->findChild<QLabel *>(u"Modele"_qs)->property("cell");
            seen->append({ m_h->app->state().RemplissageEnCours, cell.isValid() ? cell.toInt() : -1,
                m_h->app->state().TaillePolice,
                ProfileFile::readString(
                    m_h->iniPath(), u"TaillePolice", u"Taille", u"none"_qs, 254) });
        }
        return f.size * 20.0;
    };
}

void TestPolImprim::addToSelection(int position)
{
    auto *complete = m_h->find<VbListBox>(u"Liste0"_qs);
    complete->clearSelection();
    complete->setSelected(position, true);
    QTest::mouseClick(m_h->find<VkCommand>(u"Ajoute"_qs), Qt::LeftButton);
}

// List, content (both copies), spacing and numbering, as the estimate and printing read them.
QString TestPolImprim::stateSummary() const
{
    const ProgramState &s = m_h->app->state();
    return u"L%1 E%2%3 S%4 N%5"_qs.arg(s.ListeImprimee)
        .arg(int(s.AvecExemple))
        .arg(int(s.ApercuExemple))
        .arg(int(s.EspacePolices))
        .arg(int(s.AvecNumero));
}

void TestPolImprim::firstOpeningWithoutSettings()
{
    startWith(kFonts);
    open();
    QCOMPARE(m_dialog->windowTitle(), u"Typovise                      Choix de l'impression"_qs);
    QVERIFY(m_dialog->isVisible());
    QVERIFY(m_dialog->isModal() || m_dialog->windowModality() == Qt::ApplicationModal);
    QCOMPARE(control<VbTextBox>(u"Texte1"_qs)->Text(), u"Polices..."_qs);
    QCOMPARE(control<VbCheckBox>(u"Date_Heure0"_qs)->Value(), 0);
    QCOMPARE(control<VbCheckBox>(u"Date_Heure1"_qs)->Value(), 0);
    auto *size = control<VbComboBox>(u"Taille_Police"_qs);
    QCOMPARE(size->Text(), u"12"_qs);
    QCOMPARE(size->count(), 23);
    QCOMPARE(size->itemText(0), u"  8"_qs);
    QCOMPARE(size->itemText(22), u" 72"_qs);
    QCOMPARE(control<VbComboBox>(u"Ligne_Exemple1"_qs)->Text(),
        u"Portez ce vieux whisky au juge blond qui fume"_qs);
    QCOMPARE(control<VbComboBox>(u"Ligne_Exemple2"_qs)->Text(),
        u"ABCDEFGHIJKLMNOP 0123456789 éèçàâäù%"_qs);
    QCOMPARE(control<VbComboBox>(u"Ligne_Exemple2"_qs)->itemText(3),
        u"ABCDEFGHIJKLMNOPQRSTUVWXYZ &\"'(-_)$£¤µ%§*~#{[|`\\^@]}"_qs);
    QVERIFY(!control<VbOptionButton>(u"Ch_Liste1"_qs)->isEnabled());
    QVERIFY(control<VbOptionButton>(u"Ch_Liste0"_qs)->Value());
    QVERIFY(control<VbOptionButton>(u"Option_LC0"_qs)->Value());
    QVERIFY(control<VbOptionButton>(u"Espace_Pol0"_qs)->Value());
    QVERIFY(control<VbOptionButton>(u"Avec_No0"_qs)->Value());
    QCOMPARE(m_h->app->state().ListeImprimee, 0);
    QCOMPARE(estimate(), u"1"_qs);
    QCOMPARE(control<QLabel>(u"Modele"_qs)->property("cell").toInt(), 0);
    QVERIFY(!control<QLabel>(u"Modele"_qs)->pixmap().isNull());
    QVERIFY(!QFile::exists(m_h->iniPath()));
}

void TestPolImprim::framesAndButtonsAtTheirPlace_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("twips");

    const auto row = [](const char *name, const QString &caption, int l, int t, int w, int h) {
        QTest::newRow(name) << QString::fromLatin1(name) << caption << QRect(l, t, w, h);
    };
    row("vkFrame10",
        u"Inscrivez ci-dessous le texte qui sera apparîtra en Tête de la Liste imprimée"_qs, 150,
        150, 10815, 1125);
    row("vkFrame11", u"Choix du texte des Lignes d'exemple"_qs, 150, 1440, 10815, 1725);
    row("vkFrame12", u"Choix de la Liste"_qs, 150, 3360, 2475, 1365);
    row("vkFrame13", u"Choix d'impression"_qs, 2730, 3360, 2655, 1365);
    row("vkFrame16", u"Taile des polices"_qs, 5490, 3360, 2055, 1365);
    row("vkFrame17", u"Aperçu avant impression"_qs, 7620, 3360, 3315, 4485);
    row("vkFrame14", u"Espacer les polices"_qs, 150, 4920, 2475, 975);
    row("vkFrame15", u"Avec N° de police"_qs, 2730, 4920, 2535, 975);
    row("TitreEstimPages", u"Nombre de pages"_qs, 5370, 4920, 2175, 975);
    row("vkFrame18", u"Barre d'avancement de recalcul"_qs, 150, 6060, 3885, 975);
    row("Porte_Barre_Impr", u"Progression de l'impression"_qs, 4140, 6060, 3405, 975);
    row("Impression", u"Imprimer"_qs, 2760, 7350, 2235, 525);
    row("Fermer", u"Fermer"_qs, 5310, 7350, 2235, 525);
}

void TestPolImprim::framesAndButtonsAtTheirPlace()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QRect, twips);

    startWith(kFonts);
    open();
    QWidget *widget = control<QWidget>(name);
    QVERIFY(widget);
    QCOMPARE(widget->parentWidget(), m_dialog);
    QCOMPARE(widget->geometry(), Twips::rect(twips.x(), twips.y(), twips.width(), twips.height()));
    QVERIFY(widget->isVisible());
    if (auto *frame = qobject_cast<VkFrame *>(widget)) {
        QCOMPARE(frame->Caption(), caption);
        QCOMPARE(frame->font().family(), u"Calibri"_qs);
    } else {
        QCOMPARE(qobject_cast<VkCommand *>(widget)->text(), caption);
    }
}

void TestPolImprim::controlsInTheirFrames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption"); // empty for a control without one
    QTest::addColumn<QString>("frame");
    // The member the table puts above it, or left of it, in the same frame.
    QTest::addColumn<QString>("above");
    QTest::addColumn<QString>("leftOf");

    const auto row = [](const char *name, const QString &caption, const char *frame,
                         const char *above = "", const char *leftOf = "") {
        QTest::newRow(name) << QString::fromLatin1(name) << caption << QString::fromLatin1(frame)
                            << QString::fromLatin1(above) << QString::fromLatin1(leftOf);
    };
    row("Texte1", QString(), "vkFrame10");
    row("Date_Heure0", u"+ DATE"_qs, "vkFrame10", "", "Texte1");
    row("Date_Heure1", u"+ HEURE"_qs, "vkFrame10", "", "Date_Heure0");
    row("Label10", u"1° ligne :"_qs, "vkFrame11");
    row("Label11", u"2° ligne :"_qs, "vkFrame11", "Label10");
    row("Ligne_Exemple1", QString(), "vkFrame11", "", "Label10");
    row("Ligne_Exemple2", QString(), "vkFrame11", "Ligne_Exemple1", "Label11");
    row("Ch_Liste0", u"Liste complète"_qs, "vkFrame12");
    row("Ch_Liste1", u"Liste Sélection"_qs, "vkFrame12", "Ch_Liste0");
    row("Option_LC1", u"Nom + Exemple"_qs, "vkFrame13");
    row("Option_LC0", u"Nom uniquement"_qs, "vkFrame13", "Option_LC1");
    row("Espace_Pol1", u"OUI"_qs, "vkFrame14");
    row("Espace_Pol0", u"NON"_qs, "vkFrame14", "", "Espace_Pol1");
    row("Avec_No1", u"OUI"_qs, "vkFrame15");
    row("Avec_No0", u"NON"_qs, "vkFrame15", "", "Avec_No1");
    row("Taille_Police", QString(), "vkFrame16");
    row("Modele", QString(), "vkFrame17");
    row("Estim_Pages", QString(), "TitreEstimPages");
    row("Porte_Barre", QString(), "vkFrame18");
    row("Bar_Impr", QString(), "Porte_Barre_Impr");
}

void TestPolImprim::controlsInTheirFrames()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QString, frame);
    QFETCH(QString, above);
    QFETCH(QString, leftOf);

    startWith(kFonts);
    open();
    QWidget *widget = control<QWidget>(name);
    QVERIFY(widget);
    QCOMPARE(widget->parentWidget()->objectName(), frame);
    // Inside its frame, whole.
    QVERIFY2(widget->parentWidget()->rect().contains(widget->geometry()),
        qPrintable(u"%1 in %2"_qs.arg(widget->geometry().width()).arg(frame)));
    if (!caption.isEmpty()) {
        if (auto *button = qobject_cast<QAbstractButton *>(widget))
            QCOMPARE(button->text(), caption);
        else
            QCOMPARE(qobject_cast<QLabel *>(widget)->text(), caption);
    }
    if (!above.isEmpty())
        QVERIFY(control<QWidget>(above)->geometry().bottom() < widget->geometry().top());
    if (!leftOf.isEmpty())
        QVERIFY(control<QWidget>(leftOf)->geometry().right() < widget->geometry().left());
}

void TestPolImprim::fontsAndPresetLines()
{
    startWith(kFonts);
    open();
    const auto font
        = [this](const char *name) { return control<QWidget>(QString::fromLatin1(name))->font(); };
    QCOMPARE(font("Texte1").family(), u"Arial"_qs);
    QVERIFY(font("Texte1").bold());
    QCOMPARE(font("Texte1").pointSizeF(), 14.25);
    QCOMPARE(font("Estim_Pages").family(), u"Arial"_qs);
    QVERIFY(font("Estim_Pages").bold());
    QCOMPARE(font("Estim_Pages").pointSizeF(), 15.75);
    for (const char *name : { "Date_Heure0", "Date_Heure1" }) {
        QCOMPARE(font(name).family(), u"Times New Roman"_qs);
        QVERIFY(font(name).bold());
        QCOMPARE(font(name).pointSizeF(), 12.0);
    }
    for (const char *name : { "Ligne_Exemple1", "Ligne_Exemple2", "Taille_Police" }) {
        QCOMPARE(font(name).family(), u"Arial"_qs);
        QCOMPARE(font(name).pointSizeF(), 14.25);
    }

    const auto items = [this](const char *name) {
        auto *box = control<VbComboBox>(QString::fromLatin1(name));
        QStringList list;
        for (int i = 0; i < box->count(); ++i)
            list.append(box->itemText(i));
        return list;
    };
    QCOMPARE(items("Ligne_Exemple1"),
        QStringList({ u"Portez ce vieux whisky au juge blond qui fume."_qs,
            u"abcdefghijklmnopqrstuvwxyz 0123456789 éèçàâä"_qs }));
    QCOMPARE(items("Ligne_Exemple2"),
        QStringList({ u"PORTEZ CE VIEUX WHISKY AU JUGE BLOND QUI FUME."_qs,
            u"ABCDEFGHIJKLMNOP 0123456789 éèçàâäù%"_qs, u"ABCDEFGHIJKLMNOPQRSTUVWXYZ 0123456789"_qs,
            u"ABCDEFGHIJKLMNOPQRSTUVWXYZ &\"'(-_)$£¤µ%§*~#{[|`\\^@]}"_qs }));
    QCOMPARE(items("Ligne_Exemple2").last().size(), 52);
    QCOMPARE(items("Taille_Police"),
        u"  8|  9| 10| 11| 12| 13| 14| 15| 16| 18| 20| 24| 26| 30| 32| 36| 40| 46| 52| 56| 60| 65| 72"_qs
            .split(u'|'));

    // Centred on the main window as it stood when the dialog was made, within a pixel.
    const QPoint offset = m_dialog->geometry().center() - m_h->ppal()->geometry().center();
    QVERIFY2(
        offset.manhattanLength() <= 2, qPrintable(u"%1,%2"_qs.arg(offset.x()).arg(offset.y())));
    QCOMPARE(m_dialog->size(), Twips::rect(0, 0, 11100, 8040).size());
    // The bar of the estimate stops one step short: four fifths of 3600 twips for five fonts.
    QCOMPARE(control<QFrame>(u"Barre"_qs)->width(), Twips::toPixels(2880));
    QCOMPARE(control<QFrame>(u"Bar_Impr"_qs)->width(), 0);
}

void TestPolImprim::openingRunsNoHandlerButNumbering_data()
{
    QTest::addColumn<bool>("samples");
    QTest::addColumn<bool>("spacing");
    QTest::addColumn<bool>("numbers");
    QTest::addColumn<bool>("selection");
    // The state each estimate of the opening began in: still filling, and the cell shown.
    QTest::addColumn<QList<bool>>("filling");
    QTest::addColumn<QList<int>>("cells");

    QTest::newRow("defaults") << false << false << false << false << QList<bool> { false }
                              << QList<int> { -1 };
    QTest::newRow("samples, spacing, selection")
        << true << true << false << true << QList<bool> { false } << QList<int> { -1 };
    // The numbering handler runs while the controls are filled, preview first.
    QTest::newRow("numbering") << false << false << true << false << QList<bool> { true, false }
                               << QList<int> { 4, 4 };
    QTest::newRow("everything") << true << true << true << true << QList<bool> { true, false }
                                << QList<int> { 7, 7 };
}

void TestPolImprim::openingRunsNoHandlerButNumbering()
{
    QFETCH(bool, samples);
    QFETCH(bool, spacing);
    QFETCH(bool, numbers);
    QFETCH(bool, selection);
    QFETCH(QList<bool>, filling);
    QFETCH(QList<int>, cells);

    // The date box is unticked from its loaded state, so its handler would add the missing
    // key if it ran; the size would be saved if the size rule ran.
    const QByteArray ini("[En-T\xeate]\r\nTexte=Catalogue\r\nHeureImpression=1\r\n"
                         "[TaillePolice]\r\nTaille=10\r\n");
    m_h->writeIni(ini);
    startWith(kFonts);
    if (selection)
        addToSelection(2);
    ProgramState &state = m_h->app->state();
    state.AvecExemple = state.ApercuExemple = samples;
    state.EspacePolices = spacing;
    state.AvecNumero = numbers;
    state.TaillePolice = 10.5;
    QList<EstimateSeen> seen;
    recordEstimates(&seen);
    open();

    QList<bool> fillingSeen;
    QList<int> cellsSeen;
    for (const EstimateSeen &e : seen) {
        fillingSeen.append(e.filling);
        cellsSeen.append(e.cell);
    }
    QCOMPARE(fillingSeen, filling);
    QCOMPARE(cellsSeen, cells);
    QVERIFY(!state.RemplissageEnCours);
    QCOMPARE(m_h->readIni(), ini);
    QCOMPARE(control<VbTextBox>(u"Texte1"_qs)->Text(), u"Catalogue"_qs);
    QCOMPARE(control<VbCheckBox>(u"Date_Heure0"_qs)->Value(), 0);
    QCOMPARE(control<VbCheckBox>(u"Date_Heure1"_qs)->Value(), 1);
    QCOMPARE(control<VbComboBox>(u"Taille_Police"_qs)->Text(), u"10.5"_qs);
    QCOMPARE(control<VbOptionButton>(u"Option_LC1"_qs)->Value(), samples);
    QCOMPARE(control<VbOptionButton>(u"Espace_Pol1"_qs)->Value(), spacing);
    QCOMPARE(control<VbOptionButton>(u"Avec_No1"_qs)->Value(), numbers);
    QCOMPARE(control<VbOptionButton>(u"Ch_Liste1"_qs)->Value(), selection);
    QCOMPARE(state.ListeImprimee, int(selection));
    QCOMPARE(control<QLabel>(u"Modele"_qs)->property("cell").toInt(),
        2 * int(spacing) + int(samples) + 4 * int(numbers));
}

namespace {
enum Action {
    ListeCompleteThenSelection,
    ListeComplete,
    NomPlusExemple,
    NomUniquementAgain,
    EspaceOui,
    NumeroOui,
    DateClicked,
    HeureSetByProgram,
    TexteLeft,
    TexteLeftForAnotherApplication,
    LignePicked,
    LigneLeft,
    TaillePicked,
    TailleTyped,
};
} // namespace

void TestPolImprim::handlerTable_data()
{
    QTest::addColumn<int>("action");
    QTest::addColumn<int>("estimates");
    QTest::addColumn<QString>("state"); // list, content twice, spacing, numbering
    QTest::addColumn<QByteArray>("ini"); // the whole settings file after, empty when none

    const QByteArray lines(
        "[Textes]\r\n1\xb0_Ligne= Portez ce vieux whisky au juge blond qui fume\r\n"
        "2\xb0_Ligne=ABCDEFGHIJKLMNOP 0123456789 \xe9\xe8\xe7\xe0\xe2\xe4\xf9%\r\n");
    QTest::newRow("Ch_Liste, each member")
        << int(ListeCompleteThenSelection) << 2 << u"L1 E00 S0 N0"_qs << QByteArray();
    QTest::newRow("Ch_Liste complete")
        << int(ListeComplete) << 1 << u"L0 E00 S0 N0"_qs << QByteArray();
    QTest::newRow("Option_LC") << int(NomPlusExemple) << 1 << u"L1 E11 S0 N0"_qs << QByteArray();
    QTest::newRow("Option_LC already chosen")
        << int(NomUniquementAgain) << 0 << u"L1 E00 S0 N0"_qs << QByteArray();
    QTest::newRow("Espace_Pol") << int(EspaceOui) << 1 << u"L1 E00 S1 N0"_qs << QByteArray();
    QTest::newRow("Avec_No") << int(NumeroOui) << 1 << u"L1 E00 S0 N1"_qs << QByteArray();
    QTest::newRow("Date_Heure clicked")
        << int(DateClicked) << 0 << u"L1 E00 S0 N0"_qs
        << QByteArray("[En-T\xeate]\r\nDateImpression=1\r\nHeureImpression=0\r\n");
    QTest::newRow("Date_Heure set by the program")
        << int(HeureSetByProgram) << 0 << u"L1 E00 S0 N0"_qs
        << QByteArray("[En-T\xeate]\r\nDateImpression=0\r\nHeureImpression=1\r\n");
    QTest::newRow("Texte1 focus loss") << int(TexteLeft) << 0 << u"L1 E00 S0 N0"_qs
                                       << QByteArray("[En-T\xeate]\r\nTexte=Polices...\r\n");
    QTest::newRow("Texte1, switching application")
        << int(TexteLeftForAnotherApplication) << 0 << u"L1 E00 S0 N0"_qs << QByteArray();
    QTest::newRow("Ligne_Exemple picked")
        << int(LignePicked) << 0 << u"L1 E00 S0 N0"_qs
        << QByteArray("[Textes]\r\n1\xb0_Ligne= abcdefghijklmnopqrstuvwxyz 0123456789 "
                      "\xe9\xe8\xe7\xe0\xe2\xe4\r\n"
                      "2\xb0_Ligne=ABCDEFGHIJKLMNOP 0123456789 \xe9\xe8\xe7\xe0\xe2\xe4\xf9%\r\n"
                      "[TaillePolice]\r\nTaille=12\r\n");
    QTest::newRow("Ligne_Exemple focus loss")
        << int(LigneLeft) << 0 << u"L1 E00 S0 N0"_qs
        << QByteArray("[Textes]\r\n1\xb0_Ligne= Portez ce vieux whisky au juge blond qui fume\r\n"
                      "2\xb0_Ligne= Voix ambigu\xeb\r\n[TaillePolice]\r\nTaille=12\r\n");
    QTest::newRow("Taille_Police picked") << int(TaillePicked) << 1 << u"L1 E00 S0 N0"_qs
                                          << lines + "[TaillePolice]\r\nTaille=18\r\n";
    QTest::newRow("Taille_Police typed") << int(TailleTyped) << 1 << u"L1 E00 S0 N0"_qs
                                         << lines + "[TaillePolice]\r\nTaille=124\r\n";
}

void TestPolImprim::handlerTable()
{
    QFETCH(int, action);
    QFETCH(int, estimates);
    QFETCH(QString, state);
    QFETCH(QByteArray, ini);

    startWith(kFonts);
    addToSelection(1);
    QList<EstimateSeen> seen;
    recordEstimates(&seen);
    open();
    QCOMPARE(stateSummary(), u"L1 E00 S0 N0"_qs);
    // The header box has the focus on opening; leaving it saves the header, as its own row
    // shows, so each row starts from a control that saves nothing and without a file.
    control<VbOptionButton>(u"Espace_Pol0"_qs)->setFocus(Qt::TabFocusReason);
    QFile::remove(m_h->iniPath());
    seen.clear();

    switch (Action(action)) {
    case ListeCompleteThenSelection:
        control<VbOptionButton>(u"Ch_Liste0"_qs)->click();
        control<VbOptionButton>(u"Ch_Liste1"_qs)->click();
        break;
    case ListeComplete:
        control<VbOptionButton>(u"Ch_Liste0"_qs)->click();
        break;
    case NomPlusExemple:
        control<VbOptionButton>(u"Option_LC1"_qs)->click();
        break;
    case NomUniquementAgain:
        control<VbOptionButton>(u"Option_LC0"_qs)->click();
        break;
    case EspaceOui:
        control<VbOptionButton>(u"Espace_Pol1"_qs)->click();
        break;
    case NumeroOui:
        control<VbOptionButton>(u"Avec_No1"_qs)->click();
        break;
    case DateClicked:
        control<VbCheckBox>(u"Date_Heure0"_qs)->click();
        break;
    case HeureSetByProgram:
        control<VbCheckBox>(u"Date_Heure1"_qs)->setValue(1);
        break;
    case TexteLeft:
        control<VbTextBox>(u"Texte1"_qs)->setFocus(Qt::TabFocusReason);
        control<VbComboBox>(u"Ligne_Exemple1"_qs)->setFocus(Qt::TabFocusReason);
        break;
    case TexteLeftForAnotherApplication: {
        auto *texte = control<VbTextBox>(u"Texte1"_qs);
        texte->setFocus(Qt::TabFocusReason);
        QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
        QCoreApplication::sendEvent(texte, &away);
        break;
    }
    case LignePicked: {
        auto *line = control<VbComboBox>(u"Ligne_Exemple1"_qs);
        line->setFocus(Qt::TabFocusReason);
        line->setCurrentIndex(0);
        QTest::keyClick(line, Qt::Key_Down);
        break;
    }
    case LigneLeft: {
        auto *line = control<VbComboBox>(u"Ligne_Exemple2"_qs);
        line->setFocus(Qt::TabFocusReason);
        line->lineEdit()->selectAll();
        line->lineEdit()->insert(u"Voix ambiguë"_qs);
        control<VbTextBox>(u"Texte1"_qs)->setFocus(Qt::TabFocusReason);
        break;
    }
    case TaillePicked: {
        auto *size = control<VbComboBox>(u"Taille_Police"_qs);
        size->setFocus(Qt::TabFocusReason);
        size->setCurrentIndex(8); // " 16"
        QTest::keyClick(size, Qt::Key_Down);
        QCOMPARE(size->Text(), u" 18"_qs);
        break;
    }
    case TailleTyped: {
        auto *size = control<VbComboBox>(u"Taille_Police"_qs);
        size->setFocus(Qt::TabFocusReason);
        size->lineEdit()->end(false);
        typeInto(size, u"4"_qs);
        break;
    }
    }

    QCOMPARE(seen.size(), estimates);
    QCOMPARE(stateSummary(), state);
    QCOMPARE(m_h->readIni(), ini);
    // An option that runs the estimate shows the preview of the new options with it.
    if (estimates > 0) {
        const ProgramState &s = m_h->app->state();
        QCOMPARE(control<QLabel>(u"Modele"_qs)->property("cell").toInt(),
            2 * int(s.EspacePolices) + int(s.ApercuExemple) + 4 * int(s.AvecNumero));
    }
}

void TestPolImprim::selectionIsChosenAtEveryOpening()
{
    startWith(kFonts);
    auto *complete = m_h->find<VbListBox>(u"Liste0"_qs);
    complete->clearSelection();
    complete->setSelected(1, true);
    QTest::mouseClick(m_h->find<VkCommand>(u"Ajoute"_qs), Qt::LeftButton);
    open();
    QVERIFY(control<VbOptionButton>(u"Ch_Liste1"_qs)->isEnabled());
    QVERIFY(control<VbOptionButton>(u"Ch_Liste1"_qs)->Value());
    QCOMPARE(m_h->app->state().ListeImprimee, 1);
    control<VbOptionButton>(u"Ch_Liste0"_qs)->click();
    QCOMPARE(m_h->app->state().ListeImprimee, 0);
    closeDialog();
    open();
    QVERIFY(control<VbOptionButton>(u"Ch_Liste1"_qs)->Value());
    QCOMPARE(m_h->app->state().ListeImprimee, 1);
}

void TestPolImprim::headerTextSavedOnFocusLoss_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("reopened");
    QTest::newRow("text") << u"Catalogue  2026"_qs << u"Catalogue  2026"_qs;
    QTest::newRow("cleared") << QString() << u"Polices..."_qs;
    QTest::newRow("300 characters") << QString(300, u'x') << QString(254, u'x');
}

void TestPolImprim::headerTextSavedOnFocusLoss()
{
    QFETCH(QString, typed);
    QFETCH(QString, reopened);
    startWith(kFonts);
    open();
    auto *texte = control<VbTextBox>(u"Texte1"_qs);
    texte->setFocus(Qt::TabFocusReason);
    texte->setText(typed);
    control<VbComboBox>(u"Taille_Police"_qs)->setFocus(Qt::TabFocusReason);
    QCOMPARE(
        ProfileFile::readString(m_h->iniPath(), u"En-Tête", u"Texte", u"missing"_qs, 1000), typed);
    closeDialog();
    open();
    QCOMPARE(control<VbTextBox>(u"Texte1"_qs)->Text(), reopened);
}

void TestPolImprim::dateAndTimeWriteBothKeys()
{
    startWith(kFonts);
    open();
    control<VbCheckBox>(u"Date_Heure1"_qs)->click();
    const QByteArray ini = m_h->readIni();
    QCOMPARE(ini, QByteArray("[En-T\xeate]\r\nDateImpression=0\r\nHeureImpression=1\r\n"));
    closeDialog();
    open();
    QCOMPARE(control<VbCheckBox>(u"Date_Heure0"_qs)->Value(), 0);
    QCOMPARE(control<VbCheckBox>(u"Date_Heure1"_qs)->Value(), 1);
}

void TestPolImprim::sizeTypedKeyByKey_data()
{
    QTest::addColumn<bool>("cleared");
    QTest::addColumn<QString>("typed"); // "\b" is the backspace key
    QTest::addColumn<QString>("field");
    QTest::addColumn<QByteArray>("saved");
    QTest::addColumn<int>("messages");
    // For each estimate the typing caused: the size it ran with, and the size the settings
    // file held when it began, which shows that each saving followed its estimate.
    QTest::addColumn<QList<double>>("sizes");
    QTest::addColumn<QStringList>("savedBefore");

    // At 3000 the rule runs again inside itself with 2048: estimate and saving, then the
    // outer run estimates and saves once more.
    QTest::newRow("3000") << true << u"3000"_qs << u"2048"_qs << QByteArray("Taille=2048\r\n") << 1
                          << QList<double> { 3, 30, 300, 2048, 2048 }
                          << QStringList { u"none"_qs, u"3"_qs, u"30"_qs, u"300"_qs, u"2048"_qs };
    QTest::newRow("2048") << true << u"2048"_qs << u"2048"_qs << QByteArray("Taille=2048\r\n") << 0
                          << QList<double> { 2, 20, 204, 2048 }
                          << QStringList { u"none"_qs, u"2"_qs, u"20"_qs, u"204"_qs };
    QTest::newRow("2049") << true << u"2049"_qs << u"2048"_qs << QByteArray("Taille=2048\r\n") << 1
                          << QList<double> { 2, 20, 204, 2048, 2048 }
                          << QStringList { u"none"_qs, u"2"_qs, u"20"_qs, u"204"_qs, u"2048"_qs };
    QTest::newRow("comma") << true << u"10,5"_qs << u"10,5"_qs << QByteArray("Taille=10\r\n") << 0
                           << QList<double> { 1, 10, 10, 10 }
                           << QStringList { u"none"_qs, u"1"_qs, u"10"_qs, u"10"_qs };
    QTest::newRow("point") << true << u"10.5"_qs << u"10.5"_qs << QByteArray("Taille=10.5\r\n") << 0
                           << QList<double> { 1, 10, 10, 10.5 }
                           << QStringList { u"none"_qs, u"1"_qs, u"10"_qs, u"10"_qs };
    QTest::newRow("minus") << true << u"-"_qs << u"-"_qs << QByteArray("Taille=0\r\n") << 0
                           << QList<double> { 0 } << QStringList { u"none"_qs };
    QTest::newRow("emptied") << false << u"\b\b"_qs << QString() << QByteArray("Taille=0\r\n") << 0
                             << QList<double> { 1, 0 } << QStringList { u"none"_qs, u"1"_qs };
}

void TestPolImprim::sizeTypedKeyByKey()
{
    QFETCH(bool, cleared);
    QFETCH(QString, typed);
    QFETCH(QString, field);
    QFETCH(QByteArray, saved);
    QFETCH(int, messages);
    QFETCH(QList<double>, sizes);
    QFETCH(QStringList, savedBefore);
    startWith(kFonts);
    QList<EstimateSeen> seen;
    recordEstimates(&seen);
    open();
    auto *box = control<VbComboBox>(u"Taille_Police"_qs);
    box->setFocus(Qt::TabFocusReason);
    if (cleared)
        box->lineEdit()->clear();
    else
        box->lineEdit()->end(false);
    seen.clear();
    // The outer run's saving must follow its estimate: take the file away during it.
    if (messages > 0) {
        m_h->messages.answers.clear();
        m_h->printer.height = [this, inner = m_h->printer.height](
                                  const ScriptedPrinter::Font &f, const QString &text) {
            const double height = inner(f, text);
            if (f.name == u"Arial"_qs && f.size == 15 && f.bold && m_h->messages.asked.size() == 1
                && m_h->app->state().TaillePolice == 2048)
                QFile::remove(m_h->iniPath());
            return height;
        };
    }
    typeInto(box, typed);
    QCOMPARE(box->Text(), field);
    QCOMPARE(m_h->messages.asked.size(), messages);
    if (messages > 0) {
        QCOMPARE(m_h->messages.asked.first().text, u"La Taille maximum est de 2048"_qs);
        QCOMPARE(m_h->messages.asked.first().title, u"Contrôle de Taille des Polices"_qs);
        QCOMPARE(m_h->messages.asked.first().style, int(MessageBoxes::Information));
    }
    QList<double> sizesSeen;
    QStringList savedSeen;
    for (const EstimateSeen &e : seen) {
        sizesSeen.append(e.size);
        savedSeen.append(e.savedSize);
    }
    QCOMPARE(sizesSeen, sizes);
    QCOMPARE(savedSeen, savedBefore);
    QCOMPARE(m_h->app->state().TaillePolice, sizes.last());
    QVERIFY2(m_h->readIni().contains("[TaillePolice]\r\n" + saved), m_h->readIni().constData());
    QVERIFY(m_h->readIni().contains(
        "[Textes]\r\n1\xb0_Ligne= Portez ce vieux whisky au juge blond qui fume\r\n"));
}

void TestPolImprim::presetLineKeepsALeadingBlank()
{
    startWith(kFonts);
    open();
    auto *line2 = control<VbComboBox>(u"Ligne_Exemple2"_qs);
    line2->setFocus(Qt::TabFocusReason);
    line2->setCurrentIndex(1);
    QTest::keyClick(line2, Qt::Key_Down);
    QCOMPARE(m_h->app->state().LignesExemple[2], u" ABCDEFGHIJKLMNOPQRSTUVWXYZ 0123456789"_qs);
    QVERIFY(m_h->readIni().contains("2\xb0_Ligne= ABCDEFGHIJKLMNOPQRSTUVWXYZ 0123456789\r\n"));
    QVERIFY(m_h->readIni().contains("[TaillePolice]\r\nTaille=12\r\n"));
    closeDialog();
    open();
    QCOMPARE(control<VbComboBox>(u"Ligne_Exemple2"_qs)->Text(),
        u"ABCDEFGHIJKLMNOPQRSTUVWXYZ 0123456789"_qs);
}

void TestPolImprim::numberingOnEstimatesTwiceOnOpening()
{
    startWith(kFonts);
    const int perEstimate = 2 + int(kFonts.size());
    int before = m_h->printer.measureCalls;
    open();
    QCOMPARE(m_h->printer.measureCalls - before, perEstimate);
    control<VbOptionButton>(u"Avec_No1"_qs)->click();
    QVERIFY(m_h->app->state().AvecNumero);
    closeDialog();
    before = m_h->printer.measureCalls;
    open();
    QVERIFY(control<VbOptionButton>(u"Avec_No1"_qs)->Value());
    QCOMPARE(m_h->printer.measureCalls - before, 2 * perEstimate);
}

void TestPolImprim::previewFollowsTheOptions_data()
{
    QTest::addColumn<bool>("samples");
    QTest::addColumn<bool>("spacing");
    QTest::addColumn<bool>("numbers");
    QTest::addColumn<int>("cell");
    QTest::newRow("names only") << false << false << false << 0;
    QTest::newRow("samples") << true << false << false << 1;
    QTest::newRow("spacing") << false << true << false << 2;
    QTest::newRow("samples and spacing") << true << true << false << 3;
    QTest::newRow("numbers") << false << false << true << 4;
    QTest::newRow("all three") << true << true << true << 7;
}

void TestPolImprim::previewFollowsTheOptions()
{
    QFETCH(bool, samples);
    QFETCH(bool, spacing);
    QFETCH(bool, numbers);
    QFETCH(int, cell);
    startWith(kFonts);
    open();
    control<VbOptionButton>(samples ? u"Option_LC1"_qs : u"Option_LC0"_qs)->click();
    control<VbOptionButton>(spacing ? u"Espace_Pol1"_qs : u"Espace_Pol0"_qs)->click();
    control<VbOptionButton>(numbers ? u"Avec_No1"_qs : u"Avec_No0"_qs)->click();
    auto *modele = control<QLabel>(u"Modele"_qs);
    QCOMPARE(modele->property("cell").toInt(), cell);
    QCOMPARE(m_h->app->state().AvecExemple, samples);
    QCOMPARE(m_h->app->state().ApercuExemple, samples);
    // What the user sees is the cell stretched pixel by pixel, its lines as sharp as drawn.
    const QImage shown = modele->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage expected
        = PreviewStrip()
              .cell(cell)
              .scaled(modele->size(), Qt::IgnoreAspectRatio, Qt::FastTransformation)
              .convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shown, expected);
}

void TestPolImprim::pageCountFollowsTheOptions_data()
{
    QTest::addColumn<double>("pageHeight");
    QTest::addColumn<bool>("samples");
    QTest::addColumn<bool>("spacing");
    QTest::addColumn<QString>("expected");
    // Header 300 + 200 twips, each name line 240, each spacing line 200, each sample line
    // 20 twips per point of the 12-point sample size.
    QTest::newRow("names fit") << 15840.0 << false << false << u"1"_qs;
    QTest::newRow("names on two pages") << 1000.0 << false << false << u"2"_qs;
    QTest::newRow("names spaced") << 1000.0 << false << true << u"3"_qs;
    QTest::newRow("blocks taller than the page") << 500.0 << true << false << u"6"_qs;
}

void TestPolImprim::pageCountFollowsTheOptions()
{
    QFETCH(double, pageHeight);
    QFETCH(bool, samples);
    QFETCH(bool, spacing);
    QFETCH(QString, expected);
    startWith(kFonts);
    m_h->printer.pageHeight = pageHeight;
    open();
    if (samples)
        control<VbOptionButton>(u"Option_LC1"_qs)->click();
    if (spacing)
        control<VbOptionButton>(u"Espace_Pol1"_qs)->click();
    QCOMPARE(estimate(), expected);
}

void TestPolImprim::unknownCountWhenNothingCanBeMeasured()
{
    startWith(kFonts);
    m_h->printer.height = [](const ScriptedPrinter::Font &, const QString &) { return -1.0; };
    open();
    QCOMPARE(estimate(), u"?"_qs);
    auto *box = control<VbComboBox>(u"Taille_Police"_qs);
    box->setFocus(Qt::TabFocusReason);
    typeInto(box, u"4"_qs);
    QCOMPARE(estimate(), u"?"_qs);
    QVERIFY(m_h->messages.asked.isEmpty());
    QVERIFY(control<VkCommand>(u"Fermer"_qs)->isEnabled());
}

void TestPolImprim::emptyListCountsOnePage()
{
    // A printer without fonts leaves the complete list empty; the dialog can still be opened.
    startWith({});
    open();
    QCOMPARE(estimate(), u"1"_qs);
    QCOMPARE(control<QFrame>(u"Barre"_qs)->width(), 0);
    control<VbOptionButton>(u"Option_LC1"_qs)->click();
    control<VbOptionButton>(u"Espace_Pol1"_qs)->click();
    QCOMPARE(estimate(), u"1"_qs);
    QCOMPARE(control<QFrame>(u"Barre"_qs)->width(), 0);
}

void TestPolImprim::realPrinterTakesAnySize_data()
{
    QTest::addColumn<double>("size");
    QTest::addColumn<double>("measuredAs");

    const double smallest = PrinterService::kSmallestSize;
    QTest::newRow("zero") << 0.0 << smallest;
    QTest::newRow("negative") << -12.0 << smallest;
    QTest::newRow("below the smallest") << smallest / 2 << smallest;
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << smallest;
    QTest::newRow("largest") << 2048.0 << 2048.0;
    QTest::newRow("huge") << 1e300 << 2048.0;
}

// The real printer service, on whatever printer or PDF device this machine has: a size the
// font system refuses is measured as the nearest one it takes, and the estimate runs.
void TestPolImprim::realPrinterTakesAnySize()
{
    QFETCH(double, size);
    QFETCH(double, measuredAs);

    QTemporaryDir dir;
    QtPrinterService printer(dir.path());
    const QString family = QFontDatabase::families().value(0);
    QVERIFY(!family.isEmpty());
    printer.setFontName(family);
    printer.setFontSize(measuredAs);
    const double expected = printer.TextHeight(u"Test"_qs);
    QVERIFY(expected > 0);
    printer.setFontSize(30); // another size between, so that nothing is left over
    QVERIFY(printer.TextHeight(u"Test"_qs) != expected);
    printer.setFontSize(size);
    QCOMPARE(printer.TextHeight(u"Test"_qs), expected);

    CatalogueOptions options;
    options.AvecExemple = true;
    options.TaillePolice = size;
    const CatalogueLayout layout(printer, { u"1 "_qs + family, u"2 "_qs + family }, options);
    const std::optional<qint64> pages = layout.Nb_Pages();
    QVERIFY(pages.has_value());
    QVERIFY(*pages >= 1);
}

void TestPolImprim::choicesLastForTheRunOnly()
{
    startWith(kFonts);
    open();
    control<VbOptionButton>(u"Option_LC1"_qs)->click();
    control<VbOptionButton>(u"Espace_Pol1"_qs)->click();
    control<VbOptionButton>(u"Avec_No1"_qs)->click();
    control<VbCheckBox>(u"Date_Heure0"_qs)->click();
    auto *box = control<VbComboBox>(u"Taille_Police"_qs);
    box->setText(u"24"_qs);
    closeDialog();
    open();
    QVERIFY(control<VbOptionButton>(u"Option_LC1"_qs)->Value());
    QVERIFY(control<VbOptionButton>(u"Espace_Pol1"_qs)->Value());
    QVERIFY(control<VbOptionButton>(u"Avec_No1"_qs)->Value());
    QCOMPARE(control<QLabel>(u"Modele"_qs)->property("cell").toInt(), 7);
    QCOMPARE(control<VbComboBox>(u"Taille_Police"_qs)->Text(), u"24"_qs);
    closeDialog();

    m_h->restart();
    open();
    QVERIFY(control<VbOptionButton>(u"Option_LC0"_qs)->Value());
    QVERIFY(control<VbOptionButton>(u"Espace_Pol0"_qs)->Value());
    QVERIFY(control<VbOptionButton>(u"Avec_No0"_qs)->Value());
    QCOMPARE(control<QLabel>(u"Modele"_qs)->property("cell").toInt(), 0);
    QCOMPARE(control<VbCheckBox>(u"Date_Heure0"_qs)->Value(), 1);
    QCOMPARE(control<VbComboBox>(u"Taille_Police"_qs)->Text(), u"24"_qs);
}

void TestPolImprim::closingPutsTheLinesIntoPaneZero()
{
    startWith(kFonts);
    open();
    auto *line1 = control<VbComboBox>(u"Ligne_Exemple1"_qs);
    line1->setFocus(Qt::TabFocusReason);
    line1->setText(u"Voix ambiguë"_qs);
    control<VbComboBox>(u"Taille_Police"_qs)->setFocus(Qt::TabFocusReason);
    const QFont before = m_h->find<QLabel>(u"Exemple0"_qs)->font();
    closeDialog();
    QCOMPARE(m_h->find<QLabel>(u"Exemple0"_qs)->text(),
        u" Voix ambiguë ABCDEFGHIJKLMNOP 0123456789 éèçàâäù%"_qs);
    QCOMPARE(m_h->find<QLabel>(u"Exemple0"_qs)->font(), before);
    QVERIFY(!m_h->ppal()->findChild<PolImprim *>());
}

void TestPolImprim::closeBoxUnloadsToo()
{
    startWith(kFonts);
    open();
    auto *line2 = control<VbComboBox>(u"Ligne_Exemple2"_qs);
    line2->setFocus(Qt::TabFocusReason);
    line2->setEditText(u"Zoé"_qs);
    control<VbTextBox>(u"Texte1"_qs)->setFocus(Qt::TabFocusReason);
    QVERIFY(m_dialog->close());
    m_dialog = nullptr;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!m_h->ppal()->findChild<PolImprim *>());
    QVERIFY(m_h->messages.asked.isEmpty());
    QCOMPARE(m_h->find<QLabel>(u"Exemple0"_qs)->text(),
        u" Portez ce vieux whisky au juge blond qui fume Zoé"_qs);
    // Reopening builds the dialog afresh, with the list of sizes filled once.
    open();
    QCOMPARE(control<VbComboBox>(u"Taille_Police"_qs)->count(), 23);
    QCOMPARE(control<VbComboBox>(u"Ligne_Exemple2"_qs)->Text(), u"Zoé"_qs);
}

void TestPolImprim::openedFromTheMainWindow()
{
    startWith(kFonts);
    m_h->printer.pageHeight = 1000;
    QString countSeen;
    bool wasVisible = false;
    // The print command waits for the dialog to close, so the user's part runs from the
    // event loop the dialog runs.
    QTimer::singleShot(0, this, [&] {
        auto *dialog = m_h->ppal()->findChild<PolImprim *>();
        if (!dialog)
            return;
        wasVisible = dialog->isVisible();
        dialog->findChild<VbOptionButton *>(u"Option_LC1"_qs)->click();
        auto *size = dialog->findChild<VbComboBox *>(u"Taille_Police"_qs);
        size->setFocus(Qt::TabFocusReason);
        size->lineEdit()->clear();
        QTest::keyClicks(size, u"5"_qs);
        countSeen = dialog->findChild<QLabel *>(u"Estim_Pages"_qs)->text();
        QTest::mouseClick(dialog->findChild<VkCommand *>(u"Fermer"_qs), Qt::LeftButton);
    });
    QTest::mouseClick(m_h->find<VkCommand>(u"Imprimer"_qs), Qt::LeftButton);
    QVERIFY(wasVisible);
    // Header 500 twips, then blocks of 240 + 2 x 100 twips on pages of 1000: one block fits
    // under the header, two on each page after, so five fonts take three pages.
    QCOMPARE(countSeen, u"3"_qs);
    QVERIFY(m_h->readIni().contains("[TaillePolice]\r\nTaille=5\r\n"));
}

QTEST_MAIN(TestPolImprim)
#include "tst_polimprim.moc"
