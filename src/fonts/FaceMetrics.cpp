#include "fonts/FaceMetrics.h"

#include "fonts/FaceLoading.h"
#include "fonts/FontCensus.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QPaintDevice>
#include <QSet>

#include <algorithm>
#include <cmath>

namespace {

// Large enough that the metrics' rounding to a device pixel is lost in the division, small
// enough for Qt to measure it on any printer.
constexpr double kMeasuringPoints = 100.0;

// The size Qt gives a face: its points on the device, to a whole pixel.
double facePixelSize(double points, int dpi)
{
    return std::round(std::floor(points * dpi / 72.0 * 100 + 0.5) / 100);
}

// The line of a font whose faces Qt chooses among: certain only when they all agree, and a
// face that its file cannot give leaves it to Qt.
std::optional<MetricsCache::Line> agreedLine(const QList<std::optional<MetricsCache::Line>> &lines)
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

} // namespace

size_t qHash(const FontChoice &choice, size_t seed)
{
    return qHashMulti(seed, choice.name, choice.size, choice.bold, choice.italic);
}

FaceMetrics::FaceMetrics(const QString &cachePath)
    : m_faces(std::make_unique<FontFaces>())
    , m_cache(std::make_unique<MetricsCache>(cachePath))
{ }

FaceMetrics::~FaceMetrics()
{
    m_cache->save();
}

void FaceMetrics::readAhead()
{
    m_faces->readAhead();
}

bool FaceMetrics::save()
{
    return m_cache->save();
}

void FaceMetrics::measureFor(const QPaintDevice *device, int resolution)
{
    // The device may replace one already gone: only the numbers it was measured by are kept.
    const bool sameLines = m_device && resolution == m_resolution && device->logicalDpiY() == m_dpi;
    m_device = device;
    m_resolution = resolution;
    m_dpi = device->logicalDpiY();
    if (sameLines)
        return;
    m_perPoint.clear();
    m_atSize.clear();
    m_preparedItems.clear();
}

double FaceMetrics::toTwips(double devicePixels) const
{
    return m_resolution > 0 ? devicePixels * 1440.0 / m_resolution : -1.0;
}

const QFont &FaceMetrics::font(const FontChoice &choice)
{
    if (!m_fontBuilt || !(choice == m_fontChoice)) {
        FontChoice installed = choice;
        installed.name = installedFamily(choice);
        m_font = fontOf(installed);
        m_fontChoice = choice;
        m_fontBuilt = true;
    }
    return m_font;
}

QFont FaceMetrics::fontOf(const FontChoice &installed)
{
    QFont font(installed.name);
    // A catalogue shows what each font holds: a character the face lacks prints as the face's
    // own missing-glyph mark, never in another font's glyph.
    font.setStyleStrategy(QFont::NoFontMerging);
    font.setPointSizeF(installed.size);
    font.setBold(installed.bold);
    font.setItalic(installed.italic);
    return font;
}

QFont FaceMetrics::drawingFont(const FontChoice &choice, double &scale)
{
    const QFont &chosen = font(choice);
    constexpr double kLargestPixels = 16000.0;
    const double largest = kLargestPixels * 72.0 / (m_resolution > 0 ? m_resolution : 1200.0);
    scale = std::max(1.0, std::ceil(chosen.pointSizeF() / largest));
    if (scale == 1.0)
        return chosen;
    QFont smaller = chosen;
    smaller.setPointSizeF(chosen.pointSizeF() / scale);
    return smaller;
}

FaceMetrics::Line FaceMetrics::line(const FontChoice &choice)
{
    FontChoice face = choice;
    face.size = kMeasuringPoints;
    auto known = m_perPoint.constFind(face);
    if (known == m_perPoint.cend())
        known = m_perPoint.insert(face, measureFace(choice, kMeasuringPoints));
    if (known->height < 0)
        return lineAtSize(choice);
    return { known->height * choice.size, known->ascentPerPoint };
}

FaceMetrics::Line FaceMetrics::perPoint(const MetricsCache::Line &line, double points) const
{
    return { toTwips(line.height) / points, line.ascent / points };
}

FaceMetrics::Line FaceMetrics::measureFace(const FontChoice &choice, double points)
{
    const FaceLoadingWithMatch measuring;
    if (const auto fromFile = faceFilesLine(choice, points))
        return perPoint(*fromFile, points);
    const std::optional<MetricsCache::Key> key = keyOfQtsChoice(choice, points);
    std::optional<MetricsCache::Line> line = key ? m_cache->find(*key) : std::nullopt;
    if (!line) {
        QFont measured = font(choice);
        measured.setPointSizeF(points);
        const QFontMetricsF metrics(measured, m_device);
        line = MetricsCache::Line { metrics.ascent(), metrics.height() };
        if (key)
            m_cache->insert(*key, *line);
    }
    if (line->height <= 0)
        return {};
    return perPoint(*line, points);
}

std::optional<MetricsCache::Key> FaceMetrics::keyOfQtsChoice(
    const FontChoice &choice, double points)
{
    // Qt chooses among the faces that carry the name by their styles and the order of the font
    // list, which stay as long as those faces and the configuration do.
    const QList<FontFaces::Face> faces = m_faces->facesNamed(installedFamily(choice));
    QList<std::pair<QByteArray, int>> files;
    for (const FontFaces::Face &face : faces)
        files.append({ face.file, face.index });
    const QString asked = choice.name + QLatin1String(choice.bold ? "\nbold" : "")
        + QLatin1String(choice.italic ? "\nitalic" : "");
    return MetricsCache::keyOfChoiceAmong(files, asked, m_device->logicalDpiY(), points);
}

