#include "document/PdfFiles.h"

#include "document/StrictPdf.h"

#include <QFile>

#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <map>
#include <set>
#include <string>
#include <vector>

// qpdf reads the parts, one at a time; the joined file is written here, object after object,
// as each part is read. qpdf's own writer needs the whole document in one QPDF before it
// writes a byte, and at fifteen thousand faces that document alone holds a quarter of a
// gigabyte of parsed fonts.

namespace {

// The objects that the joined file makes itself, numbered before any part's: they are
// written last, once every page is known.
constexpr int kCatalog = 1;
constexpr int kPages = 2;
constexpr int kInfo = 3;
constexpr int kNone = 0; // a reference to what the joined file leaves out reads null

std::string number(qint64 value)
{
    return std::to_string(value);
}

std::string pdfText(const QString &value)
{
    return QPDFObjectHandle::newUnicodeString(value.toStdString()).unparse();
}

class JoinedFile
{
public:
    explicit JoinedFile(const QString &path)
        : m_file(std::fopen(QFile::encodeName(path).constData(), "wb"))
        , m_offsets(kInfo + 1, -1)
    { }
    ~JoinedFile()
    {
        if (m_file)
            std::fclose(m_file);
    }
    JoinedFile(const JoinedFile &) = delete;
    JoinedFile &operator=(const JoinedFile &) = delete;

    bool isOpen() const { return m_file != nullptr; }
    // The parts' own numbers point nowhere in the joined file.
    void beginPart()
    {
        m_numbers.clear();
        m_pages.clear();
    }
    // References to object read as references to number from now on, in this part; false
    // when it was numbered before, or is not an object of its own.
    bool renumber(const QPDFObjectHandle &object, int number)
    {
        return object.isIndirect() && m_numbers.try_emplace(object.getObjGen(), number).second;
    }
    // The number object takes in the joined file; written with the part's other objects.
    int numberOf(const QPDFObjectHandle &object)
    {
        const auto [found, added] = m_numbers.try_emplace(object.getObjGen(), 0);
        if (added) {
            found->second = reserve();
            m_waiting.push_back(object);
        }
        return found->second;
    }
    // The same for a page, whose parent is the joined file's page tree.
    int numberOfPage(const QPDFObjectHandle &object)
    {
        m_pages.insert(object.getObjGen());
        return numberOf(object);
    }
    int reserve()
    {
        m_offsets.push_back(-1);
        return int(m_offsets.size()) - 1;
    }
    // Every object of this part that was given a number, and every one they reach.
    void writeWaiting()
    {
        for (size_t next = 0; next < m_waiting.size(); ++next) {
            QPDFObjectHandle object = m_waiting[next];
            beginObject(m_numbers.at(object.getObjGen()));
            if (object.isStream()) {
                stream(object);
            } else if (m_pages.count(object.getObjGen())) {
                put("<<");
                entries(object, { "/Parent" });
                put("/Parent " + number(kPages) + " 0 R>>");
            } else {
                value(object, true);
            }
            endObject();
        }
        m_waiting.clear();
    }

    void put(const std::string &text) { m_text.append(text); }
    void put(const char *data, size_t size) { m_text.append(data, size); }
    // What the puts of write add, kept for an object written later rather than written.
    template <typename Write> std::string captured(Write write)
    {
        std::string text;
        std::swap(text, m_text);
        write();
        std::swap(text, m_text);
        return text;
    }
    void beginObject(int object)
    {
        m_offsets[size_t(object)] = m_offset + qint64(m_text.size());
        put(number(object) + " 0 obj\n");
    }
    void endObject()
    {
        put("\nendobj\n");
        if (m_text.size() >= kFlushed)
            flush();
    }
    void reference(int object) { put(object == kNone ? "null" : number(object) + " 0 R"); }

    // The object as it stands, with references to the joined file's numbers; itself when
    // direct, else only a reference to it.
    void value(QPDFObjectHandle object, bool direct = false)
    {
        if (!direct && object.isIndirect()) {
            reference(numberOf(object));
        } else if (object.isArray()) {
            put("[");
            for (QPDFObjectHandle item : object.aitems()) {
                value(item);
                put(" ");
            }
            put("]");
        } else if (object.isDictionary()) {
            put("<<");
            entries(object);
            put(">>");
        } else {
            put(object.unparseResolved());
        }
    }
    // The dictionary's entry for key, on a line, when it has one.
    void entry(QPDFObjectHandle dictionary, const std::string &key)
    {
        QPDFObjectHandle item = dictionary.getKey(key);
        if (item.isNull())
            return;
        put(QPDFObjectHandle::newName(key).unparse() + " ");
        value(item);
        put("\n");
    }
    // A dictionary's entries but those skipped, each on a line.
    void entries(QPDFObjectHandle dictionary, const std::vector<std::string> &skipped = {})
    {
        for (auto [key, item] : dictionary.ditems()) {
            if (item.isNull() || std::find(skipped.begin(), skipped.end(), key) != skipped.end())
                continue;
            put(QPDFObjectHandle::newName(key).unparse() + " ");
            value(item);
            put("\n");
        }
    }

