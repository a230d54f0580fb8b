// setup.def as the Windows build writes it: backslashes, CP932 bytes, and Japanese names whose
// second byte is the byte of a backslash.

#include "core/app_state.h"
#include "core/settings/setup_file.h"
#include "support/file_helpers.h"
#include "support/scripted_dialogs.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

namespace {

std::string repeated(const std::string& line, int count)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += line;
    return text;
}

TEST(SetupDefWin32, DefaultsAreWrittenByteForByteWithBackslashesAndCp932)
{
    // ソ is 0x83 0x5C and 表 is 0x95 0x5C in CP932: their second byte must not read as a separator.
    core::AppState state;
    state.programFolder = "C:\\ソフト\\表示";
    core::ApplyDefaults(state.setup, state.programFolder);
    const std::string expected = "\"Lumo-Tree Setup v1.1\"\r\n"
                                 "\"C:\\\x83\x5c\x83\x74\x83\x67\\\x95\x5c\x8e\xa6\\TmpRead\"\r\n" +
                                 repeated("0\r\n", 8) + "\"08:00\"\r\n16\r\n" + repeated("0\r\n", 24) + "0\r\n" +
                                 repeated("#1899-12-30#\r\n", 55);
    EXPECT_EQ(core::serializeSetup(state.setup), expected);
}

TEST(SetupDefWin32, JapaneseProgramFolderSurvivesSaveAndLoadOnDisk)
{
    fernhold::test::TempFolder temp;
    core::AppState state;
    state.programFolder = temp.file("つむぎ君のフォルダ");
    ASSERT_TRUE(fernhold::test::makeFolder(state.programFolder));
    core::ApplyDefaults(state.setup, state.programFolder);
    state.setup.BackupFolder = "D:\\データ\\ソ表\\";
    ASSERT_TRUE(core::SaveSetup(state).ok());

    core::AppState loaded;
    loaded.programFolder = state.programFolder;
    fernhold::test::ScriptedDialogs dialogs;
    EXPECT_TRUE(core::LoadSetup(loaded, dialogs));
    EXPECT_EQ(loaded.setup.BackupFolder, "D:\\データ\\ソ表\\");
    EXPECT_EQ(fernhold::test::listFolder(state.programFolder), std::vector<std::string>{"setup.def"});
}

} // namespace
