#pragma once
// Length-limited Huffman code lengths and canonical codes for the encoder's trees.

#include <cstdint>

namespace lzh::codec {

// Sets lengths[0..count) for the given frequencies, no code longer than maxLength bits, and
// returns how many symbols are used. With one used symbol its length is 0: that tree is sent in
// the constant form and its symbol costs no bits. With two or more, the code is complete.
int buildCodeLengths(const std::uint32_t* freqs, int count, int maxLength, std::uint8_t* lengths);

// Canonical codes for the lengths: shorter codes first, equal lengths in symbol order.
void buildCanonicalCodes(const std::uint8_t* lengths, int count, std::uint16_t* codes);

} // namespace lzh::codec
