// Printing: a catalogue with samples to PDF through the real printer service, over the
// installed families once each or over N entries cycling through them. Each size runs in a
// process of its own, so that the peak resident memory reported is that size's alone.
//
//   bench_print [entries|real] [runs]
//
// TYPOVISE_BENCH_WRITERS sets how many parts are drawn at once (the service's own choice
// otherwise). TYPOVISE_BENCH_KEEP names a folder where the last catalogue stays, printed at a
// fixed moment, so that the pages of two builds can be compared pixel for pixel. Each catalogue's page count, as pdfinfo reads it, is checked against the
// estimate.
#include "BenchCommon.h"
#include "app/TextHelpers.h"
#include "printer/QtPrinterService.h"
#include "printing/CatalogueLayout.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

using namespace Bench;

namespace {

qint64 pdfinfoPages(const QString &file)
{
    QProcess pdfinfo;
    pdfinfo.start(QStringLiteral("pdfinfo"), { file });
    if (!pdfinfo.waitForFinished(60000))
        return -1;
    const QString info = QString::fromUtf8(pdfinfo.readAllStandardOutput());
    return info.section(QStringLiteral("Pages:"), 1).section(u'\n', 0, 0).trimmed().toLongLong();
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication application(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const QString what = args.value(1, QStringLiteral("real"));
    const int runs = std::max(1, args.value(2, QStringLiteral("3")).toInt());
    QTemporaryDir dir;
    QtPrinterService printer(dir.path());
    if (const int writers = qEnvironmentVariableIntValue("TYPOVISE_BENCH_WRITERS"); writers > 0)
        printer.setWriters(writers);
    if (!printer.printsToPdf()) {
        std::printf("a printer is installed (%s); run with CUPS_SERVER=/nonexistent so that the "
                    "catalogues go to PDF files instead of paper\n",
            qPrintable(printer.printerName()));
        return 2;
    }
    QStringList families;
    for (int i = 0; i < printer.FontCount(); ++i)
        families.append(printer.Fonts(i));
    const int count = what == QLatin1String("real") ? int(families.size()) : what.toInt();
    if (families.isEmpty() || count <= 0)
        return 1;
    QStringList entries;
    const int digits = TextHelpers::numberFieldWidth(count);
    for (int i = 0; i < count; ++i)
        entries.append(TextHelpers::numberedEntry(i + 1, digits, families.at(i % families.size())));

    CatalogueOptions options;
    options.AvecExemple = true;
    options.TaillePolice = 12;
    options.LignesExemple[1] = QStringLiteral(" Portez ce vieux whisky au juge blond qui fume");
    options.LignesExemple[2] = QStringLiteral("ABCDEFGHIJKLMNOP 0123456789 éèçàâäù%");
    options.TexteEnTete = QStringLiteral("Catalogue");
    options.AvecDate = true;
    options.AvecHeure = true;
    const CatalogueLayout layout(printer, entries, options);
    // Without spacing lines the estimate is the printed page count.
    const qint64 pages = layout.Nb_Pages().value_or(0);

    const QString keep = qEnvironmentVariable("TYPOVISE_BENCH_KEEP");
    const QDateTime fixedMoment(QDate(2026, 12, 9), QTime(10, 0));
    const long before = statusKb("VmHWM");
    std::vector<double> times;
    std::vector<double> cpuTimes;
    qint64 bytes = 0;
    bool printed = true;
    for (int r = 0; r < runs; ++r) {
        const double cpuBefore = cpuMs();
        times.push_back(timeMs([&] {
            const QDateTime moment = keep.isEmpty() ? QDateTime::currentDateTime() : fixedMoment;
            printed = layout.print(moment, QLocale(QLocale::French)) && printed;
        }));
        cpuTimes.push_back(cpuMs() - cpuBefore);
        const QFileInfo file(printer.lastPdfFile());
        bytes = file.size();
        if (printed && pdfinfoPages(file.filePath()) != pages) {
            std::printf("the estimate, %lld pages, is not the %lld pages printed\n", pages,
                pdfinfoPages(file.filePath()));
            printed = false;
        }
        const QString kept = QDir(keep).filePath(QStringLiteral("catalogue-%1.pdf").arg(count));
        QFile::remove(kept);
        if (keep.isEmpty() || !QFile::rename(file.filePath(), kept))
            QFile::remove(file.filePath());
    }
    const long peak = statusKb("VmHWM");
    const double ms = median(times);
    const double cpu = median(cpuTimes);
    const double seconds = ms / 1000.0;
    std::printf(
        "printing %d entries (%s) with samples to PDF: %lld pages, median %.1f ms (processor "
        "%.1f ms) of %d runs, %.1f pages/s, %.0f fonts/s, PDF %.1f kB; peak RSS %ld kB (%ld kB "
        "before "
        "printing)%s\n",
        count, what == QLatin1String("real") ? "the installed families" : "cycling", pages, ms, cpu,
        runs, pages / seconds, count / seconds, bytes / 1024.0, peak, before,
        printed ? "" : " PRINTING FAILED");
    const QString work = what == QLatin1String("real")
        ? QStringLiteral("%1 real fonts, %2 pages").arg(count).arg(pages)
        : QStringLiteral("%1 entries, %2 pages").arg(count).arg(pages);
    result(QStringLiteral("Printing to PDF"), work,
        QStringLiteral("%1 (%2 pages/s, %3 fonts/s)")
            .arg(duration(ms))
            .arg(pages / seconds, 0, 'f', 1)
            .arg(count / seconds, 0, 'f', 0),
        duration(ms / count), QStringLiteral("-"),
        printed ? QStringLiteral("-") : QStringLiteral("NO"));
    result(QStringLiteral("Printing, peak RSS"), work,
        QStringLiteral("%1 MB (PDF %2 kB)")
            .arg(peak / 1024.0, 0, 'f', 1)
            .arg(bytes / 1024.0, 0, 'f', 0),
        QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("-"));
    std::printf("PEAK\t%d\t%ld\t%ld\t%lld\t%.3f\t%.3f\n", count, peak, before, bytes, ms, cpu);
    return printed ? 0 : 1;
}
