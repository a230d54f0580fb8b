// Restores and saves on a 2 MiB file system that fills up: the failure is told as a failure,
// the folder and setup.def stay whole, and no temporary file is left. Linux only: the small file
// system is a tmpfs, which needs the super-user. (Backups that cannot be written are the crash
// test's file-size limits.)

#include "reliability/reliability_support.h"

#include "core/archive/unlha.h"
#include "core/restore/restore_archive.h"
#include "core/settings/setup_file.h"
#include "platform/disk_space.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <random>
#include <sys/mount.h>

namespace {
using namespace fernhold::test;
using core::restore::RestoreOutcome;

// Bytes the codec cannot shrink.
std::string noise(std::size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random());
    return bytes;
}

class FullDisk : public ::testing::Test {
protected:
    void SetUp() override
    {
        makeFolder(m_disk);
        if (::mount("tmpfs", m_disk.c_str(), "tmpfs", 0, "size=2m") != 0)
            GTEST_SKIP() << "cannot mount a 2 MiB tmpfs (" << std::strerror(errno) << ")";
        m_mounted = true;
        makeFolder(m_source);
        setUpProgram(m_state, m_program, m_source);
    }

    void TearDown() override
    {
        if (m_mounted)
            ::umount2(m_disk.c_str(), MNT_DETACH);
    }

    std::uint64_t freeSpace() const { return platform::volumeSpace(m_disk)->freeBytes; }

    TempFolder m_temp;
    std::string m_disk = m_temp.file("disk");
    std::string m_program = m_disk + "/Fernhold";
    std::string m_source = m_temp.file("保護");
    core::AppState m_state;
    RealServices m_real;
    bool m_mounted = false;
};

TEST_F(FullDisk, SaveSetupOnAFullDiskFailsAndKeepsTheOldFile)
{
    const std::string before = readFile(core::setupFilePath(m_program));
    writeFile(m_disk + "/filler", std::string(2 << 20, 'f')); // fails part way, once the disk is full
    ASSERT_LT(freeSpace(), 4096u);

    m_state.setup.DayBackSlot = 7;
    EXPECT_EQ(core::SaveSetup(m_state).code(), base::ErrorCode::DiskFull);
    EXPECT_EQ(readFile(core::setupFilePath(m_program)), before);
    EXPECT_EQ(temporariesIn(m_disk), std::vector<std::string>{});
}

// The archives lie off the small disk, the folder to fill on it (a copy to a folder goes through the
// same restore engine). 3 MB of noise never fits: the restore is refused before anything is deleted.
// 1 MB does not fit beside 1.5 MB of old contents, but clearing them makes room, and it is made.
TEST_F(FullDisk, RefusesWhatCannotFitBeforeDeletingAndMakesWhatFitsOnceCleared)
{
    writeFile(m_source + "/big.bin", noise(3 << 20, 1));
    const std::string big = m_temp.file("big.lzh");
    ASSERT_EQ(packFolder(big, m_source), core::archive::kUnlhaOk);
    const std::string target = m_disk + "/data";
    makeFolder(target);
    writeFile(target + "/old.txt", "old");
    EXPECT_EQ(core::restore::RestoreArchive(m_state, m_real.services, big, target, 1), RestoreOutcome::NotEnoughSpace);
    EXPECT_EQ(treeOf(target), (std::map<std::string, std::string>{{"old.txt", "old"}}));
    EXPECT_EQ(m_real.dialogs.messages().size(), 1u);
    EXPECT_EQ(temporariesIn(m_disk), std::vector<std::string>{});

    writeFile(m_source + "/big.bin", noise(1 << 20, 2));
    const std::string archive = m_temp.file("BackUp.lzh");
    ASSERT_EQ(packFolder(archive, m_source), core::archive::kUnlhaOk);
    makeFolder(target + "/sub");
    ASSERT_TRUE(writeFile(target + "/sub/old.bin", noise(1536 * 1024, 3)));
    ASSERT_LT(freeSpace(), 1024u * 1024u);
    EXPECT_EQ(core::restore::RestoreArchive(m_state, m_real.services, archive, target, 0), RestoreOutcome::Restored);
    EXPECT_EQ(readFile(target + "/big.bin"), readFile(m_source + "/big.bin"));
}

} // namespace
