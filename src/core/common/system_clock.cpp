#include "core/common/clock.h"

#include <chrono>
#include <ctime>
#include <mutex>

namespace core {

ClockReading SystemClock::now() const
{
    using namespace std::chrono;
    const auto current = system_clock::now();
    std::time_t whole = system_clock::to_time_t(current);
    auto millis = duration_cast<milliseconds>(current - system_clock::from_time_t(whole)).count();
    if (millis < 0) { // to_time_t may round up
        --whole;
        millis += 1000;
    }

    // std::localtime shares one buffer per process; the lock keeps two callers apart.
    static std::mutex lock;
    std::tm local{};
    {
        const std::lock_guard<std::mutex> guard(lock);
        if (const std::tm* converted = std::localtime(&whole))
            local = *converted;
    }
    CivilTime civil;
    civil.year = local.tm_year + 1900;
    civil.month = local.tm_mon + 1;
    civil.day = local.tm_mday;
    civil.hour = local.tm_hour;
    civil.minute = local.tm_min;
    civil.second = local.tm_sec > 59 ? 59 : local.tm_sec; // a leap second stays in its minute
    return ClockReading{DateTime::fromCivil(civil), static_cast<int>(millis)};
}

} // namespace core
