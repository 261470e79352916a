#include "document/WorkingFileGuard.h"

#include <QFile>

#include <algorithm>
#include <atomic>
#include <climits>
#include <csignal>
#include <cstring>

#include <unistd.h>

namespace {

constexpr int kSignals[] = { SIGTERM, SIGINT, SIGHUP };
constexpr int kSignalCount = int(std::size(kSignals));

// Prepared before the signals can come, so that the handler only reads them.
char g_workingFile[PATH_MAX];
std::size_t g_extensionAt = 0; // where a part's number goes into the working file's name
volatile std::sig_atomic_t g_armed = 0;
volatile std::sig_atomic_t g_partCount = 0;
struct sigaction g_previous[kSignalCount];
bool g_installed[kSignalCount] = {};

// The name of a part (WorkingFileGuard::partPath, parts 1 to 9,999), built without any
// function that a signal handler may not call.
void unlinkPart(int part)
{
    char path[PATH_MAX + 8];
    std::size_t length = 0;
    for (; length < g_extensionAt; ++length)
        path[length] = g_workingFile[length];
    path[length++] = '-';
    char digits[4];
    int count = 0;
    for (; part > 0 && count < 4; part /= 10)
        digits[count++] = char('0' + part % 10);
    while (count > 0)
        path[length++] = digits[--count];
    for (std::size_t at = g_extensionAt; g_workingFile[at] != '\0'; ++at)
        path[length++] = g_workingFile[at];
    path[length] = '\0';
    ::unlink(path);
}

extern "C" void removeWorkingFile(int signal)
{
    if (g_armed) {
        ::unlink(g_workingFile);
        for (int part = 1; part <= g_partCount; ++part)
            unlinkPart(part);
    }
    // Whatever the signal would have done before, it now does: end the program, as a rule.
    for (int i = 0; i < kSignalCount; ++i) {
        if (kSignals[i] == signal)
            ::sigaction(signal, &g_previous[i], nullptr);
    }
    ::raise(signal);
}

// Before the extension of the file's name, or at its end when it has none.
qsizetype extensionAt(QStringView path)
{
    const qsizetype dot = path.lastIndexOf(u'.');
    return dot > path.lastIndexOf(u'/') + 1 ? dot : path.size();
}

} // namespace

WorkingFileGuard::WorkingFileGuard(const QString &path)
{
    const QByteArray encoded = QFile::encodeName(path);
    g_armed = 0;
    g_partCount = 0;
    if (encoded.size() >= qsizetype(sizeof g_workingFile))
        return; // no such file can exist to be removed
    std::memcpy(g_workingFile, encoded.constData(), encoded.size() + 1);
    g_extensionAt = QFile::encodeName(path.first(extensionAt(path))).size();
    // The names are complete before a handler may read them.
    std::atomic_signal_fence(std::memory_order_seq_cst);
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

QString WorkingFileGuard::partPath(const QString &path, int part)
{
    const qsizetype at = extensionAt(path);
    return path.first(at) + u'-' + QString::number(part) + path.sliced(at);
}

void WorkingFileGuard::setPartCount(int count)
{
    g_partCount = std::min(count, 9999);
}

WorkingFileGuard::~WorkingFileGuard()
{
    for (int i = 0; i < kSignalCount; ++i) {
        if (g_installed[i])
            ::sigaction(kSignals[i], &g_previous[i], nullptr);
        g_installed[i] = false;
    }
    g_armed = 0;
    g_partCount = 0;
}
