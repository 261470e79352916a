#include "document/PdfJoin.h"

#include <QByteArrayView>
#include <QFile>

#include <climits>
#include <cstring>
#include <memory>
#include <vector>

namespace {

bool isBlank(char c)
{
    return c == '\0' || c == '\t' || c == '\n' || c == '\f' || c == '\r' || c == ' ';
}

bool isDelimiter(char c)
{
    return c != '\0' && std::strchr("()<>[]{}/%", c) != nullptr;
}

struct Token
{
    enum Kind { Integer, Name, Word, String, Open, Close, End };
    Kind kind = End;
    qsizetype begin = 0;
    qsizetype end = 0;
    qint64 value = -1; // an Integer's value
};

// Reads a PDF file's objects token by token, strings and comments skipped whole, so that a
// reference is told from the same characters inside a string.
class Lexer
{
public:
    Lexer(QByteArrayView pdf, qsizetype at)
        : m_pdf(pdf)
        , m_at(at)
    { }
    qsizetype position() const { return m_at; }
    Token next();

private:
    bool skipString();
    QByteArrayView m_pdf;
    qsizetype m_at;
};

Token Lexer::next()
{
    while (m_at < m_pdf.size() && (isBlank(m_pdf[m_at]) || m_pdf[m_at] == '%')) {
        if (m_pdf[m_at] == '%') {
            while (m_at < m_pdf.size() && m_pdf[m_at] != '\n' && m_pdf[m_at] != '\r')
                ++m_at;
        } else {
            ++m_at;
        }
    }
    Token token;
    token.begin = m_at;
    if (m_at >= m_pdf.size())
        return token;
    const char c = m_pdf[m_at];
    const char following = m_at + 1 < m_pdf.size() ? m_pdf[m_at + 1] : '\0';
    if ((c == '<' && following == '<') || (c == '>' && following == '>')) {
        token.kind = c == '<' ? Token::Open : Token::Close;
        m_at += 2;
    } else if (c == '[' || c == ']') {
        token.kind = c == '[' ? Token::Open : Token::Close;
        ++m_at;
    } else if (c == '(' || c == '<') {
        if (!skipString())
            return Token();
        token.kind = Token::String;
    } else if (c == '/' || !isDelimiter(c)) {
        token.kind = c == '/' ? Token::Name : Token::Word;
        for (++m_at; m_at < m_pdf.size() && !isBlank(m_pdf[m_at]) && !isDelimiter(m_pdf[m_at]);)
            ++m_at;
        const QByteArrayView text = m_pdf.sliced(token.begin, m_at - token.begin);
        bool digits = text.size() <= 10;
        for (const char d : text)
            digits = digits && d >= '0' && d <= '9';
        if (digits) {
            token.kind = Token::Integer;
            token.value = text.toLongLong();
        }
    } else {
        return Token(); // a delimiter that starts nothing: not a file this joiner knows
    }
    token.end = m_at;
    return token;
}

bool Lexer::skipString()
{
    if (m_pdf[m_at] == '<') {
        const qsizetype close = m_pdf.indexOf('>', m_at);
        m_at = close + 1;
        return close > 0;
    }
    int depth = 0;
    for (; m_at < m_pdf.size(); ++m_at) {
        const char c = m_pdf[m_at];
        if (c == '\\')
            ++m_at;
        else if (c == '(')
            ++depth;
        else if (c == ')' && --depth == 0)
            break;
    }
    ++m_at;
    return depth == 0 && m_at <= m_pdf.size();
}

bool isWord(QByteArrayView pdf, const Token &token, QByteArrayView word)
{
    return token.kind == Token::Word && pdf.sliced(token.begin, token.end - token.begin) == word;
}

// One object as written: its value's tokens, and where its stream's data starts, if any.
struct Object
{
    std::vector<Token> tokens;
    qsizetype streamAt = -1;
};

// Reads one value at lexer's position: a dictionary or array whole, or a single token.
bool readValue(Lexer &lexer, std::vector<Token> &tokens)
{
    int depth = 0;
    do {
        const Token token = lexer.next();
        if (token.kind == Token::End)
            return false;
        depth += token.kind == Token::Open ? 1 : token.kind == Token::Close ? -1 : 0;
        tokens.push_back(token);
    } while (depth > 0);
    return depth == 0;
}

bool readObject(QByteArrayView pdf, qint64 offset, qint64 number, Object &object)
{
    if (offset < 0)
        return false;
    Lexer lexer(pdf, offset);
    const Token id = lexer.next();
    const Token generation = lexer.next();
    if (id.kind != Token::Integer || id.value != number || generation.kind != Token::Integer
        || !isWord(pdf, lexer.next(), "obj") || !readValue(lexer, object.tokens)) {
        return false;
    }
    const Token keyword = lexer.next();
    if (isWord(pdf, keyword, "endobj"))
        return true;
    if (!isWord(pdf, keyword, "stream"))
        return false;
    qsizetype at = lexer.position();
    if (at < pdf.size() && pdf[at] == '\r')
        ++at;
    if (at >= pdf.size() || pdf[at] != '\n')
        return false;
    object.streamAt = at + 1;
    return true;
}

// The index of the token after key in a dictionary's top level, or -1.
qsizetype valueAfter(QByteArrayView pdf, const std::vector<Token> &tokens, QByteArrayView key)
{
    int depth = 0;
    for (qsizetype i = 0; i + 1 < qsizetype(tokens.size()); ++i) {
        const Token &token = tokens[i];
        depth += token.kind == Token::Open ? 1 : token.kind == Token::Close ? -1 : 0;
        if (depth == 1 && token.kind == Token::Name
            && pdf.sliced(token.begin, token.end - token.begin) == key) {
            return i + 1;
        }
    }
    return -1;
}

bool isReference(QByteArrayView pdf, const std::vector<Token> &tokens, qsizetype i)
{
    return i >= 0 && i + 2 < qsizetype(tokens.size()) && tokens[i].kind == Token::Integer
        && tokens[i + 1].kind == Token::Integer && isWord(pdf, tokens[i + 2], "R");
}

// A part as its cross-reference table and trailer describe it.
class Part
{
public:
    bool open(const QString &path);
    QByteArrayView pdf() const { return m_pdf; }
    qint64 size() const { return qint64(m_offsets.size()); }
    qint64 offset(qint64 number) const
    {
        return number > 0 && number < size() ? m_offsets[number] : -1;
    }
    qint64 catalog = -1;
    qint64 info = -1;
    qint64 pages = -1;
    qint64 pageCount = -1;

private:
    bool readTable(qint64 xref, Lexer &lexer);
    QFile m_file;
    QByteArrayView m_pdf;
    std::vector<qint64> m_offsets; // by object number; -1 for a free one
};

bool Part::open(const QString &path)
{
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadOnly) || m_file.size() > INT_MAX)
        return false;
    const uchar *bytes = m_file.map(0, m_file.size());
    if (!bytes)
        return false;
    m_pdf = QByteArrayView(reinterpret_cast<const char *>(bytes), m_file.size());
    const qsizetype keyword = m_pdf.lastIndexOf(QByteArrayView("startxref"));
    if (keyword < 0)
        return false;
    Lexer tail(m_pdf, keyword + 9);
    const Token xref = tail.next();
    Lexer lexer(m_pdf, xref.value);
    std::vector<Token> trailer;
    if (xref.kind != Token::Integer || !isWord(m_pdf, lexer.next(), "xref")
        || !readTable(xref.value, lexer) || !readValue(lexer, trailer)) {
        return false;
    }
    const qsizetype root = valueAfter(m_pdf, trailer, "/Root");
    const qsizetype information = valueAfter(m_pdf, trailer, "/Info");
    Object catalogObject;
    if (!isReference(m_pdf, trailer, root)
        || !readObject(m_pdf, offset(trailer[root].value), trailer[root].value, catalogObject))
        return false;
    catalog = trailer[root].value;
    info = isReference(m_pdf, trailer, information) ? trailer[information].value : -1;
    const qsizetype tree = valueAfter(m_pdf, catalogObject.tokens, "/Pages");
    Object pagesObject;
    if (!isReference(m_pdf, catalogObject.tokens, tree)
        || !readObject(m_pdf, offset(catalogObject.tokens[tree].value),
            catalogObject.tokens[tree].value, pagesObject)) {
        return false;
    }
    pages = catalogObject.tokens[tree].value;
    const qsizetype count = valueAfter(m_pdf, pagesObject.tokens, "/Count");
    if (count < 0 || pagesObject.tokens[count].kind != Token::Integer)
        return false;
    pageCount = pagesObject.tokens[count].value;
    return true;
}

