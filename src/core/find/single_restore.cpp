#include "core/find/single_restore.h"

#include "core/archive/archive_entry.h"
#include "core/find/find_messages.h"
#include "core/find/local_file.h"
#include "core/restore/target_guard.h"
#include "platform/disk_space.h"
#include "platform/paths.h"

#include <algorithm>
#include <map>

namespace core::find {
namespace {

std::string lastComponent(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The stored paths the request takes: the file itself, or the folder and all below it.
bool chosen(const RestoreRequest& request, const std::string& stored)
{
    if (stored == request.path)
        return true;
    if (!request.isFolder)
        return false;
    return request.path.empty() || (stored.size() > request.path.size() && stored.starts_with(request.path) &&
                                    stored[request.path.size()] == '/');
}

// Where a chosen member goes under the target: as stored into its own place; into another folder,
// from the chosen file or folder's own name down.
std::string placeOf(const RestoreRequest& request, const std::string& stored)
{
    if (request.place == RestorePlace::Original || request.path.empty())
        return stored;
    const std::size_t parentLength = request.path.size() - lastComponent(request.path).size();
    return stored.substr(parentLength);
}

std::string targetFolder(const RestoreRequest& request)
{
    return request.place == RestorePlace::Original ? request.protectedFolder : request.folder;
}

// The nearest folder that exists at or above path, whose volume the files will go to.
std::string existingAncestor(std::string path)
{
    for (;;) {
        const auto entry = entryAt(path);
        if (entry && entry->kind == platform::EntryKind::Folder)
            return path;
        const std::string parent = platform::fromPath(platform::toPath(path).parent_path());
        if (parent.empty() || parent == path)
            return path;
        path = parent;
    }
}

RestoreResult failure(RestoreProblem problem, std::string message)
{
    RestoreResult result;
    result.problem = problem;
    result.message = std::move(message);
    return result;
}

} // namespace

Overwrites overwritesOf(const HistoryIndex& index, const RestoreRequest& request)
{
    Overwrites overwrites;
    const std::string target = targetFolder(request);
    if (target.empty())
        return overwrites;
    // Each folder is listed once, however many of its files are restored.
    std::map<std::string, std::map<std::string, platform::FolderEntry>> folders;
    for (const auto& [path, version] : index.filesInSlot(request.slot, request.path)) {
        if (!chosen(request, path))
            continue;
        const std::string place = placeOf(request, path);
        const auto slash = place.rfind('/');
        const std::string folder = localPathOf(target, slash == std::string::npos ? "" : place.substr(0, slash));
        auto [listed, added] = folders.try_emplace(folder);
        if (added)
            if (auto entries = platform::listFolder(folder); entries.ok())
                for (platform::FolderEntry& entry : *entries)
                    listed->second.emplace(entry.name, std::move(entry));
        const auto found = listed->second.find(place.substr(slash == std::string::npos ? 0 : slash + 1));
        if (found == listed->second.end())
            continue;
        const platform::FolderEntry& now = found->second;
        if (now.kind == platform::EntryKind::File && now.size == version.size && now.mtime == version.mtime)
            continue;
        ++overwrites.differing;
        overwrites.currentNewer += now.mtime > version.mtime ? 1 : 0;
    }
    return overwrites;
}

std::string restoredPath(const RestoreRequest& request)
{
    if (targetFolder(request).empty())
        return {};
    return localPathOf(targetFolder(request), placeOf(request, request.path));
}

RestoreResult restoreFromHistory(const HistoryIndex& index, const RestoreRequest& request,
                                 const std::atomic<bool>* cancel)
{
    const std::string target = platform::withoutTrailingSeparators(targetFolder(request));
    const auto& slots = index.slots();
    if (request.slot < 0 || static_cast<std::size_t>(request.slot) >= slots.size())
        return failure(RestoreProblem::NothingToRestore, nothingToRestoreText(request.path));
    const SlotSource& slot = slots[static_cast<std::size_t>(request.slot)];
    if (const auto refusal = restore::checkTarget(target, request.programFolder);
        refusal != restore::TargetRefusal::None)
        return failure(RestoreProblem::TargetRefused, targetRefusedText(target, restore::refusalReason(refusal)));

    const auto inSlot = index.filesInSlot(request.slot, request.path);
    if (std::none_of(inSlot.begin(), inSlot.end(), [&](const auto& file) { return chosen(request, file.first); }))
        return failure(RestoreProblem::NothingToRestore, nothingToRestoreText(request.path));

    // Each file is written beside the one it replaces before the rename, so what it replaces
    // gives no room back: the whole size must fit.
    if (auto space = platform::volumeSpace(existingAncestor(target)); space.ok()) {
        std::uint64_t needed = 0;
        for (const auto& [path, version] : inSlot)
            if (chosen(request, path))
                needed += platform::allocatedSize(version.size, space->blockSize);
        if (needed > space->freeBytes)
            return failure(RestoreProblem::NotEnoughSpace,
                           notEnoughRoomText(request.path, target, needed, space->freeBytes));
    }

    archive::UnlhaCommand command;
    command.command = 'x';
    command.archive = slot.archivePath;
    command.folder = target;
    archive::ArchiveOptions options;
    options.cancel = cancel;
    options.placeMember = [&request](const std::string& stored) -> std::optional<std::string> {
        if (!chosen(request, stored))
            return std::nullopt;
        return placeOf(request, stored);
    };
    const archive::ArchiveResult extracted = archive::runArchive(command, options);

    RestoreResult result;
    result.restored = extracted.members;
    result.failures = extracted.memberFailures;
    if (extracted.cancelled) {
        result.problem = RestoreProblem::Cancelled;
        result.message = restoreCancelledText(request.path, target);
    } else if (!extracted.archiveStatus.ok()) {
        result.problem = RestoreProblem::Unreadable;
        result.message =
            unreadableArchiveText(slot.archivePath, extracted.archiveStatus.detail(), target, result.restored > 0);
    } else if (!result.failures.empty()) {
        result.problem = RestoreProblem::SomeFailed;
        result.message = someFailedText(request.path, target, result.failures);
    } else if (result.restored == 0) {
        result.problem = RestoreProblem::NothingToRestore;
        result.message = nothingToRestoreText(request.path);
    } else {
        result.message = restoredFromHistoryText(request.path, slot.name, target);
    }
    return result;
}

} // namespace core::find
