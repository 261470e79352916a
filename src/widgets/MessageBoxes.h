#pragma once

#include <QString>

class QPrinter;
class QWidget;

// Modal message boxes identified by their style number, as the windows ask for them:
// 36 question with Yes and No (Yes the default), 64 information with OK, 48 exclamation
// with OK. The answer is the button pressed.
class MessageBoxes
{
public:
    enum Answer { Ok = 1, Yes = 6, No = 7, Open = 100 };
    enum Style { Question = 36, Information = 64, Exclamation = 48 };

    virtual ~MessageBoxes() = default;
    virtual Answer MsgBox(const QString &text, int style, const QString &title) = 0;
    // An information box about a file just written, with OK and "Ouvrir": Open when the user
    // asked to see the file.
    virtual Answer informationWithOpen(const QString &text, const QString &title) = 0;
    // Asks where to save a PDF file, starting from proposed; empty when the user gave up.
    virtual QString fichierPdf(const QString &proposed) = 0;
    // The desktop's print dialog on printer, which takes what the user sets there; false when
    // the user gave up. lastPage: the last page a range may name.
    virtual bool optionsImpression(QPrinter &printer, int lastPage) = 0;
};

// The real boxes, over the window that is active when they are asked for.
class QtMessageBoxes : public MessageBoxes
{
public:
    Answer MsgBox(const QString &text, int style, const QString &title) override;
    Answer informationWithOpen(const QString &text, const QString &title) override;
    QString fichierPdf(const QString &proposed) override;
    bool optionsImpression(QPrinter &printer, int lastPage) override;
};
