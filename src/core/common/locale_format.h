#pragma once
// The user's date and time formats, supplied by the window system (or fixed in tests).

#include <string>

namespace core {

class LocaleFormat {
public:
    virtual ~LocaleFormat() = default;
    virtual std::string shortDate(int year, int month, int day) const = 0;
    virtual std::string longTime(int hour, int minute, int second) const = 0;
};

} // namespace core
