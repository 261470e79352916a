#include "ScriptedPrinter.h"

#include <QPagedPaintDevice>

QString ScriptedPrinter::Fonts(int i)
{
    if (onFontQuery)
        onFontQuery(i);
    return fonts.value(i);
}

bool ScriptedPrinter::Print(const QString &text)
{
    if (printCalls++ == failPrintAt)
        return false;
    m_pagesInDoc += m_pagesInDoc == 0;
    if (m_previewTarget && !m_previewPainter.isActive() && !m_previewPainter.begin(m_previewTarget))
        return false;
    const QString style
        = QLatin1String(current.bold ? "b" : "") + (current.italic ? u"i"_qs : u""_qs);
    log << u"print:%1|%2|%3|%4"_qs.arg(current.name, QString::number(current.size), style, text);
    m_y += height(current, text);
    return true;
}

void ScriptedPrinter::markEntry(const QString &title)
{
    marks.append({ title, m_pagesInDoc == 0 ? 0 : m_pagesInDoc - 1 });
}

bool ScriptedPrinter::NewPage()
{
    if (failNewPage)
        return false;
    m_pagesInDoc += 1 + (m_pagesInDoc == 0);
    m_y = 0;
    log << u"newpage"_qs;
    return !m_previewPainter.isActive() || m_previewTarget->newPage();
}

bool ScriptedPrinter::EndDoc()
{
    if (failEndDoc)
        return false;
    log << u"enddoc"_qs;
    if (m_previewPainter.isActive())
        m_previewPainter.end();
    m_pagesInEndedDocs += m_pagesInDoc;
    m_pagesInDoc = 0;
    m_y = 0;
    return true;
}

void ScriptedPrinter::AbortDoc()
{
    log << u"abort"_qs;
    if (m_previewPainter.isActive())
        m_previewPainter.end();
    m_pagesInDoc = 0;
    m_y = 0;
}
