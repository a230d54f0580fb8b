#include "archiver/extractor.h"

#include "archiver/disk_writer.h"
#include "archiver/member_share.h"
#include "archiver/safe_path.h"
#include "lzh/archive_reader.h"
#include "lzh/sha256.h"

#include <atomic>
#include <mutex>
#include <thread>

namespace archiver {
namespace {

base::Status memberError(base::ErrorCode code, const std::string& detail, const std::string& path)
{
    return base::Status::error(code, detail, path);
}

bool isWriteFailure(const base::Status& status)
{
    return status.code() == base::ErrorCode::IoError || status.code() == base::ErrorCode::DiskFull ||
           status.code() == base::ErrorCode::AccessDenied;
}

// One reader's pass over the archive. Extracting, it vets each member's name and hands the member
// to its disk writer; testing (no writer), it decodes the data and checks the CRC.
class ArchiveWalk {
public:
    // writer: where members go; nullptr to test. share picks the members this walk handles, of
    // those place picks.
    ArchiveWalk(const RunHooks& hooks, DiskWriter* writer, MemberShare share, const MemberPlacement& place)
        : m_hooks(hooks), m_writer(writer), m_share(std::move(share)), m_place(place)
    {
    }

    void walk(const std::string& archive, const std::string& target, ArchiveStart start)
    {
        if (auto status = m_reader.open(archive, start); !status.ok()) {
            m_summary.archiveStatus = status;
            return;
        }
        if (m_writer) {
            if (auto status = m_writer->prepareRoot(target); !status.ok()) {
                m_summary.archiveStatus = status;
                m_summary.writeFailed = true;
                return;
            }
        }
        for (;;) {
            auto next = m_reader.next();
            if (!next.ok()) {
                m_summary.archiveStatus = next.status();
                break;
            }
            if (!next->has_value()) {
                // A test vouches for the whole archive; extraction takes what there is, as other
                // readers do.
                if (!m_writer && !m_reader.endMarkSeen())
                    m_summary.archiveStatus = base::Status::error(
                        base::ErrorCode::Corrupt, "the archive ends without its end mark (cut short?)", archive);
                break;
            }
            const lzh::MemberInfo& member = **next;
            if (m_hooks.onMemberHeader)
                m_hooks.onMemberHeader(member);
            if (m_writer)
                noteLink(member);
            std::optional<std::string> placed = member.path;
            if (m_place && !(placed = m_place(member.path)))
                continue;
            if (!m_share.takes(member.path))
                continue;
            if (!reportProgress(member.path) || (handle(member, *placed), m_summary.cancelled))
                break;
        }
    }

    // Takes over the other walk's results.
    void merge(const ArchiveWalk& other)
    {
        const RunSummary& theirs = other.m_summary;
        m_summary.members += theirs.members;
        m_summary.failedMembers += theirs.failedMembers;
        m_summary.cancelled = m_summary.cancelled || theirs.cancelled;
        m_summary.writeFailed = m_summary.writeFailed || theirs.writeFailed;
        if (m_summary.archiveStatus.ok() && !theirs.archiveStatus.ok())
            m_summary.archiveStatus = theirs.archiveStatus;
    }

    // The links and folder times come last, once every walk is done and merged.
    RunSummary finish()
    {
        if (m_writer && !m_summary.cancelled)
            m_summary.members += m_writer->finish();
        return m_summary;
    }

    // For the disk writer: a member that failed, unless the walk was cancelled meanwhile.
    void reportUnlessCancelled(const base::Status& status)
    {
        if (!m_summary.cancelled)
            fail(status);
    }

    bool chunkDone()
    {
        if (++m_chunks % 16 == 0 && !reportProgress(m_currentPath))
            return false;
        return true;
    }

private:
    // Every walk passes every member in order, so each knows all the links before any member
    // that could lie below one.
    void noteLink(const lzh::MemberInfo& member)
    {
        if (member.kind != lzh::MemberKind::Symlink || !member.defect.empty())
            return;
        if (auto parts = safeComponents(member.path))
            m_archiveLinks.add(*parts);
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
        m_summary.writeFailed = m_summary.writeFailed || (m_writer && isWriteFailure(status));
        if (m_hooks.onMemberError)
            m_hooks.onMemberError(status);
    }

