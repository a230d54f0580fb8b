#pragma once
// What a caller learns while an archive is packed, tested or extracted, and what comes back.

#include "base/status.h"
#include "lzh/member.h"

#include <cstdint>
#include <functional>
#include <string>

namespace archiver {

struct RunHooks {
    // Bytes done of the total and the member at hand; returning false cancels the work.
    std::function<bool(std::uint64_t done, std::uint64_t total, const std::string& member)> progress;
    // One member (or one file of a packed folder) failed or was skipped; the work goes on.
    std::function<void(const base::Status&)> onMemberError;
    // Extraction: a member stored with a leading separator or a drive ("\sub\file", "C:\x")
    // went under the target without it.
    std::function<void(const std::string& storedPath)> onRootDropped;
    // Testing and extracting: every member's header, in archive order, from one thread, before
    // that member is handled; lets a caller judge the members in the same reading.
    std::function<void(const lzh::MemberInfo&)> onMemberHeader;
    // Testing: a member with a record for which this returns true is checked by the SHA-256 of its
    // packed bytes against the record instead of being decoded (bytes copied from an archive in
    // which they were decoded when first written). Called from the testing threads.
    std::function<bool(const lzh::MemberInfo&)> checkByDigest;
    // Packing: a file was written, its packed bytes carried from the earlier archive or not.
    std::function<void(bool carried)> onFilePacked;
};

struct RunSummary {
    int members = 0;          // members handled (packed, tested or extracted) without fault
    int failedMembers = 0;    // members reported through onMemberError
    int carriedMembers = 0;   // packing: of members, those whose packed bytes were copied
    bool writeFailed = false; // some output could not be written (disk full, access denied)
    bool cancelled = false;
    base::Status archiveStatus; // the archive as a whole: missing, damaged, or not written
};

} // namespace archiver
