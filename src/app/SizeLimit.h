#pragma once

#include "printer/PrinterService.h"

class MessageBoxes;
class VbComboBox;

// The largest sample size a user may ask for, on screen and on paper alike: the largest the
// printer service takes.
namespace SizeLimit {
inline constexpr double kTailleMaximum = PrinterService::kLargestSize;

// A size above the largest is refused with a message, and the box then shows the largest;
// the size to go on with.
double refuseAbove(double size, MessageBoxes &messages, VbComboBox &box);
} // namespace SizeLimit
