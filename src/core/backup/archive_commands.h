#pragma once
// The command lines the backups hand to the archiver, and the one place that runs them.

#include "core/backup/backup_operations.h"

#include <string>
#include <vector>

namespace core {

// "a -d1 -y1 -h2 -jm2 \"archive\" \"source<sep>\"": packs source's contents into archive, adding to
// it when it exists. With carryFrom, "-jc \"carryFrom\"" goes before the paths: unchanged files'
// packed bytes are copied from that archive.
std::string addCommand(const std::string& archivePath, const std::string& source, const std::string& carryFrom = "");

// The parts of the program's own tree (and the archive being written) that lie inside source:
// packing them would put backups inside backups.
std::vector<std::string> ownTreeInside(const std::string& programFolder, const std::string& source,
                                       const std::string& slot, const std::string& archivePath);

// compress into any archive path of the slot (the menu backups pack into a temporary name first).
CompressOutcome packInto(AppState& state, Services& services, const std::string& source, const std::string& slot,
                         const std::string& archivePath);

} // namespace core
