// A backup, a restore and SaveSetup interrupted in a child process, by SIGKILL at many points and
// by a file-size limit that makes a write fail part way. Whatever the moment, the slot keeps an
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
#include "support/file_helpers.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace {
using namespace fernhold::test;

#ifndef _WIN32

int unlha(const std::string& line)
{
    return core::archive::Unlha(nullptr, line.c_str(), nullptr, 0);
}

// A program folder whose hback01 holds an older backup, and a protected folder of about 1.5 MB
// that packs slowly enough to be interrupted at many points.
class InterruptedBackup : public ::testing::Test {
protected:
    void SetUp() override
    {
        fillSource(m_source, 6, 256 * 1024, 7);
        const std::string oldSource = m_temp.file("old");
        fillSource(oldSource, 2, 3000, 99);

        core::ApplyDefaults(m_oldRecord, m_run);
        m_oldRecord.BackupFolder = m_source;
        makeProgramFolder(m_template, m_oldRecord);
        const std::string archive = core::archivePathInSlot(core::daySlotPath(m_template, 1));
        ASSERT_EQ(packFolder(archive, oldSource), core::archive::kUnlhaOk);
        m_oldArchive = readFile(archive);
        m_oldSetup = readFile(core::setupFilePath(m_template));

        // What SaveSetup writes after the backup: the slot advanced, stamped when it succeeded.
        core::SetupRecord after = m_oldRecord;
        after.DayBackSlot = 1;
        m_setupAfterFailure = core::serializeSetup(after);
        after.DayBackDate[1] = RealServices().clock.now().time;
        m_setupAfterSuccess = core::serializeSetup(after);
    }

    void freshRun()
    {
        ASSERT_TRUE(removeAll(m_run));
        ASSERT_TRUE(copyTree(m_template, m_run));
    }

    // The current-state backup as the menu runs it; exit code 0 when it reported success.
    int backupInChild()
    {
        ProgramRun run(m_run);
        core::backUpCurrentState(run.state, run.real.services);
        const auto shown = run.real.dialogs.messages();
        const bool succeeded =
            shown.size() == 1 && shown[0].text == core::backupDoneText(m_source, core::daySlotPath(m_run, 1));
        return succeeded ? 0 : 1;
    }

    std::string slotArchive() const { return core::archivePathInSlot(core::daySlotPath(m_run, 1)); }

    // The slot holds the previous archive or the whole new one, and either passes its test.
    void expectSlotIntact()
    {
        const std::string archive = readFile(slotArchive());
        EXPECT_EQ(testArchive(slotArchive()), core::archive::kUnlhaOk);
        if (archive == m_oldArchive)
            return;
        const std::string out = m_temp.file("extracted");
        removeAll(out);
        makeFolder(out);
        EXPECT_EQ(unlha("x -d1 -y1 \"" + slotArchive() + "\" \"" + out + "/\""), core::archive::kUnlhaOk);
        EXPECT_TRUE(treeOf(out) == treeOf(m_source)) << "a new archive in the slot must be the whole folder";
    }

    void expectSetupIsOneOf(const std::vector<std::string>& versions)
    {
        const std::string setup = readFile(core::setupFilePath(m_run));
        EXPECT_NE(std::find(versions.begin(), versions.end(), setup), versions.end())
            << "setup.def is no complete version (" << setup.size() << " bytes)";
    }

