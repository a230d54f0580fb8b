#pragma once
// Hash chains over the encoder's window (docs/lzh-codec.md, "Finding matches"). Positions are
// absolute stream offsets plus kFirstPosition, so a chain entry of 0 is always out of reach and
// the tables never need rewriting as the window moves.

#include <cstdint>
#include <cstring>
#include <vector>

namespace lzh::codec {

struct Match {
    int length = 0;            // 0 when nothing of at least kMinMatch bytes was found
    std::uint32_t distance = 0;
};

class MatchFinder {
public:
    // windowSize: the method's window (a power of two), in bytes.
    explicit MatchFinder(std::uint32_t windowSize);

    // Forgets all positions: the next member starts with an empty window.
    void reset();

    // First position value handed out; lower values (0 = empty) are never within reach.
    std::uint32_t firstPosition() const { return m_window; }

    // Longest match for the bytes at cur (position pos), trying at most maxChain candidates and
    // stopping early at niceLength; avail = bytes from cur to the end of the data (reads up to
    // 8 bytes beyond cur + min(avail, 256) must be allowed). Inserts pos into its chain.
    // The window holds position bufStart at buf[0] and keeps a whole window before pos.
    Match find(const std::uint8_t* buf, std::uint32_t bufStart, std::uint32_t pos, int avail, int maxChain,
               int niceLength, int minLength);

    // Adds positions up to (not including) end to the chains without searching.
    void insertUpTo(const std::uint8_t* buf, std::uint32_t bufStart, std::uint32_t end)
    {
        for (std::uint32_t p = m_nextInsert; p < end; ++p)
            insert(buf + (p - bufStart), p);
        if (end > m_nextInsert)
            m_nextInsert = end;
    }
    // Moves past positions up to end without adding them (fast effort inside long matches).
    void skipTo(std::uint32_t end)
    {
        if (end > m_nextInsert)
            m_nextInsert = end;
    }

    // Lowers every stored position by delta (when positions near 2^32); older ones become empty.
    void rebase(std::uint32_t delta);

private:
    // 2^16 chain heads for 4-byte prefixes, 256 KiB: few collisions within a 64 KiB window.
    static constexpr int kHashBits = 16;

    static std::uint32_t hash4(const std::uint8_t* p)
    {
        std::uint32_t v;
        std::memcpy(&v, p, 4);
        return (v * 0x9E3779B1u) >> (32 - kHashBits);
    }
    void insert(const std::uint8_t* bytes, std::uint32_t p)
    {
        std::uint32_t& head = m_head[hash4(bytes)];
        m_prev[p & m_mask] = head;
        head = p;
    }

    std::uint32_t m_window;
    std::uint32_t m_mask;              // window - 1: the prev slot of a position
    std::uint32_t m_maxDistance;       // window - 1, the cap every reader accepts
    std::uint32_t m_nextInsert = 0;    // all positions below are in the chains
    std::vector<std::uint32_t> m_head; // newest position per hash
    std::vector<std::uint32_t> m_prev; // next older position with the same hash, per slot
};

} // namespace lzh::codec
