#pragma once
// The copy to a folder: unpacks the selected slot into a folder the person chooses, starting in TmpRead.

#include "core/app_state.h"

#include <string>

namespace core::restore {

enum class CopyOutcome {
    NoBackupInSlot,   // the slot holds no file; message shown
    Cancelled,        // the chooser was cancelled, or the clearing question answered No
    FolderNotFound,   // message shown
    Refused,          // a folder that must not be cleared; message shown
    ArchiveRejected,  // the archive failed its test; the folder is as it was
    FolderUnusable,   // the folder could not be listed; nothing deleted
    NotEnoughSpace,   // the archive would not fit on the folder's volume; nothing deleted
    ExtractionFailed, // cleared, but the archive did not come out whole; message shown
    Copied,
};

// Only Copied and ExtractionFailed close the window: every other outcome has changed nothing,
// so the person may choose again.
bool closesWindow(CopyOutcome outcome);

CopyOutcome copySlotToFolder(AppState& state, Services& services, const std::string& slotPath);

} // namespace core::restore
