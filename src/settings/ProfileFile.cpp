#include "settings/ProfileFile.h"

#include "settings/TextEncoding.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <climits>

#include <unistd.h>

namespace {

// Settings files are a few kilobytes. The cap only keeps a wrong path (a disk image, a log) from
// filling memory; such a file is treated as unreadable, so a write never replaces it blind.
constexpr qint64 kMaxFileSize = 64 * 1024 * 1024;

constexpr char kBom[] = "\xEF\xBB\xBF";

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

QStringView trimBlanks(QStringView s)
{
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && isBlank(s[begin]))
        ++begin;
    while (end > begin && isBlank(s[end - 1]))
        --end;
    return s.sliced(begin, end - begin);
}

QStringView unquoted(QStringView v)
{
    if (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front())
        return v.sliced(1, v.size() - 2);
    return v;
}

// QString may hold lone surrogates, which neither file encoding can carry (UTF-8 would turn them
// into a replacement anyway). They become U+FFFD here, once, so that what is looked up, what is
// kept in memory and what reaches the disk are the same text. A line break in a value would split
// its line into a second, foreign line, and the older program could not store one either: a
// blank takes its place.
QString cleaned(QStringView s, bool lineBreaksToBlanks)
{
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c.isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate()) {
            out += c;
            out += s[++i];
        } else if (c.isSurrogate()) {
            out += QChar(QChar::ReplacementCharacter);
        } else if (lineBreaksToBlanks && (c == u'\r' || c == u'\n')) {
            out += u' ';
        } else {
            out += c;
        }
    }
    return out;
}

QString cleanedName(QStringView name)
{
    return cleaned(trimBlanks(name), false);
}

bool sameName(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool hasLineBreak(QStringView s)
{
    return s.contains(u'\r') || s.contains(u'\n');
}

enum class Kind { Other, Section, BrokenSection, Key };

struct Parsed
{
    Kind kind = Kind::Other;
    QStringView name;
    QStringView value;
};

Parsed parseLine(QStringView line)
{
    const QStringView t = trimBlanks(line);
    if (t.startsWith(u'[')) {
        // The name ends at the first closing bracket, as the older program's profile calls read
        // it: "[Options] ; mes options" is the section "Options".
        const qsizetype close = t.indexOf(u']');
        if (close > 0)
            return { Kind::Section, trimBlanks(t.sliced(1, close - 1)), {} };
        // Still closes the section above, so the keys under it are never taken for that
        // section's keys.
        return { Kind::BrokenSection, {}, {} };
    }
    if (t.startsWith(u';'))
        return {};
    const qsizetype equals = t.indexOf(u'=');
    if (equals <= 0)
        return {};
    return { Kind::Key, trimBlanks(t.first(equals)), trimBlanks(t.sliced(equals + 1)) };
}

bool isSectionStart(Kind kind)
{
    return kind == Kind::Section || kind == Kind::BrokenSection;
}

enum class LoadStatus { Missing, Loaded, Failed };

struct Loaded
{
    LoadStatus status;
    QByteArray bytes;
};

Loaded load(const QString &path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return { LoadStatus::Missing, {} };
    // Directories, devices and pipes are never settings; opening a pipe would even block.
    if (!info.isFile() || info.size() > kMaxFileSize)
        return { LoadStatus::Failed, {} };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return { LoadStatus::Failed, {} };
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError || bytes.size() > kMaxFileSize)
        return { LoadStatus::Failed, {} };
    return { LoadStatus::Loaded, std::move(bytes) };
}

std::optional<QString> storedValue(const QString &file, QStringView section, QStringView key)
{
    const Loaded loaded = load(file);
    if (loaded.status != LoadStatus::Loaded)
        return std::nullopt;
    return ProfileDocument::fromBytes(loaded.bytes).value(section, key);
}

QString cut(QString text, int maxChars)
{
    if (maxChars <= 0)
        return {};
    if (text.size() <= maxChars)
        return text;
    qsizetype length = maxChars;
    if (text[length - 1].isHighSurrogate() && text[length].isLowSurrogate())
        --length;
    text.truncate(length);
    return text;
}

} // namespace

