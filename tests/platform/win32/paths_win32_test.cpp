#include "platform/paths.h"

#include <gtest/gtest.h>

namespace {

using platform::fromPath;
using platform::toPath;

bool hasExtendedPrefix(const std::filesystem::path& path)
{
    return path.native().rfind(L"\\\\?\\", 0) == 0;
}

TEST(PathsWin32, ShortPathsReachTheSystemAsGiven)
{
    const std::string path = "C:\\Users\\太郎\\つむぎ君\\TmpRead";
    EXPECT_EQ(toPath(path).native(), L"C:\\Users\\太郎\\つむぎ君\\TmpRead");
    EXPECT_EQ(fromPath(toPath(path)), path);
    EXPECT_EQ(fromPath(toPath("relative\\name")), "relative\\name");
}

TEST(PathsWin32, LongPathsTakeTheExtendedFormAndComeBackWithout)
{
    const std::string local = "C:\\" + std::string(150, 'x') + "\\" + std::string(150, 'y') + "\\setup.def";
    EXPECT_TRUE(hasExtendedPrefix(toPath(local)));
    EXPECT_EQ(fromPath(toPath(local)), local);

    const std::string share = "\\\\server\\share\\" + std::string(300, 'z');
    EXPECT_EQ(toPath(share).native().rfind(L"\\\\?\\UNC\\server\\share\\", 0), 0u);
    EXPECT_EQ(fromPath(toPath(share)), share);
}

TEST(PathsWin32, LongPathsAreCleanedUpBeforeTheExtendedForm)
{
    // The extended form turns off the system's own clean-up, so "/" and ".." are resolved first.
    const std::string messy = "C:/" + std::string(150, 'x') + "/skipped/../" + std::string(150, 'y');
    EXPECT_EQ(fromPath(toPath(messy)), "C:\\" + std::string(150, 'x') + "\\" + std::string(150, 'y'));
}

} // namespace
