// The print dialog's controls: where each stands, in twips as the form was laid out, what it
// is called and which handler it calls.
#include "printing/PolImprim.h"

#include "app/TextHelpers.h"
#include "fonts/FontCensus.h"
#include "printer/PrinterService.h"
#include "printing/CatalogueLayout.h"
#include "widgets/Controls.h"
#include "widgets/Twips.h"

#include <QLabel>

using namespace TextHelpers;

namespace {

QFont arial(double points, bool bold = false)
{
    QFont font(FontCensus::onThisMachine(QStringLiteral("Arial")));
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

VbOptionButton *optionButton(
    const QString &name, const QString &caption, QWidget *parent, int left, int top, int width)
{
    auto *button = new VbOptionButton(caption, parent);
    button->setObjectName(name);
    button->setFont(arial(9));
    Twips::place(button, left, top, width, 330);
    return button;
}

} // namespace

void PolImprim::createControls()
{
    Twips::resizeClient(this, 11100, 8040);
    const QFont titleFont(FontCensus::onThisMachine(QStringLiteral("Calibri")), 10);
    auto frame = [this, &titleFont](const QString &name, const QString &caption, int left, int top,
                     int width, int height) {
        auto *f = new VkFrame(caption, this);
        f->setObjectName(name);
        f->setFont(titleFont);
        Twips::place(f, left, top, width, height);
        return f;
    };
    vkFrame1[0] = frame(QStringLiteral("vkFrame10"),
        QStringLiteral(
            "Inscrivez ci-dessous le texte qui sera apparîtra en Tête de la Liste imprimée"),
        150, 150, 10815, 1125);
    vkFrame1[1] = frame(QStringLiteral("vkFrame11"),
        QStringLiteral("Choix du texte des Lignes d'exemple"), 150, 1440, 10815, 1725);
    vkFrame1[2] = frame(
        QStringLiteral("vkFrame12"), QStringLiteral("Choix de la Liste"), 150, 3360, 2475, 1365);
    vkFrame1[3] = frame(
        QStringLiteral("vkFrame13"), QStringLiteral("Choix d'impression"), 2730, 3360, 2655, 1365);
    vkFrame1[6] = frame(
        QStringLiteral("vkFrame16"), QStringLiteral("Taile des polices"), 5490, 3360, 2055, 1365);
    vkFrame1[7] = frame(QStringLiteral("vkFrame17"), QStringLiteral("Aperçu avant impression"),
        7620, 3360, 3315, 4485);
    vkFrame1[4] = frame(
        QStringLiteral("vkFrame14"), QStringLiteral("Espacer les polices"), 150, 4920, 2475, 975);
    vkFrame1[5] = frame(
        QStringLiteral("vkFrame15"), QStringLiteral("Avec N° de police"), 2730, 4920, 2535, 975);
    TitreEstimPages = frame(QStringLiteral("TitreEstimPages"), QStringLiteral("Nombre de pages"),
        5370, 4920, 2175, 975);
    vkFrame1[8] = frame(QStringLiteral("vkFrame18"),
        QStringLiteral("Barre d'avancement de recalcul"), 150, 6060, 3885, 975);
    Porte_Barre_Impr = frame(QStringLiteral("Porte_Barre_Impr"),
        QStringLiteral("Progression de l'impression"), 4140, 6060, 3405, 975);

    Texte1 = new VbTextBox(vkFrame1[0]);
    Texte1->setObjectName(QStringLiteral("Texte1"));
    Texte1->setFont(arial(14.25, true));
    Texte1->setText(QStringLiteral("Polices..."));
    Texte1->setAccessibleName(QStringLiteral("Texte d'en-tête"));
    Twips::place(Texte1, 150, 420, 7770, 480);
    connect(Texte1, &VbTextBox::LostFocus, this, &PolImprim::Texte1_LostFocus);
    const std::array<QString, 2> dateCaptions { withMnemonic(QStringLiteral("+ DATE"), u'D'),
        withMnemonic(QStringLiteral("+ HEURE"), u'H') };
    const std::array<QString, 2> dateDescriptions { QStringLiteral("Ajoute la date à l'en-tête"),
        QStringLiteral("Ajoute l'heure à l'en-tête") };
    QFont times(FontCensus::onThisMachine(QStringLiteral("Times New Roman")), 12);
    times.setBold(true);
    for (int i = 0; i < 2; ++i) {
        Date_Heure[i] = new VbCheckBox(dateCaptions[i], vkFrame1[0]);
        Date_Heure[i]->setObjectName(QStringLiteral("Date_Heure%1").arg(i));
        Date_Heure[i]->setFont(times);
        Date_Heure[i]->setValue(1);
        Date_Heure[i]->setAccessibleDescription(dateDescriptions[i]);
        Twips::place(Date_Heure[i], i == 0 ? 8070 : 9360, 480, i == 0 ? 1260 : 1380, 375);
        connect(Date_Heure[i], &VbCheckBox::Click, this, [this, i] { Date_Heure_Click(i); });
    }

    const std::array<QStringList, 3> presets { QStringList(),
        QStringList { QStringLiteral("Portez ce vieux whisky au juge blond qui fume."),
            QStringLiteral("abcdefghijklmnopqrstuvwxyz 0123456789 éèçàâä") },
        QStringList { QStringLiteral("PORTEZ CE VIEUX WHISKY AU JUGE BLOND QUI FUME."),
            QStringLiteral("ABCDEFGHIJKLMNOP 0123456789 éèçàâäù%"),
            QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ 0123456789"),
            QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ &\"'(-_)$£¤µ%§*~#{[|`\\^@]}") } };
    for (int i = 1; i <= 2; ++i) {
        Label1[i - 1] = new QLabel(u'&' + QStringLiteral("%1° ligne :").arg(i), vkFrame1[1]);
        Label1[i - 1]->setObjectName(QStringLiteral("Label1%1").arg(i - 1));
        Label1[i - 1]->setFont(arial(9));
        Twips::place(Label1[i - 1], 150, i == 1 ? 540 : 1140, 930, 300);
        Ligne_Exemple[i] = new VbComboBox(vkFrame1[1]);
        Ligne_Exemple[i]->setObjectName(QStringLiteral("Ligne_Exemple%1").arg(i));
        Ligne_Exemple[i]->setFont(arial(14.25));
        Ligne_Exemple[i]->addItems(presets[i]);
        Ligne_Exemple[i]->setEditText(QString());
        Ligne_Exemple[i]->setAccessibleName(QStringLiteral("%1° ligne").arg(i));
        Label1[i - 1]->setBuddy(Ligne_Exemple[i]);
        Twips::place(Ligne_Exemple[i], 1110, i == 1 ? 420 : 1020, 9555, 480);
        connect(Ligne_Exemple[i], &VbComboBox::Click, this, [this, i] { Ligne_Exemple_Click(i); });
        connect(Ligne_Exemple[i], &VbComboBox::LostFocus, this,
            [this, i] { Ligne_Exemple_LostFocus(i); });
    }