    // Written back as it was read, filters and all: decoding and compressing the streams again
    // would only cost time. Its length is the data's own, where a part keeps it in an object
    // of its own.
    void stream(QPDFObjectHandle object)
    {
        const std::shared_ptr<Buffer> data = object.getRawStreamData();
        put("<<");
        entries(object.getDict(), { "/Length" });
        put("/Length " + number(qint64(data->getSize())) + ">>\nstream\n");
        put(reinterpret_cast<const char *>(data->getBuffer()), data->getSize());
        put("\nendstream");
    }

    // The cross-reference table and the trailer; false when any write failed, the closing one
    // included (a full disk, a network share).
    bool finish()
    {
        const qint64 table = m_offset + qint64(m_text.size());
        put("xref\n0 " + number(qint64(m_offsets.size())) + "\n0000000000 65535 f \n");
        for (size_t object = 1; object < m_offsets.size(); ++object) {
            char entry[21];
            std::snprintf(entry, sizeof entry, "%010lld 00000 n \n", m_offsets[object]);
            put(entry, 20);
        }
        put("trailer\n<< /Size " + number(qint64(m_offsets.size())) + " /Root " + number(kCatalog)
            + " 0 R /Info " + number(kInfo) + " 0 R >>\nstartxref\n" + number(table) + "\n%%EOF\n");
        flush();
        const bool closed = std::fclose(m_file) == 0;
        m_file = nullptr;
        // An object given a number and never written would leave the table pointing nowhere.
        return closed && m_written
            && std::none_of(
                m_offsets.begin() + 1, m_offsets.end(), [](qint64 offset) { return offset < 0; });
    }

private:
    // Written a megabyte at a time: one call per object would cost more than the object.
    static constexpr size_t kFlushed = 1 << 20;
    void flush()
    {
        if (m_written && std::fwrite(m_text.data(), 1, m_text.size(), m_file) != m_text.size())
            m_written = false;
        m_offset += qint64(m_text.size());
        m_text.clear();
    }

    std::FILE *m_file;
    std::string m_text; // not yet written
    qint64 m_offset = 0; // of the text
    bool m_written = true;
    std::vector<qint64> m_offsets; // where each object begins, by its number
    std::map<QPDFObjGen, int> m_numbers; // of the part being read
    std::set<QPDFObjGen> m_pages; // its pages that the joined file keeps
    std::vector<QPDFObjectHandle> m_waiting;
};

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
        m_out.put("<< /Type /Pages /Count " + number(qint64(m_kids.size())) + " /Kids [");
        for (int kid : m_kids) {
            m_out.reference(kid);
            m_out.put(" ");
        }
        m_out.put("] >>");
        m_out.endObject();
        m_out.beginObject(kCatalog);
        m_out.put("<< /Type /Catalog /Pages " + number(kPages) + " 0 R\n" + m_firstPart.catalogue
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
        m_out.put("<< /Type /Outlines /First " + number(first) + " 0 R /Last " + number(last)
            + " 0 R /Count " + number(qint64(entries.size())) + " >>");
        m_out.endObject();
        for (size_t n = 0; n < entries.size(); ++n) {
            const int item = first + int(n);
            m_out.beginObject(item);
            m_out.put("<< /Title " + pdfText(entries[n].title) + " /Parent " + number(root)
                + " 0 R /Dest [" + number(m_kids[size_t(entries[n].page)]) + " 0 R /XYZ null "
                + QPDFObjectHandle::newReal(entries[n].top, 2).unparse() + " null]");
            if (item > first)
                m_out.put(" /Prev " + number(item - 1) + " 0 R");
            if (item < last)
                m_out.put(" /Next " + number(item + 1) + " 0 R");
            m_out.put(" >>");
            m_out.endObject();
        }
        // The reader opens with the outline beside the pages.
        return "/Outlines " + number(root) + " 0 R /PageMode /UseOutlines\n";
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

bool PdfFiles::join(const QStringList &parts, const QString &target, const DocumentInfo &info)
{
    Joiner joiner(target, info.pages);
    return !parts.isEmpty() && std::all_of(parts.begin(), parts.end(), [&](const QString &part) {
        return joiner.add(part);
    }) && joiner.finish(info);
}
