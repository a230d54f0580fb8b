#pragma once
// The 55 slots the history is read from, each with the moment it was last written.

#include "core/common/date_time.h"
#include "core/settings/setup_record.h"

#include <string>
#include <vector>

namespace core::find {

struct SlotSource {
    std::string name;        // "mback01".."mback31", "hback00".."hback23"
    std::string archivePath; // the slot's BackUp.lzh, which may be missing
    DateTime stamp;          // when the slot was last chosen; zero when never
};

// MonthBack's 31 slots then DayBack's 24, stamped from the record.
std::vector<SlotSource> slotSources(const std::string& programFolder, const SetupRecord& record);

} // namespace core::find
