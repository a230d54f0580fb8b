#include "core/restore/reload_actions.h"

#include "restore_fixture.h"

namespace fernhold::test {
namespace {

using core::restore::ReloadModel;

class ReloadActionsTest : public RestoreFixture {
protected:
    ReloadModel openedModel(int mode, int entry)
    {
        ReloadModel model(m_program, mode, m_state.setup, m_fakes.locale);
        model.activate();
        model.entryClicked(entry);
        return model;
    }
};

TEST_F(ReloadActionsTest, ASlotWithoutBackUpLzhIsReportedAndNothingIsAsked)
{
    put("prog/DayBack/hback03/other.txt");

    EXPECT_FALSE(core::restore::cmdReload_Click(m_state, m_fakes.services, openedModel(1, 3)));

    ASSERT_EQ(m_fakes.dialogs.shown().size(), 1u);
    EXPECT_EQ(m_fakes.dialogs.shown()[0].kind, ScriptedDialogs::Kind::Message);
    EXPECT_EQ(m_fakes.dialogs.shown()[0].title, "つむぎ君：　復元する");
    EXPECT_EQ(m_fakes.dialogs.shown()[0].text, "指定された場所には　バックアップされた情報がありません！");
    EXPECT_TRUE(m_fakes.archiver.commands().empty());
}

TEST_F(ReloadActionsTest, AnsweringNoChangesNothingAndKeepsTheWindowOpen)
{
    put("prog/MonthBack/mback05/BackUp.lzh");
    put("data/a.txt", "A");
    m_fakes.dialogs.answerNo();

    EXPECT_FALSE(core::restore::cmdReload_Click(m_state, m_fakes.services, openedModel(0, 4)));

    ASSERT_EQ(m_fakes.dialogs.questions().size(), 1u);
    EXPECT_EQ(m_fakes.dialogs.questions()[0].title, "つむぎ君：　復元する");
    EXPECT_EQ(m_fakes.dialogs.questions()[0].text,
              "05日の　データを復元します。\r\r現在のデータは上書きされてなくなります。\r\rそれでも　実行しますか？");
    EXPECT_TRUE(m_fakes.archiver.commands().empty());
    EXPECT_TRUE(m_fakes.mainView.titles().empty());
    EXPECT_EQ(readFile(path("data/a.txt")), "A");
}

TEST_F(ReloadActionsTest, YesRestoresTheSelectedSlotOverTheProtectedFolderLessItsTrailingSeparator)
{
    put("prog/DayBack/hback07/BackUp.lzh");
    m_state.setup.BackupFolder = m_protected + platform::kSeparator;
    m_fakes.dialogs.answerYes();

    EXPECT_TRUE(core::restore::cmdReload_Click(m_state, m_fakes.services, openedModel(1, 7)));

    const std::string archive = core::archivePathInSlot(core::daySlotPath(m_program, 7));
    ASSERT_EQ(m_fakes.archiver.commands().size(), 2u);
    EXPECT_EQ(m_fakes.archiver.commands()[1],
              "x -d1 -y1 \"" + archive + "\" \"" + m_protected + platform::kSeparator + "\"");
    EXPECT_EQ(m_fakes.dialogs.messages().back().text, archive + " を \r" + m_protected + " に復元しました");
}

TEST_F(ReloadActionsTest, TheWindowClosesAfterARestoreThatFailed)
{
    put("prog/MonthBack/mback01/BackUp.lzh");
    m_fakes.archiver.setResult(core::archive::kUnlhaArchiveCorrupt);
    m_fakes.dialogs.answerYes();

    EXPECT_TRUE(core::restore::cmdReload_Click(m_state, m_fakes.services, openedModel(0, 0)));
}

} // namespace
} // namespace fernhold::test
