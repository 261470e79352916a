#include "shell/PolCharge.h"

#include "app/TextHelpers.h"
#include "widgets/Controls.h"
#include "widgets/Twips.h"
#include "widgets/WindowCentring.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QThread>
#include <QWindow>

namespace {
// About one frame of a 60 Hz screen.
constexpr qint64 kRepaintIntervalMs = 16;
} // namespace

PolCharge::PolCharge(QWidget *parent)
    : QWidget(parent, Qt::Dialog)
{
    setObjectName(QStringLiteral("PolCharge"));
    setWindowTitle(QStringLiteral("Typovise"));
    Twips::resizeClient(this, 6525, 765);
    Patientez = new QLabel(QStringLiteral("Chargement des polices ..."), this);
    Patientez->setObjectName(QStringLiteral("Patientez"));
    Twips::place(Patientez, 60, 90, 5265, 615);
    vkFrame1 = new VkFrame(QStringLiteral("En cours"), this);
    vkFrame1->setObjectName(QStringLiteral("vkFrame1"));
    Twips::place(vkFrame1, 5400, 60, 1095, 705);
    NbrePolices = new QLabel(QStringLiteral("000"), vkFrame1);
    NbrePolices->setObjectName(QStringLiteral("NbrePolices"));
    NbrePolices->setAlignment(Qt::AlignCenter);
    QPalette palette = NbrePolices->palette();
    palette.setColor(QPalette::Window, QColor(255, 255, 0));
    palette.setColor(QPalette::WindowText, Qt::black);
    NbrePolices->setPalette(palette);
    NbrePolices->setAutoFillBackground(true);
    Twips::place(NbrePolices, 60, 270, 975, 375);
}

void PolCharge::Form_Load()
{
    WindowCentring::centreOnScreen(this);
}

void PolCharge::attendreAffichage(std::chrono::milliseconds limit)
{
    const QDeadlineTimer deadline(limit);
    for (;;) {
        // User input waits until the main window is up.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        const QWindow *window = windowHandle();
        if (!window || window->isExposed() || deadline.hasExpired())
            return;
        QThread::msleep(2);
    }
}

void PolCharge::annoncer(int fontCount, const QString &sautLigne)
{
    // A label breaks lines at the line feed; the carriage return before it would show as a
    // box in some fonts, so it is dropped from the caption only.
    QString separator = sautLigne;
    separator.remove(u'\r');
    Patientez->setText(QStringLiteral("Veuillez patienter pendant la lecture") + separator
        + QStringLiteral("des ") + TextHelpers::signedNumberText(fontCount)
        + QStringLiteral(" Polices dont vous disposez..."));
    repaint();
    m_sinceRepaint.start();
}

void PolCharge::compter(int count, int total)
{
    NbrePolices->setText(QString::number(count));
    if (count == total || !m_sinceRepaint.isValid()
        || m_sinceRepaint.elapsed() >= kRepaintIntervalMs) {
        NbrePolices->repaint();
        m_sinceRepaint.restart();
    }
}