    // The next start reads setup.def without complaint and tidies up; the next backup works.
    void expectNextStartAndBackup(bool runNextBackup)
    {
        ProgramRun run(m_run, false);
        EXPECT_TRUE(core::runStartup(run.state, run.real.services, {}).ok());
        const auto complaints = run.real.dialogs.messages();
        EXPECT_TRUE(complaints.empty()) << "start-up complained: " << complaints[0].text;
        EXPECT_TRUE(entriesNamed(m_run, "setup.def.tmp").empty()) << "a killed save left its temporary file";
        if (!runNextBackup)
            return;
        core::backUpCurrentState(run.state, run.real.services);
        const std::string slot = core::daySlotPath(m_run, run.state.setup.DayBackSlot);
        const auto shown = run.real.dialogs.messages();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].text, core::backupDoneText(m_source, slot));
        EXPECT_EQ(testArchive(core::archivePathInSlot(slot)), core::archive::kUnlhaOk);
        EXPECT_EQ(listFolder(slot), std::vector<std::string>{"BackUp.lzh"});
    }

    void expectIntactAndUsable(bool runNextBackup)
    {
        expectSlotIntact();
        expectSetupIsOneOf({m_oldSetup, m_setupAfterSuccess, m_setupAfterFailure});
        expectNextStartAndBackup(runNextBackup);
    }

    TempFolder m_temp;
    std::string m_run = m_temp.file("Fernhold");
    std::string m_template = m_temp.file("template");
    std::string m_source = m_temp.file("保護");
    core::SetupRecord m_oldRecord;
    std::string m_oldArchive;
    std::string m_oldSetup;
    std::string m_setupAfterFailure;
    std::string m_setupAfterSuccess;
};

TEST_F(InterruptedBackup, KilledAtAnyMomentLeavesTheSlotAndSettingsWhole)
{
    // Kill points spread from before the first byte to after the rename: fixed delays (the
    // packing takes a good part of a second here) and sizes of the archive being written.
    int iteration = 0;
    std::set<std::string> endings;
    for (const long long delay : {0ll, 2000ll, 10000ll, 40000ll, 100000ll, 220000ll, 400000ll, 750000ll, 1000000ll}) {
        SCOPED_TRACE("SIGKILL after " + std::to_string(delay) + " us");
        freshRun();
        const ChildEnd end = runChild([this] { return backupInChild(); }, {}, afterMicroseconds(delay));
        EXPECT_EQ(end.otherSignal, 0);
        EXPECT_TRUE(!end.exited || end.exitCode == 0) << "an unhindered backup reported a failure";
        endings.insert(end.killed ? "killed" : "finished");
        expectIntactAndUsable(++iteration % 4 == 0);
    }

    const std::string pending = core::daySlotPath(m_run, 1) + "/BackUp.new.lzh.fernhold-new";
    for (const std::uint64_t bytes : {1ull, 65536ull, 400000ull, 800000ull}) {
        SCOPED_TRACE("SIGKILL once the new archive holds " + std::to_string(bytes) + " bytes");
        freshRun();
        const ChildEnd end = runChild([this] { return backupInChild(); }, {}, onceFileReaches(pending, bytes));
        EXPECT_EQ(end.otherSignal, 0);
        expectIntactAndUsable(++iteration % 4 == 0);
    }
    EXPECT_EQ(endings.count("killed"), 1u) << "no kill point fell inside the backup";
}

TEST_F(InterruptedBackup, AFileSizeLimitFailsTheBackupAndKeepsThePreviousArchive)
{
    // RLIMIT_FSIZE stops every write at that size, the archive's and setup.def's alike (setup.def
    // is about 2.6 KB, so the lower limits fail both).
    int iteration = 0;
    for (const std::uint64_t limit : {1ull, 1500ull, 2600ull, 20000ull, 300000ull}) {
        SCOPED_TRACE("file-size limit " + std::to_string(limit));
        freshRun();
        ChildLimits limits;
        limits.fileSizeLimit = limit;
        const ChildEnd end = runChild([this] { return backupInChild(); }, limits, nullptr);
        ASSERT_TRUE(end.exited) << "signal " << end.otherSignal;
        EXPECT_EQ(end.exitCode, 1) << "a backup that could not be written was reported as done";
        EXPECT_EQ(readFile(slotArchive()), m_oldArchive);
        EXPECT_TRUE(entriesNamed(core::dayBackFolder(m_run), ".fernhold-new").empty());
        EXPECT_TRUE(entriesNamed(core::dayBackFolder(m_run), "BackUp.new.lzh").empty());
        EXPECT_TRUE(entriesNamed(m_run, "setup.def.tmp").empty());
        expectIntactAndUsable(++iteration % 3 == 0);
    }
}

