#include "printer/QtPrinterService.h"

#include "document/PartedDocument.h"
#include "fonts/FaceLoading.h"
#include "fonts/FontCensus.h"
#include "fonts/MetricsCache.h"
#include "fonts/SampleText.h"

#include <QDir>
#include <QPrinter>
#include <QRawFont>

QtPrinterService::QtPrinterService(const QString &pdfDirectory, const QString &metricsCache)
    : m_destination(pdfDirectory)
    , m_metrics(metricsCache)
    , m_document(std::make_unique<PartedDocument>())
{
    usePrinter(m_destination.createPrinter());
}

QtPrinterService::~QtPrinterService()
{
    dropDocument();
}

QString QtPrinterService::defaultMetricsCache()
{
    return MetricsCache::defaultPath();
}

int QtPrinterService::FontCount()
{
    if (!m_familiesRead) {
        m_families = FontCensus::families();
        m_familiesRead = true;
    }
    return int(m_families.size());
}

QString QtPrinterService::Fonts(int i)
{
    if (!m_familiesRead)
        FontCount();
    return m_families.value(i);
}

void QtPrinterService::setFontName(const QString &name)
{
    m_choice.name = name;
}

void QtPrinterService::setFontSize(double points)
{
    m_choice.size = usableSize(points);
}

void QtPrinterService::setFontBold(bool bold)
{
    m_choice.bold = bold;
}

void QtPrinterService::setFontItalic(bool italic)
{
    m_choice.italic = italic;
}

double QtPrinterService::TextHeight(const QString &text)
{
    // One line of the current font is as high whatever its text; the text only matters to
    // the caller's reading of the layout.
    Q_UNUSED(text);
    return m_metrics.line(m_choice).height;
}

void QtPrinterService::prepareFonts(const QStringList &items,
    const std::function<QString(const QString &)> &nameOf, const std::function<bool()> &keepGoing)
{
    m_metrics.prepare(m_choice, items, nameOf, keepGoing);
}

double QtPrinterService::ScaleHeight()
{
    if (m_scaleHeight < 0) {
        const int resolution = m_printer->resolution();
        m_scaleHeight
            = m_metrics.toTwips(m_printer->pageLayout().paintRectPixels(resolution).height());
    }
    return m_scaleHeight;
}

double QtPrinterService::CurrentY()
{
    return m_y;
}

bool QtPrinterService::beginDocument()
{
    if (m_painter.isActive())
        return true;
    if (m_previewTarget) {
        m_y = 0;
        return m_painter.begin(m_previewTarget);
    }
    // A PDF file is written beside its final name, so that giving it that name cannot fail
    // halfway; a printer job waits in the temporary directory until it is handed over.
    if (!m_document->begin(printsToPdf() ? m_destination.pdfFolder() : QDir::tempPath()))
        return false;
    m_y = 0;
    m_page = 0;
    m_begun = m_clock();
    if (beginPart())
        return true;
    dropDocument();
    renewPrinter();
    return false;
}

bool QtPrinterService::beginPart()
{
    m_facesInPart.clear();
    // Created by the printer itself, so that the finished file gets the user's usual
    // permissions rather than a temporary file's private ones.
    m_printer->setOutputFileName(m_document->nextPart());
    return m_painter.begin(m_printer.get());
}

bool QtPrinterService::endPart()
{
    const bool ended = m_painter.end() && m_printer->printerState() != QPrinter::Error;
    // Ending the part freed its subsets, but not the faces themselves: Qt's font cache keeps
    // every face loaded until a timer of the event loop trims it, which a printing run never
    // leaves time for. Emptying it lets the part's faces go; a font still in use loads its face
    // again when it is next drawn.
    QFont::cleanup();
    return ended && m_document->lastPartEndsWhole();
}

bool QtPrinterService::Print(const QString &text)
{
    return printLine(text, false);
}

