#include "widgets/SampleLabel.h"

#include "fonts/SampleText.h"

#include <QEvent>

SampleLabel::SampleLabel(const QString &text, QWidget *parent)
    : QLabel(parent)
{
    setSample({ text }, QString());
}

void SampleLabel::setSample(const QStringList &lines, const QString &separator)
{
    m_lines = lines;
    m_separator = separator;
    showSample();
}

void SampleLabel::changeEvent(QEvent *event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        showSample();
}

void SampleLabel::showSample()
{
    QStringList shown;
    for (const QString &line : std::as_const(m_lines))
        shown.append(SampleText::showable(line, font()));
    setText(shown.join(m_separator));
}
