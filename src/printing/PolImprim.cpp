#include "printing/PolImprim.h"

#include "app/BusyCursor.h"
#include "app/ProgramState.h"
#include "app/Settings.h"
#include "app/SizeLimit.h"
#include "app/TextHelpers.h"
#include "printer/PrinterService.h"
#include "printing/ApercuPages.h"
#include "printing/CatalogueLayout.h"
#include "printing/PreviewStrip.h"
#include "widgets/Controls.h"
#include "widgets/LongOperation.h"
#include "widgets/MessageBoxes.h"
#include "widgets/Twips.h"

#include <QDateTime>
#include <QLocale>
#include <QPixmap>
#include <QPrinter>

using namespace TextHelpers;

namespace {

constexpr qint64 kRepaintIntervalMs = 16;

// Only the blanks that a saved line carries in front go: a line may begin or end with a tab,
// a no-break space or another white space on purpose.
QString withoutBlanksAround(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == u' ')
        ++begin;
    while (end > begin && text[end - 1] == u' ')
        --end;
    return text.sliced(begin, end - begin);
}

} // namespace

PolImprim::PolImprim(ProgramState &state, PrinterService &printer, MessageBoxes &messages,
    const VbListBox *complete, const VbListBox *selection, QWidget *mainWindow)
    : QDialog(mainWindow)
    , m_state(state)
    , m_printer(printer)
    , m_messages(messages)
    , m_complete(complete)
    , m_selection(selection)
{
    setObjectName(QStringLiteral("PolImprim"));
    setWindowTitle(QStringLiteral("Typovise                      Choix de l'impression"));
    createControls();

    // Centred on the main window as it stands now, whatever the screen.
    if (mainWindow) {
        const QRect main = mainWindow->frameGeometry();
        const QSize own = frameGeometry().size();
        move(main.left() + int(float(main.width() - own.width()) / 2.0f),
            main.top() + int(float(main.height() - own.height()) / 2.0f));
    }
}

void PolImprim::setBarWidth(QFrame *bar, double twips, QElapsedTimer &sinceRepaint, bool force)
{
    const int pixels = Twips::toPixels(int(twips));
    if (bar->width() == pixels)
        return;
    bar->resize(pixels, bar->height());
    // The run does not return to the event loop: the bar is repainted by hand, but no more
    // often than a screen can show it.
    if (force || !sinceRepaint.isValid() || sinceRepaint.elapsed() >= kRepaintIntervalMs) {
        bar->parentWidget()->repaint();
        sinceRepaint.restart();
    }
}

void PolImprim::Form_Activate()
{
    Curseur_Attente();
    setBarWidth(Bar_Impr, 0, m_sinceBarRepaint, true);
    m_state.RemplissageEnCours = true;
    for (qsizetype at = 0; at + 3 <= m_state.ListeTailles.size(); at += 3)
        Taille_Police->addItem(m_state.ListeTailles.mid(at, 3));
    Taille_Police->setText(plainDecimal(m_state.TaillePolice));
    for (int i = 1; i <= 2; ++i)
        Ligne_Exemple[i]->setText(withoutBlanksAround(m_state.LignesExemple[i]));
    if (m_selection && m_selection->ListCount() > 0) {
        Ch_Liste[1]->setEnabled(true);
        Ch_Liste[1]->setValue(true);
        m_state.ListeImprimee = 1;
    } else {
        Ch_Liste[1]->setEnabled(false);
        Ch_Liste[0]->setValue(true);
        m_state.ListeImprimee = 0;
    }
    const QString header
        = Settings::readText(m_state.FichierIni, Settings::kEnTete, QStringLiteral("Texte"));
    if (!header.isEmpty())
        Texte1->setText(header);
    Date_Heure[0]->setValue(
        Settings::readInt(m_state.FichierIni, Settings::kEnTete, QStringLiteral("DateImpression")));
    Date_Heure[1]->setValue(Settings::readInt(
        m_state.FichierIni, Settings::kEnTete, QStringLiteral("HeureImpression")));
    if (m_state.ApercuExemple)
        Option_LC[1]->setValue(true);
    if (m_state.EspacePolices)
        Espace_Pol[1]->setValue(true);
    if (m_state.AvecNumero)
        Avec_No[1]->setValue(true);
    repaint();
    m_state.RemplissageEnCours = false;
    Nb_Pages();
    Curseur_Normal();
}

