// What Typovise needs of the printer, behind an interface that the windows receive from their
// owner, so that tests can hand them scripted versions.
//
// The printer service is the default printer as one object with one current font and one
// vertical print position. Lengths are in twips (1440 to the inch), sizes in points.
#pragma once

#include <QPageLayout>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QPagedPaintDevice;
class QPrinter;

class PrinterService
{
public:
    // Sizes the font system cannot take are clamped to this range. Qt refuses sizes of 0 or
    // below outright; one point is the smallest face that still has measurable metrics on
    // every device, and 2048 points is the largest size the program lets a user ask for.
    static constexpr double kSmallestSize = 1.0;
    static constexpr double kLargestSize = 2048.0;
    static double usableSize(double points);

    virtual ~PrinterService() = default;

    virtual int FontCount() = 0;
    virtual QString Fonts(int i) = 0;

    virtual void setFontName(const QString &name) = 0;
    virtual void setFontSize(double points) = 0;
    virtual void setFontBold(bool bold) = 0;
    virtual void setFontItalic(bool italic) = 0;

    // Height of one line of text in the current font, in twips; a negative value means that
    // the font could not be measured. Measuring opens no document.
    virtual double TextHeight(const QString &text) = 0;
    // The fonts of a list's items (nameOf gives an item's font) about to be measured in the
    // current style, so that a service may read them all at once, ahead; keepGoing is called
    // meanwhile and may call that off. Measuring afterwards gives the same heights either way.
    virtual void prepareFonts(const QStringList &items,
        const std::function<QString(const QString &)> &nameOf,
        const std::function<bool()> &keepGoing);
    virtual double ScaleHeight() = 0;
    virtual double CurrentY() = 0;

    // Output operations return false when the printer refused them; the document then stays
    // open until EndDoc or AbortDoc.
    virtual bool Print(const QString &text) = 0;
    // Prints a sample line in the current font, as that font can show it; a service that draws
    // no glyphs prints the line as it stands.
    virtual bool PrintSample(const QString &line);
    virtual bool NewPage() = 0;
    virtual bool EndDoc() = 0;
    // Drops the open document so that nothing of it reaches paper or file.
    virtual void AbortDoc() = 0;
    // What a reader shows of the document besides its pages: its title, and an outline entry
    // for the line the next Print starts. A service that writes no such thing ignores both.
    virtual void setDocumentTitle(const QString &title);
    virtual void markEntry(const QString &title);
    // What to call while an output operation waits for pages drawn elsewhere: the windows
    // stay painted meanwhile, and false from it calls the document off, the operation then
    // failing. A service that never waits ignores it.
    virtual void whileWaiting(const std::function<bool()> &keepGoing);

    // Where documents go, in the user's words: the printer's name, or the PDF file and where.
    virtual QString destinationText() const;
    // Every printer a document may go to instead, as the printing system names them.
    virtual QStringList printerNames() const;
    // The documents that follow go to that printer, on its own page layout, or into that PDF
    // file (an absolute path, replaced when it exists); false leaves the destination as it was.
    virtual bool choosePrinter(const QString &name);
    virtual bool choosePdfFile(const QString &path);
    // The destination and the job's options (copies, sides, a page range, the paper) as the
    // user sets them up, in ask, on a printer that stands for the current destination; they
    // hold for every document that follows. False, leaving everything as it was, when ask gave
    // up or what it chose cannot be used.
    virtual bool chooseOptions(const std::function<bool(QPrinter &)> &ask);
    // Where a PDF file would go by default: a file to propose to the user.
    virtual QString proposedPdfFile() const;
    // The printer documents go to, as the printing system names it; empty when they become
    // PDF files.
    virtual QString printerName() const;
    // Whether the user chose the PDF file documents go to.
    virtual bool pdfChosen() const;
    // The PDF file of the last document ended, empty when it went to a printer.
    virtual QString lastPdfFile() const;

    // The destination's page (paper and margins) for a print preview to draw on, at the
    // printer's high resolution; none when this service cannot show its pages.
    virtual std::optional<QPageLayout> previewLayout() const;
    // While a target is set, documents are drawn onto it, measured exactly as for the
    // destination, and ending one sends nothing anywhere. nullptr goes back to the destination.
    virtual void setPreviewTarget(QPagedPaintDevice *target);
};
