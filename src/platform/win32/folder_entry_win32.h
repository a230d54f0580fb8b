#pragma once
// How one entry that FindFirstFileExW found counts in a folder listing. Apart from the listing so
// that the rules can be tried on made-up find data: Wine cannot make every kind of entry.

#include "platform/folder_listing.h"

#include <optional>
#include <windows.h>

namespace platform::win32 {

// nullopt for an entry the listing leaves out: a link with both the hidden and the system
// attribute, such as the profile's compatibility junctions ("My Music", "Application Data").
// They belong to Windows, lead to folders listed elsewhere, and refuse to be listed themselves;
// Windows' own backup leaves them out too.
std::optional<FolderEntry> entryFrom(const WIN32_FIND_DATAW& found);

} // namespace platform::win32
