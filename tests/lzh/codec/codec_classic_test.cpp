// The read-only methods: LArc's rings and their starting contents, -lhx-'s wider positions, and
// -lh1- streams cut short or damaged. Whole real archives of each are the golden tests.

#include "codec_test_support.h"

#include "lzh/codec/bit_writer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

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

// The data of the first -lh1- member of the real sample whose name ends in name.
Bytes lh1MemberOf(const std::string& name, std::uint64_t& originalSize)
{
    std::ifstream in(FERNHOLD_TEST_DATA_DIR "/lzh/lha-unix/lha-l0-lh1-sample.lzh", std::ios::binary);
    const Bytes archive{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const auto u32 = [&](std::size_t at) {
        return archive[at] | archive[at + 1] << 8 | archive[at + 2] << 16 | std::uint32_t{archive[at + 3]} << 24;
    };
    for (std::size_t at = 0; at + 22 < archive.size() && archive[at] != 0;) {
        const std::size_t dataAt = at + archive[at] + 2;
        const std::uint32_t packed = u32(at + 7);
        const std::string field(archive.begin() + at + 22, archive.begin() + at + 22 + archive[at + 21]);
        if (field.ends_with(name)) {
            originalSize = u32(at + 11);
            return Bytes(archive.begin() + dataAt, archive.begin() + dataAt + packed);
        }
        at = dataAt + packed;
    }
    ADD_FAILURE() << name << " not in the sample";
    return {};
}

TEST(CodecClassic, LarcStreamsCopyFromTheirStartingRings)
{
    expectDecodes(Method::Lzs, kLzs, bytesOf("     xxxx"));
    expectDecodes(Method::Lz5, kLz5, Bytes{'A', 'A', 'A', 'z', 'a', 'b', 'c', 'z', 'a', 'b', 0, 0, 0});
    std::uint64_t size = 0;
    const Bytes spaces = lh1MemberOf("spaces.txt", size);
    const Decoded lh1 = decodeAll(Method::Lh1, spaces, size);
    ASSERT_TRUE(lh1.status.ok()) << lh1.status.detail();
    EXPECT_TRUE(Bytes(lh1.data.begin(), lh1.data.begin() + 5000) == Bytes(5000, ' '));
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
        {Method::Lhx, 20, "out of range"},
        {Method::Lhx, 19, "before the start"},
        {Method::Lh7, 17, "out of range"},
    };
    for (const auto& c : cases) {
        const base::Status status = decodeAll(c.method, oneMatch(c.posClass), 3).status;
        EXPECT_NE(status.detail().find(c.detail), std::string::npos) << c.posClass << ": " << status.detail();
    }
}

TEST(CodecClassic, CutOrOverlongStreamsAreCorrupt)
{
    std::uint64_t iniSize = 0;
    const Bytes ini = lh1MemberOf("config.ini", iniSize);
    const struct {
        Method method;
        Bytes packed;
        std::uint64_t originalSize;
        std::uint64_t endsInsideAMatch; // a smaller stated size that a match runs past; 0: none known
    } streams[] = {{Method::Lzs, kLzs, 9, 7}, {Method::Lz5, kLz5, 13, 1}, {Method::Lh1, ini, iniSize, 0}};
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
    // Damage anywhere in an adaptive stream ends in a clean answer, never a fault.
    for (std::size_t i = 0; i < ini.size(); i += 7) {
        Bytes damaged = ini;
        damaged[i] ^= static_cast<std::uint8_t>(1 << (i % 8));
        const Decoded decoded = decodeAll(Method::Lh1, damaged, iniSize);
        EXPECT_TRUE(decoded.status.ok() || decoded.status.code() == base::ErrorCode::Corrupt);
    }
}

} // namespace
} // namespace lzh::test
