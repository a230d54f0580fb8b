#pragma once
// Collects the tokens of one block and writes the block: token count, the three trees and the
// coded tokens (docs/lzh-codec.md, "Blocks as we write them").

#include "lzh/codec/bit_writer.h"
#include "lzh/codec/method_params.h"

#include <bit>
#include <cstdint>
#include <vector>

namespace lzh::codec {

class BlockWriter {
public:
    explicit BlockWriter(const MethodParams& params);

    void addLiteral(std::uint8_t byte)
    {
        m_symbols[m_count] = byte;
        m_positions[m_count++] = 0;
    }
    // length 3..256, distance 1..window.
    void addMatch(int length, std::uint32_t distance)
    {
        m_symbols[m_count] = static_cast<std::uint16_t>(length + (256 - kMinMatch));
        m_positions[m_count++] = static_cast<std::uint16_t>(distance - 1);
    }
    int tokenCount() const { return m_count; }
    const std::uint16_t* symbols() const { return m_symbols.data(); }
    const std::uint16_t* positions() const { return m_positions.data(); }
    void clear() { m_count = 0; }

    // Writes the first count tokens (1..65535) as one block and keeps the rest for the next.
    void writeBlock(int count, BitWriter& out);

private:
    void writeTrees(BitWriter& out);
    void writePtLengths(const std::uint8_t* lengths, int numSymbols, int countBits, int skipAfter, BitWriter& out);

    MethodParams m_params;
    std::vector<std::uint16_t> m_symbols;   // literal/length symbol of each token
    std::vector<std::uint16_t> m_positions; // distance - 1 of each match token
    int m_count = 0;

    // The current block's codes; a length of 0 marks an unused symbol or a constant tree.
    std::uint32_t m_litFreq[kNumLitSymbols];
    std::uint32_t m_posFreq[kMaxPosSymbols];
    std::uint8_t m_litLengths[kNumLitSymbols];
    std::uint16_t m_litCodes[kNumLitSymbols];
    std::uint8_t m_posLengths[kMaxPosSymbols];
    std::uint16_t m_posCodes[kMaxPosSymbols];
};

// Position class of distance-1: its bit length (0 for 0).
inline int positionClass(std::uint32_t p)
{
    return static_cast<int>(std::bit_width(p));
}

} // namespace lzh::codec
