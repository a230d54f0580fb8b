#pragma once
// The entries of one folder, read by the system's own calls. MinGW's std::filesystem cannot list
// a folder past 260 characters (it lists the working folder instead), so everything that lists
// or empties folders goes through here.

#include "base/status.h"
#include "platform/file_io.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// A link is never followed: symbolic links, and on Windows junctions and other name-surrogate
// reparse points.
enum class EntryKind { File, Folder, Link, Other };

struct FolderEntry {
    std::string name; // UTF-8, without the folder
    EntryKind kind = EntryKind::Other;
    std::uint64_t size = 0;     // files only
    std::int64_t mtime = 0;     // of the entry itself, in seconds since 1970 (UTC)
    std::uint16_t unixMode = 0; // permission bits; on Windows made from the read-only attribute
    bool readOnly = false;      // the owner may not write
    // Files only, where the listing learns it with the rest (POSIX); elsewhere fileIdentity asks.
    std::optional<FileIdentity> identity;
};

// Every entry of `utf8Path` except "." and "..", in the system's order. NotFound when the folder
// does not exist; an entry that vanishes while the folder is read is left out. On Windows the
// links with both the hidden and the system attribute (the profile's compatibility junctions)
// are left out too: they are Windows' own, so they are neither backed up nor cleared away.
base::Result<std::vector<FolderEntry>> listFolder(const std::string& utf8Path);

} // namespace platform
