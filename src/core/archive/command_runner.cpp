#include "core/archive/command_runner.h"

#include "core/archive/unlha.h"
#include "lzh/extractor.h"
#include "lzh/packer.h"

namespace core::archive {

lzh::RunSummary runUnlhaCommand(const UnlhaCommand& command, const lzh::RunHooks& hooks,
                                const std::vector<std::string>& excludedPaths, lzh::ArchiveStart start)
{
    switch (command.command) {
    case 'a': {
        lzh::PackSettings settings;
        settings.writer.method = command.method;
        settings.writer.effort = command.effort;
        settings.excludedPaths = excludedPaths;
        return lzh::packFolder(command.archive, command.folder, settings, hooks);
    }
    case 'x':
        return lzh::extractArchive(command.archive, command.folder, hooks, start);
    case 't':
        return lzh::testArchive(command.archive, hooks, start);
    default:
        return lzh::listArchive(
            command.archive, [](const lzh::MemberInfo&) {}, start);
    }
}

int unlhaResultCode(char command, const lzh::RunSummary& summary)
{
    if (summary.cancelled)
        return kUnlhaCancelled;
    if (summary.writeFailed)
        return kUnlhaWriteFailed;
    if (!summary.archiveStatus.ok()) {
        switch (summary.archiveStatus.code()) {
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
