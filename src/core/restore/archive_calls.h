#pragma once
// The command lines the restore side hands to the archiver.

#include <string>

namespace core::restore {

// "x -d1 -y1 \"archive\" \"folder<sep>\"": unpack every member below folder.
std::string extractCommand(const std::string& archivePath, const std::string& folder);

// "t \"archive\"": decode every member and check its CRC, writing nothing.
std::string testCommand(const std::string& archivePath);

} // namespace core::restore
