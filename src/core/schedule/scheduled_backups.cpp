#include "core/schedule/scheduled_backups.h"

#include "core/archive/unlha.h"
#include "core/backup/backup_messages.h"
#include "core/backup/slot_backups.h"

namespace core {
namespace {

void tellFailure(Services& services, const SlotBackupReport& report)
{
    if (report.outcome.code != archive::kUnlhaOk)
        services.dialogs.notify(scheduledBackupTitle(), backupReportText(report.outcome, report.source, report.slot));
}

} // namespace

void runScheduledMonthBack(AppState& state, Services& services)
{
    tellFailure(services, backUpToTodaysMonthSlot(state, services, SlotWrite::AddToArchive));
}

void runScheduledDayBack(AppState& state, Services& services)
{
    tellFailure(services, backUpToNextDaySlot(state, services, SlotWrite::AddToArchive));
}

} // namespace core
