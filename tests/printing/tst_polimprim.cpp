#include "Harness.h"
#include "platform/Controls.h"
#include "platform/ProfileFile.h"
#include "platform/Twips.h"
#include "printing/PolImprim.h"
#include "printing/PreviewStrip.h"

#include <QFocusEvent>
#include <QLabel>
#include <QTimer>

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
    void controlsAtTheirPlace_data();
    void controlsAtTheirPlace();
    void openingRunsNoHandlerButNumbering_data();
    void openingRunsNoHandlerButNumbering();
    void handlerTable_data();
    void handlerTable();
    void choicesLastForTheRunOnly();
    void clearedHeaderTextComesBackAsTheDefault();
    void sizeTypedKeyByKey_data();
    void sizeTypedKeyByKey();
    void previewFollowsTheOptions_data();
    void previewFollowsTheOptions();
    void pageCountShown_data();
    void pageCountShown();
    void closingPutsTheLinesIntoPaneZero_data();
    void closingPutsTheLinesIntoPaneZero();
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
    void choose(const char *name) { control<QAbstractButton>(QString::fromLatin1(name))->click(); }
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
    QCOMPARE(m_dialog->size(), Twips::rect(0, 0, 11100, 8040).size());
    // Centred on the main window as it stood when the dialog was made, within a pixel.
    const QPoint offset = m_dialog->geometry().center() - m_h->ppal()->geometry().center();
    QVERIFY2(
        offset.manhattanLength() <= 2, qPrintable(u"%1,%2"_qs.arg(offset.x()).arg(offset.y())));

    QCOMPARE(control<VbTextBox>(u"Texte1"_qs)->Text(), u"Polices..."_qs);
    QCOMPARE(control<VbCheckBox>(u"Date_Heure0"_qs)->Value(), 0);
    QCOMPARE(control<VbCheckBox>(u"Date_Heure1"_qs)->Value(), 0);
    auto *size = control<VbComboBox>(u"Taille_Police"_qs);
    QCOMPARE(size->Text(), u"12"_qs);
    QCOMPARE(size->count(), 23);
    QCOMPARE(size->itemText(0), u"  8"_qs);
    QCOMPARE(size->itemText(22), u" 72"_qs);
    // The start-up lines, shown without their leading blank.
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
    // The bar of the estimate stops one step short: four fifths of 3600 twips for five fonts.
    QCOMPARE(control<QFrame>(u"Barre"_qs)->width(), Twips::toPixels(2880));
    QCOMPARE(control<QFrame>(u"Bar_Impr"_qs)->width(), 0);
    QCOMPARE(control<QLabel>(u"Modele"_qs)->property("cell").toInt(), 0);
    QVERIFY(!QFile::exists(m_h->iniPath()));
}

void TestPolImprim::controlsAtTheirPlace_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption"); // empty for a control without one
    QTest::addColumn<QString>("parent");
    // The member the form puts above it, or left of it, in the same parent.
    QTest::addColumn<QString>("above");
    QTest::addColumn<QString>("leftOf");

    const auto row = [](const char *name, const QString &caption, const char *parent,
                         const char *above = "", const char *leftOf = "") {
        QTest::newRow(name) << QString::fromLatin1(name) << caption << QString::fromLatin1(parent)
                            << QString::fromLatin1(above) << QString::fromLatin1(leftOf);
    };
    const char *dialog = "PolImprim";
    row("vkFrame10",
        u"Inscrivez ci-dessous le texte qui sera apparîtra en Tête de la Liste imprimée"_qs,
        dialog);
    row("vkFrame11", u"Choix du texte des Lignes d'exemple"_qs, dialog, "vkFrame10");
    row("vkFrame12", u"Choix de la Liste"_qs, dialog, "vkFrame11");
    row("vkFrame13", u"Choix d'impression"_qs, dialog, "vkFrame11", "vkFrame12");
    row("vkFrame16", u"Taile des polices"_qs, dialog, "vkFrame11", "vkFrame13");
    row("vkFrame17", u"Aperçu avant impression"_qs, dialog, "vkFrame11", "vkFrame16");
    row("vkFrame14", u"Espacer les polices"_qs, dialog, "vkFrame12");
    row("vkFrame15", u"Avec N° de police"_qs, dialog, "vkFrame13", "vkFrame14");
    row("TitreEstimPages", u"Nombre de pages"_qs, dialog, "vkFrame16", "vkFrame15");
    row("vkFrame18", u"Barre d'avancement de recalcul"_qs, dialog, "vkFrame14");
    row("Porte_Barre_Impr", u"Progression de l'impression"_qs, dialog, "TitreEstimPages",
        "vkFrame18");
    row("Impression", u"Imprimer"_qs, dialog, "vkFrame18");
    row("Fermer", u"Fermer"_qs, dialog, "Porte_Barre_Impr", "Impression");
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

