// The main() of a test that runs among a font set of its own, without a printer; window tests
// give QApplication.
#pragma once

#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>

// writeFontSet fills a folder with font files and a fonts.conf naming them. The font system and
// CUPS read their settings once, when first used: they are set before the application.
template <typename Test, typename Application = QGuiApplication>
int runAmongFontSet(int argc, char **argv, bool (*writeFontSet)(const QString &folder))
{
    QTemporaryDir fonts;
    if (!fonts.isValid() || !writeFontSet(fonts.path())) {
        qCritical("could not write the test's font set");
        return 2;
    }
    qputenv("FONTCONFIG_FILE", QFile::encodeName(fonts.path() + QStringLiteral("/fonts.conf")));
    qputenv("CUPS_SERVER", "/nonexistent");
    Application app(argc, argv);
    Test test;
    return QTest::qExec(&test, argc, argv);
}
