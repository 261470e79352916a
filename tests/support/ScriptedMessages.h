// Message boxes recorded and answered in order, then Yes to a question and OK otherwise.
#pragma once

#include "platform/MessageBoxes.h"

#include <QList>

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

    Answer MsgBox(const QString &text, int style, const QString &title) override
    {
        asked.append({ text, style, title });
        return answers.isEmpty() ? (style == Question ? Yes : Ok) : answers.takeFirst();
    }
    Answer informationWithOpen(const QString &text, const QString &title) override
    {
        return MsgBox(text, Information, title);
    }
};
