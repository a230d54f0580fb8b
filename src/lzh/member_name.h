#pragma once
// Member names between the program's UTF-8 paths and the header fields: CP932 bytes in 0x01/0x02
// (0xFF between directories, so a CP932 trail byte 0x5C is never taken for a separator), and
// UTF-16LE copies in 0x44/0x45 when CP932 cannot hold a name.

#include "base/status.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lzh {

// What the writer puts in the name headers for one logical path ('/' between components).
struct StoredName {
    std::string dirBytes;  // 0x02 payload: each directory in CP932 followed by 0xFF; empty = none
    std::string nameBytes; // 0x01 payload: the last component in CP932 (empty for a directory)
    // Set when CP932 could not hold every character (those became '_' above): the exact name in
    // UTF-16LE for 0x45 (components separated and ended by FF FF) and 0x44.
    bool needsUnicode = false;
    std::string utf16Dir;
    std::string utf16Name;
};

StoredName encodeStoredName(std::string_view logicalPath, bool isDirectory);

// Name fields as the reader found them.
struct RawName {
    bool levelZero = false;
    std::string level0Path;                // level 0: the whole path field
    std::string dirBytes;                  // 0x02
    std::string nameBytes;                 // level-1 base name or 0x01
    std::optional<std::string> utf16Dir;   // 0x45
    std::optional<std::string> utf16Name;  // 0x44
    std::optional<std::uint32_t> codePage; // 0x46
};

// Members of one folder follow each other and share its directory field: a reader keeps the last
// one's decoding here so a folder's path is converted once, not once a member. Owned by the reader
// rather than kept per thread, since a thread's own objects are torn down unsafely on Windows.
struct DirectoryNameCache {
    std::string bytes;
    std::optional<std::uint32_t> codePage;
    std::vector<std::string> components;
    bool absolute = false;
    bool decoded = false;
    bool filled = false;
};

// The member's path in UTF-8 with '/' between components; a leading '/' marks a name that was
// stored as absolute. Components are not judged here (".." and drive letters pass through) so a
// listing shows them; extraction refuses them. Corrupt when the bytes are no known encoding.
base::Result<std::string> decodeStoredName(const RawName& raw, DirectoryNameCache* cache = nullptr);

} // namespace lzh
