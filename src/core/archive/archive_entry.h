#pragma once
// The typed entry into the archiver: a parsed command in, what came of it out. Unlha and the
// unlha tool are thin layers over it; the core reaches it through an ArchiveRunner.

#include "base/status.h"
#include "core/archive/command_line.h"
#include "lzh/archive_start.h"
#include "lzh/member.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace core::archive {

struct ArchiveOptions {
    // Called from the thread that runs the work (a test or an extraction runs on two threads and
    // calls from either, one call at a time): bytes done of the total and the member at hand.
    std::function<void(std::uint64_t bytesDone, std::uint64_t bytesTotal, const std::string& member)> onProgress;
    // 'a', from the working thread: a file was packed, its packed bytes carried forward from the
    // earlier archive (carried) or compressed.
    std::function<void(bool carried)> onFilePacked;
    // May be raised from any thread; the work stops as soon as the current piece is done.
    const std::atomic<bool>* cancel = nullptr;
    // 'a': absolute paths never packed, nor anything below them (the program's own tree when it
    // lies inside the packed folder).
    std::vector<std::string> excludedPaths;
    // 't': also judge every member's name as extraction would and add up the room its files take
    // on a volume of this block size, in the same reading of the archive.
    std::optional<std::uint64_t> vetForBlockSize;
    // 'x': which members to extract and where under the folder each goes (see
    // archiver::MemberPlacement); all, as stored, when empty.
    std::function<std::optional<std::string>(const std::string& storedPath)> placeMember;
    // 'l': each member's header, in archive order.
    std::function<void(const lzh::MemberInfo&)> onMember;
    // Where an archive to read begins: the tool looks past a self-extracting program, the
    // program's own calls never do.
    lzh::ArchiveStart start = lzh::ArchiveStart::AtFirstByte;
};

struct ArchiveResult {
    // The archive as a whole: missing, damaged, not written, or Cancelled.
    base::Status archiveStatus;
    int members = 0;        // members packed, tested or extracted without fault
    int carriedMembers = 0; // 'a': of members, the files whose packed bytes were copied unchanged
    // Every member (or file of a packed folder) that failed or was skipped, with its name and why.
    std::vector<base::Status> memberFailures;
    bool writeFailed = false; // some output could not be written (disk full, access denied)
    bool cancelled = false;
    // 'x': stored names put under the folder without their leading separator or drive.
    std::vector<std::string> rootsDropped;
    // With vetForBlockSize: the first member extraction would refuse, as stored; and what the
    // files will take, when the archive was read to its end.
    std::optional<std::string> refusedMember;
    std::optional<std::uint64_t> bytesNeeded;
};

// Runs the command to its end on the calling thread. 'l' reads the headers only and counts the
// members.
ArchiveResult runArchive(const UnlhaCommand& command, const ArchiveOptions& options);

} // namespace core::archive
