#include "codec_test_support.h"

#include <gtest/gtest.h>

namespace lzh::test {
namespace {

std::uint16_t crcOf(const Bytes& data)
{
    return crc16(0, data.data(), data.size());
}

TEST(Crc16, MatchesTheKnownValuesAndContinuesAcrossPiecesOfAnySize)
{
    EXPECT_EQ(crcOf(bytesOf("123456789")), 0xBB3D);
    EXPECT_EQ(crcOf(bytesOf("hello")), 0x34D2);
    EXPECT_EQ(crcOf({}), 0x0000);
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

} // namespace
} // namespace lzh::test
