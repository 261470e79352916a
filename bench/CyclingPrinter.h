#pragma once

#include "printer/QtPrinterService.h"

// The real printer service, offering its families over and over as `count` fonts, so that a
// machine with a few dozen families can stand for one with thousands.
class CyclingPrinter : public QtPrinterService
{
public:
    CyclingPrinter(const QString &pdfDirectory, int count)
        : QtPrinterService(pdfDirectory)
        , m_count(count)
    { }
    int families() { return QtPrinterService::FontCount(); }
    int FontCount() override { return families() > 0 ? m_count : 0; }
    QString Fonts(int i) override { return QtPrinterService::Fonts(i % families()); }

private:
    int m_count;
};