void TestPolImprim::controlsAtTheirPlace()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QString, parent);
    QFETCH(QString, above);
    QFETCH(QString, leftOf);

    startWith(kFonts);
    open();
    QWidget *widget = control<QWidget>(name);
    QVERIFY(widget);
    QVERIFY(widget->isVisible());
    QCOMPARE(widget->parentWidget()->objectName(), parent);
    // Inside its parent, whole.
    QVERIFY2(widget->parentWidget()->rect().contains(widget->geometry()),
        qPrintable(u"%1 in %2"_qs.arg(widget->geometry().width()).arg(parent)));
    if (!caption.isEmpty()) {
        if (auto *frame = qobject_cast<VkFrame *>(widget))
            QCOMPARE(frame->Caption(), caption);
        else if (auto *button = qobject_cast<QAbstractButton *>(widget))
            QCOMPARE(button->text(), caption);
        else
            QCOMPARE(qobject_cast<QLabel *>(widget)->text(), caption);
    }
    if (!above.isEmpty())
        QVERIFY(control<QWidget>(above)->geometry().bottom() < widget->geometry().top());
    if (!leftOf.isEmpty())
        QVERIFY(control<QWidget>(leftOf)->geometry().right() < widget->geometry().left());
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

void TestPolImprim::handlerTable_data()
{
    // "click A B" clicks those controls in turn; the other actions are named below.
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("estimates");
    QTest::addColumn<QString>("state"); // list, content twice, spacing, numbering
    QTest::addColumn<QByteArray>("ini"); // the whole settings file after, empty when none

    const QByteArray lines(
        "[Textes]\r\n1\xb0_Ligne= Portez ce vieux whisky au juge blond qui fume\r\n"
        "2\xb0_Ligne=ABCDEFGHIJKLMNOP 0123456789 \xe9\xe8\xe7\xe0\xe2\xe4\xf9%\r\n");
    const auto row = [](const char *name, const char *action, int estimates, const QString &state,
                         const QByteArray &ini = {}) {
        QTest::newRow(name) << QString::fromLatin1(action) << estimates << state << ini;
    };
    row("Ch_Liste, each member", "click Ch_Liste0 Ch_Liste1", 2, u"L1 E00 S0 N0"_qs);
    row("Ch_Liste complete", "click Ch_Liste0", 1, u"L0 E00 S0 N0"_qs);
    row("Option_LC", "click Option_LC1", 1, u"L1 E11 S0 N0"_qs);
    row("Option_LC already chosen", "click Option_LC0", 0, u"L1 E00 S0 N0"_qs);
    row("Espace_Pol", "click Espace_Pol1", 1, u"L1 E00 S1 N0"_qs);
    row("Avec_No", "click Avec_No1", 1, u"L1 E00 S0 N1"_qs);
    row("Date_Heure clicked", "click Date_Heure0", 0, u"L1 E00 S0 N0"_qs,
        "[En-T\xeate]\r\nDateImpression=1\r\nHeureImpression=0\r\n");
    row("Date_Heure set by the program", "set Date_Heure1", 0, u"L1 E00 S0 N0"_qs,
        "[En-T\xeate]\r\nDateImpression=0\r\nHeureImpression=1\r\n");
    row("Texte1 focus loss", "leave Texte1", 0, u"L1 E00 S0 N0"_qs,
        "[En-T\xeate]\r\nTexte=Polices...\r\n");
    row("Texte1, switching application", "switch from Texte1", 0, u"L1 E00 S0 N0"_qs);
    row("Ligne_Exemple picked", "pick Ligne_Exemple1", 0, u"L1 E00 S0 N0"_qs,
        "[Textes]\r\n1\xb0_Ligne= abcdefghijklmnopqrstuvwxyz 0123456789 "
        "\xe9\xe8\xe7\xe0\xe2\xe4\r\n"
        "2\xb0_Ligne=ABCDEFGHIJKLMNOP 0123456789 \xe9\xe8\xe7\xe0\xe2\xe4\xf9%\r\n"
        "[TaillePolice]\r\nTaille=12\r\n");
    row("Ligne_Exemple focus loss", "leave Ligne_Exemple2", 0, u"L1 E00 S0 N0"_qs,
        "[Textes]\r\n1\xb0_Ligne= Portez ce vieux whisky au juge blond qui fume\r\n"
        "2\xb0_Ligne= Voix ambigu\xeb\r\n[TaillePolice]\r\nTaille=12\r\n");
    row("Taille_Police picked", "pick Taille_Police", 1, u"L1 E00 S0 N0"_qs,
        lines + "[TaillePolice]\r\nTaille=18\r\n");
    row("Taille_Police typed", "type Taille_Police", 1, u"L1 E00 S0 N0"_qs,
        lines + "[TaillePolice]\r\nTaille=124\r\n");
}

