// The source record's encoding: every value comes back, and a payload cut short, run long or
// holding an endless number is ignored rather than misread.

#include "lzh/member_record.h"

#include <gtest/gtest.h>

#include <limits>

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

} // namespace
} // namespace lzh
