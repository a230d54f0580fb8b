// Restores, copies and saves on a 2 MiB file system that fills up. The failure is told as a
// failure, the folder and setup.def stay whole, and no temporary file is left behind. (Backups
// that cannot be written are InterruptedBackup's file-size limit tests.)
// Linux only: the small file system is a tmpfs, which needs the super-user.

#include "reliability/reliability_support.h"

#include "core/archive/unlha.h"
#include "core/restore/copy_to_folder.h"
#include "core/restore/restore_archive.h"
#include "core/settings/setup_file.h"
#include "core/store/backup_tree.h"
#include "platform/paths.h"
#include "support/file_helpers.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <cerrno>
#include <cstring>
#include <sys/mount.h>
#endif

namespace {
using namespace fernhold::test;

#ifndef _WIN32

// Bytes the codec cannot shrink: 3 MB of them never fit in 2 MiB, packed or not.
std::string noise(std::size_t size, unsigned seed)
{
    std::string bytes(size, '\0');
    unsigned long long state = seed * 0x9E3779B97F4A7C15ull + 1;
    for (char& c : bytes) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        c = static_cast<char>(state);
    }
    return bytes;
}

class FullDisk : public ::testing::Test {
protected:
    void SetUp() override
    {
        makeFolder(m_disk);
        if (::mount("tmpfs", m_disk.c_str(), "tmpfs", 0, "size=2m") != 0)
            GTEST_SKIP() << "cannot mount a 2 MiB tmpfs (" << std::strerror(errno)
                         << "); the file-size limit tests of InterruptedBackup cover failed writes";
        m_mounted = true;

        makeFolder(m_source);
        setUpProgram(m_state, m_program, m_source);
        m_oldSetup = readFile(core::setupFilePath(m_program));

        writeFile(m_source + "/big.bin", noise(3 * 1024 * 1024, 1));
    }

    void TearDown() override
    {
        if (m_mounted)
            ::umount2(m_disk.c_str(), MNT_DETACH);
    }

    // Nothing half-written anywhere on the small disk.
    void expectNoTemporaries()
    {
        for (const char* part : {".fernhold-new", ".fernhold-part", "BackUp.new.lzh", "setup.def.tmp"})
            EXPECT_TRUE(entriesNamed(m_disk, part).empty()) << part;
    }

    // Takes the disk's last free block.
    void fillTheDisk()
    {
        std::FILE* file = std::fopen((m_disk + "/filler").c_str(), "wb");
        ASSERT_NE(file, nullptr);
        const std::string block(4096, 'f');
        while (std::fwrite(block.data(), 1, block.size(), file) == block.size() && std::fflush(file) == 0) {
        }
        std::fclose(file);
        ASSERT_LT(freeSpace(m_disk), 4096u);
    }

    TempFolder m_temp;
    std::string m_disk = m_temp.file("disk");
    std::string m_program = m_disk + "/Fernhold";
    std::string m_source = m_temp.file("保護");
    core::AppState m_state;
    RealServices m_real;
    std::string m_oldSetup;
    bool m_mounted = false;
};

TEST_F(FullDisk, SaveSetupOnAFullDiskFailsAndKeepsTheOldFile)
{
    fillTheDisk();
    m_state.setup.DayBackSlot = 7;
    const base::Status saved = core::SaveSetup(m_state);
    EXPECT_FALSE(saved.ok());
    EXPECT_EQ(saved.code(), base::ErrorCode::DiskFull);
    EXPECT_EQ(readFile(core::setupFilePath(m_program)), m_oldSetup);
    expectNoTemporaries();
}

TEST_F(FullDisk, ARestoreOrCopyThatDoesNotFitIsRefusedBeforeAnythingIsDeleted)
{
    // The archive of the 3 MB folder lies off the small disk; the folders to fill are on it.
    const std::string slot = m_temp.file("slot");
    makeFolder(slot);
    const std::string archive = core::archivePathInSlot(slot);
    ASSERT_EQ(packFolder(archive, m_source), core::archive::kUnlhaOk);
    const std::string target = m_disk + "/data";
    makeFolder(target);
    writeFile(target + "/old.txt", "old");

    EXPECT_EQ(core::restore::RestoreArchive(m_state, m_real.services, archive, target, 1),
              core::restore::RestoreOutcome::NotEnoughSpace);
    m_real.dialogs.chooseFolderAnswer(target);
    m_real.dialogs.answerYes(); // clear the destination
    EXPECT_EQ(core::restore::copySlotToFolder(m_state, m_real.services, slot),
              core::restore::CopyOutcome::NotEnoughSpace);

    EXPECT_EQ(treeOf(target), (std::map<std::string, std::string>{{"old.txt", "old"}}));
    ASSERT_EQ(m_real.dialogs.messages().size(), 2u);
    EXPECT_NE(m_real.dialogs.messages()[0].text.find(target + " に復元できませんでした！"), std::string::npos);
    EXPECT_NE(m_real.dialogs.messages()[1].text.find(target + " に読込めませんでした！"), std::string::npos);
    expectNoTemporaries();
}

TEST_F(FullDisk, ARestoreThatFitsOnceTheOldContentsAreGoneIsMade)
{
    // 1.5 MB of old data leaves less room than the 1 MB restored, but clearing gives it back.
    const std::string newer = m_temp.file("newer");
    makeFolder(newer);
    writeFile(newer + "/new.bin", noise(1024 * 1024, 2));
    const std::string archive = m_temp.file("BackUp.lzh");
    ASSERT_EQ(packFolder(archive, newer), core::archive::kUnlhaOk);
    const std::string target = m_disk + "/data";
    makeFolder(target);
    makeFolder(target + "/sub");
    ASSERT_TRUE(writeFile(target + "/sub/old.bin", noise(1536 * 1024, 3)));
    ASSERT_LT(freeSpace(m_disk), 1024u * 1024u);

    EXPECT_EQ(core::restore::RestoreArchive(m_state, m_real.services, archive, target, 0),
              core::restore::RestoreOutcome::Restored);
    EXPECT_EQ(readFile(target + "/new.bin"), readFile(newer + "/new.bin"));
}

#else

TEST(FullDisk, NeedsATmpfs)
{
    GTEST_SKIP() << "a small file system is mounted as a Linux tmpfs";
}

#endif

} // namespace
