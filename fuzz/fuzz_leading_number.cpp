// The leading-number rule on any text: never undefined behaviour, never NaN or infinity (a size
// check must be able to compare the result), and the properties the rule states: blanks, tabs
// and line feeds are ignored wherever they are, a comma ends the number, a sign in front of a
// decimal number only changes its sign, and "&H"/"&O" give whole non-negative numbers.
#include "FuzzCheck.h"
#include "app/TextHelpers.h"

#include <QString>

#include <cmath>
#include <cstdint>

namespace {

bool isSkipped(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n';
}

QString compacted(const QString &text)
{
    QString out;
    for (const QChar c : text) {
        if (!isSkipped(c))
            out += c;
    }
    return out;
}

bool same(double a, double b)
{
    return a == b;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Odd sizes read as UTF-8, even ones as raw UTF-16 units, so both what a user types and
    // every 16-bit unit (lone surrogates included) are tried.
    QString text;
    if (size % 2)
        text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    else
        text = QString(reinterpret_cast<const QChar *>(data), qsizetype(size / 2));

    const double value = TextHelpers::leadingNumber(text);
    FUZZ_CHECK(std::isfinite(value));

    const QString compact = compacted(text);
    FUZZ_CHECK(same(TextHelpers::leadingNumber(compact), value));
    // Blanks between every character change nothing either.
    QString spread;
    for (const QChar c : compact) {
        spread += c;
        spread += u" \t\n"[spread.size() % 3];
    }
    FUZZ_CHECK(same(TextHelpers::leadingNumber(spread), value));
    FUZZ_CHECK(same(TextHelpers::leadingNumber(text + QStringLiteral(",5")), value));

    const bool decimal
        = !compact.isEmpty() && ((compact[0] >= u'0' && compact[0] <= u'9') || compact[0] == u'.');
    if (decimal) {
        FUZZ_CHECK(value >= 0);
        FUZZ_CHECK(same(TextHelpers::leadingNumber(u'-' + text), -value));
        FUZZ_CHECK(same(TextHelpers::leadingNumber(QStringLiteral("+ ") + text), value));
    }
    if (compact.startsWith(u"&H", Qt::CaseInsensitive)
        || compact.startsWith(u"&O", Qt::CaseInsensitive)) {
        FUZZ_CHECK(value >= 0 && value == std::trunc(value));
    }
    // Without a digit there is no number, except a hexadecimal one spelled with letters.
    bool anyDigit = false;
    for (const QChar c : compact)
        anyDigit = anyDigit || (c >= u'0' && c <= u'9');
    if (!anyDigit && !compact.startsWith(u"&H", Qt::CaseInsensitive))
        FUZZ_CHECK(value == 0);
    return 0;
}
