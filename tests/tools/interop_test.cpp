// The unlha tool against independent LZH programs: what it writes, lhasa, bsdtar and 7-Zip
// extract byte for byte; what jlha writes at every level and method, it extracts byte for byte.

#include "lzh/archive/archive_builder.h"
#include "lzh/archive/archive_test_support.h"
#include "platform/text_codec.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <vector>

namespace {
namespace fs = std::filesystem;
using lzh::test::TempFolder;

const std::string kUnlha = std::string(FERNHOLD_BIN_DIR) + "/unlha";

bool installed(const std::string& program)
{
    return lzh::test::run("command -v " + program + " >/dev/null 2>&1") == 0;
}

std::string quoted(const std::string& path)
{
    return "'" + path + "'";
}

// Sizes just around the 8, 32 and 64 KiB windows of -lh5-, -lh6- and -lh7-.
void makeVariedTree(const fs::path& root)
{
    using lzh::test::writeFile;
    writeFile(root / "empty.txt", "");
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
        writeFile(root / "sizes" / ("random-" + std::to_string(size) + ".bin"),
                  lzh::test::randomBytes(size, static_cast<std::uint32_t>(size)));
        writeFile(root / "sizes" / ("text-" + std::to_string(size) + ".txt"), text.substr(0, size));
        writeFile(root / "sizes" / ("same-" + std::to_string(size) + ".bin"), std::string(size, 'q'));
    }
}

// The tree as a reader that writes names as raw CP932 bytes leaves it on Linux, cut at 0x5C
// bytes when splitOnYen.
std::map<std::string, std::string> asCp932(const std::map<std::string, std::string>& tree, bool splitOnYen)
{
    std::map<std::string, std::string> out;
    for (const auto& [path, content] : tree) {
        std::string name = *platform::utf8ToCp932(path);
        if (splitOnYen)
            for (char& c : name)
                c = c == '\\' ? '/' : c;
        out[name] = content;
    }
    return out;
}

// One line per entry, "path size sha256", in path order: a failure names the entries that differ
// without printing their contents.
std::vector<std::string> digests(const std::map<std::string, std::string>& tree)
{
    std::vector<std::string> lines;
    for (const auto& [path, content] : tree)
        lines.push_back(path + " " + std::to_string(content.size()) + " " + lzh::test::sha256Hex(content));
    return lines;
}

// Folders created only as the parents of split names do not count.
std::map<std::string, std::string> filesOnly(const std::map<std::string, std::string>& tree)
{
    std::map<std::string, std::string> out;
    for (const auto& [path, content] : tree)
        if (path.empty() || path.back() != '/')
            out[path] = content;
    return out;
}

class WrittenByUnlha : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        makeVariedTree(m_folder.path() / "src");
        std::string switches = GetParam();
        // Carried: the folder packed once before, and every file's packed bytes copied from there.
        if (const auto at = switches.find("CARRIED"); at != std::string::npos) {
            ASSERT_EQ(lzh::test::run(kUnlha + " a -d1 -y1 -h2 -jm2 " + quoted(m_folder / "base.lzh") + " " +
                                     quoted(m_folder / "src") + "/"),
                      0);
            switches.replace(at, 7, "-jc " + quoted(m_folder / "base.lzh"));
        }
        ASSERT_EQ(lzh::test::run(kUnlha + " a -d1 -y1 -h2 " + switches + " " + quoted(m_folder / "x.lzh") + " " +
                                 quoted(m_folder / "src") + "/"),
                  0);
        m_expected = lzh::test::treeOf(m_folder.path() / "src");
    }

    std::map<std::string, std::string> extractWith(const std::string& command)
    {
        const fs::path out = m_folder.path() / "out";
        fs::create_directories(out);
        EXPECT_EQ(lzh::test::run("cd " + quoted(out.string()) + " && LC_ALL=C.UTF-8 " + command + " " +
                                 quoted(m_folder / "x.lzh") + " >/dev/null 2>&1"),
                  0)
            << command;
        return lzh::test::treeOf(out);
    }

    TempFolder m_folder;
    std::map<std::string, std::string> m_expected;
};

// Our own reader, then the others. lhasa keeps names as CP932 bytes; 7-Zip's Linux build also cuts
// them at 0x5C and makes the folders of the cut names on its own, so only its files count.
TEST_P(WrittenByUnlha, EveryReaderExtractsTheTreeByteForByte)
{
    ASSERT_EQ(lzh::test::run(kUnlha + " t " + quoted(m_folder / "x.lzh")), 0);
    ASSERT_EQ(lzh::test::run(kUnlha + " x " + quoted(m_folder / "x.lzh") + " " + quoted(m_folder / "mine")), 0);
    EXPECT_EQ(digests(lzh::test::treeOf(m_folder.path() / "mine")), digests(m_expected));
    const struct {
        const char* program;
        const char* command;
        bool cp932;
        bool filesOnly;
    } readers[] = {
        {"bsdtar", "bsdtar -xf", false, false}, {"lhasa", "lhasa x", true, false}, {"7zz", "7zz x -y", true, true}};
    for (const auto& r : readers) {
        SCOPED_TRACE(r.program);
        if (!installed(r.program))
            continue;
        fs::remove_all(m_folder.path() / "out");
        const auto expected = r.cp932 ? asCp932(m_expected, r.filesOnly) : m_expected;
        const auto got = extractWith(r.command);
        EXPECT_EQ(digests(r.filesOnly ? filesOnly(got) : got), digests(r.filesOnly ? filesOnly(expected) : expected));
    }
}

