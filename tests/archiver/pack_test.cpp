// Packing a folder: add onto an archive, replace it atomically, skip what cannot be read; a large
// file in parts, whose checks keep a file changed while it is read from being joined into a member
// that decodes wrong; with a carry archive, the packed bytes of files shown unchanged are copied,
// and the archive comes out exactly as a full pack of the same folder.

#include "archiver/extractor.h"
#include "archiver/file_parts.h"
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

// Text of the given size, in lines of varied words.
std::string text(std::size_t size)
{
    std::string out;
    for (std::uint32_t seed = 7; out.size() < size;) {
        seed = seed * 1103515245u + 12345u;
        out += "word" + std::to_string(seed >> 20) + (seed & 0x100 ? " " : "\n");
    }
    out.resize(size);
    return out;
}

// Large packed members pass through a scratch file, and files over a few MB are packed in parts
// on both workers; a large file is stored only when its middle is as incompressible as its start,
// or when all its parts together do not shrink. Nothing of the work stays beside the archive.
TEST(LzhPack, RoundTripsAVariedTreePackingLargeFilesByWhatTheirContentAllows)
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
    fs::create_directories(src / "empty folder");
#ifndef _WIN32
    fs::create_symlink("a/b/c/deep.txt", src / "link");
#endif
    test::writeFile(src / "big" / "text.txt", text(6'000'000));
    test::writeFile(src / "big" / "random head.bin", test::randomBytes(700'000, 2) + text(2'000'000));
    test::writeFile(src / "big" / "random.bin", test::randomBytes(1'500'000, 3));
    test::writeFile(src / "big" / "random tail.bin", text(1'000'000) + test::randomBytes(2'500'000, 4));
    const RunSummary summary = pack(folder / "x.lzh", src.string());
    ASSERT_TRUE(summary.archiveStatus.ok()) << summary.archiveStatus.detail() << summary.archiveStatus.path();
    EXPECT_EQ(summary.failedMembers, 0);
    std::map<std::string, std::string> methods;
    listArchive(folder / "x.lzh", [&](const lzh::MemberInfo& m) {
        if (m.path.starts_with("big/") && m.path.size() > 4)
            methods[m.path.substr(4)] = m.methodId;
    });
    EXPECT_EQ(methods, (std::map<std::string, std::string>{{"text.txt", "-lh7-"},
                                                           {"random head.bin", "-lh7-"},
                                                           {"random.bin", "-lh0-"},
                                                           {"random tail.bin", "-lh7-"}}));
    EXPECT_EQ(fernhold::test::listFolder(folder.str()), (std::vector<std::string>{"src", "x.lzh"}));
    EXPECT_EQ(unpacked(folder, folder / "x.lzh"), test::treeOf(src));
    // Whichever worker took which file or part, the same folder packs to the same bytes.
    ASSERT_TRUE(pack(folder / "again.lzh", src.string()).archiveStatus.ok());
    EXPECT_TRUE(test::readFile(folder / "again.lzh") == test::readFile(folder / "x.lzh"));
}

// Packed onto an archive inside the folder itself, as the backups are: members of the same name
// are replaced, the others kept, and neither the archive nor an excluded folder is ever packed.
// In the best-ratio mode, asked for the smallest archive, no member carries a record.
TEST(LzhPack, AddsOntoAnExistingArchiveButNeverPacksItselfNorExcludedPaths)
{
    test::TempFolder folder;
    const fs::path src = folder.path() / "src";
    test::writeFile(src / "kept.txt", "old kept");
    test::writeFile(src / "same.txt", "old version");
    test::writeFile(src / "Program" / "MonthBack" / "mback01" / "old.lzh", "slot");
    PackSettings settings;
    settings.excludedPaths = {(src / "Program").string()};
    settings.writer.effort = lzh::Effort::Best;
    const std::string archive = (src / "BackUp.lzh").string();
    ASSERT_TRUE(pack(archive, src.string(), settings).archiveStatus.ok());
    fs::remove(src / "kept.txt");
    test::writeFile(src / "same.txt", "new version");
    test::writeFile(src / "added.txt", std::string(100, 'a')); // long enough for a record
    ASSERT_TRUE(pack(archive, src.string(), settings).archiveStatus.ok());
    const std::map<std::string, std::string> expected = {
        {"kept.txt", "old kept"}, {"same.txt", "new version"}, {"added.txt", std::string(100, 'a')}};
    EXPECT_EQ(unpacked(folder, archive), expected);
    int members = 0; // the old same.txt is gone, not shadowed
    int records = 0;
    listArchive(archive, [&](const lzh::MemberInfo& m) {
        ++members;
        records += m.record.has_value();
    });
    EXPECT_EQ(members, 3);
    EXPECT_EQ(records, 0);
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

TEST(LzhFileParts, PartsNoticeTheFileChangingWhileItIsRead)
{
    const std::vector<FilePart> parts = planParts(3'500'000);
    ASSERT_EQ(parts.size(), 3u);
    test::TempFolder folder;
    std::string data = text(3'500'000);
    PartPacker packer;
    packer.path = folder / "big.txt";
    packer.scratchBeside = folder / "x.lzh";
    test::writeFile(packer.path, data);

    const PackedFilePart first = packer.pack(parts[0]);
    const PackedFilePart second = packer.pack(parts[1]);
    ASSERT_EQ(first.outcome, PackedFilePart::Outcome::Packed);
    ASSERT_EQ(second.outcome, PackedFilePart::Outcome::Packed);
    EXPECT_EQ(second.historyCrc, first.tailCrc);

    // Rewritten just before the cut after the first part was read: the second part's history no
    // longer matches what the first one packed.
    data[parts[1].offset - 10] = '#';
    test::writeFile(packer.path, data);
    EXPECT_NE(packer.pack(parts[1]).historyCrc, first.tailCrc);

    // Cut short: a part before the last finds less than planned.
    test::writeFile(packer.path, data.substr(0, parts[1].offset + 1000));
    EXPECT_EQ(packer.pack(parts[1]).outcome, PackedFilePart::Outcome::Changed);
    EXPECT_EQ(packer.pack(parts[2]).outcome, PackedFilePart::Outcome::Changed);
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
    test::writeFile(src / "a.txt", text(21000));
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
        test::writeFile(src / "a.txt", text(20000));
        test::writeFile(src / "sub" / "b.txt", text(3000));
        test::writeFile(src / "big.txt", text(3 * 1024 * 1024));           // packed in parts
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
