#pragma once

#include <QString>

// The caption with an Alt mnemonic on the first occurrence of letter; any '&' of the caption
// itself stays a visible '&'. The caption shown is unchanged but for the underline.
QString withMnemonic(const QString &caption, QChar letter);
