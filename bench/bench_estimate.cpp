// The page estimate's layout on the real printer service (its PDF device where no printer is
// installed): 100 to 30,000 entries cycling through the installed families, both content
// modes, cold (a printer service that has measured nothing yet) and warm (the same estimate
// again, as on the next keystroke).
//
// "real" stops after the estimates over the installed families once each, which is all that
// a machine with thousands of them can time in minutes.
//
//   bench_estimate [runs | real]      TYPOVISE_BENCH_PAUSE_MS=1000: the first estimate a second
//                                     after the printer service was made
#include "BenchCommon.h"
#include "app/TextHelpers.h"
#include "printer/QtPrinterService.h"
#include "printing/CatalogueLayout.h"

#include <QGuiApplication>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <thread>

using namespace Bench;

namespace {

QStringList cyclingEntries(const QStringList &families, int count)
{
    QStringList entries;
    entries.reserve(count);
    const int digits = TextHelpers::numberFieldWidth(count);
    for (int i = 0; i < count; ++i)
        entries.append(TextHelpers::numberedEntry(i + 1, digits, families.at(i % families.size())));
    return entries;
}

CatalogueOptions options(bool withSamples)
{
    CatalogueOptions o;
    o.AvecExemple = withSamples;
    o.TaillePolice = 12;
    return o;
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication application(argc, argv);
    const int runs
        = std::max(3, QCoreApplication::arguments().value(1, QStringLiteral("7")).toInt());
    QTemporaryDir pdf;

    QStringList families;
    {
        QtPrinterService printer(pdf.path());
        for (int i = 0; i < printer.FontCount(); ++i)
            families.append(printer.Fonts(i));
        std::printf("printer service: %s, %lld families\n",
            printer.printsToPdf() ? "PDF device (no printer installed)"
                                  : qPrintable(printer.printerName()),
            qlonglong(families.size()));
    }
    if (families.isEmpty()) {
        std::printf("no installed font\n");
        return 1;
    }

    // The very first estimate of the process also loads every face from disk; the same
    // estimate again finds every height measured, and a size not asked before measures every
    // face again.
    {
        QtPrinterService printer(pdf.path());
        printer.FontCount(); // the census the program's start-up takes on the same service
        const QStringList entries = cyclingEntries(families, families.size());
        const QString work = QStringLiteral("%1 entries, Nom + Exemple").arg(families.size());
        const CatalogueLayout layout(printer, entries, options(true));
        // TYPOVISE_BENCH_PAUSE_MS: the time a user takes from the main window to the print
        // dialog, during which the printer service reads what it can ahead.
        const int pauseMs = qEnvironmentVariableIntValue("TYPOVISE_BENCH_PAUSE_MS");
        if (pauseMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
        const double cpuBefore = cpuMs();
        const double ms = timeMs([&] { layout.Nb_Pages(); });
        const double cpu = cpuMs() - cpuBefore;
        const double againMs = timeMs([&] { layout.Nb_Pages(); });
        CatalogueOptions resized = options(true);
        resized.TaillePolice = 13;
        const CatalogueLayout newSize(printer, entries, resized);
        const double newSizeMs = timeMs([&] { newSize.Nb_Pages(); });
        std::printf("first estimate of the process (%lld families, Nom + Exemple): %.1f ms "
                    "(processor %.1f ms); again %.2f ms; at a new size %.1f ms\n",
            qlonglong(families.size()), ms, cpu, againMs, newSizeMs);
        result(QStringLiteral("Page estimate, first of the process"), work, duration(ms),
            duration(ms / families.size()), QStringLiteral("-"), QStringLiteral("-"));
        result(QStringLiteral("Page estimate, the same again"), work, duration(againMs),
            duration(againMs / families.size()), QStringLiteral("-"), QStringLiteral("-"));
        result(QStringLiteral("Page estimate, a size not measured before"), work,
            duration(newSizeMs), duration(newSizeMs / families.size()), QStringLiteral("-"),
            QStringLiteral("-"));
    }
    if (QCoreApplication::arguments().value(1) == QLatin1String("real"))
        return 0;

    bool allMet = true;
    for (const bool withSamples : { false, true }) {
        const QString mode
            = withSamples ? QStringLiteral("Nom + Exemple") : QStringLiteral("Nom uniquement");
        for (const int count : { 100, 1000, 10000, 30000 }) {
            const QStringList entries = cyclingEntries(families, count);
            std::vector<double> cold;
            std::vector<double> warm;
            qint64 pages = 0;
            for (int r = 0; r < runs; ++r) {
                QtPrinterService printer(pdf.path());
                const CatalogueLayout layout(printer, entries, options(withSamples));
                cold.push_back(timeMs([&] { pages = layout.Nb_Pages().value_or(-1); }));
                warm.push_back(timeMs([&] { layout.Nb_Pages(); }));
            }
            const double coldMs = median(cold);
            const double warmMs = median(warm);
            std::printf("estimate, %-14s %6d entries: %lld pages; cold %.2f ms, warm %.2f ms "
                        "(%.0f ns per entry warm)\n",
                qPrintable(mode), count, pages, coldMs, warmMs, warmMs * 1e6 / count);
            const QString work = QStringLiteral("%1 entries, %2").arg(count).arg(mode);
            result(QStringLiteral("Page estimate, cold"), work, duration(coldMs),
                duration(coldMs / count), QStringLiteral("-"), QStringLiteral("-"));
            QString target = QStringLiteral("-");
            QString ok = QStringLiteral("-");
            if (withSamples && count == 10000) {
                target = QStringLiteral("< 20 ms");
                ok = met(warmMs < 20);
                allMet = allMet && warmMs < 20;
            } else if (withSamples && count == 30000) {
                target = QStringLiteral("< 16 ms");
                ok = met(warmMs < 16);
                allMet = allMet && warmMs < 16;
            }
            result(QStringLiteral("Page estimate, warm"), work, duration(warmMs),
                duration(warmMs / count), target, ok);
        }
    }
    return allMet ? 0 : 1;
}
