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
#include "widgets/Twips.h"
#include "widgets/WindowCentring.h"

#include <QCloseEvent>
#include <QFontInfo>
#include <QLabel>
#include <QShortcut>
#include <algorithm>
#include <vector>

using namespace TextHelpers;

namespace {

const QString kTexteInitial
    = QStringLiteral("Portez ce vieux whisky au juge blond qui fume ABCDEFGHIJKLMNOP 0123456789 "
                     "éèçàâäù%");
const QString kQuestionFermeture = QStringLiteral("Quitter l'application ?");
const QString kTitreFermeture = QStringLiteral("Contrôle de Fermeture");

QString indexed(const QString &word, int index)
{
    return word + QString::number(index);
}

// What a screen reader adds to the controls that both panes have.
QString paneName(int index)
{
    return index == 0 ? QStringLiteral("liste complète") : QStringLiteral("sélection");
}

void setBackground(QWidget *widget, QPalette::ColorRole role, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    palette.setColor(QPalette::Text, Qt::black);
    palette.setColor(QPalette::WindowText, Qt::black);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

} // namespace

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

void PolPpal::createControls()
{
    auto *client = new QWidget(this);
    setCentralWidget(client);
    Twips::resizeClient(this, 11070, 8010);

    auto frame = [](const QString &name, const QString &caption, QWidget *parent) {
        auto *f = new VkFrame(caption, parent);
        f->setObjectName(name);
        return f;
    };
    const QString options = QStringLiteral("Options d'affichage des exemples");
    vkFrame1[0] = frame(QStringLiteral("vkFrame10"), options, client);
    Twips::place(vkFrame1[0], 60, 60, 4635, 915);
    vkFrame1[1] = frame(QStringLiteral("vkFrame11"), QStringLiteral("Nb Polices"), client);
    Twips::place(vkFrame1[1], 4830, 60, 1455, 915);
    vkFrame1[3] = frame(QStringLiteral("vkFrame13"), options, client);
    Twips::place(vkFrame1[3], 6390, 60, 4635, 915);

    // The two panes' options share their captions, so each pane has its own letters; the
    // second size box has none left and is reached with Tab.
    const std::array<QChar, 2> grasKey { u'G', u'r' };
    const std::array<QChar, 2> italiqueKey { u'l', u'u' };
    const std::array<QChar, 2> tailleKey { u'T', QChar() };
    for (int i = 0; i < 2; ++i) {
        VkFrame *holder = vkFrame1[i == 0 ? 0 : 3];
        const QString pane = paneName(i);
        holder->setAccessibleName(options + QStringLiteral(", ") + pane);
        Gras[i] = new VbCheckBox(withMnemonic(QStringLiteral("Gras"), grasKey[i]), holder);
        Gras[i]->setObjectName(indexed(QStringLiteral("Gras"), i));
        Gras[i]->setAccessibleName(QStringLiteral("Gras, ") + pane);
        Twips::place(Gras[i], 90, 510, 975, 270);
        Italique[i]
            = new VbCheckBox(withMnemonic(QStringLiteral(" Italique"), italiqueKey[i]), holder);
        Italique[i]->setObjectName(indexed(QStringLiteral("Italique"), i));
        Italique[i]->setAccessibleName(QStringLiteral("Italique, ") + pane);
        Twips::place(Italique[i], 1470, 510, 1275, 240);
        Label1[i] = new QLabel(withMnemonic(QStringLiteral("Taille :"), tailleKey[i]), holder);
        Label1[i]->setObjectName(indexed(QStringLiteral("Label1"), i));
        Twips::place(Label1[i], 2940, i == 0 ? 510 : 480, 750, 285);
        Taille_Exemple[i] = new VbComboBox(holder);
        Taille_Exemple[i]->setObjectName(indexed(QStringLiteral("Taille_Exemple"), i));
        Taille_Exemple[i]->addItems({ QStringLiteral("8"), QStringLiteral("9"),
            QStringLiteral("10"), QStringLiteral("12"), QStringLiteral("14"), QStringLiteral("16"),
            QStringLiteral("18"), QStringLiteral("20"), QStringLiteral("24"), QStringLiteral("26"),
            QStringLiteral("28"), QStringLiteral("30"), QStringLiteral("36"), QStringLiteral("40"),
            QStringLiteral("46"), QStringLiteral("52"), QStringLiteral("60"), QStringLiteral("72"),
            QStringLiteral("80"), QStringLiteral("96") });
        Taille_Exemple[i]->setEditText(QStringLiteral("18"));
        Taille_Exemple[i]->setAccessibleName(QStringLiteral("Taille de l'exemple, ") + pane);
        Label1[i]->setBuddy(Taille_Exemple[i]);
        Label1[i]->setAccessibleName(QStringLiteral("Taille, ") + pane);
        Twips::place(Taille_Exemple[i], 3690, i == 0 ? 450 : 420, 855, 390);

        connect(Gras[i], &VbCheckBox::Click, this, [this, i] { Gras_Click(i); });
        connect(Italique[i], &VbCheckBox::Click, this, [this, i] { Italique_Click(i); });
        connect(
            Taille_Exemple[i], &VbComboBox::Change, this, [this, i] { Taille_Exemple_Change(i); });
        connect(
            Taille_Exemple[i], &VbComboBox::Click, this, [this, i] { Taille_Exemple_Click(i); });
        connect(Taille_Exemple[i], &VbComboBox::LostFocus, this,
            [this, i] { Taille_Exemple_LostFocus(i); });
    }

    NbrePol = new QLabel(QStringLiteral("000"), vkFrame1[1]);
    NbrePol->setObjectName(QStringLiteral("NbrePol"));
    NbrePol->setAlignment(Qt::AlignCenter);
    NbrePol->setAccessibleDescription(QStringLiteral("Nombre de polices de l'imprimante"));
    setBackground(NbrePol, QPalette::Window, QColor(255, 255, 0));
    Twips::place(NbrePol, 90, 405, 1275, 405);

    ListComplete = frame(QStringLiteral("ListComplete"), QStringLiteral("Liste complète"), client);
    Twips::place(ListComplete, 30, 1020, 4305, 4425);
    List_S = frame(QStringLiteral("List_S"), QStringLiteral("Sélection"), client);
    Twips::place(List_S, 6720, 1020, 4305, 4425);
    const std::array<VkFrame *, 2> listFrames { ListComplete, List_S };
    const std::array<QColor, 2> listColours { QColor(192, 255, 255), QColor(192, 255, 192) };
    const std::array<QString, 2> listNames { QStringLiteral("Liste complète"),
        QStringLiteral("Liste de sélection") };
    for (int i = 0; i < 2; ++i) {
        Liste[i] = new VbListBox(listFrames[i]);
        Liste[i]->setObjectName(indexed(QStringLiteral("Liste"), i));
        Liste[i]->setAccessibleName(listNames[i]);
        setBackground(Liste[i], QPalette::Base, listColours[i]);
        Twips::place(Liste[i], 60, 450, 4155, 3840);
        connect(Liste[i], &VbListBox::GotFocus, this, [this, i] { Liste_GotFocus(i); });
        connect(Liste[i], &VbListBox::MouseDown, this, [this, i] { Liste_MouseDown(i); });
        connect(Liste[i], &VbListBox::KeyDown, this, [this, i](int key) { Liste_KeyDown(i, key); });
        connect(Liste[i], &VbListBox::DblClick, this, [this, i] { Liste_DblClick(i); });
    }

    auto button = [client](const QString &name, const QString &caption, QChar key, int top) {
        auto *b = new VkCommand(withMnemonic(caption, key), client);
        b->setObjectName(name);
        Twips::place(b, 4410, top, 2235, 525);
        return b;
    };
    Ajoute = button(QStringLiteral("Ajoute"), QStringLiteral("Ajouter    >>>"), u'A', 1440);
    Enleve = button(QStringLiteral("Enleve"), QStringLiteral("Enlever   <<<"), u'E', 2130);
    Enleve_Tout
        = button(QStringLiteral("Enleve_Tout"), QStringLiteral("Vider la sélection"), u'V', 2805);
    Imprimer = button(QStringLiteral("Imprimer"), QStringLiteral("Imprimer..."), u'I', 4170);
    Quitter = button(QStringLiteral("Quitter"), QStringLiteral("Quitter"), u'Q', 4860);
    // Arrows read aloud say nothing of what the buttons do.
    Ajoute->setAccessibleName(QStringLiteral("Ajouter à la sélection"));
    Enleve->setAccessibleName(QStringLiteral("Enlever de la sélection"));
    // Only a load that read at least one font enables them.
    Ajoute->setEnabled(false);
    Imprimer->setEnabled(false);
    connect(Ajoute, &QPushButton::clicked, this, &PolPpal::Ajoute_Click);
    connect(Enleve, &QPushButton::clicked, this, &PolPpal::Enleve_Click);
    connect(Enleve_Tout, &QPushButton::clicked, this, &PolPpal::Enleve_Tout_Click);
    connect(Imprimer, &QPushButton::clicked, this, &PolPpal::Imprimer_Click);
    connect(Quitter, &QPushButton::clicked, this, &PolPpal::Quitter_Click);
    // Spelt out: not every desktop theme binds the standard Print and Quit keys.
    auto *printKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_P), this);
    connect(printKey, &QShortcut::activated, Imprimer, &VkCommand::press);
    auto *quitKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this);
    connect(quitKey, &QShortcut::activated, Quitter, &VkCommand::press);

    const std::array<QString, 2> paneCaptions { QStringLiteral("Liste"),
        QStringLiteral("Sélection") };
    for (int i = 0; i < 2; ++i) {
        Cadre_Exemple[i]
            = frame(indexed(QStringLiteral("Cadre_Exemple"), i), paneCaptions[i], client);
        Twips::place(Cadre_Exemple[i], i == 0 ? 30 : 5550, 5490, 5475, 2505);
        // The frame's title is the font's name, the same in both panes at times.
        Cadre_Exemple[i]->setAccessibleDescription(QStringLiteral("Exemple, ") + paneName(i));
        Exemple[i] = new QLabel(kTexteInitial, Cadre_Exemple[i]);
        Exemple[i]->setObjectName(indexed(QStringLiteral("Exemple"), i));
        Exemple[i]->setAccessibleDescription(QStringLiteral("Texte d'exemple, ") + paneName(i));
        Exemple[i]->setWordWrap(true);
        Exemple[i]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        QFont font(QStringLiteral("Arial"));
        // The sample shows the font's own glyphs only, as the printed catalogue does.
        font.setStyleStrategy(QFont::NoFontMerging);
        font.setPointSizeF(18);
        font.setBold(i == 0);
        Exemple[i]->setFont(font);
        Twips::place(Exemple[i], 60, 420, 5355, 1995);
    }
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
    m_state.TexteExemple = m_state.LignesExemple[1] + u' ' + m_state.LignesExemple[2];
    for (int i = 0; i < 2; ++i) {
        QFont font = Exemple[i]->font();
        font.setItalic(Italique[i]->Value() == 1);
        Exemple[i]->setFont(font);
        Exemple[i]->setText(m_state.TexteExemple);
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
    Exemple[0]->setText(
        m_state.LignesExemple[1] + (separated ? QString() : QStringLiteral(" ")) + second);
}

void PolPpal::Affiche_Exemple(int position, int pane)
{
    if (Liste[pane]->ListIndex() < 0)
        return;
    Exemple[pane]->setText(m_state.TexteExemple);
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
