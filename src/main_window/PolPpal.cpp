#include "main_window/PolPpal.h"

#include "app/BusyCursor.h"
#include "app/ProgramState.h"
#include "app/Settings.h"
#include "app/SizeLimit.h"
#include "app/TextHelpers.h"
#include "fonts/FontCensus.h"
#include "printer/PrinterService.h"
#include "widgets/Controls.h"
#include "widgets/MessageBoxes.h"
#include "widgets/SampleLabel.h"
#include "widgets/WindowCentring.h"

#include <QCloseEvent>
#include <QFontInfo>
#include <QLabel>
#include <algorithm>
#include <vector>

using namespace TextHelpers;

namespace {

const QString kQuestionFermeture = QStringLiteral("Quitter l'application ?");
const QString kTitreFermeture = QStringLiteral("Contrôle de Fermeture");

} // namespace

QString PolPpal::indexed(const QString &word, int index)
{
    return word + QString::number(index);
}

PolPpal::PolPpal(ProgramState &state, PrinterService &printer, MessageBoxes &messages,
    const QString &settingsFile, QWidget *parent)
    : QMainWindow(parent)
    , m_state(state)
    , m_printer(printer)
    , m_messages(messages)
    , m_settingsFile(settingsFile)
{
    setObjectName(QStringLiteral("PolPpal"));
    setWindowTitle(QStringLiteral("Typovise    par Noël VERTANGE           Version  2.0"));
    createControls();
}

void PolPpal::Form_Load()
{
    WindowCentring::centreOnScreen(this);

    m_state.FichierIni = m_settingsFile;
    m_state.ListeImprimee = 0;
    m_state.AvecNumero = false;
    m_state.ApercuExemple = false;
    Exemple[1]->setVisible(false);
    Curseur_Attente();
    m_state.ListeTailles = ProgramState::kListeTailles;
    m_state.TaillePolice = 12;
    m_state.LignesExemple[1] = ProgramState::kLigneExemple1;
    m_state.LignesExemple[2] = ProgramState::kLigneExemple2;
    Liste[0]->Clear();
    Liste[1]->Clear();
    Enleve->setVisible(false);
    Enleve_Tout->setVisible(false);
    Q_EMIT choixSelectionDisponible(false);
    setSelectionCaption();

    // The names are gathered while the counter advances and sorted once at the end: a stable
    // sort with the list's own order gives exactly what inserting each name at its sorted
    // place would, without moving thousands of rows of the list for every font.
    const int fontCount = m_printer.FontCount();
    std::vector<QString> names;
    names.reserve(size_t(std::max(fontCount, 0)));
    for (int i = 0; i < fontCount; ++i) {
        names.push_back(m_printer.Fonts(i));
        Q_EMIT policeLue(i + 1);
    }
    NbrePol->setText(names.empty() ? QStringLiteral("000") : QString::number(names.size()));
    std::stable_sort(names.begin(), names.end(),
        [this](const QString &a, const QString &b) { return Liste[0]->lessThan(a, b); });

    const int digits = numberFieldWidth(fontCount);
    QStringList entries;
    entries.reserve(qsizetype(names.size()));
    for (size_t i = 0; i < names.size(); ++i)
        entries.append(numberedEntry(qint64(i) + 1, digits, names[i]));
    Liste[0]->addItems(entries);

    if (Liste[0]->ListCount() > 0) {
        Ajoute->setEnabled(true);
        Imprimer->setEnabled(true);
        Liste[0]->setCurrentRow(0);
        Liste[0]->setSelected(0, true);
        m_state.ListeCourante = 0;
        Affiche_Exemple(Liste[0]->ListIndex(), 0);
    }
    ListComplete->setCaption(
        QStringLiteral("Liste complète = ") + signedNumberText(Liste[0]->ListCount()));

    for (int line = 1; line <= 2; ++line) {
        const QString stored = Settings::readText(
            m_state.FichierIni, Settings::kTextes, Settings::sampleLineKey(line));
        if (!stored.isEmpty())
            m_state.LignesExemple[line] = stored;
    }
    const int taille
        = Settings::readInt(m_state.FichierIni, Settings::kTaillePolice, QStringLiteral("Taille"));
    if (taille > 0)
        m_state.TaillePolice = taille;
    for (int i = 0; i < 2; ++i) {
        const int size = Settings::readInt(
            m_state.FichierIni, Settings::kOptions, indexed(QStringLiteral("Taille_Exemple"), i));
        if (size > 0)
            Taille_Exemple[i]->setText(plainDecimal(size));
    }
    for (int i = 0; i < 2; ++i)
        Gras[i]->setValue(Settings::readInt(
            m_state.FichierIni, Settings::kOptions, indexed(QStringLiteral("Gras"), i)));
    for (int i = 0; i < 2; ++i) {
        QFont font = Exemple[i]->font();
        font.setBold(Gras[i]->Value() == 1);
        Exemple[i]->setFont(font);
    }
    for (int i = 0; i < 2; ++i)
        Italique[i]->setValue(Settings::readInt(
            m_state.FichierIni, Settings::kOptions, indexed(QStringLiteral("Italique"), i)));
    m_state.TexteExemple = { m_state.LignesExemple[1], m_state.LignesExemple[2] };
    for (int i = 0; i < 2; ++i) {
        QFont font = Exemple[i]->font();
        font.setItalic(Italique[i]->Value() == 1);
        Exemple[i]->setFont(font);
        showTexteExemple(i);
    }
    Curseur_Normal();
    // The complete list is what the program is about: the keyboard starts there.
    focusOnFirstActivation(this, Liste[0]);
}

