#include "lzh/packer.h"

#include "lzh/archive_reader.h"
#include "lzh/extractor.h"
#include "lzh/folder_walk.h"
#include "lzh/member_pipeline.h"
#include "platform/file_io.h"
#include "platform/paths.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <system_error>
#include <thread>

namespace lzh {
namespace fs = std::filesystem;
namespace {

constexpr const char* kTemporarySuffix = ".fernhold-new";

// Member names compare as Windows compares file names there: letter case ignored.
std::string nameKey(std::string path)
{
    if constexpr (platform::kSeparator == '\\') {
        for (char& c : path)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
    }
    return path;
}

class Packer {
public:
    Packer(const PackSettings& settings, const RunHooks& hooks) : m_settings(settings), m_hooks(hooks), m_writer(settings.writer) {}

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
        WalkResult walk = walkFolder(folder, excluded, [this](const base::Status& s) { skipped(s); });
        std::set<std::string> newNames;
        for (const SourceEntry& entry : walk.entries)
            newNames.insert(nameKey(entry.archivePath));
        m_total = walk.totalBytes;
        if (hasOld) {
            if (auto status = checkOld(archive); !status)
                return failed(status);
        }
        if (auto status = m_writer.create(temporary); !status)
            return failed(status, true);
        base::Status status = hasOld ? copyOld(archive, newNames) : base::Status::ok();
        if (status)
            status = addNew(walk);
        if (status)
            status = m_writer.finish();
        if (status)
            status = testWritten(temporary);
        if (status)
            status = platform::replaceFile(temporary, archive);
        if (!status) {
            m_writer.abandon();
            fs::remove(platform::toPath(temporary), ec);
            return failed(status, status.code() != base::ErrorCode::Cancelled && status.code() != base::ErrorCode::Corrupt);
        }
        return m_summary;
    }

private:
    RunSummary failed(const base::Status& status, bool writeFailed = false)
    {
        m_summary.archiveError = status;
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
        ArchiveReader reader;
        if (auto status = reader.open(archive); !status)
            return status;
        for (;;) {
            auto next = reader.next();
            if (!next)
                return base::Status::error(base::ErrorCode::Corrupt, "existing archive is damaged: " + next.status().detail(), archive);
            if (!next->has_value())
                return base::Status::ok();
        }
    }

    base::Status copyOld(const std::string& archive, const std::set<std::string>& newNames)
    {
        ArchiveReader reader;
        if (auto status = reader.open(archive); !status)
            return status;
        for (;;) {
            auto next = reader.next();
            if (!next)
                return next.status();
            if (!next->has_value())
                return base::Status::ok();
            const MemberInfo& member = **next;
            if (member.defect.empty() && newNames.count(nameKey(member.path)))
                continue;
            if (auto status = m_writer.addRaw(reader); !status)
                return status;
        }
    }

    base::Status addNew(const WalkResult& walk)
    {
        MemberPipeline pipeline(walk.entries, m_settings.writer, workerCount());
        for (std::size_t i = 0; i < walk.entries.size(); ++i) {
            const SourceEntry& entry = walk.entries[i];
            if (m_hooks.progress && !m_hooks.progress(m_done, m_total, entry.archivePath))
                return base::Status::error(base::ErrorCode::Cancelled, "cancelled");
            const PreparedMember& prepared = pipeline.wait(i);
            base::Status status = prepared.status;
            if (status && prepared.streamed) {
                status = m_writer.addEntry(entry, [&](std::uint64_t bytes) {
                    m_done += bytes;
                    return !m_hooks.progress || m_hooks.progress(m_done, m_total, entry.archivePath);
                });
            } else if (status) {
                status = m_writer.addPrepared(entry, prepared.method, prepared.crc, prepared.originalSize,
                                              prepared.data->data(),
                                              prepared.data->size());
                m_done += prepared.originalSize;
            }
            pipeline.release(i);
            if (status) {
                ++m_summary.members;
            } else if (m_writer.broken()) {
                return status;
            } else {
                skipped(status);
            }
        }
        return base::Status::ok();
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
        base::Status firstError;
        // Members kept from the old archive in a method we cannot decode are copied unchanged.
        hooks.onMemberError = [&](const base::Status& s) {
            if (firstError && s.code() != base::ErrorCode::Unsupported)
                firstError = s;
        };
        RunSummary test = testArchive(temporary, hooks);
        if (test.cancelled)
            return base::Status::error(base::ErrorCode::Cancelled, "cancelled");
        if (!test.archiveError)
            return base::Status::error(base::ErrorCode::IoError, "new archive failed its test: " + test.archiveError.detail(), temporary);
        if (!firstError)
            return base::Status::error(base::ErrorCode::IoError, "new archive failed its test: " + firstError.detail(), firstError.path());
        return base::Status::ok();
    }

    const PackSettings& m_settings;
    const RunHooks& m_hooks;
    ArchiveWriter m_writer;
    RunSummary m_summary;
    std::uint64_t m_done = 0;
    std::uint64_t m_total = 0;
};

} // namespace

RunSummary packFolder(const std::string& archive, const std::string& folder, const PackSettings& settings,
                      const RunHooks& hooks)
{
    return Packer(settings, hooks).run(archive, folder);
}

} // namespace lzh
