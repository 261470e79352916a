// PDF files written by Qt's own PDF engine, as the program's printer writes its parts.
#pragma once

#include <QPainter>
#include <QPdfWriter>
#include <QString>

// Writes pages pages to path, each with one line of text naming it: "<name> page <n>", so
// that pdftotext tells which file and page a page came from.
inline bool writeQtPdf(const QString &path, const QString &name, int pages,
                       const QString &title = {})
{
    QPdfWriter writer(path);
    writer.setTitle(title);
    writer.setResolution(300);
    QPainter painter;
    if (!painter.begin(&writer))
        return false;
    painter.setFont(QFont(QStringLiteral("Liberation Sans"), 14));
    for (int page = 1; page <= pages; ++page) {
        if (page > 1)
            writer.newPage();
        painter.drawText(QPointF(100, 200), QStringLiteral("%1 page %2").arg(name).arg(page));
    }
    return painter.end();
}
