// The main window: the complete list of the printer's fonts, the selection built from it,
// and two sample panes with their display options. Its load step reads the fonts; its
// handlers keep the panes, the counts and the settings file in step with the user's actions.
#pragma once

#include <QMainWindow>
#include <array>

class MessageBoxes;
class PrinterService;
struct ProgramState;
class QLabel;
class SampleLabel;
class VbCheckBox;
class VbComboBox;
class VbListBox;
class VkCommand;
class VkFrame;

class PolPpal : public QMainWindow
{
    Q_OBJECT
public:
    PolPpal(ProgramState &state, PrinterService &printer, MessageBoxes &messages,
        const QString &settingsFile, QWidget *parent = nullptr);

    // Runs once, before the window is first shown: reads the fonts and restores the samples.
    void Form_Load();
    // Runs when the window gets the activation from another window of the program.
    void Form_Activate();

    VbListBox *liste(int index) const { return Liste[index]; }

Q_SIGNALS:
    // Raised for each font read during the load step, with the number read so far.
    void policeLue(int count);
    // Whether the print dialog may offer to print the selection.
    void choixSelectionDisponible(bool available);
    void impressionDemandee();
    // Raised first thing in the activation, so that the loading window goes away.
    void activation();
    // The user confirmed that the program ends now.
    void finDemandee();

protected:
    void closeEvent(QCloseEvent *event) override;

private Q_SLOTS:
    void Liste_GotFocus(int index);
    void Liste_MouseDown(int index);
    void Liste_KeyDown(int index, int keyCode);
    void Liste_DblClick(int index);
    void Ajoute_Click();
    void Enleve_Click();
    void Enleve_Tout_Click();
    void Imprimer_Click();
    void Quitter_Click();
    void Gras_Click(int index);
    void Italique_Click(int index);
    void Taille_Exemple_Change(int index);
    void Taille_Exemple_Click(int index);
    void Taille_Exemple_LostFocus(int index);

private:
    void createControls();
    // A control of a pair, named as the settings file names its key: "Gras0", "Gras1".
    static QString indexed(const QString &word, int index);
    void Affiche_Exemple(int position, int pane);
    void showTexteExemple(int pane);
    void applySampleSize(int index);
    void setSelectionCaption();
    bool confirmQuit();

    ProgramState &m_state;
    PrinterService &m_printer;
    MessageBoxes &m_messages;
    QString m_settingsFile; // empty: the settings last for the session

    std::array<VkFrame *, 4> vkFrame1 {};
    std::array<VbCheckBox *, 2> Gras {};
    std::array<VbCheckBox *, 2> Italique {};
    std::array<QLabel *, 2> Label1 {};
    std::array<VbComboBox *, 2> Taille_Exemple {};
    QLabel *NbrePol = nullptr;
    VkFrame *ListComplete = nullptr;
    VkFrame *List_S = nullptr;
    std::array<VbListBox *, 2> Liste {};
    VkCommand *Ajoute = nullptr;
    VkCommand *Enleve = nullptr;
    VkCommand *Enleve_Tout = nullptr;
    VkCommand *Imprimer = nullptr;
    VkCommand *Quitter = nullptr;
    std::array<VkFrame *, 2> Cadre_Exemple {};
    std::array<SampleLabel *, 2> Exemple {};
};
