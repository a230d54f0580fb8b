#pragma once
// How every decoder ends a member on untrusted input: one check per field read from the stream.

#include "base/status.h"
#include "lzh/codec/bit_reader.h"

namespace lzh::codec {

// Corrupt, or IoError when the bits ran out because the source failed.
inline base::Status corrupt(const BitReader& in, const char* detail)
{
    if (in.readFailed())
        return base::Status::error(base::ErrorCode::IoError, "read error in compressed data");
    return base::Status::error(base::ErrorCode::Corrupt, detail);
}

inline base::Status cancelled()
{
    return base::Status::error(base::ErrorCode::Cancelled, "output stopped");
}

} // namespace lzh::codec

// The one check every untrusted field passes: a false condition ends the member.
#define LZH_CHECK(in, condition, detail)                                                                               \
    do {                                                                                                               \
        if (!(condition)) [[unlikely]]                                                                                 \
            return ::lzh::codec::corrupt((in), (detail));                                                              \
    } while (false)
