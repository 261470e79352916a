#include "widgets/VkFrame.h"

#include <QString>

VkFrame::VkFrame(const QString &caption, QWidget *parent)
    : QGroupBox(parent)
{
    setCaption(caption);
}

void VkFrame::setCaption(const QString &caption)
{
    m_caption = caption;
    setTitle(QString(caption).replace(u'&', QStringLiteral("&&")));
}
