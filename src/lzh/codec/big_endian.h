#pragma once
// Eight bytes as one big-endian word: the bit streams are MSB first.

#include <bit>
#include <cstdint>
#include <cstring>

namespace lzh::codec {

inline std::uint64_t loadBigEndian64(const std::uint8_t* p)
{
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    if constexpr (std::endian::native == std::endian::little)
        v = __builtin_bswap64(v);
    return v;
}

inline void storeBigEndian64(std::uint8_t* p, std::uint64_t v)
{
    if constexpr (std::endian::native == std::endian::little)
        v = __builtin_bswap64(v);
    std::memcpy(p, &v, sizeof v);
}

} // namespace lzh::codec
