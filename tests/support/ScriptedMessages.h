// Message boxes recorded and answered in order, then Yes to a question and OK otherwise.
#pragma once

#include "widgets/MessageBoxes.h"

#include <QList>
#include <QStringList>

#include <functional>

class ScriptedMessages : public MessageBoxes
{
public:
    struct Box
    {
        QString text;
        int style;
        QString title;
    };
    QList<Answer> answers;
    QList<Box> asked;
    QString pdfFile; // the answer to where a PDF file goes; empty: the user gives up
    // The user's part in the print dialog: sets the printer up; false gives up.
    std::function<bool(QPrinter &)> printOptions;

    Answer MsgBox(const QString &text, int style, const QString &title) override
    {
        asked.append({ text, style, title });
        return answers.isEmpty() ? (style == Question ? Yes : Ok) : answers.takeFirst();
    }
    Answer informationWithOpen(const QString &text, const QString &title) override
    {
        return MsgBox(text, Information, title);
    }
    QString fichierPdf(const QString &) override { return pdfFile; }
    bool optionsImpression(QPrinter &printer, int) override
    {
        return printOptions && printOptions(printer);
    }
};
