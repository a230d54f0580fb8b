#include "lzh/extractor.h"

#include "lzh/archive_reader.h"
#include "lzh/safe_path.h"
#include "platform/file_io.h"
#include "platform/paths.h"

#include <atomic>
#include <filesystem>
#include <mutex>
#include <set>
#include <system_error>
#include <thread>
#include <vector>

namespace lzh {
namespace fs = std::filesystem;
namespace {

constexpr const char* kPartSuffix = ".fernhold-part";

base::Status memberError(base::ErrorCode code, const std::string& detail, const std::string& path)
{
    return base::Status::error(code, detail, path);
}

bool isWriteFailure(const base::Status& status)
{
    return status.code() == base::ErrorCode::IoError || status.code() == base::ErrorCode::DiskFull ||
           status.code() == base::ErrorCode::AccessDenied;
}

class ArchiveWalk {
public:
    // How a walk that shares the archive with others picks its members. Every walk passes every
    // member, in order, and claims it if no other walk has: one large member holds no one up.
    enum class Share {
        FirstCome,
        // The same, but a name met before goes to the walk that took it then, so members of one
        // name are written in archive order by one walk.
        KeepingNames,
    };

    // claimed: the count of members claimed so far, shared by all walks of the archive.
    ArchiveWalk(const RunHooks& hooks, bool writeFiles, Share share, std::atomic<std::size_t>& claimed)
        : m_hooks(hooks), m_writeFiles(writeFiles), m_claimed(claimed)
    {
        if (share == Share::KeepingNames)
            m_nameOwners.assign(kNameBuckets, Owner::Unseen);
    }

    void walk(const std::string& archive, const std::string& target, ArchiveStart start)
    {
        if (auto status = m_reader.open(archive, start); !status.ok()) {
            m_summary.archiveStatus = status;
            return;
        }
        if (m_writeFiles && !prepareRoot(target))
            return;
        for (;;) {
            auto next = m_reader.next();
            if (!next.ok()) {
                m_summary.archiveStatus = next.status();
                break;
            }
            if (!next->has_value()) {
                // A test vouches for the whole archive; extraction takes what there is, as other
                // readers do.
                if (!m_writeFiles && !m_reader.endMarkSeen())
                    m_summary.archiveStatus = base::Status::error(
                        base::ErrorCode::Corrupt, "the archive ends without its end mark (cut short?)", archive);
                break;
            }
            const MemberInfo& member = **next;
            if (m_hooks.onMemberHeader)
                m_hooks.onMemberHeader(member);
            if (m_writeFiles)
                noteLink(member);
            if (!isMine(member))
                continue;
            if (!reportProgress(member.path) || (handle(member), m_summary.cancelled))
                break;
        }
    }

    // Takes over the other walk's results, its pending links and folder times included.
    void merge(ArchiveWalk& other)
    {
        const RunSummary& theirs = other.m_summary;
        m_summary.members += theirs.members;
        m_summary.failedMembers += theirs.failedMembers;
        m_summary.cancelled = m_summary.cancelled || theirs.cancelled;
        m_summary.writeFailed = m_summary.writeFailed || theirs.writeFailed;
        if (m_summary.archiveStatus.ok() && !theirs.archiveStatus.ok())
            m_summary.archiveStatus = theirs.archiveStatus;
        m_links.insert(m_links.end(), other.m_links.begin(), other.m_links.end());
        m_folderTimes.insert(m_folderTimes.end(), other.m_folderTimes.begin(), other.m_folderTimes.end());
    }

    RunSummary finish()
    {
        if (!m_summary.cancelled)
            finishLinksAndFolders();
        return m_summary;
    }

private:
    bool isMine(const MemberInfo& member)
    {
        // All claims so far lie below this index, so the claimed count is the next member to take.
        std::size_t expected = m_index;
        const bool claimed = m_claimed.compare_exchange_strong(expected, m_index + 1);
        ++m_index;
        if (m_nameOwners.empty())
            return claimed;
        // Names are told apart by a hash bucket: two names in one bucket go to one walk, which
        // costs some balance and never the order.
        Owner& owner = m_nameOwners[nameKey(member.path) % kNameBuckets];
        if (owner == Owner::Unseen)
            owner = claimed ? Owner::Mine : Owner::Other;
        return owner == Owner::Mine;
    }

