#include "lzh/folder_walk.h"
#include "lzh/safe_path.h"

#include "platform/folder_listing.h"
#include "platform/paths.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <system_error>

namespace lzh {
namespace fs = std::filesystem;
namespace {

// Deeper trees than this are taken for a loop (a junction pointing up, for instance).
constexpr int kMaxDepth = 256;

fs::path canonicalOrNormal(const fs::path& path)
{
    std::error_code ec;
    fs::path canonical = fs::weakly_canonical(path, ec);
    return ec ? path.lexically_normal() : canonical;
}

// The text two paths are compared by: no trailing separator, letter case folded on Windows.
std::string lexicalKey(const fs::path& path)
{
    std::string text = platform::fromPath(path);
    while (text.size() > 1 && (text.back() == '/' || text.back() == '\\'))
        text.pop_back();
    if constexpr (platform::kSeparator == '\\') {
        for (char& c : text)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

std::int64_t unixTime(fs::file_time_type time)
{
    const auto sys = std::chrono::file_clock::to_sys(time);
    return std::chrono::duration_cast<std::chrono::seconds>(sys.time_since_epoch()).count();
}

struct Child {
    fs::path path;
    platform::FolderEntry entry;
};

class Walker {
public:
    Walker(const std::vector<std::string>& excluded, const std::function<void(const base::Status&)>& onSkipped)
        : m_onSkipped(onSkipped)
    {
        for (const std::string& path : excluded)
            m_excluded.push_back(lexicalKey(canonicalOrNormal(platform::toPath(path))));
    }

    void walk(const fs::path& folder, const std::string& prefix, int depth, WalkResult& result)
    {
        const std::string folderText = platform::fromPath(folder);
        auto listing = platform::listFolder(folderText);
        if (!listing) {
            skip(folder, listing.status().detail());
            return;
        }
        std::vector<Child> children;
        children.reserve(listing->size());
        for (platform::FolderEntry& entry : *listing)
            children.push_back({platform::toPath(platform::joinPath(folderText, entry.name)), std::move(entry)});
        std::sort(children.begin(), children.end(),
                  [](const Child& a, const Child& b) { return a.path.filename() < b.path.filename(); });
        for (const Child& child : children)
            visit(child, prefix, depth, result);
    }

private:
    void skip(const fs::path& path, const std::string& why)
    {
        if (m_onSkipped)
            m_onSkipped(base::Status::error(base::ErrorCode::IoError, why, platform::fromPath(path)));
    }

    bool isExcluded(const fs::path& path) const
    {
        if (m_excluded.empty())
            return false;
        const std::string text = lexicalKey(path);
        return std::find(m_excluded.begin(), m_excluded.end(), text) != m_excluded.end();
    }

    void visit(const Child& child, const std::string& prefix, int depth, WalkResult& result)
    {
        if (isExcluded(child.path))
            return;
        SourceEntry entry;
        entry.archivePath = prefix + child.entry.name;
        entry.sourcePath = platform::fromPath(child.path);
        entry.mtime = child.entry.mtime;
        entry.unixMode = static_cast<std::uint16_t>(child.entry.unixMode & 0777);
        entry.readOnly = child.entry.readOnly;
        if (child.entry.kind == platform::EntryKind::Link) {
            std::error_code ec;
            // A link carries the time of what it points to, as it always has.
            const auto time = fs::last_write_time(child.path, ec);
            entry.mtime = ec ? 0 : unixTime(time);
            entry.kind = MemberKind::Symlink;
            entry.linkTarget = platform::fromPath(fs::read_symlink(child.path, ec));
            if (ec) {
                skip(child.path, ec.message());
                return;
            }
            if constexpr (platform::kSeparator == '\\')
                std::replace(entry.linkTarget.begin(), entry.linkTarget.end(), '\\', '/');
            // Extraction refuses a link that leads out of its folder, so such a link would make the
            // whole backup unrestorable: leave it out and report it instead.
            const auto components = safeComponents(entry.archivePath);
            if (!components || !linkStaysInside(*components, entry.linkTarget)) {
                skip(child.path, "link points outside the folder: " + entry.linkTarget);
                return;
            }
            entry.readOnly = false;
            result.entries.push_back(std::move(entry));
        } else if (child.entry.kind == platform::EntryKind::Folder) {
            if (depth >= kMaxDepth) {
                skip(child.path, "folder nested too deeply");
                return;
            }
            entry.kind = MemberKind::Directory;
            result.entries.push_back(entry);
            walk(child.path, entry.archivePath + "/", depth + 1, result);
        } else if (child.entry.kind == platform::EntryKind::File) {
            entry.size = child.entry.size;
            result.totalBytes += entry.size;
            result.entries.push_back(std::move(entry));
        } else {
            skip(child.path, "not a file, folder or link");
        }
    }

    std::vector<std::string> m_excluded;
    const std::function<void(const base::Status&)>& m_onSkipped;
};

} // namespace

bool samePath(const std::string& a, const std::string& b)
{
    return lexicalKey(canonicalOrNormal(platform::toPath(a))) == lexicalKey(canonicalOrNormal(platform::toPath(b)));
}

WalkResult walkFolder(const std::string& root, const std::vector<std::string>& excludedPaths,
                      const std::function<void(const base::Status&)>& onSkipped)
{
    WalkResult result;
    // Below a canonical root every path is canonical too (links are not followed), so excluded
    // paths are found by comparing text.
    Walker(excludedPaths, onSkipped).walk(canonicalOrNormal(platform::toPath(root)), "", 0, result);
    return result;
}

} // namespace lzh
