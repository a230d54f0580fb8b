// Extraction keeps to its target, reports each failing member and still extracts the rest.

#include "archive_builder.h"
#include "archive_test_support.h"
#include "lzh/extractor.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace lzh {
namespace {
namespace fs = std::filesystem;

#ifdef _WIN32
constexpr bool kWindows = true;
#else
constexpr bool kWindows = false;
#endif

struct Outcome {
    RunSummary summary;
    std::vector<base::Status> errors;
};

Outcome extractBytes(const test::TempFolder& folder, const std::string& archive, const std::string& target = "out")
{
    test::writeFile(folder / "a.lzh", archive);
    Outcome outcome;
    RunHooks hooks;
    hooks.onMemberError = [&](const base::Status& s) { outcome.errors.push_back(s); };
    outcome.summary = extractArchive(folder / "a.lzh", folder / target, hooks);
    return outcome;
}

HeaderFields linkFields(const std::string& path, const std::string& target)
{
    HeaderFields fields;
    fields.kind = MemberKind::Symlink;
    fields.path = path;
    fields.linkTarget = target;
    fields.method = Method::Lhd;
    fields.unixMode = 0777;
    return fields;
}

TEST(LzhExtract, RefusesEveryNameThatLeavesTheTarget)
{
    test::TempFolder folder;
    const std::string archive = test::storedFile("../up.txt", "x") + test::level0Member("/abs.txt", "x") +
                                test::level0Member("\\root.txt", "x") + test::level0Member("C:\\drive.txt", "x") +
                                test::level0Member("a\\..\\..\\b.txt", "x") + test::storedFile("ok/in.txt", "fine") +
                                test::level2Member(linkFields("up-link", "../../etc"), "") +
                                test::level2Member(linkFields("abs-link", "/etc/passwd"), "") +
                                test::level2Member(linkFields("ok/in-link", "../ok/in.txt"), "") + std::string(1, '\0');
    const Outcome outcome = extractBytes(folder, archive, "deep/out");
    int refused = 0;
    for (const base::Status& error : outcome.errors)
        refused += error.code() == base::ErrorCode::InvalidArgument;
    EXPECT_EQ(refused, 7);
#ifdef _WIN32
    GTEST_SKIP() << "links are not made on Windows test machines";
#endif
    EXPECT_EQ(outcome.summary.failedMembers, 7);
    EXPECT_EQ(outcome.summary.members, 2);
    EXPECT_TRUE(outcome.summary.archiveError.isOk());
    const auto tree = test::treeOf(folder.path());
    const std::map<std::string, std::string> expected = {
        {"a.lzh", test::readFile(folder / "a.lzh")}, {"deep/", ""},
        {"deep/out/", ""}, {"deep/out/ok/", ""}, {"deep/out/ok/in.txt", "fine"},
        {"deep/out/ok/in-link@", "../ok/in.txt"}};
    EXPECT_EQ(tree, expected);
}

TEST(LzhExtract, RefusesWindowsDeviceNamesAndTrailingDotsOnlyOnWindows)
{
    // On Windows these would open a device or land under another name; elsewhere they are names.
    const std::vector<std::string> windowsOnly = {"CON",         "nul.txt", "Aux .log",   "com1",
                                                  "LPT9.tar.gz", "sub/prn", "con/in.txt", "lpt\xC2\xB9",
                                                  "dot.",        "space ",  "conin$"};
    const std::vector<std::string> everywhere = {"CONSOLE.txt", "com10", "nul_", "LPT", "a.con", "comX"};
    test::TempFolder folder;
    std::string archive;
    std::map<std::string, std::string> expected;
    for (const std::vector<std::string>* names : {&windowsOnly, &everywhere})
        for (const std::string& name : *names) {
            archive += test::storedFile(name, name);
            if (names == &everywhere || !kWindows) {
                expected[name] = name;
                if (name.find('/') != std::string::npos)
                    expected[name.substr(0, name.find('/') + 1)] = "";
            }
        }
    const Outcome outcome = extractBytes(folder, archive + std::string(1, '\0'));
    EXPECT_EQ(outcome.summary.failedMembers, kWindows ? static_cast<int>(windowsOnly.size()) : 0);
    for (const base::Status& error : outcome.errors)
        EXPECT_EQ(error.code(), base::ErrorCode::InvalidArgument) << error.path();
    EXPECT_EQ(test::treeOf(folder.path() / "out"), expected);
}

TEST(LzhExtract, ReportsCrcMismatchAndLeavesNoPartialFile)
{
    test::TempFolder folder;
    const std::string archive = test::storedFile("first.txt", "one") +
                                test::level2Member([] {
                                    HeaderFields f;
                                    f.path = "bad.txt";
                                    return f;
                                }(), "damaged", 0x1234) +
                                test::storedFile("last.txt", "three") + std::string(1, '\0');
    const Outcome outcome = extractBytes(folder, archive);
    EXPECT_EQ(outcome.summary.members, 2);
    ASSERT_EQ(outcome.errors.size(), 1u);
    EXPECT_EQ(outcome.errors[0].code(), base::ErrorCode::Corrupt);
    EXPECT_EQ(outcome.errors[0].path(), "bad.txt");
    const std::map<std::string, std::string> expected = {{"first.txt", "one"}, {"last.txt", "three"}};
    EXPECT_EQ(test::treeOf(folder.path() / "out"), expected);
}

TEST(LzhExtract, ReportsUnsupportedMethodsAndExtractsTheRest)
{
    test::TempFolder folder;
    const std::string archive = test::level0Member("old.txt", "xxxx", "-lh2-") +
                                test::level0Member("pmarc.txt", "xxxx", "-pm1-") + test::storedFile("new.txt", "ok") +
                                std::string(1, '\0');
    const Outcome outcome = extractBytes(folder, archive);
    EXPECT_EQ(outcome.summary.failedMembers, 2);
    ASSERT_EQ(outcome.errors.size(), 2u);
    EXPECT_EQ(outcome.errors[0].code(), base::ErrorCode::Unsupported);
    EXPECT_EQ(test::treeOf(folder.path() / "out"), (std::map<std::string, std::string>{{"new.txt", "ok"}}));
}

TEST(LzhExtract, StopsAtATruncatedMemberKeepingEarlierOnes)
{
    test::TempFolder folder;
    std::string archive = test::storedFile("a.txt", "alpha") + test::storedFile("b.txt", std::string(1000, 'b'));
    archive.resize(archive.size() - 10);
    const Outcome outcome = extractBytes(folder, archive);
    EXPECT_EQ(outcome.summary.members, 1);
    EXPECT_EQ(outcome.summary.archiveError.code(), base::ErrorCode::Corrupt);
    EXPECT_EQ(test::treeOf(folder.path() / "out"), (std::map<std::string, std::string>{{"a.txt", "alpha"}}));
}

TEST(LzhExtract, NeverWritesThroughALinkAlreadyInTheTarget)
{
#ifdef _WIN32
    GTEST_SKIP() << "links are not made on Windows test machines";
#endif
    test::TempFolder folder;
    fs::create_directories(folder.path() / "outside");
    fs::create_directories(folder.path() / "out");
    fs::create_directory_symlink("../outside", folder.path() / "out" / "d");
    const Outcome outcome = extractBytes(folder, test::storedFile("d/x.txt", "x") + std::string(1, '\0'));
    EXPECT_EQ(outcome.summary.failedMembers, 1);
    EXPECT_TRUE(fs::is_empty(folder.path() / "outside"));
}

TEST(LzhExtract, RestoresModificationTimesAndPermissionsOfFilesAndFolders)
{
    const auto seconds = [](const fs::path& p) {
        return std::chrono::duration_cast<std::chrono::seconds>(
                   std::chrono::file_clock::to_sys(fs::last_write_time(p)).time_since_epoch())
            .count();
    };
    test::TempFolder folder;
    HeaderFields dir;
    dir.kind = MemberKind::Directory;
    dir.path = "d";
    dir.method = Method::Lhd;
    dir.mtime = 1000000000;
    HeaderFields file;
    file.path = "d/f.txt";
    file.mtime = 1200000000;
    file.unixMode = 0755;
    HeaderFields readOnly = file;
    readOnly.path = "d/ro.txt";
    readOnly.unixMode = 0644;
    readOnly.readOnly = true;
    // An interrupted run left a read-only part of ro.txt: it is replaced, not written through.
    fs::create_directories(folder.path() / "out" / "d");
    test::writeFile(folder.path() / "out" / "d" / "ro.txt.fernhold-part", "stale");
    fs::permissions(folder.path() / "out" / "d" / "ro.txt.fernhold-part", fs::perms::owner_read);
    const Outcome outcome = extractBytes(folder, test::level2Member(dir, "") + test::level2Member(file, "text") +
                                                     test::level2Member(readOnly, "kept") + std::string(1, '\0'));
    ASSERT_EQ(outcome.summary.members, 3);
    const fs::path out = folder.path() / "out" / "d";
    EXPECT_EQ(test::readFile(out / "ro.txt"), "kept");
    EXPECT_FALSE(fs::exists(out / "ro.txt.fernhold-part"));
    const auto perms = [](const fs::path& p) { return fs::status(p).permissions() & fs::perms::all; };
    EXPECT_EQ(perms(out / "ro.txt") & fs::perms::owner_write, fs::perms::none);
    if (!kWindows) {
        EXPECT_EQ(perms(out / "f.txt"), static_cast<fs::perms>(0755));
        EXPECT_EQ(perms(out / "ro.txt"), static_cast<fs::perms>(0444));
    }
    EXPECT_EQ(seconds(out / "ro.txt"), 1200000000);
    EXPECT_EQ(seconds(out / "f.txt"), 1200000000);
#ifndef _WIN32
    // libstdc++ cannot set a folder's time on Windows (it needs a Win32 call), so there only
    // file times come back for now.
    EXPECT_EQ(seconds(folder.path() / "out" / "d"), 1000000000);
#endif
}

TEST(LzhExtract, RefusesAFileWhereAFolderStandsAndLeavesNoPartialFile)
{
    test::TempFolder folder;
    fs::create_directories(folder.path() / "out" / "taken.txt" / "inside");
    const Outcome outcome = extractBytes(folder, test::storedFile("taken.txt", "data") + std::string(1, '\0'));
    ASSERT_EQ(outcome.errors.size(), 1u);
    EXPECT_EQ(outcome.errors[0].detail(), "a folder is in the way");
    const std::map<std::string, std::string> expected = {{"taken.txt/", ""}, {"taken.txt/inside/", ""}};
    EXPECT_EQ(test::treeOf(folder.path() / "out"), expected);
}

TEST(LzhExtract, AMemberNamedTwiceEndsWithTheLaterCopyAmongMany)
{
    // The members are shared among threads; one name must still be written in archive order.
    test::TempFolder folder;
    std::string archive;
    std::map<std::string, std::string> expected;
    for (int round = 0; round < 3; ++round)
        for (int i = 0; i < 40; ++i) {
            const std::string name = "f" + std::to_string(i) + ".txt";
            const std::string text = name + " round " + std::to_string(round);
            archive += test::storedFile(name, text);
            expected[name] = text;
        }
    const Outcome outcome = extractBytes(folder, archive + std::string(1, '\0'));
    EXPECT_TRUE(outcome.errors.empty());
    EXPECT_EQ(outcome.summary.members, 120);
    EXPECT_EQ(test::treeOf(folder.path() / "out"), expected);
}

} // namespace
} // namespace lzh
