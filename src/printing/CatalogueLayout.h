// The catalogue page layout without any window: the page estimate the print dialog shows and
// the printing run it starts, both over the same list entries, options and printer service,
// so that both can be tested on a scripted printer. The dialog reads its controls into
// CatalogueOptions, calls the layout and writes the results back into its controls.
//
// The estimate and the printing run select the same fonts, measure the same text ("Test") in
// them and break pages by the same rule: a block goes to a new page only when it would end
// strictly below the printable height. Without spacing lines the count therefore equals the
// printed page count. With spacing lines the estimate is a pessimistic count, because it
//  - counts a spacing line after the last entry, which is never printed;
//  - skips the spacing line after a block that opened a page, which is printed;
//  - counts the page that a spacing line overflows into as already holding the block before
//    it, where the printed block stays on the previous page.
// The estimate sums the heights in single precision and the printer keeps its own position,
// so with fractional line heights a block that ends exactly on the page edge may be judged
// apart by the two.
#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <optional>

class PrinterService;
class QDateTime;
class QLocale;

struct CatalogueOptions
{
    bool AvecExemple = false;
    bool EspacePolices = false;
    bool AvecNumero = false;
    double TaillePolice = 12;
    // Indexed 1 and 2 as the two sample lines are numbered; element 0 is unused.
    std::array<QString, 3> LignesExemple;
    QString TexteEnTete;
    bool AvecDate = false;
    bool AvecHeure = false;
};

class CatalogueLayout
{
public:
    // Receives the width of a progress bar in twips. It is called with 0 when a run starts,
    // then whenever the width has grown by at least progressGrain() since the last call, and
    // once more at the end if the last growth was not yet reported, so that a callback may
    // repaint its bar every time without throttling it itself.
    using Progress = std::function<void(float widthTwips)>;
    // Called once for each entry; false stops the work (an estimate gives no count, a printing
    // run drops its document).
    using KeepGoing = std::function<bool()>;

    static constexpr float kBarreWidth = 3600.0f;
    static constexpr float kBarImprWidth = 3135.0f;

    // entries exactly as the list shows them: number field, one blank, font name.
    CatalogueLayout(
        PrinterService &printer, const QStringList &entries, const CatalogueOptions &options);

    // One pixel of the dialog at 96 dots per inch.
    float progressGrain() const { return m_progressGrain; }
    void setProgressGrain(float twips) { m_progressGrain = twips; }

    // The font name of a list entry: what follows the number field and its blank, without
    // surrounding blanks. An entry without a blank is taken as a bare name. The sample pane
    // cuts by another rule, on purpose (TextHelpers::displayFontName).
    static QString fontName(QStringView entry);

    // The layout preview cell, 0 to 7, of a catalogue with spacing, samples and numbers or not.
    static int previewCell(bool spacing, bool samples, bool numbers);

    // The number of pages the catalogue will take, at least 1; nothing when a line height or
    // the printable height could not be measured. Selects fonts on the printer but opens no
    // document; progress runs up to kBarreWidth.
    std::optional<qint64> Nb_Pages(
        const Progress &progress = {}, const KeepGoing &keepGoing = {}) const;

    // The header line: the user's text, then " le " and the date, then " à " and the time,
    // as the options ask, in the language of locale.
    QString headerText(const QDateTime &when, const QLocale &locale) const;

    // Prints the whole catalogue and ends the document. On any failure of the printer the
    // document is dropped, so that nothing of it reaches paper and the next run starts a
    // document of its own; an empty list fails before anything is sent. Progress runs up to
    // kBarImprWidth.
    bool print(const QDateTime &when, const QLocale &locale, const Progress &progress = {},
        const KeepGoing &keepGoing = {}) const;

private:
    bool printDocument(const QDateTime &when, const QLocale &locale, const Progress &progress,
        const KeepGoing &keepGoing) const;

    PrinterService &m_printer;
    QStringList m_entries;
    CatalogueOptions m_options;
    float m_progressGrain = 15.0f;
};
