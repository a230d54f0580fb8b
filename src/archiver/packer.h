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
    // The archive whose packed bytes are copied for files unchanged since they were packed into
    // it; empty: the archive added onto, when there is one.
    std::string carryFrom;
    // A file whose change time lies this close before the pack's start could change again
    // within the same tick of a coarse clock unseen: it is compared by content the next time.
    int settleSeconds = 3;
};

// archiveStatus: NotFound/InvalidArgument for a missing source folder, Corrupt when the existing
// archive cannot be read whole (it is left untouched), IoError/DiskFull when writing failed or
// the new archive did not read back correctly, Cancelled. Files that could not be read are reported through
// onMemberError and counted in failedMembers; the rest is packed. A file is compressed only when
// it is not shown unchanged since it was packed into the carry archive; the others' packed bytes
// are copied (counted in carriedMembers), and the archive comes out the same either way.
RunSummary packFolder(const std::string& archive, const std::string& folder, const PackSettings& settings,
                      const RunHooks& hooks);

} // namespace archiver
