#pragma once

#include "fonts/FontFaces.h"
#include "fonts/MetricsCache.h"

#include <QFont>
#include <QHash>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class QPaintDevice;

// A font as the program chooses it: a name, a size in points, a weight and a slant. The QFont
// is built from it only when a face must be measured or drawn, since building one for every
// entry of a long list costs more than the whole layout around it.
struct FontChoice
{
    QString name = QStringLiteral("Arial");
    double size = 12;
    bool bold = false;
    bool italic = false;
    bool operator==(const FontChoice &other) const = default;
};
size_t qHash(const FontChoice &choice, size_t seed = 0);

// The height of one line of each face on one device, as the page estimate and the printing
// run both take it, so that they break pages alike.
//
// A face's line is measured once, at one size, per point of size: the faces of a scalable
// font grow in proportion, so every other size is a multiplication, and a size typed anew
// loads no face again. It is measured from the face's own file where the font list tells which
// file Qt would load (Qt's own measurement matches the face against every installed font
// first), and kept in the user's cache for the next runs; other faces are measured by Qt.
class FaceMetrics
{
public:
    struct Line
    {
        double height = -1; // twips, negative when the face cannot be measured
        double ascentPerPoint = 0; // device pixels
    };

    // cachePath: the file that keeps faces' metrics between runs; empty for none.
    explicit FaceMetrics(const QString &cachePath);
    ~FaceMetrics();
    FaceMetrics(const FaceMetrics &) = delete;
    FaceMetrics &operator=(const FaceMetrics &) = delete;

    // The device the faces are measured for, with its resolution in dots per inch. Every line
    // measured for another device is forgotten: a face's pixels depend on the device.
    void measureFor(const QPaintDevice *device, int resolution);
    // Starts reading the font list on a thread of its own, for a first line asked for a moment
    // later; without it the first line reads it.
    void readAhead();

    Line line(const FontChoice &choice);
    // The fonts of a list's items (nameOf gives an item's font) in the style of choice, read
    // from their files all at once, ahead, on a few threads; keepGoing is called meanwhile and
    // may call that off. line() gives the same heights either way.
    void prepare(const FontChoice &style, const QStringList &items,
        const std::function<QString(const QString &)> &nameOf,
        const std::function<bool()> &keepGoing);

    // The face to draw a choice with, and the factor it must be scaled up by: Qt's font
    // metrics overflow past about 20,000 device pixels, so larger faces are drawn at a
    // fraction of their size, which a vector page loses nothing by.
    QFont drawingFont(const FontChoice &choice, double &scale);
    // The font of a choice whose name is an installed family, as measured and drawn.
    static QFont fontOf(const FontChoice &installed);

    double toTwips(double devicePixels) const;
    // Writes what was measured to the cache file; false when it could not be written.
    bool save();

private:
    const QFont &font(const FontChoice &choice);
    // From the files of the faces Qt may load, when they give one line.
    std::optional<MetricsCache::Line> faceFilesLine(const FontChoice &choice, double points);
    std::optional<MetricsCache::Line> faceFileLine(const FontFaces::Face &face, double pixelSize);
    Line perPoint(const MetricsCache::Line &line, double points) const;
    Line measureFace(const FontChoice &choice, double points);
    // The cache's key for a line Qt measures itself, where the faces it may choose among are
    // known; nothing where they are not, and Qt measures that line in every run.
    std::optional<MetricsCache::Key> keyOfQtsChoice(const FontChoice &choice, double points);
    Line lineAtSize(const FontChoice &choice);
    // The family a name stands for: itself when installed, otherwise (the layout's "Arial" on
    // a machine without it) the family Qt puts in its place, asked once.
    const QString &installedFamily(const FontChoice &choice);

    const QPaintDevice *m_device = nullptr;
    int m_resolution = 0;
    int m_dpi = 0;
    // By face (the choice at the measuring size): building font metrics on a device loads the
    // face, which costs far more than the lookup.
    QHash<FontChoice, Line> m_perPoint;
    QHash<FontChoice, Line> m_atSize; // the faces Qt can measure only at the size asked for
    QStringList m_preparedItems; // the list whose fonts were last read ahead
    QHash<FontChoice, QString> m_installedFamilies; // by name, weight and slant
    FontChoice m_fontChoice;
    QFont m_font;
    bool m_fontBuilt = false;
    std::unique_ptr<FontFaces> m_faces;
    std::unique_ptr<MetricsCache> m_cache;
};
