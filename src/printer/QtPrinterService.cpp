#include "printer/QtPrinterService.h"

#include "document/DocumentFile.h"
#include "fonts/FaceLoading.h"
#include "fonts/FontCensus.h"
#include "fonts/FontFaces.h"
#include "fonts/MetricsCache.h"
#include "document/PaperLayout.h"
#include "document/PdfJoin.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cmath>

#include <cstdio>
#include <cups/cups.h>

QtPrinterService::QtPrinterService(const QString &pdfDirectory, const QString &metricsCache)
    : m_pdfDirectory(pdfDirectory)
    , m_faces(std::make_unique<FontFaces>())
    , m_metricsCache(std::make_unique<MetricsCache>(metricsCache))
{
    const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    if (!printer.isNull())
        m_destination = printer.printerName();
    m_printer = createPrinter();
}

QtPrinterService::~QtPrinterService()
{
    dropDocument();
    m_metricsCache->save();
}

QString QtPrinterService::defaultMetricsCache()
{
    return MetricsCache::defaultPath();
}

std::unique_ptr<QPrinter> QtPrinterService::createPrinter() const
{
    const QPrinterInfo info
        = m_destination.isEmpty() ? QPrinterInfo() : QPrinterInfo::printerInfo(m_destination);
    auto printer = info.isNull() ? std::make_unique<QPrinter>(QPrinter::HighResolution)
                                 : std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    // Qt's own CUPS engine neither reports a job that CUPS refused nor can drop a document
    // once begun; drawing into a PDF file and submitting it here does both.
    const QPageLayout layout
        = info.isNull() ? PaperLayout::withoutPrinter() : printer->pageLayout();
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setPageLayout(layout);
    printer->setDocName(QStringLiteral("Typovise"));
    printer->setFullPage(false);
    return printer;
}

