#include "ScriptedMessages.h"

MessageBoxes::Answer ScriptedMessages::MsgBox(const QString &text, int style, const QString &title)
{
    asked.append({ text, style, title });
    if (!answers.isEmpty())
        return answers.takeFirst();
    return style == Question ? Yes : Ok;
}
