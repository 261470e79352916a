#include "shell/Typovise.h"

#include "fonts/FontCensus.h"
#include "main_window/PolPpal.h"
#include "printer/PrinterService.h"
#include "printing/PolImprim.h"
#include "settings/Locations.h"
#include "shell/PolCharge.h"
#include "widgets/Controls.h"
#include "widgets/MessageBoxes.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QUrl>
#include <utility>

Typovise::Typovise(PrinterService &printer, MessageBoxes &messages, const QString &programDirectory)
    : m_printer(printer)
    , m_messages(messages)
    , m_programDirectory(programDirectory)
{ }

Typovise::~Typovise() = default;

PolCharge *Typovise::polCharge()
{
    if (!m_charge) {
        m_charge = std::make_unique<PolCharge>();
        m_state.SautLigne = QStringLiteral("\r\n");
        m_charge->Form_Load();
    }
    return m_charge.get();
}

PolPpal *Typovise::polPpal()
{
    if (!m_ppal) {
        m_ppal = std::make_unique<PolPpal>(
            m_state, m_printer, m_messages, Locations::settingsFile(m_programDirectory));
        PolPpal *ppal = m_ppal.get();
        const int total = m_printer.FontCount();
        connect(ppal, &PolPpal::policeLue, this, [this, total](int count) {
            if (m_charge)
                m_charge->compter(count, total);
        });
        connect(ppal, &PolPpal::choixSelectionDisponible, this,
            [this](bool available) { polImprim()->choixListe(1)->setEnabled(available); });
        connect(ppal, &PolPpal::activation, this, [this] { m_charge.reset(); });
        connect(ppal, &PolPpal::impressionDemandee, this, &Typovise::ouvrirImpression);
        connect(ppal, &PolPpal::finDemandee, this, &Typovise::fin);
        ppal->Form_Load();
    }
    return m_ppal.get();
}

PolImprim *Typovise::polImprim()
{
    if (!m_imprim) {
        // Touched first during the main window's load step, so the main window exists.
        PolPpal *ppal = m_ppal.get();
        m_imprim
            = new PolImprim(m_state, m_printer, m_messages, ppal->liste(0), ppal->liste(1), ppal);
        connect(m_imprim, &PolImprim::imprime, this, [this] { m_printed = true; });
        connect(m_imprim, &QDialog::finished, this, &Typovise::impressionFermee);
    }
    return m_imprim;
}

bool Typovise::chargerTraductionsQt(QTranslator &translator, const QLocale &locale)
{
    return translator.load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
        QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

void Typovise::demarrer()
{
    // Without a desktop, the interface font is Qt's generic "Sans Serif", which no font file
    // carries; see FontCensus::onThisMachine.
    QFont interfaceFont = QGuiApplication::font();
    const QString family = FontCensus::onThisMachine(interfaceFont.family());
    if (family != interfaceFont.family()) {
        interfaceFont.setFamily(family);
        QGuiApplication::setFont(interfaceFont);
    }
    PolCharge *charge = polCharge();
    charge->show();
    // A display that never shows the window must not hold the start-up for long.
    charge->attendreAffichage(std::chrono::seconds(1));
    charge->annoncer(m_printer.FontCount(), m_state.SautLigne);
    PolPpal *ppal = polPpal();
    ppal->show();
    ppal->Form_Activate();
}

PolImprim *Typovise::afficherImpression()
{
    PolImprim *dialog = polImprim();
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->show();
    dialog->Form_Activate();
    return dialog;
}

void Typovise::ouvrirImpression()
{
    QEventLoop loop;
    PolImprim *dialog = afficherImpression();
    connect(dialog, &QDialog::finished, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::DialogExec);
}

void Typovise::impressionFermee()
{
    // Every close unloads the dialog: the next reference builds it afresh, as it was designed.
    m_imprim->deleteLater();
    m_imprim = nullptr;
    const bool printed = std::exchange(m_printed, false);
    m_ppal->Form_Activate();
    // A catalogue written to a PDF file is announced once the dialog has closed.
    if (printed && !m_printer.lastPdfFile().isEmpty()) {
        const QString file = QFileInfo(m_printer.lastPdfFile()).absoluteFilePath();
        // The missing printer is the reason only when the user did not choose the file.
        const QString text = m_printer.pdfChosen()
            ? QStringLiteral("Le catalogue a été enregistré dans le fichier\n%1")
            : QStringLiteral("Aucune imprimante n'est installée : le catalogue a été "
                             "enregistré dans le fichier\n%1");
        const MessageBoxes::Answer answer = m_messages.informationWithOpen(
            text.arg(QDir::toNativeSeparators(file)), QStringLiteral("Contrôle d'impression"));
        if (answer == MessageBoxes::Open && !QDesktopServices::openUrl(QUrl::fromLocalFile(file))) {
            m_messages.MsgBox(QStringLiteral("Aucun programme ne peut ouvrir le fichier\n%1")
                                  .arg(QDir::toNativeSeparators(file)),
                MessageBoxes::Exclamation, QStringLiteral("Contrôle d'impression"));
        }
    }
}
