#pragma once
// How the file in the protected folder now stands against the versions a history holds.

#include "core/find/history_index.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace core::find {

enum class FileState { Same, Changed, Gone };

struct CurrentState {
    FileState state = FileState::Gone;
    int version = -1;       // Same: the index into the versions given
    std::int64_t mtime = 0; // Same, Changed: the file's, Unix seconds
    std::uint64_t size = 0; // Same, Changed
};

// Same when some version has the file's size and modification time and its content's CRC-16
// agrees; Changed when a file (or anything else) is there otherwise; Gone when nothing is (or no
// protected folder is set).
CurrentState currentState(const std::string& protectedFolder, const std::string& path,
                          const std::vector<Version>& versions);

// Before a version is put where a file already is: whether the two differ and which is newer.
enum class Overwrite { Nothing, Identical, BackupNewer, CurrentNewer, SameTime };
Overwrite overwriteQuestion(const std::string& targetFile, const Version& version);

} // namespace core::find
