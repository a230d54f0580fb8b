// -lzs- (LArc): LZSS over a 2 KiB ring that starts as spaces. Each item is a flag bit, then an
// 8-bit literal (1) or an 11-bit ring position and a 4-bit length of 2..17 (0), all most
// significant bit first; positions are absolute in the ring (docs/lzh-format.md, "-lzs-").

#include "lzh/codec/classic_decoders.h"

#include "lzh/codec/decode_checks.h"
#include "lzh/codec/ring_output.h"

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
    std::uint64_t left = originalSize;
    while (left > 0) {
        if (in.bits(1) == 1) {
            const auto literal = static_cast<std::uint8_t>(in.bits(8));
            LZH_CHECK(in, !in.overrun(), "compressed data cut short");
            if (!out.put(literal))
                return cancelled();
            --left;
            continue;
        }
        const std::size_t position = in.bits(11);
        const std::size_t length = in.bits(4) + kMinMatch;
        LZH_CHECK(in, !in.overrun(), "compressed data cut short");
        LZH_CHECK(in, length <= left, "match past the end of the data");
        if (!out.copy(position, length))
            return cancelled();
        left -= length;
    }
    return out.flush() ? base::Status::success() : cancelled();
}

} // namespace lzh::codec
