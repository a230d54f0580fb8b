// The backups through the real archiver: what lands in a slot extracts to the protected folder's
// contents, and real failures leave the previous archive as it was.

#include "archiver/member_packer.h"
#include "backup_fixture.h"
#include "core/backup/backup_operations.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace {
using namespace fernhold::test;
namespace fs = std::filesystem;

// The real archiver, optionally meddling with the source while it packs.
class RealRunner final : public core::ArchiveRunner {
public:
    core::archive::ArchiveResult run(const core::archive::UnlhaCommand& command,
                                     const core::archive::ArchiveOptions& options) override
    {
        core::archive::ArchiveOptions withHook = options;
        bool first = true;
        withHook.onProgress = [&](std::uint64_t, std::uint64_t, const std::string& member) {
            if (first && duringFirstMember)
                duringFirstMember(member);
            first = false;
        };
        return m_direct.run(command, withHook);
    }
    std::function<void(const std::string& member)> duringFirstMember;

private:
    core::DirectArchiveRunner m_direct;
};

class RealBackup : public BackupFixture {
public:
    RealBackup()
    {
        makeFolder(platform::joinPath(source, "sub"));
        writeFile(platform::joinPath(source, "sub" + kSep + "日本語.bin"), mixedBytes(200000, 1));
        writeFile(platform::joinPath(source, "b.txt"), "bbb");
    }

    std::map<std::string, std::string> extracted(const std::string& slot)
    {
        const std::string target = temp.file("out" + std::to_string(++m_extractions));
        makeFolder(target);
        const std::string command = "x -d1 -y1 \"" + slot + kSep + "BackUp.lzh\" \"" + target + kSep + "\"";
        EXPECT_EQ(core::archive::Unlha(nullptr, command.c_str(), nullptr, 0), core::archive::kUnlhaOk);
        return treeOf(target);
    }

    RealRunner runner;
    core::Services services{fakes.clock, fakes.dialogs, fakes.mainView, runner, fakes.locale};

private:
    int m_extractions = 0;
};

TEST(RealArchive, ScheduledBackupAddsOntoTheArchiveInTheSlot)
{
    RealBackup f;
    core::runStartupBackup(f.state, f.services);
    fs::remove(platform::toPath(platform::joinPath(f.source, "b.txt")));
    writeFile(platform::joinPath(f.source, "a.txt"), "changed");
    core::runStartupBackup(f.state, f.services);

    const auto files = f.extracted(f.monthSlot(14));
    EXPECT_EQ(files.at("b.txt"), "bbb");
    EXPECT_EQ(files.at("a.txt"), "changed");
    EXPECT_TRUE(f.fakes.dialogs.shown().empty());
}

TEST(RealArchive, FilesRemovedDuringTheBackupAreCountedInTheMessage)
{
    RealBackup f;
    fs::remove_all(platform::toPath(platform::joinPath(f.source, "sub")));
    // The packer takes entries a bounded distance ahead of the one it writes; the file removed
    // comes farther behind the first member, so it cannot have been read yet.
    for (std::size_t i = 0; i < archiver::MemberPacker::kMaxAhead + 8; ++i)
        writeFile(platform::joinPath(f.source, "f" + std::to_string(10000 + i) + ".txt"), "f");
    writeFile(platform::joinPath(f.source, "zz.txt"), "z");
    int removed = 0;
    f.runner.duringFirstMember = [&](const std::string&) {
        if (fs::remove(platform::toPath(platform::joinPath(f.source, "zz.txt"))))
            ++removed;
    };
    core::backUpCurrentState(f.state, f.services);

    ASSERT_EQ(removed, 1);
    EXPECT_EQ(f.extracted(f.daySlot(1)), treeOf(f.source));
    EXPECT_EQ(f.state.setup.DayBackDate[1], f.fakes.clock.now().time);
    EXPECT_EQ(f.fakes.dialogs.messages().back().text,
              f.source + " を \r" + f.daySlot(1) +
                  " にバックアップしましたが、\r読み込めなかったファイル 1 個は含まれていません");
}

} // namespace
