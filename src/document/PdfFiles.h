#pragma once

#include <QList>
#include <QPageRanges>
#include <QStringList>

#include <memory>

// PDF files that the program wrote itself, read back with qpdf: the parts of a long catalogue
// joined into one file, and a finished file checked before it goes on.
//
// Both refuse rather than mend: a file that qpdf could read only by recovering it (a cross-
// reference table that does not match the objects, a stream of the wrong length, a file cut
// short), or that it reads with a warning, is not the file that was written.
namespace PdfFiles {
// What a reader shows of a catalogue besides its pages: the document's title and creator, and
// an outline with one entry per font, each opening the page where its name stands.
struct DocumentInfo
{
    struct Entry
    {
        QString title;
        int page = 0; // from 0, in the joined document
        double top = 0; // points from the bottom of the page, where the entry's line begins
    };
    QString title;
    QString creator;
    QList<Entry> outline;
};

// The file ends as a PDF writer ends it, qpdf reads every object its cross-reference table
// lists without a warning, and every page's content decodes.
bool isComplete(const QString &path);

// Only the file's first and last bytes: it begins and ends as a PDF writer does. A cheap first
// check of a file just written, which a full disk leaves without its end.
bool endsWhole(const QString &path);

// Writes target from the pages of parts, in order, with info's title, creator and outline, and
// only the pages that pages names where it names some, numbered from 1 as a user gives them
// (false when it names none of the document's); the outline follows them, an entry whose page
// goes going with it. The
// first part's document information stays (its date among them), and so do its catalogue's
// entries other than the pages and the outline.
// Every object that a part's pages reach is parsed where its cross-reference table says, so a
// part that is not whole fails the join; the streams are copied as they are, not decoded, so
// only isComplete finds a page whose content was altered. False, with target possibly half
// written, when a part is not whole or target cannot be written whole: every write is
// checked, the closing one included.
//
// The parts are read one at a time, and the joined file written as each is read: the join
// holds one part's parsed objects, and a table of where each object begins.
bool join(const QStringList &parts, const QString &target, const DocumentInfo &info = {},
    const QPageRanges &pages = {});

// The same join, a part at a time, as each part is drawn: target is written as the parts are
// added, and ended by finish with info's title, creator and outline.
class Joiner
{
public:
    // Only pages, numbered from 1 in the joined document, where it names some.
    explicit Joiner(const QString &target, const QPageRanges &pages = {});
    ~Joiner();
    Joiner(const Joiner &) = delete;
    Joiner &operator=(const Joiner &) = delete;

    // False when the part is not whole or target could not be written, and from then on.
    bool add(const QString &part);
    // False when an add failed, no page stays, or the file could not be ended whole; once.
    bool finish(const DocumentInfo &info);

private:
    struct Joining;
    std::unique_ptr<Joining> m_joining;
};
} // namespace PdfFiles
