#include "ScriptedPrinter.h"

int ScriptedPrinter::FontCount()
{
    if (onFontCount)
        onFontCount();
    return int(fonts.size());
}

QString ScriptedPrinter::Fonts(int i)
{
    ++fontQueries;
    if (onFontQuery)
        onFontQuery(i);
    return fonts.value(i);
}

void ScriptedPrinter::setFontName(const QString &name)
{
    current.name = name;
}

void ScriptedPrinter::setFontSize(double points)
{
    current.size = usableSize(points);
}

void ScriptedPrinter::setFontBold(bool bold)
{
    current.bold = bold;
}

void ScriptedPrinter::setFontItalic(bool italic)
{
    current.italic = italic;
}

double ScriptedPrinter::TextHeight(const QString &text)
{
    ++measureCalls;
    return height(current, text);
}

double ScriptedPrinter::ScaleHeight()
{
    return pageHeight;
}

double ScriptedPrinter::CurrentY()
{
    return m_y;
}

bool ScriptedPrinter::Print(const QString &text)
{
    if (printCalls++ == failPrintAt)
        return false;
    if (m_pagesInDoc == 0)
        m_pagesInDoc = 1;
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
    if (m_pagesInDoc == 0)
        m_pagesInDoc = 1;
    ++m_pagesInDoc;
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