    void handle(const lzh::MemberInfo& member, const std::string& placed)
    {
        // A test judges the data only; a name that cannot be used matters when extracting.
        if (!member.defect.empty() && (m_writer || !member.method))
            return fail(memberError(base::ErrorCode::Corrupt, member.defect, member.path));
        if (!member.method)
            return fail(
                memberError(base::ErrorCode::Unsupported, "unsupported method " + member.methodId, member.path));
        m_currentPath = member.path;
        if (!m_writer)
            return testData(member);
        auto parts = safeComponents(member.path);
        if (!parts)
            return fail(memberError(base::ErrorCode::InvalidArgument, "refused name outside the target", member.path));
        if (m_archiveLinks.liesBelowOne(*parts))
            return fail(memberError(base::ErrorCode::InvalidArgument, "refused name below a link", member.path));
        if (placed != member.path && !(parts = safeComponents(placed)))
            return fail(memberError(base::ErrorCode::InvalidArgument, "refused place outside the target", placed));
        if (m_hooks.onRootDropped && withoutRoot(member.path).size() != member.path.size())
            m_hooks.onRootDropped(member.path);
        if (m_writer->write(member, *parts, m_reader))
            ++m_summary.members;
    }

    void testData(const lzh::MemberInfo& member)
    {
        auto status = member.record && m_hooks.checkByDigest && m_hooks.checkByDigest(member)
                          ? checkDigest(member)
                          : m_reader.readData([this](const std::uint8_t*, std::size_t) { return chunkDone(); });
        if (status.ok())
            ++m_summary.members;
        else
            reportUnlessCancelled(memberError(status.code(), status.detail(), member.path));
    }

    base::Status checkDigest(const lzh::MemberInfo& member)
    {
        lzh::Sha256 digest;
        auto status = m_reader.copyPacked([&](const std::uint8_t* data, std::size_t size) {
            digest.update(data, size);
            return chunkDone();
        });
        if (status.ok() && lzh::recordDigest(digest.finish()) != member.record->packed)
            return base::Status::error(base::ErrorCode::Corrupt, "packed data differs from its record", member.path);
        return status;
    }

    const RunHooks& m_hooks;
    DiskWriter* const m_writer;
    MemberShare m_share;
    const MemberPlacement& m_place;
    lzh::ArchiveReader m_reader;
    RunSummary m_summary;
    ArchiveLinks m_archiveLinks; // every link member met so far, handled by this walk or not
    std::string m_currentPath;
    unsigned m_chunks = 0;
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
        m_locked.checkByDigest = hooks.checkByDigest;
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
                            bool writeFiles, MemberShare::Rule rule, ArchiveStart start, const MemberPlacement& place)
{
    const LockedHooks locked(hooks);
    std::atomic<std::size_t> claimed{0};
    // One walk, its disk writer and the writer's callbacks into the walk.
    struct Lane {
        Lane(const RunHooks& laneHooks, bool write, MemberShare share, const MemberPlacement& place)
            : writer(report, chunkDone), walk(laneHooks, write ? &writer : nullptr, std::move(share), place)
        {
        }
        std::function<void(const base::Status&)> report = [this](const base::Status& s) {
            walk.reportUnlessCancelled(s);
        };
        std::function<bool()> chunkDone = [this] { return walk.chunkDone(); };
        DiskWriter writer;
        ArchiveWalk walk;
    };
    // Every walk passes every header; one of them hands them on, so the caller hears each once.
    RunHooks firstHooks = locked.hooks();
    firstHooks.onMemberHeader = hooks.onMemberHeader;
    Lane first(firstHooks, writeFiles, MemberShare(claimed, rule), place);
    Lane second(locked.hooks(), writeFiles, MemberShare(claimed, rule), place);
    std::thread helper([&] { second.walk.walk(archive, target, start); });
    first.walk.walk(archive, target, start);
    helper.join();
    first.walk.merge(second.walk);
    first.writer.merge(second.writer);
    return first.walk.finish();
}

} // namespace

RunSummary extractArchive(const std::string& archive, const std::string& target, const RunHooks& hooks,
                          ArchiveStart start, const MemberPlacement& place)
{
    return walkOnTwoThreads(archive, target, hooks, true, MemberShare::Rule::KeepingNames, start, place);
}

RunSummary testArchive(const std::string& archive, const RunHooks& hooks, ArchiveStart start)
{
    return walkOnTwoThreads(archive, {}, hooks, false, MemberShare::Rule::FirstCome, start, {});
}

RunSummary listArchive(const std::string& archive, const std::function<void(const lzh::MemberInfo&)>& onMember,
                       ArchiveStart start)
{
    RunSummary summary;
    lzh::ArchiveReader reader;
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

} // namespace archiver
