#pragma once

#include "fonts/FaceMetrics.h"

#include <QList>
#include <QPageLayout>
#include <QPointF>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class QPainter;

// One line as the layout placed it on its page: the face it is drawn in (an installed family
// at the size drawn), where its baseline starts and what it says.
struct PlacedLine
{
    FontChoice face;
    double scale = 1.0; // the painter's scale: faces too large for Qt are drawn smaller
    QPointF baseline; // in the scaled coordinates
    QString text;
    bool sample = false; // shown as the face can show it
};

// Draws the line with the face loaded without fontconfig's search.
void drawPlacedLine(QPainter &painter, const PlacedLine &line);

// The pages of one part of a document, for its own file.
struct PartPages
{
    QString file;
    QList<QList<PlacedLine>> pages { {} };
};

// Draws the parts of a document into their files on threads of their own, a few at once,
// while the caller lays out the next: Qt's PDF engine spends most of a catalogue building
// each face's subset when its document ends, and parts share nothing. Each part is drawn on a
// new thread, whose faces and font caches go with it.
//
// The callers' keepGoing runs while they wait for a writer, so that the windows stay painted
// and Escape is seen; false from it calls the document off.
class PartWriters
{
public:
    // As many writers as cores, up to two: each holds its part's faces until the part ends.
    static int defaultWriters();

    explicit PartWriters(int writers = defaultWriters());
    ~PartWriters();
    PartWriters(const PartWriters &) = delete;
    PartWriters &operator=(const PartWriters &) = delete;

    int writers() const { return m_writers; }
    // How many parts are drawn at once from the next document on.
    void setWriters(int writers);
    // The page and resolution of the parts that follow.
    void setPage(const QPageLayout &layout, int resolution);

    // Hands the part to a writer, first waiting for one to be free; false when a part drawn
    // before failed or keepGoing called the document off.
    bool draw(PartPages part, const std::function<bool()> &keepGoing);
    // Waits until every part handed over is drawn; false when one failed or keepGoing called
    // the document off.
    bool finish(const std::function<bool()> &keepGoing);
    // Stops every writer at its next line and waits for it; the parts' files are left to the
    // caller.
    void cancel();
    // The files of the parts drawn whole since the last call, in the order they were seen to
    // end.
    QStringList takeDrawn();

private:
    struct Running;
    // Waits while more than most parts are being drawn.
    bool waitDown(qsizetype most, const std::function<bool()> &keepGoing);
    void reapFinished();

    int m_writers;
    QPageLayout m_layout;
    int m_resolution = 1200;
    std::atomic_bool m_cancelled = false;
    bool m_failed = false;
    std::vector<std::unique_ptr<Running>> m_running;
    QStringList m_drawn;
};