    // Every walk passes every member in order, so each knows all the links before any member
    // that could lie below one.
    void noteLink(const MemberInfo& member)
    {
        if (member.kind != MemberKind::Symlink || !member.defect.empty())
            return;
        if (auto parts = safeComponents(member.path))
            m_archiveLinks.add(*parts);
    }

    // The same for every spelling of one name on any system: case folded, root and trailing
    // separators dropped, "\\" taken as "/".
    static std::size_t nameKey(std::string_view storedPath)
    {
        const std::string_view path = withoutRoot(storedPath);
        std::size_t end = path.size();
        while (end > 0 && (path[end - 1] == '/' || path[end - 1] == '\\'))
            --end;
        std::size_t key = 1469598103934665603u;
        for (std::size_t i = 0; i < end; ++i) {
            char c = path[i] == '\\' ? '/' : path[i];
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
            key = (key ^ static_cast<unsigned char>(c)) * 1099511628211u;
        }
        return key;
    }

    bool prepareRoot(const std::string& target)
    {
        std::error_code ec;
        m_root = platform::toPath(target);
        fs::create_directories(m_root, ec);
        if (ec || !fs::is_directory(m_root, ec)) {
            m_summary.archiveStatus = base::Status::error(base::ErrorCode::IoError, "cannot create the target folder", target);
            m_summary.writeFailed = true;
            return false;
        }
        return true;
    }

    bool reportProgress(const std::string& member)
    {
        if (m_hooks.progress && !m_hooks.progress(m_reader.position(), m_reader.archiveSize(), member))
            m_summary.cancelled = true;
        return !m_summary.cancelled;
    }

    void fail(const base::Status& status)
    {
        ++m_summary.failedMembers;
        m_summary.writeFailed = m_summary.writeFailed || (m_writeFiles && isWriteFailure(status));
        if (m_hooks.onMemberError)
            m_hooks.onMemberError(status);
    }

    void handle(const MemberInfo& member)
    {
        // A test judges the data only; a name that cannot be used matters when extracting.
        if (!member.defect.empty() && (m_writeFiles || !member.method))
            return fail(memberError(base::ErrorCode::Corrupt, member.defect, member.path));
        if (!member.method)
            return fail(memberError(base::ErrorCode::Unsupported, "unsupported method " + member.methodId, member.path));
        m_currentPath = member.path;
        if (!m_writeFiles)
            return testData(member);
        auto parts = safeComponents(member.path);
        if (!parts)
            return fail(memberError(base::ErrorCode::InvalidArgument, "refused name outside the target", member.path));
        if (m_archiveLinks.liesBelowOne(*parts))
            return fail(memberError(base::ErrorCode::InvalidArgument, "refused name below a link", member.path));
        if (m_hooks.onRootDropped && withoutRoot(member.path).size() != member.path.size())
            m_hooks.onRootDropped(member.path);
        switch (member.kind) {
        case MemberKind::Directory: return extractFolder(member, *parts);
        case MemberKind::Symlink:
            // Made as a link whatever it points to; nothing is ever written through one.
            m_links.push_back({member, *parts});
            return;
        case MemberKind::File: return extractFile(member, *parts);
        }
    }

    void testData(const MemberInfo& member)
    {
        auto status = m_reader.readData([this](const std::uint8_t*, std::size_t) { return chunkDone(); });
        if (status.ok())
            ++m_summary.members;
        else
            cancelledOr(memberError(status.code(), status.detail(), member.path));
    }

    bool chunkDone()
    {
        if (++m_chunks % 16 == 0 && !reportProgress(m_currentPath))
            return false;
        return true;
    }

    void cancelledOr(const base::Status& status)
    {
        if (!m_summary.cancelled)
            fail(status);
    }

    // Creates the folders leading to (and, with all, including) the last component, refusing to
    // pass through anything but a real folder.
    std::optional<fs::path> makeFolders(const std::vector<std::string>& parts, bool all, const std::string& member)
    {
        fs::path path = m_root;
        std::string key;
        const std::size_t count = all ? parts.size() : parts.size() - 1;
        for (std::size_t i = 0; i < count; ++i) {
            path /= platform::toPath(parts[i]);
            key += parts[i];
            key += '/';
            if (m_folders.count(key))
                continue;
            std::error_code ec;
            const fs::file_status status = fs::symlink_status(path, ec);
            if (!fs::exists(status))
                fs::create_directory(path, ec);
            else if (!fs::is_directory(status))
                ec = std::make_error_code(std::errc::not_a_directory);
            if (ec) {
                fail(memberError(base::ErrorCode::IoError, "cannot create folder: " + ec.message(), member));
                return std::nullopt;
            }
            m_folders.insert(key);
        }
        return path;
    }

