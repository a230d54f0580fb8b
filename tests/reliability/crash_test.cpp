// A backup, a restore and SaveSetup interrupted in a child process, by SIGKILL at many points and
// by a file-size limit that makes writes fail part way. Whatever the moment, the slot keeps an
// archive that passes its test, setup.def is one complete version, and the program starts and backs
// up again. Linux only: fork, signals and rlimit.

#include "reliability/reliability_support.h"

#include "core/archive/unlha.h"
#include "core/backup/backup_messages.h"
#include "core/backup/backup_operations.h"
#include "core/restore/restore_archive.h"
#include "core/settings/setup_file.h"
#include "core/startup/startup.h"
#include "core/store/backup_tree.h"
#include "platform/paths.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

namespace {
using namespace fernhold::test;
using core::restore::RestoreOutcome;

// `files` files of `bytesEach` mixed bytes in two subfolders.
void fillSource(const std::string& folder, int files, std::size_t bytesEach, unsigned seed)
{
    for (int i = 0; i < files; ++i) {
        const std::string sub = folder + (i % 2 == 0 ? "/一" : "/two");
        makeFolder(folder);
        makeFolder(sub);
        writeFile(sub + "/f" + std::to_string(i) + ".bin", mixedBytes(bytesEach, seed + static_cast<unsigned>(i)));
    }
}

// A program folder whose hback01 holds an older backup, and a protected folder of about 1.5 MB
// that packs slowly enough to be interrupted at many points.
class Interrupted : public ::testing::Test {
protected:
    void SetUp() override
    {
        fillSource(m_source, 6, 256 * 1024, 7);
        fillSource(m_temp.file("old"), 2, 3000, 99);
        core::AppState state;
        setUpProgram(state, m_run, m_source);
        m_oldRecord = state.setup;
        ASSERT_EQ(packFolder(slotArchive(), m_temp.file("old")), core::archive::kUnlhaOk);
        m_oldArchive = readFile(slotArchive());
        // What SaveSetup may leave after the backup: the old file, the slot advanced, and stamped too.
        core::SetupRecord after = m_oldRecord;
        after.DayBackSlot = 1;
        m_setupVersions = {readFile(core::setupFilePath(m_run)), core::serializeSetup(after)};
        after.DayBackDate[1] = RealServices().clock.now().time;
        m_setupVersions.push_back(core::serializeSetup(after));
        std::filesystem::copy(platform::toPath(m_run), platform::toPath(m_template),
                              std::filesystem::copy_options::recursive);
    }

    void freshRun()
    {
        ASSERT_TRUE(removeAll(m_run));
        std::filesystem::copy(platform::toPath(m_template), platform::toPath(m_run),
                              std::filesystem::copy_options::recursive);
    }

    // The current-state backup as the menu runs it; exit code 0 when it reported success.
    int backupInChild()
    {
        ProgramRun run(m_run);
        core::backUpCurrentState(run.state, run.real.services);
        const auto shown = run.real.dialogs.messages();
        return shown.size() == 1 && shown[0].text == core::backupDoneText(m_source, core::daySlotPath(m_run, 1)) ? 0
                                                                                                                 : 1;
    }

    std::string slotArchive() const { return core::archivePathInSlot(core::daySlotPath(m_run, 1)); }

    // The slot holds the previous archive or the whole new one, setup.def is one of `setups`, the next
    // start reads it without complaint and removes a killed save's file, and the next backup (when
    // asked) works.
    void expectIntactAndUsable(const std::vector<std::string>& setups, bool runNextBackup)
    {
        if (readFile(slotArchive()) != m_oldArchive) {
            const std::string out = m_temp.file("extracted");
            removeAll(out);
            const std::string extract = "x -d1 -y1 \"" + slotArchive() + "\" \"" + out + "/\"";
            EXPECT_EQ(core::archive::Unlha(nullptr, extract.c_str(), nullptr, 0), core::archive::kUnlhaOk);
            EXPECT_TRUE(treeOf(out) == treeOf(m_source)) << "a new archive in the slot must be the whole folder";
        }
        const std::string setup = readFile(core::setupFilePath(m_run));
        EXPECT_NE(std::find(setups.begin(), setups.end(), setup), setups.end()) << "setup.def is no complete version";

        ProgramRun run(m_run, false);
        EXPECT_TRUE(core::runStartup(run.state, run.real.services, {}).ok());
        EXPECT_TRUE(run.real.dialogs.messages().empty()) << "start-up complained";
        for (const std::string& left : temporariesIn(m_run))
            EXPECT_EQ(left.find("setup.def.tmp"), std::string::npos) << "a killed save left its temporary file";
        if (!runNextBackup)
            return;
        core::backUpCurrentState(run.state, run.real.services);
        const std::string slot = core::daySlotPath(m_run, run.state.setup.DayBackSlot);
        ASSERT_EQ(run.real.dialogs.messages().size(), 1u);
        EXPECT_EQ(run.real.dialogs.messages()[0].text, core::backupDoneText(m_source, slot));
        EXPECT_EQ(testArchive(core::archivePathInSlot(slot)), core::archive::kUnlhaOk);
    }

