#pragma once
// What both match finders share: word loads, the compare that measures a match, and the hashes
// of 4- and 3-byte prefixes with the sizes of their tables (docs/lzh-codec.md, "Finding matches").

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#if defined(_MSC_VER) && (defined(_M_X64) || defined(_M_IX86))
#include <xmmintrin.h>
#endif

namespace lzh::codec {

// Past this first position a new member clears the tables and starts over at the first one.
inline constexpr std::uint32_t kRestartAt = 0x8000'0000u;
// 2^16 heads for 4-byte prefixes, 256 KiB: few collisions within a 64 KiB window.
inline constexpr int kHashBits = 16;
// One newest position per 3-byte prefix (2^14 of them, 64 KiB), tried when nothing longer was
// found: 3-byte matches cut binaries by about 2 per cent. Farther than kNear3 bytes they cost
// more than three literals.
inline constexpr int kHash3Bits = 14;
inline constexpr std::uint32_t kNear3 = 4096;

inline std::uint32_t load32(const std::uint8_t* p)
{
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

inline std::uint64_t load64(const std::uint8_t* p)
{
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}

// Both hashes come from one little-endian load of the next four bytes. Fibonacci hashing: the
// golden-ratio multiplier spreads similar prefixes over the table.
inline constexpr std::uint32_t kHashMultiplier = 0x9E3779B1u;
inline std::uint32_t hash4(std::uint32_t head)
{
    return (head * kHashMultiplier) >> (32 - kHashBits);
}
inline std::uint32_t hash3(std::uint32_t head)
{
    return ((head & 0xFF'FFFFu) * kHashMultiplier) >> (32 - kHash3Bits);
}
// Of the first six bytes of a little-endian 8-byte load, into kHashBits bits.
inline std::uint32_t hash6(std::uint64_t head)
{
    return static_cast<std::uint32_t>(((head << 16) * 0x9E37'79B9'7F4A'7C15ull) >> (64 - kHashBits));
}

// Asks for the cache line at p ahead of its use; a hint only, so nothing where no intrinsic exists.
inline void prefetch(const void* p)
{
#if defined(_MSC_VER) && (defined(_M_X64) || defined(_M_IX86))
    _mm_prefetch(static_cast<const char*>(p), _MM_HINT_T0);
#elif defined(__GNUC__)
    __builtin_prefetch(p);
#else
    (void)p;
#endif
}

// The same, for a line about to be written.
inline void prefetchForWrite(const void* p)
{
#if defined(__GNUC__) && !defined(_MSC_VER)
    __builtin_prefetch(p, 1);
#else
    prefetch(p);
#endif
}

// Length of the common prefix of a and b, up to limit (reads up to 8 bytes past limit).
inline int commonLength(const std::uint8_t* a, const std::uint8_t* b, int limit)
{
    int len = 0;
    while (len < limit) {
        const std::uint64_t diff = load64(a + len) ^ load64(b + len);
        if (diff != 0) {
            len += std::countr_zero(diff) >> 3; // little-endian: first differing byte
            return std::min(len, limit);
        }
        len += 8;
    }
    return limit;
}

} // namespace lzh::codec
