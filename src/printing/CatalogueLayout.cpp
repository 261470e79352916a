#include "printing/CatalogueLayout.h"

#include "printer/PrinterService.h"

#include <QDateTime>
#include <QLocale>
#include <cmath>

namespace {

const QString kArial = QStringLiteral("Arial");
const QString kMeasured = QStringLiteral("Test");

// A bar that grows by a fixed step per entry and stops one step short of full, reporting its
// width no oftener than the grain asks.
class ProgressBar
{
public:
    ProgressBar(
        float fullWidth, qsizetype entries, const CatalogueLayout::Progress &sink, float grain)
        : m_full(fullWidth)
        , m_step(entries > 0 ? fullWidth / float(entries) : 0.0f)
        , m_sink(sink)
        , m_grain(grain)
    {
        if (m_sink)
            m_sink(0.0f);
    }

    void advance()
    {
        if (m_width + m_step < m_full)
            m_width += m_step;
        if (m_sink && m_width - m_reported >= m_grain && m_width != m_reported) {
            m_reported = m_width;
            m_sink(m_width);
        }
    }

    void finish()
    {
        if (m_sink && m_width != m_reported) {
            m_reported = m_width;
            m_sink(m_width);
        }
    }

private:
    float m_full;
    float m_step;
    float m_width = 0.0f;
    float m_reported = 0.0f;
    const CatalogueLayout::Progress &m_sink;
    float m_grain;
};

// A negative, infinite or undefined height means the printer could not measure the font.
bool lineHeight(PrinterService &printer, double &height)
{
    height = printer.TextHeight(kMeasured);
    return std::isfinite(height) && height >= 0;
}

bool pageHeight(PrinterService &printer, double &height)
{
    height = printer.ScaleHeight();
    return std::isfinite(height) && height > 0;
}

} // namespace

CatalogueLayout::CatalogueLayout(
    PrinterService &printer, const QStringList &entries, const CatalogueOptions &options)
    : m_printer(printer)
    , m_entries(entries)
    , m_options(options)
{ }

QString CatalogueLayout::fontName(QStringView entry)
{
    // The number field grows with the list, so its width cannot be assumed.
    const qsizetype blank = entry.indexOf(u' ');
    return entry.mid(blank + 1).trimmed().toString();
}

int CatalogueLayout::previewCell(bool spacing, bool samples, bool numbers)
{
    return 2 * int(spacing) + int(samples) + 4 * int(numbers);
}

std::optional<qint64> CatalogueLayout::Nb_Pages(
    const Progress &progress, const KeepGoing &keepGoing) const
{
    const qsizetype n = m_entries.size();
    ProgressBar bar(kBarreWidth, n, progress, m_progressGrain);
    double measured = 0;

    // The header line and its blank line are counted whatever the header holds.
    m_printer.setFontName(kArial);
    m_printer.setFontBold(true);
    m_printer.setFontItalic(true);
    m_printer.setFontSize(15);
    if (!lineHeight(m_printer, measured))
        return std::nullopt;
    float HauteurPage = float(measured);
    m_printer.setFontBold(false);
    m_printer.setFontItalic(false);
    m_printer.setFontSize(10);
    if (!lineHeight(m_printer, measured))
        return std::nullopt;
    HauteurPage += float(measured);

    if (m_options.AvecExemple)
        m_printer.prepareFonts(m_entries, &CatalogueLayout::fontName, keepGoing);

    qint64 NbrePages = 1;
    for (qsizetype i = 0; i < n; ++i) {
        if (keepGoing && !keepGoing())
            return std::nullopt;
        bar.advance();

        m_printer.setFontName(kArial);
        m_printer.setFontSize(12);
        if (!lineHeight(m_printer, measured))
            return std::nullopt;
        float HauteurBloc = float(measured);

        if (m_options.AvecExemple) {
            m_printer.setFontName(fontName(m_entries.at(i)));
            m_printer.setFontSize(m_options.TaillePolice);
            if (!lineHeight(m_printer, measured))
                return std::nullopt;
            HauteurBloc += 2.0f * float(measured);
        }

        double printable = 0;
        if (!pageHeight(m_printer, printable))
            return std::nullopt;
        const float ScaleHeight = float(printable);

        // A block that opens a page holds that page alone, the header included only on the
        // first page, as the printing run lays it out.
        HauteurPage += HauteurBloc;
        if (ScaleHeight < HauteurPage) {
            ++NbrePages;
            HauteurPage = HauteurBloc;
        } else if (m_options.EspacePolices) {
            m_printer.setFontName(kArial);
            m_printer.setFontSize(10);
            if (!lineHeight(m_printer, measured))
                return std::nullopt;
            HauteurPage += float(measured);
            if (ScaleHeight < HauteurPage) {
                ++NbrePages;
                HauteurPage = HauteurBloc;
            }
        }
    }
    bar.finish();
    return NbrePages;
}