bool QtPrinterService::PrintSample(const QString &line)
{
    return printLine(line, true);
}

bool QtPrinterService::printLine(const QString &text, bool sample)
{
    if (!beginDocument())
        return false;
    const FaceMetrics::Line line = m_metrics.line(m_choice);
    if (!text.isEmpty()) {
        FontChoice face = m_choice;
        face.size = 0;
        m_facesInPart.insert(face);
        double scale = 1.0;
        const QFont font = m_metrics.drawingFont(m_choice, scale);
        const double top = m_y * m_printer->resolution() / 1440.0;
        m_painter.save();
        m_painter.scale(scale, scale);
        m_painter.setFont(font);
        const FaceLoadingWithoutMatch drawingOnly;
        // Asked of the face the painter draws with, which is loaded once for both.
        const QString shown
            = sample ? SampleText::showable(text, QRawFont::fromFont(m_painter.font())) : text;
        m_painter.drawText(QPointF(0, top / scale + line.ascentPerPoint * font.pointSizeF()), shown);
        m_painter.restore();
    }
    m_y += line.height;
    return true;
}

bool QtPrinterService::NewPage()
{
    if (!beginDocument())
        return false;
    m_y = 0;
    if (m_previewTarget)
        return m_previewTarget->newPage();
    ++m_page;
    // Enough that the faces the layout names itself are embedded again only a few times.
    constexpr qsizetype kFacesPerPart = 200;
    if (m_facesInPart.size() < kFacesPerPart)
        return m_printer->newPage();
    return endPart() && beginPart();
}

bool QtPrinterService::EndDoc()
{
    m_y = 0;
    if (!m_painter.isActive())
        return true;
    if (m_previewTarget)
        return m_painter.end();
    const bool ended = finishDocument();
    dropDocument();
    if (!ended)
        renewPrinter();
    return ended;
}

bool QtPrinterService::finishDocument()
{
    m_info.creator = QStringLiteral("Typovise 2.0");
    m_info.pages = m_destination.options().pages;
    return endPart() && m_document->finish(m_info) && deliver();
}

void QtPrinterService::setDocumentTitle(const QString &title)
{
    m_info.title = title;
}

void QtPrinterService::markEntry(const QString &title)
{
    if (m_previewTarget || !beginDocument())
        return;
    // Where the line's top stands on the page, as a reader counts: points from the bottom.
    const QRectF paper = m_printer->pageLayout().fullRectPoints();
    const QRectF printable = m_printer->pageLayout().paintRectPoints();
    const double top = paper.height() - (printable.top() + m_y / 20.0);
    m_info.outline.append({ title, m_page, top });
}

bool QtPrinterService::deliver()
{
    if (!printsToPdf()) {
        m_lastPdf.clear();
        return m_destination.submit(m_document->file());
    }
    if (pdfChosen()) {
        if (!m_document->keepAs(m_destination.chosenPdf()))
            return false;
        m_lastPdf = m_destination.chosenPdf();
        return true;
    }
    const QString kept = m_document->keepInFolder(m_destination.pdfDirectory(), m_begun);
    if (kept.isEmpty())
        return false;
    m_lastPdf = kept;
    return true;
}

void QtPrinterService::AbortDoc()
{
    m_y = 0;
    const bool open = m_painter.isActive() || m_document->isOpen();
    dropDocument();
    if (open)
        renewPrinter();
}

void QtPrinterService::dropDocument()
{
    if (m_painter.isActive())
        m_painter.end();
    m_document->drop();
    m_facesInPart.clear();
    m_info = {};
}

std::optional<QPageLayout> QtPrinterService::previewLayout() const
{
    return m_printer->pageLayout();
}

void QtPrinterService::setPreviewTarget(QPagedPaintDevice *target)
{
    // A document still open belongs to the other device; it is dropped, not finished there.
    if (m_painter.isActive())
        AbortDoc();
    m_previewTarget = target;
}
