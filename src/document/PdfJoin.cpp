#include "document/PdfFiles.h"

#include "document/JoinedFile.h"
#include "document/StrictPdf.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>

#include <algorithm>
#include <exception>
#include <string>
#include <vector>

// qpdf reads the parts, one at a time; the joined file is written by the program itself
// (JoinedFile), object after object, as each part is read. qpdf's own writer needs the whole
// document in one QPDF before it writes a byte, and at fifteen thousand faces that document alone
// holds a quarter of a gigabyte of parsed fonts.

namespace {

using namespace JoinedNumbers;

std::string pdfText(const QString &value)
{
    return QPDFObjectHandle::newUnicodeString(value.toStdString()).unparse();
}

// What the joined file keeps of its first part besides pages: the document information (its
// date among them) and the catalogue's other entries, with the objects they reach.
struct FirstPart
{
    std::string info; // its entries but the title and the creator
    std::string title; // as an entry, or empty
    std::string creator; // as an entry, or empty
    std::string catalogue; // its entries
};

class Join
{
public:
    // pages numbers the pages to keep from 1 in the joined document; none keeps them all.
    Join(JoinedFile &out, const QPageRanges &pages)
        : m_out(out)
        , m_pages(pages)
    { }

    // Reads the part and writes the pages it keeps, with everything they reach; false when
    // qpdf reads it only with a warning.
    bool add(const QString &path)
    {
        QPDF part;
        openStrictly(part, path);
        // Its streams are copied as they are: encrypted, they would not read in the joined file,
        // which is not. The program's own parts never are.
        if (part.isEncrypted())
            return false;
        QPDFPageDocumentHelper helper(part);
        // Attributes a page takes from its tree go onto the page, which joins another tree.
        helper.pushInheritedAttributesToPage();
        m_out.beginPart();
        QPDFObjectHandle root = part.getRoot();
        m_out.renumber(root, kCatalog);
        m_out.renumber(root.getKey("/Pages"), kPages);
        QPDFObjectHandle info = part.getTrailer().getKey("/Info");
        if (info.isIndirect())
            m_out.renumber(info, kInfo);
        const std::vector<QPDFPageObjectHelper> pages = helper.getAllPages();
        if (m_first)
            m_out.put("%PDF-" + part.getPDFVersion() + "\n%\xe2\xe3\xcf\xd3\n");
        for (const QPDFPageObjectHelper &page : pages) {
            QPDFObjectHandle object = page.getObjectHandle();
            const bool kept = m_pages.isEmpty() || m_pages.contains(m_pageCount + 1);
            m_keptAs.push_back(kept ? int(m_kids.size()) : -1);
            ++m_pageCount;
            if (kept)
                m_kids.push_back(m_out.numberOfPage(object));
            else
                m_out.renumber(object, kNone);
        }
        // After the pages, so that the catalogue's entries name none that the file leaves out.
        if (m_first)
            keepFirst(root, info);
        m_out.writeWaiting();
        m_first = false;
        return !part.anyWarnings();
    }

    // The page tree, the catalogue, the document information and the outline, with info's
    // title, creator and outline; false when no page stays.
    bool finish(const PdfFiles::DocumentInfo &info)
    {
        if (m_kids.empty())
            return false;
        const std::string outline = writeOutline(info.outline);
        m_out.beginObject(kPages);
        m_out.put("<< /Type /Pages /Count " + pdfNumber(qint64(m_kids.size())) + " /Kids [");
        for (int kid : m_kids) {
            m_out.reference(kid);
            m_out.put(" ");
        }
        m_out.put("] >>");
        m_out.endObject();
        m_out.beginObject(kCatalog);
        m_out.put("<< /Type /Catalog /Pages " + pdfNumber(kPages) + " 0 R\n" + m_firstPart.catalogue
            + outline + ">>");
        m_out.endObject();
        m_out.beginObject(kInfo);
        m_out.put("<<" + m_firstPart.info);
        m_out.put(
            info.title.isEmpty() ? m_firstPart.title : "/Title " + pdfText(info.title) + "\n");
        m_out.put(info.creator.isEmpty() ? m_firstPart.creator
                                         : "/Creator " + pdfText(info.creator) + "\n");
        m_out.put(">>");
        m_out.endObject();
        return true;
    }

private:
    void keepFirst(QPDFObjectHandle root, QPDFObjectHandle info)
    {
        const std::vector<std::string> ours = { "/Type", "/Pages", "/Outlines", "/PageMode" };
        m_firstPart.catalogue = m_out.captured([&] { m_out.entries(root, ours); });
        if (!info.isDictionary())
            return;
        const std::vector<std::string> given = { "/Title", "/Creator" };
        m_firstPart.info = m_out.captured([&] { m_out.entries(info, given); });
        m_firstPart.title = m_out.captured([&] { m_out.entry(info, "/Title"); });
        m_firstPart.creator = m_out.captured([&] { m_out.entry(info, "/Creator"); });
    }

