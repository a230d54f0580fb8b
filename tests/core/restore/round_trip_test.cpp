// The restore and the copy with the real archiver: pack a folder, change it, bring it back.

#include "core/archive/unlha.h"
#include "core/restore/copy_to_folder.h"
#include "core/restore/restore_archive.h"
#include "core/settings/setup_file.h"
#include "restore_fixture.h"

#include <filesystem>

namespace fernhold::test {
namespace {

using core::restore::CopyOutcome;
using core::restore::RestoreOutcome;
namespace fs = std::filesystem;

class RoundTripTest : public RestoreFixture {
protected:
    RoundTripTest() : m_services{m_fakes.clock, m_fakes.dialogs, m_fakes.mainView, m_runner, m_fakes.locale}
    {
        m_slot = core::monthSlotPath(m_program, 5);
        m_archive = core::archivePathInSlot(m_slot);
        std::string noise;
        for (int i = 0; i < 200000; ++i)
            noise += static_cast<char>((i * 7919 + i / 13) & 0xFF);
        put("data/a.txt", "first version");
        put("data/sub/noise.bin", noise);
        put("data/日本語/表ソ.txt", "漢字のファイル");
        // Look-alikes whose CP932 bytes read back as the other one; the clearing removes the
        // originals, so a changed name would be a lost one.
        for (const char* name : {"〜", "−", "—", "‖", "¢", "£", "¬", "4月〜6月.txt", "4月～6月.txt"})
            put(std::string("data/似た字/") + name, name);
        put("data/sub/deeper/empty.txt", "");
        makeFolder(path("data/empty"));
    }

    void pack()
    {
        const std::string command =
            "a -d1 -y1 -h2 -jm2 \"" + m_archive + "\" \"" + m_protected + platform::kSeparator + "\"";
        char message[256];
        ASSERT_EQ(core::archive::Unlha(nullptr, command.c_str(), message, sizeof message), core::archive::kUnlhaOk)
            << message;
    }

    void changeTheFolder()
    {
        put("data/a.txt", "second version, longer than the first");
        fs::remove(platform::toPath(path("data/sub/noise.bin")));
        put("data/added.txt", "new");
        put("data/newdir/inner.txt", "new");
        fs::remove_all(platform::toPath(path("data/empty")));
    }

    RestoreOutcome restore() { return core::restore::RestoreArchive(m_state, m_services, m_archive, m_protected, 1); }

    std::string lastMessage() const
    {
        return m_fakes.dialogs.messages().empty() ? std::string() : m_fakes.dialogs.messages().back().text;
    }

    core::DirectArchiveRunner m_runner;
    core::Services m_services;
    std::string m_slot;
    std::string m_archive;
};

TEST_F(RoundTripTest, RestoreBringsBackTheBackedUpFolderByteForByte)
{
    const auto original = treeOf(m_protected);
    pack();
    changeTheFolder();
    ASSERT_NE(treeOf(m_protected), original);

    EXPECT_EQ(restore(), RestoreOutcome::Restored) << lastMessage();

    EXPECT_EQ(treeOf(m_protected), original);
    EXPECT_EQ(lastMessage(), m_archive + " を \r" + m_protected + " に復元しました");
}

TEST_F(RoundTripTest, CopyUnpacksIntoTmpReadAndIntoAnotherFolder)
{
    const auto original = treeOf(m_protected);
    pack();
    put("prog/TmpRead/stale.txt");
    put("elsewhere/stale/file.txt");
    m_fakes.dialogs.chooseFolderAnswer(core::tmpReadFolder(m_program));
    m_fakes.dialogs.chooseFolderAnswer(path("elsewhere"));
    m_fakes.dialogs.answerYes();

    EXPECT_EQ(core::restore::copySlotToFolder(m_state, m_services, m_slot), CopyOutcome::Copied) << lastMessage();
    EXPECT_EQ(core::restore::copySlotToFolder(m_state, m_services, m_slot), CopyOutcome::Copied) << lastMessage();

    EXPECT_EQ(treeOf(core::tmpReadFolder(m_program)), original);
    EXPECT_EQ(treeOf(path("elsewhere")), original);
    EXPECT_EQ(m_fakes.dialogs.questions().size(), 1u);
}

TEST_F(RoundTripTest, AFailureAfterTheTestIsReportedWithWhatDidNotComeBack)
{
    pack();
    fs::remove_all(platform::toPath(path("data/sub")));
    put("data/sub", "a read-only file where the archive has a folder");
    makeReadOnly("data/sub");

    EXPECT_EQ(restore(), RestoreOutcome::ExtractionFailed);

    EXPECT_EQ(lastMessage().find("に復元しました"), std::string::npos);
    EXPECT_NE(lastMessage().find(m_protected + " に復元できませんでした！"), std::string::npos) << lastMessage();
    EXPECT_NE(lastMessage().find("sub"), std::string::npos) << lastMessage();
    EXPECT_EQ(readFile(path("data/a.txt")), "first version");
    EXPECT_TRUE(isFile(core::setupFilePath(m_program)));
}

} // namespace
} // namespace fernhold::test