bool Part::readTable(qint64 xref, Lexer &lexer)
{
    for (;;) {
        Lexer ahead = lexer;
        const Token first = ahead.next();
        if (isWord(m_pdf, first, "trailer")) {
            lexer = ahead;
            return true;
        }
        const Token count = ahead.next();
        // No file holds more objects than bytes.
        if (first.kind != Token::Integer || count.kind != Token::Integer
            || first.value > m_pdf.size() || count.value > (m_pdf.size() - count.end) / 20)
            return false;
        if (qint64(m_offsets.size()) < first.value + count.value)
            m_offsets.resize(first.value + count.value, -1);
        // Entries are 20 bytes each, "oooooooooo ggggg n" and a two-byte end of line.
        qsizetype at = count.end;
        while (at < m_pdf.size() && isBlank(m_pdf[at]))
            ++at;
        if (at + count.value * 20 > m_pdf.size())
            return false;
        for (qint64 n = first.value; n < first.value + count.value; ++n, at += 20) {
            const QByteArrayView entry = m_pdf.sliced(at, 20);
            const qint64 objectAt = entry.first(10).toLongLong();
            if (entry[17] == 'n' && (objectAt <= 0 || objectAt >= xref))
                return false;
            m_offsets[n] = entry[17] == 'n' ? objectAt : -1;
        }
        lexer = Lexer(m_pdf, at);
    }
}

