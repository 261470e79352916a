#include "document/JoinedFile.h"

#include <QFile>

#include <qpdf/Buffer.hh>

#include <algorithm>

using namespace JoinedNumbers;

namespace {

// Written a megabyte at a time: one call per object would cost more than the object.
constexpr size_t kFlushed = 1 << 20;

} // namespace

std::string pdfNumber(qint64 value)
{
    return std::to_string(value);
}

JoinedFile::JoinedFile(const QString &path)
    : m_file(std::fopen(QFile::encodeName(path).constData(), "wb"))
    , m_offsets(kInfo + 1, -1)
{ }

JoinedFile::~JoinedFile()
{
    if (m_file)
        std::fclose(m_file);
}

void JoinedFile::beginPart()
{
    m_numbers.clear();
    m_pages.clear();
}

bool JoinedFile::renumber(const QPDFObjectHandle &object, int number)
{
    return object.isIndirect() && m_numbers.try_emplace(object.getObjGen(), number).second;
}

int JoinedFile::numberOf(const QPDFObjectHandle &object)
{
    const auto [found, added] = m_numbers.try_emplace(object.getObjGen(), 0);
    if (added) {
        found->second = reserve();
        m_waiting.push_back(object);
    }
    return found->second;
}

int JoinedFile::numberOfPage(const QPDFObjectHandle &object)
{
    m_pages.insert(object.getObjGen());
    return numberOf(object);
}

int JoinedFile::reserve()
{
    m_offsets.push_back(-1);
    return int(m_offsets.size()) - 1;
}

void JoinedFile::writeWaiting()
{
    for (size_t next = 0; next < m_waiting.size(); ++next) {
        QPDFObjectHandle object = m_waiting[next];
        beginObject(m_numbers.at(object.getObjGen()));
        if (object.isStream()) {
            stream(object);
        } else if (m_pages.count(object.getObjGen())) {
            put("<<");
            entries(object, { "/Parent" });
            put("/Parent " + pdfNumber(kPages) + " 0 R>>");
        } else {
            value(object, true);
        }
        endObject();
    }
    m_waiting.clear();
}

void JoinedFile::beginObject(int object)
{
    m_offsets[size_t(object)] = m_offset + qint64(m_text.size());
    put(pdfNumber(object) + " 0 obj\n");
}

void JoinedFile::endObject()
{
    put("\nendobj\n");
    if (m_text.size() >= kFlushed)
        flush();
}

void JoinedFile::reference(int object)
{
    put(object == kNone ? "null" : pdfNumber(object) + " 0 R");
}

void JoinedFile::value(QPDFObjectHandle object, bool direct)
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

void JoinedFile::entry(QPDFObjectHandle dictionary, const std::string &key)
{
    QPDFObjectHandle item = dictionary.getKey(key);
    if (item.isNull())
        return;
    put(QPDFObjectHandle::newName(key).unparse() + " ");
    value(item);
    put("\n");
}

void JoinedFile::entries(QPDFObjectHandle dictionary, const std::vector<std::string> &skipped)
{
    for (auto [key, item] : dictionary.ditems()) {
        if (item.isNull() || std::find(skipped.begin(), skipped.end(), key) != skipped.end())
            continue;
        put(QPDFObjectHandle::newName(key).unparse() + " ");
        value(item);
        put("\n");
    }
}

void JoinedFile::stream(QPDFObjectHandle object)
{
    const std::shared_ptr<Buffer> data = object.getRawStreamData();
    put("<<");
    entries(object.getDict(), { "/Length" });
    put("/Length " + pdfNumber(qint64(data->getSize())) + ">>\nstream\n");
    put(reinterpret_cast<const char *>(data->getBuffer()), data->getSize());
    put("\nendstream");
}

bool JoinedFile::finish()
{
    const qint64 table = m_offset + qint64(m_text.size());
    put("xref\n0 " + pdfNumber(qint64(m_offsets.size())) + "\n0000000000 65535 f \n");
    for (size_t object = 1; object < m_offsets.size(); ++object) {
        char entry[21];
        std::snprintf(entry, sizeof entry, "%010lld 00000 n \n", m_offsets[object]);
        put(entry, 20);
    }
    put("trailer\n<< /Size " + pdfNumber(qint64(m_offsets.size())) + " /Root " + pdfNumber(kCatalog)
        + " 0 R /Info " + pdfNumber(kInfo) + " 0 R >>\nstartxref\n" + pdfNumber(table)
        + "\n%%EOF\n");
    flush();
    const bool closed = std::fclose(m_file) == 0;
    m_file = nullptr;
    // An object given a number and never written would leave the table pointing nowhere.
    return closed && m_written
        && std::none_of(
            m_offsets.begin() + 1, m_offsets.end(), [](qint64 offset) { return offset < 0; });
}

void JoinedFile::flush()
{
    if (m_written && std::fwrite(m_text.data(), 1, m_text.size(), m_file) != m_text.size())
        m_written = false;
    m_offset += qint64(m_text.size());
    m_text.clear();
}
