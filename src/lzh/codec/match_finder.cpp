#include "lzh/codec/match_finder.h"

#include "lzh/codec/method_params.h"

#include <algorithm>

namespace lzh::codec {

MatchFinder::MatchFinder(std::uint32_t windowSize)
    : m_window(windowSize), m_mask(windowSize - 1), m_maxDistance(windowSize - 1), m_head(std::size_t{1} << kHashBits),
      m_prev(windowSize), m_head3(std::size_t{1} << kHash3Bits)
{
    clear();
}

void MatchFinder::clear()
{
    std::fill(m_head.begin(), m_head.end(), 0);
    std::fill(m_prev.begin(), m_prev.end(), 0);
    std::fill(m_head3.begin(), m_head3.end(), 0);
    m_nextInsert = m_window;
}

std::uint32_t MatchFinder::startMember()
{
    // Everything stored lies below m_nextInsert, so a window further on it is all out of reach.
    const std::uint32_t start = m_nextInsert + m_window;
    if (start >= kRestartAt) {
        clear();
        return m_nextInsert;
    }
    m_nextInsert = start;
    return start;
}

void MatchFinder::rebase(std::uint32_t delta)
{
    auto lower = [delta](std::uint32_t& p) { p = p > delta ? p - delta : 0; };
    std::for_each(m_head.begin(), m_head.end(), lower);
    std::for_each(m_head3.begin(), m_head3.end(), lower);
    lower(m_nextInsert);
}

Match MatchFinder::find(const std::uint8_t* buf, std::uint32_t bufStart, std::uint32_t pos, int avail, int maxChain,
                        int niceLength, int minLength)
{
    const std::uint8_t* cur = buf + (pos - bufStart);
    const std::uint32_t curHead = load32(cur);
    std::uint32_t candidate;
    std::uint32_t candidate3 = 0;
    if (pos < m_nextInsert) {
        candidate = olderThan(pos);
    } else {
        // The next search is almost always at pos + 1: start fetching its table slots now, as
        // waiting on them is most of what a search costs.
        const std::uint32_t nextHead = load32(cur + 1);
        prefetch(&m_head[hash4(nextHead)]);
        prefetch(&m_head3[hash3(nextHead)]);
        insertUpTo(buf, bufStart, pos);
        std::uint32_t& newest3 = m_head3[hash3(curHead)];
        candidate3 = newest3;
        newest3 = pos;
        std::uint32_t& head = m_head[hash4(curHead)];
        candidate = head;
        link(pos, head);
        head = pos;
        m_nextInsert = pos + 1;
    }
    const int limit = std::min(avail, kMaxMatch);
    if (limit < kMinMatch)
        return {};
    niceLength = std::min(niceLength, limit);
    const std::uint32_t lowest = pos - m_maxDistance; // oldest position within reach
    Match best;
    best.length = minLength - 1;
    for (int chain = maxChain; candidate >= lowest && chain > 0; --chain) {
        const std::uint8_t* c = buf + (candidate - bufStart);
        // The byte just past the best length must match first: cheap rejection of most candidates.
        if (c[best.length] == cur[best.length] && load32(c) == curHead) {
            const int len = commonLength(c + 4, cur + 4, limit - 4) + 4;
            if (len > best.length) {
                best.length = len;
                best.distance = pos - candidate;
                if (len >= niceLength)
                    break;
            }
        }
        candidate = olderThan(candidate);
    }
    if (best.length < 3 && minLength <= 3 && candidate3 != 0 && pos - candidate3 <= kNear3 && candidate3 >= lowest) {
        const std::uint8_t* c = buf + (candidate3 - bufStart);
        if (c[0] == cur[0] && c[1] == cur[1] && c[2] == cur[2])
            return {3, pos - candidate3};
    }
    if (best.length < minLength)
        return {};
    return best;
}

} // namespace lzh::codec
