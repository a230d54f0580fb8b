#include "platform/paths.h"

#include <gtest/gtest.h>

namespace {

TEST(Paths, ConvertsJapaneseNamesToFilesystemPathsAndBack)
{
    const std::string name = platform::joinPath("バックアップ", "表～.txt");
    const std::filesystem::path path = platform::toPath(name);
    EXPECT_EQ(platform::fromPath(path), name);
    EXPECT_EQ(platform::fromPath(path.filename()), "表～.txt");
}

TEST(Paths, ExecutableFolderHoldsTheRunningTestProgram)
{
    const std::string folder = platform::executableFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), platform::kSeparator);
    EXPECT_EQ(folder.find("\\\\?\\"), std::string::npos); // the plain form, never Windows' extended one
    std::error_code error;
    bool found = false;
    for (const auto& entry : std::filesystem::directory_iterator(platform::toPath(folder), error))
        found = found || entry.path().stem() == "platform_test";
    EXPECT_TRUE(found);
}

#ifdef _WIN32
// Short paths reach the system as given; long ones take the extended form, cleaned up first (the
// form turns off the system's own clean-up of "/" and ".."), and come back without it.
TEST(PathsWin32, OnlyLongPathsTakeTheExtendedFormAndEveryPathComesBackAsGiven)
{
    const std::string x(150, 'x'), y(150, 'y'), z(300, 'z');
    const struct {
        std::string path;
        std::wstring nativeStart;
        std::string back;
    } cases[] = {
        {"C:\\Users\\太郎\\つむぎ君\\TmpRead", L"C:\\Users\\太郎\\つむぎ君\\TmpRead",
         "C:\\Users\\太郎\\つむぎ君\\TmpRead"},
        {"relative\\name", L"relative\\name", "relative\\name"},
        {"C:\\" + x + "\\" + y, L"\\\\?\\C:\\xxx", "C:\\" + x + "\\" + y},
        {"\\\\server\\share\\" + z, L"\\\\?\\UNC\\server\\share\\zzz", "\\\\server\\share\\" + z},
        {"C:/" + x + "/skipped/../" + y, L"\\\\?\\C:\\xxx", "C:\\" + x + "\\" + y},
    };
    for (const auto& c : cases) {
        const std::filesystem::path path = platform::toPath(c.path);
        EXPECT_EQ(path.native().rfind(c.nativeStart, 0), 0u) << c.path;
        EXPECT_EQ(platform::fromPath(path), c.back);
    }
}
#endif

} // namespace
