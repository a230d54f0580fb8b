// Extraction keeps to its target, reports each failing member and still extracts the rest; a
// damaged or hostile archive gives a clear error, never a crash, an endless loop or a file outside
// the target. Archives written by the classic Unix archiver (beside the repository) and by other
// LHA-family programs (tests/data/lzh/<producer>/) extract to exactly the trees their manifests list.

#include "archiver/extractor.h"
#include "archiver/packer.h"
#include "lzh/archive/archive_builder.h"
#include "lzh/archive/archive_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <sstream>
#include <vector>

namespace archiver {
namespace {
namespace test = lzh::test;
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

Outcome extractBytes(const test::TempFolder& folder, const std::string& archive, const std::string& target = "out",
                     std::function<void(const std::string&)> onRootDropped = {})
{
    test::writeFile(folder / "a.lzh", archive);
    Outcome outcome;
    RunHooks hooks;
    hooks.onMemberError = [&](const base::Status& s) { outcome.errors.push_back(s); };
    hooks.onRootDropped = std::move(onRootDropped);
    outcome.summary = extractArchive(folder / "a.lzh", folder / target, hooks);
    return outcome;
}

// Rooted names of every header level land under the target, as other LZH readers put them, and
// the caller hears which; ".." is refused everywhere, device names and trailing dots only on
// Windows, where they would open a device or land under another name.
TEST(LzhExtract, PutsNamesUnderTheTargetAndRefusesThoseThatClimbOutOrNameADevice)
{
    // Each member and where it lands ("": refused).
    std::vector<std::pair<std::string, std::string>> cases = {
        {test::level0Member("\\subdir\\file.txt", "0"), "subdir/file.txt"},
        {test::level0Member("/abs.txt", "0"), "abs.txt"},
        {test::level0Member("C:\\drive.txt", "0"), "drive.txt"},
        {test::level0Member("C:rel.txt", "0"), "rel.txt"},
        {test::level1Member("\\sub1\\one.txt", "1"), "sub1/one.txt"},
        {test::storedFile("/etc/two.txt", "2"), "etc/two.txt"},
        {test::storedFile("\\\\server\\share\\unc.txt", "2"), "server/share/unc.txt"},
        {test::storedFile("../up.txt", "x"), ""},
        {test::level0Member("a\\..\\..\\b.txt", "x"), ""},
        {test::level0Member("\\..\\root-up.txt", "x"), ""},
        {test::level1Member("C:..\\one-up.txt", "x"), ""},
        {test::storedFile("ok.txt", "y"), "ok.txt"}};
    for (const char* name : {"CON", "nul.txt", "Aux .log", "com1", "LPT9.tar.gz", "sub/prn", "con/in.txt",
                             "lpt\xC2\xB9", "dot.", "space ", "conin$"})
        cases.emplace_back(test::storedFile(name, "w"), kWindows ? "" : name);
    for (const char* name : {"CONSOLE.txt", "com10", "nul_", "LPT", "a.con", "comX"})
        cases.emplace_back(test::storedFile(name, "e"), name);
    test::TempFolder folder;
    std::string archive;
    std::map<std::string, std::string> expected;
    for (const auto& [member, path] : cases) {
        archive += member;
        if (!path.empty())
            expected[path] = member.substr(member.size() - 1);
        for (std::size_t slash = path.find('/'); slash != std::string::npos; slash = path.find('/', slash + 1))
            expected[path.substr(0, slash + 1)] = "";
    }
    int dropped = 0;
    const Outcome outcome =
        extractBytes(folder, archive + std::string(1, '\0'), "deep/out", [&](const std::string&) { ++dropped; });
    EXPECT_EQ(outcome.summary.failedMembers, kWindows ? 15 : 4);
    for (const base::Status& error : outcome.errors)
        EXPECT_EQ(error.code(), base::ErrorCode::InvalidArgument) << error.path();
    EXPECT_EQ(test::treeOf(folder.path() / "deep/out"), expected);
    EXPECT_EQ(test::treeOf(folder.path()).size(), expected.size() + 3) << "written outside the target";
    EXPECT_EQ(dropped, 7);
}

// A link member is made as a link whatever it points to; nothing is written through a link,
// whether the archive made it or it was in the target before.
TEST(LzhExtract, MakesEveryLinkAsALinkAndNeverWritesThroughOne)
{
    test::TempFolder folder;
    fs::create_directories(folder.path() / "outside");
    fs::create_directories(folder.path() / "out");
    std::error_code noLinks;
    fs::create_directory_symlink("../outside", folder.path() / "out" / "d", noLinks);
    if (noLinks) {
        // Where the system makes no links (Windows without the right), each is reported by name.
        const Outcome outcome = extractBytes(folder, test::linkMember("up-link", "../../etc") +
                                                         test::linkMember("in/link", "x") + std::string(1, '\0'));
        ASSERT_EQ(outcome.errors.size(), 2u);
        EXPECT_EQ(outcome.errors[0].path() + " " + outcome.errors[1].path(), "up-link in/link");
        EXPECT_TRUE(fs::is_empty(folder.path() / "outside"));
        return;
    }
    // The absolute link points into the test's own folder, so that a fault writes there, not in /etc.
    const std::string outside = folder / "outside";
    const std::string archive = test::linkMember("up-link", "../../etc") + test::linkMember("abs-link", outside) +
                                test::linkMember("ok/l1", "../outside") + test::linkMember("ok/climb", "l1/../..") +
                                test::storedFile("ok/in.txt", "fine") + test::linkMember("ok/in-link", "../ok/in.txt") +
                                // Below links of the archive, and below the link already in the target.
                                test::storedFile("up-link/pwned.txt", "x") + test::storedFile("abs-link/a/b.txt", "x") +
                                test::storedFile("ok/climb/x.txt", "x") + test::storedFile("d/x.txt", "x") +
                                test::storedFile("d/two/levels.txt", "x") + test::linkMember("d/inner-link", ".") +
                                std::string(1, '\0');
    const Outcome outcome = extractBytes(folder, archive);
    EXPECT_EQ(outcome.summary.failedMembers, 6);
    EXPECT_EQ(outcome.summary.members, 6);
    const std::map<std::string, std::string> expected = {
        {"up-link", "link:../../etc"}, {"abs-link", "link:" + outside},
        {"d", "link:../outside"},      {"ok/", ""},
        {"ok/l1", "link:../outside"},  {"ok/climb", "link:l1/../.."},
        {"ok/in.txt", "fine"},         {"ok/in-link", "link:../ok/in.txt"}};
    EXPECT_EQ(test::treeOf(folder.path() / "out"), expected);
    EXPECT_TRUE(fs::is_empty(folder.path() / "outside"));
}

// A damaged or unsupported member is reported and left out, the rest extracted; a member whose
// data runs past the archive's end is refused at its header, and the archive reported damaged.
TEST(LzhExtract, ReportsBadMembersLeavingNoPartOfThemAndStopsAtATruncatedOne)
{
    test::TempFolder folder;
    std::string archive =
        test::storedFile("first.txt", "one") + test::level2Member({.path = "bad.txt"}, "damaged", 0x1234) +
        test::level0Member("old.txt", "xxxx", "-lh2-") + test::level0Member("pmarc.txt", "xxxx", "-pm1-") +
        test::storedFile("last.txt", "three") + test::storedFile("cut.txt", std::string(1000, 'c'));
    archive.resize(archive.size() - 10);
    const Outcome outcome = extractBytes(folder, archive);
    EXPECT_EQ(outcome.summary.members, 2);
    EXPECT_EQ(outcome.summary.failedMembers, 3);
    EXPECT_EQ(outcome.summary.archiveStatus.code(), base::ErrorCode::Corrupt);
    std::map<std::string, base::ErrorCode> errors;
    for (const base::Status& error : outcome.errors)
        errors[error.path()] = error.code();
    EXPECT_EQ(errors, (std::map<std::string, base::ErrorCode>{{"bad.txt", base::ErrorCode::Corrupt},
                                                              {"old.txt", base::ErrorCode::Unsupported},
                                                              {"pmarc.txt", base::ErrorCode::Unsupported}}));
    const std::map<std::string, std::string> expected = {{"first.txt", "one"}, {"last.txt", "three"}};
    EXPECT_EQ(test::treeOf(folder.path() / "out"), expected);
}

TEST(LzhExtract, RestoresModificationTimesAndPermissionsOfFilesAndFolders)
{
    const auto seconds = [](const fs::path& p) {
        return std::chrono::duration_cast<std::chrono::seconds>(
                   std::chrono::file_clock::to_sys(fs::last_write_time(p)).time_since_epoch())
            .count();
    };
    const auto perms = [](const fs::path& p) { return fs::status(p).permissions() & fs::perms::all; };
    using lzh::HeaderFields;
    const HeaderFields dir{
        .kind = lzh::MemberKind::Directory, .path = "d", .method = lzh::Method::Lhd, .mtime = 1000000000};
    const HeaderFields file{.path = "d/f.txt", .mtime = 1200000000, .unixMode = 0755};
    const HeaderFields readOnly{.path = "d/ro.txt", .mtime = 1200000000, .unixMode = 0644, .readOnly = true};
    // An interrupted run left a read-only part of ro.txt: it is replaced, not written through.
    test::TempFolder folder;
    const fs::path out = folder.path() / "out" / "d";
    test::writeFile(out / "ro.txt.fernhold-part", "stale");
    fs::permissions(out / "ro.txt.fernhold-part", fs::perms::owner_read);
    const Outcome outcome = extractBytes(folder, test::level2Member(dir, "") + test::level2Member(file, "text") +
                                                     test::level2Member(readOnly, "kept") + std::string(1, '\0'));
    ASSERT_EQ(outcome.summary.members, 3);
    EXPECT_EQ(test::readFile(out / "ro.txt"), "kept");
    EXPECT_FALSE(fs::exists(out / "ro.txt.fernhold-part"));
    EXPECT_EQ(perms(out / "ro.txt") & fs::perms::owner_write, fs::perms::none);
    if (!kWindows) {
        EXPECT_EQ(perms(out / "f.txt"), static_cast<fs::perms>(0755));
        EXPECT_EQ(perms(out / "ro.txt"), static_cast<fs::perms>(0444));
    }
    EXPECT_EQ(seconds(out / "ro.txt"), 1200000000);
    EXPECT_EQ(seconds(out / "f.txt"), 1200000000);
#ifndef _WIN32
    // libstdc++ cannot set a folder's time on Windows (it needs a Win32 call).
    EXPECT_EQ(seconds(out), 1000000000);
#endif
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

// Lists, tests and extracts; then checks that only the target folder was written to and that
// no partial file was left behind. Gives the test's answer.
base::Status survive(const std::string& archiveBytes)
{
    test::TempFolder folder;
    test::writeFile(folder / "a.lzh", archiveBytes);
    listArchive(folder / "a.lzh", [](const lzh::MemberInfo&) {});
    const base::Status tested = testArchive(folder / "a.lzh", {}).archiveStatus;
    extractArchive(folder / "a.lzh", folder / "in/out", {});
    for (const auto& [path, content] : test::treeOf(folder.path())) {
        EXPECT_TRUE(path == "a.lzh" || path == "in/" || path.rfind("in/out/", 0) == 0) << path;
        EXPECT_EQ(path.find(".fernhold-part"), std::string::npos) << path;
    }
    return tested;
}

// A cut anywhere is Corrupt to a test, even at a member boundary, where only the missing end mark
// tells that members are gone.
TEST(LzhHostile, SurvivesTruncationAndAFlippedBitAtEveryByte)
{
    test::TempFolder folder;
    test::writeFile(folder.path() / "src" / "a.txt", "alpha alpha alpha alpha alpha alpha");
    test::writeFile(folder.path() / "src" / "sub" / test::u8path("表.txt"), "b");
    fs::create_directories(folder.path() / "src" / "empty");
    ASSERT_TRUE(packFolder(folder / "x.lzh", folder / "src", {}, {}).archiveStatus.ok());
    const std::string archive = test::readFile(folder / "x.lzh");
    for (std::size_t i = 0; i < archive.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(survive(archive.substr(0, i)).code(), base::ErrorCode::Corrupt);
        std::string damaged = archive;
        damaged[i] = static_cast<char>(damaged[i] ^ (1 << (i % 8)));
        survive(damaged);
    }
    // Other readers take an archive without the mark, and so do listing and extraction.
    test::writeFile(folder / "x.lzh", archive.substr(0, archive.size() - 1));
    EXPECT_TRUE(listArchive(folder / "x.lzh", [](const lzh::MemberInfo&) {}).archiveStatus.ok());
    EXPECT_TRUE(extractArchive(folder / "x.lzh", folder / "out", {}).archiveStatus.ok());
}

// The manifest's form, one line per entry: "F <sha256> <size> <path>", "D - - <path>/",
// "L - - <path> -> <target>"; compared sorted.
std::vector<std::string> manifestOf(const fs::path& root)
{
    std::vector<std::string> lines;
    for (const auto& [path, content] : test::treeOf(root)) {
        if (path.ends_with('/'))
            lines.push_back("D - - " + path);
        else if (content.starts_with("link:"))
            lines.push_back("L - - " + path + " -> " + content.substr(5));
        else
            lines.push_back("F " + test::sha256Hex(content) + " " + std::to_string(content.size()) + " " + path);
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::vector<std::string> expectedManifest(const fs::path& file)
{
    std::istringstream in(test::readFile(file));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        if (!line.empty())
            lines.push_back(line);
    std::sort(lines.begin(), lines.end());
    return lines;
}

void expectExtractsTo(const fs::path& archive, const fs::path& manifest, ArchiveStart start)
{
    SCOPED_TRACE(archive.filename().string());
    test::TempFolder out;
    RunHooks hooks;
    hooks.onMemberError = [](const base::Status& s) { ADD_FAILURE() << s.path() << ": " << s.detail(); };
    const RunSummary summary = extractArchive(archive.string(), out.str(), hooks, start);
    EXPECT_TRUE(summary.archiveStatus.ok()) << summary.archiveStatus.detail();
    EXPECT_EQ(manifestOf(out.path()), expectedManifest(manifest));
}

// Other producers' files (NAME.sha256 beside NAME) as the unlha tool reads a named file; the
// classic archiver's samples (NAME.sha256 beside NAME.lzh) as the program reads them.
TEST(LzhSamples, EverySampleExtractsToItsManifest)
{
    int others = 0;
    for (const auto& entry : fs::recursive_directory_iterator(fs::path(FERNHOLD_TEST_DATA_DIR) / "lzh")) {
        const fs::path manifest = fs::path(entry.path()) += ".sha256";
        if (entry.is_regular_file() && fs::is_regular_file(manifest)) {
            expectExtractsTo(entry.path(), manifest, ArchiveStart::AfterProgram);
            ++others;
        }
    }
    EXPECT_GE(others, 8);
    const fs::path folder = FERNHOLD_LZH_SAMPLES_DIR;
    if (!fs::is_directory(folder))
        GTEST_SKIP() << "no samples at " << folder;
    int classic = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() != ".lzh")
            continue;
        ++classic;
#ifdef _WIN32
        // Links need a privilege on Windows, and mingw's runtime cannot make them at all.
        if (entry.path().filename() == "lha-l2-symlinks.lzh")
            continue;
#endif
        expectExtractsTo(entry.path(), fs::path(entry.path()).replace_extension(".sha256"), ArchiveStart::AtFirstByte);
    }
    EXPECT_GE(classic, 6);
}

} // namespace
} // namespace archiver
