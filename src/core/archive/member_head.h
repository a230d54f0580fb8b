#pragma once
// The first bytes of one member, decoded without touching the others' data: what a preview needs.

#include "base/status.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace core::archive {

struct MemberHead {
    std::string bytes;      // at most the limit asked for
    std::uint64_t size = 0; // the member's whole size
    bool whole = false;     // the member was decoded to its end and its CRC-16 held
};

// The file member stored as path (the first one, should there be several). NotFound when the
// archive has none; Corrupt or Unsupported when its data cannot be decoded.
base::Result<MemberHead> readMemberHead(const std::string& archive, const std::string& path, std::size_t limit);

} // namespace core::archive
