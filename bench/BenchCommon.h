// What every benchmark shares: a clock, medians, the process's memory, realistic font names,
// and one result line per figure that scripts/bench.sh gathers into its table.
#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

namespace Bench {

// Milliseconds taken by one call of work.
inline double timeMs(const std::function<void()> &work)
{
    QElapsedTimer clock;
    clock.start();
    work();
    return double(clock.nsecsElapsed()) / 1e6;
}

// Processor time of the whole process so far, all threads: unlike wall time it does not
// stretch when other programs share the cores.
inline double cpuMs()
{
    return 1000.0 * double(std::clock()) / CLOCKS_PER_SEC;
}

inline double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Median of `runs` timed calls.
inline double medianMs(int runs, const std::function<void()> &work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i)
        times.push_back(timeMs(work));
    return median(times);
}

// A field of /proc/self/status in kB (VmRSS, VmHWM), 0 where it cannot be read.
long statusKb(const char *field);

// Names as a machine with tens of thousands of fonts lists them: families of many foundries
// and scripts, widths and weights, some in lower case, some accented, all different, in a
// shuffled order fixed by the count.
QStringList realisticFontNames(int count);

// "1.23 ms", "45.6 µs" or "12.3 s", whichever reads better.
QString duration(double ms);

// One row of the table: benchmark, size of the work, median time, time per font, target and
// whether it was met ("yes", "NO" or "-" where there is no target).
void result(const QString &benchmark, const QString &work, const QString &median,
    const QString &perFont, const QString &target, const QString &met);

inline QString met(bool ok)
{
    return ok ? QStringLiteral("yes") : QStringLiteral("NO");
}

} // namespace Bench
