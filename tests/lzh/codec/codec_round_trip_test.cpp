// Seeded round trips through our encoder and decoder, around window and block boundaries; the
// CRC in pieces and joined from parts, and code lengths for skewed frequencies: limited to 16 bits
// and still complete, so that every reader (and our own table builder) accepts them.

#include "codec_test_support.h"

#include "lzh/codec/bit_joiner.h"
#include "lzh/codec/huffman_builder.h"
#include "lzh/codec/huffman_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

namespace lzh::test {
namespace {

const Method kCompressed[] = {Method::Lh5, Method::Lh6, Method::Lh7};
const Effort kEfforts[] = {Effort::Fast, Effort::Normal, Effort::Best};

void expectRoundTrip(Method method, Effort effort, const Bytes& data)
{
    expectDecodes(method, encodeAll(method, effort, data), data);
}

// Small inputs of every shape, and text across many blocks and windows.
TEST(CodecRoundTrip, InputsOfEveryShapeAndSizeSurvive)
{
    const Bytes cases[] = {bytesOf("X"),        bytesOf("ab"),         bytesOf("abc"),
                           bytesOf("hello"),    bytesOf("aaaaaaaaaa"), bytesOf("abcabcabcabcabcabcabc"),
                           Bytes(1000, 'a'),    Bytes(70000, 0),       randomBytes(300, 1),
                           textLike(700'000, 7)};
    for (Method method : kCompressed)
        for (Effort effort : kEfforts)
            for (const Bytes& data : cases)
                expectRoundTrip(method, effort, data);
    // Stored data passes through unchanged.
    EXPECT_TRUE(encodeAll(Method::Lh0, Effort::Fast, cases[5]) == cases[5]);
    expectRoundTrip(Method::Lh0, Effort::Fast, cases[5]);
}

// A member ending in a far 3-byte repeat, after one that leaves 'Q's past its end: the encoder's
// look past the data must not see them, or the same file packs differently.
TEST(CodecRoundTrip, ResetStartsAFreshMemberWithAnEmptyWindow)
{
    Encoder encoder(Method::Lh6, Effort::Normal);
    Bytes farRepeat = bytesOf("xyzQ");
    const Bytes noise = randomBytes(5000, 9);
    farRepeat.insert(farRepeat.end(), noise.begin(), noise.end());
    farRepeat.insert(farRepeat.end(), {'x', 'y', 'z'});
    encodeAll(encoder, Bytes(100'000, 'Q'));
    encoder.reset();
    const Bytes packed = encodeAll(encoder, farRepeat);
    EXPECT_TRUE(packed == encodeAll(Method::Lh6, Effort::Normal, farRepeat));
    expectDecodes(Method::Lh6, packed, farRepeat);
}

TEST(CodecRoundTrip, PartsPackedAfterTheirHistoryJoinIntoOneStream)
{
    // Text and noise, so parts end at every bit offset and matches reach back across the cuts.
    Bytes data = textLike(300'000, 4);
    const Bytes noise = randomBytes(3001, 6);
    data.insert(data.begin() + 100'000, noise.begin(), noise.end());
    for (Method method : kCompressed) {
        for (Effort effort : kEfforts) {
            Encoder encoder(method, effort);
            codec::BitJoiner joiner;
            Bytes joined;
            const std::size_t cuts[] = {0, 70'001, 140'000, 140'013, 250'000, data.size()};
            for (std::size_t k = 0; k + 1 < std::size(cuts); ++k) {
                encoder.resetAfter(data.data(), cuts[k]);
                Bytes part = encodeAll(encoder, Bytes(data.begin() + cuts[k], data.begin() + cuts[k + 1]));
                joiner.startStream(encoder.compressedBits());
                part.resize(joiner.join(part.data(), part.size()));
                joined.insert(joined.end(), part.begin(), part.end());
            }
            std::uint8_t last = 0;
            if (joiner.finish(last))
                joined.push_back(last);
            // Matches reach back across the cuts, so little is lost against one stream.
            EXPECT_LT(joined.size(), encodeAll(method, effort, data).size() * 101 / 100);
            expectDecodes(method, joined, data);
        }
    }
}

TEST(CodecRoundTrip, ThousandsOfMembersThroughOneEncoderStayIndependent)
{
    // Each member moves the encoder's positions on by a window; this many wrap them round once.
    // Best keeps its own tables (binary trees), so both kinds are taken round.
    for (Effort effort : {Effort::Fast, Effort::Best}) {
        Encoder encoder(Method::Lh7, effort);
        const Bytes data = bytesOf("one small file, one small file, one small file");
        const Bytes expected = encodeAll(Method::Lh7, effort, data);
        const ByteSink ignore = [](const std::uint8_t*, std::size_t) { return true; };
        for (int member = 0; member < 40'000; ++member) {
            encoder.reset();
            if (member % 1000 != 0) {
                ASSERT_TRUE(encoder.finish(ignore).ok()); // an empty member
                continue;
            }
            const Bytes packed = encodeAll(encoder, data);
            ASSERT_TRUE(packed == expected) << "member " << member << " differs";
        }
    }
}

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
