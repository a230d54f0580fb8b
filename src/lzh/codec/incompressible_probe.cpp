// A quick look at a sample of a member to skip compressing data that is already compressed
// (docs/lzh-codec.md, "Probe").

#include "lzh/codec.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace lzh {
namespace {

// Bytes looked at: enough for stable statistics, small enough to cost well under a millisecond.
constexpr std::size_t kSampleBytes = 64 * 1024;
// Samples smaller than this say too little; they are reported compressible.
constexpr std::size_t kMinSampleBytes = 512;
// Order-0 entropy above which the bytes look uniform, in bits per byte (text is about 4.5-5.5,
// machine code about 6, compressed or encrypted data above 7.95).
constexpr double kUniformBitsPerByte = 7.9;
// Share of positions that repeat the 4 bytes last seen under the same hash; compressed data has
// next to none.
constexpr double kMaxRepeatShare = 0.01;
// 2^16 one-entry hash slots (256 KiB, for the call only): as many as the sample has positions, so
// repeats across the whole sample, as far as -lh7-'s window reaches, are mostly seen.
constexpr int kRepeatHashBits = 16;

} // namespace

bool looksIncompressible(const std::uint8_t* data, std::size_t size)
{
    size = std::min(size, kSampleBytes);
    if (size < kMinSampleBytes)
        return false;
    std::uint32_t counts[256] = {};
    for (std::size_t i = 0; i < size; ++i)
        ++counts[data[i]];
    double bits = 0.0;
    for (std::uint32_t c : counts)
        if (c != 0) {
            const double p = static_cast<double>(c) / static_cast<double>(size);
            bits -= p * std::log2(p);
        }
    if (bits < kUniformBitsPerByte)
        return false;

    std::vector<std::uint32_t> lastSeen(std::size_t{1} << kRepeatHashBits, 0);
    std::size_t repeats = 0;
    for (std::size_t i = 0; i + 4 <= size; ++i) {
        std::uint32_t v;
        std::memcpy(&v, data + i, 4);
        const std::uint32_t h = (v * 0x9E3779B1u) >> (32 - kRepeatHashBits);
        const std::uint32_t seen = lastSeen[h];
        if (seen != 0 && std::memcmp(data + seen - 1, data + i, 4) == 0)
            ++repeats;
        lastSeen[h] = static_cast<std::uint32_t>(i + 1);
    }
    return static_cast<double>(repeats) < kMaxRepeatShare * static_cast<double>(size);
}

} // namespace lzh
