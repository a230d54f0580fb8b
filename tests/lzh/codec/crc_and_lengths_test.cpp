// The CRC in pieces of any size and joined from parts, and code lengths for skewed frequencies:
// limited to 16 bits and still complete, so that every reader (and our own table builder) accepts
// them.

#include "codec_test_support.h"

#include "lzh/codec/huffman_builder.h"
#include "lzh/codec/huffman_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

namespace lzh::test {
namespace {

TEST(Crc16, MatchesTheKnownValuesAndContinuesAcrossPiecesOfAnySize)
{
    EXPECT_EQ(crc16(0, bytesOf("123456789").data(), 9), 0xBB3D);
    const Bytes data = randomBytes(1000, 4);
    // The plain bitwise definition, as the reference.
    std::uint16_t expected = 0;
    for (std::uint8_t b : data) {
        expected ^= b;
        for (int i = 0; i < 8; ++i)
            expected = static_cast<std::uint16_t>((expected >> 1) ^ ((expected & 1) ? 0xA001 : 0));
    }
    for (std::size_t piece : {1, 3, 7, 8, 9, 15, 16, 17, 64, 1000}) {
        std::uint16_t crc = 0;
        for (std::size_t i = 0; i < data.size(); i += piece)
            crc = crc16(crc, data.data() + i, std::min(piece, data.size() - i));
        EXPECT_EQ(crc, expected) << "piece " << piece;
    }
    // Two pieces' CRCs give the CRC of both, as when a large file is packed in parts.
    for (std::size_t split : {0, 1, 7, 8, 500, 999, 1000}) {
        const std::uint16_t first = crc16(0, data.data(), split);
        const std::uint16_t second = crc16(0, data.data() + split, data.size() - split);
        EXPECT_EQ(crc16Combine(first, second, data.size() - split), expected) << "split " << split;
    }
}

TEST(HuffmanBuilder, FibonacciFrequenciesAreLimitedTo16BitsAndStayComplete)
{
    std::uint32_t freqs[510] = {};
    std::uint32_t a = 1, b = 1;
    for (int s = 0; s < 30; ++s) {
        freqs[s * 17] = a; // spread over the alphabet, with unused symbols between
        b = std::exchange(a, b) + b;
    }
    std::uint8_t lengths[510];
    EXPECT_EQ(codec::buildCodeLengths(freqs, 510, 16, lengths), 30);
    EXPECT_EQ(*std::max_element(lengths, lengths + 510), 16);
    std::uint32_t kraft = 0;
    for (const std::uint8_t length : lengths)
        kraft += length == 0 ? 0 : std::uint32_t{1} << (16 - length);
    EXPECT_EQ(kraft, 1u << 16);
    codec::HuffmanTable table(510, 11);
    EXPECT_TRUE(table.build(lengths, 510));
}

} // namespace
} // namespace lzh::test