void PolImprim::Ch_Liste_Click(int index)
{
    if (m_state.RemplissageEnCours)
        return;
    if (Ch_Liste[index]->Value())
        m_state.ListeImprimee = index;
    Nb_Pages();
}

void PolImprim::Option_LC_Click(int index)
{
    Q_UNUSED(index);
    if (m_state.RemplissageEnCours)
        return;
    m_state.AvecExemple = Option_LC[1]->Value();
    m_state.ApercuExemple = m_state.AvecExemple;
    Nb_Pages();
}

void PolImprim::Espace_Pol_Click(int index)
{
    Q_UNUSED(index);
    if (m_state.RemplissageEnCours)
        return;
    m_state.EspacePolices = Espace_Pol[1]->Value();
    Nb_Pages();
}

void PolImprim::Avec_No_Click(int index)
{
    Q_UNUSED(index);
    // Runs while the dialog fills its controls too: opening with numbering on estimates twice.
    m_state.AvecNumero = Avec_No[1]->Value();
    showPreview();
    Nb_Pages();
}

void PolImprim::Date_Heure_Click(int index)
{
    Q_UNUSED(index);
    if (m_state.RemplissageEnCours)
        return;
    Settings::write(m_state.FichierIni, Settings::kEnTete, QStringLiteral("DateImpression"),
        plainDecimal(Date_Heure[0]->Value()));
    Settings::write(m_state.FichierIni, Settings::kEnTete, QStringLiteral("HeureImpression"),
        plainDecimal(Date_Heure[1]->Value()));
}

void PolImprim::Texte1_LostFocus()
{
    Settings::write(m_state.FichierIni, Settings::kEnTete, QStringLiteral("Texte"), Texte1->Text());
}

void PolImprim::Ligne_Exemple_Click(int index)
{
    if (m_state.RemplissageEnCours)
        return;
    VbComboBox *box = Ligne_Exemple[index];
    const int chosen = box->currentIndex();
    m_state.LignesExemple[index] = u' ' + (chosen >= 0 ? box->itemText(chosen) : box->Text());
    Sauve_Fichini();
}

void PolImprim::Ligne_Exemple_LostFocus(int index)
{
    if (m_state.RemplissageEnCours)
        return;
    m_state.LignesExemple[index] = u' ' + Ligne_Exemple[index]->Text();
    Sauve_Fichini();
}

void PolImprim::tailleRule()
{
    if (m_state.RemplissageEnCours)
        return;
    m_state.TaillePolice
        = SizeLimit::refuseAbove(leadingNumber(Taille_Police->Text()), m_messages, *Taille_Police);
    Nb_Pages();
    Sauve_Fichini();
}

void PolImprim::Taille_Police_Change()
{
    tailleRule();
}

void PolImprim::Taille_Police_Click()
{
    tailleRule();
}

void PolImprim::Sauve_Fichini()
{
    for (int i = 1; i <= 2; ++i) {
        Settings::write(m_state.FichierIni, Settings::kTextes, Settings::sampleLineKey(i),
            m_state.LignesExemple[i]);
    }
    Settings::write(m_state.FichierIni, Settings::kTaillePolice, QStringLiteral("Taille"),
        plainDecimal(m_state.TaillePolice));
}

void PolImprim::showPreview()
{
    // The picture follows the copy of the content choice that the design keeps for it.
    const int k = CatalogueLayout::previewCell(
        m_state.EspacePolices, m_state.ApercuExemple, m_state.AvecNumero);
    // Stretched pixel by pixel, as the picture is drawn: smoothing would blur its one-pixel
    // lines into grey smears.
    Modele->setPixmap(QPixmap::fromImage(
        PClip.cell(k).scaled(Modele->size(), Qt::IgnoreAspectRatio, Qt::FastTransformation)));
    Modele->setProperty("cell", k);
}

