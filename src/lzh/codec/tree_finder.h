#pragma once
// Binary-tree match finder for the Best effort's priced parse (docs/lzh-codec.md, "Finding
// matches"). Each 6-byte hash heads a tree of the earlier positions with that hash, ordered by
// the bytes that follow them; a newer position always sits above the older ones, and each
// insertion makes the new position the root. A descent from the root that is not cut short meets,
// for every length from six up to the longest, the nearest position that matches at least that
// far: the same match list as a hash chain walked to its end, with far fewer candidates looked at.
// Shorter matches come from the newest position with the same 4-byte and 3-byte prefix. Keying the
// trees on four bytes instead made them deep wherever text repeats short words, and cost 12 % more
// time for 0.1 % of size.
// Positions are absolute, as in MatchFinder: a child of 0 is always out of reach.

#include "lzh/codec/match_finder.h"
#include "lzh/codec/prefix_match.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace lzh::codec {

class TreeFinder {
public:
    // windowSize: the method's window (a power of two), in bytes.
    explicit TreeFinder(std::uint32_t windowSize);

    // As MatchFinder::startMember: a new member's positions start a window past all stored ones.
    std::uint32_t startMember();
    std::uint32_t firstPosition() const { return m_window; }

    // Inserts pos and appends to out the matches met on the way: each longer than the ones
    // before it and farther, nearest first (at most MatchFinder::kMostMatches, the last replaced
    // by a longer one). Looks at most maxDepth positions; a match of niceLength bytes ends the
    // descent. avail = bytes from pos to the end of the data (reads up to 8 bytes beyond
    // pos + min(avail, 256) must be allowed). pos must not be in the trees yet; positions
    // skipped since the last insertion are inserted first. Returns how many matches.
    int findAll(const std::uint8_t* buf, std::uint32_t bufStart, std::uint32_t pos, int avail, int maxDepth,
                int niceLength, Match* out);

    // Inserts every step-th position from the next one up to (not including) end, without
    // reporting matches, and leaves the others out; avail is counted from each position to
    // dataEnd.
    void insertUpTo(const std::uint8_t* buf, std::uint32_t bufStart, std::uint32_t end, std::uint32_t dataEnd,
                    int maxDepth, int niceLength, int step);

    // Lowers every stored position by delta (when positions near 2^32); older ones become empty.
    void rebase(std::uint32_t delta);

private:
    template <bool kReport>
    int insert(const std::uint8_t* buf, std::uint32_t bufStart, std::uint32_t pos, int avail, int maxDepth,
               int niceLength, Match* out);
    void clear();

    std::uint32_t m_window;
    std::uint32_t m_mask;               // window - 1: the node slot of a position
    std::uint32_t m_maxDistance;        // window - 1, the cap every reader accepts
    std::uint32_t m_nextInsert = 0;     // all positions below are in the trees
    std::vector<std::uint32_t> m_root;  // newest position per 6-byte hash
    std::vector<std::uint32_t> m_child; // per slot: the subtree that sorts before it, then after
    std::vector<std::uint32_t> m_head4; // newest position per 4-byte prefix
    std::vector<std::uint32_t> m_head3; // newest position per 3-byte prefix
};

} // namespace lzh::codec
