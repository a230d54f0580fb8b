#pragma once
// SetupRecord: every setting and the slot bookkeeping, and its file setup.def (92 lines, CRLF,
// CP932 or, when a folder name does not fit CP932, UTF-8 with a byte-order mark).

#include "core/common/date_time.h"

#include <array>
#include <cstdint>
#include <string>

namespace core {

struct SetupRecord {
    std::string BackupFolder; // UTF-8
    std::array<std::int16_t, 8> MonthBackOption{};
    std::string MonthBackTime;
    std::int16_t MonthBackTimeIndex = 0;
    std::array<std::int16_t, 24> DayBackHour{};
    std::int16_t DayBackSlot = 0;
    std::array<DateTime, 24> DayBackDate{};
    std::array<DateTime, 31> MonthBackDate{};

    friend bool operator==(const SetupRecord&, const SetupRecord&) = default;
};

} // namespace core
