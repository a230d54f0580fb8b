#pragma once

#include "core/common/clock.h"

namespace fernhold::test {

// A clock that stands still until a test sets or advances it.
class FakeClock final : public core::Clock {
public:
    core::ClockReading now() const override { return m_reading; }

    void set(int year, int month, int day, int hour, int minute, int second, int millisecond = 0)
    {
        m_reading = {core::DateTime::fromCivil({year, month, day, hour, minute, second}), millisecond};
    }
    void advanceSeconds(long long seconds)
    {
        m_reading.time = core::DateTime::fromSeconds(m_reading.time.seconds() + seconds);
    }

private:
    core::ClockReading m_reading;
};

} // namespace fernhold::test
