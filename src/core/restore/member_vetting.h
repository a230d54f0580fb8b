#pragma once
// The archiver's test judges the data only. A member that extraction would refuse (a path that
// leaves the folder, a link pointing out of it, a name that cannot be used) would come to light
// only after the folder had been cleared, so the names are judged before that as well.

#include <optional>
#include <string>

namespace core::restore {

// The first member that extraction would refuse, as stored; nullopt when every member may come
// out (or the archive cannot be read, which the archiver's test reports).
std::optional<std::string> firstRefusedMember(const std::string& archivePath);

} // namespace core::restore
