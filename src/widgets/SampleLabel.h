#pragma once

#include <QLabel>
#include <QStringList>

// Label that shows sample lines in its font, each line as the font can show it: a font made
// for another script shows a sample of its own script instead. The choice follows every
// change of the font, bold and slant included, since a family's faces may cover different
// characters.
class SampleLabel : public QLabel
{
    Q_OBJECT
public:
    SampleLabel(const QString &text, QWidget *parent);
    // The lines to show, one after the other with separator between them.
    void setSample(const QStringList &lines, const QString &separator);

protected:
    void changeEvent(QEvent *event) override;

private:
    void showSample();

    QStringList m_lines;
    QString m_separator;
};