    // One entry per font whose page stays, each opening the page where its line begins: the
    // outline object and its items, written; the catalogue's entries for them returned.
    std::string writeOutline(const QList<PdfFiles::DocumentInfo::Entry> &outline)
    {
        std::vector<PdfFiles::DocumentInfo::Entry> entries;
        for (PdfFiles::DocumentInfo::Entry entry : outline) {
            if (entry.page < 0 || size_t(entry.page) >= m_keptAs.size()
                || m_keptAs[size_t(entry.page)] < 0)
                continue;
            entry.page = m_keptAs[size_t(entry.page)];
            entries.push_back(entry);
        }
        if (entries.empty())
            return {};
        const int root = m_out.reserve();
        const int first = root + 1;
        for (size_t n = 0; n < entries.size(); ++n)
            m_out.reserve();
        const int last = first + int(entries.size()) - 1;
        m_out.beginObject(root);
        m_out.put("<< /Type /Outlines /First " + pdfNumber(first) + " 0 R /Last " + pdfNumber(last)
            + " 0 R /Count " + pdfNumber(qint64(entries.size())) + " >>");
        m_out.endObject();
        for (size_t n = 0; n < entries.size(); ++n) {
            const int item = first + int(n);
            m_out.beginObject(item);
            m_out.put("<< /Title " + pdfText(entries[n].title) + " /Parent " + pdfNumber(root)
                + " 0 R /Dest [" + pdfNumber(m_kids[size_t(entries[n].page)]) + " 0 R /XYZ null "
                + QPDFObjectHandle::newReal(entries[n].top, 2).unparse() + " null]");
            if (item > first)
                m_out.put(" /Prev " + pdfNumber(item - 1) + " 0 R");
            if (item < last)
                m_out.put(" /Next " + pdfNumber(item + 1) + " 0 R");
            m_out.put(" >>");
            m_out.endObject();
        }
        // The reader opens with the outline beside the pages.
        return "/Outlines " + pdfNumber(root) + " 0 R /PageMode /UseOutlines\n";
    }

    JoinedFile &m_out;
    const QPageRanges m_pages;
    bool m_first = true;
    FirstPart m_firstPart;
    int m_pageCount = 0;
    std::vector<int> m_keptAs; // each page's index among the kept, or -1
    std::vector<int> m_kids;
};

} // namespace

struct PdfFiles::Joiner::Joining
{
    Joining(const QString &target, const QPageRanges &pages)
        : out(target)
        , join(out, pages)
    { }
    JoinedFile out;
    Join join;
    bool failed = !out.isOpen();
};

PdfFiles::Joiner::Joiner(const QString &target, const QPageRanges &pages)
    : m_joining(std::make_unique<Joining>(target, pages))
{ }

PdfFiles::Joiner::~Joiner() = default;

bool PdfFiles::Joiner::add(const QString &part)
{
    if (m_joining->failed || !endsWhole(part))
        return !(m_joining->failed = true);
    try {
        m_joining->failed = !m_joining->join.add(part);
    } catch (const std::exception &) {
        m_joining->failed = true;
    }
    return !m_joining->failed;
}

bool PdfFiles::Joiner::finish(const DocumentInfo &info)
{
    if (m_joining->failed)
        return false;
    m_joining->failed = true;
    try {
        return m_joining->join.finish(info) && m_joining->out.finish();
    } catch (const std::exception &) {
        return false;
    }
}

bool PdfFiles::join(const QStringList &parts, const QString &target, const DocumentInfo &info,
    const QPageRanges &pages)
{
    Joiner joiner(target, pages);
    return !parts.isEmpty() && std::all_of(parts.begin(), parts.end(), [&](const QString &part) {
        return joiner.add(part);
    }) && joiner.finish(info);
}