void PolPpal::Form_Activate()
{
    Q_EMIT activation();
    // Lines typed in the print dialog keep a leading blank; the default second line has
    // none, and the two sentences must not run together.
    const QString &second = m_state.LignesExemple[2];
    const bool separated = m_state.LignesExemple[1].endsWith(u' ') || second.startsWith(u' ');
    Exemple[0]->setSample({ m_state.LignesExemple[1], second },
        separated ? QString() : QStringLiteral(" "));
}

void PolPpal::Affiche_Exemple(int position, int pane)
{
    if (Liste[pane]->ListIndex() < 0)
        return;
    showTexteExemple(pane);
    m_state.EntreeListe = Liste[m_state.ListeCourante]->List(position);
    const std::optional<QString> name
        = displayFontName(m_state.EntreeListe, NbrePol->text().size());
    if (!name)
        return;
    m_state.NomPolice = *name;
    QFont font = Exemple[pane]->font();
    font.setFamily(m_state.NomPolice);
    Exemple[pane]->setFont(font);
    // Qt names a face of a family that several foundries offer with its foundry; the list
    // names the family alone, and so does the pane.
    m_state.NomPoliceReelle = FontCensus::familyName(QFontInfo(Exemple[pane]->font()).family());
    Cadre_Exemple[pane]->setCaption(m_state.NomPoliceReelle);
}

void PolPpal::showTexteExemple(int pane)
{
    Exemple[pane]->setSample(m_state.TexteExemple, QStringLiteral(" "));
}

void PolPpal::Liste_GotFocus(int index)
{
    m_state.ListeCourante = index;
    const int current = Liste[index]->ListIndex();
    if (current >= 0)
        Affiche_Exemple(current, index);
}

void PolPpal::Liste_MouseDown(int index)
{
    Liste_GotFocus(index);
}

void PolPpal::Liste_KeyDown(int index, int keyCode)
{
    VbListBox *list = Liste[index];
    const int current = list->ListIndex();
    if (current < 0)
        return;
    m_state.ListeCourante = index;
    // Each list's own command, as its button would give it.
    if (keyCode == VbListBox::kKeyReturn && index == 0) {
        Ajoute->press();
        return;
    }
    if (keyCode == VbListBox::kKeyDelete && index == 1) {
        Enleve->press();
        return;
    }
    int target = 0;
    if (keyCode == 38) {
        if (current == 0)
            return;
        target = current - 1;
    } else if (keyCode == 40) {
        if (current >= list->ListCount() - 1)
            return;
        target = current + 1;
    } else {
        return;
    }
    Affiche_Exemple(target, index);
    Exemple[1]->setVisible(true);
}

void PolPpal::Liste_DblClick(int index)
{
    if (index == 0)
        Ajoute->press();
}

void PolPpal::setSelectionCaption()
{
    List_S->setCaption(
        QStringLiteral("Liste de Sélection = ") + signedNumberText(Liste[1]->ListCount()));
}

