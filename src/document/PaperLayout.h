#pragma once

#include <QByteArray>
#include <QPageLayout>

// The page of a catalogue that no printer describes: the paper of the user's locale (A4 in
// France, Letter where that is the custom), with margins that any office printer can print.
namespace PaperLayout {
// At least this much on every side; many printers cannot print closer to the edge.
constexpr double kMarginMm = 10.0;
// localeName as setlocale takes it; empty reads the environment (LC_ALL, LC_PAPER, LANG).
QPageLayout withoutPrinter(const QByteArray &localeName = QByteArray());
} // namespace PaperLayout