QStringList PolImprim::entriesToPrint() const
{
    const VbListBox *list = m_state.ListeImprimee == 1 ? m_selection : m_complete;
    QStringList entries;
    if (list) {
        entries.reserve(list->ListCount());
        for (int i = 0; i < list->ListCount(); ++i)
            entries.append(list->List(i));
    }
    return entries;
}

CatalogueOptions PolImprim::catalogueOptions() const
{
    CatalogueOptions options;
    options.AvecExemple = m_state.AvecExemple;
    options.EspacePolices = m_state.EspacePolices;
    options.AvecNumero = m_state.AvecNumero;
    options.TaillePolice = m_state.TaillePolice;
    options.LignesExemple = m_state.LignesExemple;
    options.TexteEnTete = Texte1->Text();
    options.AvecDate = Date_Heure[0]->Value() == 1;
    options.AvecHeure = Date_Heure[1]->Value() == 1;
    return options;
}

void PolImprim::Nb_Pages()
{
    Curseur_Attente();
    setBarWidth(Barre, 0, m_sinceBarRepaint, true);
    const CatalogueLayout layout(m_printer, entriesToPrint(), catalogueOptions());
    LongOperation work(LongOperation::EscapeIgnored);
    const std::optional<qint64> pages = layout.Nb_Pages(
        [this](float width) { setBarWidth(Barre, width, m_sinceBarRepaint, false); },
        [&work] {
            work.beat();
            return true;
        });
    Barre->parentWidget()->repaint();
    if (pages) {
        Estim_Pages->setText(QString::number(*pages));
        Estim_Pages->setToolTip(QString());
    } else {
        // The printer could not measure any font; a message box per keystroke would keep the
        // user from correcting anything, so the count just says it is unknown.
        Estim_Pages->setText(QStringLiteral("?"));
        Estim_Pages->setToolTip(
            QStringLiteral("Nombre de pages inconnu : l'imprimante ne mesure aucune police."));
    }
    showPreview();
    Curseur_Normal();
}

void PolImprim::Fermer_Click()
{
    reject();
}

void PolImprim::Modele_Click()
{
    const std::optional<QPageLayout> page = m_printer.previewLayout();
    if (!page)
        return;
    // The destination's resolution, so that every position drawn is the one printed, and its
    // page, so that the pages break where they will on paper.
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageLayout(*page);
    printer.setFullPage(false);
    const CatalogueLayout layout(m_printer, entriesToPrint(), catalogueOptions());
    const QDateTime when = m_clock();
    ApercuPages apercu(
        &printer,
        [this, &layout, when](QPrinter *target) {
            Curseur_Attente();
            m_printer.setPreviewTarget(target);
            // No events meanwhile: the preview widget would start drawing its pages again
            // inside this very drawing.
            layout.print(when, QLocale::system());
            m_printer.setPreviewTarget(nullptr);
            Curseur_Normal();
        },
        this);
    m_apercu = &apercu;
    apercu.exec();
    m_apercu = nullptr;
}

void PolImprim::done(int result)
{
    // Escape, the close box and Alt+F close the dialog without moving the focus: the box being
    // typed in saves its text as if the focus had left it.
    raisePendingLostFocus(this);
    QDialog::done(result);
}

void PolImprim::Impression_Click()
{
    Fermer->setVisible(false);
    Curseur_Attente();
    const CatalogueLayout layout(m_printer, entriesToPrint(), catalogueOptions());
    LongOperation work(LongOperation::EscapeStops);
    const bool printed = layout.print(
        m_clock(), QLocale::system(),
        [this](float width) { setBarWidth(Bar_Impr, width, m_sinceBarRepaint, false); },
        [&work] {
            work.beat();
            return !work.escapePressed();
        });
    Bar_Impr->parentWidget()->repaint();
    Curseur_Normal();
    if (!printed && work.escapePressed()) {
        // The user stopped the run: the document was dropped, nothing reached the printer,
        // and the dialog stays open as it was.
        setBarWidth(Bar_Impr, 0, m_sinceBarRepaint, true);
        Fermer->setVisible(true);
        return;
    }
    if (!printed) {
        defautImpression();
        // The failed document was dropped, so the user may close the dialog or try again.
        Fermer->setVisible(true);
        return;
    }
    Q_EMIT imprime();
    accept();
}
