#include "platform/QtPrinterService.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPrinter>
#include <QPrinterInfo>

QtPrinterService::QtPrinterService(const QString &pdfDirectory)
    : m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution))
    , m_pdfDirectory(pdfDirectory)
{
    m_toPdf = QPrinterInfo::defaultPrinter().isNull();
    if (m_toPdf)
        m_printer->setOutputFormat(QPrinter::PdfFormat);
    m_printer->setDocName(QStringLiteral("Typovise"));
    m_printer->setFullPage(false);
    m_font.setFamily(QStringLiteral("Arial"));
    m_font.setPointSizeF(12);
}

QtPrinterService::~QtPrinterService()
{
    if (m_painter.isActive())
        AbortDoc();
}

QString QtPrinterService::printerName() const
{
    return m_printer->printerName();
}

int QtPrinterService::FontCount()
{
    if (!m_familiesRead) {
        // Private families are the system's own user-interface faces, not fonts a user can
        // choose for a document.
        const QStringList all = QFontDatabase::families();
        m_families.reserve(all.size());
        for (const QString &family : all) {
            if (!QFontDatabase::isPrivateFamily(family))
                m_families.append(family);
        }
        m_familiesRead = true;
    }
    return int(m_families.size());
}

QString QtPrinterService::Fonts(int i)
{
    if (!m_familiesRead)
        FontCount();
    return m_families.value(i);
}

void QtPrinterService::setFontName(const QString &name)
{
    m_font.setFamily(name);
}

void QtPrinterService::setFontSize(double points)
{
    m_font.setPointSizeF(usableSize(points));
}

void QtPrinterService::setFontBold(bool bold)
{
    m_font.setBold(bold);
}

void QtPrinterService::setFontItalic(bool italic)
{
    m_font.setItalic(italic);
}

double QtPrinterService::toTwips(double devicePixels) const
{
    const int resolution = m_printer->resolution();
    return resolution > 0 ? devicePixels * 1440.0 / resolution : -1.0;
}

double QtPrinterService::TextHeight(const QString &text)
{
    // One line of the current font is as high whatever its text; the text only matters to
    // the caller's reading of the layout.
    Q_UNUSED(text);
    const QString key = m_font.key();
    const auto known = m_heights.constFind(key);
    if (known != m_heights.cend())
        return *known;
    const QFontMetricsF metrics(m_font, m_printer.get());
    const double height = metrics.height() > 0 ? toTwips(metrics.height()) : -1.0;
    m_heights.insert(key, height);
    return height;
}

double QtPrinterService::ScaleHeight()
{
    const int resolution = m_printer->resolution();
    return toTwips(m_printer->pageLayout().paintRectPixels(resolution).height());
}

double QtPrinterService::CurrentY()
{
    return m_y;
}

bool QtPrinterService::beginDocument()
{
    if (m_painter.isActive())
        return true;
    if (m_toPdf) {
        const QString stamp = QDateTime::currentDateTime().toString(u"yyyy-MM-dd HH-mm-ss");
        const QDir dir(m_pdfDirectory);
        QString path = dir.filePath(QStringLiteral("Typovise %1.pdf").arg(stamp));
        // Two documents within one second, or a file the user kept: never overwrite.
        for (int n = 2; QFile::exists(path); ++n)
            path = dir.filePath(QStringLiteral("Typovise %1 (%2).pdf").arg(stamp).arg(n));
        m_printer->setOutputFileName(path);
        m_currentPdf = path;
    }
    m_y = 0;
    if (!m_painter.begin(m_printer.get()))
        return false;
    return true;
}

bool QtPrinterService::Print(const QString &text)
{
    if (!beginDocument())
        return false;
    m_painter.setFont(m_font);
    const QFontMetricsF metrics(m_font, m_printer.get());
    const double resolution = m_printer->resolution();
    const double top = m_y * resolution / 1440.0;
    if (!text.isEmpty())
        m_painter.drawText(QPointF(0, top + metrics.ascent()), text);
    m_y += TextHeight(text);
    return true;
}

bool QtPrinterService::NewPage()
{
    if (!beginDocument())
        return false;
    m_y = 0;
    return m_printer->newPage();
}

bool QtPrinterService::EndDoc()
{
    m_y = 0;
    if (!m_painter.isActive())
        return true;
    const bool ended = m_painter.end() && m_printer->printerState() != QPrinter::Error;
    if (!ended) {
        if (!m_currentPdf.isEmpty())
            QFile::remove(m_currentPdf);
        m_currentPdf.clear();
        return false;
    }
    m_lastPdf = m_currentPdf;
    m_currentPdf.clear();
    return true;
}

void QtPrinterService::AbortDoc()
{
    m_y = 0;
    if (m_painter.isActive()) {
        m_printer->abort();
        m_painter.end();
    }
    if (!m_currentPdf.isEmpty())
        QFile::remove(m_currentPdf);
    m_currentPdf.clear();
}
