// The destinations of the print dialog: the menu of "Imprimer" offers the printers and a PDF
// file and the printer's own options, and choosing one prints there at once.
#include "printing/PolImprim.h"

#include "printer/PrinterService.h"
#include "widgets/Controls.h"
#include "widgets/MessageBoxes.h"

#include <QLabel>
#include <QMenu>

void PolImprim::Impression_MenuDemande(const QPoint &at)
{
    auto *menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("Destinations"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const QString current = m_printer.printerName();
    for (const QString &name : m_printer.printerNames()) {
        QAction *action = menu->addAction(name);
        action->setCheckable(true);
        action->setChecked(name == current);
        connect(action, &QAction::triggered, this, [this, name] { Destination_Click(name); });
    }
    if (!menu->isEmpty())
        menu->addSeparator();
    QAction *pdf = menu->addAction(QStringLiteral("Fichier PDF…"));
    pdf->setObjectName(QStringLiteral("FichierPdf"));
    connect(pdf, &QAction::triggered, this, &PolImprim::FichierPdf_Click);
    menu->addSeparator();
    QAction *options = menu->addAction(QStringLiteral("Options d'impression…"));
    options->setObjectName(QStringLiteral("OptionsImpression"));
    connect(options, &QAction::triggered, this, &PolImprim::OptionsImpression_Click);
    menu->popup(Impression->mapToGlobal(at));
}

void PolImprim::Destination_Click(const QString &printer)
{
    // A printer that went away since the menu was shown fails like any printing fault.
    if (!m_printer.choosePrinter(printer)) {
        defautImpression();
        return;
    }
    imprimerSurLaDestination();
}

void PolImprim::FichierPdf_Click()
{
    const QString file = m_messages.fichierPdf(m_printer.proposedPdfFile());
    if (file.isEmpty())
        return;
    if (!m_printer.choosePdfFile(file)) {
        defautImpression();
        return;
    }
    imprimerSurLaDestination();
}

void PolImprim::OptionsImpression_Click()
{
    // A range may name any page of the catalogue as estimated, or any at all before an
    // estimate could be made.
    bool known = false;
    const int estimate = Estim_Pages->text().toInt(&known);
    bool asked = false;
    const bool chosen = m_printer.chooseOptions([&](QPrinter &printer) {
        asked = m_messages.optionsImpression(printer, known ? estimate : 9999);
        return asked;
    });
    if (!asked)
        return;
    if (!chosen) {
        defautImpression();
        return;
    }
    imprimerSurLaDestination();
}

void PolImprim::defautImpression()
{
    m_messages.MsgBox(QStringLiteral("Défaut d'impression! Corrigez et recommencez."),
        MessageBoxes::Exclamation, QStringLiteral("Contrôle d'impression"));
}

void PolImprim::showDestination()
{
    // Nothing on screen announces a context menu: the tooltip says how to reach it.
    Impression->setToolTip(m_printer.destinationText()
        + QStringLiteral("\nAutres destinations : clic droit, touche Menu ou Maj+F10"));
}

void PolImprim::imprimerSurLaDestination()
{
    showDestination();
    // The new destination's page may hold more or fewer blocks.
    Nb_Pages();
    Impression_Click();
}
