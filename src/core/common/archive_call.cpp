#include "core/common/archive_call.h"

namespace core {

archive::ArchiveResult runArchiveCommand(bool& busy, ArchiveRunner& archiver, const std::string& line,
                                         const archive::ArchiveOptions& options)
{
    std::string error;
    const auto command = archive::parseUnlhaCommand(line, &error);
    if (!command) {
        archive::ArchiveResult refused;
        refused.archiveStatus = base::Status::error(base::ErrorCode::InvalidArgument, "bad command: " + error);
        return refused;
    }
    ArchiveBusyGuard guard(busy);
    return archiver.run(*command, options);
}

} // namespace core
