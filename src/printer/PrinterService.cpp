#include "printer/PrinterService.h"

#include <cmath>

double PrinterService::usableSize(double points)
{
    if (std::isnan(points) || points < kSmallestSize)
        return kSmallestSize;
    if (points > kLargestSize)
        return kLargestSize;
    return points;
}

std::optional<QPageLayout> PrinterService::previewLayout() const
{
    return std::nullopt;
}

void PrinterService::setPreviewTarget(QPagedPaintDevice *target)
{
    Q_UNUSED(target);
}

void PrinterService::prepareFonts(const QStringList &items,
    const std::function<QString(const QString &)> &nameOf, const std::function<bool()> &keepGoing)
{
    Q_UNUSED(items);
    Q_UNUSED(nameOf);
    Q_UNUSED(keepGoing);
}

bool PrinterService::PrintSample(const QString &line)
{
    return Print(line);
}

void PrinterService::setDocumentTitle(const QString &) { }

void PrinterService::markEntry(const QString &) { }

void PrinterService::whileWaiting(const std::function<bool()> &) { }

QString PrinterService::destinationText() const
{
    return {};
}

QStringList PrinterService::printerNames() const
{
    return {};
}

bool PrinterService::choosePrinter(const QString &name)
{
    Q_UNUSED(name);
    return false;
}

bool PrinterService::choosePdfFile(const QString &path)
{
    Q_UNUSED(path);
    return false;
}

bool PrinterService::chooseOptions(const std::function<bool(QPrinter &)> &ask)
{
    Q_UNUSED(ask);
    return false;
}

QString PrinterService::proposedPdfFile() const
{
    return {};
}

QString PrinterService::printerName() const
{
    return {};
}

bool PrinterService::pdfChosen() const
{
    return false;
}

QString PrinterService::lastPdfFile() const
{
    return {};
}
