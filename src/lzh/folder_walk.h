#pragma once
// Lists what packing a folder will store: every folder (before its contents), file and symbolic
// link below it, in a stable order. Links are recorded, never followed.

#include "base/status.h"
#include "lzh/archive_writer.h"

#include <functional>
#include <string>
#include <vector>

namespace lzh {

struct WalkResult {
    std::vector<SourceEntry> entries;
    std::uint64_t totalBytes = 0;
};

// excludedPaths are never listed (nor anything below them). onSkipped receives each entry that
// could not be examined or is neither file, folder nor link; the walk goes on past it.
WalkResult walkFolder(const std::string& root, const std::vector<std::string>& excludedPaths,
                      const std::function<void(const base::Status&)>& onSkipped);

// True when two paths name the same place by their text (letter case ignored on Windows).
bool samePath(const std::string& a, const std::string& b);

} // namespace lzh
