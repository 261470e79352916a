#include "settings/Locations.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <unistd.h>

namespace {

// access() rather than the permission bits: it also knows a read-only mount, and root.
bool writable(const QString &directory)
{
    return ::access(QFile::encodeName(directory).constData(), W_OK | X_OK) == 0;
}

// The folder, created when missing, or empty when it cannot be had.
QString userFolder(QStandardPaths::StandardLocation location)
{
    const QString wanted = QStandardPaths::writableLocation(location);
    if (!QDir::isAbsolutePath(wanted) || !QDir().mkpath(wanted))
        return {};
    const QString folder = Locations::usableDirectory(wanted);
    return !folder.isEmpty() && writable(folder) ? folder : QString();
}

} // namespace

QString Locations::usableDirectory(const QString &directory)
{
    // A Latin-1 "café" decoded as UTF-8 comes back with a replacement character, which names
    // another file or none.
    if (directory.isEmpty() || !QDir::isAbsolutePath(directory)
        || directory.contains(QChar::ReplacementCharacter)
        || QFile::decodeName(QFile::encodeName(directory)) != directory) {
        return {};
    }
    const QFileInfo info(directory);
    return info.isDir() ? QDir::cleanPath(info.absoluteFilePath()) : QString();
}

QString Locations::settingsFile(const QString &programDirectory)
{
    const QString program = usableDirectory(programDirectory);
    if (!program.isEmpty()) {
        const QString file = program + QStringLiteral("/Typovise.ini");
        if (QFileInfo::exists(file) || writable(program))
            return file;
    }
    const QString folder = userFolder(QStandardPaths::AppConfigLocation);
    return folder.isEmpty() ? QString() : folder + QStringLiteral("/Typovise.ini");
}

QString Locations::pdfFolder(const QString &programDirectory)
{
    const QString program = usableDirectory(programDirectory);
    if (!program.isEmpty() && writable(program))
        return program;
    return userFolder(QStandardPaths::DocumentsLocation);
}
