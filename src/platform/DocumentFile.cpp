#include "platform/DocumentFile.h"

#include <QByteArrayView>
#include <QFile>

#include <climits>
#include <csignal>
#include <cstring>

#include <unistd.h>

namespace {

constexpr int kSignals[] = { SIGTERM, SIGINT, SIGHUP };
constexpr int kSignalCount = int(std::size(kSignals));

// Prepared before the signals can come, so that the handler only reads it.
char g_workingFile[PATH_MAX];
volatile std::sig_atomic_t g_armed = 0;
struct sigaction g_previous[kSignalCount];
bool g_installed[kSignalCount] = {};

extern "C" void removeWorkingFile(int signal)
{
    if (g_armed)
        ::unlink(g_workingFile);
    // Whatever the signal would have done before, it now does: end the program, as a rule.
    for (int i = 0; i < kSignalCount; ++i) {
        if (kSignals[i] == signal)
            ::sigaction(signal, &g_previous[i], nullptr);
    }
    ::raise(signal);
}

qsizetype skipBlanks(QByteArrayView pdf, qsizetype at)
{
    while (at < pdf.size() && (pdf[at] == ' ' || pdf[at] == '\r' || pdf[at] == '\n'))
        ++at;
    return at;
}

// The decimal number at at, moving at past it; -1 when there is none.
qint64 readNumber(QByteArrayView pdf, qsizetype &at)
{
    qint64 number = -1;
    for (; at < pdf.size() && pdf[at] >= '0' && pdf[at] <= '9' && number < INT_MAX; ++at)
        number = (number < 0 ? 0 : number * 10) + (pdf[at] - '0');
    return number;
}

bool startsWithAt(QByteArrayView pdf, qint64 at, QByteArrayView word)
{
    return at >= 0 && at <= pdf.size() && pdf.sliced(at).startsWith(word);
}

// Checks the classic cross-reference table at xref against the objects it lists.
bool tableMatchesObjects(QByteArrayView pdf, qint64 xref)
{
    qsizetype at = skipBlanks(pdf, xref + 4);
    while (!startsWithAt(pdf, at, "trailer")) {
        const qint64 first = readNumber(pdf, at);
        at = skipBlanks(pdf, at);
        const qint64 count = readNumber(pdf, at);
        at = skipBlanks(pdf, at);
        if (first < 0 || count < 0 || count > (pdf.size() - at) / 20)
            return false;
        for (qint64 n = first; n < first + count; ++n, at += 20) {
            const QByteArrayView entry = pdf.sliced(at, 20);
            if (entry[17] != 'n')
                continue;
            qsizetype digits = 0;
            const qint64 offset = readNumber(entry, digits);
            qsizetype objectAt = offset;
            if (offset < 0 || offset >= xref || readNumber(pdf, objectAt) != n)
                return false;
            objectAt = skipBlanks(pdf, objectAt);
            if (readNumber(pdf, objectAt) < 0
                || !startsWithAt(pdf, skipBlanks(pdf, objectAt), "obj"))
                return false;
        }
    }
    return true;
}

} // namespace

bool DocumentFile::syncToDisk(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && ::fsync(file.handle()) == 0;
}

bool DocumentFile::isCompletePdf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() < 64 || file.size() > INT_MAX)
        return false;
    const uchar *bytes = file.map(0, file.size());
    if (!bytes)
        return false;
    const QByteArrayView pdf(reinterpret_cast<const char *>(bytes), file.size());
    if (!pdf.startsWith("%PDF-"))
        return false;
    qsizetype end = pdf.size();
    while (end > 0 && (pdf[end - 1] == '\n' || pdf[end - 1] == '\r'))
        --end;
    if (!pdf.first(end).endsWith("%%EOF"))
        return false;
    const QByteArrayView tail = pdf.sliced(std::max<qsizetype>(0, end - 64));
    const qsizetype keyword = tail.lastIndexOf(QByteArrayView("startxref"));
    if (keyword < 0)
        return false;
    qsizetype at = skipBlanks(tail, keyword + 9);
    const qint64 xref = readNumber(tail, at);
    return startsWithAt(pdf, xref, "xref") && tableMatchesObjects(pdf, xref);
}

WorkingFileGuard::WorkingFileGuard(const QString &path)
{
    const QByteArray encoded = QFile::encodeName(path);
    g_armed = 0;
    if (encoded.size() >= qsizetype(sizeof g_workingFile))
        return; // no such file can exist to be removed
    std::memcpy(g_workingFile, encoded.constData(), encoded.size() + 1);
    g_armed = 1;
    struct sigaction action = {};
    action.sa_handler = removeWorkingFile;
    sigemptyset(&action.sa_mask);
    for (int i = 0; i < kSignalCount; ++i) {
        // A signal that was ignored (nohup) stays ignored.
        g_installed[i] = ::sigaction(kSignals[i], nullptr, &g_previous[i]) == 0
            && g_previous[i].sa_handler != SIG_IGN
            && ::sigaction(kSignals[i], &action, nullptr) == 0;
    }
}

WorkingFileGuard::~WorkingFileGuard()
{
    for (int i = 0; i < kSignalCount; ++i) {
        if (g_installed[i])
            ::sigaction(kSignals[i], &g_previous[i], nullptr);
        g_installed[i] = false;
    }
    g_armed = 0;
}
