#pragma once

#include "core/common/locale_format.h"

#include <cstdio>

namespace fernhold::test {

// The formats of a Japanese Windows desktop: "2004/05/14" and "8:00:03".
class FixedLocaleFormat final : public core::LocaleFormat {
public:
    std::string shortDate(int year, int month, int day) const override
    {
        char text[32];
        std::snprintf(text, sizeof text, "%04d/%02d/%02d", year, month, day);
        return text;
    }
    std::string longTime(int hour, int minute, int second) const override
    {
        char text[32];
        std::snprintf(text, sizeof text, "%d:%02d:%02d", hour, minute, second);
        return text;
    }
};

} // namespace fernhold::test
