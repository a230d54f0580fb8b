#pragma once
// A look at one version without restoring it: only that member is decoded, and only its head.

#include "base/status.h"
#include "core/find/history_index.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace core::find {

inline constexpr std::size_t kPreviewLimit = 256 * 1024;

enum class PreviewKind { Text, Image, Other, Failed };

struct Preview {
    PreviewKind kind = PreviewKind::Failed;
    std::string text;       // Text: as UTF-8 whatever the member's encoding
    std::string encoding;   // Text: "UTF-8", "UTF-16LE", "UTF-16BE", "CP932"
    std::string bytes;      // Image: the head of the member as stored (whole when not truncated)
    std::string typeWord;   // Image: "PNG", "JPEG", "GIF", "BMP"; Other: a word for the kind of data
    std::uint64_t size = 0; // the whole member's size
    bool truncated = false; // only the first `limit` bytes were decoded
    base::Status status;    // Failed: why
};

// Decodes the head of `path` in the newest slot holding `version`.
Preview previewVersion(const HistoryIndex& index, const std::string& path, const Version& version,
                       std::size_t limit = kPreviewLimit);

// Classifies bytes already decoded (the head of a member of `size` bytes).
Preview classifyContent(std::string head, std::uint64_t size, bool truncated);

} // namespace core::find
