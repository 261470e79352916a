#include "printing/ApercuPages.h"

#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>
#include <algorithm>

ApercuPages::ApercuPages(QPrinter *printer, std::function<void(QPrinter *)> draw, QWidget *parent)
    : QDialog(parent)
    , m_draw(std::move(draw))
{
    setObjectName(QStringLiteral("ApercuPages"));
    setWindowTitle(QStringLiteral("Aperçu avant impression"));
    m_preview = new QPrintPreviewWidget(printer, this);
    m_preview->setObjectName(QStringLiteral("Pages"));
    m_preview->setViewMode(QPrintPreviewWidget::SinglePageView);
    m_preview->setZoomMode(QPrintPreviewWidget::FitInView);
    m_preview->setAccessibleName(QStringLiteral("Page de l'aperçu"));
    connect(m_preview, &QPrintPreviewWidget::paintRequested, this,
        [this](QPrinter *target) { m_draw(target); });
    connect(m_preview, &QPrintPreviewWidget::previewChanged, this,
        [this] { showPage(m_preview->currentPage()); });

    m_previous = new QPushButton(QStringLiteral("&Précédente"), this);
    m_previous->setObjectName(QStringLiteral("PagePrecedente"));
    m_next = new QPushButton(QStringLiteral("&Suivante"), this);
    m_next->setObjectName(QStringLiteral("PageSuivante"));
    m_where = new QLabel(this);
    m_where->setObjectName(QStringLiteral("NumeroPage"));
    auto *close = new QPushButton(QStringLiteral("&Fermer"), this);
    close->setObjectName(QStringLiteral("FermerApercu"));
    connect(m_previous, &QPushButton::clicked, this, [this] { showPage(currentPage() - 1); });
    connect(m_next, &QPushButton::clicked, this, [this] { showPage(currentPage() + 1); });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    // The keys of every document viewer.
    auto *up = new QShortcut(QKeySequence(Qt::Key_PageUp), this);
    auto *down = new QShortcut(QKeySequence(Qt::Key_PageDown), this);
    connect(up, &QShortcut::activated, this, [this] { showPage(currentPage() - 1); });
    connect(down, &QShortcut::activated, this, [this] { showPage(currentPage() + 1); });

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_previous);
    buttons->addWidget(m_where, 1, Qt::AlignCenter);
    buttons->addWidget(m_next);
    buttons->addSpacing(24);
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_preview, 1);
    layout->addLayout(buttons);
    resize(640, 860);
}

int ApercuPages::pageCount() const
{
    return m_preview->pageCount();
}

int ApercuPages::currentPage() const
{
    return m_preview->currentPage();
}

void ApercuPages::showPage(int page)
{
    const int count = pageCount();
    if (count > 0) {
        page = std::clamp(page, 1, count);
        m_preview->setCurrentPage(page);
    }
    m_where->setText(QStringLiteral("Page %1 sur %2").arg(count > 0 ? page : 0).arg(count));
    m_previous->setEnabled(count > 0 && page > 1);
    m_next->setEnabled(count > 0 && page < count);
}
