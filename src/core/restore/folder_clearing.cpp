#include "core/restore/folder_clearing.h"

#include "platform/disk_space.h"
#include "platform/folder_listing.h"
#include "platform/paths.h"

#include <filesystem>
#include <system_error>
#include <vector>

namespace core::restore {
namespace fs = std::filesystem;

namespace {

using platform::EntryKind;

fs::path pathOf(const std::string& folder, const platform::FolderEntry& entry)
{
    return platform::toPath(platform::joinPath(folder, entry.name));
}

// Deleting "with force": every real folder below is made writable and listable and emptied,
// every file made writable (Windows refuses to delete read-only files), and then the folder
// itself goes. Links are removed as links, so nothing they point to is touched. The folders are
// listed by the platform, never by std::filesystem's removal, which on MinGW lists the working
// folder instead of one past 260 characters.
void removeFolderTree(const std::string& folder)
{
    std::error_code ec;
    const fs::path path = platform::toPath(folder);
    fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ec);
    if (auto listing = platform::listFolder(folder); listing.ok()) {
        for (const platform::FolderEntry& entry : *listing) {
            if (entry.kind == EntryKind::Folder) {
                removeFolderTree(platform::joinPath(folder, entry.name));
                continue;
            }
            if (entry.kind == EntryKind::File && entry.readOnly)
                fs::permissions(pathOf(folder, entry), fs::perms::owner_write, fs::perm_options::add, ec);
            fs::remove(pathOf(folder, entry), ec);
        }
    }
    fs::remove(path, ec);
}

// What deleting would give back: every file below, or with topOnly the files directly inside
// only when they are not read-only, as clearFolder leaves those.
std::uint64_t spaceDeleted(const std::string& folder, std::uint64_t blockSize, bool topOnly)
{
    std::uint64_t total = 0;
    if (auto listing = platform::listFolder(folder); listing.ok()) {
        for (const platform::FolderEntry& entry : *listing) {
            if (entry.kind == EntryKind::Folder)
                total += spaceDeleted(platform::joinPath(folder, entry.name), blockSize, false);
            else if (entry.kind == EntryKind::File && !(topOnly && entry.readOnly))
                total += platform::allocatedSize(entry.size, blockSize);
        }
    }
    return total;
}

// is_regular_file follows a link: a link to a file counts as a file here.
bool isFileOrLinkToFile(const std::string& folder, const platform::FolderEntry& entry)
{
    if (entry.kind == EntryKind::File)
        return true;
    std::error_code ec;
    return entry.kind == EntryKind::Link && fs::is_regular_file(pathOf(folder, entry), ec);
}

} // namespace

base::Status clearFolder(const std::string& folder)
{
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(platform::toPath(folder), ec)))
        return base::Status::success();

    // Take the whole list first: a folder that cannot be listed must lose nothing.
    const auto entries = platform::listFolder(folder);
    if (!entries.ok())
        return base::Status::error(base::ErrorCode::AccessDenied, entries.status().detail(), folder);

    for (const platform::FolderEntry& entry : *entries) {
        if (entry.kind == EntryKind::Folder)
            removeFolderTree(platform::joinPath(folder, entry.name));
    }
    for (const platform::FolderEntry& entry : *entries) {
        if (entry.kind != EntryKind::Folder && (entry.kind == EntryKind::Link || !entry.readOnly))
            fs::remove(pathOf(folder, entry), ec);
    }
    return base::Status::success();
}

std::uint64_t spaceClearingFrees(const std::string& folder, std::uint64_t blockSize)
{
    return spaceDeleted(folder, blockSize, true);
}

bool folderIsEmpty(const std::string& folder)
{
    const auto entries = platform::listFolder(folder);
    return !entries.ok() || entries->empty();
}

bool holdsAnyFile(const std::string& folder)
{
    const auto entries = platform::listFolder(folder);
    if (!entries.ok())
        return false;
    for (const platform::FolderEntry& entry : *entries) {
        if (isFileOrLinkToFile(folder, entry))
            return true;
    }
    return false;
}

bool isRegularFile(const std::string& path)
{
    std::error_code ec;
    return fs::is_regular_file(platform::toPath(path), ec);
}

bool isFolder(const std::string& path)
{
    std::error_code ec;
    return fs::is_directory(platform::toPath(path), ec);
}

} // namespace core::restore
