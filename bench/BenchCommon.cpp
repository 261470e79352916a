#include "BenchCommon.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSet>
#include <cstdio>

namespace Bench {

long statusKb(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

QStringList realisticFontNames(int count)
{
    static const char *const families[] = { "Noto Sans", "Noto Serif", "Noto Kufi", "Source Sans",
        "Source Serif", "Source Code Pro", "IBM Plex Sans", "IBM Plex Mono", "Roboto",
        "Roboto Slab", "Open Sans", "Lato", "Montserrat", "Fira Sans", "Fira Code", "Ubuntu",
        "DejaVu Sans", "Liberation Serif", "Linux Libertine O", "Latin Modern Roman", "TeX Gyre",
        "URW Bookman", "Nimbus Roman", "Cantarell", "Inter", "Merriweather", "Playfair Display",
        "Crimson Pro", "EB Garamond", "Libre Baskerville", "Bitstream Vera", "Courier Prime",
        "Junicode", "Gentium Book", "Andika", "Charis SIL", "Scheherazade New", "Amiri",
        "Frank Ruehl CLM", "Lohit", "Kacst", "Tlwg Typo", "Sarabun", "Hack", "Iosevka",
        "JetBrains Mono", "Cascadia Code", "Alegreya", "Cormorant", "Zilla Slab", "aakar", "padmaa",
        "mry_KacstQurn", "Noël Script", "Émeraude Display", "Ögonblick", "Çağ Sans",
        "Font Awesome 6 Free", "Material Icons", "OpenSymbol" };
    static const char *const scripts[] = { "", " Arabic", " Armenian", " Bengali", " CJK JP",
        " CJK KR", " CJK SC", " CJK TC", " Devanagari", " Ethiopic", " Georgian", " Gujarati",
        " Gurmukhi", " Hebrew", " Kannada", " Khmer", " Lao", " Malayalam", " Myanmar", " Sinhala",
        " Tamil", " Telugu", " Thai", " Tibetan", " Math", " Symbols 2", " Display", " Text", " UI",
        " Mono" };
    static const char *const variants[] = { "", " Thin", " ExtraLight", " Light", " Medium",
        " SemiBold", " Bold", " ExtraBold", " Black", " Condensed", " SemiCondensed",
        " Condensed Light", " Condensed Bold", " Expanded", " Narrow", " Pro", " Std", " Book",
        " Italic", " Oblique", " 2", " Std Light", " Pro Medium", " Caption", " Subhead",
        " Heading", " Variable", " Retina", " Semi Bold Condensed", " Rounded" };
    QStringList names;
    names.reserve(count);
    const int nf = int(std::size(families));
    const int ns = int(std::size(scripts));
    const int nv = int(std::size(variants));
    // Walk the combinations in a scattered order, so that the first thousand already mix
    // foundries, scripts and weights.
    for (qint64 k = 0; names.size() < count && k < qint64(nf) * ns * nv; ++k) {
        const qint64 j = (k * 7919) % (qint64(nf) * ns * nv);
        names.append(QString::fromUtf8(families[j % nf]) + QString::fromUtf8(scripts[(j / nf) % ns])
            + QString::fromUtf8(variants[j / nf / ns]));
    }
    for (int k = int(names.size()); k < count; ++k)
        names.append(QStringLiteral("Extra Face %1").arg(k));
    QRandomGenerator random { quint32(count) };
    std::shuffle(names.begin(), names.end(), random);
    return names;
}

QString duration(double ms)
{
    if (ms < 1.0)
        return QStringLiteral("%1 µs").arg(ms * 1000.0, 0, 'f', ms < 0.01 ? 2 : 1);
    if (ms < 10.0)
        return QStringLiteral("%1 ms").arg(ms, 0, 'f', 2);
    if (ms < 10000.0)
        return QStringLiteral("%1 ms").arg(ms, 0, 'f', 1);
    return QStringLiteral("%1 s").arg(ms / 1000.0, 0, 'f', 1);
}

void result(const QString &benchmark, const QString &work, const QString &median,
    const QString &perFont, const QString &target, const QString &met)
{
    std::printf("RESULT\t%s\t%s\t%s\t%s\t%s\t%s\n", benchmark.toUtf8().constData(),
        work.toUtf8().constData(), median.toUtf8().constData(), perFont.toUtf8().constData(),
        target.toUtf8().constData(), met.toUtf8().constData());
    std::fflush(stdout);
}

} // namespace Bench
