#include "app/Typovise.h"
#include "platform/Locations.h"
#include "platform/MessageBoxes.h"
#include "platform/QtPrinterService.h"

#include <QApplication>
#include <QLocale>
#include <QTranslator>
#include <cstdio>

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        std::fputs("Typovise: no display found; start it on a desktop, or under Xvfb with: "
                   "xvfb-run -a ./build/src/Typovise\n",
            stderr);
        return 1;
    }
    QApplication application(argc, argv);
    // Names the user's own settings folder (~/.config/Typovise) whatever the command is called.
    QCoreApplication::setApplicationName(QStringLiteral("Typovise"));
    // Lets the desktop match the window to typovise.desktop (its name and icon).
    QGuiApplication::setDesktopFileName(QStringLiteral("typovise"));

    // The standard buttons (Yes, No, OK) speak the system's language.
    QTranslator qtTranslator;
    if (Typovise::chargerTraductionsQt(qtTranslator, QLocale::system()))
        QApplication::installTranslator(&qtTranslator);

    const QString programDirectory = QCoreApplication::applicationDirPath();
    QtPrinterService printer(Locations::pdfFolder(programDirectory));
    QtMessageBoxes messages;
    Typovise typovise(printer, messages, programDirectory);
    typovise.setPdfAnnouncer(&printer);
    QObject::connect(&typovise, &Typovise::fin, &application, [] { QCoreApplication::exit(0); });
    typovise.demarrer();
    return QApplication::exec();
}
