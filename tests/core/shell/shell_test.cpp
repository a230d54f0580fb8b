// The menus' own small rules: the folder picker, the autostart questions, the time list, the
// version and help texts.

#include "core/shell/autostart_questions.h"
#include "core/shell/help_pages.h"
#include "core/shell/pick_folder.h"
#include "core/shell/setup_time_list.h"
#include "core/shell/version_text.h"
#include "platform/paths.h"
#include "support/file_helpers.h"
#include "support/scripted_dialogs.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

namespace {
using namespace fernhold::test;

// An existing folder is stored with one trailing separator; a cancel, a missing folder, a file and a
// folder no restore could go back into keep the old one, all but the cancel with the reason.
TEST(PickFolder, StoresAnExistingFolderAndRefusesTheRestWithTheReason)
{
    TempFolder temp;
    const std::string program = temp.file("prog");
    const std::string work = temp.file("作業");
    ASSERT_TRUE(makeFolder(work));
    ASSERT_TRUE(makeFolder(program));
    ASSERT_TRUE(writeFile(temp.file("a.txt"), "x"));
    const std::string old = "/data/work/";
    const std::vector<std::pair<std::optional<std::string>, std::string>> cases = {
        {std::nullopt, ""},
        {work, ""},
        {work + platform::kSeparator, ""},
        {temp.file("missing"), "指定されたファイルが存在しません"},
        {temp.file("a.txt"), "指定されたファイルが存在しません"},
        {program, program + " は\rつむぎ君のプログラムフォルダであるので　バックアップしても復元できません。\r\r"
                            "バックアップするフォルダには　別のフォルダを設定してください。"},
    };
    for (const auto& [answer, message] : cases) {
        SCOPED_TRACE(answer.value_or("cancel"));
        ScriptedDialogs dialogs;
        dialogs.chooseFolderAnswer(answer);
        core::SetupRecord record;
        record.BackupFolder = old;
        const bool stored = answer && message.empty();
        EXPECT_EQ(core::PickFolder(record, dialogs, program), stored ? "" : "Cancel");
        EXPECT_EQ(record.BackupFolder, stored ? work + platform::kSeparator : old);
        const ScriptedDialogs::Shown& choice = dialogs.shown().at(0);
        EXPECT_EQ(choice.kind, ScriptedDialogs::Kind::FolderChoice);
        EXPECT_EQ(choice.title, "つむぎ君：　　フォルダを指定する");
        EXPECT_EQ(choice.text, "保存したいフォルダをクリックします");
        EXPECT_EQ(choice.startFolder, old);
        ASSERT_EQ(dialogs.messages().size(), message.empty() ? 0u : 1u);
        if (!message.empty()) {
            EXPECT_EQ(dialogs.messages()[0].title, "つむぎ君");
            EXPECT_EQ(dialogs.messages()[0].text, message);
        }
    }
    // With no folder set the choice starts at the file system's root.
    ScriptedDialogs dialogs;
    core::SetupRecord record;
    core::PickFolder(record, dialogs, program);
    EXPECT_EQ(dialogs.shown().at(0).startFolder, platform::kSeparator == '/' ? "/" : "C:\\");
}

#ifndef _WIN32
TEST(AutostartQuestions, NoChangesNothingAndYesSetsUpOrRemovesTheEntry)
{
    TempFolder config;
    TempFolder program;
    setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    const std::string entry = config.file("autostart/LTApp.desktop");
    ScriptedDialogs dialogs;
    dialogs.answerNo();
    core::menuAuto_Click(dialogs, program.path());
    EXPECT_FALSE(isFile(entry));
    dialogs.answerYes();
    core::menuAuto_Click(dialogs, program.path());
    EXPECT_NE(readFile(entry).find(platform::joinPath(program.path(), "Fernhold")), std::string::npos);
    dialogs.answerNo();
    core::menuManu_Click(dialogs);
    EXPECT_TRUE(isFile(entry));
    dialogs.answerYes();
    core::menuManu_Click(dialogs);
    EXPECT_FALSE(isFile(entry));
    unsetenv("XDG_CONFIG_HOME");

    const auto& shown = dialogs.shown();
    ASSERT_EQ(shown.size(), 4u); // the questions only: nothing is shown after the work
    for (const auto& question : shown)
        EXPECT_EQ(question.title, "つむぎ君：自動起動の設定");
    EXPECT_EQ(shown[0].text, "Windows の起動時に［つむぎ君］を自動で起動しますか？");
    EXPECT_EQ(shown[3].text, "［つむぎ君］の自動起動を解除しますか？");
}
#endif

TEST(SetupTimeList, IndexInRangeWinsElseAMatchingTimeElseEightOClock)
{
    core::SetupRecord record;
    record.MonthBackTimeIndex = 16;
    record.MonthBackTime = "10:30";
    EXPECT_EQ(core::timeIndexToSelect(record), 16);
    for (std::int16_t index : {-1, 48, 300}) {
        record.MonthBackTimeIndex = index;
        EXPECT_EQ(core::timeIndexToSelect(record), 21) << index;
    }
    for (const char* time : {"", "10:15", "25:00", "8:00"}) {
        record.MonthBackTime = time;
        EXPECT_EQ(core::timeIndexToSelect(record), core::kFallbackTimeIndex) << time;
    }
}

TEST(VersionText, WritesTheRevisionStraightAfterTheMinorNumber)
{
    EXPECT_EQ(core::versionText(1, 1, 3), "Ver 1.13");
    EXPECT_EQ(core::versionText(2, 0, 10), "Ver 2.010");
    EXPECT_EQ(core::versionText(1, 12, 0), "Ver 1.120");
}

TEST(HelpPages, PagesOutsideZeroToSevenHaveNoTitleAndNoFile)
{
    for (int page : {-1, 8, 32767}) {
        EXPECT_FALSE(core::helpPage(page).has_value()) << page;
        EXPECT_EQ(core::helpPagePath("/opt/fh", page), "") << page;
    }
}

} // namespace
