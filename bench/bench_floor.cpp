// The same-engine floor: the catalogue that bench_print prints through the printer service
// (a header, then for every installed family its name in Arial 12 and two sample lines in the
// family at 12 points, a block never split across pages), printed by the plainest program that
// can: one QPainter on Qt's PDF engine and Qt's own font metrics, with no cache or device of
// its own. What the printer service costs beyond this is its own; what this costs is Qt's.
//
//   bench_floor [runs]
#include "BenchCommon.h"

#include <QDateTime>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QLocale>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>
#include <cstdio>

using namespace Bench;

namespace {

struct Catalogue
{
    QStringList families;
    QString header;
    QString sample1;
    QString sample2;
};

struct Printed
{
    bool ok = false;
    int pages = 0;
    qint64 bytes = 0;
};

QStringList installedFamilies()
{
    QStringList families;
    for (const QString &family : QFontDatabase::families()) {
        if (!QFontDatabase::isPrivateFamily(family))
            families.append(family);
    }
    return families;
}

QFont fontOf(const QString &family, double points, bool bold = false, bool italic = false)
{
    QFont font(family);
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

// Draws one line at y (device pixels) and returns the y of the next one.
double drawLine(QPainter &painter, const QFont &font, double y, const QString &text)
{
    const QFontMetricsF metrics(font, painter.device());
    painter.setFont(font);
    painter.drawText(QPointF(0, y + metrics.ascent()), text);
    return y + metrics.height();
}

Printed printCatalogue(const Catalogue &catalogue, const QString &file)
{
    Printed printed;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    QPainter painter;
    if (!painter.begin(&printer))
        return printed;
    const double printable = printer.pageLayout().paintRectPixels(printer.resolution()).height();
    const QFont arial = fontOf(QStringLiteral("Arial"), 12);
    double y
        = drawLine(painter, fontOf(QStringLiteral("Arial"), 15, true, true), 0, catalogue.header);
    y = drawLine(painter, fontOf(QStringLiteral("Arial"), 10), y, QString());
    printed.pages = 1;
    for (const QString &family : catalogue.families) {
        const QFont sample = fontOf(family, 12);
        const double block = QFontMetricsF(arial, &printer).height()
            + 2 * QFontMetricsF(sample, &printer).height();
        if (y + block > printable) {
            if (!printer.newPage())
                return printed;
            ++printed.pages;
            y = 0;
        }
        y = drawLine(painter, arial, y, family);
        y = drawLine(painter, sample, y, catalogue.sample1);
        y = drawLine(painter, sample, y, catalogue.sample2);
    }
    printed.ok = painter.end() && printer.printerState() != QPrinter::Error;
    printed.bytes = QFileInfo(file).size();
    return printed;
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication application(argc, argv);
    const int runs = std::max(1, QCoreApplication::arguments().value(1).toInt());
    QTemporaryDir dir;
    Catalogue catalogue;
    catalogue.families = installedFamilies();
    if (catalogue.families.isEmpty() || !dir.isValid())
        return 1;
    const QLocale french(QLocale::French);
    const QDateTime now = QDateTime::currentDateTime();
    catalogue.header = QStringLiteral("Catalogue le %1 à %2")
                           .arg(french.toString(now.date(), u"d MMMM yyyy"),
                               french.toString(now.time(), u"H:mm:ss"));
    catalogue.sample1 = QStringLiteral(" Portez ce vieux whisky au juge blond qui fume");
    catalogue.sample2 = QStringLiteral("ABCDEFGHIJKLMNOP 0123456789 éèçàâäù%");

    const long before = statusKb("VmHWM");
    std::vector<double> times;
    std::vector<double> cpuTimes;
    Printed printed;
    bool allPrinted = true;
    for (int r = 0; r < runs; ++r) {
        const QString file = dir.filePath(QStringLiteral("floor-%1.pdf").arg(r));
        const double cpuBefore = cpuMs();
        times.push_back(timeMs([&] { printed = printCatalogue(catalogue, file); }));
        cpuTimes.push_back(cpuMs() - cpuBefore);
        allPrinted = allPrinted && printed.ok;
        QFile::remove(file);
    }
    const long peak = statusKb("VmHWM");
    const double ms = median(times);
    const double cpu = median(cpuTimes);
    const int count = int(catalogue.families.size());
    std::printf("same-engine floor: %d families with samples to PDF, %d pages, median %.1f ms "
                "(processor %.1f ms) of %d runs, PDF %.1f kB; peak RSS %ld kB (%ld kB before "
                "printing)%s\n",
        count, printed.pages, ms, cpu, runs, printed.bytes / 1024.0, peak, before,
        allPrinted ? "" : " PRINTING FAILED");
    const QString work = QStringLiteral("%1 real fonts, %2 pages").arg(count).arg(printed.pages);
    result(QStringLiteral("Printing to PDF, same-engine floor"), work,
        QStringLiteral("%1 (%2 pages/s, %3 fonts/s)")
            .arg(duration(ms))
            .arg(printed.pages / (ms / 1000.0), 0, 'f', 1)
            .arg(count / (ms / 1000.0), 0, 'f', 0),
        duration(ms / count), QStringLiteral("-"), allPrinted ? QStringLiteral("-") : met(false));
    result(QStringLiteral("Printing, peak RSS, same-engine floor"), work,
        QStringLiteral("%1 MB (PDF %2 kB)")
            .arg(peak / 1024.0, 0, 'f', 1)
            .arg(printed.bytes / 1024.0, 0, 'f', 0),
        QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("-"));
    // The same fields as bench_print's, so that scripts/bench.sh can set one against the other.
    std::printf("PEAK\tfloor\t%ld\t%ld\t%lld\t%.3f\t%.3f\n", peak, before, printed.bytes, ms, cpu);
    return allPrinted ? 0 : 1;
}