std::string methodName(const ::testing::TestParamInfo<const char*>& info)
{
    static const char* const kNames[] = {"Default", "Lh5", "Lh6", "Stored", "Best", "Carried"};
    return kNames[info.index];
}

INSTANTIATE_TEST_SUITE_P(Methods, WrittenByUnlha,
                         ::testing::Values("-jm2", "-jm1", "-jm6", "-jm0", "-jm2 -jb", "-jm2 CARRIED"), methodName);

TEST(WrittenByJlha, EveryLevelAndMethodExtractsByteForByte)
{
    if (!installed("jlha"))
        GTEST_SKIP() << "jlha is not installed";
    TempFolder folder;
    // jlha writes '?' for names outside ASCII, so its tree keeps to ASCII names.
    const fs::path src = folder.path() / "src";
    lzh::test::writeFile(src / "text.txt", std::string(100000, 'x') + lzh::test::randomBytes(3000, 9) + "tail");
    lzh::test::writeFile(src / "sub" / "random.bin", lzh::test::randomBytes(40000, 4));
    lzh::test::writeFile(src / "sub" / "deeper" / "empty.txt", "");
    lzh::test::writeFile(src / "sub" / "lines.txt", [] {
        std::string s;
        for (int i = 0; i < 5000; ++i)
            s += "row " + std::to_string(i * 7 % 101) + "\n";
        return s;
    }());
    fs::create_directories(src / "emptydir");
    const auto expected = lzh::test::treeOf(src);
    for (const char* level : {"0", "1", "2"}) {
        for (const char* method : {"o5", "o6", "o7", "z"}) {
            SCOPED_TRACE(std::string(level) + method);
            const std::string archive = folder / (std::string("j") + level + method + ".lzh");
            ASSERT_EQ(lzh::test::run("cd " + quoted(src.string()) + " && jlha c" + level + method + "q " +
                                     quoted(archive) + " text.txt sub emptydir >/dev/null 2>&1"),
                      0);
            const fs::path out = folder.path() / (std::string("out") + level + method);
            ASSERT_EQ(lzh::test::run(kUnlha + " x " + quoted(archive) + " " + quoted(out.string())), 0);
            EXPECT_EQ(digests(lzh::test::treeOf(out)), digests(expected));
        }
    }
}

TEST(UnlhaTool, ExitsWithTheDocumentedCodes)
{
    TempFolder folder;
    lzh::test::writeFile(folder / "bad.lzh", "\x30\x00-lh5-not really an archive at all");
    const std::pair<std::string, int> cases[] = {
        {"q " + quoted(folder / "x.lzh"), 1},
        {"a -zz " + quoted(folder / "x.lzh") + " " + quoted(folder.str()), 1},
        {"a " + quoted(folder / "x.lzh") + " " + quoted(folder / "none"), 2},
        {"x " + quoted(folder / "none.lzh") + " " + quoted(folder / "out"), 3},
        {"t " + quoted(folder / "bad.lzh"), 4},
    };
    for (const auto& [arguments, code] : cases)
        EXPECT_EQ(lzh::test::run(kUnlha + " " + arguments + " 2>/dev/null"), code) << arguments;
    EXPECT_FALSE(fs::exists(folder / "x.lzh"));
}

// A common Windows archiver stores folder paths as "\\sub\\file": such members land under the
// folder with success, and the tool says once which names it changed.
TEST(UnlhaTool, PutsRootedNamesUnderTheFolderAndSaysSoOnce)
{
    TempFolder folder;
    lzh::test::writeFile(folder / "win.lzh", lzh::test::level0Member("\\sub\\one.txt", "1") +
                                                 lzh::test::level0Member("C:\\sub\\two.txt", "2") +
                                                 lzh::test::level0Member("plain.txt", "3") + std::string(1, '\0'));
    ASSERT_EQ(lzh::test::run(kUnlha + " x " + quoted(folder / "win.lzh") + " " + quoted(folder / "out") + " 2>" +
                             quoted(folder / "err.txt")),
              0);
    EXPECT_EQ(lzh::test::treeOf(folder.path() / "out"),
              (std::map<std::string, std::string>{
                  {"plain.txt", "3"}, {"sub/", ""}, {"sub/one.txt", "1"}, {"sub/two.txt", "2"}}));
    EXPECT_EQ(lzh::test::readFile(folder / "err.txt"),
              "unlha: extracted under the folder without their leading separator or drive: /sub/one.txt, "
              "C:/sub/two.txt\n");
}

} // namespace
