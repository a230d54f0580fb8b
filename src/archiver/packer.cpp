#include "archiver/packer.h"

#include "archiver/carry_source.h"
#include "archiver/extractor.h"
#include "archiver/file_parts.h"
#include "archiver/folder_walk.h"
#include "archiver/member_packer.h"
#include "lzh/archive_reader.h"
#include "platform/file_io.h"
#include "platform/paths.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>
#include <thread>

namespace archiver {
namespace fs = std::filesystem;
namespace {

constexpr const char* kTemporarySuffix = ".fernhold-new";

class Packer {
public:
    Packer(const PackSettings& settings, const RunHooks& hooks) : m_settings(settings), m_hooks(hooks) {}

    RunSummary run(const std::string& archive, const std::string& folder)
    {
        std::error_code ec;
        if (!fs::is_directory(platform::toPath(folder), ec))
            return failed(base::Status::error(base::ErrorCode::NotFound, "no such folder", folder));
        const bool hasOld = fs::exists(platform::toPath(archive), ec);
        std::vector<std::string> excluded = m_settings.excludedPaths;
        excluded.push_back(archive);
        const std::string temporary = archive + kTemporarySuffix;
        excluded.push_back(temporary);
        // Counted first, so the progress has a total; the walk itself keeps nothing it passed.
        // Without a progress to show, the count (a second stat of every entry) is left out.
        if (m_hooks.progress)
            m_total = countFolder(folder, excluded).bytes;
        FolderWalk walk(folder, excluded, [this](const base::Status& s) { skipped(s); });
        const std::int64_t settledBefore =
            platform::fileTimeNow() - m_settings.settleSeconds * platform::fileTimeUnitsPerSecond();
        if (hasOld) {
            if (auto status = checkOld(archive); !status.ok())
                return failed(status);
        }
        if (auto status = m_writer.create(temporary); !status.ok())
            return failed(status, true);
        base::Status status = hasOld ? copyOld(archive, walk) : base::Status::success();
        if (status.ok()) {
            // The archive named first, as the newer; then the one added onto. Their readers are
            // closed when addNew returns: Windows renames nothing over an open file.
            std::vector<std::unique_ptr<CarrySource>> sources;
            CarryFrom carry{{}, settledBefore};
            for (const std::string& path : {m_settings.carryFrom, hasOld ? archive : std::string()}) {
                if (path.empty() || samePath(path, temporary) ||
                    (!sources.empty() && samePath(path, sources[0]->path())))
                    continue;
                sources.push_back(std::make_unique<CarrySource>(path));
                if (!sources.back()->empty())
                    carry.sources.push_back(sources.back().get());
            }
            status = addNew(walk, temporary, carry);
        }
        if (status.ok())
            status = m_writer.finish();
        if (status.ok())
            status = testWritten(temporary);
        if (status.ok())
            status = platform::replaceFile(temporary, archive);
        if (!status.ok()) {
            m_writer.abandon();
            fs::remove(platform::toPath(temporary), ec);
            return failed(status,
                          status.code() != base::ErrorCode::Cancelled && status.code() != base::ErrorCode::Corrupt);
        }
        return m_summary;
    }

private:
    RunSummary failed(const base::Status& status, bool writeFailed = false)
    {
        m_summary.archiveStatus = status;
        m_summary.cancelled = status.code() == base::ErrorCode::Cancelled;
        m_summary.writeFailed = writeFailed;
        return m_summary;
    }

    void skipped(const base::Status& status)
    {
        ++m_summary.failedMembers;
        if (m_hooks.onMemberError)
            m_hooks.onMemberError(status);
    }

    // The old archive must read through to its end before anything is written.
    base::Status checkOld(const std::string& archive)
    {
        auto status =
            eachOldMember(archive, [](lzh::ArchiveReader&, const lzh::MemberInfo&) { return base::Status::success(); });
        if (status.code() == base::ErrorCode::Corrupt)
            return base::Status::error(base::ErrorCode::Corrupt, "existing archive is damaged: " + status.detail(),
                                       archive);
        return status;
    }

    // Keeps the old members the walk will not replace.
    base::Status copyOld(const std::string& archive, const FolderWalk& walk)
    {
        return eachOldMember(archive, [&](lzh::ArchiveReader& reader, const lzh::MemberInfo& member) {
            if (member.defect.empty() && walk.lists(member.path))
                return base::Status::success();
            return m_writer.addRaw(reader);
        });
    }

    template <typename OnMember> static base::Status eachOldMember(const std::string& archive, OnMember onMember)
    {
        lzh::ArchiveReader reader;
        if (auto status = reader.open(archive); !status.ok())
            return status;
        for (;;) {
            auto next = reader.next();
            if (!next.ok())
                return next.status();
            if (!next->has_value())
                return base::Status::success();
            if (auto status = onMember(reader, **next); !status.ok())
                return status;
        }
    }

