#pragma once
// What the restore and the copy share: test the archive, empty the folder, unpack into it. The
// folder is touched only after the whole archive has passed its test.

#include "core/app_state.h"
#include "core/restore/restore_messages.h"

#include <string>

namespace core::restore {

enum class UnpackOutcome {
    Unpacked,
    ArchiveRejected,  // missing, unreadable or corrupt archive; the folder is as it was
    FolderUnusable,   // the folder could not be listed or created; nothing was deleted
    NotEnoughSpace,   // the members would not fit even after clearing; nothing was deleted
    ExtractionFailed, // the folder was cleared but the archive did not come out whole
};

struct UnpackResult {
    UnpackOutcome outcome = UnpackOutcome::Unpacked;
    std::string failureText; // the message for the person; empty when unpacked
};

// folder has no trailing separator and has passed checkTarget. source is what a failure message
// names as the thing that did not come back (the archive for the restore, the slot for the copy).
UnpackResult unpackOver(AppState& state, ArchiveRunner& archiver, const std::string& archivePath,
                        const std::string& folder, const std::string& source, Purpose purpose);

// The restore's and the copy's outcomes name the unpack's failures alike; only success differs.
template <typename Outcome> Outcome outcomeOf(UnpackOutcome outcome, Outcome success)
{
    switch (outcome) {
    case UnpackOutcome::Unpacked:
        return success;
    case UnpackOutcome::ArchiveRejected:
        return Outcome::ArchiveRejected;
    case UnpackOutcome::FolderUnusable:
        return Outcome::FolderUnusable;
    case UnpackOutcome::NotEnoughSpace:
        return Outcome::NotEnoughSpace;
    case UnpackOutcome::ExtractionFailed:
        break;
    }
    return Outcome::ExtractionFailed;
}

} // namespace core::restore
