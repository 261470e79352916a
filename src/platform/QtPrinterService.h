#pragma once

#include "platform/PrinterService.h"

#include <QFont>
#include <QHash>
#include <QPainter>
#include <QStringList>
#include <memory>

class QPrinter;

// The default printer through Qt Print Support. Where the system has no default printer
// (no CUPS destination), documents go to a PDF file in the given directory, named after the
// moment the document began.
class QtPrinterService : public PrinterService
{
public:
    explicit QtPrinterService(const QString &pdfDirectory);
    ~QtPrinterService() override;

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

    bool printsToPdf() const { return m_toPdf; }
    QString printerName() const;
    // The PDF file of the last document that was ended, empty when it went to a printer.
    QString lastPdfFile() const { return m_lastPdf; }

private:
    bool beginDocument();
    double toTwips(double devicePixels) const;

    std::unique_ptr<QPrinter> m_printer;
    QPainter m_painter;
    QFont m_font;
    QStringList m_families;
    bool m_familiesRead = false;
    bool m_toPdf = false;
    QString m_pdfDirectory;
    QString m_currentPdf;
    QString m_lastPdf;
    double m_y = 0; // twips from the top of the printable area
    // Line heights by font key: the estimate measures the same few faces for every entry, and
    // building font metrics on a printer costs far more than the lookup.
    QHash<QString, double> m_heights;
};
