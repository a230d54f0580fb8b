// The two backups of the main window's menu. Both empty the slot so it holds only the new archive;
// the current-state backup saves the settings before its message, the daily backup after it.

#include "core/backup/backup_messages.h"
#include "core/backup/backup_operations.h"
#include "core/backup/slot_backups.h"
#include "core/restore/protected_folder.h"
#include "core/settings/setup_file.h"

namespace core {

namespace {

// A save that fails loses the new slot number and stamp, so the next backup would overwrite the
// newest generation: the person must hear of it.
void saveAndReport(AppState& state, Services& services, const std::string& title)
{
    if (const base::Status saved = SaveSetup(state); !saved.ok())
        services.dialogs.message(title, saveFailureText(saved));
}

// A folder no restore could go back into is told about instead of backed up: its archives would
// fill the slots and protect nothing.
bool refuseUnrestorable(const AppState& state, Services& services, const std::string& title)
{
    const auto unrestorable = restore::unrestorableFolderText(state.setup.BackupFolder, state.programFolder);
    if (unrestorable)
        services.dialogs.message(title, *unrestorable);
    return unrestorable.has_value();
}

} // namespace

void backUpCurrentState(AppState& state, Services& services)
{
    if (refuseUnrestorable(state, services, nowbackTitle()))
        return;
    const SlotBackupReport report = backUpToNextDaySlot(state, services, SlotWrite::ReplaceArchive);
    const base::Status saved = SaveSetup(state);
    services.dialogs.message(nowbackTitle(), backupReportText(report.outcome, report.source, report.slot));
    if (!saved.ok())
        services.dialogs.message(nowbackTitle(), saveFailureText(saved));
}

void backUpToday(AppState& state, Services& services)
{
    if (refuseUnrestorable(state, services, daybackTitle()))
        return;
    const SlotBackupReport report = backUpToTodaysMonthSlot(state, services, SlotWrite::ReplaceArchive);
    services.dialogs.message(daybackTitle(), backupReportText(report.outcome, report.source, report.slot));
    saveAndReport(state, services, daybackTitle());
}

} // namespace core
