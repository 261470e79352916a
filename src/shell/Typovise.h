#pragma once

#include "app/ProgramState.h"

#include <QObject>
#include <memory>

class MessageBoxes;
class PolCharge;
class PolImprim;
class PolPpal;
class PrinterService;
class QLocale;
class QTranslator;

// The one object that owns the program-wide state and the three windows. Each window is
// created by the first reference to it, and gets the printer service, the message boxes and
// the settings file (the program's directory, or the user's folder when that cannot be used)
// from here.
class Typovise : public QObject
{
    Q_OBJECT
public:
    Typovise(PrinterService &printer, MessageBoxes &messages, const QString &programDirectory);
    ~Typovise() override;

    // Qt's own texts (the Yes, No and OK of the message boxes) in the language of the given
    // locale; false when no translation for it is installed.
    static bool chargerTraductionsQt(QTranslator &translator, const QLocale &locale);

    // Shows the loading window; its activation reads the fonts and shows the main window.
    void demarrer();
    // Shows the print dialog modally and activates it, without waiting for it to close; the
    // main window's print command waits.
    PolImprim *afficherImpression();

    PolCharge *polCharge();
    PolPpal *polPpal();
    PolImprim *polImprim();
    bool chargementOuvert() const { return m_charge != nullptr; }
    ProgramState &state() { return m_state; }

Q_SIGNALS:
    // The user confirmed the end of the program.
    void fin();

private:
    void ouvrirImpression();
    void impressionFermee();

    PrinterService &m_printer;
    MessageBoxes &m_messages;
    QString m_programDirectory;
    ProgramState m_state;
    std::unique_ptr<PolCharge> m_charge;
    std::unique_ptr<PolPpal> m_ppal;
    PolImprim *m_imprim = nullptr; // a child of the main window, deleted at each close
    bool m_printed = false;
};
