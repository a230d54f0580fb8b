#include "core/restore/copy_to_folder.h"

#include "core/common/product.h"
#include "core/restore/folder_clearing.h"
#include "core/restore/protected_folder.h"
#include "core/restore/restore_messages.h"
#include "core/restore/target_guard.h"
#include "core/restore/unpack_over.h"
#include "core/store/backup_tree.h"
#include "platform/paths.h"

namespace core::restore {
namespace {

// TmpRead and the folders below it are the copy's own working place, cleared without a question,
// unless the destination is the protected folder, holds it or lies inside it: TmpRead is the
// protected folder by default.
bool clearsQuietly(const std::string& destination, const AppState& state)
{
    if (!liesWithin(destination, tmpReadFolder(state.programFolder)))
        return false;
    const std::string protectedFolder = protectedFolderPath(state.setup.BackupFolder);
    if (protectedFolder.empty())
        return true;
    return !liesWithin(destination, protectedFolder) && !liesWithin(protectedFolder, destination);
}

} // namespace

bool closesWindow(CopyOutcome outcome)
{
    return outcome == CopyOutcome::Copied || outcome == CopyOutcome::ExtractionFailed;
}

CopyOutcome copySlotToFolder(AppState& state, Services& services, const std::string& slotPath)
{
    if (!holdsAnyFile(slotPath)) {
        services.dialogs.message(restoreTitle(), kNoBackupText);
        return CopyOutcome::NoBackupInSlot;
    }
    createTmpRead(state.programFolder);

    const std::optional<std::string> chosen =
        services.dialogs.chooseFolder(chooserTitle(), tmpReadFolder(state.programFolder), kChooserInstruction);
    if (!chosen)
        return CopyOutcome::Cancelled;
    const std::string destination = platform::withoutTrailingSeparators(*chosen);
    if (!isFolder(destination)) {
        services.dialogs.message(kProductName, kFolderNotFoundText);
        return CopyOutcome::FolderNotFound;
    }
    if (const TargetRefusal refusal = checkTarget(destination, state.programFolder); refusal != TargetRefusal::None) {
        services.dialogs.message(copyTitle(), refusalText(refusal, destination, Purpose::Copy));
        return CopyOutcome::Refused;
    }
    if (!clearsQuietly(destination, state) && !folderIsEmpty(destination) &&
        !services.dialogs.ask(copyTitle(), clearDestinationQuestion(destination))) {
        return CopyOutcome::Cancelled;
    }

    const UnpackResult unpacked =
        unpackOver(state, services.archiver, archivePathInSlot(slotPath), destination, slotPath, Purpose::Copy);
    const CopyOutcome outcome = outcomeOf(unpacked.outcome, CopyOutcome::Copied);
    services.dialogs.message(copyTitle(),
                             outcome == CopyOutcome::Copied ? copiedText(slotPath, destination) : unpacked.failureText);
    return outcome;
}

} // namespace core::restore
