// The unlha tool against independent LZH programs: what it writes, lhasa, bsdtar and 7-Zip
// extract byte for byte; what jlha writes at every level and method, it extracts byte for byte.

#include "lzh/archive/archive_builder.h"
#include "lzh/archive/archive_test_support.h"
#include "platform/text_codec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <vector>

namespace {
namespace fs = std::filesystem;
using lzh::test::run;
using lzh::test::TempFolder;
using lzh::test::writeFile;
using Tree = std::map<std::string, std::string>;

const std::string kUnlha = std::string(FERNHOLD_BIN_DIR) + "/unlha";

std::string quoted(const std::string& path)
{
    return "'" + path + "'";
}

// Sizes just around the 8, 32 and 64 KiB windows of -lh5-, -lh6- and -lh7-.
void makeVariedTree(const fs::path& root)
{
    writeFile(root / "a" / "b" / "c" / "d" / "deep.txt", "four folders down\n");
    writeFile(root / "a" / "b" / "empty-nested.txt", "");
    writeFile(root / "name with spaces.txt", "spaces\n");
    writeFile(root / "日本語フォルダ" / "日本語ファイル.txt", "日本語の本文\n");
    writeFile(root / "ソース" / "表計算.txt", "0x5C inside the CP932 name\n");
    fs::create_directories(root / "empty folder");
    std::string text;
    for (int i = 0; text.size() < 300000; ++i)
        text += "line " + std::to_string(i % 977) + " of a text that repeats with variations\n";
    writeFile(root / "text.txt", text);
    // Large enough to be packed in parts, whose streams are joined inside a byte.
    std::string large;
    for (std::uint32_t k = 0; k < 8; ++k)
        large += text + lzh::test::randomBytes(20000, k);
    writeFile(root / "large.txt", large);
    for (std::size_t size : {8191u, 8192u, 8193u, 32767u, 32768u, 32769u, 65535u, 65536u, 65537u}) {
        const std::string suffix = std::to_string(size);
        writeFile(root / "sizes" / ("random-" + suffix + ".bin"),
                  lzh::test::randomBytes(size, static_cast<std::uint32_t>(size)));
        writeFile(root / "sizes" / ("text-" + suffix + ".txt"), text.substr(0, size));
        writeFile(root / "sizes" / ("same-" + suffix + ".bin"), std::string(size, 'q'));
    }
}

// One line per entry, "path size sha256", sorted: a failure names the entries that differ without
// printing their contents. Folders are left out when filesOnly; the names are turned into CP932
// bytes when cp932, and cut at their 0x5C bytes when splitOnYen.
std::vector<std::string> digests(const Tree& tree, bool filesOnly = false, bool cp932 = false, bool splitOnYen = false)
{
    std::vector<std::string> lines;
    for (const auto& [path, content] : tree) {
        std::string name = cp932 ? *platform::utf8ToCp932(path) : path;
        std::replace(name.begin(), name.end(), splitOnYen ? '\\' : '/', '/');
        if (!filesOnly || path.back() != '/')
            lines.push_back(name + " " + std::to_string(content.size()) + " " + lzh::test::sha256Hex(content));
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

class WrittenByUnlha : public ::testing::TestWithParam<const char*> {};

// Our own reader, then the others. lhasa keeps names as CP932 bytes; 7-Zip's Linux build also cuts
// them at 0x5C and makes the folders of the cut names on its own, so only its files count. CARRIED
// packs the folder once before and copies every file's packed bytes from there.
TEST_P(WrittenByUnlha, EveryReaderExtractsTheTreeByteForByte)
{
    TempFolder folder;
    makeVariedTree(folder.path() / "src");
    std::string switches = GetParam();
    if (const auto at = switches.find("CARRIED"); at != std::string::npos) {
        ASSERT_EQ(
            run(kUnlha + " a -d1 -y1 -h2 -jm2 " + quoted(folder / "base.lzh") + " " + quoted(folder / "src") + "/"), 0);
        switches.replace(at, 7, "-jc " + quoted(folder / "base.lzh"));
    }
    const std::string archive = quoted(folder / "x.lzh");
    ASSERT_EQ(run(kUnlha + " a -d1 -y1 -h2 " + switches + " " + archive + " " + quoted(folder / "src") + "/"), 0);
    const Tree expected = lzh::test::treeOf(folder.path() / "src");
    ASSERT_EQ(run(kUnlha + " t " + archive), 0);
    ASSERT_EQ(run(kUnlha + " x " + archive + " " + quoted(folder / "mine")), 0);
    EXPECT_EQ(digests(lzh::test::treeOf(folder.path() / "mine")), digests(expected));
    const struct {
        const char* program;
        const char* command;
        bool cp932;
        bool sevenZip;
    } readers[] = {
        {"bsdtar", "bsdtar -xf", false, false}, {"lhasa", "lhasa x", true, false}, {"7zz", "7zz x -y", true, true}};
    for (const auto& r : readers) {
        SCOPED_TRACE(r.program);
        if (run("command -v " + std::string(r.program) + " >/dev/null 2>&1") != 0)
            continue;
        const fs::path out = folder.path() / r.program;
        fs::create_directories(out);
        EXPECT_EQ(
            run("cd " + quoted(out.string()) + " && LC_ALL=C.UTF-8 " + r.command + " " + archive + " >/dev/null 2>&1"),
            0);
        EXPECT_EQ(digests(lzh::test::treeOf(out), r.sevenZip), digests(expected, r.sevenZip, r.cp932, r.sevenZip));
    }
}

INSTANTIATE_TEST_SUITE_P(Methods, WrittenByUnlha,
                         ::testing::Values("-jm2", "-jm1", "-jm6", "-jm0", "-jm2 -jb", "-jm2 CARRIED"));

TEST(WrittenByJlha, EveryLevelAndMethodExtractsByteForByte)
{
    if (run("command -v jlha >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "jlha is not installed";
    // jlha writes '?' for names outside ASCII, so its tree keeps to ASCII names.
    TempFolder folder;
    const fs::path src = folder.path() / "src";
    writeFile(src / "text.txt", std::string(100000, 'x') + lzh::test::randomBytes(3000, 9) + "tail");
    writeFile(src / "sub" / "random.bin", lzh::test::randomBytes(40000, 4));
    writeFile(src / "sub" / "deeper" / "empty.txt", "");
    fs::create_directories(src / "emptydir");
    const Tree expected = lzh::test::treeOf(src);
    for (const char* level : {"0", "1", "2"}) {
        for (const char* method : {"o5", "o6", "o7", "z"}) {
            SCOPED_TRACE(std::string(level) + method);
            const std::string name = std::string(level) + method;
            ASSERT_EQ(run("cd " + quoted(src.string()) + " && jlha c" + name + "q " + quoted(folder / name) +
                          ".lzh text.txt sub emptydir >/dev/null 2>&1"),
                      0);
            ASSERT_EQ(run(kUnlha + " x " + quoted(folder / name) + ".lzh " + quoted(folder / ("out" + name))), 0);
            EXPECT_EQ(digests(lzh::test::treeOf(folder.path() / ("out" + name))), digests(expected));
        }
    }
}

TEST(UnlhaTool, ExitsWithTheDocumentedCodes)
{
    TempFolder folder;
    writeFile(folder / "bad.lzh", "\x30\x00-lh5-not really an archive at all");
    const std::pair<std::string, int> cases[] = {
        {"q " + quoted(folder / "x.lzh"), 1},
        {"a " + quoted(folder / "x.lzh") + " " + quoted(folder / "none"), 2},
        {"x " + quoted(folder / "none.lzh") + " " + quoted(folder / "out"), 3},
        {"t " + quoted(folder / "bad.lzh"), 4},
    };
    for (const auto& [arguments, code] : cases)
        EXPECT_EQ(run(kUnlha + " " + arguments + " 2>/dev/null"), code) << arguments;
    EXPECT_FALSE(fs::exists(folder / "x.lzh"));
}

// A common Windows archiver stores folder paths as "\\sub\\file": such members land under the
// folder with success, and the tool says once which names it changed.
TEST(UnlhaTool, PutsRootedNamesUnderTheFolderAndSaysSoOnce)
{
    TempFolder folder;
    writeFile(folder / "win.lzh", lzh::test::level0Member("\\sub\\one.txt", "1") +
                                      lzh::test::level0Member("C:\\sub\\two.txt", "2") +
                                      lzh::test::level0Member("plain.txt", "3") + std::string(1, '\0'));
    ASSERT_EQ(run(kUnlha + " x " + quoted(folder / "win.lzh") + " " + quoted(folder / "out") + " 2>" +
                  quoted(folder / "err.txt")),
              0);
    EXPECT_EQ(lzh::test::treeOf(folder.path() / "out"),
              (Tree{{"plain.txt", "3"}, {"sub/", ""}, {"sub/one.txt", "1"}, {"sub/two.txt", "2"}}));
    EXPECT_EQ(lzh::test::readFile(folder / "err.txt"),
              "unlha: extracted under the folder without their leading separator or drive: /sub/one.txt, "
              "C:/sub/two.txt\n");
}

} // namespace
