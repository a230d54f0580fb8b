#pragma once

#include "core/common/date_time.h"

namespace core {

// One reading of the local clock: the time to the second and the milliseconds past it, so the
// scheduler can round "seconds since midnight" as the system timer gives them.
struct ClockReading {
    DateTime time;
    int millisecond = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual ClockReading now() const = 0;
};

// The system's local time.
class SystemClock final : public Clock {
public:
    ClockReading now() const override;
};

} // namespace core
