// The settings-file writer: one key written into any file. What was written reads back (as
// the reader cleans it), every other key keeps its value, the result parses, and writing the
// same key again changes nothing.
#include "FuzzCheck.h"
#include "settings/ProfileFile.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QByteArray>
#include <QList>

#include <cstdint>
#include <optional>
#include <string>

namespace {

// Raw UTF-16 units half of the time, so that lone surrogates and every BMP character reach the
// writer, not only what a UTF-8 decoder lets through.
QString fuzzedText(FuzzedDataProvider &in, size_t maxLength)
{
    const bool utf16 = in.ConsumeBool();
    const std::string raw = in.ConsumeRandomLengthString(maxLength);
    if (!utf16)
        return QString::fromUtf8(raw.data(), qsizetype(raw.size()));
    QString text;
    for (size_t i = 0; i + 1 < raw.size(); i += 2)
        text += QChar(char16_t(uchar(raw[i]) | (uchar(raw[i + 1]) << 8)));
    return text;
}

QString fuzzedName(FuzzedDataProvider &in, bool section)
{
    const auto &names = programSettings();
    const int pick = in.ConsumeIntegralInRange<int>(0, int(names.size()));
    if (pick < names.size())
        return section ? names[pick].section : names[pick].key;
    return fuzzedText(in, 24);
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

QString trimmed(QStringView s)
{
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && isBlank(s[begin]))
        ++begin;
    while (end > begin && isBlank(s[end - 1]))
        --end;
    return s.sliced(begin, end - begin).toString();
}

// Neither file encoding carries a lone surrogate: it is stored as U+FFFD.
QString withoutLoneSurrogates(QStringView s, bool lineBreaksToBlanks)
{
    QString out;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i].isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate()) {
            out += s[i];
            out += s[++i];
        } else if (s[i].isSurrogate()) {
            out += QChar(QChar::ReplacementCharacter);
        } else if (lineBreaksToBlanks && (s[i] == u'\r' || s[i] == u'\n')) {
            out += u' ';
        } else {
            out += s[i];
        }
    }
    return out;
}

// What a reader gets back for a written value: line breaks became blanks, the blanks around
// it are dropped and one pair of matching quotes is taken off.
QString readBack(const QString &written)
{
    const QString v = trimmed(withoutLoneSurrogates(written, true));
    if (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front())
        return v.sliced(1, v.size() - 2);
    return v;
}

bool sameName(const QString &a, const QString &b)
{
    return trimmed(withoutLoneSurrogates(a, false))
               .compare(trimmed(withoutLoneSurrogates(b, false)), Qt::CaseInsensitive)
        == 0;
}

// The names of a file's keys, each with the section it stands in, found by a rough scan of its
// lines: they are only the names to ask the document about before and after the write, and the
// document answers for itself.
void collectNames(const QByteArray &bytes, QList<SettingsName> &names)
{
    const QString text = QString::fromUtf8(bytes).contains(QChar(QChar::ReplacementCharacter))
        ? QString::fromLatin1(bytes)
        : QString::fromUtf8(bytes);
    QString section;
    for (QStringView line : QStringView(text).split(u'\n')) {
        const QString t = trimmed(line.endsWith(u'\r') ? line.chopped(1) : line);
        if (t.startsWith(u'[') && t.endsWith(u']') && t.size() >= 2) {
            section = t.sliced(1, t.size() - 2);
        } else if (const qsizetype equals = t.indexOf(u'='); equals > 0 && names.size() < 64) {
            names.append({ section, t.first(equals) });
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const QString section = fuzzedName(in, true);
    const QString key = fuzzedName(in, false);
    const QString value = fuzzedText(in, 300);
    const std::string rest = in.ConsumeRemainingBytesAsString();
    const QByteArray before(rest.data(), qsizetype(rest.size()));

    QList<SettingsName> names { { section, key } };
    names.append(programSettings());
    collectNames(before, names);

    ProfileDocument doc = ProfileDocument::fromBytes(before);
    QList<std::optional<QString>> valuesBefore;
    for (const SettingsName &name : names)
        valuesBefore.append(doc.value(name.section, name.key));

    if (!doc.setValue(section, key, value)) {
        FUZZ_CHECK(doc.toBytes() == before);
        return 0;
    }
    const QByteArray after = doc.toBytes();
    const ProfileDocument reread = ProfileDocument::fromBytes(after);
    FUZZ_CHECK(reread.toBytes() == after);
    FUZZ_CHECK(doc.value(section, key) == readBack(value));
    FUZZ_CHECK(reread.value(section, key) == readBack(value));

    for (qsizetype i = 0; i < names.size(); ++i) {
        if (sameName(names[i].section, section) && sameName(names[i].key, key))
            continue;
        const std::optional<QString> now = reread.value(names[i].section, names[i].key);
        if (now != valuesBefore[i]) {
            std::fprintf(stderr, "[%s] %s was \"%s\", is \"%s\" after writing [%s] %s\n",
                qPrintable(names[i].section), qPrintable(names[i].key),
                qPrintable(valuesBefore[i].value_or(QStringLiteral("(none)"))),
                qPrintable(now.value_or(QStringLiteral("(none)"))), qPrintable(section),
                qPrintable(key));
        }
        FUZZ_CHECK(now == valuesBefore[i]);
    }

    ProfileDocument again = ProfileDocument::fromBytes(after);
    FUZZ_CHECK(again.setValue(section, key, value));
    FUZZ_CHECK(again.toBytes() == after);
    return 0;
}
