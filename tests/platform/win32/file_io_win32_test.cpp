#include "platform/file_io.h"
#include "platform/paths.h"
#include "support/file_helpers.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

using fernhold::test::listFolder;
using fernhold::test::readFile;
using fernhold::test::TempFolder;
using platform::joinPath;
using platform::toPath;

void setReadOnly(const std::string& path, bool readOnly)
{
    SetFileAttributesW(toPath(path).c_str(), readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
}

TEST(AtomicReplaceWin32, WritesTheBytesAsGivenWithoutTextModeTranslation)
{
    TempFolder folder;
    const std::string target = folder.file("setup.def");
    // CR LF, a lone CR and the old end-of-file mark ^Z must reach the disk untouched.
    const std::string bytes = "\"header\"\r\n\x82\xc2\r\x1a\n";
    ASSERT_TRUE(platform::writeFileAtomically(target, bytes).ok());
    EXPECT_EQ(readFile(target), bytes);
    EXPECT_EQ(listFolder(folder.path()), std::vector<std::string>{"setup.def"});
}

TEST(AtomicReplaceWin32, RefusesAReadOnlyTargetAndKeepsIt)
{
    TempFolder folder;
    const std::string target = folder.file("setup.def");
    ASSERT_TRUE(platform::writeFileAtomically(target, "kept").ok());
    setReadOnly(target, true);
    const base::Status status = platform::writeFileAtomically(target, "new");
    setReadOnly(target, false);
    EXPECT_EQ(status.code(), base::ErrorCode::AccessDenied);
    EXPECT_FALSE(status.detail().empty());
    EXPECT_EQ(status.path(), target);
    EXPECT_EQ(readFile(target), "kept");
    EXPECT_EQ(listFolder(folder.path()), std::vector<std::string>{"setup.def"});
}

TEST(LongPathWin32, FilesPastTheClassicLimitAreCreatedReadReplacedAndDeleted)
{
    TempFolder folder;
    std::vector<std::string> levels{folder.path()};
    for (int level = 0; level < 4; ++level)
        levels.push_back(joinPath(levels.back(), "つむぎ君のとても長いフォルダ名" + std::string(80, 'a' + level)));
    const std::string deep = levels.back();
    ASSERT_GT(deep.size(), 400u);
    std::error_code error;
    ASSERT_TRUE(std::filesystem::create_directories(toPath(deep), error)) << error.message();

    const std::string target = joinPath(deep, "BackUp.lzh");
    ASSERT_TRUE(platform::writeFileAtomically(target, "first").ok());
    ASSERT_TRUE(platform::writeFileAtomically(target, "second").ok());
    EXPECT_EQ(readFile(target), "second");
    const std::string moved = joinPath(deep, "BackUp.old");
    ASSERT_TRUE(platform::replaceFile(target, moved).ok());
    EXPECT_EQ(readFile(moved), "second");
    EXPECT_FALSE(std::filesystem::exists(toPath(target), error));
    EXPECT_EQ(std::filesystem::file_size(toPath(moved), error), 6u);

    // Taken down level by level: the MinGW runtime cannot list a folder this deep, so the
    // temporary folder's remove_all would not get through it.
    EXPECT_TRUE(std::filesystem::remove(toPath(moved), error)) << error.message();
    for (size_t level = levels.size() - 1; level > 0; --level)
        EXPECT_TRUE(std::filesystem::remove(toPath(levels[level]), error)) << error.message();
}

} // namespace
