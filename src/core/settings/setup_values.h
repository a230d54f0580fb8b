#pragma once
// The three value forms of setup.def lines (docs/setup-def.md): text in double quotation marks,
// a 16-bit decimal integer, and a date-time between number signs. Parsers take one line without
// its line ending and accept nothing around the value.

#include "core/common/date_time.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace core::setup {

std::string formatText(std::string_view text);
std::string formatInteger(std::int16_t value);
// Midnight (zero included) as the date alone; a value less than a day after zero as the time alone.
std::string formatDateTime(DateTime value);

// What lies between the first and the last quotation mark.
std::optional<std::string_view> parseText(std::string_view line);
std::optional<std::int16_t> parseInteger(std::string_view line);
// Any of the three forms; a calendar date that does not exist is no date-time.
std::optional<DateTime> parseDateTime(std::string_view line);

} // namespace core::setup
