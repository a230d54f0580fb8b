// Protected folders that are hard to back up: names CP932 cannot hold, paths over 1,000 bytes,
// links to themselves and unreadable files (named pipes are the packer's and unlha's tests). The
// real menu backup and the real restore bring every name back exactly, and nothing is reported wrongly.

#include "reliability/reliability_support.h"

#include "core/archive/unlha.h"
#include "core/backup/backup_messages.h"
#include "core/backup/backup_operations.h"
#include "core/restore/restore_archive.h"
#include "core/settings/setup_file.h"
#include "core/store/backup_tree.h"
#include "platform/paths.h"
#include "support/file_helpers.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {
using namespace fernhold::test;
namespace fs = std::filesystem;

class HostileFolder : public ::testing::Test {
protected:
    HostileFolder()
    {
        setUpProgram(m_state, m_temp.file("Fernhold"), m_source);
        makeFolder(m_source);
    }

    // The current-state backup; returns the message it showed.
    std::string backUp()
    {
        core::backUpCurrentState(m_state, m_real.services);
        const auto shown = m_real.dialogs.messages();
        m_real.dialogs.clear();
        return shown.empty() ? std::string() : shown.back().text;
    }

    std::string slot() const { return core::daySlotPath(m_state.programFolder, m_state.setup.DayBackSlot); }

    // Backs the folder up, empties it and restores it; the tree must come back exactly.
    void expectRoundTrip()
    {
        const auto before = treeOf(m_source);
        const std::string text = backUp();
        ASSERT_EQ(text, core::backupDoneText(m_source, slot()));
        removeAll(m_source);
        makeFolder(m_source);
        writeFile(m_source + "/stale.txt", "gone after the restore");
        const std::string archive = core::archivePathInSlot(slot());
        EXPECT_EQ(core::restore::RestoreArchive(m_state, m_real.services, archive, m_source, 1),
                  core::restore::RestoreOutcome::Restored);
        EXPECT_EQ(treeOf(m_source), before);
    }

    TempFolder m_temp;
    std::string m_source = m_temp.file("保護");
    core::AppState m_state;
    RealServices m_real;
};

// Look-alikes among them: their CP932 bytes read back as the other one, and the clearing removes
// the originals, so a changed name would be a lost file.
TEST_F(HostileFolder, NamesThatCp932CannotHoldAndPathsOverAThousandBytesComeBackExactly)
{
    for (const std::string name : {"café.txt", "한국어.txt", "😀 emoji.txt", "Ωmega", "mixé 한 😀", "〜", "−", "—", "‖",
                                   "¢", "£", "¬", "4月〜6月.txt", "4月～6月.txt"}) {
        writeFile(m_source + "/" + name, "content of " + name);
        makeFolder(m_source + "/dir " + name);
        writeFile(m_source + "/dir " + name + "/inner " + name, name);
    }
    std::string path = m_source;
    const std::string part(60, 'a');
    const std::string wide = "長い名前のフォルダ長い名前のフォルダ長い名前のフォルダ"; // 81 bytes
    std::size_t relative = 0;
    for (int depth = 0; relative < 1200; ++depth) {
        const std::string component = (depth % 2 == 0 ? wide : part) + std::to_string(depth);
        path += "/" + component;
        relative += component.size() + 1;
        ASSERT_TRUE(makeFolder(path));
    }
    writeFile(path + "/deep file.txt", "at the bottom");
    ASSERT_GT(path.size() - m_source.size(), 1000u);
    expectRoundTrip();
}

// The test passes, but a read-only file stands where the archive has a folder: the failure is
// reported with what did not come back, never as a restore.
TEST_F(HostileFolder, AFailureAfterTheTestIsReportedWithWhatDidNotComeBack)
{
    writeFile(m_source + "/a.txt", "first version");
    makeFolder(m_source + "/sub");
    writeFile(m_source + "/sub/inner.txt", "inner");
    const std::string text = backUp(); // moves on to the slot it writes
    ASSERT_EQ(text, core::backupDoneText(m_source, slot()));
    removeAll(m_source + "/sub");
    writeFile(m_source + "/sub", "a read-only file where the archive has a folder");
    fs::permissions(platform::toPath(m_source + "/sub"), fs::perms::owner_read, fs::perm_options::replace);

    EXPECT_EQ(core::restore::RestoreArchive(m_state, m_real.services, core::archivePathInSlot(slot()), m_source, 1),
              core::restore::RestoreOutcome::ExtractionFailed);
    const std::string shown = m_real.dialogs.messages().back().text;
    EXPECT_NE(shown.find(m_source + " に復元できませんでした！"), std::string::npos) << shown;
    EXPECT_NE(shown.find("sub"), std::string::npos) << shown;
    EXPECT_EQ(readFile(m_source + "/a.txt"), "first version");
}

#ifndef _WIN32

// Links are stored as links wherever they lead, never followed: the backup reports nothing, holds
// no folder twice, and the restore gives the links back.
TEST_F(HostileFolder, LinksToThemselvesAndOutOfTheFolderAreKeptAsLinks)
{
    writeFile(m_source + "/kept.txt", "kept");
    const std::pair<const char*, const char*> links[] = {
        {"here", "."}, {"loop", "loop"},       {"pong", "ping"},  {"ping", "pong"},        {"abs", "/etc/hostname"},
        {"up", ".."},  {"inside", "kept.txt"}, {"d/l1", "../.."}, {"climb", "d/l1/../.."}, {"sub/again", "../sub"},
    };
    makeFolder(m_source + "/d");
    makeFolder(m_source + "/sub");
    for (const auto& [name, target] : links)
        fs::create_symlink(target, platform::toPath(m_source + "/" + name));

    expectRoundTrip();
    EXPECT_LT(fs::file_size(platform::toPath(core::archivePathInSlot(slot()))), 4096u);
}

TEST_F(HostileFolder, UnreadableFilesAreLeftOutAndCountedNotHiddenInASuccess)
{
    writeFile(m_source + "/readable.txt", "yes");
    writeFile(m_source + "/secret.txt", "no");
    ::chmod((m_source + "/secret.txt").c_str(), 0);
    // Permissions do not bind the super-user (CI runs as root), so the backup then runs in a child
    // that has become the unprivileged user "nobody", with the test's folders opened to it.
    const bool asRoot = ::geteuid() == 0;
    if (asRoot) {
        for (const std::string& path : {m_temp.path(), m_source, m_state.programFolder})
            ::chmod(path.c_str(), 0777);
        for (const auto& [name, bytes] : treeOf(m_state.programFolder))
            ::chmod((m_state.programFolder + "/" + name).c_str(), 0777);
    }
    const ChildEnd end = runChild(
        [&] {
            if (asRoot && (::setgid(65534) != 0 || ::setuid(65534) != 0))
                return 2;
            const std::string text = backUp();
            if (text == core::backupDoneText(m_source, slot()))
                return 1;
            return text.find("1 個") != std::string::npos ? 0 : 3;
        },
        {}, nullptr);
    ASSERT_TRUE(end.exited);
    ASSERT_NE(end.exitCode, 2) << "cannot become the user nobody";
    EXPECT_EQ(end.exitCode, 0) << "1: reported as a plain success; 3: no count of the files left out";
    const std::string archive = core::archivePathInSlot(core::daySlotPath(m_state.programFolder, 1));
    EXPECT_EQ(testArchive(archive), core::archive::kUnlhaOk);
}

#endif

} // namespace
