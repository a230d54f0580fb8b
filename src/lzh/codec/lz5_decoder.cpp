// -lz5- (LArc): LZSS over a 4 KiB ring with fixed starting contents. A flag byte governs the next
// eight items, least significant bit first: 1 is a literal byte, 0 two bytes holding a 12-bit
// absolute ring position and a length of 3..18 (docs/lzh-format.md, "-lz5-").

#include "lzh/codec/classic_decoders.h"

#include "lzh/codec/lzss_items.h"

#include <cstring>

namespace lzh::codec {
namespace {

constexpr std::size_t kRing = 4096;
constexpr std::size_t kMinMatch = 3;
constexpr std::size_t kMaxMatch = 18;

// The ring's contents before the first byte, so that early runs can be coded as matches: each
// byte value 13 times, the values rising, the values falling, 128 zeros, 110 spaces, 18 zeros.
void fillStartingRing(std::uint8_t* ring)
{
    std::size_t at = 0;
    for (int value = 0; value < 256; ++value, at += 13)
        std::memset(ring + at, value, 13);
    for (int value = 0; value < 256; ++value)
        ring[at++] = static_cast<std::uint8_t>(value);
    for (int value = 255; value >= 0; --value)
        ring[at++] = static_cast<std::uint8_t>(value);
    std::memset(ring + at, 0, 128);
    std::memset(ring + at + 128, ' ', 110);
    std::memset(ring + at + 238, 0, kMaxMatch);
}

} // namespace

base::Status decodeLz5(BitReader& in, std::uint64_t originalSize, const ByteSink& sink)
{
    RingOutput out(kRing, sink);
    fillStartingRing(out.ring());
    out.startAt(kRing - kMaxMatch);
    unsigned flags = 0; // the flag byte, shifted down; bit 8 marks when it is used up
    return decodeLzssItems(in, out, originalSize, [&in, &flags] {
        if ((flags & 0x100) == 0)
            flags = in.bits(8) | 0xFF00;
        LzssItem item;
        item.literal = (flags & 1) != 0;
        flags >>= 1;
        if (item.literal) {
            item.byte = static_cast<std::uint8_t>(in.bits(8));
            return item;
        }
        const std::size_t low = in.bits(8);
        const std::size_t high = in.bits(8);
        item.position = low | ((high & 0xF0) << 4);
        item.length = (high & 0x0F) + kMinMatch;
        return item;
    });
}

} // namespace lzh::codec
