#include "core/restore/reload_actions.h"

#include "core/restore/folder_clearing.h"
#include "core/restore/restore_archive.h"
#include "core/restore/restore_messages.h"
#include "core/store/backup_tree.h"

namespace core::restore {

bool cmdReload_Click(AppState& state, Services& services, const ReloadModel& model)
{
    const std::string target = sourcePath(state.setup.BackupFolder);
    const std::string archive = archivePathInSlot(model.slotPath());
    if (!isRegularFile(archive)) {
        services.dialogs.message(restoreTitle(), kNoBackupText);
        return false;
    }
    if (!services.dialogs.ask(restoreTitle(), confirmationText(model.description())))
        return false;
    RestoreArchive(state, services, archive, target, 1);
    return true;
}

} // namespace core::restore