    void extractFolder(const MemberInfo& member, const std::vector<std::string>& parts)
    {
        if (auto path = makeFolders(parts, true, member.path)) {
            m_folderTimes.push_back({*path, member.mtime});
            ++m_summary.members;
        }
    }

    void extractFile(const MemberInfo& member, const std::vector<std::string>& parts)
    {
        if (!openFolderOf(parts, member.path))
            return;
        const std::string& name = parts.back();
        if (auto status = m_out.create(m_folder, name + kPartSuffix); !status.ok())
            return fail(memberError(status.code(), status.detail(), member.path));
        bool writeError = false;
        auto status = m_reader.readData([&](const std::uint8_t* data, std::size_t size) {
            if (!m_out.write(data, size)) {
                writeError = true;
                return false;
            }
            return chunkDone();
        });
        if (writeError)
            status = platform::lastSystemError(m_folder.pathOf(name));
        if (status.ok()) {
            // The time and permissions go on through the open file, before the rename.
            status = m_out.close(member.mtime, permissionsOf(member));
            if (!status.ok())
                status = base::Status::error(status.code(), status.detail(), m_folder.pathOf(name));
        }
        if (status.ok()) {
            // A plain rename: syncing the folder for every file would make large restores crawl,
            // and an interrupted extraction is repeated, not resumed.
            status = m_out.rename(name);
            std::error_code statusError;
            if (!status.ok() && fs::is_directory(fs::symlink_status(platform::toPath(m_folder.pathOf(name)), statusError)))
                status = base::Status::error(base::ErrorCode::IoError, "a folder is in the way", member.path);
        }
        if (!status.ok()) {
            m_out.discard();
            return cancelledOr(memberError(status.code(), status.detail(), member.path));
        }
        ++m_summary.members;
    }

    // Opens the folder a file member goes in, making it first when needed. Members come folder by
    // folder, so the one open folder usually serves the next file too.
    bool openFolderOf(const std::vector<std::string>& parts, const std::string& member)
    {
        std::string key;
        for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
            key += parts[i];
            key += '/';
        }
        if (m_folder.isOpen() && key == m_folderKey)
            return true;
        auto folder = makeFolders(parts, false, member);
        if (!folder)
            return false;
        if (auto status = m_folder.open(platform::fromPath(*folder)); !status.ok()) {
            fail(memberError(status.code(), status.detail(), member));
            return false;
        }
        m_folderKey = std::move(key);
        return true;
    }

    static platform::FilePermissions permissionsOf(const MemberInfo& member)
    {
        platform::FilePermissions permissions;
        permissions.readOnly = (member.dosAttributes & 0x01) != 0;
        if (member.unixMode) {
            std::uint16_t bits = *member.unixMode & 0777;
            if (permissions.readOnly)
                bits &= static_cast<std::uint16_t>(~0222);
            permissions.bits = bits;
        }
        return permissions;
    }

    void finishLinksAndFolders()
    {
        for (const PendingLink& link : m_links) {
            auto folder = makeFolders(link.parts, false, link.member.path);
            if (!folder)
                continue;
            const fs::path path = *folder / platform::toPath(link.parts.back());
            std::error_code ec;
            const fs::file_status status = fs::symlink_status(path, ec);
            if (fs::is_directory(status)) {
                fail(memberError(base::ErrorCode::IoError, "a folder is in the way", link.member.path));
                continue;
            }
            if (fs::exists(status) || fs::is_symlink(status))
                fs::remove(path, ec);
            fs::create_symlink(platform::toPath(link.member.linkTarget), path, ec);
            if (ec)
                fail(memberError(base::ErrorCode::IoError, "cannot create link: " + ec.message(), link.member.path));
            else
                ++m_summary.members;
        }
        // Last, as writing inside a folder changes its time.
        for (auto it = m_folderTimes.rbegin(); it != m_folderTimes.rend(); ++it) {
            platform::setModificationTime(it->first, it->second);
        }
    }

