#include "lzh/codec/huffman_builder.h"

#include "lzh/codec/code_lengths.h"

#include <algorithm>
#include <cstring>
#include <numeric>

namespace lzh::codec {
namespace {

// Largest alphabet the encoder builds a code for (the literal/length tree).
constexpr int kMaxSymbols = 510;
// Longest length the unlimited tree may reach before limiting (a path of kMaxSymbols - 1 nodes).
constexpr int kMaxDepth = kMaxSymbols;

// Depths of the leaves of a Huffman tree over symbols sorted by rising frequency, by the two-queue
// method: leaves and merged nodes are both taken in rising weight order.
void huffmanDepths(const int* sorted, const std::uint32_t* freqs, int used, int* depth)
{
    std::uint64_t weight[2 * kMaxSymbols];
    int parent[2 * kMaxSymbols];
    int nextLeaf = 0;
    int nextNode = used; // internal nodes are numbered used, used+1, ...
    int firstNode = used;
    auto takeSmallest = [&]() {
        if (nextLeaf < used && (firstNode == nextNode || freqs[sorted[nextLeaf]] <= weight[firstNode])) {
            weight[nextLeaf] = freqs[sorted[nextLeaf]];
            return nextLeaf++;
        }
        return firstNode++;
    };
    while (nextNode < 2 * used - 1) {
        const int a = takeSmallest();
        const int b = takeSmallest();
        weight[nextNode] = weight[a] + weight[b];
        parent[a] = parent[b] = nextNode;
        ++nextNode;
    }
    // The root is the last node; children always precede their parents.
    int nodeDepth[2 * kMaxSymbols];
    nodeDepth[2 * used - 2] = 0;
    for (int i = 2 * used - 3; i >= 0; --i)
        nodeDepth[i] = nodeDepth[parent[i]] + 1;
    for (int i = 0; i < used; ++i)
        depth[i] = nodeDepth[i];
}

} // namespace

int buildCodeLengths(const std::uint32_t* freqs, int count, int maxLength, std::uint8_t* lengths)
{
    std::memset(lengths, 0, static_cast<std::size_t>(count));
    // By rising frequency, equal ones in symbol order: the symbol in the key's low bits breaks
    // ties, which sorts as a stable sort would without the buffer one allocates.
    std::uint64_t keys[kMaxSymbols];
    int used = 0;
    // Without a branch: which symbols of a small block occur is too irregular to predict.
    for (int s = 0; s < count; ++s) {
        keys[used] = (std::uint64_t{freqs[s]} << 16) | static_cast<std::uint64_t>(s);
        used += freqs[s] != 0 ? 1 : 0;
    }
    if (used <= 1)
        return used;
    std::sort(keys, keys + used);
    int sorted[kMaxSymbols];
    for (int i = 0; i < used; ++i)
        sorted[i] = static_cast<int>(keys[i] & 0xFFFF);

    int depth[kMaxSymbols];
    huffmanDepths(sorted, freqs, used, depth);

    // Count leaves per length, folding those too deep into maxLength, then restore the Kraft sum:
    // each step drops one leaf from the deepest level and splits a shallower leaf into two.
    // Only lengths up to maxLength are ever counted, so only those are cleared.
    int lengthCount[kMaxDepth + 1];
    std::fill_n(lengthCount, maxLength + 1, 0);
    for (int i = 0; i < used; ++i)
        ++lengthCount[std::min(depth[i], maxLength)];
    std::uint32_t kraft = 0; // in units of 2^-maxLength
    for (int len = 1; len <= maxLength; ++len)
        kraft += static_cast<std::uint32_t>(lengthCount[len]) << (maxLength - len);
    while (kraft > (std::uint32_t{1} << maxLength)) {
        --lengthCount[maxLength];
        for (int len = maxLength - 1; len > 0; --len) {
            if (lengthCount[len] != 0) {
                --lengthCount[len];
                lengthCount[len + 1] += 2;
                break;
            }
        }
        --kraft;
    }
    // Hand out the lengths again: the rarest symbols get the longest codes.
    int index = 0;
    for (int len = maxLength; len >= 1; --len)
        for (int k = 0; k < lengthCount[len]; ++k)
            lengths[sorted[index++]] = static_cast<std::uint8_t>(len);
    return used;
}

void buildCanonicalCodes(const std::uint8_t* lengths, int count, std::uint16_t* codes)
{
    int lengthCount[17] = {};
    forEachUsedLength(lengths, count, [&](int, int len) { ++lengthCount[len]; });
    std::uint32_t next[17] = {};
    std::uint32_t code = 0;
    for (int len = 1; len <= 16; ++len) {
        code = (code + static_cast<std::uint32_t>(lengthCount[len - 1])) << 1;
        next[len] = code;
    }
    std::memset(codes, 0, static_cast<std::size_t>(count) * sizeof *codes);
    forEachUsedLength(lengths, count, [&](int s, int len) { codes[s] = static_cast<std::uint16_t>(next[len]++); });
}

} // namespace lzh::codec
