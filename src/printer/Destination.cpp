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
    // A stopped queue still takes the job and holds it until it is restarted; a queue that
    // rejects jobs, or a scheduler that has gone, gives no job.
    const int job = cupsPrintFile(printer.constData(), path.constData(), "Typovise", 0, nullptr);
    return job > 0;
}
