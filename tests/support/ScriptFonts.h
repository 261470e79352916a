// A font set of fonts made for one script each, built from Debian's font files with fontTools,
// beside Liberation Sans, which stands for the layout's Arial.
#pragma once

#include "Files.h"

#include <QProcess>
#include <QString>

namespace ScriptFonts {

inline const QString kKhmer = QStringLiteral("Typovise Khmer"); // Khmer and nothing else
inline const QString kAscii = QStringLiteral("Typovise ASCII"); // the ASCII characters only
inline const QString kLatin = QStringLiteral("Liberation Sans");

inline bool makeFont(const QString &source, const QString &target, const QString &family,
    const QString &codePoints)
{
    QProcess python;
    // Debian's Python, which has Debian's fontTools, whatever python3 the PATH finds first.
    python.start(QStringLiteral("/usr/bin/python3"),
        { QStringLiteral(TYPOVISE_TEST_SUPPORT_DIR "/make-font.py"), source, target, family,
            codePoints });
    if (!python.waitForFinished(120000) || python.exitCode() != 0) {
        qWarning("make-font.py: %s", python.readAllStandardError().constData());
        return false;
    }
    return true;
}

// Writes the fonts and a fonts.conf naming them into folder.
inline bool write(const QString &folder)
{
    const QString khmerOs = QStringLiteral("/usr/share/fonts/truetype/khmeros/KhmerOS.ttf");
    const QString liberation
        = QStringLiteral("/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf");
    // The Khmer block and the marks Khmer text is shaped with, and the space between words.
    const bool made = makeFont(khmerOs, folder + QStringLiteral("/khmer.ttf"), kKhmer,
                          QStringLiteral("20-20,1780-17FF,19E0-19FF,200B-200D,25CC-25CC"))
        && makeFont(liberation, folder + QStringLiteral("/ascii.ttf"), kAscii,
            QStringLiteral("20-7E"))
        && QFile::copy(liberation, folder + QStringLiteral("/latin.ttf"));
    const QString config = QStringLiteral("<?xml version=\"1.0\"?>\n<fontconfig>\n"
                                          "<dir>%1</dir>\n<cachedir>%1/cache</cachedir>\n"
                                          "<alias><family>Arial</family>"
                                          "<prefer><family>Liberation Sans</family></prefer>"
                                          "</alias>\n</fontconfig>\n")
                               .arg(folder);
    return made && writeFileBytes(folder + QStringLiteral("/fonts.conf"), config.toUtf8());
}

} // namespace ScriptFonts
