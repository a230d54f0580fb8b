// Windows spellings of the folders a restore must never clear, and of member names: those that
// would leave the target folder on extraction, and rooted ones that land inside it.

#include "archiver/safe_path.h"
#include "core/restore/target_guard.h"
#include "core/store/backup_tree.h"
#include "support/file_helpers.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <cctype>

namespace {

using core::restore::checkTarget;
using core::restore::TargetRefusal;

TEST(RestoreTargetWin32, RefusesDrivesRootsAndDriveOrRootRelativeFolders)
{
    // "C:data" is data in the drive's current folder, "\data" is on the current drive.
    const std::pair<const char*, TargetRefusal> cases[] = {
        {"C:", TargetRefusal::DriveDesignator},  {"d:", TargetRefusal::DriveDesignator},
        {"C:\\", TargetRefusal::FileSystemRoot}, {"Z:\\", TargetRefusal::FileSystemRoot},
        {"C:/", TargetRefusal::FileSystemRoot},  {"C:\\Users\\..", TargetRefusal::FileSystemRoot},
        {"C:data", TargetRefusal::NotAbsolute},  {"\\data", TargetRefusal::NotAbsolute},
    };
    for (const auto& [target, refusal] : cases)
        EXPECT_EQ(checkTarget(target, "C:\\Tools\\つむぎ君"), refusal) << target;
}

TEST(RestoreTargetWin32, RefusesTheProgramFolderAndItsSlotsInAnyLetterCase)
{
    fernhold::test::TempFolder temp;
    const std::string program = temp.file("つむぎ君");
    ASSERT_TRUE(fernhold::test::makeFolder(program));
    ASSERT_TRUE(core::createBackupTree(program).ok());
    const auto upper = [](std::string text) {
        for (char& c : text)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return text;
    };
    EXPECT_EQ(checkTarget(upper(program), program), TargetRefusal::ProgramFolder);
    EXPECT_EQ(checkTarget(upper(temp.path()), program), TargetRefusal::ContainsProgramFolder);
    EXPECT_EQ(checkTarget(upper(core::daySlotPath(program, 3)), program), TargetRefusal::InsideSlotTree);
    EXPECT_EQ(checkTarget(temp.file("データ"), program), TargetRefusal::None);
}

// Roots, drives and ".." are every platform's extraction test; here, what names something else
// than a plain file on Windows: a stream, a name Windows would trim.
TEST(MemberNamesWin32, StreamsAndNamesWindowsWouldTrimAreRefused)
{
    for (const char* name : {"file.txt:hidden", "...\\x", "a\\ \\b"})
        EXPECT_EQ(archiver::safeComponents(name), std::nullopt) << name;
    EXPECT_EQ(archiver::safeComponents("データ\\ソ表.txt"), (std::vector<std::string>{"データ", "ソ表.txt"}));
}

} // namespace
