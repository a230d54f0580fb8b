#pragma once
// A local calendar date and time to the second, counted from 1899-12-30 00:00:00. The zero value
// means "nothing recorded" (a slot never written).

#include <cstdint>

namespace core {

struct CivilTime {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

class DateTime {
public:
    constexpr DateTime() = default;
    static DateTime fromSeconds(std::int64_t secondsSinceZero) { return DateTime(secondsSinceZero); }
    static DateTime fromCivil(const CivilTime& civil);

    std::int64_t seconds() const { return m_seconds; }
    CivilTime civil() const;
    bool isZero() const { return m_seconds == 0; }
    bool hasDatePart() const { return m_seconds >= kSecondsPerDay || m_seconds < 0; }
    bool isMidnight() const;

    friend bool operator==(DateTime, DateTime) = default;

    static constexpr std::int64_t kSecondsPerDay = 86400;

private:
    explicit constexpr DateTime(std::int64_t s) : m_seconds(s) {}
    std::int64_t m_seconds = 0;
};

} // namespace core
