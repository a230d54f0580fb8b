#include "core/find/history_index.h"

#include "core/archive/archive_entry.h"
#include "core/find/name_match.h"

#include <algorithm>
#include <deque>
#include <map>
#include <unordered_map>

namespace core::find {
namespace {

// One slot per bit: the 55 slots fit, and a version costs no list per slot.
using SlotMask = std::uint64_t;
constexpr std::size_t kMaxSlots = 64;

struct StoredVersion {
    std::int64_t mtime = 0;
    std::uint64_t size = 0;
    std::uint16_t crc = 0;
    SlotMask slots = 0;
    std::optional<lzh::RecordDigest> content; // from the member's record, when it has one

    // The content's digest where both members carry one: it tells apart contents that share a
    // size, a CRC-16 and a time set back by a program, and joins a file only touched since.
    bool holds(const lzh::MemberInfo& member) const
    {
        if (content && member.record)
            return size == member.originalSize && *content == member.record->content;
        return size == member.originalSize && crc == member.crc && mtime == member.mtime;
    }
};

// A path, kept once whatever the number of slots that hold it.
struct PathEntry {
    std::string path;
    SlotMask folderSlots = 0; // slots holding it as a folder member
    std::vector<StoredVersion> versions;
};

SlotMask bit(int slot)
{
    return SlotMask{1} << slot;
}

std::string_view lastComponent(std::string_view path)
{
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// The rest of path below folder ("" for the root), or nullopt when it does not lie below it.
std::optional<std::string_view> below(std::string_view path, std::string_view folder)
{
    if (folder.empty())
        return path;
    if (path.size() <= folder.size() + 1 || path.compare(0, folder.size(), folder) != 0 || path[folder.size()] != '/')
        return std::nullopt;
    return path.substr(folder.size() + 1);
}

} // namespace

struct HistoryIndex::Data {
    std::vector<SlotSource> slots;
    std::vector<DamagedSlot> damaged;
    bool cancelled = false;
    // A deque keeps each entry where it is, so the map's keys (views of entry paths) stay valid.
    std::deque<PathEntry> entries;
    std::unordered_map<std::string_view, std::size_t> byPath;
    std::size_t nextGuess = 0;

    PathEntry& entryFor(const std::string& path)
    {
        // Every slot lists the folder in the same order, so the entry after the last one met is
        // nearly always the next member's, and the hash table is rarely asked.
        if (nextGuess < entries.size() && entries[nextGuess].path == path)
            return entries[nextGuess++];
        if (auto found = byPath.find(path); found != byPath.end()) {
            nextGuess = found->second + 1;
            return entries[found->second];
        }
        entries.push_back({path, 0, {}});
        byPath.emplace(entries.back().path, entries.size() - 1);
        nextGuess = entries.size();
        return entries.back();
    }

    const PathEntry* find(std::string_view path) const
    {
        const auto found = byPath.find(path);
        return found == byPath.end() ? nullptr : &entries[found->second];
    }

    void add(int slot, const lzh::MemberInfo& member)
    {
        PathEntry& entry = entryFor(member.path);
        if (member.kind == lzh::MemberKind::Directory) {
            entry.folderSlots |= bit(slot);
            return;
        }
        for (StoredVersion& version : entry.versions)
            if (version.holds(member)) {
                version.slots |= bit(slot);
                return;
            }
        std::optional<lzh::RecordDigest> content;
        if (member.record)
            content = member.record->content;
        entry.versions.push_back({member.mtime, member.originalSize, member.crc, bit(slot), content});
    }

    void forget(int slot)
    {
        for (PathEntry& entry : entries) {
            entry.folderSlots &= ~bit(slot);
            for (StoredVersion& version : entry.versions)
                version.slots &= ~bit(slot);
            std::erase_if(entry.versions, [](const StoredVersion& v) { return v.slots == 0; });
        }
        std::erase_if(damaged,
                      [&](const DamagedSlot& d) { return d.name == slots[static_cast<std::size_t>(slot)].name; });
    }

    // Reads the slot's headers into the history; a slot that cannot be read to its end is taken
    // out again and named, so the history never holds half an archive.
    void read(int slot)
    {
        const SlotSource& source = slots[static_cast<std::size_t>(slot)];
        archive::UnlhaCommand command;
        command.command = 'l';
        command.archive = source.archivePath;
        archive::ArchiveOptions options;
        options.onMember = [this, slot](const lzh::MemberInfo& member) { add(slot, member); };
        const archive::ArchiveResult result = archive::runArchive(command, options);
        if (result.archiveStatus.ok() || result.archiveStatus.code() == base::ErrorCode::NotFound)
            return;
        forget(slot);
        damaged.push_back({source.name, result.archiveStatus});
    }

    VersionSlot versionSlot(int slot) const
    {
        const SlotSource& source = slots[static_cast<std::size_t>(slot)];
        return {slot, source.name, source.stamp};
    }

