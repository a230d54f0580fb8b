#include "lzh/codec/huffman_table.h"

#include "lzh/codec/code_lengths.h"
#include "lzh/codec/method_params.h"

#include <algorithm>

namespace lzh::codec {
namespace {

// The literal alphabet is the largest of the format.
constexpr int kMaxSymbols = kNumLitSymbols;

} // namespace

HuffmanTable::HuffmanTable(int numSymbols, int primaryBits)
    : m_primaryBits(primaryBits),
      // The primary table plus, at most, one full-depth subtable per symbol.
      m_entries((std::size_t{1} << primaryBits) +
                static_cast<std::size_t>(numSymbols) * (std::size_t{1} << (kMaxCodeLength - primaryBits)))
{
}

void HuffmanTable::buildConstant(int symbol)
{
    m_subBits = 0;
    std::fill_n(m_entries.begin(), std::size_t{1} << m_primaryBits, static_cast<std::uint32_t>(symbol));
}

bool HuffmanTable::build(const std::uint8_t* lengths, int count)
{
    if (count > kMaxSymbols)
        return false;
    int lengthCount[kMaxCodeLength + 1] = {};
    bool tooLong = false;
    forEachUsedLength(lengths, count, [&](int, int len) {
        if (len > kMaxCodeLength)
            tooLong = true;
        else
            ++lengthCount[len];
    });
    if (tooLong)
        return false;
    // Kraft sum in units of 2^-16: a complete code fills exactly 2^16.
    std::uint32_t kraft = 0;
    int maxLength = 0;
    for (int len = 1; len <= kMaxCodeLength; ++len) {
        kraft += static_cast<std::uint32_t>(lengthCount[len]) << (kMaxCodeLength - len);
        if (lengthCount[len] != 0)
            maxLength = len;
    }
    if (kraft != (std::uint32_t{1} << kMaxCodeLength))
        return false;

    // First canonical code of each length.
    std::uint32_t nextCode[kMaxCodeLength + 2] = {};
    std::uint32_t code = 0;
    for (int len = 1; len <= kMaxCodeLength; ++len) {
        code = (code + static_cast<std::uint32_t>(lengthCount[len - 1])) << 1;
        nextCode[len] = code;
    }

    // Symbols in canonical order: by length, then by symbol, so codes rise and the long codes
    // sharing a primary prefix come together. A counting sort keeps this one pass over them.
    std::uint16_t sorted[kMaxSymbols];
    int start[kMaxCodeLength + 2] = {};
    for (int len = 1; len <= kMaxCodeLength; ++len)
        start[len + 1] = start[len] + lengthCount[len];
    forEachUsedLength(lengths, count, [&](int s, int len) { sorted[start[len]++] = static_cast<std::uint16_t>(s); });
    const int used = start[kMaxCodeLength];

    const int primary = m_primaryBits;
    m_subBits = std::max(0, maxLength - primary);
    std::uint32_t nextSubtable = std::uint32_t{1} << primary;
    std::uint32_t openPrefix = ~std::uint32_t{0}; // primary index of the subtable being filled
    for (int i = 0; i < used; ++i) {
        const int s = sorted[i];
        const int len = lengths[s];
        const std::uint32_t c = nextCode[len]++;
        const std::uint32_t entry = static_cast<std::uint32_t>(s) | (static_cast<std::uint32_t>(len) << kLengthShift);
        if (len <= primary) {
            const std::uint32_t first = c << (primary - len);
            std::fill_n(m_entries.begin() + first, std::size_t{1} << (primary - len), entry);
            continue;
        }
        const std::uint32_t prefix = c >> (len - primary);
        if (prefix != openPrefix) {
            // First long code under this prefix: open a subtable of 2^m_subBits entries.
            openPrefix = prefix;
            m_entries[prefix] = kSubtableFlag | nextSubtable;
            nextSubtable += std::uint32_t{1} << m_subBits;
        }
        const std::uint32_t base = m_entries[prefix] & kSymbolMask;
        const std::uint32_t low = c & ((std::uint32_t{1} << (len - primary)) - 1);
        const std::uint32_t first = base + (low << (maxLength - len));
        std::fill_n(m_entries.begin() + first, std::size_t{1} << (maxLength - len), entry);
    }
    return true;
}

} // namespace lzh::codec
