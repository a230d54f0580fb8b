#include "platform/file_io.h"
#include "platform/paths.h"
#include "platform/win32/temporary_folder.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using platform::joinPath;
using platform::toPath;
using platform::test::TemporaryFolder;

std::string readWhole(const std::string& path)
{
    std::FILE* file = platform::openFile(path, "rb");
    if (file == nullptr)
        return "<cannot open>";
    std::string bytes;
    char buffer[4096];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.append(buffer, got);
    std::fclose(file);
    return bytes;
}

std::vector<std::string> namesIn(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(toPath(folder), ignored))
        names.push_back(platform::fromPath(entry.path().filename()));
    return names;
}

void setReadOnly(const std::string& path, bool readOnly)
{
    SetFileAttributesW(toPath(path).c_str(), readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
}

TEST(AtomicReplaceWin32, ReplacesTheTargetByteForByteAndLeavesNoTemporary)
{
    TemporaryFolder folder;
    const std::string target = joinPath(folder.path(), "setup.def");
    ASSERT_TRUE(platform::writeFileAtomically(target, "old"));
    // CR LF and a lone CR must reach the disk untouched: no text-mode translation.
    const std::string bytes = "\"header\"\r\n\x82\xc2\r\x1a\n";
    ASSERT_TRUE(platform::writeFileAtomically(target, bytes));
    EXPECT_EQ(readWhole(target), bytes);
    EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"setup.def"});
}

TEST(AtomicReplaceWin32, RefusesAReadOnlyTargetAndKeepsIt)
{
    TemporaryFolder folder;
    const std::string target = joinPath(folder.path(), "setup.def");
    ASSERT_TRUE(platform::writeFileAtomically(target, "kept"));
    setReadOnly(target, true);
    const base::Status status = platform::writeFileAtomically(target, "new");
    setReadOnly(target, false);
    EXPECT_EQ(status.code(), base::ErrorCode::AccessDenied);
    EXPECT_FALSE(status.detail().empty());
    EXPECT_EQ(status.path(), target);
    EXPECT_EQ(readWhole(target), "kept");
    EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"setup.def"});
}

TEST(AtomicReplaceWin32, ReplaceFileMovesACompleteFileOverTheTarget)
{
    TemporaryFolder folder;
    const std::string source = joinPath(folder.path(), "BackUp.lzh.new");
    const std::string target = joinPath(folder.path(), "BackUp.lzh");
    ASSERT_TRUE(platform::writeFileAtomically(target, "previous"));
    ASSERT_TRUE(platform::writeFileAtomically(source, "complete"));
    ASSERT_TRUE(platform::replaceFile(source, target));
    EXPECT_EQ(readWhole(target), "complete");
    EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"BackUp.lzh"});
}

TEST(AtomicReplaceWin32, MissingFolderIsReportedAsNotFound)
{
    TemporaryFolder folder;
    const std::string target = joinPath(joinPath(folder.path(), "missing"), "setup.def");
    const base::Status status = platform::writeFileAtomically(target, "x");
    EXPECT_EQ(status.code(), base::ErrorCode::NotFound);
    EXPECT_EQ(status.path(), target);
}

TEST(OpenFileWin32, JapaneseNamesOpenAndAFailureCarriesTheSystemsReason)
{
    TemporaryFolder folder;
    const std::string path = joinPath(folder.path(), "設定ファイル①.def");
    std::FILE* file = platform::openFile(path, "wb");
    ASSERT_NE(file, nullptr);
    std::fputs("a\r\nb", file);
    EXPECT_TRUE(platform::syncFile(file, path));
    std::fclose(file);
    EXPECT_EQ(readWhole(path), "a\r\nb");
    EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"設定ファイル①.def"});

    const std::string missing = joinPath(folder.path(), "無い.def");
    EXPECT_EQ(platform::openFile(missing, "rb"), nullptr);
    const base::Status status = platform::lastSystemError(missing);
    EXPECT_EQ(status.code(), base::ErrorCode::NotFound);
    EXPECT_FALSE(status.detail().empty());
    EXPECT_EQ(status.path(), missing);
}

TEST(LongPathWin32, FilesPastTheClassicLimitAreCreatedReadReplacedAndDeleted)
{
    TemporaryFolder folder;
    std::vector<std::string> levels{folder.path()};
    for (int level = 0; level < 4; ++level)
        levels.push_back(joinPath(levels.back(), "つむぎ君のとても長いフォルダ名" + std::string(80, 'a' + level)));
    const std::string deep = levels.back();
    ASSERT_GT(deep.size(), 400u);
    std::error_code error;
    ASSERT_TRUE(std::filesystem::create_directories(toPath(deep), error)) << error.message();

    const std::string target = joinPath(deep, "BackUp.lzh");
    ASSERT_TRUE(platform::writeFileAtomically(target, "first"));
    ASSERT_TRUE(platform::writeFileAtomically(target, "second"));
    EXPECT_EQ(readWhole(target), "second");
    const std::string moved = joinPath(deep, "BackUp.old");
    ASSERT_TRUE(platform::replaceFile(target, moved));
    EXPECT_EQ(readWhole(moved), "second");
    EXPECT_FALSE(std::filesystem::exists(toPath(target), error));
    EXPECT_EQ(std::filesystem::file_size(toPath(moved), error), 6u);

    // Taken down level by level: the MinGW runtime cannot list a folder this deep, so
    // remove_all would not get through it.
    EXPECT_TRUE(std::filesystem::remove(toPath(moved), error)) << error.message();
    for (size_t level = levels.size() - 1; level > 0; --level)
        EXPECT_TRUE(std::filesystem::remove(toPath(levels[level]), error)) << error.message();
}

} // namespace
