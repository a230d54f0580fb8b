// unlha.exe as Windows starts it: the arguments arrive through the wide command line, so
// Japanese folder names that the ANSI argv would mangle reach the tool whole.

#include "platform/paths.h"
#include "support/child_process.h"
#include "support/file_helpers.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

namespace {

TEST(UnlhaToolWin32, PacksAndExtractsFoldersWithJapaneseNamesFromTheCommandLine)
{
    fernhold::test::TempFolder temp;
    const std::string source = temp.file("元データ①");
    ASSERT_TRUE(fernhold::test::makeFolder(source));
    ASSERT_TRUE(fernhold::test::writeFile(platform::joinPath(source, "表計算.txt"), "本文\r\n"));
    const std::string archive = temp.file("つむぎ.lzh");
    const std::string target = temp.file("展開先");
    const std::string unlha = platform::joinPath(platform::executableFolder(), "..\\bin\\unlha.exe");

    ASSERT_EQ(fernhold::test::runToEnd(unlha, {"a", "-d1", "-y1", "-h2", "-jm2", archive, source}), 0);
    ASSERT_EQ(fernhold::test::runToEnd(unlha, {"x", "-d1", "-y1", archive, target}), 0);
    EXPECT_EQ(fernhold::test::readFile(platform::joinPath(target, "表計算.txt")), "本文\r\n");
}

} // namespace