ProfileDocument ProfileDocument::fromBytes(const QByteArray &bytes)
{
    ProfileDocument doc;
    QByteArrayView body(bytes);
    if (body.startsWith(QByteArrayView(kBom))) {
        doc.m_bom = true;
        body = body.sliced(3);
    }
    const TextEncoding::Utf8Scan scan = TextEncoding::scanUtf8(body);
    doc.m_encoding = !scan.valid ? Encoding::Windows1252
        : scan.ascii             ? Encoding::Ascii
                                 : Encoding::Utf8;

    // QString::fromUtf8 drops a byte order mark at the start of what it decodes, which here is
    // each line: a line beginning with one (two files joined end to end) would lose it at the
    // next write.
    QStringDecoder utf8(QStringConverter::Utf8,
        QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    qsizetype start = 0;
    while (start < body.size()) {
        const qsizetype lf = body.indexOf('\n', start);
        qsizetype end = lf < 0 ? body.size() : lf;
        Ending ending = lf < 0 ? Ending::None : Ending::Lf;
        if (lf > start && body[lf - 1] == '\r') {
            ending = Ending::CrLf;
            --end;
        }
        const QByteArrayView line = body.sliced(start, end - start);
        doc.m_lines.push_back(
            { scan.valid ? QString(utf8.decode(line)) : TextEncoding::decodeWindows1252(line), ending });
        start = lf < 0 ? body.size() : lf + 1;
    }
    return doc;
}

QByteArray ProfileDocument::toBytes() const
{
    const QByteArray prefix = m_bom ? QByteArray(kBom) : QByteArray();
    const auto appendEnding = [](QByteArray &out, Ending ending) {
        if (ending == Ending::CrLf)
            out += "\r\n";
        else if (ending == Ending::Lf)
            out += '\n';
    };

    // A BOM promises UTF-8, and a UTF-8 file edited on Linux stays UTF-8.
    if (m_encoding == Encoding::Windows1252 || (m_encoding == Encoding::Ascii && !m_bom)) {
        QByteArray body;
        bool carried = true;
        for (const Line &line : m_lines) {
            for (const QChar c : line.text) {
                const int b = TextEncoding::windows1252Byte(c.unicode());
                if (b < 0) {
                    carried = false;
                    break;
                }
                body += static_cast<char>(b);
            }
            if (!carried)
                break;
            appendEnding(body, line.ending);
        }
        // The next read guesses the encoding, so Windows-1252 bytes that happen to form UTF-8
        // ("Ã©" is C3 A9, UTF-8 for "é") would come back as other text: such a file is written as
        // UTF-8, as is one holding a character Windows-1252 lacks (never a '?' in its place).
        if (carried) {
            const TextEncoding::Utf8Scan scan = TextEncoding::scanUtf8(body);
            if (!scan.valid || scan.ascii)
                return prefix + body;
        }
    }

    QByteArray out = prefix;
    for (const Line &line : m_lines) {
        out += line.text.toUtf8();
        appendEnding(out, line.ending);
    }
    return out;
}

std::optional<QString> ProfileDocument::value(QStringView section, QStringView key) const
{
    const QString wantedSection = cleanedName(section);
    const QString wantedKey = cleanedName(key);
    if (wantedSection.isEmpty() || wantedKey.isEmpty())
        return std::nullopt;
    bool inSection = false;
    for (const Line &line : m_lines) {
        const Parsed parsed = parseLine(line.text);
        if (isSectionStart(parsed.kind)) {
            // Only the first section of that name counts, as in the older program.
            if (inSection)
                return std::nullopt;
            inSection = parsed.kind == Kind::Section && sameName(parsed.name, wantedSection);
        } else if (inSection && parsed.kind == Kind::Key && sameName(parsed.name, wantedKey)) {
            return unquoted(parsed.value).toString();
        }
    }
    return std::nullopt;
}

bool ProfileDocument::setValue(QStringView section, QStringView key, QStringView value)
{
    const QString wantedSection = cleanedName(section);
    const QString wantedKey = cleanedName(key);
    if (wantedSection.isEmpty() || hasLineBreak(wantedSection) || wantedSection.contains(u']')
        || wantedKey.isEmpty() || hasLineBreak(wantedKey) || wantedKey.contains(u'=')
        || wantedKey.startsWith(u';') || wantedKey.startsWith(u'[')) {
        return false;
    }
    QString keyLine = wantedKey + u'=' + cleaned(value, true);

    qsizetype sectionLine = -1;
    qsizetype lastKeyLine = -1;
    for (qsizetype i = 0; i < qsizetype(m_lines.size()); ++i) {
        const Parsed parsed = parseLine(m_lines[i].text);
        if (isSectionStart(parsed.kind)) {
            if (sectionLine >= 0)
                break;
            if (parsed.kind == Kind::Section && sameName(parsed.name, wantedSection))
                sectionLine = lastKeyLine = i;
        } else if (sectionLine >= 0 && parsed.kind == Kind::Key) {
            if (sameName(parsed.name, wantedKey)) {
                m_lines[i].text = std::move(keyLine);
                return true;
            }
            lastKeyLine = i;
        }
    }

    // After the section's last key, so the blank lines and the comment that may introduce the
    // next section stay where they were.
    if (sectionLine >= 0) {
        insertLine(lastKeyLine + 1, std::move(keyLine));
    } else {
        insertLine(qsizetype(m_lines.size()), u'[' + wantedSection + u']');
        insertLine(qsizetype(m_lines.size()), std::move(keyLine));
    }
    return true;
}

// A file without any line end yet is treated like a new one: CRLF, as Windows writes.
ProfileDocument::Ending ProfileDocument::newLineEnding() const
{
    return !m_lines.empty() && m_lines.front().ending == Ending::Lf ? Ending::Lf : Ending::CrLf;
}

void ProfileDocument::insertLine(qsizetype at, QString text)
{
    const Ending ending = newLineEnding();
    if (at > 0 && m_lines[at - 1].ending == Ending::None) {
        // A last line that ends in a lone CR, given an LF, would read back as a line ended by
        // CRLF and lose that CR from its value; a CRLF after it keeps the CR in the text.
        m_lines[at - 1].ending = m_lines[at - 1].text.endsWith(u'\r') ? Ending::CrLf : ending;
    }
    m_lines.insert(m_lines.begin() + at, Line { std::move(text), ending });
}

int ProfileFile::readInt(
    const QString &file, QStringView section, QStringView key, int defaultValue)
{
    const std::optional<QString> stored = storedValue(file, section, key);
    if (!stored)
        return defaultValue;
    qint64 number = 0;
    for (const QChar c : trimBlanks(*stored)) {
        if (c < u'0' || c > u'9')
            break;
        number = number * 10 + (c.unicode() - u'0');
        if (number > INT_MAX)
            return INT_MAX;
    }
    return static_cast<int>(number);
}

QString ProfileFile::readString(const QString &file, QStringView section, QStringView key,
    const QString &defaultValue, int maxChars)
{
    return cut(storedValue(file, section, key).value_or(defaultValue), maxChars);
}

bool ProfileFile::writeString(
    const QString &file, QStringView section, QStringView key, const QString &value)
{
    // A file that exists but cannot be read must not be replaced by a fresh one.
    const Loaded loaded = load(file);
    if (file.isEmpty() || loaded.status == LoadStatus::Failed)
        return false;
    ProfileDocument doc = ProfileDocument::fromBytes(loaded.bytes);
    if (!doc.setValue(section, key, value))
        return false;
    const QByteArray bytes = doc.toBytes();
    if (loaded.status == LoadStatus::Loaded && bytes == loaded.bytes)
        return true;

    // The new content goes to a temporary file renamed over the old one, so a crash or a full
    // disk leaves the old file whole. No direct-write fallback: that would give this up.
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    // QSaveFile only fills a buffer on write(), and commit() renames even after a flush that
    // failed: on a full disk that would put an empty file in the old one's place. Every step up
    // to the bytes being on the disk is checked before the rename.
    if (out.write(bytes) != bytes.size() || !out.flush() || ::fsync(out.handle()) != 0) {
        out.cancelWriting();
        return false;
    }
    return out.commit();
}
