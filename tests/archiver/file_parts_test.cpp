// A large file packed in parts: the checks that keep a file changed while it is read from being
// joined into a member that decodes wrong.

#include "archiver/file_parts.h"
#include "lzh/archive/archive_test_support.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace archiver {
namespace {
namespace test = lzh::test;
namespace fs = std::filesystem;

struct PartPacker {
    std::string path;
    std::string scratchBeside;
    std::atomic<bool> giveUp{false};
    std::atomic<std::uint64_t> consumed{0};
    lzh::Encoder encoder{lzh::Method::Lh7};
    std::vector<std::uint8_t> buffer = std::vector<std::uint8_t>(512 * 1024);

    PackedFilePart pack(const FilePart& part)
    {
        PackedFilePart result = packPart(part, encoder, buffer, {path, scratchBeside, giveUp, consumed});
        if (result.packed.rest)
            std::fclose(result.packed.rest);
        return result;
    }
};

TEST(LzhFileParts, PlansPartsThatCoverTheFileAndNoticeItChanging)
{
    EXPECT_EQ(planParts(1'500'000).size(), 1u);
    const std::vector<FilePart> parts = planParts(3'500'000);
    ASSERT_EQ(parts.size(), 3u);
    std::uint64_t covered = 0;
    for (const FilePart& part : parts) {
        EXPECT_EQ(part.offset, covered);
        covered += part.size;
        EXPECT_EQ(part.last, &part == &parts.back());
    }
    EXPECT_EQ(covered, 3'500'000u);

    test::TempFolder folder;
    std::string text;
    for (int i = 0; text.size() < 3'500'000; ++i)
        text += "line " + std::to_string(i % 5000) + "\n";
    text.resize(3'500'000);
    PartPacker packer;
    packer.path = folder / "big.txt";
    packer.scratchBeside = folder / "x.lzh";
    test::writeFile(packer.path, text);

    const PackedFilePart first = packer.pack(parts[0]);
    const PackedFilePart second = packer.pack(parts[1]);
    ASSERT_EQ(first.outcome, PackedFilePart::Outcome::Packed);
    ASSERT_EQ(second.outcome, PackedFilePart::Outcome::Packed);
    EXPECT_EQ(second.historyCrc, first.tailCrc);
    EXPECT_EQ(lzh::crc16Combine(first.crc, second.crc, second.read),
              lzh::crc16(0, reinterpret_cast<const std::uint8_t*>(text.data()), parts[0].size + parts[1].size));
    EXPECT_EQ(packer.consumed, parts[0].size + parts[1].size);

    // Rewritten just before the cut after the first part was read: the second part's history no
    // longer matches what the first one packed.
    text[parts[1].offset - 10] = '#';
    test::writeFile(packer.path, text);
    EXPECT_NE(packer.pack(parts[1]).historyCrc, first.tailCrc);

    // Cut short: a part before the last finds less than planned.
    test::writeFile(packer.path, text.substr(0, parts[1].offset + 1000));
    EXPECT_EQ(packer.pack(parts[1]).outcome, PackedFilePart::Outcome::Changed);
    EXPECT_EQ(packer.pack(parts[2]).outcome, PackedFilePart::Outcome::Changed);
}

} // namespace
} // namespace archiver
