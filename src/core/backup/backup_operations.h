#pragma once
// compress and the two menu backups, as operations the main window calls.

#include "core/app_state.h"

#include <string>

namespace core {

struct CompressOutcome {
    int code = 0;         // Unlha's result
    int skippedFiles = 0; // files that could not be read (partial result)
    std::string message;  // Unlha's own short text
};

// Packs source (no trailing separator) into slot + sep + "BackUp.lzh" with the add command,
// leaving the program's own tree out when source contains it.
CompressOutcome compress(AppState& state, Services& services, const std::string& source, const std::string& slot);

void submenu_Nowback_Click(AppState& state, Services& services); // "現状をバック"
void submenu_Dayback_Click(AppState& state, Services& services); // "本日のバック"

} // namespace core
