#pragma once

#include <QGroupBox>

// Titled frame: the controls placed inside it move and show with it. The caption is shown as
// it is: an '&' in a font name is a letter, not a mnemonic.
class VkFrame : public QGroupBox
{
    Q_OBJECT
public:
    explicit VkFrame(const QString &caption, QWidget *parent);
    QString Caption() const { return m_caption; }
    void setCaption(const QString &caption);

private:
    QString m_caption;
};
