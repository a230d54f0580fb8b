#pragma once
// Decoding table for one canonical Huffman code of a block (docs/lzh-codec.md, "Trees").

#include <cstdint>
#include <vector>

#include "lzh/codec/bit_reader.h"

namespace lzh::codec {

class HuffmanTable {
public:
    // primaryBits: bits resolved by the first lookup; longer codes take a second one.
    HuffmanTable(int numSymbols, int primaryBits);

    // Builds from code lengths (0 = unused, at most 16) of symbols 0..count-1; the rest are
    // unused. False when the lengths do not form a complete code (over- or under-subscribed).
    bool build(const std::uint8_t* lengths, int count);
    // A tree whose every lookup yields symbol and reads no bits.
    void buildConstant(int symbol);

    // Decodes one symbol; the reader must hold at least 16 bits (refill() first).
    int decode(BitReader& in) const
    {
        std::uint32_t e = m_entries[in.peek(m_primaryBits)];
        if (e & kSubtableFlag) {
            const std::uint32_t sub = static_cast<std::uint32_t>((in.window() << m_primaryBits) >> (64 - m_subBits));
            e = m_entries[(e & kSymbolMask) + sub];
        }
        in.consume(static_cast<int>(e >> kLengthShift));
        return static_cast<int>(e & kSymbolMask);
    }

private:
    // Entry layout: symbol (or subtable start) in bits 0..15, code length in bits 16..23,
    // bit 31 marks a pointer to a subtable.
    static constexpr std::uint32_t kSymbolMask = 0xFFFF;
    static constexpr int kLengthShift = 16;
    static constexpr std::uint32_t kSubtableFlag = 0x8000'0000u;

    int m_primaryBits;
    int m_subBits = 0; // index width of every subtable: longest code length - primaryBits
    std::vector<std::uint32_t> m_entries;
};

} // namespace lzh::codec
