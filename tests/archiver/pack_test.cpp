// Packing a folder: add onto an archive, replace it atomically, skip what cannot be read.

#include "archiver/extractor.h"
#include "archiver/packer.h"
#include "lzh/archive/archive_test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace archiver {
namespace {
namespace test = lzh::test;
namespace fs = std::filesystem;

RunSummary pack(const std::string& archive, const std::string& folder, PackSettings settings = {}, RunHooks hooks = {})
{
    return packFolder(archive, folder, settings, hooks);
}

std::map<std::string, std::string> unpacked(const test::TempFolder& folder, const std::string& archive)
{
    const fs::path out = folder.path() / "unpacked";
    fs::remove_all(out);
    const RunSummary summary = extractArchive(archive, out.string(), {});
    EXPECT_TRUE(summary.archiveStatus.ok()) << summary.archiveStatus.detail();
    EXPECT_EQ(summary.failedMembers, 0);
    return test::treeOf(out);
}

std::map<std::string, std::string> methodsOf(const std::string& archive)
{
    std::map<std::string, std::string> methods;
    listArchive(archive, [&](const lzh::MemberInfo& m) { methods[m.path] = m.methodId; });
    return methods;
}

TEST(LzhPack, RoundTripsAVariedTree)
{
    test::TempFolder folder;
    const fs::path src = folder.path() / "src";
    test::writeFile(src / "empty.txt", "");
    test::writeFile(src / "a" / "b" / "c" / "deep.txt", "deep");
    test::writeFile(src / test::u8path("ソフト/表計算 1.txt"), "Japanese with 0x5C in CP932");
    test::writeFile(src / test::u8path("emoji 😀.txt"), "a name CP932 cannot hold");
    // Look-alikes whose CP932 bytes read back as the other one: both must come back as they were.
    for (const char* name : {"〜", "−", "—", "‖", "¢", "£", "¬", "4月〜6月.txt", "4月～6月.txt"})
        test::writeFile(src / "look-alikes" / test::u8path(name), name);
    test::writeFile(src / "random.bin", test::randomBytes(65537, 1));
    test::writeFile(src / "repeat.txt", std::string(70000, 'z'));
    fs::create_directories(src / "empty folder");
#ifndef _WIN32
    fs::create_symlink("a/b/c/deep.txt", src / "link");
#endif
    const RunSummary summary = pack(folder / "x.lzh", src.string());
    ASSERT_TRUE(summary.archiveStatus.ok()) << summary.archiveStatus.detail();
    EXPECT_EQ(summary.failedMembers, 0);
    EXPECT_EQ(unpacked(folder, folder / "x.lzh"), test::treeOf(src));
}

TEST(LzhPack, PacksLargeFilesByWhatTheirContentAllows)
{
    // Large packed members pass through a scratch file, and files over a few MB are packed in
    // parts on both workers; a large file is stored only when its middle is as incompressible as
    // its start, or when all its parts together do not shrink. Nothing of the work stays beside
    // the archive.
    test::TempFolder folder;
    const fs::path src = folder.path() / "src";
    std::string text;
    std::uint32_t seed = 7;
    while (text.size() < 6'000'000) {
        seed = seed * 1103515245u + 12345u;
        text += "word" + std::to_string(seed >> 20) + (seed & 0x100 ? " " : "\n");
    }
    test::writeFile(src / "text.txt", text);
    test::writeFile(src / "random head.bin", test::randomBytes(700'000, 2) + text.substr(0, 2'000'000));
    test::writeFile(src / "random.bin", test::randomBytes(1'500'000, 3));
    test::writeFile(src / "random tail.bin", text.substr(0, 1'000'000) + test::randomBytes(2'500'000, 4));
    const RunSummary summary = pack(folder / "x.lzh", src.string());
    ASSERT_TRUE(summary.archiveStatus.ok()) << summary.archiveStatus.detail() << summary.archiveStatus.path();
    EXPECT_EQ(methodsOf(folder / "x.lzh"), (std::map<std::string, std::string>{{"text.txt", "-lh7-"},
                                                                               {"random head.bin", "-lh7-"},
                                                                               {"random.bin", "-lh0-"},
                                                                               {"random tail.bin", "-lh7-"}}));
    std::vector<std::string> beside;
    for (const auto& entry : fs::directory_iterator(folder.path()))
        beside.push_back(entry.path().filename().string());
    std::sort(beside.begin(), beside.end());
    EXPECT_EQ(beside, (std::vector<std::string>{"src", "x.lzh"}));
    EXPECT_EQ(unpacked(folder, folder / "x.lzh"), test::treeOf(src));
    // Whichever worker took which file or part, the same folder packs to the same bytes.
    ASSERT_TRUE(pack(folder / "again.lzh", src.string()).archiveStatus.ok());
    EXPECT_TRUE(test::readFile(folder.path() / "again.lzh") == test::readFile(folder.path() / "x.lzh"));
}

TEST(LzhPack, AddsOntoAnExistingArchiveReplacingMembersOfTheSameName)
{
    test::TempFolder folder;
    test::writeFile(folder.path() / "one" / "kept.txt", "old kept");
    test::writeFile(folder.path() / "one" / "same.txt", "old version");
    ASSERT_TRUE(pack(folder / "x.lzh", folder / "one").archiveStatus.ok());
    test::writeFile(folder.path() / "two" / "same.txt", "new version");
    test::writeFile(folder.path() / "two" / "added.txt", "added");
    ASSERT_TRUE(pack(folder / "x.lzh", folder / "two").archiveStatus.ok());
    const std::map<std::string, std::string> expected = {
        {"kept.txt", "old kept"}, {"same.txt", "new version"}, {"added.txt", "added"}};
    EXPECT_EQ(unpacked(folder, folder / "x.lzh"), expected);
    int members = 0;
    listArchive(folder / "x.lzh", [&](const lzh::MemberInfo&) { ++members; });
    EXPECT_EQ(members, 3);
}

TEST(LzhPack, LeavesTheOldArchiveIntactWhenCancelledDamagedOrTheNewOneCannotBeWritten)
{
    test::TempFolder folder;
    test::writeFile(folder.path() / "src" / "f.txt", "first");
    ASSERT_TRUE(pack(folder / "x.lzh", folder / "src").archiveStatus.ok());
    const std::string before = test::readFile(folder / "x.lzh");
    for (int i = 0; i < 4; ++i)
        test::writeFile(folder.path() / "src" / ("g" + std::to_string(i)), test::randomBytes(100000, i));
    RunHooks hooks;
    hooks.progress = [](std::uint64_t done, std::uint64_t, const std::string&) { return done < 100000; };
    EXPECT_TRUE(pack(folder / "x.lzh", folder / "src", {}, hooks).cancelled);
    EXPECT_TRUE(test::readFile(folder / "x.lzh") == before);
    EXPECT_FALSE(fs::exists(folder / "x.lzh.fernhold-new"));

    // A folder where the temporary file must go makes creating it fail.
    fs::create_directories(folder / "x.lzh.fernhold-new");
    EXPECT_TRUE(pack(folder / "x.lzh", folder / "src").writeFailed);
    EXPECT_TRUE(test::readFile(folder / "x.lzh") == before);

    // Nothing is added onto a damaged archive.
    const std::string damaged("\x30\x00-lh5-garbage that is not an archive", 37);
    test::writeFile(folder / "x.lzh", damaged);
    EXPECT_EQ(pack(folder / "x.lzh", folder / "src").archiveStatus.code(), base::ErrorCode::Corrupt);
    EXPECT_EQ(test::readFile(folder / "x.lzh"), damaged);
}

#ifndef _WIN32
TEST(LzhPack, SkipsAndReportsWhatCannotBeReadAndPacksTheRest)
{
    test::TempFolder folder;
    test::writeFile(folder.path() / "src" / "f.txt", "kept");
    ASSERT_EQ(::mkfifo((folder.path() / "src" / "pipe").c_str(), 0600), 0);
    std::vector<base::Status> skipped;
    RunHooks hooks;
    hooks.onMemberError = [&](const base::Status& s) { skipped.push_back(s); };
    const RunSummary summary = pack(folder / "x.lzh", folder / "src", {}, hooks);
    EXPECT_TRUE(summary.archiveStatus.ok());
    EXPECT_EQ(summary.failedMembers, 1);
    ASSERT_EQ(skipped.size(), 1u);
    EXPECT_NE(skipped[0].path().find("pipe"), std::string::npos);
    EXPECT_EQ(unpacked(folder, folder / "x.lzh"), (std::map<std::string, std::string>{{"f.txt", "kept"}}));
}

#endif

TEST(LzhPack, NeverPacksItselfNorExcludedPaths)
{
    test::TempFolder folder;
    const fs::path src = folder.path() / "src";
    test::writeFile(src / "f.txt", "kept");
    test::writeFile(src / "Program" / "MonthBack" / "mback01" / "old.lzh", "slot");
    PackSettings settings;
    settings.excludedPaths = {(src / "Program").string()};
    const std::string archive = (src / "BackUp.lzh").string();
    ASSERT_TRUE(pack(archive, src.string(), settings).archiveStatus.ok());
    ASSERT_TRUE(pack(archive, src.string(), settings).archiveStatus.ok());
    EXPECT_EQ(unpacked(folder, archive), (std::map<std::string, std::string>{{"f.txt", "kept"}}));
}

} // namespace
} // namespace archiver