    base::Status addNew(FolderWalk& walk, const std::string& temporary, CarryFrom carry)
    {
        MemberPacker members(m_settings.writer, workerCount(), temporary, carry);
        std::vector<std::unique_ptr<CarrySource::Reader>> carried;
        for (const CarrySource* source : carry.sources)
            carried.push_back(std::make_unique<CarrySource::Reader>(*source));
        bool walkOver = false;
        for (;;) {
            // The walk runs here, on the writer's thread, so its reports come one at a time.
            while (!walkOver && !members.full()) {
                auto entry = walk.next();
                if (entry)
                    members.submit(std::move(*entry));
                walkOver = !entry;
            }
            if (members.empty())
                return base::Status::success();
            m_current = members.frontEntry().archivePath;
            PreparedMember* member = members.front([&](std::uint64_t consumed) { return reportProgress(consumed); });
            if (!member || !reportProgress(0))
                return base::Status::error(base::ErrorCode::Cancelled, "cancelled");
            base::Status status = write(*member, carried);
            if (status.ok() && m_hooks.onFilePacked && member->entry.kind == lzh::MemberKind::File)
                m_hooks.onFilePacked(member->carried.has_value());
            members.pop();
            if (status.ok())
                ++m_summary.members;
            else if (m_writer.broken())
                return status;
            else
                skipped(status);
        }
    }

    base::Status write(PreparedMember& member, const std::vector<std::unique_ptr<CarrySource::Reader>>& carried)
    {
        const lzh::SourceEntry& entry = member.entry;
        if (!member.status.ok())
            return member.scratchFailed ? brokenBy(member.status) : member.status;
        if (member.carried)
            return writeCarried(member, *carried[member.carriedSource]);
        if (member.copyFromSource) {
            std::optional<lzh::RecordToComplete> record;
            if (member.record)
                record = lzh::RecordToComplete{*member.record, partEnds(member.record->size)};
            return m_writer.addEntry(
                entry,
                [&](std::uint64_t bytes) {
                    m_done += bytes;
                    return reportProgress(0);
                },
                record ? &*record : nullptr);
        }
        const lzh::PackedData data{member.method, member.crc,    member.originalSize,
                                   member.parts,  member.record, member.packedDigestKnown};
        m_done += member.originalSize;
        return m_writer.addPrepared(entry, data);
    }

    // The test after packing checks these members by their packed digest: the bytes were
    // decoded when they were first written.
    base::Status writeCarried(const PreparedMember& member, CarrySource::Reader& carried)
    {
        const lzh::MemberInfo& old = *member.carried;
        m_carriedAt.push_back(m_writer.offset());
        const lzh::CopiedData data{
            member.method,  member.crc,     member.originalSize,
            old.packedSize, *member.record, [&](const lzh::ByteSink& sink) { return carried.readPacked(old, sink); }};
        m_done += member.originalSize;
        auto status = m_writer.addCopied(member.entry, data);
        if (status.ok())
            ++m_summary.carriedMembers;
        return status;
    }

    base::Status brokenBy(const base::Status& status)
    {
        m_writer.abandon();
        return status;
    }

    bool reportProgress(std::uint64_t inWork)
    {
        return !m_hooks.progress || m_hooks.progress(m_done + inWork, m_total, m_current);
    }

    static unsigned workerCount() { return std::clamp(std::thread::hardware_concurrency(), 1u, 2u); }

    // Reads back everything written: a member that does not decode to its CRC fails the add as a
    // write failure (what reached the disk is not what was meant).
    base::Status testWritten(const std::string& temporary)
    {
        RunHooks hooks;
        // The bar stays where packing left it; the callback still gives the chance to cancel.
        if (m_hooks.progress)
            hooks.progress = [this](std::uint64_t, std::uint64_t, const std::string& member) {
                return m_hooks.progress(m_done, m_total, member);
            };
        hooks.checkByDigest = [this](const lzh::MemberInfo& member) {
            return std::binary_search(m_carriedAt.begin(), m_carriedAt.end(), member.headerOffset);
        };
        base::Status firstTestFailure;
        // Members kept from the old archive in a method we cannot decode are copied unchanged.
        hooks.onMemberError = [&](const base::Status& s) {
            if (firstTestFailure.ok() && s.code() != base::ErrorCode::Unsupported)
                firstTestFailure = s;
        };
        RunSummary test = testArchive(temporary, hooks);
        if (test.cancelled)
            return base::Status::error(base::ErrorCode::Cancelled, "cancelled");
        if (!test.archiveStatus.ok())
            return base::Status::error(base::ErrorCode::IoError,
                                       "new archive failed its test: " + test.archiveStatus.detail(), temporary);
        if (!firstTestFailure.ok())
            return base::Status::error(base::ErrorCode::IoError,
                                       "new archive failed its test: " + firstTestFailure.detail(),
                                       firstTestFailure.path());
        return base::Status::success();
    }

    const PackSettings& m_settings;
    const RunHooks& m_hooks;
    lzh::ArchiveWriter m_writer;
    RunSummary m_summary;
    std::uint64_t m_done = 0;
    std::uint64_t m_total = 0;
    std::string m_current;                  // the member being written, for the progress
    std::vector<std::uint64_t> m_carriedAt; // where carried members' headers start, ascending
};

} // namespace

RunSummary packFolder(const std::string& archive, const std::string& folder, const PackSettings& settings,
                      const RunHooks& hooks)
{
    return Packer(settings, hooks).run(archive, folder);
}

} // namespace archiver
