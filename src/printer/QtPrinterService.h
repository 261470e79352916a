#pragma once

#include "fonts/FontFaces.h"
#include "fonts/MetricsCache.h"
#include "printer/PrinterService.h"

#include <QDateTime>
#include <QFont>
#include <QHash>
#include <QPainter>
#include <QSet>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

class QPrinter;
class WorkingFileGuard;

// The default printer through Qt Print Support. Every document is first drawn into a PDF file
// of its own: where the system has a default printer (a CUPS destination) the finished file
// is handed to it as one job, with the printer's own page size and margins; where it has none
// the file is kept in the given directory, named after the moment the document began.
//
// A long document is drawn in parts of a few hundred faces each, joined into that one file
// when it ends, so that printing thousands of fonts holds no more of them in memory than a
// part's.
//
// Only a finished document leaves that file: a document that is dropped or fails on its way
// reaches neither paper nor the directory, and a file is given its final name only once it is
// complete, so that not even a crash leaves a half catalogue under that name.
//
// A face's line is measured once, from the face's own file where the font list tells which
// file Qt would load (Qt's own measurement matches the face against every installed font
// first), and kept in the user's cache for the next runs; other faces are measured by Qt.
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
    bool NewPage() override;
    bool EndDoc() override;
    void AbortDoc() override;
    QString destinationText() const override;
    QStringList printerNames() const override;
    bool choosePrinter(const QString &name) override;
    bool choosePdfFile(const QString &path) override;
    QString pdfFolder() const override;
    std::optional<QPageLayout> previewLayout() const override;
    void setPreviewTarget(QPagedPaintDevice *target) override;

    bool printsToPdf() const { return m_destination.isEmpty(); }
    // Whether the user chose the PDF file the documents go to.
    bool pdfChosen() const { return !m_chosenPdf.isEmpty(); }
    // The CUPS destination the documents go to, empty when they become PDF files.
    QString printerName() const { return m_destination; }
    // The PDF file of the last document that was ended, empty when it went to a printer.
    QString lastPdfFile() const { return m_lastPdf; }

    // The metrics cache in the user's cache folder.
    static QString defaultMetricsCache();

    // The moment a PDF file is named after; tests give a fixed one.
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

private:
    // A printer that draws into a PDF file, on the destination's own page layout.
    std::unique_ptr<QPrinter> createPrinter() const;
    void renewPrinter();
    // After a change of destination: its page layout, and nothing measured for the old one.
    void useNewDestination();
    bool beginDocument();
    // Qt's PDF engine holds every face drawn with until its document ends, about a quarter of
    // a megabyte each: a document is drawn in parts of a bounded number of faces, which end at
    // a page boundary and are joined into one file when it is finished.
    bool beginPart();
    bool endPart();
    bool beginNextPart();
    // The parts become the working file, one document.
    bool joinParts();
    void removeParts();
    bool finishDocument();
    // Ends the open document, if any, and removes its working file and its parts.
    void dropDocument();
    bool keepPdf();
    bool sendToPrinter();
    double toTwips(double devicePixels) const;
    QFont deviceFont(double &scale) const;

    std::unique_ptr<QPrinter> m_printer;
    QPagedPaintDevice *m_previewTarget = nullptr;
    QPainter m_painter;
    // Brings m_font up to date with the choice; deviceFont() reads m_font, so it comes after.
    const QFont &currentFont();

    // The current font as the program chose it; the QFont is built from it only when a face
    // must be measured or drawn, since building one for every entry of a long list costs more
    // than the whole layout around it.
    struct FontChoice
    {
        QString name = QStringLiteral("Arial");
        double size = 12;
        bool bold = false;
        bool italic = false;
        bool operator==(const FontChoice &other) const = default;
    };
    friend size_t qHash(const FontChoice &choice, size_t seed);
    // A face's line measured once, at one size, per point of size: the faces of a scalable
    // font grow in proportion, so every other size is a multiplication. The estimate and the
    // run both take these numbers, so that they break pages alike; and a size typed anew
    // loads no face again.
    struct FaceMetrics
    {
        double heightPerPoint = -1; // twips; negative when the face cannot be measured
        double ascentPerPoint = 0; // device pixels
    };
    struct LineMetrics
    {
        double height = -1; // twips, negative when the face cannot be measured
        double ascentPerPoint = 0; // device pixels
    };
    LineMetrics lineMetrics();
    LineMetrics lineMetricsAtSize();
    FaceMetrics measureFace(double points);
    // From the files of the faces Qt may load, when they give one line.
    std::optional<FaceMetrics> measureFaceFiles(double points);
    FaceMetrics faceMetrics(const MetricsCache::Line &line, double points) const;
    static std::optional<MetricsCache::Line> agreedLine(
        const QList<std::optional<MetricsCache::Line>> &lines);
    std::optional<MetricsCache::Line> faceFilesLine(double points);
    std::optional<MetricsCache::Line> faceFileLine(
        const FontFaces::Face &face, int dpi, double pixelSize);
    // The family a name stands for: itself when installed, otherwise (the layout's "Arial" on
    // a machine without it) the family Qt puts in its place, asked once.
    const QString &installedFamily(const QString &name);

    FontChoice m_choice;
    QFont m_font;
    bool m_fontStale = true;
    QStringList m_families;
    bool m_familiesRead = false;
    QString m_destination;
    QString m_pdfDirectory;
    QString m_chosenPdf; // the PDF file the user chose, empty for a named one in m_pdfDirectory
    std::function<QDateTime()> m_clock = &QDateTime::currentDateTime;
    QString m_partFile; // the open document, under a name of its own until it is complete
    std::unique_ptr<WorkingFileGuard> m_guard; // removes m_partFile when a signal ends us
    int m_parts = 0; // parts begun, each in WorkingFileGuard::partPath(m_partFile, n)
    QSet<FontChoice> m_facesInPart; // at size 0: the faces that the part embeds
    QDateTime m_begun;
    QString m_lastPdf;
    double m_y = 0; // twips from the top of the printable area
    // By face (the choice at the measuring size): building font metrics on a printer loads
    // the face, which costs far more than the lookup.
    QHash<FontChoice, FaceMetrics> m_metrics;
    QStringList m_preparedItems; // the list whose fonts were last read ahead
    QHash<FontChoice, LineMetrics> m_sizedMetrics; // the faces measured at each size
    std::unique_ptr<FontFaces> m_faces;
    std::unique_ptr<MetricsCache> m_metricsCache;
    QHash<FontChoice, QString> m_installedFamilies; // by name, weight and slant
    double m_scaleHeight = -1; // measured once: the page layout is fixed with the printer
};
