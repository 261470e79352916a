#pragma once

#include <QString>

class QPDF;

// Opens path as it stands: no recovery, and warnings kept to be asked about rather than
// printed. Throws as qpdf does when the file cannot be read that way.
void openStrictly(QPDF &pdf, const QString &path);
