// A printer service whose fonts, line heights and failures the test decides, and which keeps
// a log of everything that was sent to it.
#pragma once

#include "platform/PrinterService.h"

#include <QStringList>
#include <functional>

class ScriptedPrinter : public PrinterService
{
public:
    struct Font
    {
        QString name;
        double size = 0;
        bool bold = false;
        bool italic = false;
    };

    QStringList fonts;
    // Called each time the font count is asked for, before it is given.
    std::function<void()> onFontCount;
    // Called with i each time the name of font i is asked for, before it is given.
    std::function<void(int)> onFontQuery;
    // Height of a line in twips for the current font; by default 20 twips per point, so that
    // a 12-point line is exactly 240 twips (a sixth of an inch).
    std::function<double(const Font &, const QString &)> height
        = [](const Font &f, const QString &) { return f.size * 20.0; };
    double pageHeight = 15840.0; // 11 inches
    int failPrintAt = -1; // index of the Print call that fails, -1 for none
    bool failEndDoc = false;
    bool failNewPage = false;

    // Log of the output: "print:<font>|<size>|<b><i>|<text>", "newpage", "enddoc", "abort".
    QStringList log;
    int fontQueries = 0;
    int measureCalls = 0;
    int printCalls = 0;
    Font current;

    int FontCount() override;
    QString Fonts(int i) override;
    void setFontName(const QString &name) override;
    void setFontSize(double points) override;
    void setFontBold(bool bold) override;
    void setFontItalic(bool italic) override;
    double TextHeight(const QString &text) override;
    double ScaleHeight() override;
    double CurrentY() override;
    bool Print(const QString &text) override;
    bool NewPage() override;
    bool EndDoc() override;
    void AbortDoc() override;

    int pagesEnded() const { return m_pagesInEndedDocs; }

private:
    double m_y = 0;
    int m_pagesInDoc = 0;
    int m_pagesInEndedDocs = 0;
};
