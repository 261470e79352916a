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

QString PartedDocument::nextPart(const QPageRanges &pages)
{
    if (!m_joiner)
        m_joiner = std::make_unique<PdfFiles::Joiner>(m_file, pages);
    m_guard->setPartCount(++m_parts);
    return partPath(m_parts);
}

bool PartedDocument::joinDrawn(const QStringList &drawn)
{
    for (const QString &file : drawn) {
        for (int part = m_joined + 1; part <= m_parts; ++part) {
            if (partPath(part) == file && !m_drawn.contains(part))
                m_drawn.append(part);
        }
    }
    while (!m_joinFailed && m_drawn.removeOne(m_joined + 1)) {
        const QString part = partPath(++m_joined);
        m_joinFailed = (m_joined == 1 && !PdfFiles::isComplete(part)) || !m_joiner->add(part);
        QFile::remove(part);
    }
    return !m_joinFailed;
}

bool PartedDocument::finish(const PdfFiles::DocumentInfo &info)
{
    QStringList rest;
    for (int part = m_joined + 1; part <= m_parts; ++part)
        rest.append(partPath(part));
    const bool written = m_joiner && joinDrawn(rest) && m_joined == m_parts
        && m_joiner->finish(info) && syncToDisk(m_file) && PdfFiles::endsWhole(m_file);
    m_joiner.reset();
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
    for (int n = m_joined + 1; n <= m_parts; ++n)
        QFile::remove(partPath(n));
    m_parts = 0;
    m_joined = 0;
    m_drawn.clear();
    m_joinFailed = false;
    if (m_guard)
        m_guard->setPartCount(0);
}

void PartedDocument::drop()
{
    // Closed before it goes, so that no write of the join lands after the removal.
    m_joiner.reset();
    if (!m_file.isEmpty()) {
        removeParts();
        QFile::remove(m_file);
    }
    m_file.clear();
    m_parts = 0;
    m_guard.reset();
}
