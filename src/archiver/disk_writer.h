#pragma once
// Writes members an extraction has vetted under its target folder: folders, files (each under a
// temporary name, renamed once whole) and, after everything else, links and folder times.
// Nothing is written through a link: a folder on the way must be a real folder.

#include "base/status.h"
#include "lzh/archive_reader.h"
#include "lzh/member.h"
#include "platform/file_io.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace archiver {

class DiskWriter {
public:
    // report hears of every member that could not be written; chunkDone is called for each chunk
    // of file data written, and the member stops (as Cancelled, not reported) when it returns
    // false. Both must outlive the writer.
    DiskWriter(const std::function<void(const base::Status&)>& report, const std::function<bool()>& chunkDone);

    // Creates the target folder; IoError when it cannot be made.
    base::Status prepareRoot(const std::string& target);
    // Writes the member that reader has just read the header of; parts are its path's safe
    // components. True when it was written now; a link is kept, and made and counted by finish().
    bool write(const lzh::MemberInfo& member, const std::vector<std::string>& parts, lzh::ArchiveReader& reader);
    // Takes over another writer's pending links and folder times, for the same target.
    void merge(DiskWriter& other);
    // Makes the links and sets the folder times; the count of links made.
    int finish();

private:
    struct PendingLink {
        lzh::MemberInfo member;
        std::vector<std::string> parts;
    };
    std::optional<std::filesystem::path> makeFolders(const std::vector<std::string>& parts, bool all,
                                                     const std::string& member);
    bool writeFolder(const lzh::MemberInfo& member, const std::vector<std::string>& parts);
    bool writeFile(const lzh::MemberInfo& member, const std::vector<std::string>& parts, lzh::ArchiveReader& reader);
    bool openFolderOf(const std::vector<std::string>& parts, const std::string& member);
    bool fail(const base::Status& status);

    const std::function<void(const base::Status&)>& m_report;
    const std::function<bool()>& m_chunkDone;
    std::filesystem::path m_root;
    std::set<std::string> m_folders; // made or found below the root, as "a/b/"
    std::vector<std::pair<std::filesystem::path, std::int64_t>> m_folderTimes;
    std::vector<PendingLink> m_links;
    platform::OpenFolder m_folder; // where the last file went; m_out is made in it
    std::string m_folderKey;       // that folder's key in m_folders
    platform::NewFile m_out;       // the file being extracted
};

} // namespace archiver
