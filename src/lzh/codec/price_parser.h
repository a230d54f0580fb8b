#pragma once
// The cheapest parse of a stretch of input, for the Best effort: given the matches found at each
// position (the nearest distance for each length up to the longest), picks literals and matches
// so the estimated bits are fewest. The estimate comes from the code lengths of the tokens chosen so
// far in the member, at its start from a longest-match parse (docs/lzh-codec.md, "Encoding").

#include "lzh/codec/match_finder.h"
#include "lzh/codec/method_params.h"

#include <cstdint>
#include <vector>

namespace lzh::codec {

class PriceParser {
public:
    // Match lengths the parse prices at once.
    static constexpr int kLengthChunk = 8;

    explicit PriceParser(const MethodParams& params);

    // Forgets the statistics: a new member starts.
    void reset();
    // tokens receives (length, distance) pairs in order; length 1 (distance 0) is a literal.
    // The matches at position i are matches[first[i]] .. matches[first[i + 1] - 1], longer and
    // farther each; a length between two of them takes the distance of the longer one. No token
    // reaches past count.
    void parse(const std::uint8_t* bytes, const Match* matches, const int* first, int count,
               std::vector<Match>& tokens);

private:
    void takeLongest(const Match* matches, const int* first, int count, std::vector<Match>& tokens);
    void choose(const std::uint8_t* bytes, const Match* matches, const int* first, int count,
                std::vector<Match>& tokens);
    void learn(const std::uint8_t* bytes, const std::vector<Match>& tokens);
    void updatePrices();

    const MethodParams m_params;
    bool m_learned = false; // the prices come from this member's tokens
    std::uint32_t m_litFreq[kNumLitSymbols];
    std::uint32_t m_posFreq[kMaxPosSymbols];
    // bits; lengths are offered a chunk at a time, so the last length's chunk reads past the end
    std::uint32_t m_litPrice[kNumLitSymbols + kLengthChunk] = {};
    std::uint32_t m_posPrice[kMaxPosSymbols] = {}; // bits, the class's extra bits included
    std::vector<std::uint32_t> m_cost;             // bits to reach each position
    // the token that reaches each position most cheaply, as length << 16 | distance: one word,
    // so the parse compares and stores several lengths at once
    std::vector<std::uint32_t> m_from;
};

} // namespace lzh::codec
