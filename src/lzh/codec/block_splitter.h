#pragma once
// Chooses where blocks end (docs/lzh-codec.md, "Block boundaries"). Tokens are judged in chunks:
// a chunk whose symbol statistics differ enough from the block so far starts a new block, since
// fresh trees then pay for themselves.

#include "lzh/codec/method_params.h"

#include <cstdint>

namespace lzh::codec {

class BlockSplitter {
public:
    // Tokens per chunk: enough for stable statistics, small enough to follow changes in the data.
    static constexpr int kChunkTokens = 2048;
    // Most tokens a block collects before it is cut anyway; a last chunk still fits after it.
    static constexpr int kMaxTokens = kMaxBlockTokens - kChunkTokens;

    // Starts an empty block.
    void reset();
    // Judges the next chunk of tokens (symbols and distance-1 values of the matches). True when the
    // block so far should be written before it; either way the chunk then belongs to the block.
    bool startsNewBlock(const std::uint16_t* symbols, const std::uint16_t* positions, int count);
    // Tokens in the current block.
    int blockTokens() const { return m_blockTokens; }

private:
    // Estimated cost of sending fresh trees, in bits: a new block must save at least this much.
    // Measured: 700 bits gives the smallest output on both text and binaries (flat from 600 to 1000).
    static constexpr float kTreeCostBits = 700.0f;

    std::uint32_t m_litFreq[kNumLitSymbols] = {};
    std::uint32_t m_posFreq[kMaxPosSymbols] = {};
    int m_blockTokens = 0;
};

} // namespace lzh::codec
