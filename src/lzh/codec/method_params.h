#pragma once
// The fixed parameters of the static-Huffman methods (docs/lzh-codec.md, "Parameters").

#include "lzh/codec.h"

#include <cstdint>

namespace lzh::codec {

// Literal/length alphabet: 256 bytes plus the 254 match lengths 3..256.
inline constexpr int kNumLitSymbols = 510;
// Width of the literal tree's count field, in bits (enough for 510).
inline constexpr int kLitCountBits = 9;
// Pre-tree alphabet: 0 (one zero), 1 and 2 (runs of zeros), 3..18 (lengths 1..16).
inline constexpr int kNumPreSymbols = 19;
// Width of the pre-tree's count field, in bits.
inline constexpr int kPreCountBits = 5;
// The pre-tree's two-bit zero-run field follows the length of this many entries.
inline constexpr int kPreSkipAfter = 3;
// Longest Huffman code any tree may use, in bits.
inline constexpr int kMaxCodeLength = 16;
// Match lengths, in bytes: symbol 256 is length 3, symbol 509 is length 256.
inline constexpr int kMinMatch = 3;
inline constexpr int kMaxMatch = 256;
// Most tokens one block may hold: its count field is 16 bits and 0 is refused by readers.
inline constexpr int kMaxBlockTokens = 65535;
// Largest position alphabet the encoder writes (-lh7-); sizes its arrays.
inline constexpr int kMaxPosSymbols = 17;
// Largest position alphabet read (-lhx-: distances up to its 2^19 window need 20 classes).
inline constexpr int kMaxReadPosSymbols = 20;

struct MethodParams {
    int dictBits;      // log2 of the window, in bits: 12 (4 KiB) .. 16 (64 KiB), 19 read only
    int numPosSymbols; // position classes: bit lengths 0 .. numPosSymbols-1 of distance-1
    int posCountBits;  // width of the position tree's count field, in bits

    std::uint32_t windowSize() const { return std::uint32_t{1} << dictBits; }
};

// Parameters of a static-Huffman method we write; false for every other method.
bool methodParams(Method method, MethodParams& out);
// The same for reading, which also takes -lhx-: the -lh7- format with a 512 KiB window.
bool readParams(Method method, MethodParams& out);

} // namespace lzh::codec
