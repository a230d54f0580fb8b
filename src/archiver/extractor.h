#pragma once
// Extracting and testing whole archives. A member that fails is reported and the others still
// come out; nothing is ever written outside the target folder.

#include "archiver/run_hooks.h"
#include "lzh/archive_start.h"
#include "lzh/member.h"

#include <functional>
#include <optional>
#include <string>

namespace archiver {

// Where the archive begins is the format's matter; callers name it with the archiver's calls.
using ArchiveStart = lzh::ArchiveStart;

// Which members an extraction takes, and where under the target each goes: its stored path, a
// shorter one (a member restored into another folder), or nullopt to leave it in the archive. The
// stored name is vetted first, and the place given is vetted again. Called from both walks' threads
// at once, so it must only read.
using MemberPlacement = std::function<std::optional<std::string>(const std::string& storedPath)>;

// Recreates the archive's folders, files and links under target (created if missing) and
// restores modification times. Each file is written under a temporary name and renamed, so a
// failed member never leaves a partial file under its real name. Nothing is written through a
// link: a link member is made as a link whatever it points to, after all files; a member whose
// path passes through a link (one in the target, or a link member of the archive) is refused.
// A leading separator or drive of a stored name is dropped (hooks.onRootDropped hears of it).
// start: AfterProgram only for an archive a person names (a self-extracting one), never for the
// program's own backups. place, when given, picks the members (see MemberPlacement).
RunSummary extractArchive(const std::string& archive, const std::string& target, const RunHooks& hooks,
                          ArchiveStart start = ArchiveStart::AtFirstByte, const MemberPlacement& place = {});

// Decodes every member and checks its CRC without writing anything. An archive that ends
// without its 0x00 end mark is Corrupt here: cut off after a member, it would otherwise test as
// whole. (Extraction and listing still take such an archive, as other readers do.)
RunSummary testArchive(const std::string& archive, const RunHooks& hooks,
                       ArchiveStart start = ArchiveStart::AtFirstByte);

// Reads the headers only, handing each member to onMember.
RunSummary listArchive(const std::string& archive, const std::function<void(const lzh::MemberInfo&)>& onMember,
                       ArchiveStart start = ArchiveStart::AtFirstByte);

} // namespace archiver
