#pragma once
// The numbers a tick compares: the second of the day and the target second of the timed backup.

#include "core/common/clock.h"

#include <string>
#include <string_view>

namespace core {

// Seconds since local midnight, the milliseconds rounded half to even: 0 to 86400.
int secondOfDay(const ClockReading& reading);

// The decimal number at the start of text after leading blanks (sign, digits, fraction), 0 when
// there is none, as a hand-edited setting is read.
double leadingNumber(std::string_view text);

// MonthBackTime "HH:MM" as the second of the day: characters 1-2 as hours, 4-5 as minutes.
int monthBackTargetSecond(const std::string& monthBackTime);

} // namespace core
