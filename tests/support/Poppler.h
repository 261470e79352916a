// What poppler's tools read in a PDF file the program wrote.
#pragma once

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// What the tool prints on the file, or nothing when it cannot read the file as a PDF.
inline QString popplerReads(const QString &tool, const QStringList &arguments)
{
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The value pdfinfo gives on the line "<field>: value", trimmed.
inline QString pdfInfoField(const QString &file, const QString &field)
{
    const QString info = popplerReads(QStringLiteral("pdfinfo"), { file });
    return info.section(field + u':', 1).section(u'\n', 0, 0).trimmed();
}

// The page count pdfinfo reads, or -1 when it cannot read the file as a PDF.
inline int pdfPages(const QString &file)
{
    const QString pages = pdfInfoField(file, QStringLiteral("Pages"));
    return pages.isEmpty() ? -1 : pages.toInt();
}

// The text of the pages, each page ended by a form feed, as pdftotext reads it.
inline QString pdfText(const QString &file)
{
    return popplerReads(QStringLiteral("pdftotext"), { file, QStringLiteral("-") });
}

// The faces the file embeds, by name and once each: "ABCDEF+LiberationSerif" gives
// "LiberationSerif".
inline QStringList pdfFonts(const QString &file)
{
    const QString listing = popplerReads(QStringLiteral("pdffonts"), { file });
    QStringList names;
    // Two heading lines, then one line per face, its name first.
    for (const QString &line : listing.split(u'\n', Qt::SkipEmptyParts).mid(2))
        names.append(line.section(u' ', 0, 0).section(u'+', -1));
    names.removeDuplicates();
    return names;
}

// Every page as pdftoppm paints it at dpi, in order; none when it cannot read the file.
inline QList<QImage> pdfPageImages(const QString &file, int dpi)
{
    QTemporaryDir pages;
    const QString prefix = pages.filePath(QStringLiteral("page"));
    if (QProcess::execute(QStringLiteral("pdftoppm"),
            { QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-png"), file, prefix })
        != 0) {
        return {};
    }
    QList<QImage> images;
    // pdftoppm pads the page numbers to one width, so the names sort in page order.
    for (const QString &name : QDir(pages.path()).entryList({ QStringLiteral("*.png") }, QDir::Files, QDir::Name))
        images.append(QImage(pages.filePath(name)));
    return images;
}