void PolPpal::Ajoute_Click()
{
    VbListBox *complete = Liste[0];
    VbListBox *selection = Liste[1];
    if (complete->ListIndex() < 0)
        return;
    Exemple[1]->setVisible(true);
    for (int i = 0; i < complete->ListCount(); ++i) {
        if (complete->Selected(i)) {
            selection->AddItem(complete->List(i));
            m_state.DernierAjout = i;
        }
    }
    for (int i = selection->ListCount() - 1; i >= 1; --i) {
        if (selection->List(i) == selection->List(i - 1))
            selection->RemoveItem(i);
    }
    Enleve->setVisible(true);
    Enleve_Tout->setVisible(true);
    Q_EMIT choixSelectionDisponible(true);
    setSelectionCaption();
    if (selection->ListCount() >= 2)
        selection->clearSelection();
    Exemple[1]->setVisible(true);
    if (selection->ListCount() > 0)
        selection->setSelected(selection->ListCount() - 1, true);
    if (m_state.ListeCourante == 1) {
        // The position copied last is one of the complete list; read in the selection it
        // would name another font, so show that font's own entry there.
        const QString copied = complete->List(m_state.DernierAjout);
        for (int i = 0; i < selection->ListCount(); ++i) {
            if (selection->List(i) == copied) {
                Affiche_Exemple(i, 1);
                return;
            }
        }
    }
    Affiche_Exemple(m_state.DernierAjout, 1);
}

void PolPpal::Enleve_Click()
{
    VbListBox *selection = Liste[1];
    if (selection->ListIndex() < 0)
        return;
    for (int i = selection->ListCount() - 1; i >= 0; --i) {
        if (selection->Selected(i))
            selection->RemoveItem(i);
    }
    if (selection->ListCount() == 0) {
        Enleve->setVisible(false);
        Exemple[1]->setVisible(false);
        Enleve_Tout->setVisible(false);
        Q_EMIT choixSelectionDisponible(false);
    }
    setSelectionCaption();
    Cadre_Exemple[1]->setCaption(QString());
    Exemple[1]->setVisible(false);
}

void PolPpal::Enleve_Tout_Click()
{
    Liste[1]->Clear();
    Enleve->setVisible(false);
    Enleve_Tout->setVisible(false);
    Q_EMIT choixSelectionDisponible(false);
    setSelectionCaption();
    Exemple[1]->setVisible(false);
}

void PolPpal::Imprimer_Click()
{
    Q_EMIT impressionDemandee();
}

bool PolPpal::confirmQuit()
{
    return m_messages.MsgBox(kQuestionFermeture, MessageBoxes::Question, kTitreFermeture)
        != MessageBoxes::No;
}

void PolPpal::Quitter_Click()
{
    if (confirmQuit())
        Q_EMIT finDemandee();
}

void PolPpal::closeEvent(QCloseEvent *event)
{
    // The window is never closed the ordinary way: on Yes the program ends at once.
    event->ignore();
    if (confirmQuit())
        Q_EMIT finDemandee();
}

void PolPpal::Gras_Click(int index)
{
    QFont font = Exemple[index]->font();
    font.setBold(Gras[index]->Value() == 1);
    Exemple[index]->setFont(font);
    Settings::write(m_state.FichierIni, Settings::kOptions, indexed(QStringLiteral("Gras"), index),
        plainDecimal(Gras[index]->Value()));
}

void PolPpal::Italique_Click(int index)
{
    QFont font = Exemple[index]->font();
    font.setItalic(Italique[index]->Value() == 1);
    Exemple[index]->setFont(font);
    Settings::write(m_state.FichierIni, Settings::kOptions,
        indexed(QStringLiteral("Italique"), index), plainDecimal(Italique[index]->Value()));
}

void PolPpal::applySampleSize(int index)
{
    SizeLimit::refuseAbove(
        leadingNumber(Taille_Exemple[index]->Text()), m_messages, *Taille_Exemple[index]);
    QFont font = Exemple[index]->font();
    // Qt refuses sizes of 0 or below and would keep the old size with a warning; the sample
    // shows them at the smallest size the printer service measures them with.
    font.setPointSizeF(PrinterService::usableSize(leadingNumber(Taille_Exemple[index]->Text())));
    Exemple[index]->setFont(font);
    Exemple[index]->repaint();
}

void PolPpal::Taille_Exemple_Change(int index)
{
    applySampleSize(index);
}

void PolPpal::Taille_Exemple_Click(int index)
{
    applySampleSize(index);
}

void PolPpal::Taille_Exemple_LostFocus(int index)
{
    Settings::write(m_state.FichierIni, Settings::kOptions,
        indexed(QStringLiteral("Taille_Exemple"), index), Taille_Exemple[index]->Text().trimmed());
}
