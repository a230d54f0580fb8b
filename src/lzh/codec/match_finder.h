#pragma once
// Hash chains over the encoder's window (docs/lzh-codec.md, "Finding matches"). Positions are
// absolute stream offsets plus kFirstPosition, so a chain entry of 0 is always out of reach and
// the tables never need rewriting as the window moves.

#include "lzh/codec/method_params.h"
#include "lzh/codec/prefix_match.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace lzh::codec {

struct Match {
    int length = 0; // 0 when nothing of at least kMinMatch bytes was found
    std::uint32_t distance = 0;
};

class MatchFinder {
public:
    // windowSize: the method's window (a power of two), in bytes.
    explicit MatchFinder(std::uint32_t windowSize);

    // Starts a new member and returns its first position. Earlier members' positions stay in the
    // tables but lie more than a window back, out of reach, so a new member costs no clearing
    // (which matters when a backup holds thousands of small files).
    std::uint32_t startMember();

    // Lowest position a member can start at; lower values (0 = empty) are never within reach.
    std::uint32_t firstPosition() const { return m_window; }

    // Longest match for the bytes at cur (position pos), trying at most maxChain candidates and
    // stopping early at niceLength; avail = bytes from cur to the end of the data (reads up to
    // 8 bytes beyond cur + min(avail, 256) must be allowed). Inserts pos into its chain.
    // The window holds position bufStart at buf[0] and keeps a whole window before pos.
    Match find(const std::uint8_t* buf, std::uint32_t bufStart, std::uint32_t pos, int avail, int maxChain,
               int niceLength, int minLength);

    // Most matches a priced parse weighs at one position (TreeFinder reports up to this many).
    static constexpr int kMostMatches = 8;

    // Adds positions up to (not including) end to the chains without searching. Every position
    // inside a match passes through here, so the tables are reached through locals.
    void insertUpTo(const std::uint8_t* buf, std::uint32_t bufStart, std::uint32_t end)
    {
        std::uint32_t p = m_nextInsert;
        if (p >= end)
            return;
        std::uint32_t* const heads = m_head.data();
        std::uint32_t* const heads3 = m_head3.data();
        std::uint16_t* const prev = m_prev.data();
        const std::uint32_t mask = m_mask;
        const std::uint32_t maxDistance = m_maxDistance;
        for (const std::uint8_t* bytes = buf + (p - bufStart); p < end; ++p, ++bytes) {
            const std::uint32_t head = load32(bytes);
            std::uint32_t& newest = heads[hash4(head)];
            const std::uint32_t distance = p - newest;
            prev[p & mask] = static_cast<std::uint16_t>(distance <= maxDistance ? distance : 0);
            newest = p;
            heads3[hash3(head)] = p;
        }
        m_nextInsert = end;
    }

    // Lowers every stored position by delta (when positions near 2^32); older ones become empty.
    void rebase(std::uint32_t delta);

private:
    void clear();
    // Chains hold the distance to the next older position, 0 where none is within reach: 16 bits
    // a slot keeps the table small enough to stay in the cache.
    void link(std::uint32_t p, std::uint32_t older)
    {
        const std::uint32_t distance = p - older;
        m_prev[p & m_mask] = static_cast<std::uint16_t>(distance <= m_maxDistance ? distance : 0);
    }
    std::uint32_t olderThan(std::uint32_t p) const
    {
        const std::uint32_t distance = m_prev[p & m_mask];
        return distance != 0 ? p - distance : 0;
    }
    std::uint32_t m_window;
    std::uint32_t m_mask;               // window - 1: the prev slot of a position
    std::uint32_t m_maxDistance;        // window - 1, the cap every reader accepts
    std::uint32_t m_nextInsert = 0;     // all positions below are in the chains
    std::vector<std::uint32_t> m_head;  // newest position per hash
    std::vector<std::uint16_t> m_prev;  // distance to the next older position with the same hash
    std::vector<std::uint32_t> m_head3; // newest position per 3-byte prefix
};

} // namespace lzh::codec
