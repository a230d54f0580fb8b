#pragma once
// MSB-first bit writer gathering a member's compressed bytes until the encoder hands them to
// the sink (docs/lzh-codec.md, "Writing").

#include <cstdint>
#include <vector>

namespace lzh::codec {

class BitWriter {
public:
    // Appends the low n (0..32) bits of value, most significant first; value must fit in n bits.
    void put(std::uint32_t value, int n)
    {
        m_acc = (m_acc << n) | value;
        m_count += n;
        if (m_count >= 32) {
            m_count -= 32;
            const auto word = static_cast<std::uint32_t>(m_acc >> m_count);
            const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(word >> 24), static_cast<std::uint8_t>(word >> 16),
                                           static_cast<std::uint8_t>(word >> 8), static_cast<std::uint8_t>(word)};
            m_bytes.insert(m_bytes.end(), bytes, bytes + 4);
        }
    }

    // Moves whole bytes into bytes(); pads the last partial byte with zero bits when pad is set.
    void flushBits(bool pad)
    {
        while (m_count >= 8) {
            m_count -= 8;
            m_bytes.push_back(static_cast<std::uint8_t>(m_acc >> m_count));
        }
        if (pad && m_count > 0) {
            m_bytes.push_back(static_cast<std::uint8_t>(m_acc << (8 - m_count)));
            m_count = 0;
        }
    }

    // Bits waiting for a whole byte, 0..7 after flushBits(false).
    int pendingBits() const { return m_count; }
    std::vector<std::uint8_t>& bytes() { return m_bytes; }
    void reset()
    {
        m_bytes.clear();
        m_acc = 0;
        m_count = 0;
    }

private:
    std::vector<std::uint8_t> m_bytes; // complete bytes not yet given to the sink
    std::uint64_t m_acc = 0;           // pending bits in the low m_count bits
    int m_count = 0;                   // pending bits, 0..31 between calls
};

} // namespace lzh::codec
