#pragma once
// Emptying a folder before an archive is unpacked into it: every subfolder goes whole, read-only
// ones included; files directly inside go unless they are read-only. Links are removed as links,
// never followed, so nothing outside the folder is touched.

#include "base/status.h"

#include <cstdint>
#include <string>

namespace core::restore {

// A folder that does not exist is already clear. Fails, having deleted nothing, only when the
// folder's list of entries cannot be read; a single entry that cannot be deleted stays and the
// rest still go.
base::Status clearFolder(const std::string& folder);

// The room clearFolder would give back on a volume of the given block size: the files it would
// delete, each in whole blocks. Links count nothing; a file with other hard links, or one in use
// that will not go, is counted all the same, so this may promise a little more than clearing frees.
std::uint64_t spaceClearingFrees(const std::string& folder, std::uint64_t blockSize);

// True when the folder holds no entry at all (or does not exist).
bool folderIsEmpty(const std::string& folder);

// True when the folder directly holds a file (not a folder); the slot check of the copy.
bool holdsAnyFile(const std::string& folder);

bool isRegularFile(const std::string& path);
bool isFolder(const std::string& path);

} // namespace core::restore
