// What poppler's tools read in a PDF file the program wrote.
#pragma once

#include <QProcess>
#include <QString>

// The page count pdfinfo reads, or -1 when it cannot read the file as a PDF.
inline int pdfPages(const QString &file)
{
    QProcess pdfinfo;
    pdfinfo.start(QStringLiteral("pdfinfo"), { file });
    if (!pdfinfo.waitForFinished(30000) || pdfinfo.exitCode() != 0)
        return -1;
    const QString info = QString::fromUtf8(pdfinfo.readAllStandardOutput());
    return info.section(QStringLiteral("Pages:"), 1).section(u'\n', 0, 0).trimmed().toInt();
}
