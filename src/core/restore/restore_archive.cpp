#include "core/restore/restore_archive.h"

#include "core/restore/restore_messages.h"
#include "core/restore/target_guard.h"
#include "core/settings/setup_file.h"

namespace core::restore {
RestoreOutcome RestoreArchive(AppState& state, Services& services, const std::string& archivePath,
                              const std::string& targetFolder, int report)
{
    services.mainView.setTitle(kRestoringTitle);
    services.mainView.processPendingEvents();

    RestoreOutcome outcome = RestoreOutcome::Restored;
    std::string text;
    if (const TargetRefusal refusal = checkTarget(targetFolder, state.programFolder); refusal != TargetRefusal::None) {
        outcome = RestoreOutcome::Refused;
        text = refusalText(refusal, targetFolder, Purpose::Restore);
    } else {
        UnpackResult unpacked =
            unpackOver(state, services.archiver, archivePath, targetFolder, archivePath, Purpose::Restore);
        outcome = outcomeOf(unpacked.outcome, RestoreOutcome::Restored);
        text = outcome == RestoreOutcome::Restored ? restoredText(archivePath, targetFolder)
                                                   : std::move(unpacked.failureText);
    }

    if (report == 1) {
        services.dialogs.message(restoreTitle(), text);
        // The record in memory may hold stamps of timer backups that never reached the file; losing
        // them would let the next backup overwrite the newest generation, so a failure is told.
        if (const base::Status saved = SaveSetup(state); !saved.ok())
            services.dialogs.message(restoreTitle(), saveFailureText(saved));
    }
    return outcome;
}

} // namespace core::restore
