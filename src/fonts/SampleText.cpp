#include "fonts/SampleText.h"

#include <QFont>
#include <QFontDatabase>
#include <QRawFont>
#include <QStringList>

namespace {

bool shows(const QRawFont &face, const QString &text)
{
    const QList<uint> characters = text.toUcs4();
    return std::all_of(characters.cbegin(), characters.cend(), [&face](uint character) {
        return QChar::isSpace(character) || face.supportsCharacter(character);
    });
}

qsizetype leadingBlanks(const QString &line)
{
    qsizetype count = 0;
    while (count < line.size() && line.at(count).isSpace())
        ++count;
    return count;
}

} // namespace

QString SampleText::showable(const QString &line, const QRawFont &face)
{
    if (!face.isValid() || shows(face, line))
        return line;
    QStringList samples;
    for (const QFontDatabase::WritingSystem system :
        QFontDatabase::writingSystems(face.familyName())) {
        // Qt files under Symbol the fonts it finds no language in: symbol fonts, whose own
        // symbols stand in the user's letters, and fonts of too few letters for any language.
        // Either shows more with the user's line than with Qt's sample of Latin letters.
        if (system == QFontDatabase::Symbol || system == QFontDatabase::Any)
            continue;
        const QString sample = QFontDatabase::writingSystemSample(system);
        if (!samples.contains(sample) && shows(face, sample))
            samples.append(sample);
    }
    if (samples.isEmpty())
        return line;
    return line.left(leadingBlanks(line)) + samples.join(QStringLiteral("  "));
}

QString SampleText::showable(const QString &line, const QFont &font)
{
    return showable(line, QRawFont::fromFont(font));
}
