#include "platform/folder_listing.h"

#include "platform/file_io.h"
#include "platform/paths.h"
#ifdef _WIN32
#include "platform/win32/folder_entry_win32.h"
#endif
#include "support/file_helpers.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <filesystem>
#include <map>

namespace {
using fernhold::test::TempFolder;
using platform::EntryKind;
namespace fs = std::filesystem;

TEST(FolderListing, GivesEachFileAndFolderWithItsKindSizeTimeAndWritability)
{
    TempFolder folder;
    ASSERT_TRUE(fernhold::test::writeFile(folder.file("データ.txt"), "12345"));
    ASSERT_TRUE(fernhold::test::writeFile(folder.file("locked.txt"), ""));
    ASSERT_TRUE(fernhold::test::makeFolder(folder.file("sub")));
    ASSERT_TRUE(fernhold::test::writeFile(platform::joinPath(folder.file("sub"), "inner.txt"), "not listed"));
    ASSERT_TRUE(platform::setModificationTime(platform::toPath(folder.file("データ.txt")), 1'000'000'000).ok());
    const fs::path locked = platform::toPath(folder.file("locked.txt"));
    const auto writable = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    fs::permissions(locked, writable, fs::perm_options::remove);

    const auto listing = platform::listFolder(folder.path());
    fs::permissions(locked, fs::perms::owner_write, fs::perm_options::add);
    ASSERT_TRUE(listing.ok()) << listing.status().detail();
    std::map<std::string, platform::FolderEntry> byName;
    for (const platform::FolderEntry& entry : *listing)
        byName[entry.name] = entry;
    ASSERT_EQ(byName.size(), 3u);
    const platform::FolderEntry& file = byName["データ.txt"];
    EXPECT_EQ(file.kind, EntryKind::File);
    EXPECT_EQ(file.size, 5u);
    EXPECT_EQ(file.mtime, 1'000'000'000);
    EXPECT_FALSE(file.readOnly);
    EXPECT_NE(file.unixMode & 0200, 0);
    EXPECT_TRUE(byName["locked.txt"].readOnly);
    EXPECT_EQ(byName["locked.txt"].unixMode & 0200, 0);
    EXPECT_EQ(byName["sub"].kind, EntryKind::Folder);
}

#ifdef _WIN32
// Wine cannot make the profile's compatibility junctions, so the rule is tried on find data.
TEST(FolderListingWin32, LeavesOutOnlyLinksThatAreBothHiddenAndSystem)
{
    constexpr DWORD kJunction = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
    constexpr DWORD kHiddenSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    const struct {
        DWORD attributes;
        DWORD tag;
        bool listed;
    } cases[] = {
        {kJunction | kHiddenSystem, IO_REPARSE_TAG_MOUNT_POINT, false},
        {kJunction | FILE_ATTRIBUTE_HIDDEN, IO_REPARSE_TAG_MOUNT_POINT, true},
        {kJunction | FILE_ATTRIBUTE_SYSTEM, IO_REPARSE_TAG_MOUNT_POINT, true},
        // Not links: hidden system folders and files are the user's to keep.
        {FILE_ATTRIBUTE_DIRECTORY | kHiddenSystem, 0, true},
        {kJunction | kHiddenSystem, IO_REPARSE_TAG_CLOUD_6, true},
    };
    for (const auto& c : cases) {
        WIN32_FIND_DATAW found{};
        found.dwFileAttributes = c.attributes;
        found.dwReserved0 = c.tag;
        std::wcscpy(found.cFileName, L"My Music");
        EXPECT_EQ(platform::win32::entryFrom(found).has_value(), c.listed) << c.attributes << " " << c.tag;
    }
}
#endif

} // namespace
