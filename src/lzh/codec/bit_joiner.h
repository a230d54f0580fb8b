#pragma once
// Joins bit streams, each padded with zero bits to a whole byte, into one stream without the
// padding between them: each goes on inside the last byte of the one before. This is how the
// parts of one large member, packed on several threads, become one member's data.

#include "lzh/codec/big_endian.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace lzh::codec {

class BitJoiner {
public:
    // The next stream holds bits bits, in (bits + 7) / 8 bytes.
    void startStream(std::uint64_t bits) { m_streamBits = bits; }

    // True while the current stream would come out unchanged: nothing carried, whole bytes only.
    bool passesUnchanged() const { return m_carryBits == 0 && m_streamBits % 8 == 0; }

    // Joins the next size bytes of the current stream, in place; returns how many bytes at data
    // are now output (size or one less: a partial last byte is carried on to the next stream).
    std::size_t join(std::uint8_t* data, std::size_t size)
    {
        // Whole bytes, eight at a time: each moves right by the carried bits, whose count stays.
        const std::size_t whole = static_cast<std::size_t>(std::min<std::uint64_t>(size, m_streamBits / 8));
        std::size_t out = 0;
        if (m_carryBits == 0) {
            out = whole;
        } else {
            const int k = m_carryBits;
            std::uint64_t carry = m_carry;
            for (; out + 8 <= whole; out += 8) {
                const std::uint64_t word = loadBigEndian64(data + out);
                storeBigEndian64(data + out, (carry << 56) | (word >> k));
                carry = static_cast<std::uint8_t>(word << (8 - k));
            }
            for (; out < whole; ++out) {
                const unsigned byte = data[out];
                data[out] = static_cast<std::uint8_t>(carry | (byte >> k));
                carry = static_cast<std::uint8_t>(byte << (8 - k));
            }
            m_carry = static_cast<std::uint8_t>(carry);
        }
        m_streamBits -= 8 * static_cast<std::uint64_t>(whole);
        // The stream's last byte, when partial.
        for (std::size_t i = whole; i < size; ++i) {
            const int valid = m_streamBits >= 8 ? 8 : static_cast<int>(m_streamBits);
            m_streamBits -= static_cast<std::uint64_t>(valid);
            // The carried bits, then this byte's valid bits, from the top of a 16-bit word.
            const unsigned word = (unsigned{m_carry} << 8) | (unsigned{data[i]} << (8 - m_carryBits));
            const int total = m_carryBits + valid;
            if (total >= 8) {
                data[out++] = static_cast<std::uint8_t>(word >> 8);
                m_carry = static_cast<std::uint8_t>(word);
                m_carryBits = total - 8;
            } else {
                m_carry = static_cast<std::uint8_t>(word >> 8);
                m_carryBits = total;
            }
        }
        return out;
    }

    // The last partial byte of all the streams, padded with zero bits; false when there is none.
    bool finish(std::uint8_t& last) const
    {
        last = m_carry;
        return m_carryBits > 0;
    }

private:
    std::uint64_t m_streamBits = 0; // bits of the current stream not joined yet
    std::uint8_t m_carry = 0;       // m_carryBits bits waiting for a whole byte, at the top
    int m_carryBits = 0;
};

} // namespace lzh::codec
