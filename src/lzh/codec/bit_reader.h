#pragma once
// MSB-first bit reader over an untrusted member: it pulls at most packedSize bytes from the
// source and, past them, feeds zero bits while counting them, so the decoder's hot loop needs no
// end-of-input branch and still finds out (overrun()) that it read bits that were never there.

#include "lzh/codec.h"
#include "lzh/codec/big_endian.h"

#include <cstdint>
#include <vector>

namespace lzh::codec {

class BitReader {
public:
    BitReader(const ByteSource& source, std::uint64_t packedSize);

    // Tops the buffer up to at least kMinBits; cheap when the buffer is already full enough.
    void refill()
    {
        if (m_bitCount > kMinBits)
            return;
        if (m_end - m_pos >= 8) {
            // Eight bytes at once; the bytes not counted are the stream's own next bytes, so a
            // later load ORs the same bits onto them (docs/lzh-codec.md, "Reading").
            m_bits |= loadBigEndian64(m_pos) >> m_bitCount;
            m_pos += (63 - m_bitCount) >> 3;
            m_bitCount |= 56;
            return;
        }
        refillSlow();
    }

    // The next n (1..32) bits without consuming them; needs refill() first.
    std::uint32_t peek(int n) const { return static_cast<std::uint32_t>(m_bits >> (64 - n)); }
    // The whole buffer, left-aligned: for table lookups that index past a first peek.
    std::uint64_t window() const { return m_bits; }
    void consume(int n)
    {
        m_bits <<= n;
        m_bitCount -= n;
    }
    // Reads an n-bit (0..32) field, refilling first.
    std::uint32_t bits(int n)
    {
        refill();
        if (n == 0)
            return 0;
        const std::uint32_t v = peek(n);
        consume(n);
        return v;
    }

    // True once a consumed bit lay past the end of the member (or past a short source).
    bool overrun() const { return m_padBits > static_cast<std::uint64_t>(m_bitCount); }
    // True if the source reported a read error; overrun() is then also set once bits are missing.
    bool readFailed() const { return m_readFailed; }

private:
    // Bits kept available after refill(): a literal/length code (16), a position code (16) and its
    // extra bits (15) fit in 47.
    static constexpr int kMinBits = 56;
    // Bytes asked from the source at a time.
    static constexpr std::size_t kChunkBytes = 64 * 1024;

    void refillSlow();
    bool fetch();

    const ByteSource& m_source;
    std::uint64_t m_packedLeft; // bytes of the member not yet taken from the source
    std::vector<std::uint8_t> m_buffer;
    const std::uint8_t* m_pos = nullptr; // next byte not yet in m_bits
    const std::uint8_t* m_end = nullptr; // end of the bytes fetched so far
    std::uint64_t m_bits = 0;            // unconsumed bits, left-aligned (bit 63 is the next bit)
    int m_bitCount = 0;                  // how many of m_bits are valid
    std::uint64_t m_padBits = 0;         // zero bits appended after the member's last byte
    bool m_readFailed = false;
};

} // namespace lzh::codec
