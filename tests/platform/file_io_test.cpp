#include "platform/file_io.h"
#include "platform/paths.h"
#include "support/file_helpers.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {
using fernhold::test::listFolder;
using fernhold::test::readFile;
using fernhold::test::TempFolder;
namespace fs = std::filesystem;

// A crash halfway must leave the old file whole, so the new one is written beside it and renamed
// over it. The bytes go as given: no text mode turns CR LF, a lone CR or ^Z into something else.
// The folder is past Windows' classic path limit, which only the paths' extended form gets over.
TEST(WriteFileAtomically, RenamesANewFileOverTheOldOneAndFailsOverAFolderOrInAMissingOne)
{
    TempFolder folder;
    std::string deep = folder.file("つむぎ君のとても長いフォルダ名");
    for (char level = 'a'; level < 'e'; ++level)
        deep = platform::joinPath(deep, std::string(90, level));
    std::error_code error;
    ASSERT_TRUE(fs::create_directories(platform::toPath(deep), error)) << error.message();
    const std::string target = platform::joinPath(deep, "setup.def");
    const std::string bytes = "\"header\"\r\n\x82\xc2\r\x1a\n";
    ASSERT_TRUE(platform::writeFileAtomically(target, "old").ok());
    const auto old = platform::fileIdentity(target);
    ASSERT_TRUE(platform::writeFileAtomically(target, bytes).ok());
    EXPECT_EQ(readFile(target), bytes);
    ASSERT_TRUE(old && platform::fileIdentity(target));
    EXPECT_NE(platform::fileIdentity(target)->number, old->number);

    const std::string overFolder = platform::joinPath(deep, "folder");
    ASSERT_TRUE(fernhold::test::makeFolder(overFolder));
    const base::Status status = platform::writeFileAtomically(overFolder, "data");
    EXPECT_FALSE(status.ok());
    EXPECT_FALSE(status.detail().empty());
    EXPECT_EQ(status.path(), overFolder);
    EXPECT_TRUE(fernhold::test::isFolder(overFolder));
    EXPECT_EQ(platform::writeFileAtomically(platform::joinPath(platform::joinPath(deep, "missing"), "f"), "x").code(),
              base::ErrorCode::NotFound);
    ASSERT_TRUE(platform::replaceFile(target, platform::joinPath(deep, "setup.old")).ok());
    EXPECT_EQ(listFolder(deep), (std::vector<std::string>{"folder", "setup.old"}));
}

// Windows refuses to replace a read-only file, POSIX to rename in a read-only folder.
TEST(WriteFileAtomically, KeepsTheOldFileWhereItMayNotBeReplaced)
{
    TempFolder folder;
    const std::string target = folder.file("setup.def");
    ASSERT_TRUE(fernhold::test::writeFile(target, "old"));
#ifdef _WIN32
    const fs::path locked = platform::toPath(target);
#else
    if (::geteuid() == 0)
        GTEST_SKIP() << "root ignores permissions";
    const fs::path locked = platform::toPath(folder.path());
#endif
    fs::permissions(locked, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    const base::Status status = platform::writeFileAtomically(target, "new");
    fs::permissions(locked, fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(status.code(), base::ErrorCode::AccessDenied);
    EXPECT_EQ(status.path(), target);
    EXPECT_EQ(readFile(target), "old");
    EXPECT_EQ(listFolder(folder.path()), std::vector<std::string>{"setup.def"});
}

TEST(OpenFile, ReportsWhyAFileCannotBeOpened)
{
    TempFolder folder;
    EXPECT_EQ(platform::openFile(folder.file("absent.txt"), "rb"), nullptr);
    const base::Status status = platform::lastSystemError(folder.file("absent.txt"));
    EXPECT_EQ(status.code(), base::ErrorCode::NotFound);
    EXPECT_FALSE(status.detail().empty());
}

} // namespace