void QtPrinterService::renewPrinter()
{
    // Qt's PDF engine keeps a failed write's error: every later document of the same printer
    // would be an empty file.
    const QPageLayout layout = m_printer->pageLayout();
    m_printer = createPrinter();
    m_printer->setPageLayout(layout);
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

size_t qHash(const QtPrinterService::FontChoice &choice, size_t seed)
{
    return qHashMulti(seed, choice.name, choice.size, choice.bold, choice.italic);
}

void QtPrinterService::setFontName(const QString &name)
{
    m_choice.name = name;
    m_fontStale = true;
}

void QtPrinterService::setFontSize(double points)
{
    m_choice.size = usableSize(points);
    m_fontStale = true;
}

void QtPrinterService::setFontBold(bool bold)
{
    m_choice.bold = bold;
    m_fontStale = true;
}

void QtPrinterService::setFontItalic(bool italic)
{
    m_choice.italic = italic;
    m_fontStale = true;
}

const QFont &QtPrinterService::currentFont()
{
    if (m_fontStale) {
        m_font = QFont(installedFamily(m_choice.name));
        // A catalogue shows what each font holds: a character the face lacks prints as the
        // face's own missing-glyph mark, never in another font's glyph.
        m_font.setStyleStrategy(QFont::NoFontMerging);
        m_font.setPointSizeF(m_choice.size);
        m_font.setBold(m_choice.bold);
        m_font.setItalic(m_choice.italic);
        m_fontStale = false;
    }
    return m_font;
}

// Large enough that the metrics' rounding to a device pixel is lost in the division, small
// enough for Qt to measure it on any printer.
static constexpr double kMeasuringPoints = 100.0;

QtPrinterService::LineMetrics QtPrinterService::lineMetrics()
{
    FontChoice face = m_choice;
    face.size = kMeasuringPoints;
    auto known = m_metrics.constFind(face);
    if (known == m_metrics.cend())
        known = m_metrics.insert(face, measureFace(kMeasuringPoints));
    if (known->heightPerPoint < 0)
        return lineMetricsAtSize();
    return { known->heightPerPoint * m_choice.size, known->ascentPerPoint };
}

QtPrinterService::FaceMetrics QtPrinterService::measureFace(double points)
{
    if (const auto fromFile = measureFaceFiles(points))
        return *fromFile;
    QFont font = currentFont();
    font.setPointSizeF(points);
    const QFontMetricsF metrics(font, m_printer.get());
    FaceMetrics measured;
    if (metrics.height() > 0) {
        measured.heightPerPoint = toTwips(metrics.height()) / points;
        measured.ascentPerPoint = metrics.ascent() / points;
    }
    return measured;
}

std::optional<QtPrinterService::FaceMetrics> QtPrinterService::measureFaceFiles(double points)
{
    const auto line = faceFilesLine(points);
    if (!line)
        return std::nullopt;
    return faceMetrics(*line, points);
}

QtPrinterService::FaceMetrics QtPrinterService::faceMetrics(
    const MetricsCache::Line &line, double points) const
{
    FaceMetrics measured;
    measured.heightPerPoint = toTwips(line.height) / points;
    measured.ascentPerPoint = line.ascent / points;
    return measured;
}

// The line of a font whose faces Qt chooses among: certain only when they all agree, and a
// face that its file cannot give leaves it to Qt.
std::optional<MetricsCache::Line> QtPrinterService::agreedLine(
    const QList<std::optional<MetricsCache::Line>> &lines)
{
    if (lines.isEmpty())
        return std::nullopt;
    for (const auto &line : lines) {
        if (!line || line->height <= 0 || line->ascent != lines.first()->ascent
            || line->height != lines.first()->height) {
            return std::nullopt;
        }
    }
    return lines.first();
}

// The size Qt gives a face: its points on the device, to a whole pixel.
static double facePixelSize(double points, int dpi)
{
    return std::round(std::floor(points * dpi / 72.0 * 100 + 0.5) / 100);
}

std::optional<MetricsCache::Line> QtPrinterService::faceFilesLine(double points)
{
    if (m_choice.bold || m_choice.italic)
        return std::nullopt;
    const QList<FontFaces::Face> faces = m_faces->regularFaces(installedFamily(m_choice.name));
    if (faces.isEmpty())
        return std::nullopt;
    const int dpi = m_printer->logicalDpiY();
    const double pixelSize = facePixelSize(points, dpi);
    QList<std::optional<MetricsCache::Line>> lines;
    for (const FontFaces::Face &face : faces) {
        lines.append(faceFileLine(face, dpi, pixelSize));
        if (!lines.last())
            return std::nullopt;
    }
    return agreedLine(lines);
}

std::optional<MetricsCache::Line> QtPrinterService::faceFileLine(
    const FontFaces::Face &face, int dpi, double pixelSize)
{
    auto key = MetricsCache::keyOf(face.file, face.index, dpi, pixelSize);
    if (!key)
        return std::nullopt;
    key->family = face.family;
    auto line = m_metricsCache->find(*key);
    if (!line) {
        // A face its file cannot give is kept as such, so that it is not read again.
        line = MetricsCache::Line();
        const auto wholePixels = m_faces->wholePixels(face, pixelSize);
        const auto measured
            = wholePixels ? m_faces->measure(face, pixelSize, *wholePixels) : std::nullopt;
        if (measured)
            line = MetricsCache::Line { measured->ascent, measured->height };
        m_metricsCache->insert(*key, *line);
    }
    if (line->height <= 0)
        return std::nullopt;
    return line;
}

void QtPrinterService::prepareFonts(const QStringList &items,
    const std::function<QString(const QString &)> &nameOf, const std::function<bool()> &keepGoing)
{
    // Each estimate of the same list asks again: once is enough, and comparing a list with
    // itself costs nothing.
    if (items == m_preparedItems)
        return;
    // Only the regular faces are read from their files; the others Qt measures as they come.
    if (m_choice.bold || m_choice.italic)
        return;
    const int dpi = m_printer->logicalDpiY();
    const double pixelSize = facePixelSize(kMeasuringPoints, dpi);
    struct Font
    {
        FontChoice choice;
        QList<qsizetype> faces; // into keys and lines
    };
    QList<Font> fonts;
    QList<MetricsCache::Key> keys;
    QList<std::optional<MetricsCache::Line>> lines; // known, or to be measured when empty
    QList<FontFaces::Face> toMeasure;
    QList<qsizetype> measuredInto;
    QHash<QByteArray, qsizetype> faceAt;
    QSet<FontChoice> listed;
    FontChoice choice = m_choice;
    choice.size = kMeasuringPoints;
    for (const QString &item : items) {
        // A font measured before in this session is not measured again.
        choice.name = nameOf(item);
        if (m_metrics.contains(choice) || listed.contains(choice))
            continue;
        listed.insert(choice);
        Font font { choice, {} };
        bool readable = true;
        for (const FontFaces::Face &face : m_faces->regularFaces(installedFamily(choice.name))) {
            const QByteArray id
                = face.file + '\0' + QByteArray::number(face.index) + '\0' + face.family;
            auto at = faceAt.constFind(id);
            if (at == faceAt.cend()) {
                auto key = MetricsCache::keyOf(face.file, face.index, dpi, pixelSize);
                if (!key) {
                    readable = false;
                    break;
                }
                key->family = face.family;
                at = faceAt.insert(id, keys.size());
                keys.append(*key);
                lines.append(m_metricsCache->find(*key));
                if (!lines.last()) {
                    toMeasure.append(face);
                    measuredInto.append(*at);
                }
            }
            font.faces.append(*at);
        }
        if (readable)
            fonts.append(font);
    }
    const auto measured = m_faces->measureAll(toMeasure, pixelSize, keepGoing);
    if (!measured)
        return;
    m_preparedItems = items;
    for (qsizetype i = 0; i < toMeasure.size(); ++i) {
        // As one by one: a face its file cannot give is kept as such, not read again.
        const auto &line = measured->at(i);
        const qsizetype at = measuredInto.at(i);
        lines[at] = line ? MetricsCache::Line { line->ascent, line->height } : MetricsCache::Line();
        m_metricsCache->insert(keys.at(at), *lines.at(at));
    }
    // What measuring each font alone would keep; fonts their files cannot tell are left to it.
    for (const Font &font : std::as_const(fonts)) {
        QList<std::optional<MetricsCache::Line>> ofFont;
        for (qsizetype at : font.faces)
            ofFont.append(lines.at(at));
        if (const auto line = agreedLine(ofFont))
            m_metrics.insert(font.choice, faceMetrics(*line, kMeasuringPoints));
    }
}

const QString &QtPrinterService::installedFamily(const QString &name)
{
    FontChoice style = m_choice;
    style.name = name;
    style.size = 0;
    const auto known = m_installedFamilies.constFind(style);
    if (known != m_installedFamilies.cend())
        return *known;
    QString family = name;
    if (!m_faces->isInstalled(name)) {
        QFont font(name);
        font.setStyleStrategy(QFont::NoFontMerging);
        font.setBold(m_choice.bold);
        font.setItalic(m_choice.italic);
        family = QFontInfo(font).family();
    }
    return *m_installedFamilies.insert(style, family);
}

QtPrinterService::LineMetrics QtPrinterService::lineMetricsAtSize()
{
    // A few faces carry metrics that Qt cannot read at the measuring size (tall logos, broken
    // tables) but can at the size asked for: those are measured at each size they are used at.
    const auto known = m_sizedMetrics.constFind(m_choice);
    if (known != m_sizedMetrics.cend())
        return *known;
    currentFont();
    double scale = 1.0;
    const QFont font = deviceFont(scale);
    LineMetrics line;
    if (const auto fromFile = faceFilesLine(font.pointSizeF())) {
        line.height = toTwips(fromFile->height * scale);
        line.ascentPerPoint = fromFile->ascent / font.pointSizeF();
        return *m_sizedMetrics.insert(m_choice, line);
    }
    const QFontMetricsF metrics(font, m_printer.get());
    if (metrics.height() > 0) {
        line.height = toTwips(metrics.height() * scale);
        line.ascentPerPoint = metrics.ascent() / font.pointSizeF();
    }
    return *m_sizedMetrics.insert(m_choice, line);
}

double QtPrinterService::toTwips(double devicePixels) const
{
    const int resolution = m_printer->resolution();
    return resolution > 0 ? devicePixels * 1440.0 / resolution : -1.0;
}

QFont QtPrinterService::deviceFont(double &scale) const
{
    // Qt's font metrics overflow somewhere above 20,000 device pixels (about 1,200 points on
    // a 1200 dpi printer) and report negative heights; larger faces are measured and drawn at
    // a fraction of their size and scaled up, which a vector page loses nothing by.
    constexpr double kLargestPixels = 16000.0;
    const double resolution = m_printer->resolution();
    const double largest = kLargestPixels * 72.0 / (resolution > 0 ? resolution : 1200.0);
    scale = std::max(1.0, std::ceil(m_font.pointSizeF() / largest));
    if (scale == 1.0)
        return m_font;
    QFont font = m_font;
    font.setPointSizeF(m_font.pointSizeF() / scale);
    return font;
}

double QtPrinterService::TextHeight(const QString &text)
{
    // One line of the current font is as high whatever its text; the text only matters to
    // the caller's reading of the layout.
    Q_UNUSED(text);
    return lineMetrics().height;
}

double QtPrinterService::ScaleHeight()
{
    if (m_scaleHeight < 0) {
        const int resolution = m_printer->resolution();
        m_scaleHeight = toTwips(m_printer->pageLayout().paintRectPixels(resolution).height());
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
    // Never relative: that would be the working directory, which nobody chose.
    if (printsToPdf() && !QDir::isAbsolutePath(pdfFolder()))
        return false;
    m_y = 0;
    m_begun = m_clock();
    // A PDF file is written beside its final name, so that giving it that name cannot fail
    // halfway; a printer job waits in the temporary directory until it is handed over.
    const QDir dir(printsToPdf() ? pdfFolder() : QDir::tempPath());
    // Created by the printer itself, so that the finished file gets the user's usual
    // permissions rather than a temporary file's private ones.
    do {
        m_partFile = dir.filePath(
            QStringLiteral(".Typovise-%1.part")
                .arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0')));
    } while (QFileInfo::exists(m_partFile));
    m_guard = std::make_unique<WorkingFileGuard>(m_partFile);
    if (beginPart())
        return true;
    dropDocument();
    renewPrinter();
    return false;
}

bool QtPrinterService::beginPart()
{
    m_facesInPart.clear();
    m_guard->setPartCount(++m_parts);
    m_printer->setOutputFileName(WorkingFileGuard::partPath(m_partFile, m_parts));
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
    // A part is read again only to be joined, from the page cache: the joined file is what
    // must reach the disk whole.
    return ended && DocumentFile::isCompletePdf(WorkingFileGuard::partPath(m_partFile, m_parts));
}

bool QtPrinterService::beginNextPart()
{
    return endPart() && beginPart();
}

bool QtPrinterService::Print(const QString &text)
{
    if (!beginDocument())
        return false;
    const LineMetrics line = lineMetrics();
    if (!text.isEmpty()) {
        FontChoice face = m_choice;
        face.size = 0;
        m_facesInPart.insert(face);
        currentFont();
        double scale = 1.0;
        const QFont font = deviceFont(scale);
        const double top = m_y * m_printer->resolution() / 1440.0;
        m_painter.save();
        m_painter.scale(scale, scale);
        m_painter.setFont(font);
        const FaceLoadingWithoutMatch drawingOnly;
        m_painter.drawText(QPointF(0, top / scale + line.ascentPerPoint * font.pointSizeF()), text);
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
    // Enough that the faces the layout names itself are embedded again only a few times.
    constexpr qsizetype kFacesPerPart = 200;
    return m_facesInPart.size() >= kFacesPerPart ? beginNextPart() : m_printer->newPage();
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
    if (!endPart() || !joinParts())
        return false;
    // Neither QPainter::end() nor the printer's state tells of writes lost on a full disk: the
    // file itself is read back before it goes on.
    if (!DocumentFile::syncToDisk(m_partFile) || !DocumentFile::isCompletePdf(m_partFile))
        return false;
    return printsToPdf() ? keepPdf() : sendToPrinter();
}

bool QtPrinterService::joinParts()
{
    if (m_parts == 1) {
        const bool renamed = QFile::rename(WorkingFileGuard::partPath(m_partFile, 1), m_partFile);
        removeParts();
        return renamed;
    }
    QStringList parts;
    for (int n = 1; n <= m_parts; ++n)
        parts.append(WorkingFileGuard::partPath(m_partFile, n));
    const bool joined = PdfJoin::join(parts, m_partFile);
    removeParts();
    return joined;
}

void QtPrinterService::removeParts()
{
    for (int n = 1; n <= m_parts; ++n)
        QFile::remove(WorkingFileGuard::partPath(m_partFile, n));
    m_parts = 0;
    if (m_guard)
        m_guard->setPartCount(0);
}

bool QtPrinterService::keepPdf()
{
    if (!m_chosenPdf.isEmpty()) {
        // The user chose this name and agreed to replace a file of that name; rename(2) does
        // so in one step, so the old file stays whole until the new one takes its place.
        if (::rename(QFile::encodeName(m_partFile).constData(),
                QFile::encodeName(m_chosenPdf).constData())
            != 0) {
            return false;
        }
        m_partFile.clear();
        m_lastPdf = m_chosenPdf;
        return true;
    }
    const QString stamp = m_begun.toString(u"yyyy-MM-dd HH-mm-ss");
    const QDir dir(m_pdfDirectory);
    QString path = dir.filePath(QStringLiteral("Typovise %1.pdf").arg(stamp));
    // Two documents within one second, or a file the user kept: never overwrite. A rename
    // refuses an existing name, so no other program can slip a file in between.
    for (int n = 2; !QFile::rename(m_partFile, path); ++n) {
        if (!QFile::exists(path) || n > 1000)
            return false;
        path = dir.filePath(QStringLiteral("Typovise %1 (%2).pdf").arg(stamp).arg(n));
    }
    m_partFile.clear();
    m_lastPdf = path;
    return true;
}

bool QtPrinterService::sendToPrinter()
{
    // A name may carry a CUPS instance ("printer/instance"); jobs go to the printer itself.
    const QByteArray printer = m_destination.section(u'/', 0, 0).toLocal8Bit();
    const QByteArray file = QFile::encodeName(m_partFile);
    // A stopped queue still takes the job and holds it until it is restarted; a queue that
    // rejects jobs, or a scheduler that has gone, gives no job.
    const int job = cupsPrintFile(printer.constData(), file.constData(), "Typovise", 0, nullptr);
    m_lastPdf.clear();
    return job > 0;
}

void QtPrinterService::AbortDoc()
{
    m_y = 0;
    const bool open = m_painter.isActive() || !m_partFile.isEmpty();
    dropDocument();
    if (open)
        renewPrinter();
}

void QtPrinterService::dropDocument()
{
    if (m_painter.isActive())
        m_painter.end();
    if (!m_partFile.isEmpty()) {
        removeParts();
        QFile::remove(m_partFile);
    }
    m_partFile.clear();
    m_facesInPart.clear();
    m_guard.reset();
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

QString QtPrinterService::destinationText() const
{
    if (!m_destination.isEmpty())
        return QStringLiteral("Imprimante : %1").arg(m_destination);
    if (!m_chosenPdf.isEmpty())
        return QStringLiteral("Fichier PDF : %1").arg(QDir::toNativeSeparators(m_chosenPdf));
    return QStringLiteral("Fichier PDF dans le dossier %1")
        .arg(QDir::toNativeSeparators(m_pdfDirectory));
}

QStringList QtPrinterService::printerNames() const
{
    return QPrinterInfo::availablePrinterNames();
}

bool QtPrinterService::choosePrinter(const QString &name)
{
    if (m_painter.isActive() || QPrinterInfo::printerInfo(name).isNull())
        return false;
    m_destination = name;
    m_chosenPdf.clear();
    useNewDestination();
    return true;
}

bool QtPrinterService::choosePdfFile(const QString &path)
{
    if (m_painter.isActive() || !QDir::isAbsolutePath(path) || QFileInfo(path).isDir())
        return false;
    m_destination.clear();
    m_chosenPdf = QDir::cleanPath(path);
    useNewDestination();
    return true;
}

QString QtPrinterService::pdfFolder() const
{
    return m_chosenPdf.isEmpty() ? m_pdfDirectory : QFileInfo(m_chosenPdf).absolutePath();
}

void QtPrinterService::useNewDestination()
{
    m_printer = createPrinter();
    m_scaleHeight = -1;
    m_metrics.clear();
    m_sizedMetrics.clear();
    m_preparedItems.clear();
}
