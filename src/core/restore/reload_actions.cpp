#include "core/restore/reload_actions.h"

#include "core/restore/folder_clearing.h"
#include "core/restore/restore_archive.h"
#include "core/restore/restore_messages.h"
#include "core/store/backup_tree.h"
#include "platform/file_io.h"

namespace core::restore {

bool restoreSelectedSlot(AppState& state, Services& services, const ReloadModel& model)
{
    const std::string target = sourcePath(state.setup.BackupFolder);
    const std::string archive = archivePathInSlot(model.slotPath());
    if (!isRegularFile(archive)) {
        services.dialogs.message(restoreTitle(), kNoBackupText);
        return false;
    }
    const std::string description = model.description(state.setup, services.locale);
    // A scheduled backup may rewrite this very slot while the question is open (the ring's oldest
    // slot is the next one written): Yes holds only for the stamp and the file it was asked about.
    const DateTime stamp = model.selectedStamp(state.setup);
    const std::optional<platform::FileIdentity> identity = platform::fileIdentity(archive);
    if (!services.dialogs.ask(restoreTitle(), confirmationText(description)))
        return false;
    if (model.selectedStamp(state.setup) != stamp || platform::fileIdentity(archive) != identity) {
        services.dialogs.message(restoreTitle(), replacedWhileAskingText(description, target));
        return false;
    }
    RestoreArchive(state, services, archive, target, 1);
    return true;
}

} // namespace core::restore
