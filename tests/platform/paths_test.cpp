#include "platform/paths.h"

#include <gtest/gtest.h>

namespace {

const std::string kSep(1, platform::kSeparator);

TEST(Paths, ConvertsJapaneseNamesToFilesystemPathsAndBack)
{
    const std::string name = "バックアップ" + kSep + "表～.txt";
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
    EXPECT_TRUE(std::filesystem::is_directory(platform::toPath(folder), error));
    bool found = false;
    for (const auto& entry : std::filesystem::directory_iterator(platform::toPath(folder), error))
        found = found || entry.path().stem() == "platform_test";
    EXPECT_TRUE(found);
}

} // namespace
