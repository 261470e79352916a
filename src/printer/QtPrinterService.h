#pragma once

#include "document/PdfFiles.h"
#include "fonts/FaceMetrics.h"
#include "printer/Destination.h"
#include "printer/PartWriters.h"
#include "printer/PrinterService.h"

#include <QDateTime>
#include <QPainter>
#include <QSet>

#include <functional>
#include <memory>

class PartedDocument;
class QPrinter;

// The default printer through Qt Print Support, as a facade over four units: the faces'
// metrics, the document in parts, the writers that draw the parts, and the destination. The
// lines of a document are placed here and drawn by the writers, each part into a PDF file of
// its own, and the parts are joined into one file: where the destination is a printer (a CUPS destination) the
// finished file is handed to it as one job, with the printer's own page size and margins;
// otherwise the file is kept, under the name the user chose or named after the moment the
// document began.
class QtPrinterService : public PrinterService
{
public:
    // metricsCache: the file that keeps faces' metrics between runs; empty for none.
    explicit QtPrinterService(
        const QString &pdfDirectory, const QString &metricsCache = defaultMetricsCache());
    ~QtPrinterService() override;

    int FontCount() override;
    QString Fonts(int i) override;
    void setFontName(const QString &name) override;
    void setFontSize(double points) override;
    void setFontBold(bool bold) override;
    void setFontItalic(bool italic) override;
    double TextHeight(const QString &text) override;
    void prepareFonts(const QStringList &items,
        const std::function<QString(const QString &)> &nameOf,
        const std::function<bool()> &keepGoing) override;
    double ScaleHeight() override;
    double CurrentY() override;
    bool Print(const QString &text) override;
    bool PrintSample(const QString &line) override;
    bool NewPage() override;
    bool EndDoc() override;
    void AbortDoc() override;
    void setDocumentTitle(const QString &title) override;
    void markEntry(const QString &title) override;
    void whileWaiting(const std::function<bool()> &keepGoing) override;

    QString destinationText() const override;
    QStringList printerNames() const override;
    bool choosePrinter(const QString &name) override;
    bool choosePdfFile(const QString &path) override;
    QString proposedPdfFile() const override;
    bool chooseOptions(const std::function<bool(QPrinter &)> &ask) override;
    QString printerName() const override;
    bool pdfChosen() const override;
    QString lastPdfFile() const override;
    std::optional<QPageLayout> previewLayout() const override;
    void setPreviewTarget(QPagedPaintDevice *target) override;

    bool printsToPdf() const { return m_destination.printsToPdf(); }

    // The metrics cache in the user's cache folder.
    static QString defaultMetricsCache();

    // How many parts of a document are drawn at once, from the next document on; as many as
    // cores, up to two, unless set.
    void setWriters(int writers) { m_writers.setWriters(writers); }

    // The moment a PDF file is named after; tests give a fixed one.
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

private:
    bool printLine(const QString &text, bool sample);
    // After a change of destination, or a printer whose engine failed: the destination's page
    // layout, and the faces measured for its resolution.
    void usePrinter(std::unique_ptr<QPrinter> printer);
    bool documentOpen() const;
    bool beginDocument();
    bool beginPart();
    bool endPart();
    // How many faces the writers hold at once, in all.
    qsizetype facesAtOnce();
    bool finishDocument();
    // Ends the open document, if any, and removes its files.
    void dropDocument();
    bool deliver();

    Destination m_destination;
    std::unique_ptr<QPrinter> m_printer;
    QPagedPaintDevice *m_previewTarget = nullptr;
    QPainter m_painter;
    FaceMetrics m_metrics;
    FontChoice m_choice;
    QStringList m_families;
    bool m_familiesRead = false;
    std::function<QDateTime()> m_clock = &QDateTime::currentDateTime;
    std::unique_ptr<PartedDocument> m_document;
    PartWriters m_writers;
    std::optional<PartPages> m_part; // being laid out
    std::function<bool()> m_keepGoing;
    QSet<FontChoice> m_facesInPart; // at size 0: the faces that the part embeds
    QDateTime m_begun;
    QString m_lastPdf;
    PdfFiles::DocumentInfo m_info; // of the document being drawn
    int m_page = 0; // the page being drawn, from 0, over every part
    double m_y = 0; // twips from the top of the printable area
    double m_scaleHeight = -1; // measured once: the page layout is fixed with the printer
};
