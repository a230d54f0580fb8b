// -lzs- (LArc): LZSS over a 2 KiB ring that starts as spaces. Each item is a flag bit, then an
// 8-bit literal (1) or an 11-bit ring position and a 4-bit length of 2..17 (0), all most
// significant bit first; positions are absolute in the ring (docs/lzh-format.md, "-lzs-").

#include "lzh/codec/classic_decoders.h"

#include "lzh/codec/lzss_items.h"

#include <cstring>

namespace lzh::codec {
namespace {

constexpr std::size_t kRing = 2048;
constexpr std::size_t kMinMatch = 2;
constexpr std::size_t kMaxMatch = 17;

} // namespace

base::Status decodeLzs(BitReader& in, std::uint64_t originalSize, const ByteSink& sink)
{
    RingOutput out(kRing, sink);
    std::memset(out.ring(), ' ', kRing);
    out.startAt(kRing - kMaxMatch);
    return decodeLzssItems(in, out, originalSize, [&in] {
        LzssItem item;
        item.literal = in.bits(1) == 1;
        if (item.literal) {
            item.byte = static_cast<std::uint8_t>(in.bits(8));
            return item;
        }
        item.position = in.bits(11);
        item.length = in.bits(4) + kMinMatch;
        return item;
    });
}

} // namespace lzh::codec
