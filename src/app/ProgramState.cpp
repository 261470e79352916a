#include "app/ProgramState.h"

const QString ProgramState::kListeTailles
    = QStringLiteral("  8  9 10 11 12 13 14 15 16 18 20 24 26 30 32 36 40 46 52 56 60 65 72");
const QString ProgramState::kLigneExemple1
    = QStringLiteral(" Portez ce vieux whisky au juge blond qui fume");
const QString ProgramState::kLigneExemple2 = QStringLiteral("ABCDEFGHIJKLMNOP 0123456789 éèçàâäù%");
