#pragma once

#include <QPageRanges>
#include <QPrinter>
#include <QString>
#include <QStringList>

#include <memory>

// Where documents go: the system's default printer (a CUPS destination) when it has one, a
// printer the user chose, a PDF file the user chose, or else a PDF file named after its
// moment in the given folder.
class Destination
{
public:
    // What the user chose in Qt's print dialog, for every job that follows.
    struct JobOptions
    {
        int copies = 1;
        bool collate = true;
        bool reverse = false; // the last page first
        QPrinter::DuplexMode duplex = QPrinter::DuplexNone;
        QPageRanges pages; // numbered from 1; none for every page
    };

    // pdfDirectory: where documents become PDF files when there is no printer.
    explicit Destination(const QString &pdfDirectory);

    bool printsToPdf() const { return m_printer.isEmpty(); }
    // The CUPS destination documents go to, empty when they become PDF files.
    QString printerName() const { return m_printer; }
    // The PDF file the user chose, empty for one named in the folder.
    QString chosenPdf() const { return m_chosenPdf; }
    QString pdfDirectory() const { return m_pdfDirectory; }
    // The folder a PDF file goes to, or would by default.
    QString pdfFolder() const;
    // The PDF file to propose to a user who chooses one: in that folder.
    QString proposedPdfFile() const;
    // In the user's words: the printer's name, or the PDF file and where.
    QString text() const;

    // Every printer a document may go to, as the printing system names them.
    static QStringList printerNames();
    // False, leaving the destination as it was, for a printer the system does not know (any
    // more), or a path that is relative or a folder.
    bool choosePrinter(const QString &name);
    bool choosePdfFile(const QString &path);

    // A printer that draws into a PDF file, on the destination's own page layout. Qt's own
    // CUPS engine neither reports a job that CUPS refused nor can drop a document once begun;
    // drawing into a PDF file and submitting it whole does both.
    std::unique_ptr<QPrinter> createPrinter() const;
    // Hands a finished PDF file to the printer as one job, with the options' copies, their
    // order and sides; false when no job was made.
    bool submit(const QString &file) const;

    const JobOptions &options() const { return m_options; }
    // A printer for Qt's print dialog to show and change: the destination as the dialog knows
    // it (a printer of the system, or a PDF file), with the job options.
    std::unique_ptr<QPrinter> createDialogPrinter() const;
    // The destination and job options the user set up in Qt's print dialog on such a printer;
    // false, leaving both as they were, when the printer or file cannot be used.
    bool adopt(const QPrinter &printer);

private:
    JobOptions m_options;
    QString m_printer;
    QString m_pdfDirectory;
    QString m_chosenPdf;
};
