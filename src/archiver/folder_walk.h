#pragma once
// Lists what packing a folder will store, one entry at a time: every folder (before its
// contents), file and symbolic link below it, in a stable order. Links are recorded, never
// followed. Only the folders on the way down are held, so memory does not grow with the count
// of files.

#include "base/status.h"
#include "lzh/archive_writer.h"
#include "platform/folder_listing.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace archiver {

class FolderWalk {
public:
    // excludedPaths are never listed (nor anything below them). onSkipped receives each entry
    // that could not be examined or is neither file, folder nor link; the walk goes on past it.
    FolderWalk(const std::string& root, const std::vector<std::string>& excludedPaths,
               std::function<void(const base::Status&)> onSkipped);
    ~FolderWalk();
    FolderWalk(const FolderWalk&) = delete;
    FolderWalk& operator=(const FolderWalk&) = delete;

    // The next entry, or nullopt when the walk is over.
    std::optional<lzh::SourceEntry> next();

    // True when the walk lists (or would list) an entry under this archive path: it is there in
    // the folder now and not excluded. Used to tell which members of an old archive are replaced.
    bool lists(const std::string& archivePath) const;

private:
    struct Frame;
    void enter(const std::filesystem::path& folder, const std::string& prefix);
    std::optional<lzh::SourceEntry> visit(const std::filesystem::path& path, platform::FolderEntry& found,
                                          const std::string& prefix);
    void skip(const std::filesystem::path& path, const std::string& why) const;
    bool isExcluded(const std::filesystem::path& path) const;
    bool readLink(lzh::SourceEntry& entry, const std::filesystem::path& path) const;

    std::filesystem::path m_root;
    std::vector<std::string> m_excluded;
    std::function<void(const base::Status&)> m_onSkipped;
    std::vector<Frame> m_stack;
};

struct FolderTotals {
    std::uint64_t entries = 0;
    std::uint64_t bytes = 0; // of the files, as listed
};

// What a walk of the folder will list, counted without keeping it.
FolderTotals countFolder(const std::string& root, const std::vector<std::string>& excludedPaths);

// True when two paths name the same place by their text (letter case ignored on Windows).
bool samePath(const std::string& a, const std::string& b);

} // namespace archiver
