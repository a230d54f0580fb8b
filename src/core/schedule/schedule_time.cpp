#include "core/schedule/schedule_time.h"

#include <cmath>
#include <cstddef>

namespace core {
namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::size_t nextCharacter(std::string_view text, std::size_t at)
{
    auto isContinuation = [](char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; };
    for (++at; at < text.size() && isContinuation(text[at]);)
        ++at;
    return at;
}

// count characters from the 1-based character start: the setting is cut by characters, not bytes.
std::string_view characters(std::string_view text, std::size_t start, std::size_t count)
{
    std::size_t begin = 0;
    for (std::size_t i = 1; i < start && begin < text.size(); ++i)
        begin = nextCharacter(text, begin);
    std::size_t end = begin;
    for (std::size_t i = 0; i < count && end < text.size(); ++i)
        end = nextCharacter(text, end);
    return text.substr(begin, end - begin);
}

} // namespace

int secondOfDay(const ClockReading& reading)
{
    const CivilTime civil = reading.time.civil();
    int seconds = civil.hour * 3600 + civil.minute * 60 + civil.second;
    if (reading.millisecond > 500 || (reading.millisecond == 500 && seconds % 2 == 1))
        ++seconds;
    return seconds;
}

double leadingNumber(std::string_view text)
{
    std::size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t'))
        ++at;
    double sign = 1.0;
    if (at < text.size() && (text[at] == '-' || text[at] == '+'))
        sign = text[at++] == '-' ? -1.0 : 1.0;
    double value = 0.0;
    for (; at < text.size() && isDigit(text[at]); ++at)
        value = value * 10.0 + (text[at] - '0');
    if (at < text.size() && text[at] == '.') {
        double scale = 0.1;
        for (++at; at < text.size() && isDigit(text[at]); ++at, scale /= 10.0)
            value += (text[at] - '0') * scale;
    }
    return sign * value;
}

int monthBackTargetSecond(const std::string& monthBackTime)
{
    const double hours = leadingNumber(characters(monthBackTime, 1, 2));
    const double minutes = leadingNumber(characters(monthBackTime, 4, 2));
    return static_cast<int>(std::nearbyint(hours * 3600.0 + minutes * 60.0));
}

} // namespace core
