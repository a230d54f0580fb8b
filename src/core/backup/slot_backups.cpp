#include "core/backup/slot_backups.h"

#include "core/store/backup_tree.h"

namespace core {

SlotBackupReport backUpToNextDaySlot(AppState& state, Services& services, SlotWrite mode)
{
    SetupRecord& setup = state.setup;
    const auto stampsBefore = setup.DayBackDate;
    SlotBackupReport report;
    report.slot = chooseNextDaySlot(setup, state.programFolder, services.clock.now().time);
    report.source = sourcePath(setup.BackupFolder);
    const int slot = setup.DayBackSlot;
    report.outcome = backUpIntoSlot(state, services, report.source, report.slot, mode);
    if (!wroteNewArchive(report.outcome))
        setup.DayBackDate[slot] = stampsBefore[slot];
    return report;
}

SlotBackupReport backUpToTodaysMonthSlot(AppState& state, Services& services, SlotWrite mode)
{
    SetupRecord& setup = state.setup;
    const DateTime now = services.clock.now().time;
    const int day = now.civil().day;
    const DateTime stampBefore = setup.MonthBackDate[day - 1];
    SlotBackupReport report;
    report.slot = chooseTodaysMonthSlot(setup, state.programFolder, now);
    report.source = sourcePath(setup.BackupFolder);
    report.outcome = backUpIntoSlot(state, services, report.source, report.slot, mode);
    if (!wroteNewArchive(report.outcome))
        setup.MonthBackDate[day - 1] = stampBefore;
    return report;
}

} // namespace core
