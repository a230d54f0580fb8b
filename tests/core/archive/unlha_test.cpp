// Unlha's command lines, return codes, message buffer, progress and cancel flag.

#include "core/archive/command_line.h"
#include "core/archive/unlha.h"
#include "lzh/archive/archive_builder.h"
#include "lzh/archive/archive_test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace core::archive {
namespace {
namespace fs = std::filesystem;
using lzh::test::TempFolder;

std::string addLine(const std::string& archive, const std::string& folder)
{
    return "a -d1 -y1 -h2 -jm2 \"" + archive + "\" \"" + folder + "\\\"";
}

std::string extractLine(const std::string& archive, const std::string& folder)
{
    return "x -d1 -y1 \"" + archive + "\" \"" + folder + "/\"";
}

int unlha(const std::string& line, ArchiveOptions* options = nullptr)
{
    return Unlha(nullptr, line.c_str(), nullptr, 0, options);
}

TEST(UnlhaCommandLine, ParsesTheProgramsLinesWithSpacesAndJapanese)
{
    auto add = parseUnlhaCommand(addLine("C:\\My Documents\\バック\\BackUp.lzh", "D:\\データ フォルダ"), nullptr);
    ASSERT_TRUE(add.has_value());
    EXPECT_EQ(add->command, 'a');
    EXPECT_EQ(add->archive, "C:\\My Documents\\バック\\BackUp.lzh");
    EXPECT_EQ(add->folder, "D:\\データ フォルダ");
    EXPECT_EQ(add->method, kDefaultMethod);
    auto extract = parseUnlhaCommand("x -d1 -y1 \"/a b/BackUp.lzh\" \"/復元 先/\"", nullptr);
    ASSERT_TRUE(extract.has_value());
    EXPECT_EQ(extract->folder, "/復元 先");
    auto best = parseUnlhaCommand("a -jm1 -jb \"x.lzh\" \"src\"", nullptr);
    ASSERT_TRUE(best.has_value());
    EXPECT_EQ(best->method, lzh::Method::Lh5);
    EXPECT_EQ(best->effort, lzh::Effort::Best);
    auto carry = parseUnlhaCommand("a -d1 -JC \"old one.lzh\" -jm2 \"x.lzh\" \"src\"", nullptr);
    ASSERT_TRUE(carry.has_value());
    EXPECT_EQ(carry->carryFrom, "old one.lzh");
    EXPECT_EQ(carry->archive, "x.lzh");
    // Split arguments need no quoting: a path may hold '"', and a switch after a path is refused.
    auto split = parseUnlhaArguments({"x", "-d1", "a\"b.lzh", "out dir/"}, nullptr);
    ASSERT_TRUE(split.has_value());
    EXPECT_EQ(split->archive, "a\"b.lzh");
    EXPECT_EQ(split->folder, "out dir");
    EXPECT_FALSE(parseUnlhaArguments({"t", "a.lzh", "-d1"}, nullptr).has_value());
}

// The test a restore runs judges names and adds up sizes in the same reading.
TEST(Unlha, ATestWithVettingNamesTheFirstRefusedMemberAndTheRoomNeeded)
{
    for (const std::string second : {"b/c.txt", "../up.txt"}) {
        TempFolder folder;
        lzh::test::writeFile(folder / "x.lzh",
                             lzh::test::storedFile("a.txt", "A") + lzh::test::storedFile(second, "CC") + '\0');
        ArchiveOptions options;
        options.vetForBlockSize = 4096;
        const ArchiveResult result = runArchive(*parseUnlhaCommand("t \"" + folder / "x.lzh" + "\"", nullptr), options);
        EXPECT_EQ(unlhaResultCode('t', result), kUnlhaOk);
        EXPECT_EQ(result.refusedMember, second == "b/c.txt" ? std::nullopt : std::optional<std::string>(second));
        EXPECT_EQ(result.bytesNeeded, std::optional<std::uint64_t>{2 * 4096});
    }
}

TEST(Unlha, RefusesMalformedLinesWholeAndTouchesNoFile)
{
    TempFolder folder;
    lzh::test::writeFile(folder.path() / "src" / "f.txt", "data");
    char output[64];
    for (const std::string& line : std::vector<std::string>{
             "a -d1 -y1 -h2 -jm9 \"" + folder / "x.lzh" + "\" \"" + folder / "src" + "\\\"",
             "a -d1 -y1 -h1 \"" + folder / "x.lzh" + "\" \"" + folder / "src" + "\\\"",
             "x -d1 -y1 \"" + folder / "x.lzh" + "\" \"" + folder / "out" + "\\", std::string(), "z \"a.lzh\" \"b\\\"",
             "a -q \"a.lzh\" \"b\\\"", "a \"a.lzh\" \"b\\", "a \"a.lzh\"", "x \"a.lzh\" \"b\" \"c\"",
             "a \"a.lzh\" -d1 \"b\"", "t \"\"", "l", "\"a\" \"x.lzh\"", "a \"a.lzh\" \"b\" -jc \"c.lzh\"", "a -jc",
             "a -jc \"\" \"a.lzh\" \"b\"", "x -jc \"c.lzh\" \"a.lzh\" \"b\""}) {
        EXPECT_EQ(Unlha(nullptr, line.c_str(), output, sizeof output), kUnlhaBadCommand) << line;
        EXPECT_EQ(std::strncmp(output, "bad command", 11), 0) << line;
    }
    EXPECT_EQ(lzh::test::treeOf(folder.path()).size(), 2u);
}

TEST(Unlha, ReturnsTheCodeOfEachFailureKind)
{
    TempFolder folder;
    EXPECT_EQ(unlha(addLine(folder / "x.lzh", folder / "missing")), kUnlhaSourceMissing);
    EXPECT_EQ(unlha(extractLine(folder / "none.lzh", folder / "out")), kUnlhaArchiveUnreadable);
    lzh::test::writeFile(folder / "bad.lzh", std::string("\x30\x00-lh5-", 7) + std::string(30, 'x'));
    EXPECT_EQ(unlha(extractLine(folder / "bad.lzh", folder / "out")), kUnlhaArchiveCorrupt);
    lzh::test::writeFile(folder.path() / "src" / "f.txt", "data");
#ifndef _WIN32
    ASSERT_EQ(::mkfifo((folder.path() / "src" / "pipe").c_str(), 0600), 0);
    EXPECT_EQ(unlha(addLine(folder / "x.lzh", folder / "src")), kUnlhaPartial);
    fs::remove(folder.path() / "src" / "pipe");
#endif
    fs::create_directories(folder / "ro.lzh.fernhold-new");
    EXPECT_EQ(unlha(addLine(folder / "ro.lzh", folder / "src")), kUnlhaWriteFailed);
}

TEST(Unlha, CutsTheMessageAtACharacterBoundaryAndTerminatesIt)
{
    TempFolder folder;
    const std::string line = addLine(folder / "x.lzh", folder / "存在しないフォルダ");
    char full[512];
    ASSERT_EQ(Unlha(nullptr, line.c_str(), full, sizeof full), kUnlhaSourceMissing);
    const std::string message = full;
    for (int size = 1; size <= static_cast<int>(message.size()) + 1; ++size) {
        std::string buffer(size + 8, '#');
        Unlha(nullptr, line.c_str(), buffer.data(), size);
        const std::string got = buffer.c_str();
        EXPECT_LT(got.size(), static_cast<std::size_t>(size));
        EXPECT_EQ(message.compare(0, got.size(), got), 0);
        EXPECT_TRUE(got.size() == message.size() || (static_cast<unsigned char>(message[got.size()]) & 0xC0) != 0x80)
            << "cut inside a character at " << size;
        EXPECT_EQ(buffer.substr(size), std::string(8, '#'));
    }
}

// Whether the old archive survives a cancel is the archiver's to show; here, that the flag and the
// progress reach it.
TEST(Unlha, ReportsProgressAndHonoursTheCancelFlag)
{
    TempFolder folder;
    lzh::test::writeFile(folder.path() / "src" / "big.bin", lzh::test::randomBytes(500000, 7));
    ArchiveOptions options;
    std::string lastMember;
    options.onProgress = [&](std::uint64_t done, std::uint64_t total, const std::string& member) {
        EXPECT_LE(done, total);
        lastMember = member;
    };
    std::atomic<bool> cancel{false};
    options.cancel = &cancel;
    ASSERT_EQ(unlha(addLine(folder / "x.lzh", folder / "src"), &options), kUnlhaOk);
    EXPECT_EQ(lastMember, "big.bin");
    cancel = true;
    EXPECT_EQ(unlha(addLine(folder / "y.lzh", folder / "src"), &options), kUnlhaCancelled);
    EXPECT_EQ(unlha(extractLine(folder / "x.lzh", folder / "out"), &options), kUnlhaCancelled);
}

} // namespace
} // namespace core::archive
