#include "document/PartedDocument.h"

#include "document/PdfFiles.h"
#include "document/WorkingFileGuard.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cstdio>

#include <unistd.h>

namespace {

// Flushes the file to the disk; false when the system could not keep every byte.
bool syncToDisk(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && ::fsync(file.handle()) == 0;
}

} // namespace

PartedDocument::PartedDocument() = default;

PartedDocument::~PartedDocument()
{
    drop();
}

bool PartedDocument::begin(const QString &folder)
{
    drop();
    // Never relative: that would be the working directory, which nobody chose.
    if (!QDir::isAbsolutePath(folder))
        return false;
    const QDir dir(folder);
    do {
        m_file = dir.filePath(
            QStringLiteral(".Typovise-%1.part")
                .arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0')));
    } while (QFileInfo::exists(m_file));
    m_guard = std::make_unique<WorkingFileGuard>(m_file);
    return true;
}

QString PartedDocument::partPath(int part) const
{
    return WorkingFileGuard::partPath(m_file, part);
}

QString PartedDocument::nextPart()
{
    m_guard->setPartCount(++m_parts);
    return partPath(m_parts);
}

bool PartedDocument::finish(const PdfFiles::DocumentInfo &info)
{
    QStringList parts;
    for (int n = 1; n <= m_parts; ++n)
        parts.append(partPath(n));
    // Reading the joined file again would add half the join's time and find nothing more.
    const bool written = !parts.isEmpty()
        && (parts.size() > 1 || PdfFiles::isComplete(parts.first()))
        && PdfFiles::join(parts, m_file, info) && syncToDisk(m_file)
        && PdfFiles::endsWhole(m_file);
    removeParts();
    return written;
}

bool PartedDocument::keepAs(const QString &path)
{
    // The user chose this name and agreed to replace a file of that name; rename(2) does so in
    // one step.
    if (::rename(QFile::encodeName(m_file).constData(), QFile::encodeName(path).constData()) != 0)
        return false;
    m_file.clear();
    m_guard.reset();
    return true;
}

QString PartedDocument::keepInFolder(const QString &folder, const QDateTime &begun)
{
    const QString stamp = begun.toString(u"yyyy-MM-dd HH-mm-ss");
    const QDir dir(folder);
    QString path = dir.filePath(QStringLiteral("Typovise %1.pdf").arg(stamp));
    // Two documents within one second, or a file the user kept: never overwrite. A rename
    // refuses an existing name, so no other program can slip a file in between.
    for (int n = 2; !QFile::rename(m_file, path); ++n) {
        if (!QFile::exists(path) || n > 1000)
            return {};
        path = dir.filePath(QStringLiteral("Typovise %1 (%2).pdf").arg(stamp).arg(n));
    }
    m_file.clear();
    m_guard.reset();
    return path;
}

void PartedDocument::removeParts()
{
    for (int n = 1; n <= m_parts; ++n)
        QFile::remove(partPath(n));
    m_parts = 0;
    if (m_guard)
        m_guard->setPartCount(0);
}

void PartedDocument::drop()
{
    if (!m_file.isEmpty()) {
        removeParts();
        QFile::remove(m_file);
    }
    m_file.clear();
    m_parts = 0;
    m_guard.reset();
}
