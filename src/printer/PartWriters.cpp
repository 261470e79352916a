#include "printer/PartWriters.h"

#include "document/PdfFiles.h"
#include "fonts/BulkCharacterLookup.h"
#include "fonts/FaceLoading.h"
#include "fonts/SampleText.h"

#include <QDeadlineTimer>
#include <QPainter>
#include <QPdfWriter>
#include <QRawFont>
#include <QThread>

#include <algorithm>
#include <utility>

void drawPlacedLine(QPainter &painter, const PlacedLine &line)
{
    painter.save();
    painter.scale(line.scale, line.scale);
    painter.setFont(FaceMetrics::fontOf(line.face));
    const FaceLoadingWithoutMatch drawingOnly;
    // Asked of the face the painter draws with, which is loaded once for both.
    const QString shown = line.sample
        ? SampleText::showable(line.text, QRawFont::fromFont(painter.font()))
        : line.text;
    painter.drawText(line.baseline, shown);
    painter.restore();
}

namespace {

bool drawPart(const PartPages &part, const QPageLayout &layout, int resolution,
    const std::atomic_bool &cancelled)
{
    // Ending the document, Qt asks each face for every character's glyph.
    const BulkCharacterLookup lookup;
    QPdfWriter writer(part.file);
    writer.setResolution(resolution);
    if (!writer.setPageLayout(layout))
        return false;
    QPainter painter;
    if (!painter.begin(&writer))
        return false;
    bool drawn = true;
    for (qsizetype page = 0; drawn && page < part.pages.size(); ++page) {
        if (page > 0 && !writer.newPage())
            drawn = false;
        for (const PlacedLine &line : part.pages.at(page)) {
            if (cancelled) {
                drawn = false;
                break;
            }
            drawPlacedLine(painter, line);
        }
    }
    // Neither the painter nor the writer tells of writes lost on a full disk: a cheap look at
    // the file's end stops a run early, and the join reads every part whole.
    return painter.end() && drawn && PdfFiles::endsWhole(part.file);
}

} // namespace

struct PartWriters::Running
{
    QString file;
    std::unique_ptr<QThread> thread;
    std::atomic_bool drawn = false;
};

int PartWriters::defaultWriters()
{
    return std::clamp(QThread::idealThreadCount(), 1, 2);
}

PartWriters::PartWriters(int writers)
    : m_writers(std::max(1, writers))
{ }

void PartWriters::setWriters(int writers)
{
    m_writers = std::max(1, writers);
}

PartWriters::~PartWriters()
{
    cancel();
}

void PartWriters::setPage(const QPageLayout &layout, int resolution)
{
    m_layout = layout;
    m_resolution = resolution;
}

void PartWriters::reapFinished()
{
    const auto finished = std::remove_if(
        m_running.begin(), m_running.end(), [this](const std::unique_ptr<Running> &running) {
            if (!running->thread->isFinished())
                return false;
            running->thread->wait();
            if (running->drawn)
                m_drawn.append(running->file);
            else
                m_failed = true;
            return true;
        });
    m_running.erase(finished, m_running.end());
}

bool PartWriters::waitDown(qsizetype most, const std::function<bool()> &keepGoing)
{
    for (;;) {
        reapFinished();
        if (m_failed)
            return false;
        if (qsizetype(m_running.size()) <= most)
            return true;
        if (keepGoing && !keepGoing())
            return false;
        // Often enough for the windows' own beat.
        m_running.front()->thread->wait(QDeadlineTimer(10));
    }
}

bool PartWriters::draw(PartPages part, const std::function<bool()> &keepGoing)
{
    if (!waitDown(m_writers - 1, keepGoing))
        return false;
    auto running = std::make_unique<Running>();
    running->file = part.file;
    Running *const writer = running.get();
    running->thread.reset(QThread::create(
        [writer, part = std::move(part), layout = m_layout, resolution = m_resolution, this] {
            writer->drawn = drawPart(part, layout, resolution, m_cancelled);
        }));
    running->thread->start();
    m_running.push_back(std::move(running));
    return true;
}

bool PartWriters::finish(const std::function<bool()> &keepGoing)
{
    const bool drawn = waitDown(0, keepGoing);
    m_failed = false;
    return drawn;
}

void PartWriters::cancel()
{
    m_cancelled = true;
    for (const auto &running : m_running)
        running->thread->wait();
    m_running.clear();
    m_drawn.clear();
    m_cancelled = false;
    m_failed = false;
}

QStringList PartWriters::takeDrawn()
{
    return std::exchange(m_drawn, {});
}
