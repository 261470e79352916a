#include "printer/QtPrinterService.h"
#include "settings/Locations.h"
#include "shell/Typovise.h"
#include "widgets/MessageBoxes.h"

#include <QApplication>
#include <QIcon>
#include <QLocale>
#include <QTranslator>
#include <cstdio>

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        std::fputs("Typovise: no display found; start it on a desktop, or under Xvfb with: "
                   "xvfb-run -a ./build/src/typovise\n",
            stderr);
        return 1;
    }
    QApplication application(argc, argv);
    // The command is lower-case; the name stays the program's own in the window class the
    // desktop matches (StartupWMClass) and in the user's configuration folder.
    QCoreApplication::setApplicationName(QStringLiteral("Typovise"));
    // Lets the desktop match the window to its entry (its name and icon).
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.typovise.typovise"));
    QIcon icon;
    for (const int size : { 16, 22, 24, 32, 48, 64, 128, 256 })
        icon.addFile(QStringLiteral(":/icons/%1/typovise.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);

    // The standard buttons (Yes, No, OK) speak the system's language.
    QTranslator qtTranslator;
    if (Typovise::chargerTraductionsQt(qtTranslator, QLocale::system()))
        QApplication::installTranslator(&qtTranslator);

    const QString programDirectory = QCoreApplication::applicationDirPath();
    QtPrinterService printer(Locations::pdfFolder(programDirectory));
    QtMessageBoxes messages;
    Typovise typovise(printer, messages, programDirectory);
    QObject::connect(&typovise, &Typovise::fin, &application, [] { QCoreApplication::exit(0); });
    typovise.demarrer();
    return QApplication::exec();
}
