#pragma once
// The file in the protected folder (or a chosen one) that a member of the history stands for.

#include "platform/folder_listing.h"

#include <cstdint>
#include <optional>
#include <string>

namespace core::find {

// folder joined with a member's '/'-separated path, in the platform's separators.
std::string localPathOf(const std::string& folder, const std::string& memberPath);

// What is at utf8Path itself (a link is not followed); nullopt when nothing is.
std::optional<platform::FolderEntry> entryAt(const std::string& utf8Path);

// The CRC-16 of a file's content, as an archive keeps it; nullopt when it cannot be read.
std::optional<std::uint16_t> contentCrc(const std::string& utf8Path);

} // namespace core::find
