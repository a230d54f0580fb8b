#pragma once
// The restore side's archive commands, each run with AppState::archiveBusy raised so that a timer
// tick arriving meanwhile only sets the title.

#include "core/app_state.h"

#include <string>

namespace core::restore {

struct ArchiveCallResult {
    int code = 0;        // Unlha's result, archive::kUnlhaOk when all went well
    std::string message; // Unlha's own short text
};

// "x -d1 -y1 \"archive\" \"folder<sep>\"": unpack every member below folder.
std::string extractCommand(const std::string& archivePath, const std::string& folder);

// "t \"archive\"": decode every member and check its CRC, writing nothing.
std::string testCommand(const std::string& archivePath);

ArchiveCallResult runArchiveCommand(AppState& state, ArchiveRunner& archiver, const std::string& command);

} // namespace core::restore
