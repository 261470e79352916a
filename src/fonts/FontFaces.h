#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <functional>
#include <future>
#include <optional>

// Where each family's regular upright face lives on disk, so that its line can be measured
// from the file itself.
//
// Asking Qt for a face's metrics makes it run a fontconfig match against every installed font,
// for every face it loads: with thousands of fonts the first estimate of a catalogue costs
// seconds. The font list read once here tells which faces Qt chooses among without that match.
// Where Qt's choice between them hangs on the order of the list (a family offered by several
// foundries, one style in several files), all of them are given, and their line is certain
// only when they agree; a name Qt reads in its own way is left to Qt.
class FontFaces
{
public:
    struct Face
    {
        QByteArray file;
        int index = 0;
        QByteArray family; // the name Qt gives fontconfig when it loads the face
        const void *pattern = nullptr; // the face in the font list, owned by FontFaces
    };

    FontFaces();
    ~FontFaces();
    FontFaces(const FontFaces &) = delete;
    FontFaces &operator=(const FontFaces &) = delete;

    // Starts reading the font list on a thread of its own, so that a first estimate asked
    // for a moment after start-up finds it read; the first question waits for it.
    void readAhead();

    // Whether a font file carries that family name, in any letter case.
    bool isInstalled(const QString &family);
    // The faces one of which QFont(family) draws with, no weight or slant asked for; none when
    // the font list alone cannot tell.
    QList<Face> regularFaces(const QString &family);
    // Every face that carries the name, in any style, first or as another name: all that Qt
    // may choose among for a font of that name; none for a name Qt reads its own way.
    QList<Face> facesNamed(const QString &family);

    // Ascent and height in device pixels of the face at a pixel size, computed from the face's
    // own tables exactly as Qt's FreeType engine computes them; nothing when the face is not
    // one that engine measures this way (bitmap fonts, tables out of Qt's number range).
    struct Line
    {
        double ascent = 0;
        double height = 0;
    };
    std::optional<Line> measure(const Face &face, double pixelSize, bool wholePixels);
    // Whether Qt rounds the face's ascent and descent to whole device pixels at that size, as
    // it does under the stronger hinting styles that fontconfig may set font by font; nothing
    // when fontconfig leaves the choice to the desktop.
    std::optional<bool> wholePixels(const Face &face, double pixelSize) const;

    // The lines of many faces at one pixel size, as measure() and wholePixels() give them, read
    // on a few threads at once: thousands of faces seen for the first time are mostly the disk
    // and fontconfig's rules, which need no lock of Qt's. keepGoing runs on the calling thread
    // while the others work; once it says no, they stop and nothing is given.
    std::optional<QList<std::optional<Line>>> measureAll(
        const QList<Face> &faces, double pixelSize, const std::function<bool()> &keepGoing) const;

private:
    static std::optional<bool> hintedToWholePixels(const Face &face, double pixelSize);
    static std::optional<Line> measureWith(
        void *library, const Face &face, double pixelSize, bool wholePixels);
    struct Registration;
    void readFontList();
    void listFonts(void *config);

    bool m_read = false;
    std::future<void> m_reading;
    // By case-folded family name, as Qt matches them: the faces Qt would choose among.
    QHash<QString, QList<Registration>> m_families;
    QHash<QString, QList<Face>> m_aliases; // names Qt resolves to another family
    void *m_fonts = nullptr; // the font list, whose patterns the faces point into
    void *m_library = nullptr; // FreeType's, opened on the first measurement
};