    TempFolder m_temp;
    std::string m_run = m_temp.file("Fernhold");
    std::string m_template = m_temp.file("template");
    std::string m_source = m_temp.file("保護");
    core::SetupRecord m_oldRecord;
    std::string m_oldArchive;
    std::vector<std::string> m_setupVersions;
};

// Kill points from before the first byte to after the rename: fixed delays (the packing takes a good
// part of a second here) and sizes of the new archive. RLIMIT_FSIZE stops the archive's writes and
// setup.def's (about 2.6 KB) alike: that backup fails, says so and leaves nothing behind.
TEST_F(Interrupted, ABackupKilledOrHeldToAFileSizeLimitLeavesTheSlotAndSettingsWhole)
{
    const std::string pending = core::daySlotPath(m_run, 1) + "/BackUp.new.lzh.fernhold-new";
    const struct {
        long long delay;
        std::uint64_t bytes;
        std::uint64_t limit;
    } points[] = {{0, 0, 0},      {2000, 0, 0},   {10000, 0, 0},   {40000, 0, 0}, {100000, 0, 0}, {220000, 0, 0},
                  {400000, 0, 0}, {750000, 0, 0}, {1000000, 0, 0}, {0, 1, 0},     {0, 65536, 0},  {0, 400000, 0},
                  {0, 800000, 0}, {0, 0, 1},      {0, 0, 1500},    {0, 0, 2600},  {0, 0, 20000},  {0, 0, 300000}};
    int iteration = 0;
    int killed = 0;
    for (const auto& p : points) {
        SCOPED_TRACE(std::to_string(p.delay) + " us, " + std::to_string(p.bytes) + " B, " + std::to_string(p.limit));
        freshRun();
        const ChildEnd end = runChild([this] { return backupInChild(); }, p.limit,
                                      p.limit != 0 ? nullptr : killPoint(p.delay, p.bytes ? pending : "", p.bytes));
        EXPECT_EQ(end.otherSignal, 0);
        killed += end.killed ? 1 : 0;
        if (p.limit == 0) {
            EXPECT_LE(end.exitCode, 0) << "an unhindered backup reported a failure";
        } else {
            EXPECT_EQ(end.exitCode, 1) << "a backup that could not be written was reported as done";
            EXPECT_EQ(readFile(slotArchive()), m_oldArchive);
            EXPECT_EQ(temporariesIn(m_run), std::vector<std::string>{});
        }
        expectIntactAndUsable(m_setupVersions, ++iteration % 4 == 0);
    }
    EXPECT_GT(killed, 0) << "no kill point fell inside the backup";
}

TEST_F(Interrupted, SaveSetupKilledAtAnyMomentLeavesOneCompleteVersion)
{
    core::SetupRecord other = m_oldRecord;
    other.BackupFolder = m_source + "/別のフォルダ";
    for (long long delay = 0; delay < 60000; delay += 5000) {
        SCOPED_TRACE("SIGKILL after " + std::to_string(delay) + " us");
        freshRun();
        const auto saveTurnByTurn = [&] {
            ProgramRun run(m_run, false);
            for (int i = 0;; ++i) {
                run.state.setup = i % 2 == 0 ? other : m_oldRecord;
                if (!core::SaveSetup(run.state).ok())
                    return 1;
            }
        };
        EXPECT_TRUE(runChild(saveTurnByTurn, 0, killPoint(delay)).killed);
        expectIntactAndUsable({m_setupVersions[0], core::serializeSetup(other)}, false);
    }
}

// The 1.5 MB folder's backup restored over the folder changed since, killed part way.
TEST_F(Interrupted, ARestoreKilledPartWayLeavesWholeFilesAndASecondOneCompletesTheFolder)
{
    const auto expected = treeOf(m_source);
    const std::string backup = m_temp.file("BackUp.lzh");
    ASSERT_EQ(packFolder(backup, m_source), core::archive::kUnlhaOk);
    for (const long long delay : {0ll, 20000ll, 100000ll, 300000ll, 500000ll}) {
        SCOPED_TRACE("SIGKILL after " + std::to_string(delay) + " us");
        removeAll(m_source);
        fillSource(m_source, 3, 1000, 500);
        std::set<std::pair<std::string, std::string>> whole(expected.begin(), expected.end());
        for (const auto& entry : treeOf(m_source))
            whole.insert(entry);
        freshRun();
        const ChildEnd end = runChild(
            [&] {
                ProgramRun run(m_run);
                const auto outcome = core::restore::RestoreArchive(run.state, run.real.services, backup, m_source, 1);
                return outcome == RestoreOutcome::Restored ? 0 : 1;
            },
            0, killPoint(delay));
        EXPECT_EQ(end.otherSignal, 0);
        // Each file is a member that came out before the kill or one of the folder's own not yet
        // cleared; only the members being written, one for each of the extraction's two walks, are parts.
        int parts = 0;
        for (const auto& [name, bytes] : treeOf(m_source)) {
            if (name.find(".fernhold-part") != std::string::npos)
                ++parts;
            else
                EXPECT_EQ(whole.count({name, bytes}), 1u) << name << " is damaged";
        }
        EXPECT_LE(parts, 2);
        EXPECT_EQ(readFile(core::setupFilePath(m_run)), m_setupVersions[0]) << "setup.def changed before the report";

        ProgramRun run(m_run, false);
        ASSERT_TRUE(core::runStartup(run.state, run.real.services, {}).ok());
        EXPECT_EQ(core::restore::RestoreArchive(run.state, run.real.services, backup, m_source, 1),
                  RestoreOutcome::Restored);
        EXPECT_TRUE(treeOf(m_source) == expected) << "the second restore did not complete the folder";
    }
}

} // namespace
