// Code lengths for skewed frequencies: limited to 16 bits and still complete, so that every
// reader (and our own table builder) accepts them.

#include "codec_test_support.h"

#include "lzh/codec/huffman_builder.h"
#include "lzh/codec/huffman_table.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace lzh::test {
namespace {

std::uint32_t kraftSum(const std::uint8_t* lengths, int count)
{
    std::uint32_t sum = 0;
    for (int s = 0; s < count; ++s)
        if (lengths[s] != 0)
            sum += std::uint32_t{1} << (16 - lengths[s]);
    return sum;
}

TEST(HuffmanBuilder, FibonacciFrequenciesAreLimitedTo16BitsAndStayComplete)
{
    std::uint32_t freqs[510] = {};
    std::uint32_t a = 1, b = 1;
    for (int s = 0; s < 30; ++s) {
        freqs[s * 17] = a; // spread over the alphabet, with unused symbols between
        const std::uint32_t next = a + b;
        a = b;
        b = next;
    }
    std::uint8_t lengths[510];
    EXPECT_EQ(codec::buildCodeLengths(freqs, 510, 16, lengths), 30);
    EXPECT_EQ(*std::max_element(lengths, lengths + 510), 16);
    EXPECT_EQ(kraftSum(lengths, 510), 1u << 16);
    codec::HuffmanTable table(510, 11);
    EXPECT_TRUE(table.build(lengths, 510));
}

} // namespace
} // namespace lzh::test
