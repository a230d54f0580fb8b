#pragma once
// Bringing back one file, or one folder of a generation, without touching anything else: only
// the chosen members are read and written, through the archiver's extraction with its safety
// rules (names vetted, nothing written outside the target or through a link, each file written
// under a temporary name and renamed). Disk space is checked before anything is written.

#include "base/status.h"
#include "core/find/history_index.h"

#include <atomic>
#include <string>
#include <vector>

namespace core::find {

enum class RestorePlace {
    Original,  // to its own place under the protected folder
    IntoFolder // into a folder chosen by the person: a file by its name, a folder with its name
};

struct RestoreRequest {
    std::string path; // a file, or a folder ("" for the whole generation)
    bool isFolder = false;
    int slot = 0; // which generation to take it from (see Version::slots)
    RestorePlace place = RestorePlace::Original;
    std::string protectedFolder; // Original: where the path belongs
    std::string folder;          // IntoFolder: where it goes
    std::string programFolder;   // for the target rules: never into the program's own tree
};

enum class RestoreProblem { None, NothingToRestore, TargetRefused, NotEnoughSpace, Unreadable, SomeFailed, Cancelled };

struct RestoreResult {
    RestoreProblem problem = RestoreProblem::None;
    int restored = 0;                   // members written
    std::vector<base::Status> failures; // members refused or not written, with why
    std::string message;                // Japanese, for the message box
};

// Where the request puts path: the file or folder it writes (for the overwrite question); empty
// when no folder is named.
std::string restoredPath(const RestoreRequest& request);

// What a restore would write over: files there now that differ from the slot's by size or time
// (their content is not read), and how many of those are newer than the slot's.
struct Overwrites {
    int differing = 0;
    int currentNewer = 0;
};
Overwrites overwritesOf(const HistoryIndex& index, const RestoreRequest& request);

// Checks the target and the room first, then extracts only the chosen members of the slot's
// archive; blocks until done (run it off the window's thread). cancel may be raised from any thread.
RestoreResult restoreFromHistory(const HistoryIndex& index, const RestoreRequest& request,
                                 const std::atomic<bool>* cancel = nullptr);

} // namespace core::find
