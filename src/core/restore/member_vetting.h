#pragma once
// The archiver's test judges the data only. A member that extraction would refuse (a path that
// leaves the folder, one below a link of the archive, a name that cannot be used) would come to light
// only after the folder had been cleared, so the names are judged before that as well, and the
// room the members will take is added up for the same reason.

#include <cstdint>
#include <optional>
#include <string>

namespace core::restore {

struct MemberVetting {
    // The first member that extraction would refuse, as stored; nullopt when every member may
    // come out (or the archive cannot be read, which the archiver's test reports).
    std::optional<std::string> refused;
    // What the files will take on a volume of the given block size; nullopt when the archive
    // could not be listed to its end.
    std::optional<std::uint64_t> bytesNeeded;
};

MemberVetting vetMembers(const std::string& archivePath, std::uint64_t blockSize);

} // namespace core::restore
