#include "archiver/folder_walk.h"
#include "archiver/safe_path.h"

#include "platform/paths.h"

#include <algorithm>
#include <chrono>
#include <system_error>

namespace archiver {
namespace fs = std::filesystem;
namespace {

// Deeper trees than this are taken for a loop (a junction pointing up, for instance).
constexpr std::size_t kMaxDepth = 256;

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

// What a link points to, with '/' between components as members store it.
std::string linkTarget(const fs::path& link, std::error_code& ec)
{
    std::string target = platform::fromPath(fs::read_symlink(link, ec));
    if constexpr (platform::kSeparator == '\\')
        std::replace(target.begin(), target.end(), '\\', '/');
    return target;
}

} // namespace

// One folder on the way down: its entries in order, and how far the walk has come.
struct FolderWalk::Frame {
    fs::path folder;
    std::string prefix; // archive path of the folder, with a trailing '/', or empty at the root
    std::vector<platform::FolderEntry> entries;
    std::size_t index = 0;
};

FolderWalk::FolderWalk(const std::string& root, const std::vector<std::string>& excludedPaths,
                       std::function<void(const base::Status&)> onSkipped)
    // Below a canonical root every path is canonical too (links are not followed), so excluded
    // paths are found by comparing text.
    : m_root(canonicalOrNormal(platform::toPath(root))), m_onSkipped(std::move(onSkipped))
{
    for (const std::string& path : excludedPaths)
        m_excluded.push_back(lexicalKey(canonicalOrNormal(platform::toPath(path))));
    enter(m_root, "");
}

FolderWalk::~FolderWalk() = default;

void FolderWalk::enter(const fs::path& folder, const std::string& prefix)
{
    auto listing = platform::listFolder(platform::fromPath(folder));
    if (!listing.ok()) {
        skip(folder, listing.status().detail());
        return;
    }
    std::sort(listing->begin(), listing->end(),
              [](const platform::FolderEntry& a, const platform::FolderEntry& b) { return a.name < b.name; });
    m_stack.push_back({folder, prefix, std::move(*listing), 0});
}

std::optional<lzh::SourceEntry> FolderWalk::next()
{
    while (!m_stack.empty()) {
        Frame& frame = m_stack.back();
        if (frame.index == frame.entries.size()) {
            m_stack.pop_back();
            continue;
        }
        platform::FolderEntry& found = frame.entries[frame.index++];
        const fs::path path = platform::toPath(platform::joinPath(platform::fromPath(frame.folder), found.name));
        const std::string prefix = frame.prefix;
        if (auto entry = visit(path, found, prefix))
            return entry;
    }
    return std::nullopt;
}

std::optional<lzh::SourceEntry> FolderWalk::visit(const fs::path& path, platform::FolderEntry& found,
                                                  const std::string& prefix)
{
    if (isExcluded(path))
        return std::nullopt;
    lzh::SourceEntry entry;
    entry.archivePath = prefix + found.name;
    entry.sourcePath = platform::fromPath(path);
    entry.mtime = found.mtime;
    entry.unixMode = static_cast<std::uint16_t>(found.unixMode & 0777);
    entry.readOnly = found.readOnly;
    switch (found.kind) {
    case platform::EntryKind::Link:
        if (!readLink(entry, path))
            return std::nullopt;
        return entry;
    case platform::EntryKind::Folder:
        if (m_stack.size() > kMaxDepth) {
            skip(path, "folder nested too deeply");
            return std::nullopt;
        }
        entry.kind = lzh::MemberKind::Directory;
        // May reallocate the stack: nothing of the current frame is used after it.
        enter(path, entry.archivePath + "/");
        return entry;
    case platform::EntryKind::File:
        entry.size = found.size;
        entry.identity = found.identity;
        return entry;
    case platform::EntryKind::Other:
        break;
    }
    skip(path, "not a file, folder or link");
    return std::nullopt;
}

// Fills in the link's target, wherever it leads: the link is stored, never followed, and comes
// back as a link. False (and reported) when it cannot be read.
bool FolderWalk::readLink(lzh::SourceEntry& entry, const fs::path& path) const
{
    std::error_code ec;
    // A link carries the time of what it points to, as it always has.
    const auto time = fs::last_write_time(path, ec);
    entry.mtime = ec ? 0 : unixTime(time);
    entry.kind = lzh::MemberKind::Symlink;
    entry.readOnly = false;
    entry.linkTarget = linkTarget(path, ec);
    if (ec) {
        skip(path, ec.message());
        return false;
    }
    return true;
}

bool FolderWalk::lists(const std::string& archivePath) const
{
    const auto components = safeComponents(archivePath);
    if (!components)
        return false;
    // The walk goes down real folders only, never through links.
    std::string text = platform::fromPath(m_root);
    fs::file_status status;
    for (std::size_t i = 0; i < components->size(); ++i) {
        text = platform::joinPath(text, (*components)[i]);
        std::error_code ec;
        status = fs::symlink_status(platform::toPath(text), ec);
        if (ec || isExcluded(platform::toPath(text)))
            return false;
        if (i + 1 < components->size() && !fs::is_directory(status))
            return false;
    }
    return fs::is_symlink(status) || fs::is_regular_file(status) || fs::is_directory(status);
}

void FolderWalk::skip(const fs::path& path, const std::string& why) const
{
    if (m_onSkipped)
        m_onSkipped(base::Status::error(base::ErrorCode::IoError, why, platform::fromPath(path)));
}

bool FolderWalk::isExcluded(const fs::path& path) const
{
    if (m_excluded.empty())
        return false;
    const std::string text = lexicalKey(path);
    return std::find(m_excluded.begin(), m_excluded.end(), text) != m_excluded.end();
}

FolderTotals countFolder(const std::string& root, const std::vector<std::string>& excludedPaths)
{
    FolderTotals totals;
    FolderWalk walk(root, excludedPaths, nullptr);
    while (auto entry = walk.next()) {
        ++totals.entries;
        totals.bytes += entry->size;
    }
    return totals;
}

bool samePath(const std::string& a, const std::string& b)
{
    return lexicalKey(canonicalOrNormal(platform::toPath(a))) == lexicalKey(canonicalOrNormal(platform::toPath(b)));
}

} // namespace archiver
