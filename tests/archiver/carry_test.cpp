// Packing with a carry archive: the packed bytes of files shown unchanged are copied, and the
// archive comes out exactly as a full pack of the same folder.

#include "archiver/extractor.h"
#include "archiver/packer.h"
#include "lzh/archive/archive_test_support.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace archiver {
namespace {
namespace test = lzh::test;
namespace fs = std::filesystem;

std::string text(std::size_t size, int seed)
{
    std::string out;
    while (out.size() < size)
        out += "line " + std::to_string((out.size() * 7 + seed) % 1013) + " of a document\n";
    out.resize(size);
    return out;
}

// Rewrites a file with other bytes of the same length and gives it back its modification time,
// as a program that hides its change would.
void rewriteKeepingStamp(const fs::path& file, std::size_t at)
{
    const auto stamp = fs::last_write_time(file);
    std::string bytes = test::readFile(file);
    bytes[at] = bytes[at] == 'x' ? 'y' : 'x';
    test::writeFile(file, bytes);
    fs::last_write_time(file, stamp);
}

// Flips one byte of the named member's packed data, which no header CRC covers.
void damagePackedData(const std::string& archive, const std::string& member)
{
    std::uint64_t at = 0;
    listArchive(archive, [&](const lzh::MemberInfo& m) {
        if (m.path == member)
            at = m.dataOffset + m.packedSize / 2;
    });
    std::string bytes = test::readFile(archive);
    bytes[at] = static_cast<char>(bytes[at] ^ 0x40);
    test::writeFile(archive, bytes);
}

using Change = void (*)(const fs::path& src, const std::string& base);
void noChange(const fs::path&, const std::string&) {}
void growA(const fs::path& src, const std::string&)
{
    test::writeFile(src / "a.txt", text(21000, 2));
}

struct CarryCase {
    const char* name;
    Change change;
    int carried; // of the 4 files with a record: the empty one is too small for one
    int settleSeconds = 0;
    lzh::Method baseMethod = lzh::Method::Lh7;
    bool addOntoNamingNewer = false; // pack onto the carry archive, naming one packed after the change
};

// Settled change times are trusted; younger ones make the content's digest decide.
TEST(LzhCarry, CopiesOnlyWhatIsShownUnchangedAndPacksAsAFullPackWould)
{
    const CarryCase cases[] = {
        {"unchanged", noChange, 4},
        {"one file grown", growA, 3},
        {"one file grown, added onto the old archive with a newer one named", growA, 4, 0, lzh::Method::Lh7, true},
        {"content changed, size and time set back",
         [](const fs::path& src, const std::string&) { rewriteKeepingStamp(src / "sub" / "b.txt", 10); }, 3},
        {"large file changed in its middle, time set back, change times too recent to trust",
         [](const fs::path& src, const std::string&) { rewriteKeepingStamp(src / "big.txt", 1500000); }, 3, 3600},
        {"packed bytes damaged in the carry archive",
         [](const fs::path&, const std::string& base) { damagePackedData(base, "a.txt"); }, 3},
        {"carry archive packed with another method", noChange, 0, 0, lzh::Method::Lh0},
    };
    for (const CarryCase& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempFolder folder;
        const fs::path src = folder.path() / "src";
        test::writeFile(src / "a.txt", text(20000, 1));
        test::writeFile(src / "sub" / "b.txt", text(3000, 3));
        test::writeFile(src / "big.txt", text(3 * 1024 * 1024, 4));        // packed in parts
        test::writeFile(src / "random.bin", test::randomBytes(100000, 5)); // stored
        test::writeFile(src / "empty.txt", "");
        const std::string base = folder / "base.lzh";
        PackSettings settings;
        settings.settleSeconds = c.settleSeconds;
        settings.writer.method = c.baseMethod;
        ASSERT_TRUE(packFolder(base, src.string(), settings, {}).archiveStatus.ok());
        c.change(src, base);
        if (c.addOntoNamingNewer) { // without random.bin, which then only the old archive holds
            fs::rename(src / "random.bin", folder.path() / "random.bin");
            ASSERT_TRUE(packFolder(folder / "newer.lzh", src.string(), settings, {}).archiveStatus.ok());
            fs::rename(folder.path() / "random.bin", src / "random.bin");
        }

        settings.writer.method = lzh::Method::Lh7;
        ASSERT_TRUE(packFolder(folder / "full.lzh", src.string(), settings, {}).archiveStatus.ok());
        const std::string carried = c.addOntoNamingNewer ? base : folder / "carried.lzh";
        settings.carryFrom = c.addOntoNamingNewer ? folder / "newer.lzh" : base;
        const RunSummary summary = packFolder(carried, src.string(), settings, {});
        ASSERT_TRUE(summary.archiveStatus.ok()) << summary.archiveStatus.detail();
        EXPECT_EQ(summary.members, 6);
        EXPECT_EQ(summary.carriedMembers, c.carried);
        EXPECT_TRUE(test::readFile(carried) == test::readFile(folder / "full.lzh"));
        const fs::path out = folder.path() / "out";
        ASSERT_TRUE(extractArchive(carried, out.string(), {}).archiveStatus.ok());
        EXPECT_TRUE(test::treeOf(out) == test::treeOf(src)); // the trees hold megabytes: no printing
    }
}

} // namespace
} // namespace archiver
