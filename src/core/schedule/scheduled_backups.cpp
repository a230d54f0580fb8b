#include "core/schedule/scheduled_backups.h"

#include "core/archive/unlha.h"
#include "core/backup/backup_messages.h"
#include "core/backup/slot_backups.h"
#include "core/restore/protected_folder.h"

namespace core {
namespace {

// A folder no restore could go back into is skipped; the notice that says why goes the way of
// every scheduled notice, so the hours do not pile them up.
bool skipUnrestorable(const AppState& state, Services& services)
{
    const auto unrestorable = restore::unrestorableFolderText(state.setup.BackupFolder, state.programFolder);
    if (unrestorable)
        services.dialogs.notify(scheduledBackupTitle(), *unrestorable);
    return unrestorable.has_value();
}

void tellFailure(Services& services, const SlotBackupReport& report)
{
    if (report.outcome.result != BackupResult::Written)
        services.dialogs.notify(scheduledBackupTitle(), backupReportText(report.outcome, report.source, report.slot));
}

} // namespace

void runScheduledMonthBack(AppState& state, Services& services)
{
    if (skipUnrestorable(state, services))
        return;
    tellFailure(services, backUpToTodaysMonthSlot(state, services, SlotWrite::AddToArchive));
}

void runScheduledDayBack(AppState& state, Services& services)
{
    if (skipUnrestorable(state, services))
        return;
    tellFailure(services, backUpToNextDaySlot(state, services, SlotWrite::AddToArchive));
}

} // namespace core
