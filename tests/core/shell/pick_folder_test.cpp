#include "core/shell/pick_folder.h"
#include "core/store/backup_tree.h"
#include "platform/paths.h"
#include "support/file_helpers.h"
#include "support/scripted_dialogs.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

namespace {

using fernhold::test::ScriptedDialogs;
using fernhold::test::TempFolder;

// The choice starts at the folder set, or at the file system's root when none is.
TEST(PickFolder, CancelChangesNothingAndShowsNoMessage)
{
    const std::string root = platform::kSeparator == '/' ? "/" : "C:\\";
    for (const std::string set : {"/data/work/", ""}) {
        ScriptedDialogs dialogs;
        core::SetupRecord record;
        record.BackupFolder = set;
        const core::SetupRecord before = record;
        EXPECT_EQ(core::PickFolder(record, dialogs, "/no/program"), "Cancel");
        EXPECT_EQ(record, before);
        ASSERT_EQ(dialogs.shown().size(), 1u);
        const auto& choice = dialogs.shown()[0];
        EXPECT_EQ(choice.kind, ScriptedDialogs::Kind::FolderChoice);
        EXPECT_EQ(choice.title, "つむぎ君：　　フォルダを指定する");
        EXPECT_EQ(choice.text, "保存したいフォルダをクリックします");
        EXPECT_EQ(choice.startFolder, set.empty() ? root : set);
    }
}

TEST(PickFolder, StoresAnExistingFolderWithOneTrailingSeparator)
{
    TempFolder temp;
    const std::string work = temp.file("作業");
    ASSERT_TRUE(fernhold::test::makeFolder(work));
    for (const std::string& answer : {work, work + platform::kSeparator}) {
        ScriptedDialogs dialogs;
        dialogs.chooseFolderAnswer(answer);
        core::SetupRecord record;
        EXPECT_EQ(core::PickFolder(record, dialogs, "/no/program"), "");
        EXPECT_EQ(record.BackupFolder, work + platform::kSeparator);
        EXPECT_TRUE(dialogs.messages().empty());
    }
}

TEST(PickFolder, AMissingFolderOrAFileIsReportedAndCancelled)
{
    TempFolder temp;
    ASSERT_TRUE(fernhold::test::writeFile(temp.file("a.txt"), "x"));
    for (const std::string& answer : {temp.file("missing"), temp.file("a.txt")}) {
        ScriptedDialogs dialogs;
        dialogs.chooseFolderAnswer(answer);
        core::SetupRecord record;
        record.BackupFolder = "/data/work/";
        EXPECT_EQ(core::PickFolder(record, dialogs, "/no/program"), "Cancel");
        EXPECT_EQ(record.BackupFolder, "/data/work/");
        ASSERT_EQ(dialogs.messages().size(), 1u);
        EXPECT_EQ(dialogs.messages()[0].title, "つむぎ君");
        EXPECT_EQ(dialogs.messages()[0].text, "指定されたファイルが存在しません");
    }
}

// Folders a restore could never go back into are refused with the reason, and the old one kept.
TEST(PickFolder, AFolderThatCouldNeverBeRestoredIsRefusedWithTheReason)
{
    TempFolder temp;
    const std::string program = temp.file("prog");
    ASSERT_TRUE(fernhold::test::makeFolder(program));
    ASSERT_TRUE(core::createBackupTree(program).ok());
    const std::string root = platform::kSeparator == '/' ? "/" : "C:\\";
    const std::vector<std::pair<std::string, std::string>> refused = {
        {program, program + " は\rつむぎ君のプログラムフォルダである"},
        {temp.path(), temp.path() + " は\rバックアップを保存しているフォルダを含んでいる"},
        {core::monthSlotPath(program, 3), core::monthSlotPath(program, 3) + " は\rバックアップの保存場所の中にある"},
        {root, root + " は\rドライブ全体を指している"},
    };
    for (const auto& [answer, reason] : refused) {
        ScriptedDialogs dialogs;
        dialogs.chooseFolderAnswer(answer);
        core::SetupRecord record;
        record.BackupFolder = "/data/work/";
        EXPECT_EQ(core::PickFolder(record, dialogs, program), "Cancel") << answer;
        EXPECT_EQ(record.BackupFolder, "/data/work/");
        ASSERT_EQ(dialogs.messages().size(), 1u);
        EXPECT_EQ(dialogs.messages()[0].title, "つむぎ君");
        EXPECT_EQ(dialogs.messages()[0].text, reason +
                                                  "ので　バックアップしても復元できません。\r\r"
                                                  "バックアップするフォルダには　別のフォルダを設定してください。");
    }
}

} // namespace
