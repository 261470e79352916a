#pragma once

#include <QString>

#include <qpdf/QPDFObjGen.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

// The joined file of a document's parts, written object after object as each part is read
// with qpdf, each object renumbered into the joined file's numbers.
namespace JoinedNumbers {
// The objects that the joined file makes itself, numbered before any part's: they are
// written last, once every page is known.
constexpr int kCatalog = 1;
constexpr int kPages = 2;
constexpr int kInfo = 3;
constexpr int kNone = 0; // a reference to what the joined file leaves out reads null
} // namespace JoinedNumbers

class JoinedFile
{
public:
    explicit JoinedFile(const QString &path);
    ~JoinedFile();
    JoinedFile(const JoinedFile &) = delete;
    JoinedFile &operator=(const JoinedFile &) = delete;

    bool isOpen() const { return m_file != nullptr; }
    // The parts' own numbers point nowhere in the joined file.
    void beginPart();
    // References to object read as references to number from now on, in this part; false
    // when it was numbered before, or is not an object of its own.
    bool renumber(const QPDFObjectHandle &object, int number);
    // The number object takes in the joined file; written with the part's other objects.
    int numberOf(const QPDFObjectHandle &object);
    // The same for a page, whose parent is the joined file's page tree.
    int numberOfPage(const QPDFObjectHandle &object);
    // A number for an object that the caller writes itself.
    int reserve();
    // Every object of this part that was given a number, and every one they reach.
    void writeWaiting();

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
    void beginObject(int object);
    void endObject();
    void reference(int object);

    // The object as it stands, with references to the joined file's numbers; itself when
    // direct, else only a reference to it.
    void value(QPDFObjectHandle object, bool direct = false);
    // The dictionary's entry for key, on a line, when it has one.
    void entry(QPDFObjectHandle dictionary, const std::string &key);
    // A dictionary's entries but those skipped, each on a line.
    void entries(QPDFObjectHandle dictionary, const std::vector<std::string> &skipped = {});

    // The cross-reference table and the trailer; false when any write failed, the closing one
    // included (a full disk, a network share).
    bool finish();

private:
    // Written back as it was read, filters and all: decoding and compressing the streams again
    // would only cost time. Its length is the data's own, where a part keeps it in an object
    // of its own.
    void stream(QPDFObjectHandle object);
    void flush();

    std::FILE *m_file;
    std::string m_text; // not yet written
    qint64 m_offset = 0; // of the text
    bool m_written = true;
    std::vector<qint64> m_offsets; // where each object begins, by its number
    std::map<QPDFObjGen, int> m_numbers; // of the part being read
    std::set<QPDFObjGen> m_pages; // its pages that the joined file keeps
    std::vector<QPDFObjectHandle> m_waiting;
};

// An integer as a PDF file writes it.
std::string pdfNumber(qint64 value);
