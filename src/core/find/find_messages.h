#pragma once
// Every text the search-and-restore window shows about the history. Line breaks are lone CRs.

#include "core/find/current_state.h"
#include "core/find/history_index.h"
#include "core/find/single_restore.h"

#include <string>
#include <vector>

namespace core::find {

inline constexpr const char* kWindowCaption = "ファイルを探して復元";

std::string findTitle(); // product name + "：　ファイルを探して復元"

// The slots left out of the history because their archives could not be read.
std::string damagedSlotsText(const std::vector<DamagedSlot>& damaged);

// A line for the file in the protected folder: the same as a version, changed, or gone.
std::string currentStateText(const CurrentState& state);

// The question before a version replaces a file that differs; empty for Nothing and Identical.
std::string overwriteQuestionText(const std::string& targetFile, Overwrite overwrite);

} // namespace core::find
