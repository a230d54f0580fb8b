// The source record's encoding: every value comes back, and a payload cut short, run long or
// holding an endless number is ignored rather than misread; the SHA-256 its digests come from.

#include "lzh/archive/archive_test_support.h"
#include "lzh/member_record.h"
#include "lzh/sha256.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <string>

namespace lzh {
namespace {

MemberRecord record(std::int64_t modified, std::int64_t changed, std::uint64_t big)
{
    MemberRecord r;
    r.packing = 0x0105;
    r.settled = true;
    r.size = big;
    r.modified = modified;
    r.changed = changed;
    r.device = big;
    r.number = big / 3;
    r.content.fill(0xA5);
    r.packed.fill(0x5A);
    return r;
}

TEST(MemberRecord, ComesBackWholeAndIgnoresAnyOtherPayload)
{
    constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
    constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
    const MemberRecord records[] = {
        record(1768478400'000000000, 1768478400'000000000, 20000),    // written in place
        record(1768478400'000000000, 0, 0),                           // no change time kept
        record(1796674919'454485382, 1768478400'000000000, 1u << 31), // change time before
        record(kMin, kMax, std::numeric_limits<std::uint64_t>::max()),
    };
    for (const MemberRecord& r : records) {
        const std::string payload = encodeRecord(r);
        EXPECT_EQ(decodeRecord(payload), r);
        MemberRecord otherDigests = r;
        otherDigests.content.fill(0);
        EXPECT_EQ(encodeRecord(otherDigests).size(), payload.size()); // rewritten in place
        for (std::size_t cut = 0; cut < payload.size(); ++cut)
            EXPECT_FALSE(decodeRecord(payload.substr(0, cut))) << cut;
        EXPECT_FALSE(decodeRecord(payload + '\0'));
    }
    std::string endless = encodeRecord(records[0]);
    endless.replace(4, 3, std::string(11, '\x80')); // the size's number never ends
    EXPECT_FALSE(decodeRecord(endless));
}

std::string digestOf(const std::string& text, Sha256::Engine engine, std::size_t piece)
{
    Sha256 hash(engine);
    for (std::size_t i = 0; i < text.size(); i += piece)
        hash.update(text.data() + i, std::min(piece, text.size() - i));
    return test::hexOf(hash.finish());
}

TEST(Sha256, BothEnginesGiveTheStandardVectorsAndAgreeInPiecesOfAnySize)
{
    const struct {
        std::string text;
        const char* digest;
    } cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrs"
         "mnopqrstnopqrstu",
         "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const auto& c : cases)
        for (auto engine : {Sha256::Engine::Fastest, Sha256::Engine::Portable})
            for (std::size_t piece : {1, 55, 64, 65, 1000000})
                EXPECT_EQ(digestOf(c.text, engine, piece), c.digest) << c.text.size() << " bytes, piece " << piece;
    // Every length around the block size, where the padding changes shape.
    std::mt19937 random(7);
    std::string text;
    for (int length = 0; length < 300; ++length, text += static_cast<char>(random()))
        EXPECT_EQ(digestOf(text, Sha256::Engine::Fastest, 300), digestOf(text, Sha256::Engine::Portable, 7)) << length;
}

} // namespace
} // namespace lzh
