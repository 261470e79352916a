#pragma once

#include "document/PdfFiles.h"

#include <QString>

#include <memory>

class QDateTime;
class WorkingFileGuard;

// A PDF document on its way to paper or to the user's folder, drawn part after part into
// files of its own, each joined into one working file as soon as it and the parts before it
// are drawn.
//
// Qt's PDF engine holds every face drawn with until its document ends, about a quarter of a
// megabyte each: a long catalogue is drawn in parts of a bounded number of faces, so that
// printing thousands of fonts holds no more of them in memory than a part's.
//
// Only a finished document leaves its working file: one that is dropped or fails on its way
// leaves nothing behind, not even when a signal ends the program, and a file is given its
// final name only once it is complete, so that not even a crash leaves a half catalogue under
// that name.
class PartedDocument
{
public:
    PartedDocument();
    ~PartedDocument();
    PartedDocument(const PartedDocument &) = delete;
    PartedDocument &operator=(const PartedDocument &) = delete;

    // A new document whose working file goes in folder (an absolute path), under a hidden
    // name of its own; false when there is no such folder to write in.
    bool begin(const QString &folder);
    bool isOpen() const { return !m_file.isEmpty(); }
    // The file the next part is to be drawn into, beside the working file. Only pages, numbered
    // from 1 in the whole document, where pages names some.
    QString nextPart(const QPageRanges &pages = {});
    // The parts whose files are drawn, of those that nextPart gave: each part joins the working
    // file as soon as every part before it has, and its own file goes. Neither a painter nor
    // the printer tells of writes lost on a full disk, so every part is read whole as it is
    // joined (the first also read back whole on its own, as a document of one part is), and
    // every write of the joined file is checked; false once any of that failed.
    bool joinDrawn(const QStringList &drawn);
    // Every part drawn: the rest joined, and the working file ended with info and flushed to
    // the disk.
    bool finish(const PdfFiles::DocumentInfo &info = {});
    // The finished working file, for a printer to take.
    QString file() const { return m_file; }

    // The finished file takes the name path, replacing a file of that name in one step, so
    // that the old file stays whole until the new one takes its place.
    bool keepAs(const QString &path);
    // The finished file takes the first free name of "Typovise <moment begun>.pdf",
    // "Typovise <moment> (2).pdf" ... in folder, never replacing a file; the name taken, or
    // empty when none could be.
    QString keepInFolder(const QString &folder, const QDateTime &begun);

    // Removes the working file and every part; the document is no longer open.
    void drop();

private:
    QString partPath(int part) const;
    void removeParts();

    QString m_file;
    int m_parts = 0;
    int m_joined = 0; // the parts joined, all from the first
    QList<int> m_drawn; // the parts drawn and waiting for those before them
    std::unique_ptr<PdfFiles::Joiner> m_joiner;
    bool m_joinFailed = false;
    std::unique_ptr<WorkingFileGuard> m_guard; // removes the files when a signal ends us
};