// Writes the joined file, counting its bytes for the cross-reference table.
class Output
{
public:
    explicit Output(const QString &path)
        : m_file(path)
    { }
    bool open() { return m_file.open(QIODevice::WriteOnly | QIODevice::Truncate); }
    bool write(QByteArrayView bytes)
    {
        m_written += bytes.size();
        return m_file.write(bytes.data(), bytes.size()) == bytes.size();
    }
    qint64 position() const { return m_written; }
    bool close()
    {
        const bool flushed = m_file.flush();
        m_file.close();
        return flushed && m_file.error() == QFileDevice::NoError;
    }

private:
    QFile m_file;
    qint64 m_written = 0;
};

// Copies one object under its new number, its references moved by shift; added goes right
// after the opening of its dictionary.
bool copyObject(const Part &part, qint64 number, qint64 shift, QByteArrayView added, Output &out)
{
    const QByteArrayView pdf = part.pdf();
    Object object;
    if (!readObject(pdf, part.offset(number), number, object))
        return false;
    const std::vector<Token> &tokens = object.tokens;
    if (!added.empty() && (tokens.front().kind != Token::Open || pdf[tokens.front().begin] != '<'))
        return false;
    QByteArray text = QByteArray::number(number + shift) + " 0 obj\n";
    qsizetype copied = tokens.front().begin;
    for (qsizetype i = 0; i < qsizetype(tokens.size()); ++i) {
        if (i == 0 && !added.empty()) {
            text.append(pdf.sliced(copied, tokens[0].end - copied)).append('\n').append(added);
            copied = tokens[0].end;
        } else if (isReference(pdf, tokens, i)) {
            text.append(pdf.sliced(copied, tokens[i].begin - copied));
            text.append(QByteArray::number(tokens[i].value + shift));
            copied = tokens[i].end;
        }
    }
    text.append(pdf.sliced(copied, tokens.back().end - copied));
    if (object.streamAt < 0)
        return out.write(text.append("\nendobj\n"));
    // Qt writes a stream's length as an object of its own, after the stream.
    const qsizetype length = valueAfter(pdf, tokens, "/Length");
    qint64 bytes = length >= 0 && tokens[length].kind == Token::Integer ? tokens[length].value : -1;
    if (isReference(pdf, tokens, length)) {
        Object value;
        const qint64 lengthObject = tokens[length].value;
        bytes = readObject(pdf, part.offset(lengthObject), lengthObject, value)
                && value.tokens.size() == 1 && value.tokens[0].kind == Token::Integer
            ? value.tokens[0].value
            : -1;
    }
    if (bytes < 0 || bytes > pdf.size() - object.streamAt)
        return false;
    Lexer after(pdf, object.streamAt + bytes);
    if (!isWord(pdf, after.next(), "endstream") || !isWord(pdf, after.next(), "endobj"))
        return false;
    return out.write(text.append("\nstream\n")) && out.write(pdf.sliced(object.streamAt, bytes))
        && out.write("\nendstream\nendobj\n");
}

