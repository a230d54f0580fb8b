#include "core/common/date_time.h"

namespace core {
namespace {

// Days between 1970-01-01 and 1899-12-30, the zero of DateTime.
constexpr std::int64_t kZeroToUnixEpochDays = 25569;

// Proleptic Gregorian calendar as whole days from 1970-01-01 (H. Hinnant's days_from_civil).
std::int64_t daysFromCivil(std::int64_t year, int month, int day)
{
    year -= month <= 2;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

void civilFromDays(std::int64_t days, CivilTime& civil)
{
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    civil.day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    civil.month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    civil.year = static_cast<int>(yearOfEra + era * 400 + (civil.month <= 2));
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b)
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

} // namespace

DateTime DateTime::fromCivil(const CivilTime& civil)
{
    const std::int64_t days = daysFromCivil(civil.year, civil.month, civil.day) + kZeroToUnixEpochDays;
    return DateTime(days * kSecondsPerDay + civil.hour * 3600 + civil.minute * 60 + civil.second);
}

CivilTime DateTime::civil() const
{
    const std::int64_t days = floorDiv(m_seconds, kSecondsPerDay);
    const std::int64_t secondOfDay = m_seconds - days * kSecondsPerDay;
    CivilTime civil;
    civilFromDays(days - kZeroToUnixEpochDays, civil);
    civil.hour = static_cast<int>(secondOfDay / 3600);
    civil.minute = static_cast<int>(secondOfDay / 60 % 60);
    civil.second = static_cast<int>(secondOfDay % 60);
    return civil;
}

bool DateTime::isMidnight() const
{
    return m_seconds - floorDiv(m_seconds, kSecondsPerDay) * kSecondsPerDay == 0;
}

} // namespace core