FaceMetrics::Line FaceMetrics::lineAtSize(const FontChoice &choice)
{
    // A few faces carry metrics that Qt cannot read at the measuring size (tall logos, broken
    // tables) but can at the size asked for: those are measured at each size they are used at.
    const auto known = m_atSize.constFind(choice);
    if (known != m_atSize.cend())
        return *known;
    const FaceLoadingWithMatch measuring;
    double scale = 1.0;
    const QFont drawn = drawingFont(choice, scale);
    const double points = drawn.pointSizeF();
    Line line;
    if (const auto fromFile = faceFilesLine(choice, points)) {
        line.height = toTwips(fromFile->height * scale);
        line.ascentPerPoint = fromFile->ascent / points;
        return *m_atSize.insert(choice, line);
    }
    const QFontMetricsF metrics(drawn, m_device);
    if (metrics.height() > 0) {
        line.height = toTwips(metrics.height() * scale);
        line.ascentPerPoint = metrics.ascent() / points;
    }
    return *m_atSize.insert(choice, line);
}

std::optional<MetricsCache::Line> FaceMetrics::faceFilesLine(
    const FontChoice &choice, double points)
{
    if (choice.bold || choice.italic || !m_device)
        return std::nullopt;
    const QList<FontFaces::Face> faces = m_faces->regularFaces(installedFamily(choice));
    if (faces.isEmpty())
        return std::nullopt;
    const double pixelSize = facePixelSize(points, m_device->logicalDpiY());
    QList<std::optional<MetricsCache::Line>> lines;
    for (const FontFaces::Face &face : faces) {
        lines.append(faceFileLine(face, pixelSize));
        if (!lines.last())
            return std::nullopt;
    }
    return agreedLine(lines);
}

std::optional<MetricsCache::Line> FaceMetrics::faceFileLine(
    const FontFaces::Face &face, double pixelSize)
{
    auto key = MetricsCache::keyOf(face.file, face.index, m_device->logicalDpiY(), pixelSize);
    if (!key)
        return std::nullopt;
    key->family = face.family;
    auto line = m_cache->find(*key);
    if (!line) {
        // A face its file cannot give is kept as such, so that it is not read again.
        line = MetricsCache::Line();
        const auto wholePixels = m_faces->wholePixels(face, pixelSize);
        const auto measured
            = wholePixels ? m_faces->measure(face, pixelSize, *wholePixels) : std::nullopt;
        if (measured)
            line = MetricsCache::Line { measured->ascent, measured->height };
        m_cache->insert(*key, *line);
    }
    if (line->height <= 0)
        return std::nullopt;
    return line;
}

const QString &FaceMetrics::installedFamily(const FontChoice &choice)
{
    FontChoice style = choice;
    style.size = 0;
    const auto known = m_installedFamilies.constFind(style);
    if (known != m_installedFamilies.cend())
        return *known;
    const FaceLoadingWithMatch measuring;
    QString family = choice.name;
    if (!m_faces->isInstalled(choice.name)) {
        if (const auto inPlace
            = FontCensus::familyInPlaceOf(choice.name, choice.bold, choice.italic)) {
            family = *inPlace;
        } else {
            QFont asked(choice.name);
            asked.setStyleStrategy(QFont::NoFontMerging);
            asked.setBold(choice.bold);
            asked.setItalic(choice.italic);
            family = QFontInfo(asked).family();
        }
    }
    return *m_installedFamilies.insert(style, family);
}

void FaceMetrics::prepare(const FontChoice &style, const QStringList &items,
    const std::function<QString(const QString &)> &nameOf, const std::function<bool()> &keepGoing)
{
    // Each estimate of the same list asks again: once is enough, and comparing a list with
    // itself costs nothing.
    if (items == m_preparedItems || !m_device)
        return;
    // Only the regular faces are read from their files; the others Qt measures as they come.
    if (style.bold || style.italic)
        return;
    const FaceLoadingWithMatch measuring;
    const int dpi = m_device->logicalDpiY();
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
    FontChoice choice = style;
    choice.size = kMeasuringPoints;
    for (const QString &item : items) {
        // A font measured before in this session is not measured again.
        choice.name = nameOf(item);
        if (m_perPoint.contains(choice) || listed.contains(choice))
            continue;
        listed.insert(choice);
        Font font { choice, {} };
        bool readable = true;
        for (const FontFaces::Face &face : m_faces->regularFaces(installedFamily(choice))) {
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
                lines.append(m_cache->find(*key));
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
        m_cache->insert(keys.at(at), *lines.at(at));
    }
    // What measuring each font alone would keep; fonts their files cannot tell are left to it.
    for (const Font &font : std::as_const(fonts)) {
        QList<std::optional<MetricsCache::Line>> ofFont;
        for (qsizetype at : font.faces)
            ofFont.append(lines.at(at));
        if (const auto line = agreedLine(ofFont))
            m_perPoint.insert(font.choice, perPoint(*line, kMeasuringPoints));
    }
}
