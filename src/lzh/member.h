#pragma once
// One member of an LZH archive as the reader sees it and the writer describes it. Paths are
// UTF-8, relative, with '/' between components, whatever the archive stored; docs/lzh-format.md
// tells how they are kept in the headers.

#include "lzh/codec.h"
#include "lzh/member_record.h"

#include <cstdint>
#include <optional>
#include <string>

namespace lzh {

enum class MemberKind { File, Directory, Symlink };

struct MemberInfo {
    MemberKind kind = MemberKind::File;
    std::string path;             // for a directory, without a trailing '/'
    std::string linkTarget;       // Symlink only, as stored (may be refused on extraction)
    std::string methodId;         // the five bytes of the header, e.g. "-lh5-"
    std::optional<Method> method; // empty when the method is one we cannot decode
    std::uint64_t packedSize = 0;
    std::uint64_t originalSize = 0;
    std::int64_t mtime = 0;                // Unix seconds, UTC
    std::uint16_t crc = 0;                 // CRC-16 of the original data
    std::optional<std::uint16_t> unixMode; // from ext header 0x50 or the level-0 'U' area
    std::uint8_t dosAttributes = 0;        // 0x01 = read-only
    int level = 0;
    // Level 0/1: what followed a NUL in the name field (Amiga archivers put a file comment
    // there), as stored; shown by a listing, never used as a name.
    std::string comment;
    // Where the member lies in the archive: its header starts at headerOffset and its packed data
    // at dataOffset.
    std::uint64_t headerOffset = 0;
    std::uint64_t dataOffset = 0;
    // Why the member cannot be extracted (an undecodable name, sizes that contradict the method),
    // empty when nothing is known against it; its data is still skipped correctly.
    std::string defect;
    // What our packer noted about the member's source (level 2 with a header CRC only).
    std::optional<MemberRecord> record;
};

// Maps "-lh5-" and its kin; nullopt for methods this reader cannot decode.
std::optional<Method> methodFromId(const std::string& id);
const char* methodId(Method method);
// -lh0- and LArc's -lz4-: the data as it is.
bool isStored(Method method);

} // namespace lzh
