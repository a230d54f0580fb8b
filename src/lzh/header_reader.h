#pragma once
// Parses one member header of level 0, 1, 2 or 3 from an archive read front to back. Every field
// is checked against the bytes really there before it is used; each failure is Corrupt.

#include "base/status.h"
#include "lzh/input_stream.h"
#include "lzh/member.h"
#include "lzh/member_name.h"

#include <optional>
#include <string>

namespace lzh {

struct ParsedHeader {
    MemberInfo info;
    std::string raw; // the header's bytes as stored, ext headers included
    // A checksum (level 0/1) or header CRC (level 2/3) covered the header and held; a level-2/3
    // header without the CRC ext header has nothing to vouch for it.
    bool checked = false;
};

// Reads the header at the stream's offset. nullopt at the end of the archive: the 0x00 end mark
// (then read, one byte on) or the end of the stream (nothing read). On success the stream stands at
// the member's first data byte. A reader going through many headers passes its name cache.
base::Result<std::optional<ParsedHeader>> readHeader(InputStream& file, DirectoryNameCache* names = nullptr);

} // namespace lzh
