#include "app/TextHelpers.h"

#include <QLocale>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <locale.h>
#include <string>

QString TextHelpers::signedNumberText(qint64 number)
{
    return number < 0 ? QString::number(number) : u' ' + QString::number(number);
}

QString TextHelpers::plainDecimal(double number)
{
    if (std::isfinite(number) && number == std::trunc(number) && std::fabs(number) < 1e15)
        return QString::number(qint64(number));
    QString text = QString::number(number, 'g', QLocale::FloatingPointShortest);
    text.replace(QStringLiteral("e+"), QStringLiteral("E"));
    text.replace(u'e', u'E');
    return text;
}

namespace {

bool isSkipped(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n';
}

bool isDigit(char16_t c, int base)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0' < base;
    if (base == 16)
        return (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
    return false;
}

int digitValue(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    return c - u'A' + 10;
}

double keptFinite(double value)
{
    constexpr double largest = std::numeric_limits<double>::max();
    if (std::isnan(value))
        return 0.0;
    if (value > largest)
        return largest;
    if (value < -largest)
        return -largest;
    return value;
}

} // namespace

double TextHelpers::leadingNumber(QStringView text)
{
    std::u16string compact;
    compact.reserve(size_t(text.size()));
    for (QChar c : text) {
        if (!isSkipped(c))
            compact.push_back(c.unicode());
    }
    const size_t n = compact.size();
    size_t i = 0;

    if (n >= 2 && compact[0] == u'&') {
        const char16_t kind = compact[1];
        const int base = (kind == u'H' || kind == u'h') ? 16
            : (kind == u'O' || kind == u'o')            ? 8
                                                        : 0;
        if (base == 0)
            return 0.0;
        double value = 0.0;
        for (i = 2; i < n && isDigit(compact[i], base); ++i)
            value = value * base + digitValue(compact[i]);
        return keptFinite(value);
    }

    // Collected in the C locale's syntax for strtod, which rounds correctly and reports
    // overflow as infinity instead of failing; the C locale is named explicitly because the
    // program runs under the user's, where the decimal separator may be a comma.
    std::string number;
    if (i < n && (compact[i] == u'+' || compact[i] == u'-')) {
        if (compact[i] == u'-')
            number.push_back('-');
        ++i;
    }
    bool digits = false;
    bool point = false;
    for (; i < n; ++i) {
        const char16_t c = compact[i];
        if (c >= u'0' && c <= u'9') {
            number.push_back(char(c));
            digits = true;
        } else if (c == u'.' && !point) {
            number.push_back('.');
            point = true;
        } else {
            break;
        }
    }
    if (!digits)
        return 0.0;
    if (i < n
        && (compact[i] == u'E' || compact[i] == u'e' || compact[i] == u'D' || compact[i] == u'd')) {
        size_t j = i + 1;
        std::string exponent = "e";
        if (j < n && (compact[j] == u'+' || compact[j] == u'-'))
            exponent.push_back(char(compact[j++]));
        bool exponentDigits = false;
        for (; j < n && compact[j] >= u'0' && compact[j] <= u'9'; ++j) {
            exponent.push_back(char(compact[j]));
            exponentDigits = true;
        }
        if (exponentDigits)
            number += exponent;
    }
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return keptFinite(strtod_l(number.c_str(), nullptr, cLocale));
}

QString TextHelpers::numberedEntry(qint64 number, int digits, const QString &name)
{
    return QStringLiteral("%1 %2").arg(number, digits, 10, QChar(u'0')).arg(name);
}

int TextHelpers::numberFieldWidth(qint64 count)
{
    return int(QString::number(count - 1).size());
}

std::optional<QString> TextHelpers::displayFontName(const QString &entry, qsizetype cutLength)
{
    if (cutLength < 0 || entry.size() < cutLength)
        return std::nullopt;
    return entry.right(entry.size() - cutLength).trimmed();
}
