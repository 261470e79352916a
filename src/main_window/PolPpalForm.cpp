// The main window's controls: where each stands, in twips as the form was laid out, what it is
// called and which handler it calls.
#include "main_window/PolPpal.h"

#include "app/TextHelpers.h"
#include "fonts/FontCensus.h"
#include "widgets/Controls.h"
#include "widgets/SampleLabel.h"
#include "widgets/Twips.h"

#include <QLabel>
#include <QShortcut>

using namespace TextHelpers;

namespace {

const QString kTexteInitial
    = QStringLiteral("Portez ce vieux whisky au juge blond qui fume ABCDEFGHIJKLMNOP 0123456789 "
                     "éèçàâäù%");

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
        Exemple[i] = new SampleLabel(kTexteInitial, Cadre_Exemple[i]);
        Exemple[i]->setObjectName(indexed(QStringLiteral("Exemple"), i));
        Exemple[i]->setAccessibleDescription(QStringLiteral("Texte d'exemple, ") + paneName(i));
        Exemple[i]->setWordWrap(true);
        Exemple[i]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        QFont font(FontCensus::onThisMachine(QStringLiteral("Arial")));
        // The sample shows the font's own glyphs only, as the printed catalogue does.
        font.setStyleStrategy(QFont::NoFontMerging);
        font.setPointSizeF(18);
        font.setBold(i == 0);
        Exemple[i]->setFont(font);
        Twips::place(Exemple[i], 60, 420, 5355, 1995);
    }
}
