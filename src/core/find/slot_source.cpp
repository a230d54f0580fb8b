#include "core/find/slot_source.h"

#include "core/store/backup_tree.h"

namespace core::find {

std::vector<SlotSource> slotSources(const std::string& programFolder, const SetupRecord& record)
{
    std::vector<SlotSource> slots;
    slots.reserve(kMonthSlotCount + kDaySlotCount);
    for (int day = 1; day <= kMonthSlotCount; ++day)
        slots.push_back({"mback" + twoDigits(day), archivePathInSlot(monthSlotPath(programFolder, day)),
                         record.MonthBackDate[static_cast<std::size_t>(day - 1)]});
    for (int slot = 0; slot < kDaySlotCount; ++slot)
        slots.push_back({"hback" + twoDigits(slot), archivePathInSlot(daySlotPath(programFolder, slot)),
                         record.DayBackDate[static_cast<std::size_t>(slot)]});
    return slots;
}

} // namespace core::find
