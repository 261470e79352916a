// The outline of a PDF file the program wrote, as qpdf reads it.
#pragma once

#include <QFile>
#include <QList>
#include <QString>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFOutlineDocumentHelper.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>

#include <algorithm>

struct OutlineEntry
{
    QString title;
    int page = -1; // counted from 0; the page count when the entry opens no page of the file
    double top = 0;
    friend bool operator==(const OutlineEntry &, const OutlineEntry &) = default;
};

// The top-level entries in order, each with the page it opens and where on it.
inline QList<OutlineEntry> pdfOutline(const QString &file)
{
    QPDF document;
    document.processFile(QFile::encodeName(file).constData());
    const std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(document).getAllPages();
    QList<OutlineEntry> entries;
    for (QPDFOutlineObjectHelper &entry :
        QPDFOutlineDocumentHelper(document).getTopLevelOutlines()) {
        QPDFObjectHandle destination = entry.getDest();
        const QPDFObjectHandle opened = destination.getArrayItem(0);
        const auto page
            = std::find_if(pages.cbegin(), pages.cend(), [&opened](const QPDFPageObjectHelper &p) {
                  return p.getObjectHandle().isSameObjectAs(opened);
              });
        entries.append({ QString::fromStdString(entry.getTitle()), int(page - pages.cbegin()),
            destination.getArrayItem(3).getNumericValue() });
    }
    return entries;
}

// How a reader opens the file: "/UseOutlines" shows the outline beside the pages.
inline std::string pdfPageMode(const QString &file)
{
    QPDF document;
    document.processFile(QFile::encodeName(file).constData());
    QPDFObjectHandle mode = document.getRoot().getKey("/PageMode");
    return mode.isName() ? mode.getName() : std::string();
}
