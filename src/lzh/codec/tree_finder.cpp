#include "lzh/codec/tree_finder.h"

#include "lzh/codec/method_params.h"

#include <algorithm>

namespace lzh::codec {

TreeFinder::TreeFinder(std::uint32_t windowSize)
    : m_window(windowSize), m_mask(windowSize - 1), m_maxDistance(windowSize - 1), m_root(std::size_t{1} << kHashBits),
      m_child(2 * std::size_t{windowSize}), m_head4(std::size_t{1} << kHashBits), m_head3(std::size_t{1} << kHash3Bits)
{
    clear();
}

void TreeFinder::clear()
{
    std::fill(m_root.begin(), m_root.end(), 0);
    std::fill(m_child.begin(), m_child.end(), 0);
    std::fill(m_head4.begin(), m_head4.end(), 0);
    std::fill(m_head3.begin(), m_head3.end(), 0);
    m_nextInsert = m_window;
}

std::uint32_t TreeFinder::startMember()
{
    const std::uint32_t start = m_nextInsert + m_window;
    if (start >= kRestartAt) {
        clear();
        return m_nextInsert;
    }
    m_nextInsert = start;
    return start;
}

void TreeFinder::rebase(std::uint32_t delta)
{
    auto lower = [delta](std::uint32_t& p) { p = p > delta ? p - delta : 0; };
    std::for_each(m_root.begin(), m_root.end(), lower);
    std::for_each(m_child.begin(), m_child.end(), lower);
    std::for_each(m_head4.begin(), m_head4.end(), lower);
    std::for_each(m_head3.begin(), m_head3.end(), lower);
    lower(m_nextInsert);
}

int TreeFinder::findAll(const std::uint8_t* buf, std::uint32_t bufStart, std::uint32_t pos, int avail, int maxDepth,
                        int niceLength, Match* out)
{
    for (std::uint32_t p = m_nextInsert; p < pos; ++p) {
        const int a =
            static_cast<int>(std::min<std::uint32_t>(static_cast<std::uint32_t>(avail) + (pos - p), kMaxMatch + 1));
        insert<false>(buf, bufStart, p, a, maxDepth, niceLength, nullptr);
    }
    return insert<true>(buf, bufStart, pos, avail, maxDepth, niceLength, out);
}

void TreeFinder::insertUpTo(const std::uint8_t* buf, std::uint32_t bufStart, std::uint32_t end, std::uint32_t dataEnd,
                            int maxDepth, int niceLength, int step)
{
    const std::uint32_t start = m_nextInsert;
    for (std::uint32_t p = start; p < end; p += static_cast<std::uint32_t>(step)) {
        const int avail = static_cast<int>(std::min<std::uint32_t>(dataEnd - p, kMaxMatch + 1));
        insert<false>(buf, bufStart, p, avail, maxDepth, niceLength, nullptr);
    }
    m_nextInsert = std::max(m_nextInsert, end);
}

template <bool kReport>
int TreeFinder::insert(const std::uint8_t* buf, std::uint32_t bufStart, std::uint32_t pos, int avail, int maxDepth,
                       int niceLength, Match* out)
{
    const std::uint8_t* cur = buf + (pos - bufStart);
    const int limit = std::min(avail, kMaxMatch);
    const int nice = std::min(niceLength, limit);
    const std::uint64_t head = load64(cur);
    std::uint32_t& root = m_root[hash6(head)];
    std::uint32_t& head4 = m_head4[hash4(static_cast<std::uint32_t>(head))];
    std::uint32_t& head3 = m_head3[hash3(static_cast<std::uint32_t>(head))];
    // The next position's slots are as good as random: fetch them while this one descends.
    const std::uint64_t next = load64(cur + 1);
    prefetchForWrite(&m_root[hash6(next)]);
    prefetchForWrite(&m_head4[hash4(static_cast<std::uint32_t>(next))]);
    prefetchForWrite(&m_head3[hash3(static_cast<std::uint32_t>(next))]);
    std::uint32_t candidate = root;
    const std::uint32_t candidate4 = head4;
    const std::uint32_t candidate3 = head3;
    root = pos;
    head4 = pos;
    head3 = pos;
    m_nextInsert = pos + 1;
    const std::uint32_t lowest = pos - m_maxDistance; // oldest position within reach
    // The descent splits the old tree in two: what sorts before cur hangs below pos on the left,
    // what sorts after on the right; these are the slots the next node of each side goes into.
    std::uint32_t* before = &m_child[2 * (pos & m_mask)];
    std::uint32_t* after = before + 1;
    int best = kMinMatch - 1;
    int count = 0;
    if constexpr (kReport) {
        // The newest position with these four bytes is the nearest match of four or five; any
        // longer one the trees hold is farther, so the list stays in order.
        if (candidate4 >= lowest && candidate4 != 0) {
            const int len = commonLength(buf + (candidate4 - bufStart), cur, limit);
            if (len >= 4) {
                best = len;
                out[count++] = {len, pos - candidate4};
            }
        }
    }
    for (int depth = maxDepth;; --depth) {
        if (candidate < lowest || depth == 0) {
            *before = 0;
            *after = 0;
            break;
        }
        const std::uint8_t* c = buf + (candidate - bufStart);
        // Compared from the first byte, though every node still below matches cur at least as
        // far as the nodes passed on either side: a node taken over after a shorter compare
        // (nice bytes, or fewer near the end of the data) leaves its subtrees out of order past
        // that, and skipping bytes could then report matches that are not there.
        const int len = commonLength(c, cur, limit);
        std::uint32_t* const node = &m_child[2 * (candidate & m_mask)];
        if constexpr (kReport) {
            // Nodes only get older going down, so the first of each new length is the nearest.
            if (len > best) {
                best = len;
                if (count == MatchFinder::kMostMatches)
                    --count;
                out[count++] = {len, pos - candidate};
            }
        }
        if (len >= nice) {
            // As far as compared, cur is the candidate: pos takes its place and its subtrees.
            *before = node[0];
            *after = node[1];
            break;
        }
        // A node before cur keeps its left subtree; the descent goes on into its right one.
        // (A branch beats selects here: the CPU runs ahead down the guessed side.)
        if (c[len] < cur[len]) {
            *before = candidate;
            before = node + 1;
            candidate = node[1];
        } else {
            *after = candidate;
            after = node;
            candidate = node[0];
        }
    }
    if constexpr (kReport) {
        if (best < 3 && limit >= 3 && candidate3 >= lowest && candidate3 != 0 && pos - candidate3 <= kNear3) {
            const std::uint8_t* c = buf + (candidate3 - bufStart);
            if (c[0] == cur[0] && c[1] == cur[1] && c[2] == cur[2])
                out[count++] = {3, pos - candidate3};
        }
    }
    return count;
}

} // namespace lzh::codec
