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

const std::string kProgram = "C:\\Tools\\つむぎ君";

TEST(RestoreTargetWin32, RefusesABareDriveAndDriveRoots)
{
    EXPECT_EQ(checkTarget("C:", kProgram), TargetRefusal::DriveDesignator);
    EXPECT_EQ(checkTarget("d:", kProgram), TargetRefusal::DriveDesignator);
    EXPECT_EQ(checkTarget("C:\\", kProgram), TargetRefusal::FileSystemRoot);
    EXPECT_EQ(checkTarget("Z:\\", kProgram), TargetRefusal::FileSystemRoot);
    EXPECT_EQ(checkTarget("C:/", kProgram), TargetRefusal::FileSystemRoot);
    EXPECT_EQ(checkTarget("C:\\Users\\..", kProgram), TargetRefusal::FileSystemRoot);
}

TEST(RestoreTargetWin32, RefusesDriveRelativeAndRootRelativeFolders)
{
    // "C:data" is data in the drive's current folder, "\data" is on the current drive.
    EXPECT_EQ(checkTarget("C:data", kProgram), TargetRefusal::NotAbsolute);
    EXPECT_EQ(checkTarget("\\data", kProgram), TargetRefusal::NotAbsolute);
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

// Roots, drives and shares are dropped as other LZH readers do; what climbs out or names
// something else than a file on Windows is refused.
TEST(MemberNamesWin32, RootsAreDroppedAndNamesThatLeaveTheTargetAreRefused)
{
    using Parts = std::vector<std::string>;
    for (const char* name : {"..\\evil.txt", "a\\..\\..\\evil.txt", "C:..\\evil.txt", "\\..\\evil.txt",
                             "file.txt:hidden", "...\\x", "a\\ \\b"})
        EXPECT_EQ(archiver::safeComponents(name), std::nullopt) << name;
    const std::pair<const char*, Parts> kept[] = {
        {"C:\\Windows\\evil.dll", Parts{"Windows", "evil.dll"}},
        {"C:evil.txt", Parts{"evil.txt"}},
        {"\\evil.txt", Parts{"evil.txt"}},
        {"\\\\server\\share\\evil.txt", Parts{"server", "share", "evil.txt"}},
        {"データ\\ソ表.txt", Parts{"データ", "ソ表.txt"}},
    };
    for (const auto& [name, parts] : kept)
        EXPECT_EQ(archiver::safeComponents(name), parts) << name;
}

} // namespace
