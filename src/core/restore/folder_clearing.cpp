#include "core/restore/folder_clearing.h"

#include "platform/paths.h"

#include <filesystem>
#include <system_error>
#include <vector>

namespace core::restore {
namespace fs = std::filesystem;

namespace {

// Read-only as the platform shows it: the owner may not write (Windows maps its read-only
// attribute onto the same bit).
bool isReadOnly(const fs::file_status& status)
{
    return (status.permissions() & fs::perms::owner_write) == fs::perms::none;
}

// Deleting "with force": every real folder below becomes writable and listable, every file
// writable (Windows refuses to delete read-only files). Links are left alone, so the permissions
// of whatever they point to never change.
void makeRemovable(const fs::path& folder)
{
    std::error_code ec;
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, ec);
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::file_status status = it->symlink_status(ec);
        if (fs::is_directory(status))
            makeRemovable(it->path());
        else if (fs::is_regular_file(status) && isReadOnly(status))
            fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, ec);
    }
}

} // namespace

base::Status clearFolder(const std::string& folder)
{
    const fs::path root = platform::toPath(folder);
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(root, ec)))
        return base::Status::ok();

    // Take the whole list first: a folder that cannot be listed must lose nothing.
    std::vector<fs::directory_entry> entries;
    for (fs::directory_iterator it(root, ec), end; it != end; it.increment(ec)) {
        if (ec)
            break;
        entries.push_back(*it);
    }
    if (ec)
        return base::Status::error(base::ErrorCode::AccessDenied, ec.message(), folder);

    for (const fs::directory_entry& entry : entries) {
        const fs::file_status status = entry.symlink_status(ec);
        if (ec)
            continue;
        if (fs::is_directory(status)) {
            makeRemovable(entry.path());
            fs::remove_all(entry.path(), ec);
        }
    }
    for (const fs::directory_entry& entry : entries) {
        const fs::file_status status = entry.symlink_status(ec);
        if (ec || fs::is_directory(status))
            continue;
        if (fs::is_symlink(status) || !isReadOnly(status))
            fs::remove(entry.path(), ec);
    }
    return base::Status::ok();
}

bool folderIsEmpty(const std::string& folder)
{
    std::error_code ec;
    fs::directory_iterator it(platform::toPath(folder), ec);
    return ec || it == fs::directory_iterator();
}

bool holdsAnyFile(const std::string& folder)
{
    std::error_code ec;
    for (fs::directory_iterator it(platform::toPath(folder), ec), end; !ec && it != end; it.increment(ec)) {
        if (it->is_regular_file(ec))
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
