#pragma once
// Packing a folder into an archive, adding onto the archive already there: its members of other
// names are kept, those of the same name replaced. The result is written beside the target under
// a temporary name, tested member by member, flushed to the disk and only then renamed over the
// target, so the old archive survives any failure.

#include "archiver/run_hooks.h"
#include "lzh/archive_writer.h"

#include <string>
#include <vector>

namespace archiver {

struct PackSettings {
    lzh::WriterSettings writer;
    std::vector<std::string> excludedPaths; // never packed, nor anything below them
};

// archiveStatus: NotFound/InvalidArgument for a missing source folder, Corrupt when the existing
// archive cannot be read whole (it is left untouched), IoError/DiskFull when writing failed or
// the new archive did not read back correctly, Cancelled. Files that could not be read are reported through
// onMemberError and counted in failedMembers; the rest is packed.
RunSummary packFolder(const std::string& archive, const std::string& folder, const PackSettings& settings,
                      const RunHooks& hooks);

} // namespace archiver
