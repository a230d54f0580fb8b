// The backups through the real archiver: each one copies what did not change from the newest
// archive in the tree, packs what did, and what lands in a slot extracts to the folder's contents.

#include "backup_fixture.h"
#include "core/backup/backup_operations.h"
#include "core/schedule/timer_tick.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace {
using namespace fernhold::test;
namespace fs = std::filesystem;

// The real archiver, keeping each command and its result.
class RealRunner final : public core::ArchiveRunner {
public:
    core::archive::ArchiveResult run(const core::archive::UnlhaCommand& command,
                                     const core::archive::ArchiveOptions& options) override
    {
        commands.push_back(command);
        results.push_back(m_direct.run(command, options));
        return results.back();
    }
    std::vector<core::archive::UnlhaCommand> commands;
    std::vector<core::archive::ArchiveResult> results;

private:
    core::DirectArchiveRunner m_direct;
};

class RealBackup : public BackupFixture {
public:
    RealBackup()
    {
        makeFolder(platform::joinPath(source, "sub"));
        writeFile(platform::joinPath(source, "sub" + kSep + "日本語.bin"), mixedBytes(200000, 1));
        writeFile(platform::joinPath(source, "b.txt"), std::string(100, 'b'));
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

TEST(RealArchive, BackupsCopyUnchangedFilesFromTheNewestArchiveAndPackChangedOnes)
{
    RealBackup f;
    int files = 0; // that get a record: the fixture's one-byte a.txt is packed again each time
    for (const auto& [path, bytes] : treeOf(f.source))
        files += path.back() != '/' && bytes.size() > 64;
    core::backUpCurrentState(f.state, f.services); // hback01, from nothing
    // Same size and modification time, other content: only the change time tells.
    const fs::path changed = platform::toPath(platform::joinPath(f.source, "sub" + kSep + "日本語.bin"));
    const auto stamp = fs::last_write_time(changed);
    writeFile(platform::fromPath(changed), mixedBytes(200000, 2));
    fs::last_write_time(changed, stamp);
    core::backUpCurrentState(f.state, f.services); // hback02, a menu backup: from hback01
    core::runStartupBackup(f.state, f.services);   // mback14 from hback02; hback03
    core::runStartupBackup(f.state, f.services);   // onto mback14's own archive, from hback03 too; hback04

    ASSERT_EQ(f.runner.results.size(), 6u);
    EXPECT_EQ(f.runner.results[0].carriedMembers, 0);
    EXPECT_EQ(f.runner.commands[1].carryFrom, f.daySlot(1) + kSep + "BackUp.lzh");
    EXPECT_EQ(f.runner.results[1].carriedMembers, files - 1);
    EXPECT_EQ(f.runner.commands[2].carryFrom, f.daySlot(2) + kSep + "BackUp.lzh");
    EXPECT_EQ(f.runner.commands[4].carryFrom, f.daySlot(3) + kSep + "BackUp.lzh");
    for (int i : {2, 3, 4, 5})
        EXPECT_EQ(f.runner.results[i].carriedMembers, files) << i;
    for (const std::string& slot : {f.daySlot(2), f.monthSlot(14)})
        EXPECT_EQ(f.extracted(slot), treeOf(f.source));
}

} // namespace
