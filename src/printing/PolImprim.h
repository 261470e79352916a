// The print dialog and the catalogue it prints. The dialog reads its controls into the
// program-wide state, hands that state to the widget-free catalogue layout (the estimate and
// the printing run) and shows what comes back.
#pragma once

#include "printing/CatalogueLayout.h"
#include "printing/PreviewStrip.h"

#include <QDateTime>
#include <QDialog>
#include <QElapsedTimer>
#include <array>
#include <functional>

class MessageBoxes;
class PrinterService;
struct ProgramState;
class QFrame;
class QLabel;
class VbCheckBox;
class VbComboBox;
class VbListBox;
class VbOptionButton;
class VbPicture;
class ApercuPages;
class VbBar;
class VbTextBox;
class VkCommand;
class VkFrame;

class PolImprim : public QDialog
{
    Q_OBJECT
public:
    // The two lists are the main window's; the dialog only reads them.
    PolImprim(ProgramState &state, PrinterService &printer, MessageBoxes &messages,
        const VbListBox *complete, const VbListBox *selection, QWidget *mainWindow);

    // Fills the controls from the state and the settings file, then estimates the pages.
    void Form_Activate();

    VbOptionButton *choixListe(int index) const { return Ch_Liste[index]; }
    // The page preview while it is open, for tests that look at it.
    ApercuPages *apercu() const { return m_apercu; }
    // The clock the header's date and time are read from; tests give a fixed one.
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

Q_SIGNALS:
    // The printing run succeeded and the dialog is about to close.
    void imprime();

public Q_SLOTS:
    void done(int result) override;

private Q_SLOTS:
    void Ch_Liste_Click(int index);
    void Option_LC_Click(int index);
    void Espace_Pol_Click(int index);
    void Avec_No_Click(int index);
    void Date_Heure_Click(int index);
    void Texte1_LostFocus();
    void Ligne_Exemple_Click(int index);
    void Ligne_Exemple_LostFocus(int index);
    void Taille_Police_Change();
    void Taille_Police_Click();
    void Fermer_Click();
    void Impression_Click();
    void Modele_Click();
    void Impression_MenuDemande(const QPoint &at);
    void Destination_Click(const QString &printer);
    void FichierPdf_Click();
    void OptionsImpression_Click();

private:
    void createControls();
    void Nb_Pages();
    void Sauve_Fichini();
    // The current destination in the tooltip of "Imprimer", with the way to the others.
    void showDestination();
    // Shows the chosen destination, estimates the pages on its page and prints there.
    void imprimerSurLaDestination();
    // The one message of every printing failure.
    void defautImpression();
    void showPreview();
    void tailleRule();
    QStringList entriesToPrint() const;
    CatalogueOptions catalogueOptions() const;
    void setBarWidth(QFrame *bar, double twips, QElapsedTimer &sinceRepaint, bool force);

    ProgramState &m_state;
    PrinterService &m_printer;
    MessageBoxes &m_messages;
    const VbListBox *m_complete;
    const VbListBox *m_selection;
    QElapsedTimer m_sinceBarRepaint;
    std::function<QDateTime()> m_clock = &QDateTime::currentDateTime;
    const PreviewStrip PClip;
    ApercuPages *m_apercu = nullptr;

    std::array<VkFrame *, 9> vkFrame1 {};
    VkFrame *TitreEstimPages = nullptr;
    VkFrame *Porte_Barre_Impr = nullptr;
    VbTextBox *Texte1 = nullptr;
    std::array<VbCheckBox *, 2> Date_Heure {};
    std::array<QLabel *, 2> Label1 {};
    std::array<VbComboBox *, 3> Ligne_Exemple {}; // members 1 and 2
    std::array<VbOptionButton *, 2> Ch_Liste {};
    std::array<VbOptionButton *, 2> Option_LC {};
    std::array<VbOptionButton *, 2> Espace_Pol {};
    std::array<VbOptionButton *, 2> Avec_No {};
    VbComboBox *Taille_Police = nullptr;
    QLabel *Estim_Pages = nullptr;
    VbPicture *Modele = nullptr;
    QFrame *Porte_Barre = nullptr;
    VbBar *Barre = nullptr;
    VbBar *Bar_Impr = nullptr;
    VkCommand *Impression = nullptr;
    VkCommand *Fermer = nullptr;
};
