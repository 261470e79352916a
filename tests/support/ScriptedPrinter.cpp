#include "ScriptedPrinter.h"

#include <algorithm>

bool ScriptedPrinter::Print(const QString &text)
{
    if (printCalls++ == failPrintAt)
        return false;
    m_pagesInDoc = std::max(m_pagesInDoc, 1);
    log.append(QStringLiteral("print:%1|%2|%3%4|%5")
                   .arg(current.name)
                   .arg(current.size)
                   .arg(current.bold ? u"b" : u"")
                   .arg(current.italic ? u"i" : u"")
                   .arg(text));
    m_y += height(current, text);
    return true;
}

bool ScriptedPrinter::NewPage()
{
    if (failNewPage)
        return false;
    m_pagesInDoc = std::max(m_pagesInDoc, 1) + 1;
    m_y = 0;
    log.append(QStringLiteral("newpage"));
    return true;
}

bool ScriptedPrinter::EndDoc()
{
    if (failEndDoc)
        return false;
    log.append(QStringLiteral("enddoc"));
    m_pagesInEndedDocs += m_pagesInDoc;
    m_pagesInDoc = 0;
    m_y = 0;
    return true;
}

void ScriptedPrinter::AbortDoc()
{
    log.append(QStringLiteral("abort"));
    m_pagesInDoc = 0;
    m_y = 0;
}
