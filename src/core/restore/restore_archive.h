#pragma once
// RestoreArchive: puts a folder back into the state one slot archive recorded.

#include "core/app_state.h"
#include "core/restore/unpack_over.h"

#include <string>

namespace core::restore {

enum class RestoreOutcome {
    Restored,
    Refused,          // the target is one that must not be cleared; nothing touched
    ArchiveRejected,  // the archive failed its test; nothing touched
    FolderUnusable,   // the target could not be listed or created; nothing deleted
    NotEnoughSpace,   // the archive would not fit on the target's volume; nothing deleted
    ExtractionFailed, // the target was cleared but the archive did not come out whole
};

// Sets the main window's title to "復元中" and lets it paint, then tests the archive, clears
// targetFolder (no trailing separator) and unpacks archivePath into it. With report = 1 the
// outcome is shown in a message box (success or failure) and setup.def is written afterwards;
// any other value shows nothing and writes nothing. Blocks until the archiver has finished.
RestoreOutcome RestoreArchive(AppState& state, Services& services, const std::string& archivePath,
                              const std::string& targetFolder, int report);

} // namespace core::restore
