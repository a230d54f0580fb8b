// Streams whose bytes were made by other LHA programs.

#include "codec_test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

namespace lzh::test {
namespace {

// 1000 x 'a' as -lh5-, from a classic Unix archiver.
const Bytes kThousandA = {0x00, 0x05, 0x28, 0x04, 0x4B, 0xFC, 0x26, 0xEB, 0x76, 0x02, 0x40, 0x10, 0xC0};

TEST(CodecReference, DecodesTheThousandAStream)
{
    const Decoded decoded = decodeAll(Method::Lh5, kThousandA, 1000);
    ASSERT_TRUE(decoded.status.isOk()) << decoded.status.detail();
    EXPECT_TRUE(decoded.data == Bytes(1000, 'a'));
}

std::uint32_t le(const Bytes& b, std::size_t at, int size)
{
    std::uint32_t v = 0;
    for (int i = size - 1; i >= 0; --i)
        v = (v << 8) | b.at(at + static_cast<std::size_t>(i));
    return v;
}

bool methodOf(const Bytes& b, std::size_t at, Method& method)
{
    const std::string id(b.begin() + static_cast<std::ptrdiff_t>(at), b.begin() + static_cast<std::ptrdiff_t>(at + 5));
    const std::pair<const char*, Method> known[] = {{"-lh0-", Method::Lh0},
                                                    {"-lh5-", Method::Lh5},
                                                    {"-lh6-", Method::Lh6},
                                                    {"-lh7-", Method::Lh7},
                                                    {"-lhd-", Method::Lhd}};
    for (const auto& [name, m] : known)
        if (id == name) {
            method = m;
            return true;
        }
    return false;
}

// Every member of a level-2 archive from the classic Unix archiver decodes to its stored CRC.
void expectArchiveMembersDecode(const std::string& name, int expectedCompressed)
{
    std::ifstream file(std::string(FERNHOLD_LZH_SAMPLES_DIR) + "/" + name, std::ios::binary);
    if (!file)
        GTEST_SKIP() << "sample archives not found beside this source tree: " << FERNHOLD_LZH_SAMPLES_DIR;
    const Bytes archive((std::istreambuf_iterator<char>(file)), {});
    std::size_t at = 0;
    int compressed = 0;
    while (at < archive.size() && archive[at] != 0) {
        ASSERT_EQ(archive.at(at + 20), 2) << name << ": not a level-2 header";
        const std::size_t headerSize = le(archive, at, 2);
        const std::uint32_t packedSize = le(archive, at + 7, 4);
        const std::uint32_t originalSize = le(archive, at + 11, 4);
        const std::uint16_t crc = static_cast<std::uint16_t>(le(archive, at + 21, 2));
        Method method;
        ASSERT_TRUE(methodOf(archive, at + 2, method)) << name;
        const Bytes packed(archive.begin() + static_cast<std::ptrdiff_t>(at + headerSize),
                           archive.begin() + static_cast<std::ptrdiff_t>(at + headerSize + packedSize));
        const Decoded decoded = decodeAll(method, packed, originalSize, 1000);
        ASSERT_TRUE(decoded.status.isOk()) << name << ": " << decoded.status.detail();
        EXPECT_EQ(crc16(0, decoded.data.data(), decoded.data.size()), crc) << name;
        if (method != Method::Lh0 && method != Method::Lhd)
            ++compressed;
        at += headerSize + packedSize;
    }
    EXPECT_EQ(compressed, expectedCompressed) << name;
}

TEST(CodecReference, DecodesEveryMemberOfTheSampleArchives)
{
    expectArchiveMembersDecode("lha-l2-lh5.lzh", 5);
    expectArchiveMembersDecode("lha-l2-lh7.lzh", 5);
    expectArchiveMembersDecode("lha-l2-lh5-utf8names.lzh", 5);
}

} // namespace
} // namespace lzh::test
