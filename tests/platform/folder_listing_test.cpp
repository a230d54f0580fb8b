#include "platform/folder_listing.h"

#include "platform/file_io.h"
#include "platform/paths.h"
#ifdef _WIN32
#include "platform/win32/folder_entry_win32.h"
#endif
#include "support/file_helpers.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <filesystem>

namespace {
using fernhold::test::makeFolder;
using fernhold::test::TempFolder;
using fernhold::test::writeFile;
using platform::EntryKind;
using platform::FolderEntry;
namespace fs = std::filesystem;

const FolderEntry* find(const std::vector<FolderEntry>& entries, const std::string& name)
{
    const auto it = std::find_if(entries.begin(), entries.end(), [&](const FolderEntry& e) { return e.name == name; });
    return it == entries.end() ? nullptr : &*it;
}

TEST(FolderListing, GivesEachFileAndFolderWithItsKindSizeTimeAndWritability)
{
    TempFolder folder;
    ASSERT_TRUE(writeFile(folder.file("データ.txt"), "12345"));
    ASSERT_TRUE(writeFile(folder.file("locked.txt"), ""));
    ASSERT_TRUE(makeFolder(folder.file("sub")));
    ASSERT_TRUE(writeFile(folder.file("sub") + "/inner.txt", "not listed"));
    ASSERT_TRUE(platform::setModificationTime(platform::toPath(folder.file("データ.txt")), 1'000'000'000).ok());
    std::error_code error;
    fs::permissions(platform::toPath(folder.file("locked.txt")),
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write, fs::perm_options::remove,
                    error);
    ASSERT_FALSE(error);

    const auto listing = platform::listFolder(folder.path());
    ASSERT_TRUE(listing.ok()) << listing.status().detail();
    ASSERT_EQ(listing->size(), 3u);
    const FolderEntry* file = find(*listing, "データ.txt");
    const FolderEntry* locked = find(*listing, "locked.txt");
    const FolderEntry* sub = find(*listing, "sub");
    ASSERT_TRUE(file && locked && sub);
    EXPECT_EQ(file->kind, EntryKind::File);
    EXPECT_EQ(file->size, 5u);
    EXPECT_EQ(file->mtime, 1'000'000'000);
    EXPECT_FALSE(file->readOnly);
    EXPECT_NE(file->unixMode & 0200, 0);
    EXPECT_TRUE(locked->readOnly);
    EXPECT_EQ(locked->unixMode & 0200, 0);
    EXPECT_EQ(sub->kind, EntryKind::Folder);
    fs::permissions(platform::toPath(folder.file("locked.txt")), fs::perms::owner_write, fs::perm_options::add, error);
}

#ifdef _WIN32
// Wine cannot make the profile's compatibility junctions, so the rule is tried on find data.
TEST(FolderListingWin32, LeavesOutOnlyLinksThatAreBothHiddenAndSystem)
{
    constexpr DWORD kJunction = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
    const struct {
        DWORD attributes;
        DWORD tag;
        bool listed;
    } cases[] = {
        {kJunction | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, IO_REPARSE_TAG_MOUNT_POINT, false},
        {kJunction | FILE_ATTRIBUTE_HIDDEN, IO_REPARSE_TAG_MOUNT_POINT, true},
        {kJunction | FILE_ATTRIBUTE_SYSTEM, IO_REPARSE_TAG_MOUNT_POINT, true},
        // Not links: hidden system folders and files are the user's to keep.
        {FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, 0, true},
        {kJunction | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, IO_REPARSE_TAG_CLOUD_6, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.attributes);
        WIN32_FIND_DATAW found{};
        found.dwFileAttributes = c.attributes;
        found.dwReserved0 = c.tag;
        std::wcscpy(found.cFileName, L"My Music");
        EXPECT_EQ(platform::win32::entryFrom(found).has_value(), c.listed);
    }
}
#endif

} // namespace
