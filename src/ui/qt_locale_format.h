#pragma once

#include "core/common/locale_format.h"

namespace ui {

// The user's date and time formats from the system locale; times always carry seconds.
class QtLocaleFormat final : public core::LocaleFormat {
public:
    std::string shortDate(int year, int month, int day) const override;
    std::string longTime(int hour, int minute, int second) const override;
};

} // namespace ui
