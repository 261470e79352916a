// The join of a document's parts on any bytes as a part: it refuses the part, or it writes a
// file that ends as a PDF does; and a part that qpdf reads whole, joined after itself, gives
// a file that qpdf reads whole, with twice the part's pages and an outline entry on the last.
#include "FuzzCheck.h"
#include "document/PdfFiles.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFOutlineDocumentHelper.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>

#include <cstdint>
#include <cstdlib>
#include <exception>
#include <unistd.h>

namespace {

QString scratchFile(const char *name)
{
    // A memory-backed directory when there is one: the join runs hundreds of times a second.
    const QString dir
        = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    return QStringLiteral("%1/typovise-fuzz-join-%2-%3.pdf")
        .arg(dir)
        .arg(getpid())
        .arg(QLatin1String(name));
}

const QString &partPath()
{
    static const QString path = [] {
        std::atexit([] { QFile::remove(partPath()); });
        return scratchFile("part");
    }();
    return path;
}

const QString &joinedPath()
{
    static const QString path = [] {
        std::atexit([] { QFile::remove(joinedPath()); });
        return scratchFile("joined");
    }();
    return path;
}

// The pages of a file qpdf reads whole, and the outline entries at its top.
struct Reading
{
    size_t pages = 0;
    size_t outline = 0;
};

Reading read(const QString &path)
{
    QPDF pdf;
    pdf.setSuppressWarnings(true);
    pdf.processFile(QFile::encodeName(path).constData());
    return { QPDFPageDocumentHelper(pdf).getAllPages().size(),
        QPDFOutlineDocumentHelper(pdf).getTopLevelOutlines().size() };
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    {
        QFile part(partPath());
        FUZZ_CHECK(part.open(QIODevice::WriteOnly | QIODevice::Truncate));
        FUZZ_CHECK(part.write(reinterpret_cast<const char *>(data), qint64(size)) == qint64(size));
    }
    QFile::remove(joinedPath());
    const bool whole = PdfFiles::isComplete(partPath());

    PdfFiles::DocumentInfo info;
    info.title = QStringLiteral("Polices…");
    info.outline = { { QStringLiteral("Écriture"), 0, 700 }, { QStringLiteral("Fin"), 1, 50 } };
    if (!PdfFiles::join({ partPath(), partPath() }, joinedPath(), info))
        return 0;
    FUZZ_CHECK(PdfFiles::endsWhole(joinedPath()));
    if (!whole)
        return 0;

    FUZZ_CHECK(PdfFiles::isComplete(joinedPath()));
    try {
        const Reading part = read(partPath());
        const Reading joined = read(joinedPath());
        FUZZ_CHECK(joined.pages == 2 * part.pages);
        // The second entry stands on the joined file's second page, which two parts have.
        FUZZ_CHECK(joined.outline == 2);
    } catch (const std::exception &) {
        FUZZ_CHECK(!"a file that qpdf read whole could not be read again");
    }
    return 0;
}
