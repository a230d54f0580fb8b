#include "core/restore/copy_to_folder.h"

#include "core/common/product.h"
#include "core/restore/folder_clearing.h"
#include "core/restore/restore_messages.h"
#include "core/restore/target_guard.h"
#include "core/restore/unpack_over.h"
#include "core/store/backup_tree.h"
#include "platform/paths.h"

#include <filesystem>
#include <system_error>

namespace core::restore {
namespace {

// TmpRead and the folders below it are the copy's own working place: cleared without a question.
bool isInsideTmpRead(const std::string& folder, const std::string& programFolder)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path tmpRead = fs::weakly_canonical(platform::toPath(tmpReadFolder(programFolder)), ec);
    if (ec)
        return false;
    for (fs::path p = fs::weakly_canonical(platform::toPath(folder), ec); !ec && !p.empty(); p = p.parent_path()) {
        if (p == tmpRead || fs::equivalent(p, tmpRead, ec))
            return true;
        if (p == p.parent_path())
            break;
    }
    return false;
}

std::string withoutTrailingSeparator(std::string folder)
{
    while (folder.size() > 1 && folder.back() == platform::kSeparator)
        folder.pop_back();
    return folder;
}

CopyOutcome fromUnpack(UnpackOutcome outcome)
{
    switch (outcome) {
    case UnpackOutcome::Unpacked:
        return CopyOutcome::Copied;
    case UnpackOutcome::ArchiveRejected:
        return CopyOutcome::ArchiveRejected;
    case UnpackOutcome::FolderUnusable:
        return CopyOutcome::FolderUnusable;
    case UnpackOutcome::NotEnoughSpace:
        return CopyOutcome::NotEnoughSpace;
    case UnpackOutcome::ExtractionFailed:
        return CopyOutcome::ExtractionFailed;
    }
    return CopyOutcome::ExtractionFailed;
}

} // namespace

bool closesWindow(CopyOutcome outcome)
{
    return outcome == CopyOutcome::Copied || outcome == CopyOutcome::ExtractionFailed;
}

CopyOutcome cmdRead_Click(AppState& state, Services& services, const std::string& slotPath)
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
    const std::string destination = withoutTrailingSeparator(*chosen);
    if (!isFolder(destination)) {
        services.dialogs.message(kProductName, kFolderNotFoundText);
        return CopyOutcome::FolderNotFound;
    }
    if (const TargetRefusal refusal = checkTarget(destination, state.programFolder); refusal != TargetRefusal::None) {
        services.dialogs.message(copyTitle(), refusalText(refusal, destination, Purpose::Copy));
        return CopyOutcome::Refused;
    }
    if (!isInsideTmpRead(destination, state.programFolder) && !folderIsEmpty(destination) &&
        !services.dialogs.ask(copyTitle(), clearDestinationQuestion(destination))) {
        return CopyOutcome::Cancelled;
    }

    const UnpackResult unpacked =
        unpackOver(state, services.archiver, archivePathInSlot(slotPath), destination, slotPath, Purpose::Copy);
    const CopyOutcome outcome = fromUnpack(unpacked.outcome);
    services.dialogs.message(copyTitle(),
                             outcome == CopyOutcome::Copied ? copiedText(slotPath, destination) : unpacked.failureText);
    return outcome;
}

} // namespace core::restore
