#include "platform/PrinterService.h"

#include <cmath>

double PrinterService::usableSize(double points)
{
    if (std::isnan(points) || points < kSmallestSize)
        return kSmallestSize;
    if (points > kLargestSize)
        return kLargestSize;
    return points;
}