TEST_F(InterruptedBackup, KilledWhileSavingSetupLeavesOneCompleteVersion)
{
    // The child saves two different records in turn as fast as it can until it is killed.
    core::SetupRecord other = m_oldRecord;
    other.BackupFolder = m_source + "/別のフォルダ";
    other.DayBackSlot = 9;
    const std::string otherBytes = core::serializeSetup(other);
    for (long long delay = 0; delay < 60000; delay += 5000) {
        SCOPED_TRACE("SIGKILL after " + std::to_string(delay) + " us");
        freshRun();
        const ChildEnd end = runChild(
            [&] {
                ProgramRun run(m_run, false);
                for (int i = 0;; ++i) {
                    run.state.setup = i % 2 == 0 ? other : m_oldRecord;
                    if (!core::SaveSetup(run.state).ok())
                        return 1;
                }
            },
            {}, afterMicroseconds(delay));
        EXPECT_TRUE(end.killed);
        expectSetupIsOneOf({m_oldSetup, otherBytes});
        expectNextStartAndBackup(false);
    }
}

// A restore of a good archive over a protected folder with other content, killed part way.
class InterruptedRestore : public InterruptedBackup {
protected:
    int restoreInChild()
    {
        ProgramRun run(m_run);
        const auto outcome = core::restore::RestoreArchive(run.state, run.real.services, m_backup, m_source, 1);
        return outcome == core::restore::RestoreOutcome::Restored ? 0 : 1;
    }

    void SetUp() override
    {
        InterruptedBackup::SetUp();
        // The backup to restore is the 1.5 MB folder; the folder then changes before the restore.
        m_expected = treeOf(m_source);
        m_backup = m_temp.file("BackUp.lzh");
        ASSERT_EQ(packFolder(m_backup, m_source), core::archive::kUnlhaOk);
    }

    void changeTheProtectedFolder()
    {
        removeAll(m_source);
        fillSource(m_source, 3, 1000, 500);
        writeFile(m_source + "/later.txt", "written after the backup");
    }

    std::map<std::string, std::string> m_expected;
    std::string m_backup;
};

TEST_F(InterruptedRestore, KilledDuringExtractionIsCompletedByASecondRestore)
{
    for (const long long delay : {0ll, 20000ll, 100000ll, 300000ll, 500000ll}) {
        SCOPED_TRACE("SIGKILL after " + std::to_string(delay) + " us");
        changeTheProtectedFolder();
        const auto changed = treeOf(m_source);
        freshRun();
        const ChildEnd end = runChild([this] { return restoreInChild(); }, {}, afterMicroseconds(delay));
        EXPECT_EQ(end.otherSignal, 0);
        const auto left = treeOf(m_source);
        // Every file is whole: a member that came out before the kill, or one of the folder's
        // own files not yet cleared. Only the members being written are ".fernhold-part" files: one
        // for each of the two walks that share the extraction.
        int parts = 0;
        for (const auto& [name, bytes] : left) {
            if (name.find(".fernhold-part") != std::string::npos) {
                ++parts;
                continue;
            }
            if (name.back() == '/')
                continue;
            const auto expected = m_expected.find(name);
            const auto own = changed.find(name);
            const bool whole = (expected != m_expected.end() && bytes == expected->second) ||
                               (own != changed.end() && bytes == own->second);
            EXPECT_TRUE(whole) << name << " is damaged";
        }
        EXPECT_LE(parts, 2);
        EXPECT_EQ(readFile(core::setupFilePath(m_run)), m_oldSetup) << "setup.def changed before the report";

        ProgramRun run(m_run, false);
        ASSERT_TRUE(core::runStartup(run.state, run.real.services, {}).ok());
        EXPECT_EQ(core::restore::RestoreArchive(run.state, run.real.services, m_backup, m_source, 1),
                  core::restore::RestoreOutcome::Restored);
        EXPECT_TRUE(treeOf(m_source) == m_expected) << "the second restore did not complete the folder";
    }
}

#else

TEST(InterruptedBackup, NeedsForkAndSignals)
{
    GTEST_SKIP() << "killing a child part way needs fork, signals and rlimit, which Windows lacks";
}

#endif

} // namespace
