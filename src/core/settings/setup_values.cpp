#include "core/settings/setup_values.h"

#include <charconv>
#include <cstdio>

namespace core::setup {
namespace {

// Exactly `count` ASCII digits at `at`, or nullopt.
std::optional<int> digits(std::string_view line, size_t at, size_t count)
{
    if (at + count > line.size())
        return std::nullopt;
    int value = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (line[i] < '0' || line[i] > '9')
            return std::nullopt;
        value = value * 10 + (line[i] - '0');
    }
    return value;
}

bool isLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month)
{
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

// "yyyy-mm-dd" at `at`.
bool parseDate(std::string_view line, size_t at, CivilTime& civil)
{
    const auto year = digits(line, at, 4);
    const auto month = digits(line, at + 5, 2);
    const auto day = digits(line, at + 8, 2);
    if (!year || !month || !day || line[at + 4] != '-' || line[at + 7] != '-')
        return false;
    if (*year < 1 || *month < 1 || *month > 12 || *day < 1 || *day > daysInMonth(*year, *month))
        return false;
    civil.year = *year;
    civil.month = *month;
    civil.day = *day;
    return true;
}

// "hh:mm:ss" at `at`.
bool parseTime(std::string_view line, size_t at, CivilTime& civil)
{
    const auto hour = digits(line, at, 2);
    const auto minute = digits(line, at + 3, 2);
    const auto second = digits(line, at + 6, 2);
    if (!hour || !minute || !second || line[at + 2] != ':' || line[at + 5] != ':')
        return false;
    if (*hour > 23 || *minute > 59 || *second > 59)
        return false;
    civil.hour = *hour;
    civil.minute = *minute;
    civil.second = *second;
    return true;
}

} // namespace

std::string formatText(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

std::string formatInteger(std::int16_t value)
{
    return std::to_string(value);
}

std::string formatDateTime(DateTime value)
{
    const CivilTime c = value.civil();
    char text[32];
    if (value.isMidnight())
        std::snprintf(text, sizeof text, "#%04d-%02d-%02d#", c.year, c.month, c.day);
    else if (!value.hasDatePart())
        std::snprintf(text, sizeof text, "#%02d:%02d:%02d#", c.hour, c.minute, c.second);
    else
        std::snprintf(text, sizeof text, "#%04d-%02d-%02d %02d:%02d:%02d#", c.year, c.month, c.day, c.hour, c.minute,
                      c.second);
    return text;
}

std::optional<std::string_view> parseText(std::string_view line)
{
    if (line.size() < 2 || line.front() != '"' || line.back() != '"')
        return std::nullopt;
    return line.substr(1, line.size() - 2);
}

std::optional<std::int16_t> parseInteger(std::string_view line)
{
    int value = 0;
    const char* end = line.data() + line.size();
    const auto [stop, error] = std::from_chars(line.data(), end, value);
    if (line.empty() || error != std::errc() || stop != end || value < INT16_MIN || value > INT16_MAX)
        return std::nullopt;
    return static_cast<std::int16_t>(value);
}

std::optional<DateTime> parseDateTime(std::string_view line)
{
    if (line.size() < 2 || line.front() != '#' || line.back() != '#')
        return std::nullopt;
    const std::string_view inner = line.substr(1, line.size() - 2);
    CivilTime civil; // 1899-12-30 00:00:00, the date of a time alone
    bool ok = false;
    if (inner.size() == 19)
        ok = parseDate(inner, 0, civil) && inner[10] == ' ' && parseTime(inner, 11, civil);
    else if (inner.size() == 10)
        ok = parseDate(inner, 0, civil);
    else if (inner.size() == 8)
        ok = parseTime(inner, 0, civil);
    if (!ok)
        return std::nullopt;
    return DateTime::fromCivil(civil);
}

} // namespace core::setup
