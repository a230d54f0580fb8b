#include "lzh/codec/block_writer.h"

#include "lzh/codec/huffman_builder.h"

#include <algorithm>
#include <cstring>

namespace lzh::codec {
namespace {

// One item of the literal tree's length list, coded with the pre-tree: symbol 0 (one zero), 1
// (3..18 zeros, 4 extra bits), 2 (20..531 zeros, 9 extra bits) or length + 2.
struct LengthItem {
    std::uint8_t symbol;
    std::uint16_t extra;
};

int lengthItems(const std::uint8_t* lengths, int n, LengthItem* items)
{
    int count = 0;
    int i = 0;
    while (i < n) {
        if (lengths[i] != 0) {
            items[count++] = {static_cast<std::uint8_t>(lengths[i] + 2), 0};
            ++i;
            continue;
        }
        int run = 1;
        while (i + run < n && lengths[i + run] == 0)
            ++run;
        i += run;
        if (run <= 2) {
            while (run-- > 0)
                items[count++] = {0, 0};
        } else if (run <= 18) {
            items[count++] = {1, static_cast<std::uint16_t>(run - 3)};
        } else if (run == 19) {
            // 19 has no form of its own: one single zero, then 18.
            items[count++] = {0, 0};
            items[count++] = {1, 15};
        } else {
            items[count++] = {2, static_cast<std::uint16_t>(run - 20)};
        }
    }
    return count;
}

int usedLength(const std::uint8_t* lengths, int count)
{
    while (count > 0 && lengths[count - 1] == 0)
        --count;
    return count;
}

int onlySymbol(const std::uint32_t* freqs, int count)
{
    for (int s = 0; s < count; ++s)
        if (freqs[s] != 0)
            return s;
    return 0;
}

} // namespace

BlockWriter::BlockWriter(const MethodParams& params)
    : m_params(params), m_symbols(kMaxBlockTokens), m_positions(kMaxBlockTokens)
{
}

void BlockWriter::writePtLengths(const std::uint8_t* lengths, int numSymbols, int countBits, int skipAfter,
                                 BitWriter& out)
{
    const int n = usedLength(lengths, numSymbols);
    out.put(static_cast<std::uint32_t>(n), countBits);
    int i = 0;
    while (i < n) {
        const int len = lengths[i++];
        if (len < 7)
            out.put(static_cast<std::uint32_t>(len), 3);
        else
            out.put((std::uint32_t{1} << (len - 3)) - 2, len - 3); // 111, (len-7) ones, then 0
        if (i == skipAfter) {
            int zeros = 0;
            while (zeros < 3 && i + zeros < n && lengths[i + zeros] == 0)
                ++zeros;
            out.put(static_cast<std::uint32_t>(zeros), 2);
            i += zeros;
        }
    }
}

void BlockWriter::writeTrees(BitWriter& out)
{
    const int litUsed = buildCodeLengths(m_litFreq, kNumLitSymbols, kMaxCodeLength, m_litLengths);
    if (litUsed == 1) {
        // One symbol: an unused constant pre-tree, then the constant literal tree.
        out.put(0, kPreCountBits);
        out.put(0, kPreCountBits);
        out.put(0, kLitCountBits);
        out.put(static_cast<std::uint32_t>(onlySymbol(m_litFreq, kNumLitSymbols)), kLitCountBits);
    } else {
        const int n = usedLength(m_litLengths, kNumLitSymbols);
        LengthItem items[kNumLitSymbols + 1];
        const int itemCount = lengthItems(m_litLengths, n, items);
        std::uint32_t preFreq[kNumPreSymbols] = {};
        for (int i = 0; i < itemCount; ++i)
            ++preFreq[items[i].symbol];
        std::uint8_t preLengths[kNumPreSymbols];
        std::uint16_t preCodes[kNumPreSymbols];
        if (buildCodeLengths(preFreq, kNumPreSymbols, kMaxCodeLength, preLengths) == 1) {
            out.put(0, kPreCountBits);
            out.put(static_cast<std::uint32_t>(onlySymbol(preFreq, kNumPreSymbols)), kPreCountBits);
        } else {
            writePtLengths(preLengths, kNumPreSymbols, kPreCountBits, kPreSkipAfter, out);
        }
        buildCanonicalCodes(preLengths, kNumPreSymbols, preCodes);
        out.put(static_cast<std::uint32_t>(n), kLitCountBits);
        for (int i = 0; i < itemCount; ++i) {
            const LengthItem& item = items[i];
            out.put(preCodes[item.symbol], preLengths[item.symbol]);
            if (item.symbol == 1)
                out.put(item.extra, 4);
            else if (item.symbol == 2)
                out.put(item.extra, 9);
        }
    }
    buildCanonicalCodes(m_litLengths, kNumLitSymbols, m_litCodes);

    const int np = m_params.numPosSymbols;
    if (buildCodeLengths(m_posFreq, np, kMaxCodeLength, m_posLengths) <= 1) {
        // No matches, or all in one class: constant form.
        out.put(0, m_params.posCountBits);
        out.put(static_cast<std::uint32_t>(onlySymbol(m_posFreq, np)), m_params.posCountBits);
    } else {
        writePtLengths(m_posLengths, np, m_params.posCountBits, -1, out);
    }
    buildCanonicalCodes(m_posLengths, np, m_posCodes);
}

void BlockWriter::writeBlock(int count, BitWriter& out)
{
    std::memset(m_litFreq, 0, sizeof m_litFreq);
    std::memset(m_posFreq, 0, sizeof m_posFreq);
    for (int i = 0; i < count; ++i) {
        const int s = m_symbols[i];
        ++m_litFreq[s];
        if (s >= 256)
            ++m_posFreq[positionClass(m_positions[i])];
    }
    out.put(static_cast<std::uint32_t>(count), 16);
    writeTrees(out);
    for (int i = 0; i < count; ++i) {
        const int s = m_symbols[i];
        out.put(m_litCodes[s], m_litLengths[s]);
        if (s >= 256) {
            // The position code and its extra bits (at most 16 + 15) go out in one put.
            const std::uint32_t p = m_positions[i];
            const int k = positionClass(p);
            const int extraBits = k >= 2 ? k - 1 : 0;
            const std::uint32_t extra = p & ((std::uint32_t{1} << extraBits) - 1);
            out.put((std::uint32_t{m_posCodes[k]} << extraBits) | extra, m_posLengths[k] + extraBits);
        }
    }
    // Tokens beyond the block wait for the next one.
    const int rest = m_count - count;
    std::memmove(m_symbols.data(), m_symbols.data() + count, static_cast<std::size_t>(rest) * sizeof(std::uint16_t));
    std::memmove(m_positions.data(), m_positions.data() + count,
                 static_cast<std::size_t>(rest) * sizeof(std::uint16_t));
    m_count = rest;
}

} // namespace lzh::codec
