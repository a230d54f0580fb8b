// The one place the core calls the archiver's library.

#include "core/archive/archive_entry.h"

#include "archiver/extractor.h"
#include "archiver/packer.h"
#include "archiver/safe_path.h"
#include "platform/disk_space.h"

namespace core::archive {
namespace {

// Judges the members as extraction will, in archive order: a path that leaves the folder, one
// below a link met earlier, a name that cannot be used. A test judges the data only, and such a
// member would otherwise come to light after a restore had cleared the folder.
class MemberVetting {
public:
    explicit MemberVetting(std::uint64_t blockSize) : m_blockSize(blockSize) {}

    void see(const lzh::MemberInfo& member)
    {
        if (member.kind == lzh::MemberKind::File)
            m_needed += platform::allocatedSize(member.originalSize, m_blockSize);
        if (m_refused)
            return;
        const auto parts = archiver::safeComponents(member.path);
        if (!parts || m_links.liesBelowOne(*parts) || !member.defect.empty())
            m_refused =
                member.kind == lzh::MemberKind::Symlink ? member.path + " -> " + member.linkTarget : member.path;
        else if (member.kind == lzh::MemberKind::Symlink)
            m_links.add(*parts);
    }

    void fill(ArchiveResult& result) const
    {
        result.refusedMember = m_refused;
        if (result.archiveStatus.ok())
            result.bytesNeeded = m_needed;
    }

private:
    std::uint64_t m_blockSize;
    std::uint64_t m_needed = 0;
    std::optional<std::string> m_refused;
    archiver::ArchiveLinks m_links;
};

archiver::RunHooks hooksFor(const ArchiveOptions& options, ArchiveResult& result)
{
    archiver::RunHooks hooks;
    hooks.onMemberError = [&result](const base::Status& status) { result.memberFailures.push_back(status); };
    hooks.onRootDropped = [&result](const std::string& storedPath) { result.rootsDropped.push_back(storedPath); };
    hooks.onFilePacked = options.onFilePacked;
    if (!options.onProgress && !options.cancel)
        return hooks;
    hooks.progress = [&options](std::uint64_t done, std::uint64_t total, const std::string& member) {
        if (options.cancel && options.cancel->load())
            return false;
        if (options.onProgress)
            options.onProgress(done, total, member);
        return true;
    };
    return hooks;
}

archiver::RunSummary run(const UnlhaCommand& command, const ArchiveOptions& options, archiver::RunHooks& hooks,
                         std::optional<MemberVetting>& vetting)
{
    switch (command.command) {
    case 'a': {
        archiver::PackSettings settings;
        settings.writer.method = command.method;
        settings.writer.effort = command.effort;
        settings.excludedPaths = options.excludedPaths;
        settings.carryFrom = command.carryFrom;
        return archiver::packFolder(command.archive, command.folder, settings, hooks);
    }
    case 'x':
        return archiver::extractArchive(command.archive, command.folder, hooks, options.start, options.placeMember);
    case 't':
        if (options.vetForBlockSize) {
            vetting.emplace(*options.vetForBlockSize);
            hooks.onMemberHeader = [&vetting](const lzh::MemberInfo& member) { vetting->see(member); };
        }
        return archiver::testArchive(command.archive, hooks, options.start);
    default:
        return archiver::listArchive(
            command.archive,
            [&options](const lzh::MemberInfo& member) {
                if (options.onMember)
                    options.onMember(member);
            },
            options.start);
    }
}

} // namespace

ArchiveResult runArchive(const UnlhaCommand& command, const ArchiveOptions& options)
{
    ArchiveResult result;
    archiver::RunHooks hooks = hooksFor(options, result);
    std::optional<MemberVetting> vetting;
    const archiver::RunSummary summary = run(command, options, hooks, vetting);
    result.archiveStatus = summary.archiveStatus;
    result.members = summary.members;
    result.carriedMembers = summary.carriedMembers;
    result.writeFailed = summary.writeFailed;
    result.cancelled = summary.cancelled;
    if (vetting)
        vetting->fill(result);
    return result;
}

} // namespace core::archive