    struct PendingLink {
        MemberInfo member;
        std::vector<std::string> parts;
    };

    const RunHooks& m_hooks;
    const bool m_writeFiles;
    enum class Owner : std::uint8_t { Unseen, Mine, Other };
    // 256 KiB per walk; an archive with far more names than buckets is shared about as by a
    // hash of the name.
    static constexpr std::size_t kNameBuckets = std::size_t{1} << 18;

    std::atomic<std::size_t>& m_claimed;
    std::size_t m_index = 0;            // of the next member in the archive
    std::vector<Owner> m_nameOwners;    // by name bucket, for KeepingNames
    ArchiveReader m_reader;
    RunSummary m_summary;
    fs::path m_root;
    std::set<std::string> m_folders;
    std::vector<std::pair<fs::path, std::int64_t>> m_folderTimes;
    std::vector<PendingLink> m_links;
    ArchiveLinks m_archiveLinks; // every link member met so far, claimed by this walk or not
    std::string m_currentPath;
    unsigned m_chunks = 0;
    platform::OpenFolder m_folder; // where the last file went; m_out is made in it
    std::string m_folderKey;       // that folder's key in m_folders
    platform::NewFile m_out;       // the file being extracted
};

// Hooks shared by walks on several threads, called one at a time.
class LockedHooks {
public:
    explicit LockedHooks(const RunHooks& hooks)
    {
        if (hooks.progress)
            m_locked.progress = [this, &hooks](std::uint64_t done, std::uint64_t total, const std::string& member) {
                std::lock_guard lock(m_mutex);
                return hooks.progress(done, total, member);
            };
        if (hooks.onMemberError)
            m_locked.onMemberError = [this, &hooks](const base::Status& status) {
                std::lock_guard lock(m_mutex);
                hooks.onMemberError(status);
            };
        if (hooks.onRootDropped)
            m_locked.onRootDropped = [this, &hooks](const std::string& storedPath) {
                std::lock_guard lock(m_mutex);
                hooks.onRootDropped(storedPath);
            };
    }
    LockedHooks(const LockedHooks&) = delete;
    LockedHooks& operator=(const LockedHooks&) = delete;

    const RunHooks& hooks() const { return m_locked; }

private:
    std::mutex m_mutex;
    RunHooks m_locked;
};

// Two walks over the same archive share its members: both cores work, and each holds only its
// own reader's buffers. Links and folder times come last, once both walks are done.
RunSummary walkOnTwoThreads(const std::string& archive, const std::string& target, const RunHooks& hooks,
                            bool writeFiles, ArchiveWalk::Share share, ArchiveStart start)
{
    const LockedHooks locked(hooks);
    std::atomic<std::size_t> claimed{0};
    // Every walk passes every header; one of them hands them on, so the caller hears each once.
    RunHooks firstHooks = locked.hooks();
    firstHooks.onMemberHeader = hooks.onMemberHeader;
    ArchiveWalk first(firstHooks, writeFiles, share, claimed);
    ArchiveWalk second(locked.hooks(), writeFiles, share, claimed);
    std::thread helper([&] { second.walk(archive, target, start); });
    first.walk(archive, target, start);
    helper.join();
    first.merge(second);
    return first.finish();
}

} // namespace

RunSummary extractArchive(const std::string& archive, const std::string& target, const RunHooks& hooks,
                          ArchiveStart start)
{
    return walkOnTwoThreads(archive, target, hooks, true, ArchiveWalk::Share::KeepingNames, start);
}

RunSummary testArchive(const std::string& archive, const RunHooks& hooks, ArchiveStart start)
{
    return walkOnTwoThreads(archive, {}, hooks, false, ArchiveWalk::Share::FirstCome, start);
}

RunSummary listArchive(const std::string& archive, const std::function<void(const MemberInfo&)>& onMember,
                       ArchiveStart start)
{
    RunSummary summary;
    ArchiveReader reader;
    if (summary.archiveStatus = reader.open(archive, start); !summary.archiveStatus.ok())
        return summary;
    for (;;) {
        auto next = reader.next();
        if (!next.ok()) {
            summary.archiveStatus = next.status();
            return summary;
        }
        if (!next->has_value())
            return summary;
        ++summary.members;
        onMember(**next);
    }
}

} // namespace lzh
