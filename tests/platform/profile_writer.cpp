// Rewrites the crash test's settings file key after key, round after round, until it is
// killed. It carries on from whatever state the file is in, so that each run after a kill
// continues the same sequence of writes.
#include "CrashWriterFile.h"
#include "platform/ProfileFile.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <settings file> <number of keys>\n", argv[0]);
        return 2;
    }
    const QString file = QString::fromLocal8Bit(argv[1]);
    const int keys = std::atoi(argv[2]);
    if (keys <= 0)
        return 2;

    // The first key that lags behind key 0 is the one whose write was cut short.
    const qint64 first
        = ProfileFile::readInt(file, CrashWriterFile::kSection, CrashWriterFile::keyName(0), -1);
    if (first < 0)
        return 3;
    qint64 round = first + 1;
    int k = 0;
    for (int j = 1; j < keys; ++j) {
        if (ProfileFile::readInt(file, CrashWriterFile::kSection, CrashWriterFile::keyName(j), -1)
            != first) {
            round = first;
            k = j;
            break;
        }
    }

    for (;;) {
        if (!ProfileFile::writeString(file, CrashWriterFile::kSection, CrashWriterFile::keyName(k),
                CrashWriterFile::valueFor(k, round))) {
            return 4;
        }
        if (++k == keys) {
            k = 0;
            ++round;
        }
    }
}
