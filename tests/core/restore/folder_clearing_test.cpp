#include "core/restore/folder_clearing.h"

#include "platform/paths.h"
#include "support/file_helpers.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {
using namespace fernhold::test;
namespace fs = std::filesystem;

// Clearing empties the folder asked for and nothing else: not the working folder, which MinGW's
// std::filesystem lists in place of a folder past 260 characters, nor the folder a link inside
// points to (the link goes as a link).
TEST(ClearFolder, EmptiesTheFolderAskedForAndNothingElse)
{
    TempFolder temp;
    const std::string work = temp.file("work");
    const std::string outside = temp.file("outside");
    makeFolder(work);
    makeFolder(outside);
    writeFile(work + "/canary.txt", "must stay");
    writeFile(outside + "/kept.txt", "must stay");
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
    fs::create_directory_symlink(platform::toPath(outside), platform::toPath(platform::joinPath(target, "link")),
                                 error);
    const fs::path previous = fs::current_path(error);
    fs::current_path(platform::toPath(work), error);
    ASSERT_FALSE(error);

    const base::Status cleared = core::restore::clearFolder(target);
    fs::current_path(previous, error);

    ASSERT_TRUE(cleared.ok()) << cleared.detail();
    EXPECT_TRUE(listFolder(target).empty());
    EXPECT_TRUE(core::restore::folderIsEmpty(target));
    EXPECT_EQ(listFolder(work), std::vector<std::string>{"canary.txt"});
    EXPECT_EQ(listFolder(outside), std::vector<std::string>{"kept.txt"});
}

} // namespace