void TestPolImprim::handlerTable()
{
    QFETCH(QString, action);
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

    const QString name = action.section(u' ', -1);
    if (action.startsWith(u"click "_qs)) {
        for (const QString &clicked : action.mid(6).split(u' '))
            control<QAbstractButton>(clicked)->click();
    } else if (action.startsWith(u"set "_qs)) {
        control<VbCheckBox>(name)->setValue(1);
    } else if (action == u"leave Texte1"_qs) {
        control<VbTextBox>(name)->setFocus(Qt::TabFocusReason);
        control<VbComboBox>(u"Ligne_Exemple1"_qs)->setFocus(Qt::TabFocusReason);
    } else if (action.startsWith(u"switch from "_qs)) {
        auto *texte = control<VbTextBox>(name);
        texte->setFocus(Qt::TabFocusReason);
        QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
        QCoreApplication::sendEvent(texte, &away);
    } else if (action == u"leave Ligne_Exemple2"_qs) {
        auto *line = control<VbComboBox>(name);
        line->setFocus(Qt::TabFocusReason);
        line->lineEdit()->selectAll();
        line->lineEdit()->insert(u"Voix ambiguë"_qs);
        control<VbTextBox>(u"Texte1"_qs)->setFocus(Qt::TabFocusReason);
    } else {
        auto *box = control<VbComboBox>(name);
        box->setFocus(Qt::TabFocusReason);
        if (action.startsWith(u"pick "_qs)) {
            // One step down the list with the keyboard: from the first line, or from " 16".
            box->setCurrentIndex(name == u"Taille_Police"_qs ? 8 : 0);
            QTest::keyClick(box, Qt::Key_Down);
        } else {
            box->lineEdit()->end(false);
            typeInto(box, u"4"_qs);
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

// The list chosen again at every opening, the other options kept for the run only; the header
// options and the size come back from the settings file.
void TestPolImprim::choicesLastForTheRunOnly()
{
    startWith(kFonts);
    addToSelection(1);
    open();
    QVERIFY(control<VbOptionButton>(u"Ch_Liste1"_qs)->isEnabled());
    QVERIFY(control<VbOptionButton>(u"Ch_Liste1"_qs)->Value());
    QCOMPARE(m_h->app->state().ListeImprimee, 1);
    for (const char *name : { "Ch_Liste0", "Option_LC1", "Espace_Pol1", "Avec_No1", "Date_Heure0" })
        choose(name);
    QCOMPARE(m_h->app->state().ListeImprimee, 0);
    control<VbComboBox>(u"Taille_Police"_qs)->setText(u"24"_qs);
    closeDialog();
    open();
    QVERIFY(control<VbOptionButton>(u"Ch_Liste1"_qs)->Value());
    QCOMPARE(m_h->app->state().ListeImprimee, 1);
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
    QCOMPARE(control<VbCheckBox>(u"Date_Heure1"_qs)->Value(), 0);
    QCOMPARE(control<VbComboBox>(u"Taille_Police"_qs)->Text(), u"24"_qs);
}

void TestPolImprim::clearedHeaderTextComesBackAsTheDefault()
{
    startWith(kFonts);
    open();
    auto *texte = control<VbTextBox>(u"Texte1"_qs);
    texte->setFocus(Qt::TabFocusReason);
    texte->clear();
    control<VbComboBox>(u"Taille_Police"_qs)->setFocus(Qt::TabFocusReason);
    QCOMPARE(
        ProfileFile::readString(m_h->iniPath(), u"En-Tête", u"Texte", u"missing"_qs), QString());
    closeDialog();
    open();
    QCOMPARE(control<VbTextBox>(u"Texte1"_qs)->Text(), u"Polices..."_qs);
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

void TestPolImprim::previewFollowsTheOptions_data()
{
    QTest::addColumn<bool>("samples");
    QTest::addColumn<bool>("spacing");
    QTest::addColumn<bool>("numbers");
    QTest::addColumn<int>("cell");
    QTest::newRow("names only") << false << false << false << 0;
    QTest::newRow("samples") << true << false << false << 1;
    QTest::newRow("spacing") << false << true << false << 2;
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
    choose(samples ? "Option_LC1" : "Option_LC0");
    choose(spacing ? "Espace_Pol1" : "Espace_Pol0");
    choose(numbers ? "Avec_No1" : "Avec_No0");
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

void TestPolImprim::pageCountShown_data()
{
    QTest::addColumn<int>("fonts");
    QTest::addColumn<double>("pageHeight");
    QTest::addColumn<bool>("measurable");
    QTest::addColumn<bool>("samples");
    QTest::addColumn<bool>("spacing");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("barTwips");
    // Header 300 + 200 twips, each name line 240, each spacing line 200, each sample line
    // 20 twips per point of the 12-point sample size. The bar stops one step short.
    QTest::newRow("names on two pages") << 5 << 1000.0 << true << false << false << u"2"_qs << 2880;
    QTest::newRow("names spaced") << 5 << 1000.0 << true << false << true << u"3"_qs << 2880;
    QTest::newRow("blocks taller than the page")
        << 5 << 500.0 << true << true << false << u"6"_qs << 2880;
    // A printer without fonts leaves the complete list empty; the dialog can still be opened.
    QTest::newRow("empty list") << 0 << 15840.0 << true << true << true << u"1"_qs << 0;
    // Unknown, without a message box per keystroke.
    QTest::newRow("nothing can be measured")
        << 5 << 15840.0 << false << false << false << u"?"_qs << -1;
}

void TestPolImprim::pageCountShown()
{
    QFETCH(int, fonts);
    QFETCH(double, pageHeight);
    QFETCH(bool, measurable);
    QFETCH(bool, samples);
    QFETCH(bool, spacing);
    QFETCH(QString, expected);
    QFETCH(int, barTwips);
    startWith(kFonts.mid(0, fonts));
    m_h->printer.pageHeight = pageHeight;
    if (!measurable)
        m_h->printer.height = [](const ScriptedPrinter::Font &, const QString &) { return -1.0; };
    open();
    if (samples)
        choose("Option_LC1");
    if (spacing)
        choose("Espace_Pol1");
    QCOMPARE(estimate(), expected);
    if (barTwips >= 0)
        QCOMPARE(control<QFrame>(u"Barre"_qs)->width(), Twips::toPixels(barTwips));
    if (!measurable) {
        auto *box = control<VbComboBox>(u"Taille_Police"_qs);
        box->setFocus(Qt::TabFocusReason);
        typeInto(box, u"4"_qs);
        QCOMPARE(estimate(), expected);
    }
    QVERIFY(m_h->messages.asked.isEmpty());
    QVERIFY(control<VkCommand>(u"Fermer"_qs)->isEnabled());
}

void TestPolImprim::closingPutsTheLinesIntoPaneZero_data()
{
    QTest::addColumn<bool>("closeBox");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("pane");
    QTest::newRow("Fermer") << false << 1 << u"Voix ambiguë"_qs
                            << u" Voix ambiguë ABCDEFGHIJKLMNOP 0123456789 éèçàâäù%"_qs;
    QTest::newRow("close box") << true << 2 << u"Zoé"_qs
                               << u" Portez ce vieux whisky au juge blond qui fume Zoé"_qs;
}

void TestPolImprim::closingPutsTheLinesIntoPaneZero()
{
    QFETCH(bool, closeBox);
    QFETCH(int, line);
    QFETCH(QString, typed);
    QFETCH(QString, pane);
    startWith(kFonts);
    open();
    auto *box = control<VbComboBox>(u"Ligne_Exemple%1"_qs.arg(line));
    box->setFocus(Qt::TabFocusReason);
    box->setEditText(typed);
    control<VbTextBox>(u"Texte1"_qs)->setFocus(Qt::TabFocusReason);
    const QFont before = m_h->find<QLabel>(u"Exemple0"_qs)->font();
    if (closeBox) {
        QVERIFY(m_dialog->close());
        m_dialog = nullptr;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    } else {
        closeDialog();
    }
    QVERIFY(!m_h->ppal()->findChild<PolImprim *>());
    QVERIFY(m_h->messages.asked.isEmpty());
    QCOMPARE(m_h->find<QLabel>(u"Exemple0"_qs)->text(), pane);
    QCOMPARE(m_h->find<QLabel>(u"Exemple0"_qs)->font(), before);
    // Reopening builds the dialog afresh, with the list of sizes filled once.
    open();
    QCOMPARE(control<VbComboBox>(u"Taille_Police"_qs)->count(), 23);
    QCOMPARE(control<VbComboBox>(u"Ligne_Exemple%1"_qs.arg(line))->Text(), typed);
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
