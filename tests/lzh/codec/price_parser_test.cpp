// The priced parse covers its stretch exactly, with matches no longer than those found.

#include "lzh/codec/price_parser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lzh::codec {
namespace {

TEST(PriceParser, CoversTheStretchExactlyWithOnlyTheOfferedMatchesOrShorter)
{
    const std::string text = "abcdefgh abcdefgh abcdefgh xyz abcdefgh";
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const int count = static_cast<int>(text.size());
    std::vector<Match> matches(text.size());
    matches[9] = {17, 9};  // "abcdefgh abcdefgh" again, reaching "xyz"
    matches[31] = {8, 31}; // the last "abcdefgh", cut by the end of the stretch
    matches[35] = {12, 4}; // longer than what is left: must be shortened
    MethodParams params{};
    methodParams(Method::Lh7, params);
    PriceParser parser(params);
    std::vector<int> first(text.size() + 1);
    for (std::size_t i = 0; i < text.size(); ++i)
        first[i + 1] = first[i] + (matches[i].length > 0 ? 1 : 0);
    std::vector<Match> offered;
    for (const Match& match : matches)
        if (match.length > 0)
            offered.push_back(match);
    std::vector<Match> tokens;
    parser.parse(bytes, offered.data(), first.data(), count, tokens);
    int at = 0;
    bool tookRepeat = false; // the long repeat is cheaper as a match than as 17 literals
    for (const Match& token : tokens) {
        ASSERT_GE(token.length, 1);
        tookRepeat = tookRepeat || (at == 9 && token.length == 17);
        if (token.length > 1) {
            EXPECT_GE(token.length, kMinMatch);
            const Match& given = matches[static_cast<std::size_t>(at)];
            EXPECT_LE(token.length, given.length);
            EXPECT_EQ(token.distance, given.distance);
        }
        at += token.length;
    }
    EXPECT_EQ(at, count);
    EXPECT_TRUE(tookRepeat);
}

} // namespace
} // namespace lzh::codec
