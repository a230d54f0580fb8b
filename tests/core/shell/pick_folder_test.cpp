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

const std::string kRoot = platform::kSeparator == '/' ? "/" : "C:\\";

// The choice starts at the folder set, or at the file system's root when none is.
TEST(PickFolder, CancelChangesNothingAndShowsNoMessage)
{
    for (const std::string set : {"/data/work/", ""}) {
        ScriptedDialogs dialogs;
        core::SetupRecord record;
        record.BackupFolder = set;
        EXPECT_EQ(core::PickFolder(record, dialogs, "/no/program"), "Cancel");
        EXPECT_EQ(record.BackupFolder, set);
        ASSERT_EQ(dialogs.shown().size(), 1u);
        const auto& choice = dialogs.shown()[0];
        EXPECT_EQ(choice.kind, ScriptedDialogs::Kind::FolderChoice);
        EXPECT_EQ(choice.title, "つむぎ君：　　フォルダを指定する");
        EXPECT_EQ(choice.text, "保存したいフォルダをクリックします");
        EXPECT_EQ(choice.startFolder, set.empty() ? kRoot : set);
    }
}

// An existing folder is stored with one trailing separator; a missing one, a file and folders a
// restore could never go back into are refused with the reason, and the old folder kept.
TEST(PickFolder, StoresAnExistingFolderAndRefusesTheRestWithTheReason)
{
    TempFolder temp;
    const std::string program = temp.file("prog");
    const std::string work = temp.file("作業");
    ASSERT_TRUE(fernhold::test::makeFolder(work));
    ASSERT_TRUE(fernhold::test::makeFolder(program));
    ASSERT_TRUE(core::createBackupTree(program).ok());
    ASSERT_TRUE(fernhold::test::writeFile(temp.file("a.txt"), "x"));
    const std::string never = "ので　バックアップしても復元できません。\r\r"
                              "バックアップするフォルダには　別のフォルダを設定してください。";
    const std::string slot = core::monthSlotPath(program, 3);
    const std::vector<std::pair<std::string, std::string>> cases = {
        {work, ""},
        {work + platform::kSeparator, ""},
        {temp.file("missing"), "指定されたファイルが存在しません"},
        {temp.file("a.txt"), "指定されたファイルが存在しません"},
        {program, program + " は\rつむぎ君のプログラムフォルダである" + never},
        {temp.path(), temp.path() + " は\rバックアップを保存しているフォルダを含んでいる" + never},
        {slot, slot + " は\rバックアップの保存場所の中にある" + never},
        {kRoot, kRoot + " は\rドライブ全体を指している" + never},
    };
    for (const auto& [answer, message] : cases) {
        SCOPED_TRACE(answer);
        ScriptedDialogs dialogs;
        dialogs.chooseFolderAnswer(answer);
        core::SetupRecord record;
        record.BackupFolder = "/data/work/";
        EXPECT_EQ(core::PickFolder(record, dialogs, program), message.empty() ? "" : "Cancel");
        EXPECT_EQ(record.BackupFolder, message.empty() ? work + platform::kSeparator : "/data/work/");
        ASSERT_EQ(dialogs.messages().size(), message.empty() ? 0u : 1u);
        if (!message.empty()) {
            EXPECT_EQ(dialogs.messages()[0].title, "つむぎ君");
            EXPECT_EQ(dialogs.messages()[0].text, message);
        }
    }
}

} // namespace