QString CatalogueLayout::headerText(const QDateTime &when, const QLocale &locale) const
{
    QString header = m_options.TexteEnTete;
    if (m_options.AvecDate) {
        header.append(u" le ");
        header.append(locale.toString(when.date(), u"d MMMM yyyy"));
    }
    if (m_options.AvecHeure) {
        header.append(u" à ");
        header.append(locale.toString(when.time(), u"H:mm:ss"));
    }
    return header;
}

bool CatalogueLayout::print(const QDateTime &when, const QLocale &locale, const Progress &progress,
    const KeepGoing &keepGoing) const
{
    if (m_entries.isEmpty())
        return false;
    m_printer.whileWaiting(keepGoing);
    const bool printed = printDocument(when, locale, progress, keepGoing);
    if (!printed)
        m_printer.AbortDoc();
    m_printer.whileWaiting({});
    return printed;
}

bool CatalogueLayout::printDocument(const QDateTime &when, const QLocale &locale,
    const Progress &progress, const KeepGoing &keepGoing) const
{
    const qsizetype n = m_entries.size();
    ProgressBar bar(kBarImprWidth, n, progress, m_progressGrain);
    PrinterService &printer = m_printer;

    const QString header = headerText(when, locale);
    printer.setDocumentTitle(header.trimmed().isEmpty() ? QStringLiteral("Catalogue de polices")
                                                        : header.trimmed());
    printer.setFontSize(15);
    printer.setFontName(kArial);
    printer.setFontBold(true);
    printer.setFontItalic(true);
    if (!printer.Print(header))
        return false;
    printer.setFontBold(false);
    printer.setFontItalic(false);
    printer.setFontSize(10);
    if (!printer.Print(QString()))
        return false;

    // A block goes to a new page only when it would end strictly below the printable height.
    const auto makeRoom = [&printer](double y, double blockHeight) {
        double printable = 0;
        if (!pageHeight(printer, printable))
            return false;
        return y <= printable - blockHeight || printer.NewPage();
    };

    for (qsizetype i = 0; i < n; ++i) {
        if (keepGoing && !keepGoing())
            return false;
        bar.advance();

        printer.setFontName(kArial);
        printer.setFontSize(12);
        const QString &EntreeListe = m_entries.at(i);
        const QString NomPolice = fontName(EntreeListe);

        double nameHeight = 0;
        if (m_options.AvecExemple) {
            const double y = printer.CurrentY();
            if (!lineHeight(printer, nameHeight))
                return false;
            double sampleHeight = 0;
            printer.setFontName(NomPolice);
            printer.setFontSize(m_options.TaillePolice);
            if (!lineHeight(printer, sampleHeight))
                return false;
            if (!makeRoom(y, nameHeight + 2.0 * sampleHeight))
                return false;
            printer.setFontName(kArial);
            printer.setFontSize(12);
        }
        printer.setFontBold(false);
        if (!m_options.AvecExemple) {
            const double y = printer.CurrentY();
            if (!lineHeight(printer, nameHeight) || !makeRoom(y, nameHeight))
                return false;
        }

        // The outline names the font as the line does, and opens the page it stands on.
        printer.markEntry(m_options.AvecNumero ? EntreeListe : NomPolice);
        if (!printer.Print(m_options.AvecNumero ? EntreeListe : NomPolice))
            return false;
        if (m_options.AvecExemple) {
            printer.setFontName(NomPolice);
            printer.setFontSize(m_options.TaillePolice);
            if (!printer.PrintSample(m_options.LignesExemple[1])
                || !printer.PrintSample(m_options.LignesExemple[2]))
                return false;
        }
        if (m_options.EspacePolices && i < n - 1) {
            printer.setFontName(kArial);
            printer.setFontSize(10);
            if (!printer.Print(QString()))
                return false;
        }
    }

    if (!printer.EndDoc())
        return false;
    bar.finish();
    return true;
}
