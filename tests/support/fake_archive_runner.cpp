#include "support/fake_archive_runner.h"

namespace fernhold::test {

core::archive::UnlhaCommand commandOf(const std::string& line)
{
    return core::archive::parseUnlhaCommand(line, nullptr).value();
}

core::archive::ArchiveResult archiveFailure(base::ErrorCode code, const std::string& detail)
{
    core::archive::ArchiveResult result;
    result.archiveStatus = base::Status::error(code, detail);
    return result;
}

core::archive::ArchiveResult memberFailures(int count)
{
    core::archive::ArchiveResult result;
    for (int i = 0; i < count; ++i)
        result.memberFailures.push_back(base::Status::error(base::ErrorCode::IoError, "unreadable"));
    return result;
}

} // namespace fernhold::test