    // The two OUI and NON pairs get no letters: Alt+O could not say which of them it means.
    Ch_Liste[0] = optionButton(QStringLiteral("Ch_Liste0"),
        withMnemonic(QStringLiteral("Liste complète"), u'c'), vkFrame1[2], 150, 450, 2200);
    Ch_Liste[1] = optionButton(QStringLiteral("Ch_Liste1"),
        withMnemonic(QStringLiteral("Liste Sélection"), u'S'), vkFrame1[2], 150, 870, 2200);
    Option_LC[1] = optionButton(QStringLiteral("Option_LC1"),
        withMnemonic(QStringLiteral("Nom + Exemple"), u'E'), vkFrame1[3], 150, 450, 2400);
    Option_LC[0] = optionButton(QStringLiteral("Option_LC0"),
        withMnemonic(QStringLiteral("Nom uniquement"), u'u'), vkFrame1[3], 150, 870, 2400);
    Espace_Pol[1] = optionButton(
        QStringLiteral("Espace_Pol1"), QStringLiteral("OUI"), vkFrame1[4], 150, 480, 1000);
    Espace_Pol[0] = optionButton(
        QStringLiteral("Espace_Pol0"), QStringLiteral("NON"), vkFrame1[4], 1300, 480, 1000);
    Avec_No[1] = optionButton(
        QStringLiteral("Avec_No1"), QStringLiteral("OUI"), vkFrame1[5], 150, 480, 1000);
    Avec_No[0] = optionButton(
        QStringLiteral("Avec_No0"), QStringLiteral("NON"), vkFrame1[5], 1300, 480, 1000);
    for (VbOptionButton *button : { Espace_Pol[1], Espace_Pol[0] })
        button->setAccessibleName(QStringLiteral("Espacer les polices, ") + button->text());
    for (VbOptionButton *button : { Avec_No[1], Avec_No[0] })
        button->setAccessibleName(QStringLiteral("Avec numéro de police, ") + button->text());
    Ch_Liste[1]->setValue(true);
    Option_LC[0]->setValue(true);
    Espace_Pol[0]->setValue(true);
    Avec_No[0]->setValue(true);
    for (int i = 0; i < 2; ++i) {
        connect(Ch_Liste[i], &VbOptionButton::Click, this, [this, i] { Ch_Liste_Click(i); });
        connect(Option_LC[i], &VbOptionButton::Click, this, [this, i] { Option_LC_Click(i); });
        connect(Espace_Pol[i], &VbOptionButton::Click, this, [this, i] { Espace_Pol_Click(i); });
        connect(Avec_No[i], &VbOptionButton::Click, this, [this, i] { Avec_No_Click(i); });
    }

