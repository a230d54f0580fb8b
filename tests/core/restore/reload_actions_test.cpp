#include "core/restore/reload_actions.h"

#include "restore_fixture.h"

#include <filesystem>
#include <functional>

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

    EXPECT_FALSE(core::restore::restoreSelectedSlot(m_state, m_fakes.services, openedModel(1, 3)));

    ASSERT_EQ(m_fakes.dialogs.shown().size(), 1u);
    EXPECT_EQ(m_fakes.dialogs.shown()[0].kind, ScriptedDialogs::Kind::Message);
    EXPECT_EQ(m_fakes.dialogs.shown()[0].title, "つむぎ君：　復元する");
    EXPECT_EQ(m_fakes.dialogs.shown()[0].text, "指定された場所には　バックアップされた情報がありません！");
    EXPECT_TRUE(m_fakes.archiver.commands().empty());
}

TEST_F(ReloadActionsTest, YesRestoresTheSelectedSlotOverTheProtectedFolderLessItsTrailingSeparator)
{
    put("prog/DayBack/hback07/BackUp.lzh");
    m_state.setup.BackupFolder = m_protected + platform::kSeparator;
    m_fakes.dialogs.answerYes();

    EXPECT_TRUE(core::restore::restoreSelectedSlot(m_state, m_fakes.services, openedModel(1, 7)));

    const std::string archive = core::archivePathInSlot(core::daySlotPath(m_program, 7));
    ASSERT_EQ(m_fakes.archiver.commands().size(), 2u);
    EXPECT_EQ(m_fakes.archiver.commands()[1],
              commandOf("x -d1 -y1 \"" + archive + "\" \"" + m_protected + platform::kSeparator + "\""));
    EXPECT_EQ(m_fakes.dialogs.messages().back().text, archive + " を \r" + m_protected + " に復元しました");
}

// A scheduled backup may write the slot while the question is open: the new stamp, an archive
// rewritten in place, or another archive of the same size and time renamed over it. None of
// them is what Yes was given to, so nothing is restored and the window stays open.
TEST_F(ReloadActionsTest, ASlotWrittenWhileTheQuestionIsOpenIsNotRestored)
{
    namespace fs = std::filesystem;
    const std::string archive = core::archivePathInSlot(core::daySlotPath(m_program, 3));
    const std::vector<std::pair<const char*, std::function<void()>>> meanwhile = {
        {"stamp",
         [&] {
             m_state.setup.DayBackDate[3] = core::DateTime::fromCivil({2026, 12, 7, 15, 0, 0});
         }},
        {"rewritten", [&] { put("prog/DayBack/hback03/BackUp.lzh", "a longer, newer archive"); }},
        {"renamed over",
         [&] {
             const auto time = fs::last_write_time(platform::toPath(archive));
             put("prog/DayBack/hback03/new.lzh", "old");
             fs::last_write_time(platform::toPath(path("prog/DayBack/hback03/new.lzh")), time);
             fs::rename(platform::toPath(path("prog/DayBack/hback03/new.lzh")), platform::toPath(archive));
         }},
    };
    for (const auto& [what, change] : meanwhile) {
        SCOPED_TRACE(what);
        put("prog/DayBack/hback03/BackUp.lzh", "old");
        put("data/a.txt", "A");
        m_state.setup.DayBackDate[3] = core::DateTime::fromCivil({2026, 12, 6, 14, 0, 0});
        const ReloadModel model = openedModel(1, 3);
        m_fakes.dialogs.clear();
        m_fakes.dialogs.setOnQuestion(change);
        m_fakes.dialogs.answerYes();

        EXPECT_FALSE(core::restore::restoreSelectedSlot(m_state, m_fakes.services, model));

        EXPECT_TRUE(m_fakes.archiver.commands().empty());
        EXPECT_EQ(readFile(path("data/a.txt")), "A");
        ASSERT_EQ(m_fakes.dialogs.messages().size(), 1u);
        EXPECT_EQ(m_fakes.dialogs.messages()[0].title, "つむぎ君：　復元する");
        EXPECT_EQ(m_fakes.dialogs.messages()[0].text,
                  "時刻 = 2026/12/06 14:00:00  の　バックアップは　確認の間に　新しいバックアップで置き換えられま"
                  "した。\r\r復元を中止しました。　" +
                      m_protected + " は変更していません。\r\rもう一度　復元するデータを選んでください。");
    }
}

} // namespace
} // namespace fernhold::test
