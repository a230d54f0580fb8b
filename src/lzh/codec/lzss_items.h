#pragma once
// The loop both LArc methods (-lzs-, -lz5-) share once an item is read: a literal byte, or a match
// at an absolute ring position. Only the way items are coded differs between them.

#include "lzh/codec/decode_checks.h"
#include "lzh/codec/ring_output.h"

#include <cstddef>
#include <cstdint>

namespace lzh::codec {

struct LzssItem {
    bool literal = false;
    std::uint8_t byte = 0;
    std::size_t position = 0;
    std::size_t length = 0;
};

// readItem() returns the next item; the input's end is checked after it, so it may read freely.
template <typename ReadItem>
base::Status decodeLzssItems(BitReader& in, RingOutput& out, std::uint64_t originalSize, ReadItem readItem)
{
    std::uint64_t left = originalSize;
    while (left > 0) {
        const LzssItem item = readItem();
        LZH_CHECK(in, !in.overrun(), "compressed data cut short");
        if (item.literal) {
            if (!out.put(item.byte))
                return cancelled();
            --left;
            continue;
        }
        LZH_CHECK(in, item.length <= left, "match past the end of the data");
        if (!out.copy(item.position, item.length))
            return cancelled();
        left -= item.length;
    }
    return out.flush() ? base::Status::success() : cancelled();
}

} // namespace lzh::codec
