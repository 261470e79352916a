#include "document/PdfFiles.h"

#include "document/StrictPdf.h"

#include <QFile>

#include <qpdf/Pl_Discard.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>

#include <exception>

namespace {

// Both Qt's PDF engine and the join end a file with these bytes; a file that lacks any of them
// was cut short, even where a reader could make sense of the rest.
constexpr char kEnd[] = "%%EOF\n";
constexpr qint64 kEndLength = qint64(sizeof kEnd) - 1;

} // namespace

void openStrictly(QPDF &pdf, const QString &path)
{
    pdf.setAttemptRecovery(false);
    pdf.setSuppressWarnings(true);
    pdf.processFile(QFile::encodeName(path).constData());
}

bool PdfFiles::endsWhole(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() < 64 || !file.read(5).startsWith("%PDF-"))
        return false;
    return file.seek(file.size() - kEndLength) && file.read(kEndLength) == kEnd;
}

bool PdfFiles::isComplete(const QString &path)
{
    if (!endsWhole(path))
        return false;
    try {
        QPDF pdf;
        openStrictly(pdf, path);
        // Resolving an object parses it where the cross-reference table says it starts:
        // without recovery, an object that is not there, or a stream whose length does not
        // reach its end, throws or warns.
        for (QPDFObjectHandle &object : pdf.getAllObjects())
            object.getTypeCode();
        for (QPDFPageObjectHelper &page : QPDFPageDocumentHelper(pdf).getAllPages()) {
            Pl_Discard discard;
            page.pipeContents(&discard);
        }
        return !pdf.anyWarnings();
    } catch (const std::exception &) {
        return false;
    }
}
