// The settings-file reader on any bytes: the document never changes a file it only read, and
// the three ways the program reads a value (the document, the text read, the integer read)
// agree with each other for every name the program uses.
#include "FuzzCheck.h"
#include "settings/ProfileFile.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <unistd.h>

namespace {

QString scratchFile()
{
    // A memory-backed directory when there is one: the reader is run thousands of times a second.
    const QString dir
        = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    return QStringLiteral("%1/typovise-fuzz-read-%2.ini").arg(dir).arg(getpid());
}

const QString &scratchPath()
{
    static const QString path = [] {
        std::atexit([] { QFile::remove(scratchPath()); });
        return scratchFile();
    }();
    return path;
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

// The integer read as the older program documents it, written apart from the module's own
// loop: the leading decimal digits after blanks, capped, nothing negative.
int expectedInt(const QString &value)
{
    qsizetype i = 0;
    while (i < value.size() && isBlank(value[i]))
        ++i;
    long long number = 0;
    for (; i < value.size() && value[i] >= u'0' && value[i] <= u'9'; ++i) {
        number = number * 10 + (value[i].unicode() - u'0');
        if (number > INT_MAX)
            return INT_MAX;
    }
    return int(number);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const ProfileDocument doc = ProfileDocument::fromBytes(bytes);
    // Reading a file and writing it back untouched must give the same bytes, whatever they are:
    // a later write of one key would otherwise change lines the user never touched.
    FUZZ_CHECK(doc.toBytes() == bytes);

    const QString &path = scratchPath();
    {
        QFile file(path);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        FUZZ_CHECK(file.write(bytes) == bytes.size());
    }

    const QString fallback = QStringLiteral("défaut");
    const auto &names = programSettings();
    for (qsizetype i = 0; i < names.size(); ++i) {
        const SettingsName &name = names[i];
        const std::optional<QString> value = doc.value(name.section, name.key);
        // Names match with letter case and surrounding blanks ignored.
        FUZZ_CHECK(doc.value(name.section.toUpper(), name.key.toLower()) == value);
        FUZZ_CHECK(doc.value(QStringLiteral(" \t") + name.section + u' ',
                       u'\t' + name.key + QStringLiteral("  "))
            == value);
        // A value never reaches past its own line.
        FUZZ_CHECK(!value || !value->contains(u'\n'));

        // Reading the file costs far more than asking the document: a third of the names per
        // input, a different third from one input to the next.
        if (i % 3 != qsizetype(size % 3))
            continue;
        const QString whole
            = ProfileFile::readString(path, name.section, name.key, fallback, INT_MAX);
        FUZZ_CHECK(whole == value.value_or(fallback));
        const QString cut = ProfileFile::readString(path, name.section, name.key, fallback);
        FUZZ_CHECK(cut.size() <= 254);
        FUZZ_CHECK(whole.startsWith(cut));
        FUZZ_CHECK(cut.size() >= 253 || cut == whole);

        const int number = ProfileFile::readInt(path, name.section, name.key, -7);
        FUZZ_CHECK(number == (value ? expectedInt(*value) : -7));
    }
    return 0;
}
