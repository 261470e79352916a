#include "document/PdfFiles.h"

#include <QFile>

#include <qpdf/Pl_Discard.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <algorithm>
#include <cstdio>
#include <exception>

namespace {

// Both Qt's PDF engine and qpdf end a file with these bytes; a file that lacks any of them
// was cut short, even where a reader could make sense of the rest.
constexpr char kEnd[] = "%%EOF\n";
constexpr qint64 kEndLength = qint64(sizeof kEnd) - 1;

// Opened as it stands: no recovery, and warnings kept to be asked about rather than printed.
void openStrictly(QPDF &pdf, const QString &path)
{
    pdf.setAttemptRecovery(false);
    pdf.setSuppressWarnings(true);
    pdf.processFile(QFile::encodeName(path).constData());
}

QPDFObjectHandle text(const QString &value)
{
    return QPDFObjectHandle::newUnicodeString(value.toStdString());
}

void describe(QPDF &pdf, const PdfFiles::DocumentInfo &info)
{
    QPDFObjectHandle trailer = pdf.getTrailer();
    QPDFObjectHandle documentInfo = trailer.getKey("/Info");
    if (!documentInfo.isDictionary()) {
        documentInfo = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
        trailer.replaceKey("/Info", documentInfo);
    }
    if (!info.title.isEmpty())
        documentInfo.replaceKey("/Title", text(info.title));
    if (!info.creator.isEmpty())
        documentInfo.replaceKey("/Creator", text(info.creator));
    if (info.outline.isEmpty())
        return;

    const std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(pdf).getAllPages();
    QPDFObjectHandle outlines = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
    outlines.replaceKey("/Type", QPDFObjectHandle::newName("/Outlines"));
    std::vector<QPDFObjectHandle> items;
    items.reserve(size_t(info.outline.size()));
    for (const PdfFiles::DocumentInfo::Entry &entry : info.outline) {
        if (entry.page < 0 || size_t(entry.page) >= pages.size())
            continue;
        QPDFObjectHandle destination = QPDFObjectHandle::newArray();
        destination.appendItem(pages[size_t(entry.page)].getObjectHandle());
        destination.appendItem(QPDFObjectHandle::newName("/XYZ"));
        destination.appendItem(QPDFObjectHandle::newNull());
        destination.appendItem(QPDFObjectHandle::newReal(entry.top, 2));
        destination.appendItem(QPDFObjectHandle::newNull());
        QPDFObjectHandle item = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
        item.replaceKey("/Title", text(entry.title));
        item.replaceKey("/Parent", outlines);
        item.replaceKey("/Dest", destination);
        if (!items.empty()) {
            item.replaceKey("/Prev", items.back());
            items.back().replaceKey("/Next", item);
        }
        items.push_back(item);
    }
    if (items.empty())
        return;
    outlines.replaceKey("/First", items.front());
    outlines.replaceKey("/Last", items.back());
    outlines.replaceKey("/Count", QPDFObjectHandle::newInteger(qint64(items.size())));
    QPDFObjectHandle root = pdf.getRoot();
    root.replaceKey("/Outlines", outlines);
    // The reader opens with the outline beside the pages.
    root.replaceKey("/PageMode", QPDFObjectHandle::newName("/UseOutlines"));
}

// Removes the pages that info does not keep and moves its outline onto the pages that stay;
// false when no page stays.
bool keepPages(QPDF &pdf, PdfFiles::DocumentInfo &info)
{
    if (info.pages.isEmpty())
        return true;
    QPDFPageDocumentHelper helper(pdf);
    const std::vector<QPDFPageObjectHelper> pages = helper.getAllPages();
    QList<int> keptAs(qsizetype(pages.size()), -1);
    int kept = 0;
    for (size_t page = 0; page < pages.size(); ++page) {
        if (info.pages.contains(int(page) + 1))
            keptAs[qsizetype(page)] = kept++;
        else
            helper.removePage(pages[page]);
    }
    QList<PdfFiles::DocumentInfo::Entry> outline;
    for (PdfFiles::DocumentInfo::Entry entry : std::as_const(info.outline)) {
        if (entry.page < 0 || entry.page >= keptAs.size() || keptAs[entry.page] < 0)
            continue;
        entry.page = keptAs[entry.page];
        outline.append(entry);
    }
    info.outline = outline;
    return kept > 0;
}

bool write(QPDF &pdf, const QString &target)
{
    FILE *out = std::fopen(QFile::encodeName(target).constData(), "wb");
    if (!out)
        return false;
    bool written = false;
    try {
        QPDFWriter writer(pdf, "joined document", out, false);
        // The streams go as the parts hold them: decoding and compressing them again would
        // only cost time.
        writer.setDecodeLevel(qpdf_dl_none);
        writer.setCompressStreams(false);
        writer.setObjectStreamMode(qpdf_o_preserve);
        writer.write();
        written = !pdf.anyWarnings();
    } catch (const std::exception &) {
        written = false;
    }
    // A write that fails only when the file is closed (a full disk, a network share) fails too.
    return std::fclose(out) == 0 && written;
}

} // namespace

bool PdfFiles::endsWhole(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() < 64 || !file.read(5).startsWith("%PDF-"))
        return false;
    return file.seek(file.size() - kEndLength) && file.read(kEndLength) == kEnd;
}

bool PdfFiles::isComplete(const QString &path)
{
    if (!endsWhole(path))
        return false;
    try {
        QPDF pdf;
        openStrictly(pdf, path);
        // Resolving an object parses it where the cross-reference table says it starts:
        // without recovery, an object that is not there, or a stream whose length does not
        // reach its end, throws or warns.
        for (QPDFObjectHandle &object : pdf.getAllObjects())
            object.getTypeCode();
        for (QPDFPageObjectHelper &page : QPDFPageDocumentHelper(pdf).getAllPages()) {
            Pl_Discard discard;
            page.pipeContents(&discard);
        }
        return !pdf.anyWarnings();
    } catch (const std::exception &) {
        return false;
    }
}

bool PdfFiles::join(const QStringList &parts, const QString &target, const DocumentInfo &info)
{
    if (parts.isEmpty() || !std::all_of(parts.begin(), parts.end(), endsWhole))
        return false;
    try {
        QPDF joined;
        openStrictly(joined, parts.first());
        QPDFPageDocumentHelper pages(joined);
        for (qsizetype n = 1; n < parts.size(); ++n) {
            // The part's own parsed objects go with it once its pages are copied.
            QPDF part;
            openStrictly(part, parts.at(n));
            for (QPDFPageObjectHelper &page : QPDFPageDocumentHelper(part).getAllPages())
                pages.addPage(page, false);
            if (part.anyWarnings())
                return false;
        }
        PdfFiles::DocumentInfo kept = info;
        if (!keepPages(joined, kept))
            return false;
        describe(joined, kept);
        return write(joined, target);
    } catch (const std::exception &) {
        return false;
    }
}
