// unlha.exe as Windows starts it: the arguments arrive through the wide command line, so
// Japanese folder names that the ANSI argv would mangle reach the tool whole.

#include "platform/paths.h"
#include "platform/win32/win32_text.h"
#include "support/file_helpers.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

using fernhold::test::TempFolder;

DWORD runUnlha(const std::string& arguments)
{
    const std::string exe = platform::joinPath(platform::executableFolder(), "..\\bin\\unlha.exe");
    std::wstring commandLine = platform::win32::toWide("\"" + exe + "\" " + arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &process))
        return 0xFFFFFFFF;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0xFFFFFFFF;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

TEST(UnlhaToolWin32, PacksAndExtractsFoldersWithJapaneseNamesFromTheCommandLine)
{
    TempFolder temp;
    const std::string source = temp.file("元データ①");
    ASSERT_TRUE(fernhold::test::makeFolder(source));
    ASSERT_TRUE(fernhold::test::writeFile(platform::joinPath(source, "表計算.txt"), "本文\r\n"));
    const std::string archive = temp.file("つむぎ.lzh");
    const std::string target = temp.file("展開先");

    ASSERT_EQ(runUnlha("a -d1 -y1 -h2 -jm2 \"" + archive + "\" \"" + source + "\""), 0u);
    ASSERT_EQ(runUnlha("x -d1 -y1 \"" + archive + "\" \"" + target + "\""), 0u);
    EXPECT_EQ(fernhold::test::readFile(platform::joinPath(target, "表計算.txt")), "本文\r\n");
}

} // namespace
