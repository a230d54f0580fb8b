#pragma once
// Eight bytes as one big-endian word: the bit streams are MSB first.

#include <bit>
#include <cstdint>
#include <cstring>
#if defined(_MSC_VER)
#include <stdlib.h>
#endif

namespace lzh::codec {

// std::byteswap arrives with C++23.
inline std::uint64_t byteSwap64(std::uint64_t v)
{
#if defined(_MSC_VER)
    return _byteswap_uint64(v);
#else
    // GCC and Clang compile this to one bswap.
    v = ((v & 0x00FF'00FF'00FF'00FFull) << 8) | ((v >> 8) & 0x00FF'00FF'00FF'00FFull);
    v = ((v & 0x0000'FFFF'0000'FFFFull) << 16) | ((v >> 16) & 0x0000'FFFF'0000'FFFFull);
    return (v << 32) | (v >> 32);
#endif
}

inline std::uint64_t loadBigEndian64(const std::uint8_t* p)
{
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    if constexpr (std::endian::native == std::endian::little)
        v = byteSwap64(v);
    return v;
}

inline void storeBigEndian64(std::uint8_t* p, std::uint64_t v)
{
    if constexpr (std::endian::native == std::endian::little)
        v = byteSwap64(v);
    std::memcpy(p, &v, sizeof v);
}

} // namespace lzh::codec
