#pragma once
// compress and the two menu backups, as operations the main window calls.

#include "core/app_state.h"

#include <string>

namespace core {

enum class BackupResult {
    Written,
    WrittenWithoutSome, // written, but files that could not be read were left out
    SourceMissing,      // the folder to back up is missing, not a folder, or cannot be read
    Cancelled,
    NotWritten, // the archive or the slot could not be written; the slot keeps what it held
};

struct CompressOutcome {
    BackupResult result = BackupResult::Written;
    // What the archiver reported, when it ran; its member failures are the files left out.
    archive::ArchiveResult archive;
};

// Packs source (no trailing separator) into slot + sep + "BackUp.lzh" with the add command,
// leaving the program's own tree out when source contains it.
CompressOutcome compress(AppState& state, Services& services, const std::string& source, const std::string& slot);

void backUpCurrentState(AppState& state, Services& services); // "現状をバック"
void backUpToday(AppState& state, Services& services);        // "本日のバック"

} // namespace core