    Version present(const StoredVersion& stored) const
    {
        Version version{stored.mtime, stored.size, stored.crc, {}};
        for (std::size_t slot = 0; slot < slots.size(); ++slot)
            if (stored.slots & bit(static_cast<int>(slot)))
                version.slots.push_back(versionSlot(static_cast<int>(slot)));
        std::stable_sort(version.slots.begin(), version.slots.end(), [](const VersionSlot& a, const VersionSlot& b) {
            return a.stamp.seconds() > b.stamp.seconds();
        });
        return version;
    }
};

HistoryIndex::HistoryIndex() : m_data(std::make_unique<Data>()) {}
HistoryIndex::~HistoryIndex() = default;
HistoryIndex::HistoryIndex(HistoryIndex&&) noexcept = default;
HistoryIndex& HistoryIndex::operator=(HistoryIndex&&) noexcept = default;

HistoryIndex HistoryIndex::build(std::vector<SlotSource> slots, const std::atomic<bool>* cancel,
                                 const BuildProgress& progress)
{
    HistoryIndex index;
    Data& data = *index.m_data;
    if (slots.size() > kMaxSlots)
        slots.resize(kMaxSlots);
    data.slots = std::move(slots);
    const int count = static_cast<int>(data.slots.size());
    for (int slot = 0; slot < count; ++slot) {
        if (cancel && cancel->load()) {
            data.cancelled = true;
            break;
        }
        data.read(slot);
        if (progress)
            progress(slot + 1, count);
    }
    return index;
}

void HistoryIndex::refreshSlot(const SlotSource& source)
{
    Data& data = *m_data;
    const auto found =
        std::find_if(data.slots.begin(), data.slots.end(), [&](const SlotSource& s) { return s.name == source.name; });
    if (found == data.slots.end())
        return;
    const int slot = static_cast<int>(found - data.slots.begin());
    data.forget(slot);
    *found = source;
    data.read(slot);
}

const std::vector<SlotSource>& HistoryIndex::slots() const
{
    return m_data->slots;
}

const std::vector<DamagedSlot>& HistoryIndex::damagedSlots() const
{
    return m_data->damaged;
}

bool HistoryIndex::cancelled() const
{
    return m_data->cancelled;
}

std::size_t HistoryIndex::pathCount() const
{
    return m_data->entries.size();
}

std::vector<SearchHit> HistoryIndex::search(std::string_view query) const
{
    const std::string folded = foldForSearch(query);
    std::vector<SearchHit> hits;
    for (const PathEntry& entry : m_data->entries)
        if (!entry.versions.empty() && nameMatches(folded, lastComponent(entry.path)))
            hits.push_back({entry.path, static_cast<int>(entry.versions.size())});
    std::sort(hits.begin(), hits.end(), [](const SearchHit& a, const SearchHit& b) { return a.path < b.path; });
    return hits;
}

std::vector<TreeEntry> HistoryIndex::children(std::string_view folder) const
{
    std::map<std::string_view, TreeEntry> folders;
    std::map<std::string_view, TreeEntry> files;
    for (const PathEntry& entry : m_data->entries) {
        if (entry.versions.empty() && entry.folderSlots == 0)
            continue;
        const auto rest = below(entry.path, folder);
        if (!rest || rest->empty())
            continue;
        const auto slash = rest->find('/');
        const std::string_view name = rest->substr(0, slash);
        if (slash != std::string_view::npos || entry.versions.empty())
            folders.try_emplace(name, TreeEntry{std::string(name), true, 0});
        else
            files.try_emplace(name, TreeEntry{std::string(name), false, static_cast<int>(entry.versions.size())});
    }
    std::vector<TreeEntry> result;
    result.reserve(folders.size() + files.size());
    for (auto& [name, entry] : folders)
        result.push_back(std::move(entry));
    for (auto& [name, entry] : files)
        if (!folders.contains(name))
            result.push_back(std::move(entry));
    return result;
}

std::vector<Version> HistoryIndex::versions(std::string_view path) const
{
    std::vector<Version> result;
    if (const PathEntry* entry = m_data->find(path))
        for (const StoredVersion& stored : entry->versions)
            result.push_back(m_data->present(stored));
    std::stable_sort(result.begin(), result.end(), [](const Version& a, const Version& b) {
        if (a.mtime != b.mtime)
            return a.mtime > b.mtime;
        return a.slots.front().stamp.seconds() > b.slots.front().stamp.seconds();
    });
    return result;
}

std::vector<std::pair<std::string, Version>> HistoryIndex::filesInSlot(int slot, std::string_view folder) const
{
    std::vector<std::pair<std::string, Version>> files;
    if (slot < 0 || static_cast<std::size_t>(slot) >= m_data->slots.size())
        return files;
    for (const PathEntry& entry : m_data->entries) {
        if (folder != entry.path && !below(entry.path, folder))
            continue;
        for (const StoredVersion& stored : entry.versions)
            if (stored.slots & bit(slot))
                files.emplace_back(entry.path,
                                   Version{stored.mtime, stored.size, stored.crc, {m_data->versionSlot(slot)}});
    }
    std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    return files;
}

} // namespace core::find
