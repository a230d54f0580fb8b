#pragma once
// Runs a parsed command over the LZH library and turns its outcome into Unlha's return code;
// shared by Unlha and the unlha tool so both answer alike.

#include "core/archive/command_line.h"
#include "lzh/archive_start.h"
#include "lzh/run_hooks.h"

#include <string>
#include <vector>

namespace core::archive {

// 'l' reads headers only here; the tool lists members itself. start is where archives to read
// begin: the tool looks past a self-extracting program, the program's own calls never do.
lzh::RunSummary runUnlhaCommand(const UnlhaCommand& command, const lzh::RunHooks& hooks,
                                const std::vector<std::string>& excludedPaths,
                                lzh::ArchiveStart start = lzh::ArchiveStart::AtFirstByte);

// One of the UnlhaResult codes of unlha.h.
int unlhaResultCode(char command, const lzh::RunSummary& summary);

} // namespace core::archive
