// A printer service whose fonts, line heights and failures the test decides, and which logs
// what is sent to it: "print:<font>|<size>|<b><i>|<text>", "newpage", "enddoc", "abort".
#pragma once

#include "printer/PrinterService.h"

#include <QPainter>
#include <QStringList>
#include <functional>
#include <utility>

class ScriptedPrinter : public PrinterService
{
public:
    struct Font
    {
        QString name;
        double size = 0;
        bool bold = false, italic = false;
    };

    QStringList fonts;
    std::function<void(int)> onFontQuery; // before the name of font i is given
    std::function<double(const Font &, const QString &)> height // twips per line
        = [](const Font &f, const QString &) { return f.size * 20.0; };
    double pageHeight = 15840.0; // 11 inches
    int failPrintAt = -1; // index of the Print call that fails, -1 for none
    bool failEndDoc = false, failNewPage = false;
    // The page of a print preview; none, as for a service that cannot show its pages, unless a
    // test gives one. The preview then gets a blank page for every page of the log.
    std::optional<QPageLayout> previewPage;
    QStringList log;
    QString documentTitle;
    QList<std::pair<QString, int>> marks; // each outline entry and its page, from 0
    int printCalls = 0;
    Font current;

    int FontCount() override { return int(fonts.size()); }
    QString Fonts(int i) override;
    void setFontName(const QString &name) override { current.name = name; }
    void setFontSize(double points) override { current.size = usableSize(points); }
    void setFontBold(bool bold) override { current.bold = bold; }
    void setFontItalic(bool italic) override { current.italic = italic; }
    double TextHeight(const QString &text) override { return height(current, text); }
    double ScaleHeight() override { return pageHeight; }
    double CurrentY() override { return m_y; }
    bool Print(const QString &text) override;
    bool NewPage() override;
    bool EndDoc() override;
    void AbortDoc() override;
    void setDocumentTitle(const QString &title) override { documentTitle = title; }
    void markEntry(const QString &title) override;
    std::optional<QPageLayout> previewLayout() const override { return previewPage; }
    void setPreviewTarget(QPagedPaintDevice *target) override { m_previewTarget = target; }

    int pagesEnded() const { return m_pagesInEndedDocs; }

private:
    double m_y = 0;
    int m_pagesInDoc = 0;
    int m_pagesInEndedDocs = 0;
    QPagedPaintDevice *m_previewTarget = nullptr;
    QPainter m_previewPainter;
};
