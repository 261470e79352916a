#include "document/PaperLayout.h"

#include <QPageSize>
#include <QSizeF>

#include <cmath>
#include <langinfo.h>
#include <locale.h>

namespace {

// glibc gives the paper's sides as numbers in the place of a string.
int paperMillimetres(nl_item item, locale_t locale)
{
    union {
        const char *string;
        unsigned int word;
    } value;
    value.string = nl_langinfo_l(item, locale);
    return int(value.word);
}

QPageSize localePaper(const QByteArray &localeName)
{
    const locale_t locale = newlocale(LC_PAPER_MASK, localeName.constData(), locale_t(nullptr));
    if (!locale)
        return QPageSize(QPageSize::A4);
    const int width = paperMillimetres(_NL_PAPER_WIDTH, locale);
    const int height = paperMillimetres(_NL_PAPER_HEIGHT, locale);
    freelocale(locale);
    if (width <= 0 || height <= 0 || width > 10000 || height > 10000)
        return QPageSize(QPageSize::A4);
    // The locale rounds to whole millimetres: Letter's 215.9 x 279.4 reads 216 x 279.
    return QPageSize(
        QSizeF(width, height), QPageSize::Millimeter, QString(), QPageSize::FuzzyMatch);
}

} // namespace

QPageLayout PaperLayout::withoutPrinter(const QByteArray &localeName)
{
    // Qt keeps a page's margins in whole points and would round 10 mm down to 28 points, a
    // little less than asked: the margin is rounded up to the next point instead.
    const double points = std::ceil(kMarginMm * 72.0 / 25.4);
    return QPageLayout(localePaper(localeName), QPageLayout::Portrait,
        QMarginsF(points, points, points, points), QPageLayout::Point);
}
