#pragma once

#include <QtNumeric>

#include <limits>

// Counts and orders that grow by one at a time stop at the ends of their range instead of
// wrapping (a copy count or a sort order can arrive at the limit from an imported file).
namespace Saturating {

inline qint64 add(qint64 value, qint64 step)
{
    qint64 sum = 0;
    if (!qAddOverflow(value, step, &sum))
        return sum;
    return step > 0 ? std::numeric_limits<qint64>::max() : std::numeric_limits<qint64>::min();
}

} // namespace Saturating
