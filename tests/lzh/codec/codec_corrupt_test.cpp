// Hand-built -lh5- streams with one faulty field each, and truncations: the decoder must answer
// Corrupt (or IoError/Cancelled where the outside failed). Random damage is the fuzzers' work.
// The read-only methods too: LArc's rings and their starting contents, -lhx-'s wider positions;
// whole real archives of each are the golden tests.

#include "codec_test_support.h"

#include "lzh/codec/bit_writer.h"

#include <gtest/gtest.h>

#include <fstream>

namespace lzh::test {
namespace {

// Builds a stream field by field, MSB first.
class StreamBuilder {
public:
    StreamBuilder& bits(std::uint32_t value, int n)
    {
        m_writer.put(value, n);
        return *this;
    }
    // A length in the 3-bit / unary form of the pre-tree and position tree.
    StreamBuilder& ptLength(int len)
    {
        if (len < 7)
            return bits(static_cast<std::uint32_t>(len), 3);
        bits(7, 3);
        for (int i = 7; i < len; ++i)
            bits(1, 1);
        return bits(0, 1);
    }
    Bytes finish()
    {
        m_writer.flushBits(true);
        return m_writer.bytes();
    }

private:
    codec::BitWriter m_writer;
};

Bytes bitsOf(std::initializer_list<std::pair<std::uint32_t, int>> fields)
{
    StreamBuilder s;
    for (const auto& [value, n] : fields)
        s.bits(value, n);
    return s.finish();
}

// The pieces of a valid block coding "abab" (or, with withMatch, "a" + a 3-byte match at
// distance 1 = "aaaa"); each field can be replaced to make one fault.
struct BlockFields {
    std::uint32_t tokenCount = 4;
    int preCount = 4; // pre-tree lengths sent: symbols 2 and 3 get length 1
    int preLength3 = 1;
    int preZeroRun = 0;
    bool extraPreSymbol = false; // also give symbol 4 length 1 (oversubscribed)
    int litCount = 99;
    std::uint32_t posCount = 0;  // constant position tree ...
    std::uint32_t posSymbol = 0; // ... of class 0 (distance 1)
    bool withMatch = false;
    bool matchFirst = false;
};
const BlockFields kWithMatch{.tokenCount = 2, .litCount = 257, .withMatch = true};

Bytes buildBlock(const BlockFields& f)
{
    StreamBuilder s;
    s.bits(f.tokenCount, 16);
    s.bits(static_cast<std::uint32_t>(f.preCount + (f.extraPreSymbol ? 1 : 0)), 5);
    s.ptLength(0).ptLength(0).ptLength(1).bits(static_cast<std::uint32_t>(f.preZeroRun), 2);
    s.ptLength(f.preLength3);
    if (f.extraPreSymbol)
        s.ptLength(1);
    // Pre-tree codes: symbol 2 = '0', symbol 3 = '1'.
    s.bits(static_cast<std::uint32_t>(f.litCount), 9);
    s.bits(0, 1).bits(97 - 20, 9); // zeros for symbols 0..96
    s.bits(1, 1);                  // 'a' gets length 1
    if (f.withMatch)
        s.bits(0, 1).bits(158 - 20, 9); // zeros for 98..255, then symbol 256 (length 3)
    s.bits(1, 1);                       // 'b' or symbol 256 gets length 1
    s.bits(f.posCount, 4).bits(f.posSymbol, 4);
    // Literal codes: 'a' = '0', second symbol = '1'.
    if (f.withMatch)
        s.bits(f.matchFirst ? 0b10 : 0b01, 2);
    else
        s.bits(0b0101, 4);
    return s.finish();
}

// 1000 x 'a' as -lh5-, written by a classic Unix archiver.
const Bytes kThousandA = {0x00, 0x05, 0x28, 0x04, 0x4B, 0xFC, 0x26, 0xEB, 0x76, 0x02, 0x40, 0x10, 0xC0};

base::ErrorCode decodeCode(const Bytes& packed, std::uint64_t originalSize, Method method = Method::Lh5)
{
    return decodeAll(method, packed, originalSize).status.code();
}

TEST(CodecCorrupt, RejectsFaultyTreeFields)
{
    // The valid baselines, one field from each faulty case below.
    expectDecodes(Method::Lh5, kThousandA, Bytes(1000, 'a'));
    expectDecodes(Method::Lh5, buildBlock({}), bytesOf("abab"));
    expectDecodes(Method::Lh5, buildBlock(kWithMatch), bytesOf("aaaa"));
    const struct {
        const char* detail; // the check that must catch it
        BlockFields fields;
    } cases[] = {
        {"no tokens", {.tokenCount = 0}},
        {"more lengths than symbols", {.preCount = 20}},
        {"above 16", {.preLength3 = 17}},
        {"incomplete", {.preLength3 = 2}},        // undersubscribed
        {"incomplete", {.extraPreSymbol = true}}, // oversubscribed
        {"zero run", {.preZeroRun = 2}},          // past the lengths sent
        {"more lengths than symbols", {.litCount = 511}},
        {"zero run", {.litCount = 50}},
        {"more lengths than symbols", {.posCount = 15}},
        {"out of range", {.posSymbol = 14}}, // constant position tree
    };
    for (const auto& c : cases) {
        const base::Status status = decodeAll(Method::Lh5, buildBlock(c.fields), 4).status;
        EXPECT_EQ(status.code(), base::ErrorCode::Corrupt) << c.detail;
        EXPECT_NE(status.detail().find(c.detail), std::string::npos) << c.detail << ": " << status.detail();
    }
    // Constant pre-tree of symbol 19; unused pre-tree, then a constant literal tree of symbol 510.
    EXPECT_EQ(decodeCode(StreamBuilder().bits(1, 16).bits(0, 5).bits(19, 5).bits(0, 32).finish(), 1),
              base::ErrorCode::Corrupt);
    EXPECT_EQ(decodeCode(StreamBuilder().bits(1, 16).bits(0, 10).bits(0, 9).bits(510, 9).bits(0, 32).finish(), 1),
              base::ErrorCode::Corrupt);
}

// -lh4- (4 KiB window): 'a', matches of 256 at distance 1 up to 4353 bytes, then one match of 256
// at the distance that position class posClass and its extra bits give.
Bytes farMatch(int posClass, std::uint32_t extra)
{
    StreamBuilder t;
    t.bits(19, 16);
    t.bits(4, 5).ptLength(0).ptLength(0).ptLength(1).bits(0, 2).ptLength(1);
    t.bits(510, 9).bits(0, 1).bits(97 - 20, 9).bits(1, 1).bits(0, 1).bits(411 - 20, 9).bits(1, 1);
    t.bits(static_cast<std::uint32_t>(posClass + 1), 4).ptLength(1);
    for (int k = 1; k < posClass; ++k)
        t.ptLength(0);
    t.ptLength(1);
    t.bits(0, 1); // 'a'
    for (int i = 0; i < 17; ++i)
        t.bits(1, 1).bits(0, 1); // length 256, class 0 (distance 1)
    t.bits(1, 1).bits(1, 1).bits(extra, posClass - 1);
    return t.finish();
}

TEST(CodecCorrupt, TakesMatchesWithinTheWindowAndTheDataOnly)
{
    const Bytes all(1 + 18 * 256, 'a');
    expectDecodes(Method::Lh4, farMatch(12, 0x7FF), all); // distance 4096, the whole window
    EXPECT_EQ(decodeCode(farMatch(13, 0), all.size(), Method::Lh4), base::ErrorCode::Corrupt); // 4097
    expectDecodes(Method::Lh5, farMatch(13, 0), all); // the same stream in -lh5-'s 8 KiB window
    // A match before the first byte, or one running past the stated size.
    BlockFields f = kWithMatch;
    f.matchFirst = true;
    EXPECT_EQ(decodeCode(buildBlock(f), 4), base::ErrorCode::Corrupt);
    EXPECT_EQ(decodeCode(buildBlock(kWithMatch), 3), base::ErrorCode::Corrupt);
}

TEST(CodecCorrupt, EveryTruncationFailsAndNothingPastPackedSizeIsRead)
{
    const Bytes text = textLike(1000, 21);
    const std::pair<Bytes, Bytes> streams[] = {
        {Bytes(1000, 'a'), kThousandA},
        {text, encodeAll(Method::Lh5, Effort::Normal, text)},
    };
    for (const auto& [original, packed] : streams) {
        // The source holds the whole stream and more, but the decoder is told only `cut` bytes.
        Bytes withTail = packed;
        withTail.insert(withTail.end(), 64, 0xFF);
        for (std::size_t cut = 0; cut < packed.size(); ++cut) {
            std::size_t offset = 0;
            const base::Status status = Decoder(Method::Lh5)
                                            .decode(sourceOver(withTail, offset, 5), cut, original.size(),
                                                    [](const std::uint8_t*, std::size_t) { return true; });
            EXPECT_EQ(status.code(), base::ErrorCode::Corrupt) << "cut at " << cut;
            EXPECT_LE(offset, cut);
        }
    }
}

TEST(CodecCorrupt, ReportsReadErrorsAndStoppedOutput)
{
    const Bytes text = textLike(5000, 8);
    const Bytes packed = encodeAll(Method::Lh6, Effort::Fast, text);
    const ByteSink ignore = [](const std::uint8_t*, std::size_t) { return true; };
    const ByteSink refuse = [](const std::uint8_t*, std::size_t) { return false; };
    const ByteSource failing = [](std::uint8_t*, std::size_t) -> std::ptrdiff_t { return -1; };
    std::size_t offset = 0;
    EXPECT_EQ(Decoder(Method::Lh6).decode(failing, packed.size(), text.size(), ignore).code(),
              base::ErrorCode::IoError);
    EXPECT_EQ(Decoder(Method::Lh6).decode(sourceOver(packed, offset), packed.size(), text.size(), refuse).code(),
              base::ErrorCode::Cancelled);
    // Stored data shorter than its stated size, or than the packed size its source was given.
    offset = 0;
    EXPECT_EQ(Decoder(Method::Lh0).decode(sourceOver(text, offset), text.size() - 1, text.size(), ignore).code(),
              base::ErrorCode::Corrupt);
    offset = 0;
    EXPECT_EQ(Decoder(Method::Lh0).decode(sourceOver(text, offset), 6000, 6000, ignore).code(),
              base::ErrorCode::Corrupt);
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
