#include "core/restore/folder_clearing.h"

#include "platform/paths.h"
#include "support/file_helpers.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {
using namespace fernhold::test;
namespace fs = std::filesystem;

void makeReadOnly(const std::string& path)
{
    std::error_code error;
    fs::permissions(platform::toPath(path), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove, error);
}

TEST(ClearFolder, RemovesSubfoldersWholeAndKeepsOnlyReadOnlyFilesDirectlyInside)
{
    TempFolder temp;
    const std::string target = temp.file("target");
    makeFolder(target);
    writeFile(target + "/plain.txt", "goes");
    writeFile(target + "/kept.txt", "stays");
    makeReadOnly(target + "/kept.txt");
    makeFolder(target + "/sub");
    makeFolder(target + "/sub/deeper");
    writeFile(target + "/sub/deeper/locked.txt", "goes with its folder");
    makeReadOnly(target + "/sub/deeper/locked.txt");

    ASSERT_TRUE(core::restore::clearFolder(target).isOk());
    EXPECT_EQ(listFolder(target), std::vector<std::string>{"kept.txt"});
}

TEST(ClearFolder, RemovesALinkWithoutTouchingWhatItPointsTo)
{
    TempFolder temp;
    const std::string target = temp.file("target");
    const std::string outside = temp.file("outside");
    makeFolder(target);
    makeFolder(outside);
    writeFile(outside + "/precious.txt", "must stay");
    std::error_code error;
    fs::create_directory_symlink(platform::toPath(outside), platform::toPath(target + "/link"), error);
    if (error)
        GTEST_SKIP() << "this runtime cannot make links: " << error.message();

    ASSERT_TRUE(core::restore::clearFolder(target).isOk());
    EXPECT_TRUE(listFolder(target).empty());
    EXPECT_EQ(readFile(outside + "/precious.txt"), "must stay");
}

// MinGW's std::filesystem lists the working folder in place of such a folder: clearing it must
// empty the folder asked for and leave the working folder alone.
TEST(ClearFolder, EmptiesAFolderPastThreeHundredCharactersAndNothingElse)
{
    TempFolder temp;
    const std::string work = temp.file("work");
    makeFolder(work);
    writeFile(work + "/canary.txt", "must stay");
    std::string target = temp.file("target");
    makeFolder(target);
    for (int depth = 0; target.size() <= 320; ++depth) {
        target = platform::joinPath(target, std::string(50, 't') + std::to_string(depth));
        ASSERT_TRUE(makeFolder(target));
    }
    writeFile(platform::joinPath(target, "old.txt"), "goes");
    makeFolder(platform::joinPath(target, "sub"));
    writeFile(platform::joinPath(target, "sub/inner.txt"), "goes");
    std::error_code error;
    const fs::path previous = fs::current_path(error);
    fs::current_path(platform::toPath(work), error);
    ASSERT_FALSE(error);

    const base::Status cleared = core::restore::clearFolder(target);
    fs::current_path(previous, error);

    ASSERT_TRUE(cleared.isOk()) << cleared.detail();
    EXPECT_TRUE(listFolder(target).empty());
    EXPECT_TRUE(core::restore::folderIsEmpty(target));
    EXPECT_EQ(listFolder(work), std::vector<std::string>{"canary.txt"});
}

} // namespace
