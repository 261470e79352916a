// The printer service's destinations: where documents go, chosen from the menu of "Imprimer"
// or in Qt's print dialog, and the printer that draws them for the destination.
#include "printer/QtPrinterService.h"

#include <QPrinter>

void QtPrinterService::usePrinter(std::unique_ptr<QPrinter> printer)
{
    m_printer = std::move(printer);
    m_scaleHeight = -1;
    m_metrics.measureFor(m_printer.get(), m_printer->resolution());
}

QString QtPrinterService::destinationText() const
{
    return m_destination.text();
}

QStringList QtPrinterService::printerNames() const
{
    return Destination::printerNames();
}

bool QtPrinterService::choosePrinter(const QString &name)
{
    if (documentOpen() || !m_destination.choosePrinter(name))
        return false;
    usePrinter(m_destination.createPrinter());
    return true;
}

bool QtPrinterService::choosePdfFile(const QString &path)
{
    if (documentOpen() || !m_destination.choosePdfFile(path))
        return false;
    usePrinter(m_destination.createPrinter());
    return true;
}

bool QtPrinterService::chooseOptions(const std::function<bool(QPrinter &)> &ask)
{
    if (documentOpen())
        return false;
    const std::unique_ptr<QPrinter> asked = m_destination.createDialogPrinter();
    asked->setPageLayout(m_printer->pageLayout());
    if (!ask(*asked) || !m_destination.adopt(*asked))
        return false;
    auto printer = m_destination.createPrinter();
    printer->setPageLayout(asked->pageLayout());
    usePrinter(std::move(printer));
    return true;
}

QString QtPrinterService::proposedPdfFile() const
{
    return m_destination.proposedPdfFile();
}

QString QtPrinterService::printerName() const
{
    return m_destination.printerName();
}

bool QtPrinterService::pdfChosen() const
{
    return !m_destination.chosenPdf().isEmpty();
}

QString QtPrinterService::lastPdfFile() const
{
    return m_lastPdf;
}