    Taille_Police = new VbComboBox(vkFrame1[6]);
    Taille_Police->setObjectName(QStringLiteral("Taille_Police"));
    Taille_Police->setFont(arial(14.25));
    Twips::place(Taille_Police, 300, 570, 1455, 480);
    Taille_Police->setAccessibleName(QStringLiteral("Taille des polices imprimées"));
    connect(Taille_Police, &VbComboBox::Change, this, &PolImprim::Taille_Police_Change);
    connect(Taille_Police, &VbComboBox::Click, this, &PolImprim::Taille_Police_Click);

    Estim_Pages = new QLabel(QStringLiteral("000"), TitreEstimPages);
    Estim_Pages->setObjectName(QStringLiteral("Estim_Pages"));
    Estim_Pages->setFont(arial(15.75, true));
    Estim_Pages->setAlignment(Qt::AlignCenter);
    Estim_Pages->setAccessibleDescription(QStringLiteral("Nombre de pages estimé"));
    Twips::place(Estim_Pages, 90, 390, 1995, 480);

    Modele = new VbPicture(vkFrame1[7]);
    Modele->setObjectName(QStringLiteral("Modele"));
    Modele->setScaledContents(true);
    Modele->setToolTip(QStringLiteral("Voir les pages du catalogue avant de l'imprimer"));
    Modele->setAccessibleName(QStringLiteral("Image de la mise en page"));
    Modele->setAccessibleDescription(
        QStringLiteral("Entrée ouvre l'aperçu des pages du catalogue"));
    Twips::place(Modele, 82, 420, 3150, 3930);
    connect(Modele, &VbPicture::Click, this, &PolImprim::Modele_Click);
    // Tab reads the options row by row, as the eye does: the size sits beside the content.
    setTabOrder(Option_LC[0], Taille_Police);

    Porte_Barre = new QFrame(vkFrame1[8]);
    Porte_Barre->setObjectName(QStringLiteral("Porte_Barre"));
    Porte_Barre->setFrameShape(QFrame::Box);
    Porte_Barre->setAccessibleName(QStringLiteral("Fond de la barre de recalcul"));
    Twips::place(Porte_Barre, 210, 450, 3465, 300);
    auto bar = [](QWidget *parent, const QString &name, const QColor &colour, double full) {
        auto *b = new VbBar(colour, parent);
        b->setObjectName(name);
        b->setFullWidth(Twips::toPixels(int(full)));
        return b;
    };
    Barre = bar(
        Porte_Barre, QStringLiteral("Barre"), QColor(0, 0, 128), CatalogueLayout::kBarreWidth);
    Barre->setAccessibleName(vkFrame1[8]->Caption());
    Barre->setAccessibleDescription(QStringLiteral("Avancement du calcul du nombre de pages"));
    Twips::place(Barre, 0, 0, 0, 300);
    Bar_Impr = bar(Porte_Barre_Impr, QStringLiteral("Bar_Impr"), QColor(0, 160, 0),
        CatalogueLayout::kBarImprWidth);
    Bar_Impr->setAccessibleName(Porte_Barre_Impr->Caption());
    Bar_Impr->setAccessibleDescription(QStringLiteral("Avancement de l'impression"));
    Twips::place(Bar_Impr, 135, 450, 0, 300);

    auto button = [this](const QString &name, const QString &caption, int left) {
        auto *b = new VkCommand(withMnemonic(caption, caption.front()), this);
        b->setObjectName(name);
        Twips::place(b, left, 7350, 2235, 525);
        return b;
    };
    Impression = button(QStringLiteral("Impression"), QStringLiteral("Imprimer"), 2760);
    Fermer = button(QStringLiteral("Fermer"), QStringLiteral("Fermer"), 5310);
    connect(Impression, &QPushButton::clicked, this, &PolImprim::Impression_Click);
    // The destination is shown on the button; its context menu (or the keyboard's menu key)
    // offers the others.
    showDestination();
    Impression->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(
        Impression, &QWidget::customContextMenuRequested, this, &PolImprim::Impression_MenuDemande);
    connect(Fermer, &QPushButton::clicked, this, &PolImprim::Fermer_Click);
}
