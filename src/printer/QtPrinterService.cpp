#include "printer/QtPrinterService.h"

#include "document/PartedDocument.h"
#include "fonts/FontCensus.h"
#include "fonts/MetricsCache.h"

#include <QDir>
#include <QFile>
#include <QPrinter>

#include <algorithm>

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
        // Once the census is done, not beside it: both read every installed font.
        m_metrics.readAhead();
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

bool QtPrinterService::documentOpen() const
{
    return m_painter.isActive() || m_document->isOpen();
}

bool QtPrinterService::beginDocument()
{
    if (documentOpen())
        return true;
    m_y = 0;
    if (m_previewTarget)
        return m_painter.begin(m_previewTarget);
    // A PDF file is written beside its final name, so that giving it that name cannot fail
    // halfway; a printer job waits in the temporary directory until it is handed over.
    if (!m_document->begin(printsToPdf() ? m_destination.pdfFolder() : QDir::tempPath()))
        return false;
    m_page = 0;
    m_begun = m_clock();
    m_writers.setPage(m_printer->pageLayout(), m_printer->resolution());
    if (beginPart())
        return true;
    dropDocument();
    return false;
}

bool QtPrinterService::beginPart()
{
    m_facesInPart.clear();
    m_part = PartPages { m_document->nextPart(m_destination.options().pages) };
    // Created now, so that a folder nobody can write in stops the run at its first line, and
    // by the program itself, so that the finished file gets the user's usual permissions
    // rather than a temporary file's private ones.
    QFile file(m_part->file);
    return file.open(QIODevice::WriteOnly);
}

bool QtPrinterService::endPart()
{
    if (!m_part)
        return false;
    PartPages part = std::move(*m_part);
    m_part.reset();
    // The parts drawn meanwhile join the document while the writers draw the next ones.
    return m_writers.draw(std::move(part), m_keepGoing)
        && m_document->joinDrawn(m_writers.takeDrawn());
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
        PlacedLine placed;
        const QFont font = m_metrics.drawingFont(m_choice, placed.scale);
        placed.face = { font.family(), font.pointSizeF(), m_choice.bold, m_choice.italic };
        const double top = m_y * m_printer->resolution() / 1440.0;
        placed.baseline = QPointF(0, top / placed.scale + line.ascentPerPoint * font.pointSizeF());
        placed.text = text;
        placed.sample = sample;
        if (m_previewTarget)
            drawPlacedLine(m_painter, placed);
        else
            m_part->pages.last().append(placed);
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
    if (m_facesInPart.size() < facesAtOnce() / m_writers.writers()) {
        m_part->pages.append(QList<PlacedLine>());
        return true;
    }
    return endPart() && beginPart();
}

qsizetype QtPrinterService::facesAtOnce()
{
    // Enough that the faces the layout names itself are embedded again only a few times, and
    // fewer where more fonts are installed: the program itself then holds more (its font
    // lists, Qt's and fontconfig's), about 9 kB a family, and each face drawn with holds a
    // megabyte or more until its part ends. 175 among 4,000 families, 43 among 16,000.
    constexpr qsizetype kFamiliesTimesFaces = 700'000;
    return std::clamp<qsizetype>(kFamiliesTimesFaces / std::max(1, FontCount()), 40, 200);
}

bool QtPrinterService::EndDoc()
{
    m_y = 0;
    if (!documentOpen())
        return true;
    if (m_previewTarget)
        return m_painter.end();
    const bool ended = finishDocument();
    dropDocument();
    return ended;
}

bool QtPrinterService::finishDocument()
{
    m_info.creator = QStringLiteral("Typovise 2.0");
    return endPart() && m_writers.finish(m_keepGoing)
        && m_document->joinDrawn(m_writers.takeDrawn()) && m_document->finish(m_info) && deliver();
}

void QtPrinterService::whileWaiting(const std::function<bool()> &keepGoing)
{
    m_keepGoing = keepGoing;
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
    dropDocument();
}

void QtPrinterService::dropDocument()
{
    m_writers.cancel();
    if (m_painter.isActive())
        m_painter.end();
    m_part.reset();
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
    if (documentOpen())
        AbortDoc();
    m_previewTarget = target;
}
