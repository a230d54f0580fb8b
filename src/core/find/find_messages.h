#pragma once
// Every text the search-and-restore window shows about the history. Line breaks are lone CRs.

#include "base/status.h"
#include "core/find/current_state.h"
#include "core/find/history_index.h"
#include "core/find/single_restore.h"

#include <cstdint>
#include <string>
#include <vector>

namespace core::find {

inline constexpr const char* kWindowCaption = "ファイルを探して復元";

std::string findTitle(); // product name + "：　ファイルを探して復元"

// The slots left out of the history because their archives could not be read; empty when none.
std::string damagedSlotsText(const std::vector<DamagedSlot>& damaged);

// A line for the file in the protected folder: the same as a version (counted from 1, newest
// first), changed, or gone.
std::string currentStateText(const CurrentState& state);

// The question before a version replaces a file that differs; empty for Nothing and Identical.
std::string overwriteQuestionText(const std::string& targetFile, Overwrite overwrite);

// The question before a folder is restored over files that differ; empty when none would be
// overwritten.
std::string folderOverwriteQuestionText(const std::string& folder, const std::string& slotName,
                                        const Overwrites& overwrites);

// The results of a restore from the history; path is the member path chosen ("" for a whole
// generation), target the folder written to.
std::string restoredFromHistoryText(const std::string& path, const std::string& slotName, const std::string& target);
std::string nothingToRestoreText(const std::string& path);
std::string targetRefusedText(const std::string& target, const std::string& reason);
std::string notEnoughRoomText(const std::string& path, const std::string& target, std::uint64_t needed,
                              std::uint64_t room);
// partly: some members were written before the archive failed.
std::string unreadableArchiveText(const std::string& archivePath, const std::string& detail, const std::string& target,
                                  bool partly);
std::string someFailedText(const std::string& path, const std::string& target,
                           const std::vector<base::Status>& failures);
std::string restoreCancelledText(const std::string& path, const std::string& target);

} // namespace core::find
