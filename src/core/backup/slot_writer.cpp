#include "core/backup/slot_writer.h"

#include "core/backup/archive_commands.h"
#include "core/store/backup_tree.h"
#include "platform/file_io.h"
#include "platform/folder_listing.h"
#include "platform/paths.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace core {
namespace {

CompressOutcome failed(BackupResult result)
{
    CompressOutcome outcome;
    outcome.result = result;
    return outcome;
}

bool isReadableFolder(const std::string& source)
{
    if (source.empty())
        return false; // "" + separator would name the root of the file system
    std::error_code error;
    if (!fs::is_directory(platform::toPath(source), error))
        return false;
    return platform::listFolder(source).ok();
}

// A slot removed while the program runs is made again; a plain file in its place is not touched.
bool ensureSlotFolder(const std::string& slot)
{
    std::error_code error;
    const fs::path path = platform::toPath(slot);
    if (fs::is_directory(path, error))
        return true;
    if (fs::exists(fs::symlink_status(path, error)))
        return false;
    fs::create_directories(path, error);
    return !error;
}

bool removeIfPresent(const std::string& file)
{
    std::error_code error;
    fs::remove(platform::toPath(file), error);
    return !error;
}

// Every file directly in the slot except the ones that stay; subfolders are left alone. A file that
// cannot be removed does not undo a backup that is already complete.
void clearSlotFiles(const std::string& slot, const std::string& keepA, const std::string& keepB)
{
    const auto entries = platform::listFolder(slot);
    if (!entries.ok())
        return;
    std::error_code error;
    for (const platform::FolderEntry& entry : *entries) {
        if (entry.kind != platform::EntryKind::Folder && entry.name != keepA && entry.name != keepB)
            fs::remove(platform::toPath(platform::joinPath(slot, entry.name)), error);
    }
}

CompressOutcome replaceArchive(AppState& state, Services& services, const std::string& source, const std::string& slot)
{
    const std::string pending = platform::joinPath(slot, kPendingArchiveName);
    // A leftover from an interrupted backup would otherwise be added to.
    if (!removeIfPresent(pending))
        return failed(BackupResult::NotWritten);

    // The add command tests every member of what it wrote before giving it the pending name, so
    // an archive that is there has been proven; testing it again would only double the work.
    const CompressOutcome outcome = packInto(state, services, source, slot, pending);
    if (!wroteNewArchive(outcome)) {
        removeIfPresent(pending);
        return outcome;
    }

    clearSlotFiles(slot, kPendingArchiveName, kArchiveFileName);
    if (const base::Status moved = platform::replaceFile(pending, archivePathInSlot(slot)); !moved.ok()) {
        removeIfPresent(pending);
        return failed(BackupResult::NotWritten);
    }
    return outcome;
}

} // namespace

bool wroteNewArchive(const CompressOutcome& outcome)
{
    return outcome.result == BackupResult::Written || outcome.result == BackupResult::WrittenWithoutSome;
}

CompressOutcome backUpIntoSlot(AppState& state, Services& services, const std::string& source, const std::string& slot,
                               SlotWrite mode)
{
    if (!isReadableFolder(source))
        return failed(BackupResult::SourceMissing);
    if (!ensureSlotFolder(slot))
        return failed(BackupResult::NotWritten);
    if (mode == SlotWrite::AddToArchive)
        return compress(state, services, source, slot);
    return replaceArchive(state, services, source, slot);
}

} // namespace core
