#include "core/archive/command_runner.h"

#include "core/archive/unlha.h"
#include "archiver/extractor.h"
#include "archiver/packer.h"

namespace core::archive {

archiver::RunSummary runUnlhaCommand(const UnlhaCommand& command, const archiver::RunHooks& hooks,
                                const std::vector<std::string>& excludedPaths, lzh::ArchiveStart start)
{
    switch (command.command) {
    case 'a': {
        archiver::PackSettings settings;
        settings.writer.method = command.method;
        settings.writer.effort = command.effort;
        settings.excludedPaths = excludedPaths;
        return archiver::packFolder(command.archive, command.folder, settings, hooks);
    }
    case 'x':
        return archiver::extractArchive(command.archive, command.folder, hooks, start);
    case 't':
        return archiver::testArchive(command.archive, hooks, start);
    default:
        return archiver::listArchive(
            command.archive, [](const lzh::MemberInfo&) {}, start);
    }
}

int unlhaResultCode(char command, const archiver::RunSummary& summary)
{
    if (summary.cancelled)
        return kUnlhaCancelled;
    if (summary.writeFailed)
        return kUnlhaWriteFailed;
    if (!summary.archiveError) {
        switch (summary.archiveError.code()) {
        case base::ErrorCode::Corrupt: return kUnlhaArchiveCorrupt;
        case base::ErrorCode::NotFound: return command == 'a' ? kUnlhaSourceMissing : kUnlhaArchiveUnreadable;
        // For an add, the existing archive could not be opened to be added onto.
        case base::ErrorCode::AccessDenied: return kUnlhaArchiveUnreadable;
        case base::ErrorCode::Cancelled: return kUnlhaCancelled;
        default: return command == 'a' ? kUnlhaWriteFailed : kUnlhaArchiveUnreadable;
        }
    }
    if (summary.failedMembers > 0)
        return command == 'a' ? kUnlhaPartial : kUnlhaMemberErrors;
    return kUnlhaOk;
}

} // namespace core::archive
