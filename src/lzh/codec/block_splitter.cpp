#include "lzh/codec/block_splitter.h"

#include "lzh/codec/block_writer.h"

#include <bit>
#include <cstring>

namespace lzh::codec {
namespace {

// log2 to within about 0.01, from the float's exponent and a quadratic on its mantissa: the
// estimates below compare costs, they need not be exact.
float fastLog2(float x)
{
    const auto bits = std::bit_cast<std::uint32_t>(x);
    const float exponent = static_cast<float>(static_cast<int>(bits >> 23) - 127);
    const float m = std::bit_cast<float>((bits & 0x007F'FFFFu) | 0x3F80'0000u);
    return exponent + (-0.34484843f * m + 2.02466578f) * m - 0.67487759f;
}

// Bits to code the counts with an ideal code of their own: sum of f * log2(total / f).
template <typename Count> float codedBits(const Count* freq, int size, std::uint32_t total)
{
    if (total == 0)
        return 0.0f;
    float sum = 0.0f;
    for (int i = 0; i < size; ++i)
        if (freq[i] != 0)
            sum += static_cast<float>(freq[i]) * fastLog2(static_cast<float>(freq[i]));
    const auto t = static_cast<float>(total);
    return t * fastLog2(t) - sum;
}

} // namespace

void BlockSplitter::reset()
{
    std::memset(m_litFreq, 0, sizeof m_litFreq);
    std::memset(m_posFreq, 0, sizeof m_posFreq);
    m_blockTokens = 0;
}

bool BlockSplitter::startsNewBlock(const std::uint16_t* symbols, const std::uint16_t* positions, int count)
{
    std::uint32_t chunkLit[kNumLitSymbols] = {};
    std::uint32_t chunkPos[kMaxPosSymbols] = {};
    std::uint32_t matches = 0;
    for (int i = 0; i < count; ++i) {
        ++chunkLit[symbols[i]];
        if (symbols[i] >= 256) {
            ++chunkPos[positionClass(positions[i])];
            ++matches;
        }
    }
    bool cut = false;
    if (m_blockTokens > 0) {
        std::uint32_t blockMatches = 0;
        for (int k = 0; k < kMaxPosSymbols; ++k)
            blockMatches += m_posFreq[k];
        std::uint32_t mergedLit[kNumLitSymbols];
        std::uint32_t mergedPos[kMaxPosSymbols];
        for (int s = 0; s < kNumLitSymbols; ++s)
            mergedLit[s] = m_litFreq[s] + chunkLit[s];
        for (int k = 0; k < kMaxPosSymbols; ++k)
            mergedPos[k] = m_posFreq[k] + chunkPos[k];
        const auto blockTotal = static_cast<std::uint32_t>(m_blockTokens);
        const auto chunkTotal = static_cast<std::uint32_t>(count);
        const float apart =
            codedBits(m_litFreq, kNumLitSymbols, blockTotal) + codedBits(m_posFreq, kMaxPosSymbols, blockMatches) +
            codedBits(chunkLit, kNumLitSymbols, chunkTotal) + codedBits(chunkPos, kMaxPosSymbols, matches);
        const float together = codedBits(mergedLit, kNumLitSymbols, blockTotal + chunkTotal) +
                               codedBits(mergedPos, kMaxPosSymbols, blockMatches + matches);
        cut = m_blockTokens + count > kMaxTokens || together > apart + kTreeCostBits;
    }
    if (cut)
        reset();
    for (int s = 0; s < kNumLitSymbols; ++s)
        m_litFreq[s] += chunkLit[s];
    for (int k = 0; k < kMaxPosSymbols; ++k)
        m_posFreq[k] += chunkPos[k];
    m_blockTokens += count;
    return cut;
}

} // namespace lzh::codec
