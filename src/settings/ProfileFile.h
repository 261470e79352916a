#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

// One settings file held in memory. The files are shared with the older Windows program, so
// every line we do not change must come back byte for byte, whatever it holds.
class ProfileDocument
{
public:
    // Never fails: anything that is neither a section nor a key is simply kept.
    static ProfileDocument fromBytes(const QByteArray &bytes);
    QByteArray toBytes() const;

    // The value of the first such key in the first such section, blanks and one pair of
    // surrounding quotes removed; names match with letter case ignored.
    std::optional<QString> value(QStringView section, QStringView key) const;
    // False, and the document untouched, when the names could not be found again once written:
    // empty, holding a line break, a section holding ']', or a key holding '=' or starting like a
    // comment or a section.
    bool setValue(QStringView section, QStringView key, QStringView value);

private:
    enum class Ending : quint8 { None, Lf, CrLf };
    enum class Encoding : quint8 { Ascii, Utf8, Windows1252 };
    struct Line
    {
        QString text;
        Ending ending;
    };

    Ending newLineEnding() const;
    void insertLine(qsizetype at, QString text);

    std::vector<Line> m_lines;
    Encoding m_encoding = Encoding::Ascii;
    bool m_bom = false;
};

// The settings file as the older program used it through the Windows "private profile" calls.
namespace ProfileFile {
// The value's leading decimal digits ("10.5" gives 10, "-5" and "abc" give 0), at most INT_MAX;
// defaultValue when the file, the section or the key is missing or the file cannot be read.
int readInt(const QString &file, QStringView section, QStringView key, int defaultValue);
// At most maxChars UTF-16 units (the older program's buffer held 254 characters); a surrogate
// pair is never split. defaultValue, cut the same way, when the value is missing.
QString readString(const QString &file, QStringView section, QStringView key,
    const QString &defaultValue, int maxChars = 254);
// Writes or replaces one key, creating the file and the section when needed. False when the file
// could not be read or replaced; the file on disk is then exactly as it was.
bool writeString(const QString &file, QStringView section, QStringView key, const QString &value);
} // namespace ProfileFile
