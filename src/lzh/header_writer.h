#pragma once
// Builds the level-2 header this program writes (docs/lzh-format.md, "The member header we
// write"). Its length depends only on the name and on whether 64-bit sizes and a record are
// present, so a header written before the data can be rewritten in place once sizes, CRC and
// record are known.

#include "base/status.h"
#include "lzh/member.h"
#include "lzh/member_record.h"

#include <cstdint>
#include <string>

namespace lzh {

struct HeaderFields {
    MemberKind kind = MemberKind::File;
    std::string path;       // UTF-8, '/' between components
    std::string linkTarget; // Symlink only
    Method method = Method::Lh0;
    std::uint64_t packedSize = 0;
    std::uint64_t originalSize = 0;
    std::int64_t mtime = 0;
    std::uint16_t crc = 0;
    std::uint16_t unixMode = 0; // permission bits; the type bits are added from kind
    bool readOnly = false;
    bool wideSizes = false;             // add the 0x42 ext header (members of 4 GiB and more)
    std::optional<MemberRecord> record; // files only; its length does not depend on its digests
};

// InvalidArgument when the name does not fit a header.
base::Result<std::string> buildLevel2Header(const HeaderFields& fields);

} // namespace lzh
