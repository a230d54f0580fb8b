#include "platform/error_text.h"
#include "platform/file_io.h"
#include "platform/paths.h"
#include "support/file_helpers.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {
using fernhold::test::listFolder;
using fernhold::test::readFile;
using fernhold::test::TempFolder;
using fernhold::test::writeFile;

// Replacing a file whole is SaveSetup's test; here, the reasons a write fails.
TEST(WriteFileAtomically, FailsOverAFolderOrInAMissingOneLeavingNoTemporary)
{
    TempFolder folder;
    const std::string overFolder = folder.file("setup.def");
    ASSERT_TRUE(fernhold::test::makeFolder(overFolder));
    const base::Status status = platform::writeFileAtomically(overFolder, "data");
    EXPECT_FALSE(status.ok());
    EXPECT_FALSE(status.detail().empty());
    EXPECT_EQ(status.path(), overFolder);
    EXPECT_TRUE(fernhold::test::isFolder(overFolder));
    EXPECT_EQ(listFolder(folder.path()), std::vector<std::string>{"setup.def"});
    EXPECT_EQ(platform::writeFileAtomically(folder.file("missing") + platform::kSeparator + "f", "x").code(),
              base::ErrorCode::NotFound);
}

TEST(WriteFileAtomically, KeepsTheOldFileWhenTheFolderIsReadOnly)
{
#ifdef _WIN32
    GTEST_SKIP() << "POSIX folder permissions";
#else
    if (::geteuid() == 0)
        GTEST_SKIP() << "root ignores folder permissions";
    TempFolder folder;
    const std::string target = folder.file("setup.def");
    ASSERT_TRUE(writeFile(target, "old"));
    ::chmod(folder.path().c_str(), 0555);
    const base::Status status = platform::writeFileAtomically(target, "new");
    ::chmod(folder.path().c_str(), 0755);
    EXPECT_EQ(status.code(), base::ErrorCode::AccessDenied);
    EXPECT_EQ(readFile(target), "old");
#endif
}

TEST(OpenFile, OpensJapanesePathsAndReportsTheSystemReason)
{
    TempFolder folder;
    const std::string path = folder.file("日本語.txt");
    std::FILE* file = platform::openFile(path, "wb");
    ASSERT_NE(file, nullptr);
    EXPECT_TRUE(platform::syncFile(file, path).ok());
    std::fclose(file);
    EXPECT_TRUE(fernhold::test::isFile(path));

    EXPECT_EQ(platform::openFile(folder.file("absent.txt"), "rb"), nullptr);
    const base::Status status = platform::lastSystemError(folder.file("absent.txt"));
    EXPECT_EQ(status.code(), base::ErrorCode::NotFound);
    EXPECT_FALSE(status.detail().empty());
}

} // namespace
