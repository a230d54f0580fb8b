#pragma once
// How both command-line tools print a member's time: local time, or "-" where it has none.

#include <cstdint>
#include <ctime>
#include <string>

inline std::string localTimeText(std::int64_t unixSeconds)
{
    const std::time_t t = static_cast<std::time_t>(unixSeconds);
    char text[32] = "-";
    if (const std::tm* tm = std::localtime(&t))
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", tm);
    return text;
}
