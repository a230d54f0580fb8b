#include "core/restore/copy_to_folder.h"

#include "core/archive/unlha.h"
#include "restore_fixture.h"

#include <filesystem>

namespace fernhold::test {
namespace {

using core::restore::CopyOutcome;

const std::string kCopyTitle = "つむぎ君：　保存ファイルのコピー";

class CopyToFolderTest : public RestoreFixture {
protected:
    CopyToFolderTest()
    {
        m_slot = core::daySlotPath(m_program, 9);
        put("prog/DayBack/hback09/BackUp.lzh");
    }

    CopyOutcome copy() { return core::restore::copySlotToFolder(m_state, m_fakes.services, m_slot); }

    std::string m_slot;
};

TEST_F(CopyToFolderTest, ASlotWithoutFilesIsReportedWithTheRestoreTitle)
{
    m_slot = core::daySlotPath(m_program, 10);

    EXPECT_EQ(copy(), CopyOutcome::NoBackupInSlot);

    ASSERT_EQ(m_fakes.dialogs.shown().size(), 1u);
    EXPECT_EQ(m_fakes.dialogs.shown()[0].title, "つむぎ君：　復元する");
    EXPECT_EQ(m_fakes.dialogs.shown()[0].text, "指定された場所には　バックアップされた情報がありません！");
}

TEST_F(CopyToFolderTest, TheChooserStartsInARecreatedTmpReadAndACancelStopsSilently)
{
    std::filesystem::remove_all(platform::toPath(core::tmpReadFolder(m_program)));

    EXPECT_EQ(copy(), CopyOutcome::Cancelled);

    EXPECT_TRUE(isFolder(core::tmpReadFolder(m_program)));
    ASSERT_EQ(m_fakes.dialogs.shown().size(), 1u);
    const ScriptedDialogs::Shown& chooser = m_fakes.dialogs.shown()[0];
    EXPECT_EQ(chooser.kind, ScriptedDialogs::Kind::FolderChoice);
    EXPECT_EQ(chooser.title, "つむぎ君：　　コピー先フォルダを指定する");
    EXPECT_EQ(chooser.text, "コピー先のフォルダをクリックします");
    EXPECT_EQ(chooser.startFolder, core::tmpReadFolder(m_program));
    EXPECT_TRUE(m_fakes.archiver.commands().empty());
    EXPECT_FALSE(core::restore::closesWindow(CopyOutcome::Cancelled));
}

TEST_F(CopyToFolderTest, IntoTmpReadItClearsWithoutAskingAndReportsTheSlot)
{
    put("prog/TmpRead/old/file.txt");
    put("prog/TmpRead/old.txt");
    m_fakes.dialogs.chooseFolderAnswer(core::tmpReadFolder(m_program));

    EXPECT_EQ(copy(), CopyOutcome::Copied);

    EXPECT_TRUE(m_fakes.dialogs.questions().empty());
    EXPECT_TRUE(listFolder(core::tmpReadFolder(m_program)).empty());
    const std::string archive = core::archivePathInSlot(m_slot);
    EXPECT_EQ(m_fakes.archiver.commands(),
              (std::vector{commandOf("t \"" + archive + "\""),
                           commandOf("x -d1 -y1 \"" + archive + "\" \"" + core::tmpReadFolder(m_program) +
                                     platform::kSeparator + "\"")}));
    EXPECT_EQ(m_fakes.dialogs.messages().back().title, kCopyTitle);
    EXPECT_EQ(m_fakes.dialogs.messages().back().text,
              m_slot + " を \r" + core::tmpReadFolder(m_program) + " に読込みました");
    EXPECT_TRUE(m_fakes.mainView.titles().empty());
    EXPECT_FALSE(isFile(path("prog/setup.def")));
    EXPECT_TRUE(core::restore::closesWindow(CopyOutcome::Copied));
}

// TmpRead is the protected folder by default: where the copy's quiet clearing would meet the
// protected folder, the question comes first and No keeps every file.
TEST_F(CopyToFolderTest, InsideTmpReadTheProtectedFolderIsClearedOnlyAfterTheQuestion)
{
    const std::string tmpRead = core::tmpReadFolder(m_program);
    put("prog/TmpRead/sub/mine.txt", "mine");
    const std::string sub = path("prog/TmpRead/sub");
    const std::string sep(1, platform::kSeparator);
    const std::vector<std::pair<std::string, std::string>> cases = {
        {tmpRead, tmpRead},       // the default setting
        {tmpRead + sep, tmpRead}, // as the folder picker stores it
        {sub, tmpRead},           // the destination holds the protected folder
        {tmpRead, sub},           // the destination lies inside it
    };
    for (const auto& [protectedFolder, destination] : cases) {
        SCOPED_TRACE(protectedFolder + " <- " + destination);
        m_state.setup.BackupFolder = protectedFolder;
        m_fakes.dialogs.clear();
        m_fakes.dialogs.chooseFolderAnswer(destination);
        m_fakes.dialogs.answerNo();

        EXPECT_EQ(copy(), CopyOutcome::Cancelled);

        ASSERT_EQ(m_fakes.dialogs.questions().size(), 1u);
        EXPECT_EQ(m_fakes.dialogs.questions()[0].text.rfind(destination + " の中身は", 0), 0u);
        EXPECT_EQ(readFile(path("prog/TmpRead/sub/mine.txt")), "mine");
    }
    EXPECT_TRUE(m_fakes.archiver.commands().empty());
}

TEST_F(CopyToFolderTest, AnotherFolderWithContentsIsClearedOnlyAfterYes)
{
    put("work/mine.txt", "mine");
    m_fakes.dialogs.chooseFolderAnswer(path("work"));
    m_fakes.dialogs.answerNo();

    EXPECT_EQ(copy(), CopyOutcome::Cancelled);

    ASSERT_EQ(m_fakes.dialogs.questions().size(), 1u);
    EXPECT_EQ(m_fakes.dialogs.questions()[0].title, kCopyTitle);
    EXPECT_EQ(m_fakes.dialogs.questions()[0].text,
              path("work") + " の中身は　すべて削除されます。\r\r削除してから　バックアップをコピーします。\r\r"
                             "それでも　実行しますか？");
    EXPECT_EQ(readFile(path("work/mine.txt")), "mine");
    EXPECT_TRUE(m_fakes.archiver.commands().empty());

    m_fakes.dialogs.chooseFolderAnswer(path("work"));
    m_fakes.dialogs.answerYes();
    EXPECT_EQ(copy(), CopyOutcome::Copied);
    EXPECT_TRUE(listFolder(path("work")).empty());
    EXPECT_EQ(m_fakes.dialogs.messages().back().text, m_slot + " を \r" + path("work") + " に読込みました");
}

TEST_F(CopyToFolderTest, RefusesTheProgramFolderItsParentsAndTheSlotTree)
{
    put("prog/MonthBack/mback02/BackUp.lzh", "keep");
    const auto before = treeOf(m_temp.path());
    for (const std::string& folder : {m_program, m_temp.path(), core::dayBackFolder(m_program), m_slot,
                                      core::monthSlotPath(m_program, 2), std::string(1, platform::kSeparator)}) {
        m_fakes.dialogs.clear();
        m_fakes.dialogs.chooseFolderAnswer(folder);
        EXPECT_EQ(copy(), CopyOutcome::Refused) << folder;
        ASSERT_EQ(m_fakes.dialogs.messages().size(), 1u);
        EXPECT_EQ(m_fakes.dialogs.messages()[0].title, kCopyTitle);
        EXPECT_EQ(m_fakes.dialogs.messages()[0].text.rfind(folder + " は\r", 0), 0u);
        EXPECT_NE(m_fakes.dialogs.messages()[0].text.find("コピー先にできません！"), std::string::npos);
    }
    EXPECT_TRUE(m_fakes.archiver.commands().empty());
    EXPECT_EQ(treeOf(m_temp.path()), before);
}

TEST_F(CopyToFolderTest, AFailedExtractionIsNotReportedAsRead)
{
    // The test passes; the extraction refuses one member.
    m_fakes.archiver.setOnRun([&](const core::archive::UnlhaCommand& command) {
        core::archive::ArchiveResult result;
        if (command.command == 'x')
            result.memberFailures.push_back(
                base::Status::error(base::ErrorCode::Unsupported, "refused name", "../evil.txt"));
        m_fakes.archiver.setResult(result);
    });
    m_fakes.dialogs.chooseFolderAnswer(core::tmpReadFolder(m_program));

    EXPECT_EQ(copy(), CopyOutcome::ExtractionFailed);

    const std::string text = m_fakes.dialogs.messages().back().text;
    EXPECT_EQ(text, m_slot + " を \r" + core::tmpReadFolder(m_program) +
                        " に読込めませんでした！\r\r一部のファイルを取り出せませんでした。\r（error (1 failed, first: "
                        "../evil.txt: refused name)）");
    EXPECT_TRUE(core::restore::closesWindow(CopyOutcome::ExtractionFailed));
}

} // namespace
} // namespace fernhold::test
