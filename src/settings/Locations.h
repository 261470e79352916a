#pragma once

#include <QString>

// Where the settings file and the catalogue files go. The program's own directory comes first:
// the older program kept its settings there and the files it left rely on it. Where that
// directory cannot be used (an installed copy, or a path the system cannot give back), the
// user's own folders take over; never the root nor the working directory.
namespace Locations {
// The directory as an absolute path that names it, or empty when it cannot be trusted: empty,
// relative, holding a name the file system's encoding could not give back, or not a directory.
QString usableDirectory(const QString &directory);
// In the program's directory when the file is there or the directory can be written; else
// Typovise.ini in the user's configuration folder, created here; empty when neither can be used,
// and the settings then last for the session.
QString settingsFile(const QString &programDirectory);
// The program's directory when it can be written; else the user's documents folder, created
// here when missing; empty when neither can be used.
QString pdfFolder(const QString &programDirectory);
} // namespace Locations
