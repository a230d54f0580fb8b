// Damaged and hostile archives: a clear error for the member or the archive, never a crash, a
// read out of bounds, an endless loop, or a file outside the target.

#include "archiver/extractor.h"
#include "archiver/packer.h"
#include "lzh/archive/archive_builder.h"
#include "lzh/archive/archive_test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace archiver {
namespace {
namespace test = lzh::test;
namespace fs = std::filesystem;

// Lists, tests and extracts; then checks that only the target folder was written to and that
// no partial file was left behind.
void survive(const std::string& archiveBytes)
{
    test::TempFolder folder;
    test::writeFile(folder / "a.lzh", archiveBytes);
    listArchive(folder / "a.lzh", [](const lzh::MemberInfo&) {});
    testArchive(folder / "a.lzh", {});
    extractArchive(folder / "a.lzh", folder / "in/out", {});
    for (const auto& [path, content] : test::treeOf(folder.path())) {
        EXPECT_TRUE(path == "a.lzh" || path == "in/" || path.rfind("in/out/", 0) == 0) << path;
        EXPECT_EQ(path.find(".fernhold-part"), std::string::npos) << path;
    }
}

std::string smallArchive()
{
    test::TempFolder folder;
    test::writeFile(folder.path() / "src" / "a.txt", "alpha alpha alpha alpha alpha alpha");
    test::writeFile(folder.path() / "src" / "sub" / test::u8path("表.txt"), "b");
    fs::create_directories(folder.path() / "src" / "empty");
    EXPECT_TRUE(packFolder(folder / "x.lzh", folder / "src", {}, {}).archiveStatus.ok());
    return test::readFile(folder / "x.lzh");
}

TEST(LzhHostile, SurvivesTruncationAndAFlippedBitAtEveryByte)
{
    const std::string archive = smallArchive();
    for (std::size_t i = 0; i < archive.size(); ++i) {
        SCOPED_TRACE(i);
        survive(archive.substr(0, i));
        std::string damaged = archive;
        damaged[i] = static_cast<char>(damaged[i] ^ (1 << (i % 8)));
        survive(damaged);
    }
}

TEST(LzhHostile, ReportsEveryKindOfDamageAsCorrupt)
{
    const std::string archive = smallArchive();
    // Cut inside a header, inside data, and at each member boundary: there only the missing end
    // mark tells a test that members are gone.
    std::vector<std::size_t> lengths = {0, 5, 30, archive.size() - 3, archive.size() - 1};
    {
        test::TempFolder folder;
        test::writeFile(folder / "a.lzh", archive);
        listArchive(folder / "a.lzh", [&](const lzh::MemberInfo& member) { lengths.push_back(member.headerOffset); });
    }
    for (const std::size_t length : lengths) {
        test::TempFolder folder;
        test::writeFile(folder / "a.lzh", archive.substr(0, length));
        EXPECT_EQ(testArchive(folder / "a.lzh", {}).archiveStatus.code(), base::ErrorCode::Corrupt) << length;
    }
    // Other readers take an archive without the mark, and so do listing and extraction.
    test::TempFolder folder;
    test::writeFile(folder / "a.lzh", archive.substr(0, archive.size() - 1));
    EXPECT_TRUE(listArchive(folder / "a.lzh", [](const lzh::MemberInfo&) {}).archiveStatus.ok());
    EXPECT_TRUE(extractArchive(folder / "a.lzh", folder / "out", {}).archiveStatus.ok());
}

} // namespace
} // namespace archiver
