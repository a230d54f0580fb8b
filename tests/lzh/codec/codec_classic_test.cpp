// The read-only methods: LArc's rings and their starting contents, -lhx-'s wider positions, and
// streams cut short. Whole real archives of each are the golden tests.

#include "codec_test_support.h"

#include "lzh/codec/bit_writer.h"

#include <gtest/gtest.h>

#include <fstream>

namespace lzh::test {
namespace {

Bytes bitsOf(std::initializer_list<std::pair<std::uint32_t, int>> fields)
{
    codec::BitWriter writer;
    for (const auto& [value, n] : fields)
        writer.put(value, n);
    writer.flushBits(true);
    return writer.bytes();
}

// -lzs-: five spaces copied from the ring's start, 'x', then 'x' copied over itself: the write
// position starts at 2048 - 17 = 2031, so 'x' lies at 2036.
const Bytes kLzs = bitsOf({{0, 1}, {0, 11}, {3, 4}, {1, 1}, {'x', 8}, {0, 1}, {2036, 11}, {1, 4}});
// -lz5-: flags 0b00010 (match, literal, three matches); "AAA" from the run of 'A's at 13 * 65,
// 'z', "abc" from the rising values at 3328 + 97, "zab" from where 'z' went (4096 - 18 + 3), three
// zeros wrapping from 4095 to the ring's start.
const Bytes kLz5 = {0x02, 0x4D, 0x30, 'z', 0x61, 0xD0, 0xF1, 0xF0, 0xFF, 0xF0};

// config.ini of the real -lh1- sample: 1396 packed bytes at 7068, 5658 bytes unpacked.
Bytes lh1Sample()
{
    std::ifstream in(FERNHOLD_TEST_DATA_DIR "/lzh/lha-unix/lha-l0-lh1-sample.lzh", std::ios::binary);
    Bytes packed(1396);
    in.seekg(7068).read(reinterpret_cast<char*>(packed.data()), 1396);
    return packed;
}

TEST(CodecClassic, LarcStreamsCopyFromTheirStartingRings)
{
    expectDecodes(Method::Lzs, kLzs, bytesOf("     xxxx"));
    expectDecodes(Method::Lz5, kLz5, Bytes{'A', 'A', 'A', 'z', 'a', 'b', 'c', 'z', 'a', 'b', 0, 0, 0});
}

TEST(CodecClassic, LhxReadsTheLh7FormatWithPositionsUpToItsWindow)
{
    const Bytes text = textLike(70'000, 3);
    expectDecodes(Method::Lhx, encodeAll(Method::Lh7, Effort::Fast, text), text);
    // One block, one token: a constant literal tree of the 3-byte match, a constant position tree
    // of the given class. -lhx- has classes 0..19, -lh7- 0..16.
    const auto oneMatch = [](std::uint32_t posClass) {
        return bitsOf({{1, 16}, {0, 10}, {0, 9}, {256, 9}, {0, 5}, {posClass, 5}, {0, 32}});
    };
    const struct {
        Method method;
        std::uint32_t posClass;
        const char* detail;
    } cases[] = {
        {Method::Lhx, 20, "out of range"}, {Method::Lhx, 19, "before the start"}, {Method::Lh7, 17, "out of range"}};
    for (const auto& c : cases) {
        const base::Status status = decodeAll(c.method, oneMatch(c.posClass), 3).status;
        EXPECT_NE(status.detail().find(c.detail), std::string::npos) << c.posClass << ": " << status.detail();
    }
}

TEST(CodecClassic, CutOrOverlongStreamsAreCorrupt)
{
    const Bytes lh1 = lh1Sample();
    ASSERT_TRUE(decodeAll(Method::Lh1, lh1, 5658).status.ok());
    const struct {
        Method method;
        Bytes packed;
        std::uint64_t originalSize;
        std::uint64_t endsInsideAMatch; // a smaller stated size that a match runs past; 0: none known
    } streams[] = {{Method::Lzs, kLzs, 9, 7}, {Method::Lz5, kLz5, 13, 1}, {Method::Lh1, lh1, 5658, 0}};
    for (const auto& s : streams) {
        for (std::size_t cut = 0; cut < s.packed.size(); cut += 1 + s.packed.size() / 64) {
            const Bytes head(s.packed.begin(), s.packed.begin() + static_cast<std::ptrdiff_t>(cut));
            EXPECT_EQ(decodeAll(s.method, head, s.originalSize).status.code(), base::ErrorCode::Corrupt)
                << static_cast<int>(s.method) << " cut at " << cut;
        }
        if (s.endsInsideAMatch != 0) {
            EXPECT_EQ(decodeAll(s.method, s.packed, s.endsInsideAMatch).status.code(), base::ErrorCode::Corrupt);
        }
    }
}

} // namespace
} // namespace lzh::test