QByteArray tableEntry(qint64 offset, qint64 nextFree)
{
    const QByteArray first = QByteArray::number(offset < 0 ? nextFree : offset);
    return QByteArray(10 - first.size(), '0') + first
        + (offset < 0 ? " 65535 f\r\n" : " 00000 n\r\n");
}

} // namespace

bool PdfJoin::join(const QStringList &parts, const QString &target)
{
    // Objects 1 and 2 are the joined file's catalogue and page tree; the parts' objects follow,
    // each part's numbers moved past the previous part's.
    std::vector<qint64> offsets(3, -1);
    Output out(target);
    QByteArray kids;
    qint64 pageCount = 0;
    qint64 info = -1;
    for (qsizetype index = 0; index < parts.size(); ++index) {
        // One part mapped at a time, so that the join needs no more memory than the largest.
        const auto part = std::make_unique<Part>();
        if (!part->open(parts[index]))
            return false;
        const QByteArrayView header = part->pdf().first(8);
        if (index == 0
            && (!header.startsWith("%PDF-1.") || !out.open()
                || !out.write(header.toByteArray() + "\n%\xE2\xE3\xCF\xD3\n"))) {
            return false;
        }
        const qint64 shift = qint64(offsets.size()) - 1;
        kids.append(QByteArray::number(part->pages + shift)).append(" 0 R\n");
        pageCount += part->pageCount;
        if (info < 0 && part->info > 0)
            info = part->info + shift;
        for (qint64 n = 1; n < part->size(); ++n) {
            const bool skipped = part->offset(n) < 0 || n == part->catalog
                || (n == part->info && info != n + shift);
            offsets.push_back(skipped ? -1 : out.position());
            if (!skipped
                && !copyObject(*part, n, shift, n == part->pages ? "/Parent 2 0 R\n" : "", out)) {
                return false;
            }
        }
    }
    if (parts.isEmpty())
        return false;
    offsets[1] = out.position();
    if (!out.write("1 0 obj\n<<\n/Type /Catalog\n/Pages 2 0 R\n>>\nendobj\n"))
        return false;
    offsets[2] = out.position();
    if (!out.write("2 0 obj\n<<\n/Type /Pages\n/Kids [\n" + kids + "]\n/Count "
            + QByteArray::number(pageCount) + "\n>>\nendobj\n")) {
        return false;
    }
    const qint64 xref = out.position();
    QByteArray table = "xref\n0 " + QByteArray::number(qint64(offsets.size())) + '\n';
    // Free entries are chained, each to the next, the last back to object 0.
    std::vector<qint64> nextFree(offsets.size(), 0);
    for (qint64 n = qint64(offsets.size()) - 1, next = 0; n >= 0; --n) {
        if (offsets[n] < 0) {
            nextFree[n] = next;
            next = n;
        }
    }
    for (qsizetype n = 0; n < qsizetype(offsets.size()); ++n)
        table.append(tableEntry(offsets[n], nextFree[n]));
    table.append("trailer\n<<\n/Size " + QByteArray::number(qint64(offsets.size()))
        + (info > 0 ? "\n/Info " + QByteArray::number(info) + " 0 R" : QByteArray())
        + "\n/Root 1 0 R\n>>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n");
    return out.write(table) && out.close();
}
