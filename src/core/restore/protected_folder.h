#pragma once
// The folder to protect must be one a restore may clear, or every backup of it is useless: Setup,
// start-up and every backup ask here, and the restore's own rule answers.

#include <optional>
#include <string>

namespace core::restore {

// The folder BackupFolder names: less one trailing separator, except that a root keeps its own
// (without it "/" reads as no folder and "C:\" as a drive's current folder).
std::string protectedFolderPath(const std::string& backupFolder);

// The message that says why backupFolder can never be restored into, or nullopt when it can.
// An empty setting and a plain file pass: the backups report those themselves.
std::optional<std::string> unrestorableFolderText(const std::string& backupFolder, const std::string& programFolder);

} // namespace core::restore
