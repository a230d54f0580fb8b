#pragma once
// A backup into the slot that one of the two slot rules picks. The rule stamps the slot with now
// before packing; when nothing new reaches the slot the stamp goes back to what it was, so the
// restore list never shows a backup that does not exist. DayBackSlot advances either way.

#include "core/backup/slot_writer.h"

#include <string>

namespace core {

struct SlotBackupReport {
    std::string source;
    std::string slot;
    CompressOutcome outcome;
};

// Into the next DayBack slot (hback00..23).
SlotBackupReport backUpToNextDaySlot(AppState& state, Services& services, SlotWrite mode);

// Into today's MonthBack slot (mback01..31).
SlotBackupReport backUpToTodaysMonthSlot(AppState& state, Services& services, SlotWrite mode);

} // namespace core
