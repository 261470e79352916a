#include "printer/Destination.h"

#include "document/PaperLayout.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QPrinterInfo>

#include <cups/cups.h>

Destination::Destination(const QString &pdfDirectory)
    : m_pdfDirectory(pdfDirectory)
{
    const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    if (!printer.isNull())
        m_printer = printer.printerName();
}

QString Destination::pdfFolder() const
{
    return m_chosenPdf.isEmpty() ? m_pdfDirectory : QFileInfo(m_chosenPdf).absolutePath();
}

QString Destination::proposedPdfFile() const
{
    return QDir(pdfFolder()).filePath(QStringLiteral("Catalogue des polices.pdf"));
}

QString Destination::text() const
{
    if (!m_printer.isEmpty())
        return QStringLiteral("Imprimante : %1").arg(m_printer);
    if (!m_chosenPdf.isEmpty())
        return QStringLiteral("Fichier PDF : %1").arg(QDir::toNativeSeparators(m_chosenPdf));
    return QStringLiteral("Fichier PDF dans le dossier %1")
        .arg(QDir::toNativeSeparators(m_pdfDirectory));
}

QStringList Destination::printerNames()
{
    return QPrinterInfo::availablePrinterNames();
}

bool Destination::choosePrinter(const QString &name)
{
    if (QPrinterInfo::printerInfo(name).isNull())
        return false;
    m_printer = name;
    m_chosenPdf.clear();
    return true;
}

bool Destination::choosePdfFile(const QString &path)
{
    if (!QDir::isAbsolutePath(path) || QFileInfo(path).isDir())
        return false;
    m_printer.clear();
    m_chosenPdf = QDir::cleanPath(path);
    return true;
}

std::unique_ptr<QPrinter> Destination::createPrinter() const
{
    const QPrinterInfo info
        = m_printer.isEmpty() ? QPrinterInfo() : QPrinterInfo::printerInfo(m_printer);
    auto printer = info.isNull() ? std::make_unique<QPrinter>(QPrinter::HighResolution)
                                 : std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    const QPageLayout layout
        = info.isNull() ? PaperLayout::withoutPrinter() : printer->pageLayout();
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setPageLayout(layout);
    printer->setDocName(QStringLiteral("Typovise"));
    printer->setFullPage(false);
    return printer;
}

bool Destination::submit(const QString &file) const
{
    // A name may carry a CUPS instance ("printer/instance"); jobs go to the printer itself.
    const QByteArray printer = m_printer.section(u'/', 0, 0).toLocal8Bit();
    const QByteArray path = QFile::encodeName(file);
    // The page range is already cut out of the file; copies, their order and sides are the
    // printer's work.
    cups_option_t *options = nullptr;
    int count = 0;
    if (m_options.copies > 1) {
        count = cupsAddOption("copies", QByteArray::number(m_options.copies).constData(), count,
            &options);
        count = cupsAddOption("collate", m_options.collate ? "true" : "false", count, &options);
    }
    if (m_options.reverse)
        count = cupsAddOption("outputorder", "reverse", count, &options);
    const char *sides = m_options.duplex == QPrinter::DuplexLongSide ? "two-sided-long-edge"
        : m_options.duplex == QPrinter::DuplexShortSide              ? "two-sided-short-edge"
                                                                     : nullptr;
    if (sides)
        count = cupsAddOption("sides", sides, count, &options);
    // A stopped queue still takes the job and holds it until it is restarted; a queue that
    // rejects jobs, or a scheduler that has gone, gives no job.
    const int job
        = cupsPrintFile(printer.constData(), path.constData(), "Typovise", count, options);
    cupsFreeOptions(count, options);
    return job > 0;
}

std::unique_ptr<QPrinter> Destination::createDialogPrinter() const
{
    const QPrinterInfo info
        = m_printer.isEmpty() ? QPrinterInfo() : QPrinterInfo::printerInfo(m_printer);
    auto printer = info.isNull() ? std::make_unique<QPrinter>(QPrinter::HighResolution)
                                 : std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    if (info.isNull()) {
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(m_chosenPdf.isEmpty() ? proposedPdfFile() : m_chosenPdf);
    }
    printer->setCopyCount(m_options.copies);
    printer->setCollateCopies(m_options.collate);
    printer->setPageOrder(m_options.reverse ? QPrinter::LastPageFirst : QPrinter::FirstPageFirst);
    printer->setDuplex(m_options.duplex);
    if (!m_options.pages.isEmpty()) {
        printer->setPrintRange(QPrinter::PageRange);
        printer->setPageRanges(m_options.pages);
    }
    return printer;
}

bool Destination::adopt(const QPrinter &printer)
{
    const bool toFile = printer.outputFormat() == QPrinter::PdfFormat;
    Destination chosen = *this;
    if (toFile ? !chosen.choosePdfFile(printer.outputFileName())
               : !chosen.choosePrinter(printer.printerName()))
        return false;
    chosen.m_options.copies = std::max(1, printer.copyCount());
    chosen.m_options.collate = printer.collateCopies();
    chosen.m_options.reverse = printer.pageOrder() == QPrinter::LastPageFirst;
    chosen.m_options.duplex = printer.duplex();
    chosen.m_options.pages
        = printer.printRange() == QPrinter::PageRange ? printer.pageRanges() : QPageRanges();
    *this = chosen;
    return true;
}
