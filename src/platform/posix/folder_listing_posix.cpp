// One lstat per entry, relative to the open folder: the kind, size, time and mode together.

#include "platform/folder_listing.h"

#include "platform/file_io.h"
#include "stat_identity.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace platform {
namespace {

EntryKind kindOf(mode_t mode)
{
    if (S_ISREG(mode))
        return EntryKind::File;
    if (S_ISDIR(mode))
        return EntryKind::Folder;
    if (S_ISLNK(mode))
        return EntryKind::Link;
    return EntryKind::Other;
}

bool isDotOrDotDot(const char* name)
{
    return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

} // namespace

base::Result<std::vector<FolderEntry>> listFolder(const std::string& utf8Path)
{
    DIR* folder = ::opendir(utf8Path.c_str());
    if (folder == nullptr)
        return lastSystemError(utf8Path);
    std::vector<FolderEntry> entries;
    for (;;) {
        errno = 0;
        const dirent* found = ::readdir(folder);
        if (found == nullptr)
            break;
        if (isDotOrDotDot(found->d_name))
            continue;
        FolderEntry entry;
        entry.name = found->d_name;
        struct stat info {};
        if (::fstatat(::dirfd(folder), found->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0) {
            entry.kind = kindOf(info.st_mode);
            if (entry.kind == EntryKind::File) {
                entry.size = static_cast<std::uint64_t>(info.st_size);
                entry.identity = identityOf(info);
            }
            entry.mtime = static_cast<std::int64_t>(info.st_mtime);
            entry.unixMode = static_cast<std::uint16_t>(info.st_mode & 07777);
            entry.readOnly = (info.st_mode & S_IWUSR) == 0;
        } else if (errno == ENOENT) {
            continue;
        }
        entries.push_back(std::move(entry));
    }
    const int readError = errno;
    ::closedir(folder);
    if (readError != 0) {
        errno = readError;
        return lastSystemError(utf8Path);
    }
    return entries;
}

} // namespace platform
