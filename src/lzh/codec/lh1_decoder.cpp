// -lh1-: LZSS over a 4 KiB window that starts as spaces, its literals and match lengths coded
// with an adaptive Huffman tree that both sides rebuild as counts change, its match positions
// with a fixed prefix code for the top six bits (docs/lzh-format.md, "-lh1-").

#include "lzh/codec/classic_decoders.h"

#include "lzh/codec/decode_checks.h"
#include "lzh/codec/ring_output.h"

#include <array>
#include <cstring>

namespace lzh::codec {
namespace {

constexpr std::size_t kWindow = 4096;
constexpr int kMinMatch = 3;
constexpr int kMaxMatch = 60;
// Leaves: 256 literals and the match lengths 3..60.
constexpr int kLeaves = 256 + kMaxMatch - kMinMatch + 1;
constexpr int kNodes = 2 * kLeaves - 1;
constexpr int kRoot = kNodes - 1;
// The root's count at which every count is halved and the tree rebuilt.
constexpr unsigned kRebuildAt = 0x8000;

// The tree, kept with counts sorted along the node order. child[n] is the first of node n's two
// children (the second is child[n] + 1), or kNodes + symbol for a leaf; parent[] is indexed by
// node, and by kNodes + symbol for the leaves.
class AdaptiveTree {
public:
    AdaptiveTree()
    {
        for (int i = 0; i < kLeaves; ++i) {
            m_count[i] = 1;
            m_child[i] = static_cast<std::uint16_t>(kNodes + i);
            m_parent[kNodes + i] = static_cast<std::uint16_t>(i);
        }
        joinPairs();
        m_count[kNodes] = 0xFFFF; // stops the search for a node's new place at the end
        m_parent[kRoot] = 0;
    }

    // Decodes one symbol and counts it. The tree is at most kNodes deep, so the walk ends.
    int decode(BitReader& in)
    {
        int node = m_child[kRoot];
        while (node < kNodes) {
            in.refill();
            node = m_child[node + static_cast<int>(in.bits(1))];
        }
        const int symbol = node - kNodes;
        count(symbol);
        return symbol;
    }

private:
    // Pairs nodes 0-1, 2-3, ... into parents, each placed where its count keeps the order sorted
    // (after any equal ones).
    void joinPairs()
    {
        for (int first = 0, next = kLeaves; next < kNodes; first += 2, ++next) {
            const unsigned sum = m_count[first] + m_count[first + 1];
            int at = next;
            while (at > 0 && sum < m_count[at - 1])
                --at;
            std::memmove(&m_count[at + 1], &m_count[at], (next - at) * sizeof m_count[0]);
            std::memmove(&m_child[at + 1], &m_child[at], (next - at) * sizeof m_child[0]);
            m_count[at] = static_cast<std::uint16_t>(sum);
            m_child[at] = static_cast<std::uint16_t>(first);
        }
        for (int n = 0; n < kNodes; ++n) {
            const int c = m_child[n];
            m_parent[c] = static_cast<std::uint16_t>(n);
            if (c < kNodes)
                m_parent[c + 1] = static_cast<std::uint16_t>(n);
        }
    }

    // Halves every leaf's count, keeping the leaves in node order, and rebuilds the tree.
    void rebuild()
    {
        int leaf = 0;
        for (int n = 0; n < kNodes; ++n) {
            if (m_child[n] >= kNodes) {
                m_count[leaf] = static_cast<std::uint16_t>((m_count[n] + 1) / 2);
                m_child[leaf] = m_child[n];
                ++leaf;
            }
        }
        joinPairs();
    }

    void count(int symbol)
    {
        if (m_count[kRoot] == kRebuildAt)
            rebuild();
        int node = m_parent[kNodes + symbol];
        do {
            const unsigned raised = ++m_count[node];
            if (raised > m_count[node + 1]) {
                // Swap with the last node still below the new count, so the order stays sorted.
                int last = node + 1;
                while (raised > m_count[last + 1])
                    ++last;
                m_count[node] = m_count[last];
                m_count[last] = static_cast<std::uint16_t>(raised);
                const int mine = m_child[node];
                const int theirs = m_child[last];
                setChild(last, mine);
                setChild(node, theirs);
                node = last;
            }
            node = m_parent[node];
        } while (node != 0);
    }

    void setChild(int node, int child)
    {
        m_child[node] = static_cast<std::uint16_t>(child);
        m_parent[child] = static_cast<std::uint16_t>(node);
        if (child < kNodes)
            m_parent[child + 1] = static_cast<std::uint16_t>(node);
    }

    std::array<std::uint16_t, kNodes + 1> m_count{};
    std::array<std::uint16_t, kNodes> m_child{};
    std::array<std::uint16_t, kNodes + kLeaves> m_parent{};
};

// The fixed code of a position's top six bits: 3 bits for 0, 4 for 1-3, 5 for 4-11, 6 for 12-23,
// 7 for 24-47, 8 for 48-63, canonical. Indexed by the next 8 bits: value and code length.
struct PositionCode {
    std::array<std::uint8_t, 256> value{};
    std::array<std::uint8_t, 256> length{};

    constexpr PositionCode()
    {
        constexpr int kPerLength[] = {1, 3, 8, 12, 24, 16}; // values with code lengths 3..8
        int code = 0;
        int top = 0;
        for (int len = 3; len <= 8; ++len) {
            for (int k = 0; k < kPerLength[len - 3]; ++k, ++code, ++top) {
                const int span = 1 << (8 - len);
                for (int i = 0; i < span; ++i) {
                    value[(code << (8 - len)) + i] = static_cast<std::uint8_t>(top);
                    length[(code << (8 - len)) + i] = static_cast<std::uint8_t>(len);
                }
            }
            code <<= 1;
        }
    }
};
constexpr PositionCode kPositionCode;

} // namespace

base::Status decodeLh1(BitReader& in, std::uint64_t originalSize, const ByteSink& sink)
{
    AdaptiveTree tree;
    RingOutput out(kWindow, sink);
    std::memset(out.ring(), ' ', kWindow);
    std::uint64_t left = originalSize;
    while (left > 0) {
        const int symbol = tree.decode(in);
        LZH_CHECK(in, !in.overrun(), "compressed data cut short");
        if (symbol < 256) {
            if (!out.put(static_cast<std::uint8_t>(symbol)))
                return cancelled();
            --left;
            continue;
        }
        const std::size_t length = static_cast<std::size_t>(symbol) - 256 + kMinMatch;
        in.refill();
        const std::uint32_t next = in.peek(8);
        in.consume(kPositionCode.length[next]);
        const std::size_t position = (std::size_t{kPositionCode.value[next]} << 6) | in.bits(6);
        LZH_CHECK(in, !in.overrun(), "compressed data cut short");
        LZH_CHECK(in, length <= left, "match past the end of the data");
        if (!out.copy(out.position() - position - 1, length))
            return cancelled();
        left -= length;
    }
    return out.flush() ? base::Status::success() : cancelled();
}

} // namespace lzh::codec
